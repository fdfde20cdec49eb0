// The Game facts window against the engine's own figures: the published
// figures of Jacks or Better 9/6, a session in credits at five coins, a
// session of three-hand deals counted in deals, the long run of a game over
// 100%; new inputs worked out again with the newest winning; a window
// closed while work runs; what the keyboard and a screen reader reach; and
// the chart of the end balance.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QThreadPool>
#include <memory>
#include <set>

#include "coach/tables_cache.h"
#include "review/end_balance_chart.h"
#include "review/game_facts_window.h"

namespace lynx {
namespace {

GameFactsChoice Facts(const char* game, const char* table, int coins, int hands) {
  const GameRules* rules = FindGame(game);
  return {rules, PaysOf(*rules, *FindTable(*rules, table)), table, coins, hands};
}

QString Credits(std::int64_t n) {
  return QLocale(QLocale::English).toString(static_cast<qlonglong>(n));
}

class GameFacts : public ::testing::Test {
 protected:
  static QString Shown(const GameFactsWindow& window, const QString& name) {
    const auto* label = window.findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QStringLiteral("(no label %1)").arg(name);
  }
  // Waits until every figure of the inputs shown is on the screen.
  static void Settle(GameFactsWindow& window) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Working(); }, 300000));
  }
  // The window's pays and deck, worked out here by the engine itself.
  DealDistribution Deal(const GameFactsChoice& choice) {
    return ComputeDealDistribution(tables.Wait(*choice.rules), choice.pays, choice.coins,
                                   choice.hands, choice.rules->deck);
  }

  TablesCache tables;
};

// Catches a unit taken for a credit (at five coins a unit is five credits),
// the pays shown for another number of coins, and a session's figures left
// in units.
TEST_F(GameFacts, JacksNineSixShowsItsPublishedFiguresAndASessionInCredits) {
  GameFactsWindow window(tables);
  window.BankrollBox()->setValue(1000);
  window.SessionHandsBox()->setValue(300);
  const GameFactsChoice choice = Facts("jacks-96", "9/6", 5, 1);
  window.ShowChoice(choice);
  EXPECT_TRUE(window.Working());
  EXPECT_TRUE(Shown(window, "FactsStatus").startsWith("Working out"));
  Settle(window);

  EXPECT_EQ(Shown(window, "FactsReturn"), "99.5439%");
  EXPECT_EQ(Shown(window, "FactsVariance"), "19.51");
  EXPECT_EQ(Shown(window, "FactsDeviation"), "4.42 bets");
  EXPECT_EQ(Shown(window, "FactsRoyal"), "1 in 40,391 hands");
  EXPECT_EQ(Shown(window, "FactsPaying"), "45.46%");
  EXPECT_FALSE(window.findChild<QLabel*>("FactsDealVariance")->isVisibleTo(&window));
  QTableWidget* rows = window.Rows();
  ASSERT_EQ(rows->rowCount(), 10);  // nine pay rows and no win
  EXPECT_EQ(rows->item(0, 0)->text(), "Royal Flush");
  EXPECT_EQ(rows->item(0, 1)->text(), "4,000");
  EXPECT_EQ(rows->item(0, 3)->text(), "40,391");
  EXPECT_EQ(rows->item(8, 1)->text(), "5");  // jacks or better: a coin back a coin
  EXPECT_EQ(rows->item(9, 0)->text(), "No win");

  // 1,000 credits are 200 units of five credits; 300 hands, 300 deals.
  const DealDistribution deal = Deal(choice);
  ASSERT_EQ(deal.unit, 5);
  const SessionFigures session = ComputeSession(deal, 200, 300);
  const std::array<const char*, 5> points{"5", "25", "50", "75", "95"};
  for (std::size_t i = 0; i < points.size(); ++i)
    EXPECT_EQ(Shown(window, QStringLiteral("FactsPercentile_%1").arg(points[i])),
              Credits(session.percentiles[i] * 5))
        << points[i];
  const std::vector<double> ruin = SessionRuinByBankroll(deal, 300);
  EXPECT_EQ(Shown(window, "FactsSessionBankroll_1"), Credits(SessionBankrollFor(ruin, 0.01) * 5));
  EXPECT_EQ(Shown(window, "FactsSessionBankroll_10"), Credits(SessionBankrollFor(ruin, 0.1) * 5));
  EXPECT_EQ(Shown(window, "FactsAhead"),
            QStringLiteral("%1%").arg(session.aheadChance * 100, 0, 'f', 2));
  EXPECT_EQ(Shown(window, "FactsSessionLength"), "300 hands, about 0.5 hours");
  // Under 100%: every bankroll goes in the end.
  EXPECT_EQ(Shown(window, "FactsLongRunRuin"), "certain in the long run");
  EXPECT_EQ(Shown(window, "FactsLongRunBankroll_5"), "none");
  // The chart's balances are credits, the start marked at the bankroll.
  EXPECT_EQ(window.Chart()->Start(), 1000);
  EXPECT_EQ((window.Chart()->Bins().back().to - window.Chart()->Bins().front().from) % 5, 0);
}

