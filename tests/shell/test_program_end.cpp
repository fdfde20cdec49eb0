// Every way the program ends goes through the one save, exactly once, and
// asks nothing when nobody is there to answer: SIGTERM, SIGINT and SIGHUP,
// also while a table, the About window or a question is open, and the
// application quitting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <functional>

#include "platform/qt_dialogs.h"
#include "shell/about_window.h"
#include "shell/signal_watcher.h"
#include "shell/startup.h"
#include "table/table_window.h"
#include "tests/support/fakes.h"

namespace lynx {
namespace {

int CountWidgets(const std::function<bool(QWidget*)>& match) {
  int count = 0;
  for (QWidget* w : QApplication::allWidgets()) count += match(w) ? 1 : 0;
  return count;
}

// A profile that notes, at each write, whether a table window still exists.
class WatchingProfile final : public ProfileFile {
 public:
  QString ReadString(const QString&, const QString&, const QString& defaultValue) override {
    return defaultValue;
  }
  bool WriteSections(const Sections& sections) override {
    for (const auto& [section, entries] : sections)
      if (section == QStringLiteral("Settings"))
        writes.insert(writes.end(), entries.begin(), entries.end());
    tablesAtWrite +=
        CountWidgets([](QWidget* w) { return qobject_cast<TableWindow*>(w) != nullptr; });
    return true;
  }
  std::vector<std::pair<QString, QString>> writes;
  int tablesAtWrite = 0;
};

using Writes = std::vector<std::pair<QString, QString>>;
const Writes kUnchanged{{QStringLiteral("Credits"), QStringLiteral("250")},
                        {QStringLiteral("Borrowed"), QStringLiteral("100")},
                        {QStringLiteral("LargeCards"), QStringLiteral("1")}};

class ProgramEndTest : public testing::Test {
 protected:
  ProgramEndTest() {
    SetStartValues(values, QStringLiteral("/data"));
    values.credits = 250;  // a loan to pay off: the question would come if asked
    values.borrowed = 100;
    values.largeCards = 1;
    fake.dialogs.defaultAnswer = true;
  }
  void SetUp() override { Start(services); }
  void Start(Services& with) {
    title = std::make_unique<TitleWindow>(values, with);
    title->show();
    ConnectProgramEnd(*title, &watcher);
    closed = std::make_unique<QSignalSpy>(title.get(), &TitleWindow::Closed);
  }
  void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5)); }
  // Clicks picture; once its modal window is up, raises signalNumber there.
  void SignalWhileModal(QWidget* picture, int signalNumber, const char* expectedClass) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      EXPECT_TRUE(modal->inherits(expectedClass));
      ran = true;
      std::raise(signalNumber);
      EXPECT_TRUE(QTest::qWaitFor([&] { return !modal->isVisible(); }, 3000));
    });
    Click(picture);
    EXPECT_TRUE(ran);
  }

  FakeServices fake;
  WatchingProfile profile;
  Services services{fake.dialogs, fake.sound,  profile,     fake.help,
                    fake.screen,  fake.random, fake.history};
  ProgramValues values;
  SignalWatcher watcher;
  std::unique_ptr<TitleWindow> title;
  std::unique_ptr<QSignalSpy> closed;
};

TEST_F(ProgramEndTest, SigtermDuringAGameClosesTheTableThenSavesWithoutQuestions) {
  SignalWhileModal(title->Image3, SIGTERM, "lynx::TableWindow");
  EXPECT_EQ(watcher.LastSignal(), SIGTERM);
  EXPECT_FALSE(title->isVisible());
  EXPECT_EQ(closed->count(), 1);
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_EQ(profile.writes, kUnchanged);
  EXPECT_EQ(profile.tablesAtWrite, 0);  // the table was gone before the save
  EXPECT_EQ(CountWidgets([](QWidget* w) { return qobject_cast<TableWindow*>(w) != nullptr; }), 0);
}

// Ctrl+Q in the table leaves as the Quit picture does: the table closes,
// then the title window, asking its question (the loan) on the way.
TEST_F(ProgramEndTest, CtrlQDuringAGameLeavesWithTheQuitPicturesQuestions) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    QWidget* table = QApplication::activeModalWidget();
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->inherits("lynx::TableWindow"));
    ran = true;
    QTest::keyClick(table, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !table->isVisible(); }, 3000));
  });
  Click(title->Image2);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(QTest::qWaitFor([&] { return closed->count() > 0; }, 3000));
  EXPECT_FALSE(title->isVisible());
  EXPECT_EQ(closed->count(), 1);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown.front().icon, DialogIcon::Question);
  EXPECT_EQ(profile.tablesAtWrite, 0);
}

