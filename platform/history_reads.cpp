// The games and sums read back: from the running totals where they can be
// used, else from the rows themselves, each checked on the way.

#include <sqlite3.h>

#include <algorithm>
#include <string_view>

#include "engine/paytable.h"
#include "platform/history_database.h"
#include "platform/history_sql.h"

namespace lynx {

std::vector<GameRecord> HistoryDatabase::Games(std::int64_t offset, int limit) {
  if (limit <= 0) return {};
  return Read<std::vector<GameRecord>>([&](std::vector<GameRecord>& games) {
    Reused statement;
    // The row check comes last, where GameOf looks for it.
    if (!Prepare(statement, "SELECT " GAME_COLUMNS ", " VALID
                            " FROM games ORDER BY id DESC LIMIT ?1 OFFSET ?2"))
      return false;
    sqlite3_stmt* row = statement.get();
    sqlite3_bind_int(row, 1, limit);
    sqlite3_bind_int64(row, 2, std::max<std::int64_t>(offset, 0));
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(row)) == SQLITE_ROW) games.push_back(GameOf(row));
    return code == SQLITE_DONE || Failed(code);
  });
}

std::vector<GameRecord> HistoryDatabase::Mistakes(int limit) {
  if (limit <= 0) return {};
  return Read<std::vector<GameRecord>>([&](std::vector<GameRecord>& games) {
    Reused statement;
    // Games kept with their verdict are found through the index of mistakes;
    // a file without totals is judged by the rule itself.
    if (!Prepare(statement, UseTotals()
                                ? "SELECT " GAME_COLUMNS " FROM games WHERE mistake = 1 AND " VALID
                                  " ORDER BY id DESC LIMIT ?1"
                                : "SELECT " GAME_COLUMNS " FROM games WHERE " MISTAKE " AND " VALID
                                  " ORDER BY id DESC LIMIT ?1"))
      return false;
    sqlite3_stmt* row = statement.get();
    sqlite3_bind_int(row, 1, limit);
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(row)) == SQLITE_ROW) games.push_back(GameOf(row));
    return code == SQLITE_DONE || Failed(code);
  });
}

std::int64_t HistoryDatabase::GameCount() {
  return Read<std::int64_t>([&](std::int64_t& count) {
    Reused statement;
    if (!Prepare(statement, UseTotals() ? "SELECT rows FROM totals_state WHERE id = 1"
                                        : "SELECT count(*) FROM games"))
      return false;
    const int code = sqlite3_step(statement.get());
    if (code != SQLITE_ROW) return Failed(code);
    count = sqlite3_column_int64(statement.get(), 0);
    return true;
  });
}

GameRecord HistoryDatabase::GameOf(sqlite3_stmt* row) {
  GameRecord game;
  game.id = sqlite3_column_int64(row, 0);
  game.playedAt = ColumnTime(row, 1);
  game.game = GameFromText(ColumnText(row, 2));
  game.coins = sqlite3_column_int(row, 3);
  // As the SQL row check reads them.
  const auto hand = [row](int column, Hand& cards) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
    const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(row, column));
    ParseHandText(text != nullptr ? std::string_view(text, bytes) : std::string_view(), cards);
  };
  hand(4, game.dealt);
  game.held = sqlite3_column_int(row, 5);
  hand(6, game.final);
  game.row = sqlite3_column_int(row, 7);
  game.won = sqlite3_column_int(row, 8);
  game.creditsAfter = sqlite3_column_int(row, 9);
  game.demo = sqlite3_column_int(row, 10) != 0;
  game.session = sqlite3_column_int64(row, 11);
  if (sqlite3_column_type(row, 12) != SQLITE_NULL) game.bestEv = sqlite3_column_double(row, 12);
  if (sqlite3_column_type(row, 13) != SQLITE_NULL) game.heldEv = sqlite3_column_double(row, 13);
  game.bestHolds = ColumnText(row, 14);
  game.practice = sqlite3_column_int(row, 15) != 0;
  game.libraryGame = ColumnText(row, 16);
  game.payTable = ColumnText(row, 17);
  game.hands = sqlite3_column_int(row, 18);
  // The verdict it was recorded with; NULL for a game not judged.
  game.mistake = sqlite3_column_int(row, 19) == 1;
  // Games() adds the SQL row check, which also sees fields of the wrong type,
  // after the columns of GAME_COLUMNS.
  constexpr std::string_view kColumns = GAME_COLUMNS;
  constexpr int kChecked = static_cast<int>(std::count(kColumns.begin(), kColumns.end(), ',')) + 1;
  const bool checked =
      sqlite3_column_count(row) <= kChecked || sqlite3_column_int(row, kChecked) != 0;
  game.damaged = !checked || !ValidRecord(game);
  return game;
}

