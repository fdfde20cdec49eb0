// The game on a Wayland compositor: the title window, the machine table with
// its coach and the All Holds window are real windows of the compositor,
// played by keys sent to whichever window it has given the keyboard, so that
// focus and shortcuts decide where a key goes as they do for a real key
// press. Run by run_under_weston.sh.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <array>
#include <set>

#include "platform/qt_screen.h"
#include "shell/startup.h"
#include "table/coach_panel.h"
#include "table/table_window.h"
#include "tests/support/fakes.h"

namespace lynx {
namespace {

// Waits until the compositor has given w the keyboard.
bool HasKeyboard(const QWidget* w) {
  return QTest::qWaitFor(
      [w] {
        return w->windowHandle() != nullptr && QGuiApplication::focusWindow() == w->windowHandle();
      },
      5000);
}

QString FocusName() {
  const QWindow* focused = QGuiApplication::focusWindow();
  return focused != nullptr ? focused->title() : QStringLiteral("(none)");
}

// A press and release of key in the window that has the keyboard.
void Press(Qt::Key key) {
  QWindow* focused = QGuiApplication::focusWindow();
  ASSERT_NE(focused, nullptr) << "no window has the keyboard";
  QTest::keyClick(focused, key);
}

// One visit to the table, run inside its modal loop; it is left by Esc.
void PlayAtTable(TableWindow& table, ProgramValues& values) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
  ASSERT_TRUE(HasKeyboard(&table)) << FocusName().toStdString();
  auto* panel = table.findChild<CoachPanel*>();
  ASSERT_NE(panel, nullptr);

  // K: the coach stands beside or below the designed area, never over it,
  // and the window is exactly the two together.
  Press(Qt::Key_K);
  ASSERT_TRUE(QTest::qWaitFor([panel] { return panel->isVisible(); }, 2000));
  const QRect designed(QPoint(0, 0), table.DesignedSize());
  EXPECT_EQ(designed.size(), QSize(550, 390));
  EXPECT_FALSE(panel->geometry().intersects(designed)) << panel->x() << "," << panel->y();
  EXPECT_EQ(designed.united(panel->geometry()), table.rect());
  EXPECT_EQ(table.windowHandle()->size(), table.size());

  // M: five coins bet and five different cards dealt.
  const int before = values.credits;
  Press(Qt::Key_M);
  ASSERT_TRUE(QTest::qWaitFor([&table] { return table.State().dealt; }, 5000));
  const Hand dealt = table.State().hand;
  EXPECT_EQ(std::set<CardCode>(dealt.begin(), dealt.end()).size(), 5u);
  EXPECT_EQ(std::count(dealt.begin(), dealt.end(), CardCode{0}), 0);
  EXPECT_EQ(values.credits, before - 5);
  Press(Qt::Key_3);
  EXPECT_EQ(table.State().held, (std::array<bool, 5>{false, false, true, false, false}));

  // A: All Holds, a window of its own, takes the keyboard; Esc there closes
  // it and the compositor gives the keyboard back to the table.
  ASSERT_TRUE(QTest::qWaitFor([panel] { return panel->Judgement() != nullptr; }, 60000));
  const unsigned best = panel->Judgement()->bestMask;
  ASSERT_NE(best, 4u) << "the hint must move the markers";
  Press(Qt::Key_A);
  QWidget* analysis = panel->Analysis();
  ASSERT_NE(analysis, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(analysis));
  ASSERT_TRUE(HasKeyboard(analysis)) << FocusName().toStdString();
  // The table's own keys still play the table from there.
  Press(Qt::Key_3);
  EXPECT_EQ(table.State().held, (std::array<bool, 5>{}));
  Press(Qt::Key_3);
  EXPECT_EQ(table.State().held, (std::array<bool, 5>{false, false, true, false, false}));
  Press(Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([panel] { return panel->Analysis() == nullptr; }, 2000));
  ASSERT_TRUE(HasKeyboard(&table)) << FocusName().toStdString();

  // H puts the hint on the markers, Return draws and settles.
  QSignalSpy settled(&table, &TableWindow::GameSettled);
  Press(Qt::Key_H);
  EXPECT_EQ(HoldMask::FromFlags(table.State().held).Bits(), best);
  Press(Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&settled] { return settled.count() == 1; }, 5000));
  const auto game = settled[0][0].value<GameRecord>();
  EXPECT_EQ(game.coins, 5);
  EXPECT_EQ(game.dealt, dealt);
  EXPECT_EQ(static_cast<unsigned>(game.held), best);
  EXPECT_EQ(game.creditsAfter, before - 5 + game.won);
  EXPECT_EQ(values.credits, game.creditsAfter);
  EXPECT_FALSE(table.State().dealt);
}

TEST(Wayland, TheTableItsCoachAndAllHoldsPlayByKeys) {
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
  FakeServices fakes;
  QtScreenInfo screen;
  Services services{fakes.dialogs, fakes.sound,  fakes.profile, fakes.help,
                    screen,        fakes.random, fakes.history};
  ProgramValues values;
  CoachRun run;
  auto title = StartUp(values, services, QStringLiteral("/data/"));
  ConnectCoach(*title, run, values, services);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(title.get()));
  ASSERT_TRUE(HasKeyboard(title.get())) << FocusName().toStdString();

  bool visited = false;
  QObject::connect(title.get(), &TitleWindow::TableOpened, title.get(), [&](TableWindow& table) {
    QTimer::singleShot(0, &table, [&] {
      PlayAtTable(table, values);
      visited = true;
      Press(Qt::Key_Escape);  // the table's Quit
      EXPECT_FALSE(table.isVisible());
      // A failure above may leave the table open: close it so that the
      // title window comes back and the test ends.
      if (table.isVisible()) table.done(0);
    });
  });
  Press(Qt::Key_1);  // Jacks or Better; returns when the table has closed
  EXPECT_TRUE(visited);
  EXPECT_TRUE(title->isVisible());
  EXPECT_TRUE(HasKeyboard(title.get())) << FocusName().toStdString();
}

}  // namespace
}  // namespace lynx
