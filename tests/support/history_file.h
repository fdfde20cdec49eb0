#pragma once
// Writes a game history file as a given schema version of the store left it:
// the store's own migrations up to that version, then rows that hold only the
// columns that version had. For the committed files of earlier versions and
// for long histories in benchmarks. Everything goes in one transaction
// through prepared statements; the same calls give the same bytes.
//
// The totals and verdicts of version 6 are left to their defaults, as
// another program writing through SQL would leave them.

#include <sqlite3.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <string>

#include "platform/history_store.h"
#include "platform/sqlite_history.h"
#include "records/hand_in_progress.h"

namespace lynx::testing_support {

// The schema version that added each of the columns written here.
inline constexpr int kSessionsSince = 2;      // sessions, games.session
inline constexpr int kCoachSince = 3;         // games.best_ev, held_ev, best_holds
inline constexpr int kPracticeSince = 4;      // games.practice
inline constexpr int kLedgerChangeSince = 5;  // journal.ledger_change
inline constexpr int kLibrarySince = 7;       // games.library_game, pay_table
inline constexpr int kHandsSince = 8;         // games.hands

class HistoryFileWriter {
 public:
  // Starts a new file at path (nothing may be there yet) as version
  // 1..kHistorySchemaVersion.
  HistoryFileWriter(const QString& path, int version) : version(version) {
    if (version < 1 || version > kHistorySchemaVersion) {
      error = "no schema version " + std::to_string(version);
      return;
    }
    if (QFile::exists(path)) {
      error = "the file is already there";
      return;
    }
    const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
      error = sqlite3_errstr(code);
      return;
    }
    // Later schemas keep sums up to date with triggers for other programs;
    // the file is written as the store writes it, without them. No rollback
    // journal: a file left half written is deleted by the caller anyway.
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    if (!Exec("PRAGMA journal_mode = OFF") || !Exec("PRAGMA synchronous = OFF") ||
        !Exec("PRAGMA cache_size = -262144") || !Exec("BEGIN"))
      return;
    for (int v = 0; v < version; ++v) {
      if (!Exec(std::string(HistoryMigration(v)))) return;
    }
    if (!Exec("PRAGMA user_version = " + std::to_string(version))) return;
    std::string columns =
        "played_at, game, coins, dealt, held, final, row, won, credits_after, demo";
    int count = 10;
    if (version >= kSessionsSince) {
      columns += ", session";
      count += 1;
    }
    if (version >= kCoachSince) {
      columns += ", best_ev, held_ev, best_holds";
      count += 3;
    }
    if (version >= kPracticeSince) {
      columns += ", practice";
      count += 1;
    }
    if (version >= kLibrarySince) {
      columns += ", library_game, pay_table";
      count += 2;
    }
    if (version >= kHandsSince) {
      columns += ", hands";
      count += 1;
    }
    std::string values = "?1";
    for (int i = 2; i <= count + 1; ++i) values += ", ?" + std::to_string(i);
    Prepare(insertGame, "INSERT INTO games (" + columns + ", id) VALUES (" + values + ")");
    if (version >= kSessionsSince)
      Prepare(insertSession, "INSERT INTO sessions (id, started_at) VALUES (?1, ?2)");
    Prepare(saveJournal, version >= kLedgerChangeSince
                             ? "INSERT OR REPLACE INTO journal (id, credits, borrowed, running, "
                               "ledger_change) VALUES (1, ?1, ?2, ?3, ?4)"
                             : "INSERT OR REPLACE INTO journal (id, credits, borrowed, running) "
                               "VALUES (1, ?1, ?2, ?3)");
    Prepare(saveHand,
            "INSERT OR REPLACE INTO hands (game, coins, dealt, held, deck, demo) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
  }
  ~HistoryFileWriter() {
    for (sqlite3_stmt* s : {insertGame, insertSession, saveJournal, saveHand}) sqlite3_finalize(s);
    if (db != nullptr) sqlite3_close(db);
  }
  HistoryFileWriter(const HistoryFileWriter&) = delete;
  HistoryFileWriter& operator=(const HistoryFileWriter&) = delete;

  int Version() const { return version; }
  // Empty while every write has worked.
  const std::string& Error() const { return error; }

  // A run of the program (version 2 on).
  bool Session(std::int64_t id, const QDateTime& startedAt) {
    if (!error.empty()) return false;
    if (insertSession == nullptr) return Fail("sessions came with version 2");
    sqlite3_bind_int64(insertSession, 1, id);
    Text(insertSession, 2, TimeText(startedAt));
    return Run(insertSession);
  }