// Catches hands taken for deals (30 hands of three are 10 deals), the
// variance of a deal left as a hand's, and the long run's bankroll left in
// units.
TEST_F(GameFacts, ThreeHandsADealAreCountedInDealsAndTheLongRunOfAGameOverOneHundred) {
  GameFactsWindow window(tables);
  window.BankrollBox()->setValue(2000);
  window.SessionHandsBox()->setValue(30);
  window.HourBox()->setValue(60);
  const GameFactsChoice choice = Facts("deuces-full", "full pay", 5, 3);
  window.ShowChoice(choice);
  Settle(window);

  const DealDistribution deal = Deal(choice);
  ASSERT_EQ(deal.unit, 5);
  ASSERT_EQ(deal.stake, 3);
  EXPECT_EQ(Shown(window, "FactsSessionLength"), "30 hands (10 deals), about 0.5 hours");
  EXPECT_TRUE(window.findChild<QLabel*>("FactsDealVariance")->isVisibleTo(&window));
  EXPECT_EQ(Shown(window, "FactsDealVariance"), QString::number(deal.dealVariance, 'f', 2));
  EXPECT_EQ(Shown(window, "FactsVariance"), QString::number(deal.variance, 'f', 2));
  const SessionFigures session = ComputeSession(deal, 400, 10);
  EXPECT_EQ(Shown(window, "FactsPercentile_50"), Credits(session.percentiles[2] * 5));
  EXPECT_EQ(Shown(window, "FactsPercentile_95"), Credits(session.percentiles[4] * 5));
  EXPECT_EQ(Shown(window, "FactsRuin"),
            QStringLiteral("%1%").arg(session.ruinChance * 100, 0, 'f', 2));

  const LongRunRisk longRun(deal);
  ASSERT_TRUE(longRun.Favourable());
  ASSERT_TRUE(longRun.Solved());
  EXPECT_EQ(Shown(window, "FactsLongRunBankroll_1"), Credits(longRun.BankrollFor(0.01) * 5));
  EXPECT_EQ(Shown(window, "FactsLongRunBankroll_10"), Credits(longRun.BankrollFor(0.1) * 5));
  EXPECT_EQ(Shown(window, "FactsLongRunRuin"),
            QStringLiteral("%1%").arg(longRun.RuinChance(400) * 100, 0, 'f', 2));
}

