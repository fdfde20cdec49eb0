// The built programs' own options, run as a user runs them: --help and
// --version answer without a display, Qt's options stay Qt's, and anything
// else is refused in one line. And the installed layout: the game finds its
// data from the folder it is installed in.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <string>

#include "platform/data_dir.h"

namespace {

struct Outcome {
  std::string status;  // the exit status, or "crashed" / "did not end"
  std::string out;
  std::string err;
};

// Runs program with args and a configuration folder of its own. display
// false: no display at all (the X platform with no DISPLAY), so a program that
// tried to open a window would fail.
Outcome Start(const char* program, const QStringList& args, const QString& home, bool display) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
  env.insert(QStringLiteral("XDG_DATA_HOME"), home);
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.insert(QStringLiteral("QT_QPA_PLATFORM"),
             display ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
  QProcess process;
  process.setProcessEnvironment(env);
  process.start(QString::fromUtf8(program), args);
  if (!process.waitForFinished(20000)) {
    process.kill();
    process.waitForFinished(5000);
    return {"did not end", {}, {}};
  }
  const std::string status = process.exitStatus() == QProcess::NormalExit
                                 ? std::to_string(process.exitCode())
                                 : std::string("crashed");
  return {status, process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

class CommandLine : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home.isValid()); }
  // Nothing is written by a run that only answers or refuses its options.
  void TearDown() override { EXPECT_TRUE(QDir(home.path()).isEmpty()); }
  QTemporaryDir home;
};

TEST_F(CommandLine, HelpAndVersionAnswerWithoutADisplay) {
  const std::string version = LYNX_VERSION;
  const Outcome gameVersion = Start(LYNX_GAME_EXECUTABLE, {"--version"}, home.path(), false);
  EXPECT_EQ(gameVersion.status, "0");
  EXPECT_EQ(gameVersion.out, "lynx-video-poker " + version + "\n");
  EXPECT_EQ(gameVersion.err, "");

  const Outcome analyzerVersion = Start(LYNX_ANALYZE_EXECUTABLE, {"--version"}, home.path(), false);
  EXPECT_EQ(analyzerVersion.status, "0");
  EXPECT_EQ(analyzerVersion.out, "lynx-analyze " + version + "\n");

  // Help wins wherever it stands, also after an option that is no option.
  for (const QStringList& args : {QStringList{"--help"}, QStringList{"--bogus", "-h"}}) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const Outcome help = Start(LYNX_GAME_EXECUTABLE, args, home.path(), false);
    EXPECT_EQ(help.status, "0");
    EXPECT_EQ(help.out.rfind("Usage: lynx-video-poker [OPTION] [QT OPTION]...\n", 0), 0u)
        << help.out;
    EXPECT_NE(help.out.find("\n  --version "), std::string::npos);
    EXPECT_EQ(help.err, "");
  }
}

TEST_F(CommandLine, WhatQtLeavesIsRefusedInOneLine) {
  const struct {
    QStringList args;
    bool display;
    std::string err;
  } cases[] = {
      {{"--bogus"},
       true,
       "lynx-video-poker: unknown option '--bogus'; try lynx-video-poker --help\n"},
      // With no display at all, before Qt gives up on it; Qt's own options
      // and their values are passed over.
      {{"-style", "fusion", "--reverse", "-geometry=10x10", "--bogus"},
       false,
       "lynx-video-poker: unknown option '--bogus'; try lynx-video-poker --help\n"},
      // -platform is Qt's: taken by Qt (no display is needed for offscreen),
      // and only what follows it is refused.
      {{"-platform", "offscreen", "-x"},
       false,
       "lynx-video-poker: unknown option '-x'; try lynx-video-poker --help\n"},
      {{"-style", "fusion", "table"},
       true,
       "lynx-video-poker: unexpected argument 'table'; try lynx-video-poker --help\n"},
      {{"--a\nb\xC3\xA9"},
       true,
       "lynx-video-poker: unknown option '--a\\x0Ab\\xC3\\xA9'; try lynx-video-poker --help\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const Outcome run = Start(LYNX_GAME_EXECUTABLE, c.args, home.path(), c.display);
    EXPECT_EQ(run.status, "2");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);
  }
}

// The game installed in <prefix>/LYNX_GAMES_INSTALL_DIR looks for its sounds
// and help documents where they are installed.
TEST(InstalledLayout, TheGameLooksForItsDataWhereItIsInstalled) {
  QTemporaryDir prefix;
  ASSERT_TRUE(prefix.isValid());
  const QString games = prefix.filePath(QStringLiteral(LYNX_GAMES_INSTALL_DIR));
  ASSERT_TRUE(QDir().mkpath(games));
  EXPECT_EQ(lynx::FindDataDirectory(games), prefix.filePath(QStringLiteral(LYNX_DATA_INSTALL_DIR)));
}

}  // namespace
