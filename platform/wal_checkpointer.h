#pragma once
// Copies the write-ahead journal of the history file back into the file on a
// thread of its own, through a connection of its own: the window thread's
// commits then never wait for a checkpoint, which writes and syncs a few
// megabytes at a time.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

struct sqlite3;

namespace lynx {

class WalCheckpointer {
 public:
  // Journal pages after which a checkpoint is started (SQLite's own default
  // for the checkpoint a commit would run itself).
  static constexpr int kPages = 1000;

  // Takes over the journal of `writer`, a connection in WAL mode to the file
  // at path, from now on. A commit that leaves `pages` in the journal wakes
  // the thread; one that leaves ten times as many (the thread cannot keep up,
  // or cannot open the file) checkpoints in the writer, as SQLite would.
  WalCheckpointer(sqlite3* writer, const QString& path, int pages = kPages);
  // Waits for a checkpoint under way; the thread's connection closes without
  // one. The writer checkpoints by itself again.
  ~WalCheckpointer();
  WalCheckpointer(const WalCheckpointer&) = delete;
  WalCheckpointer& operator=(const WalCheckpointer&) = delete;

  // Called (on the writer's thread) after each commit of the writer.
  void OnCommit(std::function<void()> committed) { onCommit = std::move(committed); }

  // Checkpoints the thread has ended, and those the writer ran itself.
  int Done() const { return done.load(); }
  int DoneByWriter() const { return doneByWriter.load(); }

 private:
  static int Committed(void* self, sqlite3* db, const char* name, int pages);
  void Run();

  sqlite3* writer;
  const QByteArray path;
  const int pages;
  std::mutex mutex;
  std::condition_variable wake;
  bool wanted = false;
  bool stopping = false;
  std::atomic<int> done{0};
  std::atomic<int> doneByWriter{0};
  std::function<void()> onCommit;
  std::thread thread;
};

}  // namespace lynx
