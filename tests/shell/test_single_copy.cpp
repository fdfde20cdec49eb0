// Copies of the built game on one private X server (Xvfb): a second start on
// the same folders shows the first copy's window and ends, a copy on other
// folders plays beside it, and a copy killed leaves no lock behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <memory>

#include "tests/support/x_session.h"

namespace {

using lynx::e2e::GameProcess;
using lynx::e2e::Installed;
using lynx::e2e::ReadFile;
using lynx::e2e::WriteFile;
using lynx::e2e::XServer;

class SingleCopy : public testing::Test {
 protected:
  const QString kTitleWindow = QStringLiteral("LYNX Video Poker");

  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool"}) {
      if (!Installed(QLatin1String(tool)))
        GTEST_SKIP() << tool << " is not installed (scripts/install-deps installs it)";
    }
    ASSERT_TRUE(config.isValid() && other.isValid() && runtime.isValid());
    // The games' locks in a runtime folder of the test's own (private, as
    // the folder must be).
    savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    x = std::make_unique<XServer>();
    ASSERT_FALSE(x->Display().isEmpty()) << "Xvfb did not start";
  }

  void TearDown() override { qputenv("XDG_RUNTIME_DIR", savedRuntime); }

  std::unique_ptr<GameProcess> Start(const QTemporaryDir& folder, bool keepErrors = false) {
    return std::make_unique<GameProcess>(folder.path(), x->Display(), keepErrors);
  }

  // The values of xdotool's --shell output (X=..., WINDOW=...).
  QMap<QString, QString> ShellValues(const QStringList& args) const {
    QMap<QString, QString> values;
    for (const QByteArray& line : x->Xdotool(args).split('\n')) {
      const qsizetype equals = line.indexOf('=');
      if (equals > 0) values[QString::fromLatin1(line.left(equals))] = line.mid(equals + 1);
    }
    return values;
  }

  // The top window at the centre of window: another one when it is covered.
  QString TopWindowAtCentreOf(const QString& window) const {
    const auto place =
        ShellValues({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    const int x0 = place.value(QStringLiteral("X")).toInt();
    const int y0 = place.value(QStringLiteral("Y")).toInt();
    const int cx = x0 + place.value(QStringLiteral("WIDTH")).toInt() / 2;
    const int cy = y0 + place.value(QStringLiteral("HEIGHT")).toInt() / 2;
    return ShellValues({QStringLiteral("mousemove"), QString::number(cx), QString::number(cy),
                        QStringLiteral("getmouselocation"), QStringLiteral("--shell")})
        .value(QStringLiteral("WINDOW"));
  }

  QTemporaryDir config;
  QTemporaryDir other;
  QTemporaryDir runtime;
  QByteArray savedRuntime;
  std::unique_ptr<XServer> x;
};

TEST_F(SingleCopy, ASecondStartShowsTheFirstCopysQuestionAndEnds) {
  const QByteArray saved = "[Settings]\nCredits=245\nBorrowed=100\nLargeCards=0\n";
  const QString ini = config.filePath(QStringLiteral("ZEB.INI"));
  ASSERT_TRUE(WriteFile(ini, saved));
  auto first = Start(config);
  const QString question = x->WaitForWindow(QStringLiteral("Resume Saved Game?"));
  ASSERT_FALSE(question.isEmpty()) << "no resume question";

  // A copy on other folders plays beside it, its title window over the
  // question.
  auto beside = Start(other);
  ASSERT_FALSE(x->WaitForWindow(kTitleWindow).isEmpty()) << "the copy beside did not start";
  ASSERT_NE(TopWindowAtCentreOf(question).toStdString(), question.toStdString());

  GameProcess second(config.path(), x->Display(), true);
  EXPECT_EQ(second.WaitForEnd(15000), "0");
  EXPECT_EQ(second.Errors().toStdString(),
            "lynx-video-poker: already running; its window was brought to the front\n");
  EXPECT_EQ(TopWindowAtCentreOf(question).toStdString(), question.toStdString());

  // The first plays on with the balance it was offered.
  ASSERT_TRUE(x->Keys(question, {QStringLiteral("Return")}));
  EXPECT_EQ(first->RunUntilSigterm(), "0");
  EXPECT_TRUE(ReadFile(ini).starts_with(saved.toStdString())) << ReadFile(ini);
  EXPECT_EQ(beside->RunUntilSigterm(), "0");
}

TEST_F(SingleCopy, ACopyKilledLeavesNoLockBehind) {
  auto game = Start(config);
  ASSERT_FALSE(x->WaitForWindow(kTitleWindow).isEmpty());
  game->Kill();
  // The next start plays: its window comes up and it runs until told to end.
  // (Without the history it has no killed run to report first.)
  ASSERT_TRUE(QDir(config.filePath(QStringLiteral("data"))).removeRecursively());
  game = Start(config, true);
  EXPECT_FALSE(x->WaitForWindow(kTitleWindow).isEmpty());
  EXPECT_EQ(game->RunUntilSigterm(), "0");
  EXPECT_EQ(game->Errors().toStdString(), "");
}

}  // namespace
