// Start-up: the program-wide values, the resume question before any window
// is visible, then the title window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "shell/startup.h"
#include "tests/support/fakes.h"

namespace lynx {
namespace {

// Records, at each question, which top-level windows exist and are visible.
class WatchingDialogs final : public Dialogs {
 public:
  void Info(QWidget*, const QString&, const QString&) override {}
  void Exclaim(QWidget*, const QString&, const QString&) override {}
  QString AskSaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
  bool Ask(QWidget* parent, const QString& title, const QString&) override {
    titles << title;
    parents.push_back(parent);
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (qobject_cast<TitleWindow*>(w) != nullptr) ++titleWindowsAtQuestion;
      if (w->isVisible()) ++visibleAtQuestion;
    }
    return answer;
  }
  QStringList titles;
  std::vector<QWidget*> parents;
  int titleWindowsAtQuestion = 0;
  int visibleAtQuestion = 0;
  bool answer = true;
};

TEST(StartValues, ProgramDirectoryHelpFileTextsDeckAndNumbers) {
  ProgramValues values;
  values.credits = 5;
  values.largeCards = 1;
  values.gameVariant = kDeucesWild;
  values.soundOn = 0;
  values.deck.Swap(1, 52);
  SetStartValues(values, QStringLiteral("  /opt/lynx/share/lynx-video-poker/ "));
  EXPECT_EQ(values.programDir, "/opt/lynx/share/lynx-video-poker");
  EXPECT_EQ(values.helpFile, "/opt/lynx/share/lynx-video-poker/ZEB.HLP");
  EXPECT_EQ(values.lineBreak, "\r\n");
  EXPECT_EQ(values.programTitle, "LYNX Video Poker");
  EXPECT_EQ(values.programVersion, "v4.7");
  EXPECT_EQ(QString::fromStdString(values.aboutText),
            QStringLiteral("A very LYNXistic video poker machine simulation--like those found in "
                           "casinos.  There are three variations to choose from (Jacks or Better, "
                           "Joker Wild, and Deuces Wild).\r\n\r\nFree software for Linux by the "
                           "LYNX Video Poker developers."));
  for (int p = 1; p <= 52; ++p) EXPECT_EQ(values.deck.At(p), p);
  EXPECT_EQ(values.gameVariant, kJacksOrBetter);
  EXPECT_EQ(values.soundOn, 1);
  EXPECT_EQ(values.credits, 100);
  EXPECT_EQ(values.borrowed, 100);
  EXPECT_EQ(values.largeCards, 0);
}

TEST(StartValues, OneTrailingSeparatorIsRemovedAndTheRootKeepsOneSeparator) {
  EXPECT_EQ(ProgramDirFrom(QStringLiteral("/usr/share/x/")), QStringLiteral("/usr/share/x"));
  EXPECT_EQ(ProgramDirFrom(QStringLiteral("/usr/share/x//")), QStringLiteral("/usr/share/x/"));
  EXPECT_EQ(ProgramDirFrom(QStringLiteral("/usr/share/x")), QStringLiteral("/usr/share/x"));
  EXPECT_EQ(ProgramDirFrom(QStringLiteral("/")), QString());
  ProgramValues values;
  SetStartValues(values, QStringLiteral("/"));
  EXPECT_EQ(values.helpFile, "/ZEB.HLP");
}

TEST(StartValues, HelpFileIsFoundWithoutRegardToCase) {
  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("zeb.hlp")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  ProgramValues values;
  SetStartValues(values, dir.path() + QLatin1Char('/'));
  EXPECT_EQ(values.helpFile, (dir.path() + QStringLiteral("/zeb.hlp")).toStdString());
}

TEST(StartUp, ResumeQuestionComesBeforeAnyWindowAndTheTitleWindowAfterIt) {
  FakeServices fake;
  WatchingDialogs dialogs;
  Services services{dialogs,     fake.sound,  fake.profile, fake.help,
                    fake.screen, fake.random, fake.history};
  fake.profile.values[QStringLiteral("settings/credits")] = QStringLiteral("300");
  fake.profile.values[QStringLiteral("settings/borrowed")] = QStringLiteral("100");
  fake.profile.values[QStringLiteral("settings/largecards")] = QStringLiteral("1");
  ProgramValues values;
  auto title = StartUp(values, services, QStringLiteral("/data/"));
  ASSERT_EQ(dialogs.titles, QStringList{QStringLiteral("Resume Saved Game?")});
  EXPECT_EQ(dialogs.parents.at(0), nullptr);
  EXPECT_EQ(dialogs.titleWindowsAtQuestion, 0);
  EXPECT_EQ(dialogs.visibleAtQuestion, 0);
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(title->isVisible());
  EXPECT_FALSE(title->Saved());
  EXPECT_EQ(values.programDir, "/data");
  EXPECT_EQ(values.credits, 300);
  EXPECT_EQ(values.borrowed, 100);
  EXPECT_EQ(values.largeCards, 1);
  EXPECT_EQ(values.gameVariant, kJacksOrBetter);
  // Nothing is written at start-up.
  EXPECT_TRUE(fake.profile.writes.empty());
}

}  // namespace
}  // namespace lynx