GameStatistics HistoryDatabase::Statistics(std::optional<GameVariant> game) {
  return Read<GameStatistics>([&](GameStatistics& sums) {
    // The running totals: a row per game, stake and pay row. Without them
    // (a file this run cannot write, totals that could not be built) the rows
    // are summed, damaged ones left out: every row is read for that check, so
    // one pass over the table (NOT INDEXED) it is.
    Reused statement;
    const bool totals = UseTotals();
    const char* sql =
        totals ? (game ? "SELECT row, coins, hands, coins * hands, won, biggest, judged, "
                         "coins * judged, held_ev, best_ev, mistakes, mistake_cost FROM totals "
                         "WHERE game = ?1"
                       : "SELECT row, coins, hands, coins * hands, won, biggest, judged, "
                         "coins * judged, held_ev, best_ev, mistakes, mistake_cost FROM totals")
               : (game ? "SELECT " STATISTICS_COLUMNS
                         " FROM games NOT INDEXED WHERE game = ?1 AND practice = 0 AND " MACHINE_ROW
                         " AND " VALID " GROUP BY coins, row"
                       : "SELECT " STATISTICS_COLUMNS
                         " FROM games NOT INDEXED WHERE practice = 0 AND " MACHINE_ROW " AND " VALID
                         " GROUP BY game, coins, row");
    if (!Prepare(statement, sql)) return false;
    if (game) BindText(statement.get(), 1, GameText(*game));
    sqlite3_stmt* row = statement.get();
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(row)) == SQLITE_ROW) {
      const int payRow = sqlite3_column_int(row, 0);
      const int coins = sqlite3_column_int(row, 1);
      const std::int64_t hands = sqlite3_column_int64(row, 2);
      const std::int64_t bet = sqlite3_column_int64(row, 3);
      sums.hands += hands;
      sums.coinsBet += bet;
      if (coins >= 1 && coins <= kMaxCoins)
        sums.coinsByStake[static_cast<std::size_t>(coins - 1)] += bet;
      sums.won += sqlite3_column_int64(row, 4);
      sums.biggestWin = std::max(sums.biggestWin, sqlite3_column_int(row, 5));
      if (payRow >= 0 && payRow < kPayTableRows)
        sums.rowCounts[static_cast<std::size_t>(payRow)] += hands;
      sums.judged += sqlite3_column_int64(row, 6);
      sums.judgedCoins += sqlite3_column_int64(row, 7);
      sums.heldEv += sqlite3_column_double(row, 8);
      sums.bestEv += sqlite3_column_double(row, 9);
      sums.mistakes += sqlite3_column_int64(row, 10);
      sums.mistakeCost += sqlite3_column_double(row, 11);
    }
    return code == SQLITE_DONE || Failed(code);
  });
}

