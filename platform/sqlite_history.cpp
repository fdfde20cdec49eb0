#include "platform/sqlite_history.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>

#include "coach/coach.h"
#include "engine/card_text.h"
#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/paytable.h"
#include "platform/folder_sync.h"
#include "platform/history_csv.h"
#include "platform/history_rows.h"
#include "platform/journal_syncer.h"
#include "platform/wal_checkpointer.h"

// The columns GameOf reads, in its order.
#define GAME_COLUMNS                                                                \
  "id, played_at, game, coins, dealt, held, final, row, won, credits_after, demo, " \
  "session, best_ev, held_ev, best_holds, practice, library_game, pay_table, hands"

// A game the coach judged, and one held worse than best play by the coach's
// own rule (lynx_mistake, see history_rows.h). Games written since the totals
// carry their verdict in the columns mistake and cost.
#define JUDGED "(demo = 0 AND best_ev IS NOT NULL AND held_ev IS NOT NULL)"
#define MISTAKE JUDGED " AND lynx_mistake(best_ev, held_ev)"

// A game of the machine's own table; any other names its game of the
// library. GameOf reads NULL and '' alike.
#define MACHINE_ROW "(library_game IS NULL OR library_game = '')"

// A row that is a game this program could have played, by the rule of
// ValidRecord. For the machine's games: plain range checks (the pay rows of
// jacks, joker and deuces are -1..8, -1..10 and -1..9; the top prize is 250
// credits a coin, 4000 for five coins), then the cards; a game of the
// library is looked up by lynx_valid_library. Flags other than 0 and 1 make
// a row damaged too, as SQL and GameOf would read them differently.
#define TOP_PRIZE "(CASE coins WHEN 5 THEN 4000 ELSE 250 * coins END)"
#define VALID                                                                                  \
  "(game IN ('jacks', 'joker', 'deuces') AND coins IN (1, 2, 3, 4, 5) AND "                    \
  "held BETWEEN 0 AND 31 AND demo IN (0, 1) AND practice IN (0, 1) AND CASE WHEN " MACHINE_ROW \
  " THEN hands = 1 AND row BETWEEN -1 "                                                        \
  "AND (CASE game WHEN 'jacks' THEN 8 WHEN 'joker' THEN 10 ELSE 9 END) AND "                   \
  "(best_ev IS NULL OR best_ev BETWEEN 0 AND " TOP_PRIZE                                       \
  ") AND (held_ev IS NULL OR held_ev BETWEEN 0 AND " TOP_PRIZE                                 \
  ") AND lynx_valid_draw(game, dealt, held, final) "                                           \
  "ELSE lynx_valid_library(library_game, pay_table, game, coins, hands, dealt, held, "         \
  "final, row, best_ev, held_ev) END)"

// What Statistics reads per group of games (of one stake: see coins), from
// the rows themselves when the running totals cannot be used.
#define STATISTICS_COLUMNS                                 \
  "row, coins, count(*), sum(coins), sum(won), max(won), " \
  "sum(" JUDGED "), sum(CASE WHEN " JUDGED                 \
  " THEN coins ELSE 0 END), "                              \
  "total(CASE WHEN " JUDGED                                \
  " THEN held_ev END), "                                   \
  "total(CASE WHEN " JUDGED                                \
  " THEN best_ev END), "                                   \
  "sum(CASE WHEN " MISTAKE                                 \
  " THEN 1 ELSE 0 END), "                                  \
  "total(CASE WHEN " MISTAKE " THEN best_ev - held_ev END)"

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
struct Column {
  const char* table;
  const char* name;
  int since;  // schema version
};
constexpr Column kColumns[] = {
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

// How long a statement waits for another program's lock: the store is used
// from the window thread, which must not stop for longer than a frame. A
// write that still meets the lock is kept and retried (kRetryMilliseconds).
constexpr int kBusyMilliseconds = 10;
constexpr int kRetryMilliseconds = 250;
// The last try of the kept writes, when the store goes at the program's end.
constexpr int kFinalBusyMilliseconds = 2000;

int Primary(int code) {
  return code & 0xff;
}
bool DamageCode(int code) {
  return Primary(code) == SQLITE_CORRUPT || Primary(code) == SQLITE_NOTADB;
}
bool LockCode(int code) {
  return Primary(code) == SQLITE_BUSY || Primary(code) == SQLITE_LOCKED;
}

QString Shown(const QString& path) {
  return QDir::toNativeSeparators(path);
}

// Why a statement failed, in a few words for the player. SQLite's own words
// otherwise: the system's error number is no longer kept by the time a
// statement reports its failure.
QString Reason(int code) {
  if (Primary(code) == SQLITE_FULL) return QStringLiteral("disk full");
  if (Primary(code) == SQLITE_READONLY) return QStringLiteral("read-only");
  return QString::fromUtf8(sqlite3_errstr(code));
}

QDateTime ToTheSecond(const QDateTime& time) {
  return QDateTime::fromSecsSinceEpoch(time.toSecsSinceEpoch(), QTimeZone::utc());
}

// Settings every connection gets: wait a moment for another program's lock
// rather than fail at once, and let nothing stored in the file run code (triggers,
// functions with side effects in the schema) or change the schema behind
// SQLite's back.
void Configure(sqlite3* db) {
  sqlite3_busy_timeout(db, kBusyMilliseconds);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  AddRowCheck(db);
  AddMistakeRule(db);
}

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

bool HasColumn(sqlite3* db, const Column& column) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db,
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

QString SystemError(int error) {
  QString text = QString::fromLocal8Bit(std::strerror(error));
  if (!text.isEmpty()) text[0] = text[0].toLower();
  return text;
}

// Renames without ever replacing a file that is there.
bool RenameNoReplace(const QString& from, const QString& to, QString* why) {
  const QByteArray a = QFile::encodeName(from);
  const QByteArray b = QFile::encodeName(to);
  if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
    return true;
  // File systems that cannot promise it: the caller has checked the name is free.
  if ((errno == EINVAL || errno == ENOSYS) && ::rename(a.constData(), b.constData()) == 0)
    return true;
  *why = SystemError(errno);
  return false;
}

void BindText(sqlite3_stmt* statement, int index, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  sqlite3_bind_text(statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                    SQLITE_TRANSIENT);
}

QString ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text != nullptr ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column))
                         : QString();
}

QDateTime ColumnTime(sqlite3_stmt* statement, int column) {
  const QDateTime time = QDateTime::fromString(ColumnText(statement, column), Qt::ISODate);
  return time.isValid() ? time.toUTC() : QDateTime();
}

bool ParseCards(const QString& text, CardCode* cards, int count) {
  const QByteArray bytes = text.toUtf8();
  return ParseCardsText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                        cards, count);
}

