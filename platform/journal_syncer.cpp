#include "platform/journal_syncer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QMetaObject>
#include <algorithm>

namespace lynx {

JournalSyncer::JournalSyncer(const QString& path) : path(QFile::encodeName(path)) {
  descriptor = ::open(this->path.constData(), O_RDONLY | O_CLOEXEC);
  usable = descriptor >= 0;
  if (usable) thread = std::thread([this] { Run(); });
}

JournalSyncer::~JournalSyncer() {
  if (thread.joinable()) {
    {
      std::lock_guard lock(mutex);
      stopping = true;
    }
    wake.notify_one();
    thread.join();
  }
  if (descriptor >= 0) ::close(descriptor);
  // Everything is on disk now; whoever still waits hears it in its own turn
  // of the event loop, not inside the history's closing.
  for (Waiter& waiter : waiters)
    if (waiter.context)
      QMetaObject::invokeMethod(waiter.context, waiter.done, Qt::QueuedConnection);
}

void JournalSyncer::Committed() {
  {
    std::lock_guard lock(mutex);
    ++committed;
  }
  wake.notify_one();
}

void JournalSyncer::WhenSynced(QObject* context, std::function<void()> done) {
  std::uint64_t through = 0;
  {
    std::lock_guard lock(mutex);
    if (synced < committed) {
      through = committed;
      awaited = std::max(awaited, through);
    }
  }
  if (through == 0) {
    done();
    return;
  }
  // A sync still to end delivers it: synced is set before its delivery is
  // posted.
  waiters.push_back({through, context, std::move(done)});
}

void JournalSyncer::HoldSyncsForTests(bool hold) {
  {
    std::lock_guard lock(mutex);
    held = hold;
  }
  wake.notify_one();
}

void JournalSyncer::WaitSynced() {
  std::unique_lock lock(mutex);
  const std::uint64_t through = committed;
  landed.wait(lock, [&] { return synced >= through; });
}

void JournalSyncer::Run() {
  std::unique_lock lock(mutex);
  for (;;) {
    wake.wait(lock, [this] { return (synced < committed && !held) || stopping; });
    if (synced == committed) break;  // stopping, with nothing left to sync
    const std::uint64_t through = committed;
    lock.unlock();
    if (!Sync()) failed = true;
    ++syncs;
    lock.lock();
    const bool told = awaited > synced;
    synced = through;
    landed.notify_all();
    // Only when someone waits: a sync after the last save, while exit()
    // takes the program down, must not touch the event loop's queues.
    if (told)
      QMetaObject::invokeMethod(
          &relay, [this, through] { Deliver(through); }, Qt::QueuedConnection);
  }
}

bool JournalSyncer::Sync() {
  // The journal is the one at path: should it have been replaced (the
  // history moved aside and made anew), the new one is synced.
  struct stat named {};
  struct stat opened {};
  if (::stat(path.constData(), &named) == 0 && ::fstat(descriptor, &opened) == 0 &&
      (named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)) {
    const int reopened = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (reopened >= 0) {
      ::close(descriptor);
      descriptor = reopened;
    }
  }
  return ::fdatasync(descriptor) == 0;
}

void JournalSyncer::Deliver(std::uint64_t through) {
  std::vector<Waiter> due;
  for (auto it = waiters.begin(); it != waiters.end();) {
    if (it->commit <= through) {
      due.push_back(std::move(*it));
      it = waiters.erase(it);
    } else {
      ++it;
    }
  }
  for (Waiter& waiter : due)
    if (waiter.context) waiter.done();
}

}  // namespace lynx
