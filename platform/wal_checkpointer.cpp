#include "platform/wal_checkpointer.h"

#include <sqlite3.h>

#include <QFile>

namespace lynx {

WalCheckpointer::WalCheckpointer(sqlite3* writer, const QString& path, int pages)
    : writer(writer), path(QFile::encodeName(path)), pages(pages) {
  thread = std::thread([this] { Run(); });
  // Replaces the writer's own checkpoint after a commit.
  sqlite3_wal_hook(writer, &WalCheckpointer::Committed, this);
}

WalCheckpointer::~WalCheckpointer() {
  sqlite3_wal_autocheckpoint(writer, kPages);
  {
    std::lock_guard lock(mutex);
    stopping = true;
  }
  wake.notify_one();
  thread.join();
}

int WalCheckpointer::Committed(void* self, sqlite3* db, const char* name, int pages) {
  auto* checkpointer = static_cast<WalCheckpointer*>(self);
  if (checkpointer->onCommit) checkpointer->onCommit();
  if (pages >= 10 * checkpointer->pages) {
    // The journal keeps growing: copy what no reader needs now.
    if (sqlite3_wal_checkpoint_v2(db, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr) ==
        SQLITE_OK)
      ++checkpointer->doneByWriter;
  } else if (pages >= checkpointer->pages) {
    {
      std::lock_guard lock(checkpointer->mutex);
      checkpointer->wanted = true;
    }
    checkpointer->wake.notify_one();
  }
  return SQLITE_OK;
}

void WalCheckpointer::Run() {
  sqlite3* db = nullptr;
  std::unique_lock lock(mutex);
  for (;;) {
    wake.wait(lock, [this] { return wanted || stopping; });
    if (stopping) break;
    wanted = false;
    lock.unlock();
    if (db == nullptr) {
      // The file exists: the writer has it open. Never made here.
      if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        // This connection never ends with a checkpoint of its own: the
        // writer decides what happens to the journal when it closes.
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
      } else {
        sqlite3_close_v2(db);
        db = nullptr;
      }
    }
    // A failure (a lock, a full disk) leaves the journal as it was; the
    // next commit asks again.
    if (db != nullptr && sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                                   nullptr) == SQLITE_OK)
      ++done;
    lock.lock();
  }
  lock.unlock();
  if (db != nullptr) sqlite3_close_v2(db);
}

}  // namespace lynx