// Exactly count whole numbers from 0 up, separated by single spaces
// ("250 50 25 9 6"), into numbers.
bool ParseNumbers(std::string_view text, int* numbers, int count) {
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < count; ++i) {
    if (i > 0 && (at == end || *at++ != ' ')) return false;
    if (at == end || *at < '0' || *at > '9') return false;
    const auto [next, error] = std::from_chars(at, end, numbers[i]);
    if (error != std::errc()) return false;
    at = next;
  }
  return at == end;
}

}  // namespace

QString DefaultHistoryPath() {
  const QString data = qEnvironmentVariable("XDG_DATA_HOME");
  const QString base = !data.isEmpty() && QDir::isAbsolutePath(data)
                           ? data
                           : QDir::homePath() + QStringLiteral("/.local/share");
  return QDir::cleanPath(base) + QStringLiteral("/lynx-video-poker/history.sqlite");
}

QString GameText(GameVariant game) {
  const std::string_view name = GameName(game);
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

GameVariant GameFromText(const QString& text) {
  return GameFromName(text.toStdString());
}

QString CardsText(const CardCode* cards, int count) {
  QString text;
  text.reserve(count * 3);
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += QLatin1Char(' ');
    text += QString::fromStdString(CardName(cards[i]));
  }
  return text;
}

QString HandText(const Hand& hand) {
  return CardsText(hand.data(), static_cast<int>(hand.size()));
}

QString TimeText(const QDateTime& time) {
  return time.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

// ---------------------------------------------------------------------------

void SqliteHistory::Finalize::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}

SqliteHistory::SqliteHistory(const QString& filePath, const QString& offBecause,
                             BuildProgress progress)
    : path(filePath), buildProgress(std::move(progress)) {
  if (offBecause.isEmpty()) {
    Open();
  } else {
    TurnOff(QStringLiteral("The game history is off: %1: %2.").arg(Shown(path), offBecause));
  }
}

SqliteHistory::~SqliteHistory() {
  // The program is ending: the window no longer needs answering, so the
  // writes kept for a lock get one last, longer chance.
  if (!kept.empty()) {
    finalTry = true;
    if (db != nullptr) sqlite3_busy_timeout(db, kFinalBusyMilliseconds);
    RetryKeptWrites();
  }
  retryTimer.reset();
  Close(true);
}

void SqliteHistory::Open() {
  const QString folder = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(folder)) {
    TurnOff(QStringLiteral("The game history is off: the folder %1 cannot be made.")
                .arg(Shown(folder)));
    return;
  }
  QString why;
  const Verdict verdict = Examine(&why);
  if (verdict == Verdict::Unreadable) {
    TurnOff(QStringLiteral("The game history is off: the file %1 cannot be opened (%2).")
                .arg(Shown(path), why));
    return;
  }
  if (verdict == Verdict::Newer) {
    if (!OpenReadOnly(&why)) {
      TurnOff(QStringLiteral("The game history is off: the file %1 cannot be opened (%2).")
                  .arg(Shown(path), why));
      return;
    }
    state = State::ReadOnly;
    readOnlyFromStart = true;
    problem = QStringLiteral(
                  "The game history %1 comes from a newer version of LYNX Video Poker: it is "
                  "shown, but no game is added to it.")
                  .arg(Shown(path));
    return;
  }
  if (verdict == Verdict::Damaged || verdict == Verdict::Foreign) {
    if (!MoveAside(&why)) {
      TurnOff(QStringLiteral(
                  "The game history is off: the file %1 is damaged and cannot be moved aside "
                  "(%2).")
                  .arg(Shown(path), why));
      return;
    }
    problem = (verdict == Verdict::Damaged
                   ? QStringLiteral("The game history %1 was damaged: it was moved aside to %2 "
                                    "and a new history was started.")
                   : QStringLiteral("The file %1 is not a game history: it was moved aside to "
                                    "%2 and a new history was started."))
                  .arg(Shown(path), Shown(movedAsideTo));
  }
  damaged = false;
  lastCode = SQLITE_OK;
  if (OpenReadWrite(&why)) {
    state = State::Working;
    return;
  }
  if (damaged && movedAsideTo.isEmpty()) {
    // Damage the structure check did not see, met while upgrading.
    Recover();
    return;
  }
  QString readWhy;
  if (LockCode(lastCode) && verdict == Verdict::Usable && OpenReadOnly(&readWhy)) {
    // Another program is writing: read now, write once it has finished.
    state = State::Waiting;
    reopen = true;
    ScheduleRetry();
    return;
  }
  const QString sentence =
      QStringLiteral("The game history is off: the file %1 cannot be written (%2).")
          .arg(Shown(path), why);
  if (verdict == Verdict::Usable && OpenReadOnly(&readWhy)) {
    state = State::ReadOnly;
    readOnlyFromStart = true;
    problem = sentence;
  } else {
    TurnOff(sentence);
  }
}