// Catches an input that does not work its figures out again, an older
// session's result shown over the newest one asked for, and a bankroll that
// does not follow the coins (or keeps following once typed).
TEST_F(GameFacts, NewInputsAreWorkedOutAgainAndTheNewestWins) {
  GameFactsWindow window(tables);
  window.SessionHandsBox()->setValue(100);
  window.ShowChoice(Facts("jacks-96", "9/6", 5, 1));
  Settle(window);
  EXPECT_EQ(window.BankrollBox()->value(), 5000);  // a thousand bets of five coins
  QSignalSpy shown(&window, &GameFactsWindow::FiguresShown);

  window.SessionHandsBox()->setValue(3000);
  EXPECT_TRUE(window.Working());
  EXPECT_EQ(Shown(window, "FactsRuin"), "…");
  EXPECT_EQ(window.Session(), nullptr);
  // The session of 3,000 hands is under way when 400 are asked for.
  QTest::qWait(GameFactsWindow::kSettleMs + 100);
  ASSERT_TRUE(window.Working());
  window.SessionHandsBox()->setValue(400);
  Settle(window);
  ASSERT_NE(window.Session(), nullptr);
  EXPECT_EQ(window.Session()->hands, 400);
  EXPECT_EQ(shown.count(), 1);
  EXPECT_TRUE(Shown(window, "FactsSessionLength").startsWith("400 hands"));
  EXPECT_EQ(window.Chart()->Title(), "End balance after 400 hands from 5,000 credits");

  // One coin: a royal pays 250, and the bankroll is a thousand bets again.
  window.CoinsBox()->setCurrentIndex(0);
  EXPECT_EQ(Shown(window, "FactsReturn"), "…");
  Settle(window);
  EXPECT_EQ(window.BankrollBox()->value(), 1000);
  EXPECT_EQ(window.Rows()->item(0, 1)->text(), "250");
  EXPECT_EQ(window.Deal()->deal->unit, 1);
  EXPECT_EQ(window.Session()->bankroll, 1000);
  // A bankroll typed stays.
  window.BankrollBox()->setValue(3000);
  window.CoinsBox()->setCurrentIndex(1);
  Settle(window);
  EXPECT_EQ(window.BankrollBox()->value(), 3000);
  EXPECT_EQ(window.Session()->bankroll, 3000);
  EXPECT_EQ(window.Rows()->item(0, 1)->text(), "500");

  // Another game: its own tables, the first of them chosen.
  window.GameBox()->setCurrentIndex(window.GameBox()->findText("Deuces Wild (full pay)"));
  EXPECT_TRUE(window.TableBox()->currentText().startsWith("full pay"));
  EXPECT_EQ(window.Choice().rules, FindGame("deuces-full"));
}

// Catches a session's work that reads the window (or its members) after
// the window has gone, and a destructor that leaves the deal's work running
// over tables that go with their cache. The sanitizers see either.
TEST_F(GameFacts, AWindowClosedWhileItsFiguresAreWorkedOutGoesCleanly) {
  auto window = std::make_unique<GameFactsWindow>(tables);
  window->ShowChoice(Facts("jacks-85", "8/5", 5, 1));
  ASSERT_TRUE(window->Working());
  window.reset();  // the deal still being worked out

  window = std::make_unique<GameFactsWindow>(tables);
  window->ShowChoice(Facts("jacks-96", "9/6", 5, 1));
  Settle(*window);
  window->SessionHandsBox()->setValue(4000);
  QTest::qWait(GameFactsWindow::kSettleMs + 100);
  ASSERT_TRUE(window->Working());
  window->close();
  window.reset();  // the session still being worked out
  QThreadPool::globalInstance()->waitForDone();
  EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0);
}

