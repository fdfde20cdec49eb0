// The coach beside or below the table on a 1920x1080 screen at the whole
// factor 2 (CTest runs this program so), as the program runs it when 1.25,
// 1.5 or 2 is asked: the table and its panel stay inside the screen, the
// panel never over the table, and its text at the asked scale.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "table/coach_panel.h"
#include "table/table_controls.h"
#include "table/table_window.h"
#include "tests/support/fakes.h"

namespace lynx {
namespace {

struct Placement {
  QRect screen;    // the screen's available area
  QRect window;    // the table window on it
  QRect designed;  // the machine's own area of the window, window coordinates
  QRect panel;     // the coach panel, window coordinates
  bool large = false;
  double fontPoints = 0;
};

Placement OpenWithCoach(double zoom, std::int16_t largeCards, QSize screenSize) {
  SetStandardZoom(zoom);
  FakeServices fakes;
  fakes.screen.width = screenSize.width();
  fakes.screen.height = screenSize.height();
  ProgramValues values;
  values.gameVariant = kDeucesWild;
  values.largeCards = largeCards;
  CoachRun run;
  run.panelShown = true;
  TableWindow table(values, fakes.services);
  auto* panel = new CoachPanel(table, kDeucesWild, run, fakes.services);
  table.ShowSidePanel(true);
  table.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&table));
  Placement p;
  p.screen = QRect(QPoint(0, 0), screenSize);
  p.window = table.frameGeometry();
  p.designed = QRect(QPoint(0, 0), table.DesignedSize());
  p.panel = panel->geometry();
  p.large = table.LargeLayout();
  p.fontPoints = panel->font().pointSizeF();
  SetStandardZoom(1);
  return p;
}

TEST(CoachPlacement, OnA1080pScreenAtEachAskedScaleBothFitSideBySide) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_EQ(screen->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
  const QSize logical = screen->availableGeometry().size();
  ASSERT_EQ(logical, QSize(960, 540));
  const double basePoints = OpenWithCoach(1, 0, logical).fontPoints;
  for (const double asked : {1.25, 1.5, 2.0}) {
    SCOPED_TRACE(asked);
    // The large cards are set; at twice the size they would stand 1140
    // pixels high, so the table shows its small ones.
    const Placement p = OpenWithCoach(asked / 2, 1, logical);
    EXPECT_FALSE(p.large);
    EXPECT_EQ(p.designed.size(), QSize(550, 390));
    EXPECT_TRUE(p.screen.contains(p.window)) << p.window.x() << "," << p.window.y() << " "
                                             << p.window.width() << "x" << p.window.height();
    EXPECT_FALSE(p.panel.intersects(p.designed));
    EXPECT_EQ(p.panel, QRect(550, 0, static_cast<int>(std::lround(280 * asked / 2)), 390));
    EXPECT_DOUBLE_EQ(p.fontPoints, basePoints * asked / 2);
  }
}

TEST(CoachPlacement, LargeCardsOnA1024x768ScreenDockThePanelBelow) {
  // The screen the table is told of; the large table fits its height.
  const Placement p = OpenWithCoach(1, 1, QSize(1024, 768));
  EXPECT_TRUE(p.large);
  EXPECT_EQ(p.designed.size(), QSize(780, 570));
  EXPECT_FALSE(p.panel.intersects(p.designed));
  EXPECT_EQ(p.panel.top(), 570);
  EXPECT_EQ(p.panel.width(), 780);
  EXPECT_GE(p.panel.height(), 150);
  EXPECT_LE(p.designed.height() + p.panel.height(), 768);
}

}  // namespace
}  // namespace lynx
