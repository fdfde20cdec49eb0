#pragma once
// One copy of the game per player: two copies on the same settings file and
// history would each restore the balance and replay the hand left dealt. The
// first copy holds an advisory lock (flock) on a file in the runtime folder,
// which the kernel drops when the process ends in any way, and listens on a
// local socket beside it; a second copy finds the lock taken and asks the
// first, through the socket, to bring its window to the front.

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

namespace lynx {

// The folder for the lock and the socket: $XDG_RUNTIME_DIR when it names an
// absolute, writable folder, else QDir::tempPath() (empty when $TMPDIR names
// no folder).
QString RuntimeFolder();

// The absolute path with every link and "." or ".." resolved, also for a file
// or folders that do not exist yet (the part that exists is resolved, the
// rest appended as written).
QString CanonicalPath(const QString& path);

class SingleInstance {
 public:
  enum class Role {
    First,        // this copy holds the lock and plays
    Second,       // another live copy holds it
    Unavailable,  // no lock can be made here (see Problem()): play unguarded
  };

  // The lock and socket are named after a hash of the canonical paths of the
  // two files, so copies on other files run side by side. Nothing is opened
  // before Acquire(). An empty folder: Unavailable.
  SingleInstance(const QString& profilePath, const QString& historyPath,
                 const QString& folder = RuntimeFolder());
  // Stops listening (removing the socket file) before the lock is let go, so
  // a copy that takes the lock next never loses its own socket to this one.
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Tries the lock without waiting; again on each call until it is First.
  Role Acquire();

  // While First only: removes a socket file left by a copy that died and
  // listens; onRaise runs on the event loop for each request of a second
  // copy. False (and nothing removed) when not First; false with Problem()
  // when the socket cannot be made, the lock still holding.
  bool Listen(std::function<void()> onRaise);

  // As a second copy: asks the first to show its window and waits up to
  // timeoutMs (retrying while the first has not started listening yet) for
  // its answer that it did. Blocks the calling thread.
  bool AskFirstToShow(int timeoutMs = 3000);

  const QString& LockPath() const { return lockPath; }
  const QString& SocketPath() const { return socketPath; }
  // Why the lock is Unavailable or Listen failed, in one line.
  const QString& Problem() const { return problem; }

 private:
  QString lockPath;
  QString socketPath;
  QString problem;
  int fd = -1;
  std::function<void()> raise;
  std::unique_ptr<QLocalServer> server;
};

}  // namespace lynx