// Catches a control left out of the Tab order and a figure a screen reader
// would read without saying what it is.
TEST_F(GameFacts, EveryControlIsReachedByTabAndEveryFigureIsNamed) {
  GameFactsWindow window(tables);
  window.SessionHandsBox()->setValue(100);
  window.ShowChoice(Facts("jacks-96", "9/6", 5, 1));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  Settle(window);

  window.GameBox()->setFocus();
  std::set<QWidget*> reached;
  for (int i = 0; i < 12; ++i) {
    reached.insert(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  for (QWidget* control : std::initializer_list<QWidget*>{
           window.GameBox(), window.TableBox(), window.CoinsBox(), window.HandsBox(),
           window.BankrollBox(), window.SessionHandsBox(), window.HourBox(), window.Rows(),
           window.Chart(), window.findChild<QPushButton*>("FactsClose")})
    EXPECT_TRUE(reached.count(control) == 1) << control->objectName().toStdString();

  EXPECT_EQ(window.findChild<QLabel*>("FactsReturn")->accessibleName(),
            "Return with best play: 99.5439%");
  EXPECT_EQ(window.findChild<QLabel*>("FactsRoyal")->accessibleName(),
            "Royal Flush: 1 in 40,391 hands");
  EXPECT_TRUE(window.findChild<QLabel*>("FactsPercentile_50")
                  ->accessibleName()
                  .startsWith("End balance at 50%: "));
  EXPECT_EQ(window.CoinsBox()->accessibleName(), "Coins a hand");
  EXPECT_EQ(window.BankrollBox()->accessibleName(), "Bankroll in credits");
  QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(window.Chart());
  ASSERT_NE(chart, nullptr);
  EXPECT_EQ(chart->role(), QAccessible::Chart);
  EXPECT_EQ(chart->text(QAccessible::Name), "End balance chart");
  const QString said = chart->text(QAccessible::Description);
  EXPECT_TRUE(said.startsWith("End balance after 100 hands from 5,000 credits: "))
      << said.toStdString();
  EXPECT_TRUE(
      said.contains(QStringLiteral("half at or below %1").arg(Shown(window, "FactsPercentile_50"))))
      << said.toStdString();
}

// Catches a step of credits left out (bars in units), the chance below and
// above the range shown dropped, and the start marked by its index.
TEST(EndBalanceChart, BarsCoverTheBalancesInCreditsAndMarkTheStart) {
  EndBalanceChart chart;
  chart.resize(400, 220);
  chart.SetBalances({0.1, 0.2, 0.4, 0.2, 0.1}, 100, 5, 110, QStringLiteral("t"));
  ASSERT_EQ(chart.Bins().size(), 5u);
  EXPECT_EQ(chart.Bins()[2].from, 110);
  EXPECT_EQ(chart.Bins()[2].to, 110);
  EXPECT_DOUBLE_EQ(chart.Bins()[2].chance, 0.4);
  EXPECT_GT(chart.StartX(), chart.BarRect(2).left());
  EXPECT_LT(chart.StartX(), chart.BarRect(2).right());

  // 1,000 balances: at most kMostBins bars, the tails in the end bars.
  std::vector<double> many(1000, 0.0);
  many[0] = 0.0005;  // below the 0.1% point
  for (std::size_t i = 200; i < 800; ++i) many[i] = 0.999 / 600;
  many[999] = 0.0005;  // above the 99.9% point
  chart.SetBalances(many, 0, 2, 1000, QStringLiteral("t"));
  const auto& bins = chart.Bins();
  ASSERT_LE(bins.size(), static_cast<std::size_t>(EndBalanceChart::kMostBins));
  EXPECT_EQ(bins.front().from, 400);
  EXPECT_GE(bins.back().to, 1596);
  double sum = 0;
  for (const auto& bin : bins) sum += bin.chance;
  EXPECT_NEAR(sum, 1.0, 1e-12);
  EXPECT_NEAR(bins.front().chance, 0.0005 + 0.999 / 600 * 10, 1e-12);
  const auto start = std::find_if(bins.begin(), bins.end(),
                                  [](const auto& b) { return b.from <= 1000 && 1000 <= b.to; });
  ASSERT_NE(start, bins.end());
  const QRectF bar = chart.BarRect(static_cast<int>(start - bins.begin()));
  EXPECT_GE(chart.StartX(), bar.left());
  EXPECT_LE(chart.StartX(), bar.right() + 1);
}

}  // namespace
}  // namespace lynx