// Looks at an existing file through a read-only connection, which never
// writes into it.
SqliteHistory::Verdict SqliteHistory::Examine(QString* why) {
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
    const bool content =
        DamageCode(failed) || Primary(failed) == SQLITE_ERROR || Primary(failed) == SQLITE_FORMAT;
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

bool SqliteHistory::OpenReadOnly(QString* why) {
  const int code =
      sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  if (code != SQLITE_OK) {
    *why = Reason(code);
    Close(false);
    return false;
  }
  Configure(db);
  return true;
}

bool SqliteHistory::OpenReadWrite(QString* why) {
  const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (code != SQLITE_OK) {
    *why = Reason(code);
    Close(false);
    return false;
  }
  Configure(db);

  // Upgrades in one transaction: a failure leaves the file at its old version.
  auto exec = [&](const char* sql) {
    const int result = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    return result == SQLITE_OK || Failed(result);
  };
  auto upgrade = [&] {
    if (!exec("BEGIN IMMEDIATE")) return false;
    QString text;
    int result = SQLITE_OK;
    if (!QueryText(db, "PRAGMA user_version", &text, &result)) return Failed(result);
    const int version = text.toInt();
    if (version < 0 || version > kHistorySchemaVersion) return Failed(SQLITE_ERROR);
    if (version == kHistorySchemaVersion) return exec("COMMIT");  // nothing written
    for (int v = version; v < kHistorySchemaVersion; ++v) {
      if (!exec(kMigrations[v])) return false;
    }
    const std::string setVersion = "PRAGMA user_version = " + std::to_string(kHistorySchemaVersion);
    return exec(setVersion.c_str()) && exec("COMMIT");
  };
  // WAL with a full sync at every commit until the journal's syncer takes
  // the syncs over: a game once shown as paid is on disk, and readers (the
  // sqlite3 tool) never wait for the game.
  const bool ready = exec("PRAGMA journal_mode = WAL") && exec("PRAGMA synchronous = FULL") &&
                     upgrade() && PrepareWrites();
  if (!ready) {
    *why = FailureReason();
    if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    Close(false);
    return false;
  }
  if (finalTry) sqlite3_busy_timeout(db, kFinalBusyMilliseconds);
  RememberFile();
  checkpointer = std::make_unique<WalCheckpointer>(db, path);
  // The syncs go to a thread of their own: a commit reaches the system's
  // cache, and whoever shows what it wrote waits for WhenOnDisk.
  auto journal = std::make_unique<JournalSyncer>(path + QStringLiteral("-wal"));
  if (journal->Usable() &&
      sqlite3_exec(db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr) == SQLITE_OK) {
    syncer = std::move(journal);
    checkpointer->OnCommit([this] { syncer->Committed(); });
  }
  // Totals that cannot be built now (a lock, a full disk) stay stale; the
  // sums are then read from the rows until they can be.
  TotalsReady(true);
  return true;
}

bool SqliteHistory::TotalsReady(bool mayBuild) {
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
// progress can be told.
bool SqliteHistory::BuildTotals() {
  auto exec = [&](const char* sql) {
    const int result = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    return result == SQLITE_OK || Failed(result);
  };
  std::int64_t last = 0;
  {
    Statement top;
    if (!Prepare(top, "SELECT coalesce(max(id), 0) FROM games") ||
        sqlite3_step(top.get()) != SQLITE_ROW)
      return false;
    last = sqlite3_column_int64(top.get(), 0);
  }
  if (!exec("BEGIN IMMEDIATE")) return false;
  Statement verdicts, games, tables, sessions;
  const bool ready =
      exec("DELETE FROM totals") && exec("DELETE FROM table_totals") &&
      exec("DELETE FROM session_totals") &&
      Prepare(verdicts,
              "UPDATE games SET mistake = lynx_mistake(best_ev, held_ev), "
              "cost = CASE WHEN lynx_mistake(best_ev, held_ev) THEN best_ev - held_ev ELSE 0 END "
              "WHERE id > ?1 AND id <= ?2 AND mistake IS NULL AND " JUDGED) &&
      Prepare(games,
              "INSERT INTO totals (game, coins, row, hands, won, biggest, judged, held_ev, "
              "best_ev, mistakes, mistake_cost) "
              "SELECT game, coins, row, count(*), sum(won), max(won), count(mistake), "
              "total(CASE WHEN mistake IS NOT NULL THEN held_ev END), "
              "total(CASE WHEN mistake IS NOT NULL THEN best_ev END), "
              "count(CASE WHEN mistake = 1 THEN 1 END), total(CASE WHEN mistake = 1 THEN cost END) "
              "FROM games WHERE id > ?1 AND id <= ?2 AND practice = 0 AND " MACHINE_ROW
              " AND " VALID
              " GROUP BY game, coins, row "
              "ON CONFLICT (game, coins, row) DO UPDATE SET hands = hands + excluded.hands, "
              "won = won + excluded.won, biggest = max(biggest, excluded.biggest), "
              "judged = judged + excluded.judged, held_ev = held_ev + excluded.held_ev, "
              "best_ev = best_ev + excluded.best_ev, mistakes = mistakes + excluded.mistakes, "
              "mistake_cost = mistake_cost + excluded.mistake_cost") &&
      Prepare(tables,
              "INSERT INTO table_totals (library_game, pay_table, hands, games, bet, won, judged, "
              "held_ev, best_ev, mistakes, mistake_cost) "
              "SELECT library_game, pay_table, hands, count(*), sum(coins), sum(won), "
              "count(mistake), total(CASE WHEN mistake IS NOT NULL THEN held_ev END), "
              "total(CASE WHEN mistake IS NOT NULL THEN best_ev END), "
              "count(CASE WHEN mistake = 1 THEN 1 END), total(CASE WHEN mistake = 1 THEN cost END) "
              "FROM games WHERE id > ?1 AND id <= ?2 AND practice = 0 AND NOT " MACHINE_ROW
              " AND " VALID
              " GROUP BY library_game, pay_table, hands "
              "ON CONFLICT (library_game, pay_table, hands) DO UPDATE SET "
              "games = games + excluded.games, bet = bet + excluded.bet, won = won + excluded.won, "
              "judged = judged + excluded.judged, held_ev = held_ev + excluded.held_ev, "
              "best_ev = best_ev + excluded.best_ev, mistakes = mistakes + excluded.mistakes, "
              "mistake_cost = mistake_cost + excluded.mistake_cost") &&
      Prepare(sessions,
              "INSERT INTO session_totals (session, hands, bet, won) "
              "SELECT session, count(*), sum(coins), sum(won) FROM games "
              "WHERE id > ?1 AND id <= ?2 AND practice = 0 AND " VALID
              " GROUP BY session "
              "ON CONFLICT (session) DO UPDATE SET hands = hands + excluded.hands, "
              "bet = bet + excluded.bet, won = won + excluded.won");
  bool built = ready;
  constexpr std::int64_t kRange = 50000;
  for (std::int64_t low = 0; built && low < last; low += kRange) {
    for (sqlite3_stmt* s : {verdicts.get(), games.get(), tables.get(), sessions.get()}) {
      sqlite3_bind_int64(s, 1, low);
      sqlite3_bind_int64(s, 2, low + kRange);
      if (!Run(s)) {
        built = false;
        break;
      }
    }
    if (built && buildProgress) buildProgress(std::min(low + kRange, last), last);
  }
  built = built && exec("UPDATE totals_state SET rows = (SELECT count(*) FROM games), stale = 0") &&
          exec("COMMIT");
  if (!built && !sqlite3_get_autocommit(db))
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  return built;
}

bool SqliteHistory::Prepare(Statement& statement, const char* sql) {
  sqlite3_stmt* prepared = nullptr;
  const int code = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
  statement.reset(prepared);
  return code == SQLITE_OK || Failed(code);
}

bool SqliteHistory::Prepare(Reused& statement, const char* sql) {
  statement.reset();
  Cached& cached = reused[sql];
  if (cached.taken) {
    // Taken by a read still going on: this one gets its own.
    if (!Prepare(statement.own, sql)) return false;
    statement.held = statement.own.get();
    return true;
  }
  if (!cached.statement && !Prepare(cached.statement, sql)) {
    reused.erase(sql);
    return false;
  }
  cached.taken = true;
  statement.owner = this;
  statement.cached = &cached;
  statement.generation = generation;
  statement.held = cached.statement.get();
  return true;
}

void SqliteHistory::Reused::reset() {
  if (cached != nullptr && owner->generation == generation) {
    sqlite3_reset(held);
    sqlite3_clear_bindings(held);
    cached->taken = false;
  }
  owner = nullptr;
  cached = nullptr;
  held = nullptr;
  own.reset();
}

bool SqliteHistory::PrepareWrites() {
  return Prepare(begin, "BEGIN IMMEDIATE") && Prepare(commit, "COMMIT") &&
         Prepare(rollback, "ROLLBACK") &&
         Prepare(insertSession, "INSERT INTO sessions (started_at) VALUES (?1)") &&
         Prepare(setRunning,
                 "INSERT INTO journal (id, running) VALUES (1, 1) "
                 "ON CONFLICT (id) DO UPDATE SET running = 1") &&
         Prepare(setEnded, "UPDATE journal SET running = 0 WHERE id = 1") &&
         Prepare(setUnsaved, "UPDATE journal SET running = 2 WHERE id = 1") &&
         Prepare(saveBalance,
                 "INSERT INTO journal (id, credits, borrowed, running, ledger_change) "
                 "VALUES (1, ?1, ?2, 0, ?3) "
                 "ON CONFLICT (id) DO UPDATE SET credits = excluded.credits, "
                 "borrowed = excluded.borrowed, ledger_change = excluded.ledger_change") &&
         Prepare(saveHand,
                 "INSERT OR REPLACE INTO hands (game, coins, dealt, held, deck, demo) "
                 "VALUES (?1, ?2, ?3, ?4, ?5, ?6)") &&
         Prepare(dropHand, "DELETE FROM hands WHERE game = ?1") &&
         Prepare(dropHands, "DELETE FROM hands") &&
         Prepare(saveTrainerHand,
                 "INSERT OR REPLACE INTO trainer_hand (id, game, pay_table, pays, "
                 "royal_five_coins, hands, coins, dealt, held, deck) "
                 "VALUES (1, ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)") &&
         Prepare(dropTrainerHand, "DELETE FROM trainer_hand") &&
         Prepare(insertGame,
                 "INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, "
                 "credits_after, demo, session, best_ev, held_ev, best_holds, practice, mistake, "
                 "cost, library_game, pay_table, hands) "
                 "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, "
                 "?17, ?18, ?19, ?20)") &&
         Prepare(
             addTotals,
             "INSERT INTO totals (game, coins, row, hands, won, biggest, judged, held_ev, "
             "best_ev, mistakes, mistake_cost) VALUES (?1, ?2, ?3, 1, ?4, ?4, ?5, ?6, ?7, ?8, ?9) "
             "ON CONFLICT (game, coins, row) DO UPDATE SET hands = hands + 1, "
             "won = won + excluded.won, biggest = max(biggest, excluded.biggest), "
             "judged = judged + excluded.judged, held_ev = held_ev + excluded.held_ev, "
             "best_ev = best_ev + excluded.best_ev, mistakes = mistakes + excluded.mistakes, "
             "mistake_cost = mistake_cost + excluded.mistake_cost") &&
         Prepare(addTableTotals,
                 "INSERT INTO table_totals (library_game, pay_table, hands, games, bet, won, "
                 "judged, held_ev, best_ev, mistakes, mistake_cost) "
                 "VALUES (?1, ?2, ?3, 1, ?4, ?5, ?6, ?7, ?8, ?9, ?10) "
                 "ON CONFLICT (library_game, pay_table, hands) DO UPDATE SET games = games + 1, "
                 "bet = bet + excluded.bet, won = won + excluded.won, "
                 "judged = judged + excluded.judged, held_ev = held_ev + excluded.held_ev, "
                 "best_ev = best_ev + excluded.best_ev, mistakes = mistakes + excluded.mistakes, "
                 "mistake_cost = mistake_cost + excluded.mistake_cost") &&
         Prepare(addSessionTotals,
                 "INSERT INTO session_totals (session, hands, bet, won) VALUES (?1, 1, ?2, ?3) "
                 "ON CONFLICT (session) DO UPDATE SET hands = hands + 1, bet = bet + excluded.bet, "
                 "won = won + excluded.won") &&
         Prepare(countRow, "UPDATE totals_state SET rows = rows + 1 WHERE id = 1");
}

// checkpoint false leaves a WAL file as it is instead of copying it into the
// database, for a file that is about to be moved aside.
void SqliteHistory::WhenOnDisk(QObject* context, std::function<void()> done) {
  if (syncer)
    syncer->WhenSynced(context, std::move(done));
  else
    done();
}

void SqliteHistory::WaitOnDisk() {
  if (syncer) syncer->WaitSynced();
}

int SqliteHistory::BackgroundSyncsForTests() const {
  return syncer ? syncer->Syncs() : 0;
}

int SqliteHistory::BackgroundCheckpointsForTests() const {
  return checkpointer ? checkpointer->Done() : 0;
}

void SqliteHistory::Close(bool checkpoint) {
  for (Statement* statement :
       {&begin, &commit, &rollback, &insertSession, &setRunning, &setEnded, &setUnsaved,
        &saveBalance, &saveHand, &dropHand, &dropHands, &saveTrainerHand, &dropTrainerHand,
        &insertGame, &addTotals, &addTableTotals, &addSessionTotals, &countRow})
    statement->reset();
  reused.clear();
  ++generation;
  totalsColumn = false;
  checkpointer.reset();
  // What was committed is synced before the file is closed.
  syncer.reset();
  if (db == nullptr) return;
  if (!checkpoint) sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  sqlite3_close_v2(db);
  db = nullptr;
}

bool SqliteHistory::MoveAside(QString* why) {
  const QString stamp =
      QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
  const QString base = path + QStringLiteral(".corrupt-") + stamp;
  QString target = base;
  auto taken = [](const QString& name) {
    return QFileInfo::exists(name) || QFileInfo(name).isSymLink();
  };
  for (int n = 2; taken(target) || taken(target + "-wal") || taken(target + "-shm"); ++n)
    target = base + QLatin1Char('-') + QString::number(n);
  if (!RenameNoReplace(path, target, why)) return false;
  for (const char* suffix : {"-wal", "-shm"}) {
    const QString from = path + QLatin1String(suffix);
    // A WAL file left behind would be read into the new history.
    if (taken(from) && !RenameNoReplace(from, target + QLatin1String(suffix), why)) return false;
  }
  SyncFolder(QFileInfo(path).absolutePath());
  movedAsideTo = target;
  return true;
}

void SqliteHistory::Recover() {
  Close(false);
  QString why;
  if (!MoveAside(&why)) {
    TurnOff(QStringLiteral(
                "The game history is off: the file %1 is damaged and cannot be moved aside (%2).")
                .arg(Shown(path), why));
    return;
  }
  damaged = false;
  if (!OpenReadWrite(&why)) {
    TurnOff(QStringLiteral("The game history is off: the file %1 cannot be made (%2).")
                .arg(Shown(path), why));
    return;
  }
  state = State::Working;
  problem = QStringLiteral(
                "The game history %1 was damaged: it was moved aside to %2 and a new history "
                "was started.")
                .arg(Shown(path), Shown(movedAsideTo));
  // The run goes on in the new file, and its journal says so.
  session = 0;
  if (sessionBegun) {
    std::int64_t started = 0;
    if (Transaction([&] { return StartSession(&started); })) session = started;
  }
}

void SqliteHistory::TurnOff(const QString& sentence) {
  Close(true);
  state = State::Off;
  problem = sentence;
}

void SqliteHistory::StopWrites(const QString& sentence) {
  if (state == State::Working) state = State::ReadOnly;
  problem = sentence;
}

// ---------------------------------------------------------------------------

bool SqliteHistory::Failed(int code) {
  lastCode = code;
  if (DamageCode(code)) damaged = true;
  return false;
}

QString SqliteHistory::FailureReason() const {
  return Reason(lastCode);
}

bool SqliteHistory::Run(sqlite3_stmt* statement) {
  int code = sqlite3_step(statement);
  while (code == SQLITE_ROW) code = sqlite3_step(statement);
  sqlite3_reset(statement);
  return code == SQLITE_DONE || Failed(code);
}

bool SqliteHistory::Step(std::string_view name) {
  if (!stepHook || stepHook(name)) return true;
  lastCode = SQLITE_IOERR;
  return false;
}

bool SqliteHistory::Transaction(const std::function<bool()>& body) {
  // A journal that could not be synced may have lost earlier commits to the
  // disk: nothing more is written over them.
  if (syncer && syncer->Failed()) return Failed(SQLITE_IOERR_FSYNC);
  if (!Run(begin.get())) return false;
  if (body() && Step("commit") && Run(commit.get())) {
    Step("committed");
    return true;
  }
  const int code = lastCode;
  if (!sqlite3_get_autocommit(db)) Run(rollback.get());
  lastCode = code;
  return false;
}

bool SqliteHistory::Write(std::function<bool()> body, std::function<void()> done) {
  if (state == State::Waiting) {
    Keep({std::move(body), std::move(done)});
    return false;
  }
  if (state != State::Working) return false;
  const Outcome outcome = Attempt(body);
  if (outcome == Outcome::Written) {
    if (done) done();
    return true;
  }
  if (outcome == Outcome::Locked) {
    state = State::Waiting;
    Keep({std::move(body), std::move(done)});
  }
  return false;
}

SqliteHistory::Outcome SqliteHistory::Attempt(const std::function<bool()>& body) {
  if (!SameFileAsOpened()) {
    FollowMovedFile();
    if (state == State::Waiting) return Outcome::Locked;
    if (state != State::Working) return Outcome::Failed;
  }
  damaged = false;
  if (Transaction(body)) return Outcome::Written;
  if (Locked()) return Outcome::Locked;
  if (damaged) {
    Recover();
    if (state != State::Working) return Outcome::Failed;
    if (Transaction(body)) return Outcome::Written;
  }
  StopWrites(QStringLiteral("The game history is off: the file %1 cannot be written (%2).")
                 .arg(Shown(path), FailureReason()));
  return Outcome::Failed;
}

bool SqliteHistory::Locked() const {
  return LockCode(lastCode);
}

void SqliteHistory::Keep(KeptWrite write) {
  kept.push_back(std::move(write));
  ScheduleRetry();
}

void SqliteHistory::ScheduleRetry() {
  if (finalTry) return;
  if (!retryTimer) {
    retryTimer = std::make_unique<QTimer>();
    retryTimer->setSingleShot(true);
    retryTimer->setInterval(kRetryMilliseconds);
    retryTimer->callOnTimeout([this] { RetryKeptWrites(); });
  }
  if (!retryTimer->isActive()) retryTimer->start();
}

void SqliteHistory::RetryKeptWrites() {
  if (state != State::Waiting) return;
  if (reopen) {
    Close(false);
    QString why;
    damaged = false;
    lastCode = SQLITE_OK;
    if (!OpenReadWrite(&why)) {
      const bool locked = Locked();
      QString readWhy;
      if (OpenReadOnly(&readWhy) && locked) {
        ScheduleRetry();
        return;
      }
      kept.clear();
      const QString sentence =
          QStringLiteral("The game history is off: the file %1 cannot be written (%2).")
              .arg(Shown(path), why);
      if (db != nullptr) {
        state = State::ReadOnly;
        problem = sentence;
      } else {
        TurnOff(sentence);
      }
      return;
    }
    reopen = false;
  }
  state = State::Working;
  while (!kept.empty()) {
    const Outcome outcome = Attempt(kept.front().body);
    if (outcome == Outcome::Locked) {
      state = State::Waiting;
      ScheduleRetry();
      return;
    }
    if (outcome == Outcome::Failed) {
      kept.clear();
      return;
    }
    const KeptWrite written = std::move(kept.front());
    kept.pop_front();
    if (written.done) written.done();
  }
}

void SqliteHistory::RememberFile() {
  struct stat info {};
  fileKnown = ::stat(QFile::encodeName(path).constData(), &info) == 0;
  fileDevice = info.st_dev;
  fileInode = info.st_ino;
}

bool SqliteHistory::SameFileAsOpened() const {
  if (!fileKnown) return true;
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 && info.st_dev == fileDevice &&
         info.st_ino == fileInode;
}

// The file was deleted or another took its name. The connection still reads
// the file as it was opened: the journal and the hands in progress are read
// from it and carried into the file at the path, new or found there.
void SqliteHistory::FollowMovedFile() {
  struct CarriedHand {
    QString game, dealt, deck;
    int coins = 0, held = 0, demo = 0;
  };
  // The trainer's hand, column by column as the file holds it.
  struct CarriedTrainerHand {
    QString game, table, pays, dealt, deck;
    std::int64_t royal = 0, hands = 0, coins = 0, held = 0;
  };
  struct Carried {
    bool journal = false;
    std::int64_t credits = 0, borrowed = 0, running = 0, change = 0;
    bool creditsNull = true;
    std::vector<CarriedHand> hands;
    std::optional<CarriedTrainerHand> trainer;
  };
  auto carried = std::make_shared<Carried>();
  {
    Statement statement;
    if (Prepare(statement,
                "SELECT credits, borrowed, running, ledger_change FROM journal WHERE id = 1") &&
        sqlite3_step(statement.get()) == SQLITE_ROW) {
      sqlite3_stmt* row = statement.get();
      carried->journal = true;
      carried->creditsNull = sqlite3_column_type(row, 0) == SQLITE_NULL;
      carried->credits = sqlite3_column_int64(row, 0);
      carried->borrowed = sqlite3_column_int64(row, 1);
      carried->running = sqlite3_column_int64(row, 2);
      carried->change = sqlite3_column_int64(row, 3);
    }
  }
  {
    Statement statement;
    if (Prepare(statement, "SELECT game, coins, dealt, held, deck, demo FROM hands")) {
      sqlite3_stmt* row = statement.get();
      while (sqlite3_step(row) == SQLITE_ROW) {
        carried->hands.push_back({ColumnText(row, 0), ColumnText(row, 2), ColumnText(row, 4),
                                  sqlite3_column_int(row, 1), sqlite3_column_int(row, 3),
                                  sqlite3_column_int(row, 5)});
      }
    }
  }
  {
    Statement statement;
    if (Prepare(statement,
                "SELECT game, pay_table, pays, royal_five_coins, hands, coins, dealt, held, deck "
                "FROM trainer_hand WHERE id = 1") &&
        sqlite3_step(statement.get()) == SQLITE_ROW) {
      sqlite3_stmt* row = statement.get();
      carried->trainer = CarriedTrainerHand{
          ColumnText(row, 0),           ColumnText(row, 1),           ColumnText(row, 2),
          ColumnText(row, 6),           ColumnText(row, 8),           sqlite3_column_int64(row, 3),
          sqlite3_column_int64(row, 4), sqlite3_column_int64(row, 5), sqlite3_column_int64(row, 7)};
    }
  }
  const bool deleted = !QFileInfo::exists(path) && !QFileInfo(path).isSymLink();
  Close(true);
  fileKnown = false;
  state = State::Off;
  problem.clear();
  movedAsideTo.clear();
  session = 0;
  Open();
  const QString opened = problem;
  problem = (deleted ? QStringLiteral("The game history %1 was deleted while the game ran: a new "
                                      "history was started, and your balance and any hand in "
                                      "play were carried over.")
                     : QStringLiteral("The game history %1 was replaced while the game ran: the "
                                      "game goes on in the file now there, and your balance and "
                                      "any hand in play were carried over."))
                .arg(Shown(path));
  if (!opened.isEmpty()) problem += QLatin1Char(' ') + opened;
  if (state != State::Working && state != State::Waiting) return;

  auto started = std::make_shared<std::int64_t>(0);
  KeptWrite carry{
      [this, carried, started] {
        Statement journal;
        if (carried->journal && (!Prepare(journal,
                                          "INSERT OR REPLACE INTO journal "
                                          "(id, credits, borrowed, running, ledger_change) "
                                          "VALUES (1, ?1, ?2, ?3, ?4)") ||
                                 [&] {
                                   sqlite3_stmt* s = journal.get();
                                   if (carried->creditsNull) {
                                     sqlite3_bind_null(s, 1);
                                     sqlite3_bind_null(s, 2);
                                   } else {
                                     sqlite3_bind_int64(s, 1, carried->credits);
                                     sqlite3_bind_int64(s, 2, carried->borrowed);
                                   }
                                   sqlite3_bind_int64(s, 3, carried->running);
                                   sqlite3_bind_int64(s, 4, carried->change);
                                   return !Run(s);
                                 }()))
          return false;
        for (const CarriedHand& hand : carried->hands) {
          sqlite3_stmt* s = saveHand.get();
          BindText(s, 1, hand.game);
          sqlite3_bind_int(s, 2, hand.coins);
          BindText(s, 3, hand.dealt);
          sqlite3_bind_int(s, 4, hand.held);
          BindText(s, 5, hand.deck);
          sqlite3_bind_int(s, 6, hand.demo);
          if (!Run(s)) return false;
        }
        if (const auto& trainer = carried->trainer) {
          sqlite3_stmt* s = saveTrainerHand.get();
          BindText(s, 1, trainer->game);
          BindText(s, 2, trainer->table);
          BindText(s, 3, trainer->pays);
          sqlite3_bind_int64(s, 4, trainer->royal);
          sqlite3_bind_int64(s, 5, trainer->hands);
          sqlite3_bind_int64(s, 6, trainer->coins);
          BindText(s, 7, trainer->dealt);
          sqlite3_bind_int64(s, 8, trainer->held);
          BindText(s, 9, trainer->deck);
          if (!Run(s)) return false;
        }
        return !sessionBegun || StartSession(started.get());
      },
      [this, started] { session = *started; }};
  if (state == State::Waiting) {
    kept.push_front(std::move(carry));
    return;
  }
  if (Transaction(carry.body)) {
    carry.done();
  } else if (Locked()) {
    state = State::Waiting;
    kept.push_front(std::move(carry));
    ScheduleRetry();
  } else {
    StopWrites(QStringLiteral("The game history is off: the file %1 cannot be written (%2).")
                   .arg(Shown(path), FailureReason()));
  }
}

bool SqliteHistory::StartSession(std::int64_t* started) {
  BindText(insertSession.get(), 1, TimeText(QDateTime::currentDateTimeUtc()));
  if (!Run(insertSession.get()) || !Step("session")) return false;
  *started = sqlite3_last_insert_rowid(db);
  return Run(setRunning.get()) && Step("running");
}

template <typename Result, typename Query>
Result SqliteHistory::Read(Query query) {
  Result result{};
  if (db == nullptr) return result;
  damaged = false;
  if (query(result)) return result;
  if (damaged) {
    Recover();
  } else if (state == State::Working && !Locked()) {
    StopWrites(QStringLiteral("The game history is off: the file %1 cannot be read (%2).")
                   .arg(Shown(path), FailureReason()));
  }
  return Result{};
}

// ---------------------------------------------------------------------------

void SqliteHistory::BeginSession() {
  sessionBegun = true;
  auto started = std::make_shared<std::int64_t>(0);
  Write([this, started] { return StartSession(started.get()); },
        [this, started] { session = *started; });
}

void SqliteHistory::MarkEnded(bool settingsSaved) {
  // running: 1 while a run goes on, 0 once it ended through its save, 2 when
  // that save could not be written.
  Write([this, settingsSaved] {
    return Run(settingsSaved ? setEnded.get() : setUnsaved.get()) && Step("ended");
  });
}

bool SqliteHistory::Ledger() const {
  return state == State::Working || state == State::Waiting;
}

std::optional<JournaledBalance> SqliteHistory::Balance() {
  // A file whose writes failed during this run still holds what the next
  // start will find there; one that could not be written from the start
  // would offer the same balance at every start.
  if (state == State::Off || readOnlyFromStart) return std::nullopt;
  return Read<std::optional<JournaledBalance>>([&](std::optional<JournaledBalance>& balance) {
    // A file still waiting for its upgrade has no change numbers yet.
    const bool numbered = HasColumn(db, {"journal", "ledger_change", 5});
    Statement statement;
    if (!Prepare(statement, numbered ? "SELECT credits, borrowed, running, ledger_change "
                                       "FROM journal WHERE id = 1"
                                     : "SELECT credits, borrowed, running, 0 "
                                       "FROM journal WHERE id = 1"))
      return false;
    const int code = sqlite3_step(statement.get());
    if (code == SQLITE_ROW && sqlite3_column_type(statement.get(), 0) != SQLITE_NULL) {
      sqlite3_stmt* row = statement.get();
      balance = JournaledBalance{sqlite3_column_int(row, 0), sqlite3_column_int(row, 1),
                                 sqlite3_column_int(row, 2) == 0, sqlite3_column_int64(row, 3),
                                 sqlite3_column_int(row, 2) == 2};
    }
    return code == SQLITE_ROW || code == SQLITE_DONE || Failed(code);
  });
}

bool SqliteHistory::JournalBalance(std::int32_t credits, std::int32_t borrowed,
                                   std::int64_t change) {
  sqlite3_bind_int(saveBalance.get(), 1, credits);
  sqlite3_bind_int(saveBalance.get(), 2, borrowed);
  sqlite3_bind_int64(saveBalance.get(), 3, change);
  return Run(saveBalance.get()) && Step("balance");
}

void SqliteHistory::SaveBalance(std::int32_t credits, std::int32_t borrowed, std::int64_t change) {
  Write([this, credits, borrowed, change] { return JournalBalance(credits, borrowed, change); });
}

std::optional<HandInProgress> SqliteHistory::PendingHand(GameVariant game) {
  if (!Ledger()) return std::nullopt;
  return Read<std::optional<HandInProgress>>([&](std::optional<HandInProgress>& pending) {
    Statement statement;
    if (!Prepare(statement, "SELECT coins, dealt, held, deck, demo FROM hands WHERE game = ?1"))
      return false;
    BindText(statement.get(), 1, GameText(game));
    const int code = sqlite3_step(statement.get());
    if (code == SQLITE_DONE) return true;
    if (code != SQLITE_ROW) return Failed(code);
    sqlite3_stmt* row = statement.get();
    HandInProgress hand;
    hand.game = game;
    hand.coins = sqlite3_column_int(row, 0);
    hand.held = sqlite3_column_int(row, 2);
    hand.demo = sqlite3_column_int(row, 4) != 0;
    std::array<CardCode, Deck::kSize> deck{};
    const bool valid = hand.coins >= 1 && hand.coins <= kMaxCoins && hand.held >= 0 &&
                       hand.held <= 31 && ParseCards(ColumnText(row, 1), hand.dealt.data(), 5) &&
                       ParseCards(ColumnText(row, 3), deck.data(), Deck::kSize);
    if (!valid) return true;
    for (int p = 1; p <= Deck::kSize; ++p) hand.deck.Set(p, deck[p - 1]);
    pending = hand;
    return true;
  });
}

void SqliteHistory::SaveHand(const HandInProgress& hand, std::int32_t credits,
                             std::int32_t borrowed, std::int64_t change) {
  std::array<CardCode, Deck::kSize> deck{};
  for (int p = 1; p <= Deck::kSize; ++p) deck[p - 1] = hand.deck.At(p);
  Write([this, name = GameText(hand.game), coins = hand.coins, dealt = HandText(hand.dealt),
         held = hand.held, deckText = CardsText(deck.data(), Deck::kSize), demo = hand.demo,
         credits, borrowed, change] {
    sqlite3_stmt* s = saveHand.get();
    BindText(s, 1, name);
    sqlite3_bind_int(s, 2, coins);
    BindText(s, 3, dealt);
    sqlite3_bind_int(s, 4, held);
    BindText(s, 5, deckText);
    sqlite3_bind_int(s, 6, demo ? 1 : 0);
    if (!Run(s) || !Step("hand")) return false;
    return JournalBalance(credits, borrowed, change);
  });
}

void SqliteHistory::DropHands() {
  Write(
      [this] { return Run(dropHands.get()) && Run(dropTrainerHand.get()) && Step("drop-hands"); });
}

std::optional<TrainerHandInProgress> SqliteHistory::PendingTrainerHand() {
  if (!Ledger()) return std::nullopt;
  using Pending = std::optional<TrainerHandInProgress>;
  return Read<Pending>([&](Pending& pending) {
    Statement statement;
    if (!Prepare(statement,
                 "SELECT game, pay_table, pays, royal_five_coins, hands, coins, dealt, held, deck "
                 "FROM trainer_hand WHERE id = 1"))
      return false;
    const int code = sqlite3_step(statement.get());
    if (code == SQLITE_DONE) return true;
    if (code != SQLITE_ROW) return Failed(code);
    // A row that is no hand of a game of the library reads as none.
    pending = TrainerHandOf(statement.get());
    return true;
  });
}

std::optional<TrainerHandInProgress> SqliteHistory::TrainerHandOf(sqlite3_stmt* row) {
  const QByteArray name = ColumnText(row, 0).toUtf8();
  const GameRules* rules =
      FindGame(std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
  if (rules == nullptr) return std::nullopt;
  // Whole numbers only: SQL would read a word as 0, which is a hold.
  const auto whole = [row](int column, int low, int high, int& out) {
    if (sqlite3_column_type(row, column) != SQLITE_INTEGER) return false;
    const std::int64_t value = sqlite3_column_int64(row, column);
    out = static_cast<int>(value);
    return value >= low && value <= high;
  };
  TrainerHandInProgress hand;
  hand.game = std::string(rules->name);
  hand.table = ColumnText(row, 1).toStdString();
  hand.pays.variant = rules->family;
  hand.pays.rowCount = rules->rowCount;
  hand.pays.rules = rules;
  const QByteArray pays = ColumnText(row, 2).toUtf8();
  if (hand.table.empty() ||
      !ParseNumbers(std::string_view(pays.constData(), static_cast<std::size_t>(pays.size())),
                    hand.pays.perCoin.data(), rules->rowCount) ||
      !whole(3, 0, std::numeric_limits<int>::max(), hand.pays.royalFiveCoins) ||
      !whole(4, 1, 10, hand.hands) || !ValidTrainerHands(hand.hands) ||
      !whole(5, 1, kMaxCoins, hand.coins) || !whole(7, 0, 31, hand.held))
    return std::nullopt;
  // A table this version knows pays as it always does.
  if (const NamedTable* table = FindTable(*rules, hand.table)) {
    const Pays named = PaysOf(*rules, *table);
    if (named.perCoin != hand.pays.perCoin || named.royalFiveCoins != hand.pays.royalFiveCoins)
      return std::nullopt;
  }
  // The deck: exactly the game's cards, each once, the hand dealt its first five.
  // A joker game's hand may be of 53 cards, dealt by an earlier version.
  const QString deckText = ColumnText(row, 8);
  hand.deck.size = TrainerDeckSize(*rules);
  if (!ParseCards(deckText, hand.deck.cards.data(), hand.deck.size)) {
    hand.deck.cards.fill(kNoCard);
    hand.deck.size = rules->CardCount();
    if (!ParseCards(deckText, hand.deck.cards.data(), hand.deck.size)) return std::nullopt;
  }
  if (!ParseCards(ColumnText(row, 6), hand.dealt.data(), 5) || !IsDeckOfGame(hand.deck, *rules))
    return std::nullopt;
  if (!std::equal(hand.dealt.begin(), hand.dealt.end(), hand.deck.cards.begin()))
    return std::nullopt;
  return hand;
}

void SqliteHistory::SaveTrainerHand(const TrainerHandInProgress& hand, std::int32_t credits,
                                    std::int32_t borrowed, std::int64_t change) {
  QString pays;
  for (int r = 0; r < hand.pays.rowCount && r < kMaxPayRows; ++r) {
    if (r > 0) pays += QLatin1Char(' ');
    pays += QString::number(hand.pays.perCoin[static_cast<std::size_t>(r)]);
  }
  Write([this, game = QString::fromStdString(hand.game), table = QString::fromStdString(hand.table),
         pays, royal = hand.pays.royalFiveCoins, hands = hand.hands, coins = hand.coins,
         dealt = HandText(hand.dealt), held = hand.held,
         deck = CardsText(hand.deck.cards.data(), std::clamp(hand.deck.size, 0, 53)), credits,
         borrowed, change] {
    sqlite3_stmt* s = saveTrainerHand.get();
    BindText(s, 1, game);
    BindText(s, 2, table);
    BindText(s, 3, pays);
    sqlite3_bind_int(s, 4, royal);
    sqlite3_bind_int(s, 5, hands);
    sqlite3_bind_int(s, 6, coins);
    BindText(s, 7, dealt);
    sqlite3_bind_int(s, 8, held);
    BindText(s, 9, deck);
    if (!Run(s) || !Step("trainer-hand")) return false;
    return JournalBalance(credits, borrowed, change);
  });
}

void SqliteHistory::DropTrainerHand() {
  Write([this] { return Run(dropTrainerHand.get()) && Step("drop-trainer-hand"); });
}

void SqliteHistory::RecordGame(GameRecord& game, std::int32_t borrowed, std::int64_t change) {
  KeepGames({&game}, std::pair{borrowed, change});
}

void SqliteHistory::RecordGames(std::vector<GameRecord>& games, std::int32_t borrowed,
                                std::int64_t change) {
  std::vector<GameRecord*> kept;
  for (GameRecord& game : games) kept.push_back(&game);
  KeepGames(kept, std::pair{borrowed, change});
}

void SqliteHistory::RecordPractice(GameRecord& game) {
  game.demo = true;
  game.practice = true;
  game.won = 0;
  KeepGames({&game}, std::nullopt);
}

bool SqliteHistory::InsertGame(const KeptGame& kept, std::int64_t gameSession, std::int64_t* id) {
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
  if (game.bestHolds.isEmpty())
    sqlite3_bind_null(s, 14);
  else
    BindText(s, 14, game.bestHolds);
  sqlite3_bind_int(s, 15, game.practice ? 1 : 0);
  // The coach's verdict, kept with the game so that no sum needs its rule.
  const bool judged = !game.demo && game.bestEv && game.heldEv;
  const bool mistake = judged && IsMistake(*game.bestEv, *game.heldEv);
  const double heldEv = judged ? *game.heldEv : 0.0;
  const double bestEv = judged ? *game.bestEv : 0.0;
  const double cost = mistake ? bestEv - heldEv : 0.0;
  if (judged) {
    sqlite3_bind_int(s, 16, mistake ? 1 : 0);
    sqlite3_bind_double(s, 17, cost);
  } else {
    sqlite3_bind_null(s, 16);
    sqlite3_bind_null(s, 17);
  }
  for (const auto& [column, text] : {std::pair{18, &game.libraryGame}, {19, &game.payTable}}) {
    if (text->isEmpty())
      sqlite3_bind_null(s, column);
    else
      BindText(s, column, *text);
  }
  sqlite3_bind_int(s, 20, game.hands);
  if (!Run(s) || !Step("game")) return false;
  *id = sqlite3_last_insert_rowid(db);
  // The running totals, in the same transaction: a game a sum leaves out
  // (practice, or no game this program could have played) adds nothing.
  if (!game.practice && ValidRecord(game)) {
    if (game.libraryGame.isEmpty()) {
      sqlite3_stmt* t = addTotals.get();
      BindText(t, 1, kept.name);
      sqlite3_bind_int(t, 2, game.coins);
      sqlite3_bind_int(t, 3, game.row);
      sqlite3_bind_int(t, 4, game.won);
      sqlite3_bind_int(t, 5, judged ? 1 : 0);
      sqlite3_bind_double(t, 6, heldEv);
      sqlite3_bind_double(t, 7, bestEv);
      sqlite3_bind_int(t, 8, mistake ? 1 : 0);
      sqlite3_bind_double(t, 9, cost);
      if (!Run(t) || !Step("totals")) return false;
    } else {
      sqlite3_stmt* t = addTableTotals.get();
      BindText(t, 1, game.libraryGame);
      BindText(t, 2, game.payTable);
      sqlite3_bind_int(t, 3, game.hands);
      sqlite3_bind_int(t, 4, game.coins);
      sqlite3_bind_int(t, 5, game.won);
      sqlite3_bind_int(t, 6, judged ? 1 : 0);
      sqlite3_bind_double(t, 7, heldEv);
      sqlite3_bind_double(t, 8, bestEv);
      sqlite3_bind_int(t, 9, mistake ? 1 : 0);
      sqlite3_bind_double(t, 10, cost);
      if (!Run(t) || !Step("table-totals")) return false;
    }
    sqlite3_stmt* u = addSessionTotals.get();
    sqlite3_bind_int64(u, 1, gameSession);
    sqlite3_bind_int(u, 2, game.coins);
    sqlite3_bind_int(u, 3, game.won);
    if (!Run(u) || !Step("session-totals")) return false;
  }
  return Run(countRow.get()) && Step("rows");
}

void SqliteHistory::KeepGames(const std::vector<GameRecord*>& games,
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

std::vector<GameRecord> SqliteHistory::Games(std::int64_t offset, int limit) {
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

std::vector<GameRecord> SqliteHistory::Mistakes(int limit) {
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

std::int64_t SqliteHistory::GameCount() {
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

GameRecord SqliteHistory::GameOf(sqlite3_stmt* row) {
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
  // Games() adds the SQL row check, which also sees fields of the wrong type,
  // after the columns of GAME_COLUMNS.
  constexpr std::string_view kColumns = GAME_COLUMNS;
  constexpr int kChecked = static_cast<int>(std::count(kColumns.begin(), kColumns.end(), ',')) + 1;
  const bool checked =
      sqlite3_column_count(row) <= kChecked || sqlite3_column_int(row, kChecked) != 0;
  game.damaged = !checked || !ValidRecord(game);
  return game;
}

GameStatistics SqliteHistory::Statistics(std::optional<GameVariant> game) {
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

std::vector<TableStatistics> SqliteHistory::TableTotals() {
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

std::vector<std::int32_t> SqliteHistory::BalanceSeries(int maxPoints) {
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

std::optional<std::vector<std::int32_t>> SqliteHistory::SampledBalance(int maxPoints) {
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

void SqliteHistory::Kept(const GameRecord& game, std::int64_t id) {
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

std::vector<SessionReturn> SqliteHistory::SessionReturns() {
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

std::string_view HistoryMigration(int index) {
  if (index < 0 || index >= kHistorySchemaVersion) return {};
  return kMigrations[index];
}

HistoryStore::ExportOutcome SqliteHistory::ExportCsv(const QString& out,
                                                     const ExportProgress& progress) {
  return ExportHistoryFileCsv(path, out, progress);
}

}  // namespace lynx
