// The schema of the history file, its upgrades from every earlier version,
// and the look at a file before it is opened for writing.

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <iterator>
#include <string>

#include "platform/history_database.h"

namespace lynx {

namespace {

// Each entry brings the schema from the version of its index to the next.
// A new file runs all of them, so they are the one definition of the schema.
constexpr const char* kMigrations[] = {
    // 1: the settled games, the journal of the balance, the hands in progress.
    R"sql(
CREATE TABLE games (
  id INTEGER PRIMARY KEY,
  played_at TEXT NOT NULL,
  game TEXT NOT NULL,
  coins INTEGER NOT NULL,
  dealt TEXT NOT NULL,
  held INTEGER NOT NULL,
  final TEXT NOT NULL,
  row INTEGER NOT NULL,
  won INTEGER NOT NULL,
  credits_after INTEGER NOT NULL,
  demo INTEGER NOT NULL
);
CREATE TABLE journal (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  credits INTEGER,
  borrowed INTEGER,
  running INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE hands (
  game TEXT PRIMARY KEY,
  coins INTEGER NOT NULL,
  dealt TEXT NOT NULL,
  held INTEGER NOT NULL,
  deck TEXT NOT NULL,
  demo INTEGER NOT NULL
);
)sql",
    // 2: one session per run of the program (the games played before form the
    // first), and indexes that let the history window's sums read an index
    // instead of the table.
    R"sql(
CREATE TABLE sessions (
  id INTEGER PRIMARY KEY,
  started_at TEXT NOT NULL
);
ALTER TABLE games ADD COLUMN session INTEGER NOT NULL DEFAULT 0;
INSERT INTO sessions (id, started_at) SELECT 1, played_at FROM games ORDER BY id LIMIT 1;
UPDATE games SET session = 1;
CREATE INDEX games_by_game ON games (game, row, coins, won);
CREATE INDEX games_by_session ON games (session, coins, won);
CREATE INDEX games_by_balance ON games (id, credits_after);
)sql",
    // 3: the coach's judgement of each deal: the expected credits of the best
    // hold and of the hold played, and every best hold mask ("15,31"). NULL
    // for the games played before, and for deals that were not judged.
    R"sql(
ALTER TABLE games ADD COLUMN best_ev REAL;
ALTER TABLE games ADD COLUMN held_ev REAL;
ALTER TABLE games ADD COLUMN best_holds TEXT;
)sql",
    // 4: practice hands of the mistake drill, kept with the games but
    // without a bet or a win: the sums over play leave them out.
    R"sql(
ALTER TABLE games ADD COLUMN practice INTEGER NOT NULL DEFAULT 0;
)sql",
    // 5: the number of the balance change the journal holds, so that the
    // start-up can tell whether it or the settings file is newer.
    R"sql(
ALTER TABLE journal ADD COLUMN ledger_change INTEGER NOT NULL DEFAULT 0;
)sql",
    // 6: running totals, kept by each settle, so that what the windows show
    // costs the same at ten games and at ten million: per game, stake and pay
    // row, and per session; and each judged game's verdict (mistake 1 or 0,
    // cost in credits; NULL when the coach did not judge it). totals_state
    // counts every row and says whether the totals are stale: built from the
    // rows after this upgrade, and again after another program (the sqlite3
    // tool) changed the games, which its triggers note. The program's own
    // connection runs no triggers. The indexes of version 2 served sums that
    // the totals answer now.
    R"sql(
ALTER TABLE games ADD COLUMN mistake INTEGER;
ALTER TABLE games ADD COLUMN cost REAL;
CREATE TABLE totals (
  game TEXT NOT NULL,
  coins INTEGER NOT NULL,
  row INTEGER NOT NULL,
  hands INTEGER NOT NULL,
  won INTEGER NOT NULL,
  biggest INTEGER NOT NULL,
  judged INTEGER NOT NULL,
  held_ev REAL NOT NULL,
  best_ev REAL NOT NULL,
  mistakes INTEGER NOT NULL,
  mistake_cost REAL NOT NULL,
  PRIMARY KEY (game, coins, row)
) WITHOUT ROWID;
CREATE TABLE session_totals (
  session INTEGER PRIMARY KEY,
  hands INTEGER NOT NULL,
  bet INTEGER NOT NULL,
  won INTEGER NOT NULL
);
CREATE TABLE totals_state (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  rows INTEGER NOT NULL,
  stale INTEGER NOT NULL
);
INSERT INTO totals_state (id, rows, stale) VALUES (1, 0, 1);
CREATE TRIGGER games_added AFTER INSERT ON games
  BEGIN UPDATE totals_state SET stale = 1; END;
CREATE TRIGGER games_changed AFTER UPDATE ON games
  BEGIN UPDATE totals_state SET stale = 1; END;
CREATE TRIGGER games_removed AFTER DELETE ON games
  BEGIN UPDATE totals_state SET stale = 1; END;
