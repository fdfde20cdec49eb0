#pragma once
// End-to-end helpers: the built game as a child process with a private
// configuration folder, and a private X server (Xvfb) with the xdotool and
// import calls that drive and look at its windows. Every wait polls against a
// deadline; every process started here is ended by its owner's destructor.

#include <signal.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>
#include <functional>
#include <string>

namespace lynx::e2e {

inline bool Installed(const QString& program) {
  return !QStandardPaths::findExecutable(program).isEmpty();
}

// Calls done() every stepMs until it holds or timeoutMs have passed.
inline bool PollUntil(const std::function<bool()>& done, int timeoutMs, int stepMs = 20) {
  const QDeadlineTimer deadline(timeoutMs);
  for (;;) {
    if (done()) return true;
    if (deadline.hasExpired()) return false;
    QThread::msleep(static_cast<unsigned long>(stepMs));
  }
}

// The file's bytes (a std::string, for readable test failures).
inline std::string ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

inline bool WriteFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// One line of /proc/<pid>/status ("SigCgt:", "VmRSS:"), the text after the name.
inline QByteArray ProcStatus(qint64 pid, const QByteArray& name) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return {};
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(name)) return line.mid(name.size()).trimmed();
  return {};
}

// The built game (LYNX_GAME_EXECUTABLE), offscreen or on an X display, with
// configHome as its configuration folder.
class GameProcess {
 public:
  // A memory use no run of the game comes near: a game past it is reading
  // without end and is stopped before it takes the machine's memory.
  static constexpr qint64 kRunawayKiB = 512 * 1024;

  // display empty: the offscreen platform. keepErrors: what the game writes
  // on standard error is kept for Errors() instead of passed on.
  GameProcess(const QString& configHome, const QString& display, bool keepErrors = false,
              const QStringList& arguments = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    // The game history goes beside the settings, never into the user's own.
    env.insert(QStringLiteral("XDG_DATA_HOME"), configHome + QStringLiteral("/data"));
    if (display.isEmpty()) {
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
      env.insert(QStringLiteral("DISPLAY"), display);
    }
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(keepErrors ? QProcess::SeparateChannels
                                             : QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral(LYNX_GAME_EXECUTABLE), arguments);
    started = process.waitForStarted(10000);
  }
  ~GameProcess() {
    if (process.state() != QProcess::NotRunning) {
      process.kill();
      process.waitForFinished(5000);
    }
  }
  GameProcess(const GameProcess&) = delete;
  GameProcess& operator=(const GameProcess&) = delete;

  bool Started() const { return started; }

  // What the game has written on standard error since the last call (with
  // keepErrors only).
  QByteArray Errors() { return process.readAllStandardError(); }

  // True once the game catches SIGTERM (its handlers are installed).
  bool CatchesSigterm() const {
    bool ok = false;
    const qulonglong mask = ProcStatus(process.processId(), "SigCgt:").toULongLong(&ok, 16);
    return ok && (mask & (1ULL << (SIGTERM - 1))) != 0;
  }

  // SIGKILL: no handler, no save, as a crash or a power cut.
  void Kill() {
    if (process.processId() > 0) ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
    process.waitForFinished(5000);
  }

  void Terminate() {
    // Never kill(0, ...): that would reach the whole process group.
    if (process.processId() > 0) ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
  }

  // True when the game's memory use has passed kRunawayKiB.
  bool RanAway() const {
    const QByteArray rss = ProcStatus(process.processId(), "VmRSS:");
    return rss.left(rss.indexOf(' ')).toLongLong() > kRunawayKiB;
  }

  // Waits for the end: "0", "1" ... the exit status, or "crashed", "did not
  // end", "ran away"; a game that did not end or ran away is killed.
  std::string WaitForEnd(int timeoutMs) {
    if (!started) return "not started";
    bool ranAway = false;
    const bool ended = PollUntil(
        [&] {
          ranAway = RanAway();
          return ranAway || process.state() == QProcess::NotRunning || process.waitForFinished(10);
        },
        timeoutMs, 0);
    if (!ended || ranAway) {
      process.kill();
      process.waitForFinished(5000);
      return ranAway ? "ran away" : "did not end";
    }
    if (process.exitStatus() != QProcess::NormalExit) return "crashed";
    return std::to_string(process.exitCode());
  }