  // A settled game with the columns of the file's version; game.id when not
  // 0, else the next. game.playedAt must be valid.
  bool Game(const GameRecord& game) {
    if (!error.empty()) return false;
    sqlite3_stmt* s = insertGame;
    Text(s, 1, TimeText(game.playedAt));
    Text(s, 2, GameText(game.game));
    sqlite3_bind_int(s, 3, game.coins);
    Text(s, 4, HandText(game.dealt));
    sqlite3_bind_int(s, 5, game.held);
    Text(s, 6, HandText(game.final));
    sqlite3_bind_int(s, 7, game.row);
    sqlite3_bind_int(s, 8, game.won);
    sqlite3_bind_int(s, 9, game.creditsAfter);
    sqlite3_bind_int(s, 10, game.demo ? 1 : 0);
    int next = 11;
    if (version >= kSessionsSince) sqlite3_bind_int64(s, next++, game.session);
    if (version >= kCoachSince) {
      if (game.bestEv)
        sqlite3_bind_double(s, next, *game.bestEv);
      else
        sqlite3_bind_null(s, next);
      if (game.heldEv)
        sqlite3_bind_double(s, next + 1, *game.heldEv);
      else
        sqlite3_bind_null(s, next + 1);
      if (game.bestHolds.isEmpty())
        sqlite3_bind_null(s, next + 2);
      else
        Text(s, next + 2, game.bestHolds);
      next += 3;
    }
    if (version >= kPracticeSince) sqlite3_bind_int(s, next++, game.practice ? 1 : 0);
    if (version >= kLibrarySince) {
      for (const QString* text : {&game.libraryGame, &game.payTable}) {
        if (text->isEmpty())
          sqlite3_bind_null(s, next++);
        else
          Text(s, next++, *text);
      }
    }
    if (version >= kHandsSince) sqlite3_bind_int(s, next++, game.hands);
    if (game.id != 0)
      sqlite3_bind_int64(s, next, game.id);
    else
      sqlite3_bind_null(s, next);
    return Run(s);
  }

  // The journal's one row; change is written from version 5 on.
  bool Journal(int credits, int borrowed, int running, std::int64_t change) {
    if (!error.empty()) return false;
    sqlite3_bind_int(saveJournal, 1, credits);
    sqlite3_bind_int(saveJournal, 2, borrowed);
    sqlite3_bind_int(saveJournal, 3, running);
    if (version >= kLedgerChangeSince) sqlite3_bind_int64(saveJournal, 4, change);
    return Run(saveJournal);
  }

  // A hand left dealt, one per game.
  bool Hand(const HandInProgress& hand) {
    if (!error.empty()) return false;
    std::array<CardCode, Deck::kSize> deck{};
    for (int p = 1; p <= Deck::kSize; ++p) deck[static_cast<std::size_t>(p - 1)] = hand.deck.At(p);
    Text(saveHand, 1, GameText(hand.game));
    sqlite3_bind_int(saveHand, 2, hand.coins);
    Text(saveHand, 3, HandText(hand.dealt));
    sqlite3_bind_int(saveHand, 4, hand.held);
    Text(saveHand, 5, CardsText(deck.data(), Deck::kSize));
    sqlite3_bind_int(saveHand, 6, hand.demo ? 1 : 0);
    return Run(saveHand);
  }

  // Commits and closes the file, in WAL mode as the store keeps it, with no
  // -wal file left beside it. False when anything failed.
  bool Finish() {
    if (!error.empty() || !Exec("COMMIT") || !Exec("PRAGMA journal_mode = WAL")) return false;
    for (sqlite3_stmt** s : {&insertGame, &insertSession, &saveJournal, &saveHand}) {
      sqlite3_finalize(*s);
      *s = nullptr;
    }
    const int code = sqlite3_close(db);
    db = nullptr;
    return code == SQLITE_OK || Fail(sqlite3_errstr(code));
  }

 private:
  bool Fail(const std::string& why) {
    if (error.empty()) error = why;
    return false;
  }
  bool Exec(const std::string& sql) {
    if (!error.empty()) return false;
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return true;
    Fail(message != nullptr ? message : "failed: " + sql);
    sqlite3_free(message);
    return false;
  }
  void Prepare(sqlite3_stmt*& statement, const std::string& sql) {
    if (!error.empty()) return;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
      Fail(sqlite3_errmsg(db));
  }
  static void Text(sqlite3_stmt* statement, int index, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    sqlite3_bind_text(statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                      SQLITE_TRANSIENT);
  }
  bool Run(sqlite3_stmt* statement) {
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    if (!done) Fail(sqlite3_errmsg(db));
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return done;
  }

  int version = 0;
  std::string error;
  sqlite3* db = nullptr;
  sqlite3_stmt* insertGame = nullptr;
  sqlite3_stmt* insertSession = nullptr;
  sqlite3_stmt* saveJournal = nullptr;
  sqlite3_stmt* saveHand = nullptr;
};

}  // namespace lynx::testing_support
