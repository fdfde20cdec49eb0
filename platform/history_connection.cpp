// Opening and closing the history file, moving a damaged one aside, and the
// statements prepared on its connection.

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/folder_sync.h"
#include "platform/history_database.h"
#include "platform/journal_syncer.h"
#include "platform/wal_checkpointer.h"

namespace lynx {

namespace {

// How long a statement waits for another program's lock: the store is used
// from the window thread, which must not stop for longer than a frame. A
// write that still meets the lock is kept and retried.
constexpr int kBusyMilliseconds = 10;
// The last try of the kept writes, when the store goes at the program's end.
constexpr int kFinalBusyMilliseconds = 2000;

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

}  // namespace

int HistoryDatabase::PrimaryCode(int code) {
  return code & 0xff;
}
bool HistoryDatabase::DamageCode(int code) {
  return PrimaryCode(code) == SQLITE_CORRUPT || PrimaryCode(code) == SQLITE_NOTADB;
}
bool HistoryDatabase::LockCode(int code) {
  return PrimaryCode(code) == SQLITE_BUSY || PrimaryCode(code) == SQLITE_LOCKED;
}

QString HistoryDatabase::Shown(const QString& path) {
  return QDir::toNativeSeparators(path);
}

// SQLite's own words where the player's would be no clearer: the system's
// error number is no longer kept by the time a statement reports its failure.
QString HistoryDatabase::Reason(int code) {
  if (PrimaryCode(code) == SQLITE_FULL) return QStringLiteral("disk full");
  if (PrimaryCode(code) == SQLITE_READONLY) return QStringLiteral("read-only");
  return QString::fromUtf8(sqlite3_errstr(code));
}

// Wait a moment for another program's lock rather than fail at once, and let
// nothing stored in the file run code (triggers, functions with side effects
// in the schema) or change the schema behind SQLite's back.
void HistoryDatabase::Configure(sqlite3* connection) {
  sqlite3_busy_timeout(connection, kBusyMilliseconds);
  sqlite3_db_config(connection, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(connection, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(connection, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  AddRowCheck(connection);
  AddMistakeRule(connection, olderRows);
}

HistoryDatabase::HistoryDatabase(const QString& filePath, const QString& offBecause,
                                 BuildProgress progress, MistakeRule rule)
    : path(filePath), buildProgress(std::move(progress)), olderRows(rule) {
  if (offBecause.isEmpty()) {
    Open();
  } else {
    TurnOff(QStringLiteral("The game history is off: %1: %2.").arg(Shown(path), offBecause));
  }
}

HistoryDatabase::~HistoryDatabase() {
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

void HistoryDatabase::Open() {
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

bool HistoryDatabase::OpenReadOnly(QString* why) {
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

bool HistoryDatabase::OpenReadWrite(QString* why) {
  const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (code != SQLITE_OK) {
    *why = Reason(code);
    Close(false);
    return false;
  }
  Configure(db);

  // WAL with a full sync at every commit until the journal's syncer takes
  // the syncs over: a game once shown as paid is on disk, and readers (the
  // sqlite3 tool) never wait for the game.
  const bool ready = Exec("PRAGMA journal_mode = WAL") && Exec("PRAGMA synchronous = FULL") &&
                     Upgrade() && PrepareWrites();
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

bool HistoryDatabase::Prepare(Statement& statement, const char* sql) {
  sqlite3_stmt* prepared = nullptr;
  const int code = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
  statement.reset(prepared);
  return code == SQLITE_OK || Failed(code);
}

bool HistoryDatabase::Prepare(Reused& statement, const char* sql) {
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

void HistoryDatabase::Reused::reset() {
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

void HistoryDatabase::WhenOnDisk(QObject* context, std::function<void()> done) {
  if (syncer)
    syncer->WhenSynced(context, std::move(done));
  else
    done();
}

void HistoryDatabase::WaitOnDisk() {
  if (syncer) syncer->WaitSynced();
}

int HistoryDatabase::BackgroundSyncs() const {
  return syncer ? syncer->Syncs() : 0;
}

int HistoryDatabase::BackgroundCheckpoints() const {
  return checkpointer ? checkpointer->Done() : 0;
}

// checkpoint false leaves a WAL file as it is instead of copying it into the
// database, for a file that is about to be moved aside.
void HistoryDatabase::Close(bool checkpoint) {
  ResetWrites();
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

bool HistoryDatabase::MoveAside(QString* why) {
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

void HistoryDatabase::Recover() {
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

void HistoryDatabase::TurnOff(const QString& sentence) {
  Close(true);
  state = State::Off;
  problem = sentence;
}

void HistoryDatabase::StopWrites(const QString& sentence) {
  if (state == State::Working) state = State::ReadOnly;
  problem = sentence;
}

}  // namespace lynx