DROP INDEX IF EXISTS games_by_game;
DROP INDEX IF EXISTS games_by_session;
DROP INDEX IF EXISTS games_by_balance;
CREATE INDEX games_mistakes ON games (id) WHERE mistake = 1;
)sql",
    // 7: the game of the library and the pay table a game was played on, by
    // name; NULL for the machine's own game and table (every earlier row).
    // A new table of a game needs no new schema.
    R"sql(
ALTER TABLE games ADD COLUMN library_game TEXT;
ALTER TABLE games ADD COLUMN pay_table TEXT;
)sql",
    // 8: the trainer table. Each hand of a deal is a row of its own with the
    // count of hands dealt together (1 for every earlier row); its hand in
    // progress is journaled (one at most: the deck as card names, the pays
    // per coin from the top row down as numbers); and running totals per
    // game of the library, pay table and count of hands, which the machine's
    // totals no longer hold. All the totals are built again from the rows.
    R"sql(
ALTER TABLE games ADD COLUMN hands INTEGER NOT NULL DEFAULT 1;
CREATE TABLE trainer_hand (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  game TEXT NOT NULL,
  pay_table TEXT NOT NULL,
  pays TEXT NOT NULL,
  royal_five_coins INTEGER NOT NULL,
  hands INTEGER NOT NULL,
  coins INTEGER NOT NULL,
  dealt TEXT NOT NULL,
  held INTEGER NOT NULL,
  deck TEXT NOT NULL
);
CREATE TABLE table_totals (
  library_game TEXT NOT NULL,
  pay_table TEXT NOT NULL,
  hands INTEGER NOT NULL,
  games INTEGER NOT NULL,
  bet INTEGER NOT NULL,
  won INTEGER NOT NULL,
  judged INTEGER NOT NULL,
  held_ev REAL NOT NULL,
  best_ev REAL NOT NULL,
  mistakes INTEGER NOT NULL,
  mistake_cost REAL NOT NULL,
  PRIMARY KEY (library_game, pay_table, hands)
) WITHOUT ROWID;
UPDATE totals_state SET stale = 1;
)sql",
};
static_assert(std::size(kMigrations) == kHistorySchemaVersion);

// The columns each version must have; a file that lacks one is not a history.
constexpr HistoryDatabase::Column kColumns[] = {
    {"games", "id", 1},
    {"games", "played_at", 1},
    {"games", "game", 1},
    {"games", "coins", 1},
    {"games", "dealt", 1},
    {"games", "held", 1},
    {"games", "final", 1},
    {"games", "row", 1},
    {"games", "won", 1},
    {"games", "credits_after", 1},
    {"games", "demo", 1},
    {"games", "session", 2},
    {"games", "best_ev", 3},
    {"games", "held_ev", 3},
    {"games", "best_holds", 3},
    {"games", "practice", 4},
    {"journal", "id", 1},
    {"journal", "credits", 1},
    {"journal", "borrowed", 1},
    {"journal", "running", 1},
    {"journal", "ledger_change", 5},
    {"games", "mistake", 6},
    {"games", "cost", 6},
    {"totals", "mistake_cost", 6},
    {"session_totals", "won", 6},
    {"totals_state", "stale", 6},
    {"games", "library_game", 7},
    {"games", "pay_table", 7},
    {"games", "hands", 8},
    {"trainer_hand", "id", 8},
    {"trainer_hand", "game", 8},
    {"trainer_hand", "pay_table", 8},
    {"trainer_hand", "pays", 8},
    {"trainer_hand", "royal_five_coins", 8},
    {"trainer_hand", "hands", 8},
    {"trainer_hand", "coins", 8},
    {"trainer_hand", "dealt", 8},
    {"trainer_hand", "held", 8},
    {"trainer_hand", "deck", 8},
    {"table_totals", "mistake_cost", 8},
    {"hands", "game", 1},
    {"hands", "coins", 1},
    {"hands", "dealt", 1},
    {"hands", "held", 1},
    {"hands", "deck", 1},
    {"hands", "demo", 1},
    {"sessions", "id", 2},
    {"sessions", "started_at", 2},
};

void CloseConnection(sqlite3* db) {
  if (db != nullptr) sqlite3_close_v2(db);
}

// The first column of the first row of sql, as text; false (with code) when
// the statement fails.
bool QueryText(sqlite3* db, const char* sql, QString* text, int* code) {
  sqlite3_stmt* statement = nullptr;
  *code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  if (*code != SQLITE_OK) return false;
  *code = sqlite3_step(statement);
  if (*code == SQLITE_ROW) {
    const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    *text = value != nullptr ? QString::fromUtf8(value) : QString();
    *code = SQLITE_OK;
  } else if (*code == SQLITE_DONE) {
    text->clear();
    *code = SQLITE_OK;
  }
  sqlite3_finalize(statement);
  return *code == SQLITE_OK;
}

// True when the file's header says it is in WAL mode (bytes 18 and 19 are 2).
bool WalHeader(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray header = file.read(20);
  return header.size() == 20 && header[18] == 2 && header[19] == 2;
}

