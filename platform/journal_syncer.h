#pragma once
// Syncs the history's write-ahead journal to the disk on a thread of its own.
// The writer commits without waiting for the disk (its pages reach the
// system's cache, which a crash or a kill of the program does not lose) and
// tells this object; whoever must not go on before the commit is on disk (a
// win shown as paid) asks to be called back once the sync is done. The window
// thread then never waits for the disk, whose sync takes about a millisecond
// and now and then tens of them.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace lynx {

class JournalSyncer {
 public:
  // Syncs the file at path (the journal, which exists while the writer has
  // the history open). Check Usable(): it is not when the file cannot be
  // opened, and the writer must then sync its own commits.
  explicit JournalSyncer(const QString& path);
  // Syncs what was committed and not yet synced, and hands the callbacks
  // still waiting to the event loops of their contexts.
  ~JournalSyncer();
  JournalSyncer(const JournalSyncer&) = delete;
  JournalSyncer& operator=(const JournalSyncer&) = delete;

  bool Usable() const { return usable; }
  // A commit was written: it is synced soon, on the thread.
  void Committed();
  // Runs done on this (the writer's) thread once every commit so far is on
  // disk: at once when it already is, else from the event loop once the sync
  // is done; never when context is gone by then.
  void WhenSynced(QObject* context, std::function<void()> done);
  // Returns once every commit so far is on disk.
  void WaitSynced();
  // A sync failed: what was committed may not be on the disk.
  bool Failed() const { return failed.load(); }
  // Syncs made since the start, for tests.
  int Syncs() const { return syncs.load(); }
  // For tests: while held, the thread starts no sync, so a test can call
  // WhenSynced before the sync of its commit has ended, whatever the
  // machine's load.
  void HoldSyncsForTests(bool hold);

 private:
  struct Waiter {
    std::uint64_t commit;
    QPointer<QObject> context;
    std::function<void()> done;
  };
  void Run();
  bool Sync();
  // On the writer's thread: the callbacks of the commits through synced.
  void Deliver(std::uint64_t synced);

  const QByteArray path;
  int descriptor = -1;  // the thread's once it runs
  bool usable = false;
  QObject relay;                // lives on the writer's thread; the thread posts to it
  std::vector<Waiter> waiters;  // the writer's thread only
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable landed;
  std::uint64_t committed = 0;  // under mutex
  std::uint64_t synced = 0;     // under mutex
  std::uint64_t awaited = 0;    // under mutex: the last commit waited for
  bool stopping = false;        // under mutex
  bool held = false;            // under mutex
  std::atomic<bool> failed{false};
  std::atomic<int> syncs{0};
  std::thread thread;
};

}  // namespace lynx
