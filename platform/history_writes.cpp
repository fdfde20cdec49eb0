// The settled games: each write puts its games rows, the totals they add to,
// the balance after them and the end of the hands they came from into one
// transaction. And the statements every write is made of.

#include <sqlite3.h>

#include <QDateTime>
#include <QTimeZone>
#include <memory>

#include "platform/history_database.h"

namespace lynx {

namespace {

QDateTime ToTheSecond(const QDateTime& time) {
  return QDateTime::fromSecsSinceEpoch(time.toSecsSinceEpoch(), QTimeZone::utc());
}

}  // namespace

const HistoryDatabase::WriteSql HistoryDatabase::kWrites[] = {
    {&HistoryDatabase::begin, "BEGIN IMMEDIATE"},
    {&HistoryDatabase::commit, "COMMIT"},
    {&HistoryDatabase::rollback, "ROLLBACK"},
    {&HistoryDatabase::insertSession, "INSERT INTO sessions (started_at) VALUES (?1)"},
    {&HistoryDatabase::setRunning,
     "INSERT INTO journal (id, running) VALUES (1, 1) "
     "ON CONFLICT (id) DO UPDATE SET running = 1"},
    {&HistoryDatabase::setEnded, "UPDATE journal SET running = 0 WHERE id = 1"},
    {&HistoryDatabase::setUnsaved, "UPDATE journal SET running = 2 WHERE id = 1"},
    {&HistoryDatabase::saveBalance,
     "INSERT INTO journal (id, credits, borrowed, running, ledger_change) "
     "VALUES (1, ?1, ?2, 0, ?3) "
     "ON CONFLICT (id) DO UPDATE SET credits = excluded.credits, "
     "borrowed = excluded.borrowed, ledger_change = excluded.ledger_change"},
    {&HistoryDatabase::saveHand,
     "INSERT OR REPLACE INTO hands (game, coins, dealt, held, deck, demo) "
     "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"},
    {&HistoryDatabase::dropHand, "DELETE FROM hands WHERE game = ?1"},
    {&HistoryDatabase::dropHands, "DELETE FROM hands"},
    {&HistoryDatabase::saveTrainerHand,
     "INSERT OR REPLACE INTO trainer_hand (id, game, pay_table, pays, "
     "royal_five_coins, hands, coins, dealt, held, deck) "
     "VALUES (1, ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"},
    {&HistoryDatabase::dropTrainerHand, "DELETE FROM trainer_hand"},
    {&HistoryDatabase::insertGame,
     "INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, "
     "credits_after, demo, session, best_ev, held_ev, best_holds, practice, mistake, "
     "cost, library_game, pay_table, hands) "
     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, "
     "?17, ?18, ?19, ?20)"},
    {&HistoryDatabase::addTotals,
     "INSERT INTO totals (game, coins, row, hands, won, biggest, judged, held_ev, "
     "best_ev, mistakes, mistake_cost) VALUES (?1, ?2, ?3, 1, ?4, ?4, ?5, ?6, ?7, ?8, ?9) "
     "ON CONFLICT (game, coins, row) DO UPDATE SET hands = hands + 1, "
     "won = won + excluded.won, biggest = max(biggest, excluded.biggest), "
     "judged = judged + excluded.judged, held_ev = held_ev + excluded.held_ev, "
     "best_ev = best_ev + excluded.best_ev, mistakes = mistakes + excluded.mistakes, "
     "mistake_cost = mistake_cost + excluded.mistake_cost"},
    {&HistoryDatabase::addTableTotals,
     "INSERT INTO table_totals (library_game, pay_table, hands, games, bet, won, "
     "judged, held_ev, best_ev, mistakes, mistake_cost) "
     "VALUES (?1, ?2, ?3, 1, ?4, ?5, ?6, ?7, ?8, ?9, ?10) "
     "ON CONFLICT (library_game, pay_table, hands) DO UPDATE SET games = games + 1, "
     "bet = bet + excluded.bet, won = won + excluded.won, "
     "judged = judged + excluded.judged, held_ev = held_ev + excluded.held_ev, "
     "best_ev = best_ev + excluded.best_ev, mistakes = mistakes + excluded.mistakes, "
     "mistake_cost = mistake_cost + excluded.mistake_cost"},
    {&HistoryDatabase::addSessionTotals,
     "INSERT INTO session_totals (session, hands, bet, won) VALUES (?1, 1, ?2, ?3) "
     "ON CONFLICT (session) DO UPDATE SET hands = hands + 1, bet = bet + excluded.bet, "
     "won = won + excluded.won"},
    {&HistoryDatabase::countRow, "UPDATE totals_state SET rows = rows + 1 WHERE id = 1"},
};

bool HistoryDatabase::PrepareWrites() {
  for (const WriteSql& write : kWrites) {
    if (!Prepare(this->*write.statement, write.sql)) return false;
  }
  return true;
}

void HistoryDatabase::ResetWrites() {
  for (const WriteSql& write : kWrites) (this->*write.statement).reset();
}

bool HistoryDatabase::InsertGame(const KeptGame& kept, std::int64_t gameSession, std::int64_t* id) {
  const GameVerdict verdict = VerdictOf(kept.game);
  BindGame(kept, gameSession, verdict);
  if (!Run(insertGame.get()) || !Step("game")) return false;
  *id = sqlite3_last_insert_rowid(db);
  // The running totals, in the same transaction: a game a sum leaves out
  // (practice, or no game this program could have played) adds nothing.
  if (!kept.game.practice && ValidRecord(kept.game) && !AddToTotals(kept, gameSession, verdict))
    return false;
  return Run(countRow.get()) && Step("rows");
}

void HistoryDatabase::BindGame(const KeptGame& kept, std::int64_t gameSession,
                               const GameVerdict& verdict) {
  const GameRecord& game = kept.game;
  sqlite3_stmt* s = insertGame.get();
  BindText(s, 1, kept.playedAt);
  BindText(s, 2, kept.name);
  sqlite3_bind_int(s, 3, game.coins);
  BindText(s, 4, kept.dealt);
  sqlite3_bind_int(s, 5, game.held);
  BindText(s, 6, kept.final);
  sqlite3_bind_int(s, 7, game.row);
  sqlite3_bind_int(s, 8, game.won);
  sqlite3_bind_int(s, 9, game.creditsAfter);
  sqlite3_bind_int(s, 10, game.demo ? 1 : 0);
  sqlite3_bind_int64(s, 11, gameSession);
  if (game.bestEv)
    sqlite3_bind_double(s, 12, *game.bestEv);
  else
    sqlite3_bind_null(s, 12);
  if (game.heldEv)
    sqlite3_bind_double(s, 13, *game.heldEv);
  else
    sqlite3_bind_null(s, 13);
  BindTextOrNull(s, 14, game.bestHolds);
  sqlite3_bind_int(s, 15, game.practice ? 1 : 0);
  // The verdict the game was recorded with, kept so that no sum needs a rule.
  if (verdict.judged) {
    sqlite3_bind_int(s, 16, verdict.mistake ? 1 : 0);
    sqlite3_bind_double(s, 17, verdict.cost);
  } else {
    sqlite3_bind_null(s, 16);
    sqlite3_bind_null(s, 17);
  }
  BindTextOrNull(s, 18, game.libraryGame);
  BindTextOrNull(s, 19, game.payTable);
  sqlite3_bind_int(s, 20, game.hands);
}

void HistoryDatabase::KeepGames(const std::vector<GameRecord*>& games,
                                std::optional<std::pair<std::int32_t, std::int64_t>> ledger) {
  if (games.empty()) return;
  // Everything the write needs, owned by it: it may be kept and run later.
  auto rows = std::make_shared<std::vector<KeptGame>>();
  for (GameRecord* game : games) {
    game->playedAt =
        ToTheSecond(game->playedAt.isValid() ? game->playedAt : QDateTime::currentDateTimeUtc());
    rows->push_back({*game, TimeText(game->playedAt), GameText(game->game), HandText(game->dealt),
                     HandText(game->final)});
  }
  // The session and the ids they were written with, once they are.
  struct Written {
    std::int64_t session = 0;
    std::vector<std::int64_t> ids;
  };
  auto written = std::make_shared<Written>();
  const bool now = Write(
      [this, rows, ledger, written] {
        // A write tried again (after a damaged file was moved aside) starts over.
        written->ids.clear();
        std::int64_t gameSession = session;
        if (gameSession == 0) {
          BindText(insertSession.get(), 1, rows->front().playedAt);
          if (!Run(insertSession.get()) || !Step("session")) return false;
          gameSession = sqlite3_last_insert_rowid(db);
        }
        written->session = gameSession;
        for (const KeptGame& row : *rows) {
          std::int64_t id = 0;
          if (!InsertGame(row, gameSession, &id)) return false;
          written->ids.push_back(id);
        }
        if (!ledger) return true;
        if (!JournalBalance(rows->back().game.creditsAfter, ledger->first, ledger->second))
          return false;
        // The end of the hands in progress the games came from.
        bool trainer = false;
        for (const KeptGame& row : *rows) {
          if (!row.game.libraryGame.isEmpty()) {
            trainer = true;
            continue;
          }
          BindText(dropHand.get(), 1, row.name);
          if (!Run(dropHand.get()) || !Step("drop-hand")) return false;
        }
        return !trainer || (Run(dropTrainerHand.get()) && Step("drop-trainer-hand"));
      },
      [this, rows, written] {
        session = written->session;
        for (std::size_t i = 0; i < rows->size(); ++i) Kept((*rows)[i].game, written->ids[i]);
      });
  if (!now) return;
  for (std::size_t i = 0; i < games.size(); ++i) {
    games[i]->session = written->session;
    games[i]->id = written->ids[i];
  }
}

}  // namespace lynx