  // SIGTERM once the game's handlers are in, then WaitForEnd.
  std::string RunUntilSigterm(int timeoutMs = 10000) {
    if (!started) return "not started";
    bool ranAway = false;
    PollUntil(
        [&] {
          ranAway = RanAway();
          return ranAway || CatchesSigterm() || process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    if (ranAway || process.state() == QProcess::NotRunning) return WaitForEnd(0);
    if (!CatchesSigterm()) {
      process.kill();
      process.waitForFinished(5000);
      return "no handler";
    }
    Terminate();
    return WaitForEnd(timeoutMs);
  }

 private:
  QProcess process;
  bool started = false;
};

// A private X server: Xvfb on a display number it picks itself, no TCP.
class XServer {
 public:
  XServer() {
    server.setProgram(QStringLiteral("Xvfb"));
    // No reset when the last client leaves: a game connecting just as an
    // xdotool call ends would otherwise meet a server starting over.
    server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                         QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                         QStringLiteral("-noreset"), QStringLiteral("-screen"), QStringLiteral("0"),
                         QStringLiteral("1024x768x24")});
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start();
    if (!server.waitForStarted(5000)) return;
    // The display number comes on a line of its own once connections are taken.
    QByteArray out;
    PollUntil(
        [&] {
          server.waitForReadyRead(20);
          out += server.readAllStandardOutput();
          return out.contains('\n') || server.state() != QProcess::Running;
        },
        10000, 0);
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (ok && out.contains('\n')) display = QStringLiteral(":%1").arg(number);
  }
  ~XServer() { Stop(); }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // Empty when the server did not come up.
  const QString& Display() const { return display; }

  // Ends the server (SIGTERM; SIGKILL if it lingers): its clients lose the
  // connection.
  void Stop() {
    if (server.state() == QProcess::NotRunning) return;
    server.terminate();
    if (!server.waitForFinished(5000)) {
      server.kill();
      server.waitForFinished(5000);
    }
  }

  // A program run on this display to its end; its standard output, and ok
  // false when it failed or ran past timeoutMs.
  QByteArray Run(const QString& program, const QStringList& args, bool* ok = nullptr,
                 int timeoutMs = 10000) const {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    tool.setProcessEnvironment(env);
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(program, args);
    const bool finished = tool.waitForStarted(5000) && tool.waitForFinished(timeoutMs);
    if (!finished) {
      tool.kill();
      tool.waitForFinished(5000);
    }
    if (ok != nullptr)
      *ok = finished && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    return tool.readAllStandardOutput();
  }
  QByteArray Xdotool(const QStringList& args, bool* ok = nullptr) const {
    return Run(QStringLiteral("xdotool"), args, ok);
  }

  // The id of the mapped window whose title is exactly title, waiting up to
  // timeoutMs; empty when none came.
  QString WaitForWindow(const QString& title, int timeoutMs = 10000) const {
    // xdotool matches a POSIX extended expression: the title is spelled out.
    QString pattern = QStringLiteral("^");
    for (const QChar c : title) {
      if (QStringLiteral(".[]{}()\\*+?^$|").contains(c)) pattern += QLatin1Char('\\');
      pattern += c;
    }
    pattern += QLatin1Char('$');
    QString id;
    PollUntil(
        [&] {
          const QByteArray out = Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--name"), pattern});
          id = QString::fromLatin1(out.split('\n').front().trimmed());
          return !id.isEmpty();
        },
        timeoutMs, 50);
    return id;
  }

  // Left click at (x, y) of the window.
  bool Click(const QString& window, int x, int y) const {
    bool ok = false;
    Xdotool(
        {QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"), window,
         QString::number(x), QString::number(y), QStringLiteral("click"), QStringLiteral("1")},
        &ok);
    return ok;
  }

  // Gives window the keyboard focus and types keys (xdotool key names).
  bool Keys(const QString& window, const QStringList& keys) const {
    bool ok = false;
    Xdotool(QStringList{QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
                        QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30")} +
                keys,
            &ok);
    return ok;
  }

  // What the window shows now, as the bytes of a PPM image (pixels only, no
  // metadata that could differ between two looks); empty when it cannot be
  // read.
  QByteArray Picture(const QString& window) const {
    bool ok = false;
    const QByteArray ppm = Run(QStringLiteral("import"),
                               {QStringLiteral("-window"), window, QStringLiteral("ppm:-")}, &ok);
    return ok ? ppm : QByteArray();
  }

  // The picture once two looks in a row agree (the window has finished
  // drawing); empty when it kept changing for timeoutMs.
  QByteArray SteadyPicture(const QString& window, int timeoutMs = 5000) const {
    QByteArray last;
    QByteArray steady;
    PollUntil(
        [&] {
          const QByteArray now = Picture(window);
          if (!now.isEmpty() && now == last) steady = now;
          last = now;
          return !steady.isEmpty();
        },
        timeoutMs, 100);
    return steady;
  }

 private:
  QProcess server;
  QString display;
};

}  // namespace lynx::e2e
