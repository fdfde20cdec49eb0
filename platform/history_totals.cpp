// The running totals (schema 6): per game, stake and pay row, per game of
// the library, pay table and count of hands, and per session, so that what
// the windows show costs the same at ten games and at ten million. Each
// settle adds its games; the totals are built again from the rows after an
// upgrade and after another program changed the games. And the balance
// series of a long history, kept up to date by the games written.

#include <sqlite3.h>

#include <algorithm>
#include <iterator>

#include "platform/history_database.h"
#include "platform/history_sql.h"

namespace lynx {

namespace {

// Building the totals from the rows, a range of ids at a time: first the
// verdict of each judged game kept without one (written before verdicts
// were kept, or by another program), by the rule the program gave; then the
// sums of the counted games.
constexpr const char* kBuildSteps[] = {
    "UPDATE games SET mistake = lynx_mistake(best_ev, held_ev), "
    "cost = CASE WHEN lynx_mistake(best_ev, held_ev) THEN best_ev - held_ev ELSE 0 END "
    "WHERE id > ?1 AND id <= ?2 AND mistake IS NULL AND " JUDGED,

    "INSERT INTO totals (game, coins, row, hands, won, biggest, judged, held_ev, "
    "best_ev, mistakes, mistake_cost) "
    "SELECT game, coins, row, count(*), sum(won), max(won), count(mistake), "
    "total(CASE WHEN mistake IS NOT NULL THEN held_ev END), "
    "total(CASE WHEN mistake IS NOT NULL THEN best_ev END), "
    "count(CASE WHEN mistake = 1 THEN 1 END), total(CASE WHEN mistake = 1 THEN cost END) "
    "FROM games WHERE id > ?1 AND id <= ?2 AND practice = 0 AND " MACHINE_ROW " AND " VALID
    " GROUP BY game, coins, row "
    "ON CONFLICT (game, coins, row) DO UPDATE SET hands = hands + excluded.hands, "
    "won = won + excluded.won, biggest = max(biggest, excluded.biggest), "
    "judged = judged + excluded.judged, held_ev = held_ev + excluded.held_ev, "
    "best_ev = best_ev + excluded.best_ev, mistakes = mistakes + excluded.mistakes, "
    "mistake_cost = mistake_cost + excluded.mistake_cost",

    "INSERT INTO table_totals (library_game, pay_table, hands, games, bet, won, judged, "
    "held_ev, best_ev, mistakes, mistake_cost) "
    "SELECT library_game, pay_table, hands, count(*), sum(coins), sum(won), "
    "count(mistake), total(CASE WHEN mistake IS NOT NULL THEN held_ev END), "
    "total(CASE WHEN mistake IS NOT NULL THEN best_ev END), "
    "count(CASE WHEN mistake = 1 THEN 1 END), total(CASE WHEN mistake = 1 THEN cost END) "
    "FROM games WHERE id > ?1 AND id <= ?2 AND practice = 0 AND NOT " MACHINE_ROW " AND " VALID
    " GROUP BY library_game, pay_table, hands "
    "ON CONFLICT (library_game, pay_table, hands) DO UPDATE SET "
    "games = games + excluded.games, bet = bet + excluded.bet, won = won + excluded.won, "
    "judged = judged + excluded.judged, held_ev = held_ev + excluded.held_ev, "
    "best_ev = best_ev + excluded.best_ev, mistakes = mistakes + excluded.mistakes, "
    "mistake_cost = mistake_cost + excluded.mistake_cost",

    "INSERT INTO session_totals (session, hands, bet, won) "
    "SELECT session, count(*), sum(coins), sum(won) FROM games "
    "WHERE id > ?1 AND id <= ?2 AND practice = 0 AND " VALID
    " GROUP BY session "
    "ON CONFLICT (session) DO UPDATE SET hands = hands + excluded.hands, "
    "bet = bet + excluded.bet, won = won + excluded.won",
};

// Ids in each range of the build.
constexpr std::int64_t kBuildRange = 50000;

}  // namespace

// The verdict a game was recorded with, as the sums count it: only a game
// the coach judged has one.
HistoryDatabase::GameVerdict HistoryDatabase::VerdictOf(const GameRecord& game) {
  GameVerdict verdict;
  verdict.judged = !game.demo && game.bestEv && game.heldEv;
  if (!verdict.judged) return verdict;
  verdict.mistake = game.mistake;
  verdict.heldEv = *game.heldEv;
  verdict.bestEv = *game.bestEv;
  verdict.cost = verdict.mistake ? verdict.bestEv - verdict.heldEv : 0.0;
  return verdict;
}

bool HistoryDatabase::AddToTotals(const KeptGame& kept, std::int64_t gameSession,
                                  const GameVerdict& verdict) {
  const GameRecord& game = kept.game;
  if (game.libraryGame.isEmpty()) {
    sqlite3_stmt* t = addTotals.get();
    BindText(t, 1, kept.name);
    sqlite3_bind_int(t, 2, game.coins);
    sqlite3_bind_int(t, 3, game.row);
    sqlite3_bind_int(t, 4, game.won);
    sqlite3_bind_int(t, 5, verdict.judged ? 1 : 0);
    sqlite3_bind_double(t, 6, verdict.heldEv);
    sqlite3_bind_double(t, 7, verdict.bestEv);
    sqlite3_bind_int(t, 8, verdict.mistake ? 1 : 0);
    sqlite3_bind_double(t, 9, verdict.cost);
    if (!Run(t) || !Step("totals")) return false;
  } else {
    sqlite3_stmt* t = addTableTotals.get();
    BindText(t, 1, game.libraryGame);
    BindText(t, 2, game.payTable);
    sqlite3_bind_int(t, 3, game.hands);
    sqlite3_bind_int(t, 4, game.coins);
    sqlite3_bind_int(t, 5, game.won);
    sqlite3_bind_int(t, 6, verdict.judged ? 1 : 0);
    sqlite3_bind_double(t, 7, verdict.heldEv);
    sqlite3_bind_double(t, 8, verdict.bestEv);
    sqlite3_bind_int(t, 9, verdict.mistake ? 1 : 0);
    sqlite3_bind_double(t, 10, verdict.cost);
    if (!Run(t) || !Step("table-totals")) return false;
  }
  sqlite3_stmt* u = addSessionTotals.get();
  sqlite3_bind_int64(u, 1, gameSession);
  sqlite3_bind_int(u, 2, game.coins);
  sqlite3_bind_int(u, 3, game.won);
  return Run(u) && Step("session-totals");
}

bool HistoryDatabase::TotalsReady(bool mayBuild) {
  if (db == nullptr) return false;
  // Versions only add columns: once seen, the column stays.
  if (!totalsColumn && !HasColumn(db, {"totals_state", "stale", 6})) return false;
  totalsColumn = true;
  Reused statement;
  if (!Prepare(statement, "SELECT stale FROM totals_state WHERE id = 1")) return false;
  const int code = sqlite3_step(statement.get());
  if (code != SQLITE_ROW) {
    if (code != SQLITE_DONE) Failed(code);
    return false;
  }
  const bool stale = sqlite3_column_int(statement.get(), 0) != 0;
  statement.reset();
  if (!stale) return true;
  // Only a file this run writes is brought up to date; a read-only one is
  // summed from its rows.
  return mayBuild && BuildTotals();
}

// One transaction: each judged game's verdict by the coach's rule where it
// has none, then the totals from every row, a range of ids at a time so that

// One transaction: the totals emptied, then built from every row, a range
// of ids at a time so that progress can be told.
bool HistoryDatabase::BuildTotals() {
  std::int64_t last = 0;
  {
    Statement top;
    if (!Prepare(top, "SELECT coalesce(max(id), 0) FROM games") ||
        sqlite3_step(top.get()) != SQLITE_ROW)
      return false;
    last = sqlite3_column_int64(top.get(), 0);
  }
  if (!Exec("BEGIN IMMEDIATE")) return false;
  Statement steps[std::size(kBuildSteps)];
  bool built = Exec("DELETE FROM totals") && Exec("DELETE FROM table_totals") &&
               Exec("DELETE FROM session_totals");
  for (std::size_t i = 0; built && i < std::size(kBuildSteps); ++i)
    built = Prepare(steps[i], kBuildSteps[i]);
  for (std::int64_t low = 0; built && low < last; low += kBuildRange) {
    for (const Statement& step : steps) {
      sqlite3_bind_int64(step.get(), 1, low);
      sqlite3_bind_int64(step.get(), 2, low + kBuildRange);
      if (!Run(step.get())) {
        built = false;
        break;
      }
    }
    if (built && buildProgress) buildProgress(std::min(low + kBuildRange, last), last);
  }
  built = built && Exec("UPDATE totals_state SET rows = (SELECT count(*) FROM games), stale = 0") &&
          Exec("COMMIT");
  if (!built && !sqlite3_get_autocommit(db))
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  return built;
}

std::optional<std::vector<std::int32_t>> HistoryDatabase::SampledBalance(int maxPoints) {
  constexpr std::int64_t kReadWhole = 20000;  // counted games read in one pass
  if (db == nullptr || !UseTotals()) return std::nullopt;
  std::int64_t counted = 0;
  std::int64_t first = 0;
  std::int64_t last = 0;
  {
    Reused statement;
    if (!Prepare(statement,
                 "SELECT (SELECT coalesce(sum(hands), 0) FROM totals) + "
                 "(SELECT coalesce(sum(games), 0) FROM table_totals), "
                 "(SELECT coalesce(min(id), 0) FROM games), "
                 "(SELECT coalesce(max(id), 0) FROM games)") ||
        sqlite3_step(statement.get()) != SQLITE_ROW)
      return std::nullopt;
    counted = sqlite3_column_int64(statement.get(), 0);
    first = sqlite3_column_int64(statement.get(), 1);
    last = sqlite3_column_int64(statement.get(), 2);
  }
  if (counted <= kReadWhole) return std::nullopt;
  // The series worked out last, kept up to date by the games this run wrote
  // since, while no other program has added any.
  if (balanceCache && balanceCache->maxPoints == maxPoints && balanceCache->through == last)
    return balanceCache->series;
  Reused next;
  Reused newest;
  if (!Prepare(next, "SELECT credits_after FROM games WHERE id >= ?1 AND practice = 0 AND " VALID
                     " ORDER BY id LIMIT 1") ||
      !Prepare(newest, "SELECT credits_after FROM games WHERE practice = 0 AND " VALID
                       " ORDER BY id DESC LIMIT 1"))
    return std::nullopt;
  std::vector<std::int32_t> series;
  const std::int64_t m = std::min<std::int64_t>(maxPoints, counted);
  series.reserve(static_cast<std::size_t>(m));
  for (std::int64_t k = 0; k + 1 < m; ++k) {
    sqlite3_bind_int64(next.get(), 1, first + k * (last - first) / (m - 1));
    if (sqlite3_step(next.get()) == SQLITE_ROW) series.push_back(sqlite3_column_int(next.get(), 0));
    sqlite3_reset(next.get());
  }
  // The newest always ends the series.
  if (sqlite3_step(newest.get()) == SQLITE_ROW)
    series.push_back(sqlite3_column_int(newest.get(), 0));
  balanceCache =
      BalanceCache{maxPoints, last, last,
                   m > 1 ? std::max<std::int64_t>(1, (last - first) / (m - 1)) : 1, series};
  return series;
}

void HistoryDatabase::Kept(const GameRecord& game, std::int64_t id) {
  if (!balanceCache) return;
  // Another program wrote in between, or the newest game is a whole spacing
  // past the one sampled last: the points are looked up again. Until then
  // the newest game ends the series in place of the one before it, and the
  // other points stand less than a spacing from where a new look-up would
  // put them.
  if (balanceCache->through != id - 1 ||
      id - balanceCache->sampledThrough >= balanceCache->spacing) {
    balanceCache.reset();
    return;
  }
  balanceCache->through = id;
  if (game.practice || !ValidRecord(game) || balanceCache->series.empty()) return;
  balanceCache->series.back() = game.creditsAfter;
}

}  // namespace lynx
