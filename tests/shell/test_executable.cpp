// The built game program, started offscreen with its own configuration
// folder, ends through its save on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

// True once the process catches SIGTERM (its handlers are installed).
bool CatchesSigterm(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (!line.startsWith("SigCgt:")) continue;
    bool ok = false;
    const qulonglong mask = line.mid(7).trimmed().toULongLong(&ok, 16);
    return ok && (mask & (1ULL << (SIGTERM - 1))) != 0;
  }
  return false;
}

QByteArray RunUntilSigterm(const QString& configHome) {
  QProcess game;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
  game.setProcessEnvironment(env);
  game.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  game.start(QStringLiteral(LYNX_GAME_EXECUTABLE), {});
  if (!game.waitForStarted(10000)) return "not started";
  QDeadlineTimer deadline(20000);
  while (!CatchesSigterm(game.processId()) && !deadline.hasExpired()) QThread::msleep(20);
  if (!CatchesSigterm(game.processId())) {
    game.kill();
    game.waitForFinished();
    return "no handler";
  }
  ::kill(static_cast<pid_t>(game.processId()), SIGTERM);
  if (!game.waitForFinished(20000)) {
    game.kill();
    game.waitForFinished();
    return "did not end";
  }
  if (game.exitStatus() != QProcess::NormalExit) return "crashed";
  return QByteArray::number(game.exitCode());
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(GameProgram, SigtermEndsItThroughTheSave) {
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  const QString ini = config.filePath(QStringLiteral("ZEB.INI"));

  // A first run: no saved game, no question; SIGTERM saves the start values.
  EXPECT_EQ(RunUntilSigterm(config.path()), "0");
  EXPECT_EQ(ReadFile(ini), QByteArray("[Settings]\nCredits=100\nBorrowed=100\nLargeCards=0\n"));

  // A saved game: SIGTERM while the resume question may be up ends the
  // program without touching the saved game.
  const QByteArray saved = "[Settings]\nCredits=420\nBorrowed=100\nLargeCards=1\n";
  QFile file(ini);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(saved);
  file.close();
  EXPECT_EQ(RunUntilSigterm(config.path()), "0");
  EXPECT_EQ(ReadFile(ini), saved);
}

}  // namespace
