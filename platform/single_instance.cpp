#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lynx {

namespace {

// The request of a second copy and the first's answer, one line each.
constexpr char kShow[] = "show\n";
constexpr char kShown[] = "shown\n";
// A request longer than this is no request of ours.
constexpr qint64 kLongestRequest = 64;

QString ErrorText(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

QString RuntimeFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
    const QByteArray name = QFile::encodeName(runtime);
    struct stat info {};
    if (::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        ::access(name.constData(), W_OK | X_OK) == 0)
      return QDir::cleanPath(runtime);
  }
  return QDir::tempPath();
}

QString CanonicalPath(const QString& path) {
  QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  QStringList missing;
  for (;;) {
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    if (!canonical.isEmpty()) {
      missing.prepend(canonical);
      return QDir::cleanPath(missing.join(QLatin1Char('/')));
    }
    const qsizetype slash = existing.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0) return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    missing.prepend(existing.mid(slash + 1));
    existing.truncate(slash);
  }
}

SingleInstance::SingleInstance(const QString& profilePath, const QString& historyPath,
                               const QString& folder) {
  // QDir::tempPath() is empty when TMPDIR names no folder: no lock then,
  // rather than one in the root folder.
  if (folder.isEmpty()) return;
  const QByteArray key =
      CanonicalPath(profilePath).toUtf8() + '\0' + CanonicalPath(historyPath).toUtf8();
  const QString name =
      QStringLiteral("/lynx-video-poker-") +
      QString::fromLatin1(
          QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
  lockPath = QDir::cleanPath(folder) + name + QStringLiteral(".lock");
  socketPath = QDir::cleanPath(folder) + name + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance() {
  server.reset();  // closing the server removes the socket file
  if (fd >= 0) ::close(fd);
}

SingleInstance::Role SingleInstance::Acquire() {
  if (fd >= 0) return Role::First;
  problem.clear();
  if (lockPath.isEmpty()) {
    problem = QStringLiteral("no runtime or temporary folder to keep the lock in");
    return Role::Unavailable;
  }
  const QByteArray name = QFile::encodeName(lockPath);
  // Each open is a file description of its own, so even two objects in one
  // process exclude each other. No link is followed (the fallback folder is
  // shared with other users), and a FIFO put there does not block the start.
  const int file =
      ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (file < 0) {
    problem = QStringLiteral("cannot make the lock file %1: %2").arg(lockPath, ErrorText(errno));
    return Role::Unavailable;
  }
  struct stat info {};
  if (::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(file);
    problem = QStringLiteral("the lock file %1 is not a regular file").arg(lockPath);
    return Role::Unavailable;
  }
  if (::flock(file, LOCK_EX | LOCK_NB) == 0) {
    fd = file;
    return Role::First;
  }
  const int error = errno;
  ::close(file);
  if (error == EWOULDBLOCK) return Role::Second;
  problem = QStringLiteral("cannot lock %1: %2").arg(lockPath, ErrorText(error));
  return Role::Unavailable;
}

bool SingleInstance::Listen(std::function<void()> onRaise) {
  if (fd < 0) return false;
  raise = std::move(onRaise);
  server.reset();
  // Only the lock holder may do this: the file can only be a socket left by a
  // copy that died.
  QLocalServer::removeServer(socketPath);
  server = std::make_unique<QLocalServer>();
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(socketPath)) {
    problem = QStringLiteral("cannot listen on %1: %2").arg(socketPath, server->errorString());
    server.reset();
    return false;
  }
  QObject::connect(server.get(), &QLocalServer::newConnection, server.get(), [this] {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (!socket->canReadLine()) {
          if (socket->bytesAvailable() > kLongestRequest) socket->abort();
          return;
        }
        if (socket->readLine(kLongestRequest) == kShow) {
          if (raise) raise();
          socket->write(kShown);
        }
        socket->disconnectFromServer();  // after what was written has gone
      });
    }
  });
  return true;
}

bool SingleInstance::AskFirstToShow(int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  const auto left = [&deadline] {
    return static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
  };
  QLocalSocket socket;
  for (;;) {
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(left())) break;
    // The first copy may hold the lock but not listen yet.
    if (deadline.hasExpired()) return false;
    QThread::msleep(50);
  }
  socket.write(kShow);
  if (!socket.waitForBytesWritten(left())) return false;
  QByteArray answer;
  while (!answer.contains('\n')) {
    if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(left())) return false;
    answer += socket.readAll();
  }
  return answer == kShown;
}

}  // namespace lynx
