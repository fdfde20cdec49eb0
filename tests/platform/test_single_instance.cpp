// The one-copy lock and the socket through which a second copy asks the
// first to show itself.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <future>
#include <memory>

#include "platform/single_instance.h"

namespace {

using lynx::SingleInstance;
using Role = lynx::SingleInstance::Role;

class SingleInstanceTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.isValid() && runtime.isValid());
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("config")));
  }
  QString Ini() const { return home.filePath(QStringLiteral("config/ZEB.INI")); }
  QString History() const { return home.filePath(QStringLiteral("data/history.sqlite")); }
  std::unique_ptr<SingleInstance> Make(const QString& ini, const QString& history) const {
    return std::make_unique<SingleInstance>(ini, history, runtime.path());
  }

  QTemporaryDir home;
  QTemporaryDir runtime;
};

TEST_F(SingleInstanceTest, OneHolderPerPairOfFilesEvenWithinOneProcess) {
  auto first = Make(Ini(), History());
  EXPECT_TRUE(first->LockPath().startsWith(runtime.path() + QStringLiteral("/lynx-video-poker-")));
  ASSERT_EQ(first->Acquire(), Role::First);
  EXPECT_EQ(first->Acquire(), Role::First);

  // The same files, spelled through a link and a "..": the same lock.
  ASSERT_TRUE(
      QFile::link(home.filePath(QStringLiteral("config")), home.filePath(QStringLiteral("link"))));
  auto second = Make(home.filePath(QStringLiteral("link/ZEB.INI")),
                     home.filePath(QStringLiteral("config/../data/history.sqlite")));
  EXPECT_EQ(second->LockPath(), first->LockPath());
  EXPECT_EQ(second->Acquire(), Role::Second);
  EXPECT_EQ(second->Problem(), QString());

  // Either file another: no exclusion.
  EXPECT_EQ(Make(Ini(), home.filePath(QStringLiteral("other.sqlite")))->Acquire(), Role::First);
  EXPECT_EQ(Make(home.filePath(QStringLiteral("OTHER.INI")), History())->Acquire(), Role::First);

  first.reset();
  EXPECT_EQ(second->Acquire(), Role::First);
}

TEST_F(SingleInstanceTest, ALockWhoseHolderWasKilledIsTakenAtOnce) {
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SingleInstance holder(Ini(), History(), runtime.path());
    const char took = holder.Acquire() == Role::First ? 'y' : 'n';
    if (::write(pipe[1], &took, 1) == 1) ::pause();
    ::_exit(1);
  }
  ::close(pipe[1]);
  char took = 0;
  EXPECT_EQ(::read(pipe[0], &took, 1), 1);
  ::close(pipe[0]);
  EXPECT_EQ(took, 'y');
  auto next = Make(Ini(), History());
  EXPECT_EQ(next->Acquire(), Role::Second);
  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(next->Acquire(), Role::First);
}

TEST_F(SingleInstanceTest, TheRequestOfASecondCopyReachesTheFirst) {
  auto first = Make(Ini(), History());
  auto second = Make(Ini(), History());
  ASSERT_EQ(first->Acquire(), Role::First);
  ASSERT_EQ(second->Acquire(), Role::Second);
  // A socket file left by a copy that died: only the lock holder removes it.
  QFile stale(first->SocketPath());
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();
  EXPECT_FALSE(second->Listen([] {}));
  EXPECT_TRUE(QFile::exists(first->SocketPath()));
  int shown = 0;
  ASSERT_TRUE(first->Listen([&shown] { ++shown; })) << first->Problem().toStdString();

  // The asking side blocks, so it runs on a thread while the first's event
  // loop answers.
  const auto Ask = [&](int timeoutMs) {
    auto asked = std::async(std::launch::async, [&] { return second->AskFirstToShow(timeoutMs); });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        timeoutMs + 5000));
    return asked.get();
  };
  EXPECT_TRUE(Ask(5000));
  EXPECT_EQ(shown, 1);

  first.reset();
  EXPECT_FALSE(QFile::exists(second->SocketPath()));
  EXPECT_FALSE(Ask(200));
}

TEST_F(SingleInstanceTest, TheRuntimeFolderFallsBackToTheTemporaryFolder) {
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  EXPECT_EQ(lynx::RuntimeFolder(), runtime.path());
  QFile file(home.filePath(QStringLiteral("file")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  for (const QString& unusable : {home.filePath(QStringLiteral("missing")), file.fileName(),
                                  QStringLiteral("relative"), QString()}) {
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(unusable));
    EXPECT_EQ(lynx::RuntimeFolder(), QDir::tempPath()) << unusable.toStdString();
  }
  qputenv("XDG_RUNTIME_DIR", saved);

  // No folder at all (an empty one is a TMPDIR naming none): no lock, and a
  // reason to give.
  SingleInstance nowhere(Ini(), History(), home.filePath(QStringLiteral("missing")));
  EXPECT_EQ(nowhere.Acquire(), Role::Unavailable);
  EXPECT_TRUE(nowhere.Problem().startsWith(QStringLiteral("cannot make the lock file ") +
                                           nowhere.LockPath() + QStringLiteral(": ")))
      << nowhere.Problem().toStdString();
  SingleInstance none(Ini(), History(), QString());
  EXPECT_EQ(none.Acquire(), Role::Unavailable);
  EXPECT_EQ(none.LockPath(), QString());
}

}  // namespace
