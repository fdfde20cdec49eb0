// The statistics charts as assistive technology meets them: each one chart,
// named, whose description says what it shows, kept up to date as games are
// kept.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QChartView>
#include <QTest>

#include "review/best_play_cache.h"
#include "review/statistics_window.h"
#include "tests/support/fakes.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

class StatisticsCharts : public ::testing::Test {
 protected:
  void Game(int won, int credits) {
    GameRecord record;
    record.game = kJacksOrBetter;
    record.coins = 5;
    record.dealt = record.final = testing_support::H("AS KS QS JS 9D");
    record.row = won > 0 ? 8 : -1;
    record.won = won;
    record.creditsAfter = credits;
    history.RecordGame(record, 0, 0);
  }
  static QAccessibleInterface* Chart(QWidget* view) {
    return QAccessible::queryAccessibleInterface(view);
  }
  QString Said(QWidget* view) { return Chart(view)->text(QAccessible::Description); }

  FakeHistory history;
  FakeDialogs dialogs;
  BestPlayCache cache{[](GameVariant) { return StakeReturns{}; }};
};

TEST_F(StatisticsCharts, EachChartIsNamedAndSaysWhatItShows) {
  StatisticsWindow window(history, dialogs, cache);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (QWidget* view : {static_cast<QWidget*>(window.BalanceView()), window.SessionView()}) {
    EXPECT_EQ(Chart(view)->role(), QAccessible::Chart);
    EXPECT_EQ(Chart(view)->childCount(), 0);
  }
  EXPECT_EQ(Chart(window.BalanceView())->text(QAccessible::Name), "Credits after each game");
  EXPECT_EQ(Chart(window.SessionView())->text(QAccessible::Name), "Return by session");
  EXPECT_EQ(Said(window.BalanceView()), "No games yet.");
  EXPECT_EQ(Said(window.SessionView()), "No sessions yet.");

  // Session 1 returns exactly the bet, session 2 nothing, session 3 five
  // times the bet.
  history.BeginSession();
  Game(10, 105);
  Game(0, 100);
  history.BeginSession();
  Game(0, 95);
  history.BeginSession();
  Game(25, 115);
  window.Refresh();
  EXPECT_EQ(Said(window.BalanceView()),
            "Credits over 4 games: 105 after the first, 115 after the last; lowest 95, "
            "highest 115.");
  EXPECT_EQ(Said(window.SessionView()),
            "Return of 3 sessions: 2 won at least the bet. Best session 3, 500.00%; worst "
            "session 2, 0.00%; last session 3, 500.00%.");

  // Past the bars shown, the oldest session drops out of the chart and of
  // its words.
  for (int s = 4; s <= 31; ++s) {
    history.BeginSession();
    Game(5, 115);
  }
  window.Refresh();
  EXPECT_EQ(Said(window.SessionView()),
            "Return of the last 30 of 31 sessions: 29 won at least the bet. Best session 3, "
            "500.00%; worst session 2, 0.00%; last session 31, 100.00%.");
  EXPECT_EQ(Said(window.BalanceView()),
            "Credits over 32 games: 105 after the first, 115 after the last; lowest 95, "
            "highest 115.");
}

}  // namespace
}  // namespace lynx