std::vector<TableStatistics> HistoryDatabase::TableTotals() {
  return Read<std::vector<TableStatistics>>([&](std::vector<TableStatistics>& tables) {
    // The running totals, else the rows summed as Statistics sums them.
    Reused statement;
    if (!Prepare(statement,
                 UseTotals()
                     ? "SELECT library_game, pay_table, hands, games, bet, won, best_ev, held_ev, "
                       "judged, mistakes, mistake_cost FROM table_totals "
                       "ORDER BY library_game, pay_table, hands"
                     : "SELECT library_game, pay_table, hands, count(*), sum(coins), sum(won), "
                       "total(CASE WHEN " JUDGED " THEN best_ev END), "
                       "total(CASE WHEN " JUDGED " THEN held_ev END), sum(" JUDGED "), "
                       "sum(CASE WHEN " MISTAKE " THEN 1 ELSE 0 END), "
                       "total(CASE WHEN " MISTAKE " THEN best_ev - held_ev END) "
                       "FROM games NOT INDEXED WHERE practice = 0 AND NOT " MACHINE_ROW
                       " AND " VALID " GROUP BY library_game, pay_table, hands "
                       "ORDER BY library_game, pay_table, hands"))
      return false;
    sqlite3_stmt* row = statement.get();
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(row)) == SQLITE_ROW) {
      TableStatistics t;
      t.libraryGame = ColumnText(row, 0);
      t.payTable = ColumnText(row, 1);
      t.hands = sqlite3_column_int(row, 2);
      t.games = sqlite3_column_int64(row, 3);
      t.coinsBet = sqlite3_column_int64(row, 4);
      t.won = sqlite3_column_int64(row, 5);
      t.bestEv = sqlite3_column_double(row, 6);
      t.heldEv = sqlite3_column_double(row, 7);
      t.judged = sqlite3_column_int64(row, 8);
      t.mistakes = sqlite3_column_int64(row, 9);
      t.mistakeCost = sqlite3_column_double(row, 10);
      tables.push_back(t);
    }
    return code == SQLITE_DONE || Failed(code);
  });
}

std::vector<std::int32_t> HistoryDatabase::BalanceSeries(int maxPoints) {
  if (maxPoints <= 0) return {};
  // A long history is thinned by id: for each point, the first counted game
  // at or after an id spread evenly from the first to the last; one look-up a
  // point. A short one (or one without totals) is read whole, below.
  if (std::optional<std::vector<std::int32_t>> sampled = SampledBalance(maxPoints)) return *sampled;
  return Read<std::vector<std::int32_t>>([&](std::vector<std::int32_t>& series) {
    // One pass over the table, in the order of its ids, as each row is
    // checked on the way (see Statistics): a count first would check them
    // all twice.
    Reused statement;
    if (!Prepare(statement,
                 "SELECT credits_after FROM games NOT INDEXED WHERE practice = 0 AND " VALID
                 " ORDER BY id"))
      return false;
    sqlite3_stmt* row = statement.get();
    std::vector<std::int32_t> all;
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(row)) == SQLITE_ROW) all.push_back(sqlite3_column_int(row, 0));
    if (code != SQLITE_DONE) return Failed(code);
    // Kept: the games at k * (n - 1) / (m - 1) for k = 0 .. m - 1, oldest
    // first, which ends with the newest; all of them when there are no more.
    const auto n = static_cast<std::int64_t>(all.size());
    const std::int64_t m = std::min<std::int64_t>(maxPoints, n);
    series.reserve(static_cast<std::size_t>(m));
    for (std::int64_t k = 0; k < m; ++k)
      series.push_back(all[static_cast<std::size_t>(m == 1 ? n - 1 : k * (n - 1) / (m - 1))]);
    return true;
  });
}

std::vector<SessionReturn> HistoryDatabase::SessionReturns() {
  return Read<std::vector<SessionReturn>>([&](std::vector<SessionReturn>& sessions) {
    // The sums first, in one pass over the table as every row is checked
    // (see Statistics), then one look-up per session rather than one per game.
    Reused statement;
    if (!Prepare(statement,
                 UseTotals()
                     ? "SELECT a.session, s.started_at, a.hands, a.bet, a.won FROM session_totals "
                       "AS a LEFT JOIN sessions AS s ON s.id = a.session WHERE a.hands > 0 "
                       "ORDER BY a.session"
                     : "SELECT a.session, s.started_at, a.hands, a.bet, a.won FROM "
                       "(SELECT session, count(*) AS hands, sum(coins) AS bet, sum(won) AS won "
                       "FROM games NOT INDEXED WHERE practice = 0 AND " VALID
                       " GROUP BY session) AS a "
                       "LEFT JOIN sessions AS s ON s.id = a.session ORDER BY a.session"))
      return false;
    sqlite3_stmt* row = statement.get();
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(row)) == SQLITE_ROW) {
      sessions.push_back({sqlite3_column_int64(row, 0), ColumnTime(row, 1),
                          sqlite3_column_int64(row, 2), sqlite3_column_int64(row, 3),
                          sqlite3_column_int64(row, 4)});
    }
    return code == SQLITE_DONE || Failed(code);
  });
}

}  // namespace lynx
