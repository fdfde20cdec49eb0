// Every write is one transaction. One that meets another program's lock is
// kept, with everything it needs, and the kept writes are tried again in
// order on a timer until the lock goes.

#include <sqlite3.h>

#include <QTimer>

#include "platform/history_database.h"
#include "platform/journal_syncer.h"

namespace lynx {

namespace {

// Between two tries of the writes kept for a lock.
constexpr int kRetryMilliseconds = 250;

}  // namespace

bool HistoryDatabase::Failed(int code) {
  lastCode = code;
  if (DamageCode(code)) damaged = true;
  return false;
}

QString HistoryDatabase::FailureReason() const {
  return Reason(lastCode);
}

bool HistoryDatabase::Run(sqlite3_stmt* statement) {
  int code = sqlite3_step(statement);
  while (code == SQLITE_ROW) code = sqlite3_step(statement);
  sqlite3_reset(statement);
  return code == SQLITE_DONE || Failed(code);
}

bool HistoryDatabase::Exec(const char* sql) {
  const int result = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  return result == SQLITE_OK || Failed(result);
}

bool HistoryDatabase::Step(std::string_view name) {
  if (!stepHook || stepHook(name)) return true;
  lastCode = SQLITE_IOERR;
  return false;
}

bool HistoryDatabase::Transaction(const std::function<bool()>& body) {
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

bool HistoryDatabase::Write(std::function<bool()> body, std::function<void()> done) {
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

HistoryDatabase::Outcome HistoryDatabase::Attempt(const std::function<bool()>& body) {
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

bool HistoryDatabase::Locked() const {
  return LockCode(lastCode);
}

void HistoryDatabase::Keep(KeptWrite write) {
  kept.push_back(std::move(write));
  ScheduleRetry();
}

void HistoryDatabase::ScheduleRetry() {
  if (finalTry) return;
  if (!retryTimer) {
    retryTimer = std::make_unique<QTimer>();
    retryTimer->setSingleShot(true);
    retryTimer->setInterval(kRetryMilliseconds);
    retryTimer->callOnTimeout([this] { RetryKeptWrites(); });
  }
  if (!retryTimer->isActive()) retryTimer->start();
}

void HistoryDatabase::RetryKeptWrites() {
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

}  // namespace lynx