TEST_F(ProgramEndTest, SigintWhileAboutIsOpenClosesItThenSaves) {
  SignalWhileModal(title->Image6, SIGINT, "lynx::AboutWindow");
  EXPECT_FALSE(title->isVisible());
  EXPECT_EQ(closed->count(), 1);
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_EQ(profile.writes, kUnchanged);
  EXPECT_EQ(CountWidgets([](QWidget* w) { return qobject_cast<AboutWindow*>(w) != nullptr; }), 0);
}

TEST_F(ProgramEndTest, SighupOnTheTitleWindowAndRepeatedSignalsSaveOnce) {
  std::raise(SIGHUP);
  std::raise(SIGTERM);
  EXPECT_TRUE(QTest::qWaitFor([&] { return closed->count() > 0; }, 3000));
  std::raise(SIGINT);
  QTest::qWait(50);
  EXPECT_FALSE(title->isVisible());
  EXPECT_EQ(closed->count(), 1);
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_EQ(profile.writes, kUnchanged);
}

class ProgramEndWithBoxesTest : public ProgramEndTest {
 protected:
  void SetUp() override { Start(withBoxes); }
  QtDialogs realDialogs;  // real message boxes, closed by the signal
  Services withBoxes{realDialogs, fake.sound,  profile,     fake.help,
                     fake.screen, fake.random, fake.history};
};

TEST_F(ProgramEndWithBoxesTest, SignalWhileThePayOffQuestionIsUpAnswersItNoAndSavesOnce) {
  SignalWhileModal(title->Image8, SIGTERM, "QMessageBox");
  EXPECT_EQ(closed->count(), 1);
  EXPECT_EQ(profile.writes, kUnchanged);  // No: the loan stays
}

TEST_F(ProgramEndWithBoxesTest, SignalDuringADealClosesTheBoxOfInputThatWaitedForIt) {
  // The Sound button is clicked while the deal's first card sounds, then the
  // session ends. The toggle runs after the deal and puts up its message
  // box; nobody is there to answer it, yet the program still saves and ends.
  bool hung = false;
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&] {
    hung = true;
    CloseModalWindows();
  });
  watchdog.start(5000);
  bool first = true;
  fake.sound.onPlay = [&](const QString&) {
    if (!first) return;
    first = false;
    auto* table = qobject_cast<TableWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(table, nullptr);
    Click(table->Image5);
    std::raise(SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.Received(); }, 3000));
    EXPECT_TRUE(table->isVisible());  // the deal goes on
  };
  QTimer::singleShot(0, [] {
    auto* table = qobject_cast<TableWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(table, nullptr);
    table->BetMax();
  });
  Click(title->Image2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return closed->count() > 0; }, 6000));
  EXPECT_FALSE(hung);
  EXPECT_EQ(closed->count(), 1);
  EXPECT_EQ(fake.sound.played.size(), 5);
  EXPECT_EQ(values.soundOn, 0);  // the toggle asked before the end was made
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(profile.tablesAtWrite, 0);
  EXPECT_EQ(profile.writes, (Writes{{QStringLiteral("Credits"), QStringLiteral("245")},
                                    {QStringLiteral("Borrowed"), QStringLiteral("100")},
                                    {QStringLiteral("LargeCards"), QStringLiteral("1")}}));
}

TEST_F(ProgramEndTest, ApplicationQuitDuringAGameSavesWithoutQuestionsOnce) {
  // Qt closes the windows itself when asked to quit; the save must come
  // first, without the loan question, and after the table has gone.
  QTimer::singleShot(0, [&] { Click(title->Image2); });
  QTimer::singleShot(100, qApp, &QCoreApplication::quit);
  QApplication::exec();
  EXPECT_TRUE(title->Saved());
  EXPECT_FALSE(title->isVisible());
  EXPECT_EQ(profile.tablesAtWrite, 0);
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_EQ(profile.writes, kUnchanged);
  title->close();  // the window closing later does not save again
  EXPECT_EQ(profile.writes, kUnchanged);
}

}  // namespace
}  // namespace lynx