// True when the file is as long as its header says: the page count there is
// valid (its change counter matches the one it was written with) and times
// the page size gives the file's size. A file cut short fails this.
bool WholeByHeader(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray header = file.read(100);
  if (header.size() < 100) return false;
  const auto byte = [&header](int i) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(header[i]));
  };
  const auto word = [&byte](int i) {
    return byte(i) << 24 | byte(i + 1) << 16 | byte(i + 2) << 8 | byte(i + 3);
  };
  const std::uint32_t pageSize = byte(16) << 8 | byte(17);
  const std::int64_t bytes = pageSize == 1 ? 65536 : pageSize;
  return word(24) == word(92) && word(28) > 0 &&
         static_cast<std::int64_t>(word(28)) * bytes == file.size();
}

}  // namespace

bool HistoryDatabase::HasColumn(sqlite3* connection, const Column& column) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(connection,
                         "SELECT 1 FROM sqlite_master AS m, pragma_table_info(m.name) AS c "
                         "WHERE m.type = 'table' AND m.name = ?1 AND c.name = ?2",
                         -1, &statement, nullptr) != SQLITE_OK)
    return false;
  sqlite3_bind_text(statement, 1, column.table, -1, SQLITE_STATIC);
  sqlite3_bind_text(statement, 2, column.name, -1, SQLITE_STATIC);
  const bool found = sqlite3_step(statement) == SQLITE_ROW;
  sqlite3_finalize(statement);
  return found;
}

std::string_view HistoryMigration(int index) {
  if (index < 0 || index >= kHistorySchemaVersion) return {};
  return kMigrations[index];
}

// Looks at an existing file through a read-only connection, which never
// writes into it.
HistoryDatabase::Verdict HistoryDatabase::Examine(QString* why) {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink()) return Verdict::Missing;
  if (!info.isFile()) {
    *why = QStringLiteral("it is not a regular file");
    return Verdict::Unreadable;
  }
  sqlite3* check = nullptr;
  int code =
      sqlite3_open_v2(QFile::encodeName(path).constData(), &check, SQLITE_OPEN_READONLY, nullptr);
  auto fail = [&](int failed) {
    *why = Reason(failed);
    CloseConnection(check);
    // Reading the header and the schema fails with a plain error when they
    // make no sense to SQLite (an unknown schema format, say): damage too.
    const bool content = DamageCode(failed) || PrimaryCode(failed) == SQLITE_ERROR ||
                         PrimaryCode(failed) == SQLITE_FORMAT;
    return content ? Verdict::Damaged : Verdict::Unreadable;
  };
  if (code != SQLITE_OK) return fail(code);
  Configure(check);

  QString text;
  if (!QueryText(check, "PRAGMA user_version", &text, &code)) return fail(code);
  const int version = text.toInt();
  // A file about to be changed in its structure (an upgrade, or the switch to
  // WAL mode of a file that is not in it) gets the full check, indexes too;
  // one the last run closed normally, whole by its header, none at the start:
  // a check reads every page, seconds for a long history, and damage that
  // appears later is met by the read or write that finds it (then the file is
  // moved aside as here). Any other file gets the quicker check of the pages
  // and records.
  const bool full = version < kHistorySchemaVersion || !WalHeader(path);
  QString running;
  const bool closedNormally =
      !full && version == kHistorySchemaVersion && WholeByHeader(path) &&
      QueryText(check, "SELECT running FROM journal WHERE id = 1", &running, &code) &&
      running == QLatin1String("0");
  if (closedNormally)
    text = QStringLiteral("ok");
  else if (!QueryText(check, full ? "PRAGMA integrity_check" : "PRAGMA quick_check", &text, &code))
    return fail(code);
  if (text != QLatin1String("ok")) {
    *why = text;
    CloseConnection(check);
    return Verdict::Damaged;
  }

  Verdict verdict = Verdict::Usable;
  if (version > kHistorySchemaVersion) {
    verdict = Verdict::Newer;
  } else if (version < 0) {
    verdict = Verdict::Foreign;
  } else if (version == 0) {
    if (!QueryText(check, "SELECT count(*) FROM sqlite_master", &text, &code)) return fail(code);
    if (text != QLatin1String("0")) verdict = Verdict::Foreign;
  } else {
    for (const Column& column : kColumns) {
      if (column.since <= version && !HasColumn(check, column)) verdict = Verdict::Foreign;
    }
  }
  CloseConnection(check);
  return verdict;
}

// Upgrades in one transaction: a failure leaves the file at its old version.
bool HistoryDatabase::Upgrade() {
  if (!Exec("BEGIN IMMEDIATE")) return false;
  QString text;
  int result = SQLITE_OK;
  if (!QueryText(db, "PRAGMA user_version", &text, &result)) return Failed(result);
  const int version = text.toInt();
  if (version < 0 || version > kHistorySchemaVersion) return Failed(SQLITE_ERROR);
  if (version == kHistorySchemaVersion) return Exec("COMMIT");  // nothing written
  for (int v = version; v < kHistorySchemaVersion; ++v) {
    if (!Exec(kMigrations[v])) return false;
  }
  const std::string setVersion = "PRAGMA user_version = " + std::to_string(kHistorySchemaVersion);
  return Exec(setVersion.c_str()) && Exec("COMMIT");
}

}  // namespace lynx
