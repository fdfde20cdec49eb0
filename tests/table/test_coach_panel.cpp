// The coach beside a real table on fake services: the hint, the warning
// before a costly draw, what best play would have done, and its settings.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <limits>

#include "engine/evaluate.h"
#include "engine/pays.h"
#include "table/coach_panel.h"
#include "table/table_window.h"
#include "tests/support/fakes.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::Card;
using testing_support::H;

// A two-line chart for five coins: "Four to a royal flush", then "Discard
// everything".
StrategyChart RoyalDrawChart() {
  StrategyChart chart;
  chart.pays = MachinePays(kJacksOrBetter);
  chart.coins = 5;
  const Hand hand = H("AS KS QS JS JH");
  HoldPatternList patterns;
  const int n =
      HoldPatterns(kJacksOrBetter, hand, 15, ClassifyHand(hand, kJacksOrBetter), patterns);
  for (int i = 0; i < n; ++i) {
    const PatternCode p = patterns[static_cast<std::size_t>(i)];
    if (PatternText(kJacksOrBetter, p) == "Four to a royal flush")
      chart.lines.push_back({p, "Four to a royal flush"});
  }
  chart.lines.push_back({DiscardEverything(), "Discard everything"});
  return chart;
}

class CoachPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    values.gameVariant = kJacksOrBetter;
    values.credits = 100;
    table = std::make_unique<TableWindow>(values, fakes.services);
    run.tables.Wait(kJacksOrBetter);
    const StrategyChart chart = RoyalDrawChart();
    ASSERT_EQ(chart.lines.size(), 2u);
    run.charts.Put(chart);
    panel = new CoachPanel(*table, kJacksOrBetter, run, fakes.services);
    table->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(table.get()));
  }

  // Puts dealt on the table for five coins, with next behind it in the deck.
  void Deal(const std::string& dealt, const std::string& next) {
    HandInProgress hand;
    hand.game = kJacksOrBetter;
    hand.coins = 5;
    hand.dealt = H(dealt);
    const Hand after = H(next);
    std::vector<CardCode> order(hand.dealt.begin(), hand.dealt.end());
    order.insert(order.end(), after.begin(), after.end());
    for (CardCode c = 1; c <= 52; ++c)
      if (std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
    for (int p = 1; p <= Deck::kSize; ++p) hand.deck.Set(p, order[static_cast<std::size_t>(p - 1)]);
    ASSERT_TRUE(table->ResumeHand(hand));
    // A resumed hand reaches the coach as a fresh deal does.
    emit table->HandChanged(table->InProgress());
  }
  void Key(Qt::Key key) { QTest::keyClick(table.get(), key); }

  FakeServices fakes;
  ProgramValues values;
  CoachRun run;
  std::unique_ptr<TableWindow> table;
  CoachPanel* panel = nullptr;
};

TEST_F(CoachPanelTest, HintThenDrawNeverWarnsAndNeitherDoesAnEqualHold) {
  QSignalSpy settled(table.get(), &TableWindow::GameSettled);
  Key(Qt::Key_K);
  ASSERT_TRUE(table->SidePanelShown());
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_H);
  EXPECT_EQ(table->State().held, (std::array<bool, 5>{true, true, true, true, false}));
  EXPECT_TRUE(panel->HandSectionText().contains("By the chart: Line 1: Four to a royal flush"))
      << panel->HandSectionText().toStdString();
  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  EXPECT_FALSE(panel->Warning());
  EXPECT_EQ(table->State().winAmount, 4000);

  // Four nines: all five held is worth exactly what the four are.
  Deal("9S 9H 9D 9C 2S", "5C 6C 7C 8C TC");
  for (Qt::Key k : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5}) Key(k);
  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  ASSERT_EQ(settled.count(), 2);
  const auto nines = settled[1][0].value<GameRecord>();
  EXPECT_EQ(nines.bestHolds, "15,31");
  EXPECT_EQ(nines.heldEv, 125.0);
  EXPECT_EQ(run.TallyOf(kJacksOrBetter).mistakes, 0);

  // Where the chart's line holds less than best play, the panel says so.
  Deal("2S 2H 7D 9C KH", "5C 6C 7C 8C TC");
  Key(Qt::Key_H);
  EXPECT_TRUE(panel->HandSectionText().contains(
      "The chart says Line 2: Discard everything, holding Draw five; best play differs"))
      << panel->HandSectionText().toStdString();
}

// With nothing to change on the table, H still answers, beside Deal/Draw,
// the coach hidden as well as shown.
TEST_F(CoachPanelTest, HintThatChangesNoHoldIsSaidBesideTheButton) {
  ASSERT_FALSE(table->SidePanelShown());
  Deal("2C 4D 7H 9S 3C", "5C 6C 7C 8C TC");
  Key(Qt::Key_H);
  EXPECT_EQ(table->State().held, (std::array<bool, 5>{}));
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text().toStdString(), "Best play: hold nothing, draw five new cards.");
  QToolTip::hideText();
  ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
  Key(Qt::Key_Return);
  ASSERT_FALSE(table->State().dealt);
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_H);
  EXPECT_FALSE(QToolTip::isVisible());
  Key(Qt::Key_H);
  EXPECT_EQ(QToolTip::text().toStdString(), "Best play: the cards held now.");
}

TEST_F(CoachPanelTest, ACostlyHoldWarnsOnceAndTheSecondDrawDrawsAsHeld) {
  QSignalSpy settled(table.get(), &TableWindow::GameSettled);
  Key(Qt::Key_K);
  ASSERT_TRUE(table->SidePanelShown());
  EXPECT_EQ(fakes.profile.values.value("coach/panel"), "1");
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_4);
  Key(Qt::Key_5);
  Key(Qt::Key_Return);
  EXPECT_TRUE(table->State().dealt);
  EXPECT_TRUE(panel->Warning());
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  const QString warning = panel->HandSectionText();
  EXPECT_TRUE(warning.contains("gives away 84.18 credits")) << warning.toStdString();
  EXPECT_TRUE(warning.contains("Yours: -- -- -- JS JH, worth 7.63"));
  EXPECT_TRUE(warning.contains("Best: AS KS QS JS --, worth 91.81"));
  EXPECT_TRUE(warning.contains("By the chart: Line 1: Four to a royal flush"));

  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  EXPECT_EQ(table->State().hand, H("TS 3D 4H JS JH"));
  ASSERT_EQ(settled.count(), 1);
  const auto game = settled[0][0].value<GameRecord>();
  EXPECT_DOUBLE_EQ(*game.bestEv, 4315.0 / 47.0);
  EXPECT_NEAR(*game.heldEv, 7.631822, 1e-6);
  EXPECT_EQ(game.bestHolds, "15");
  const QString last = panel->LastDrawText();
  EXPECT_TRUE(
      last.contains("Best play, AS KS QS JS --, would have drawn to Royal Flush and "
                    "paid 4000."))
      << last.toStdString();
  EXPECT_EQ(run.TallyOf(kJacksOrBetter).mistakes, 1);
  EXPECT_NEAR(run.TallyOf(kJacksOrBetter).mistakeCost, 91.808511 - 7.631822, 1e-5);

  // Warnings off: the same hold draws at once.
  panel->WarnBox()->setChecked(false);
  EXPECT_EQ(fakes.profile.values.value("coach/warn"), "0");
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_4);
  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  // Warnings on and the coach hidden: the machine as designed. The costly
  // hold draws at once, the coach stays hidden and still keeps its figures.
  panel->WarnBox()->setChecked(true);
  Key(Qt::Key_K);
  ASSERT_FALSE(table->SidePanelShown());
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_4);
  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  EXPECT_FALSE(panel->Warning());
  EXPECT_FALSE(table->SidePanelShown());
  EXPECT_EQ(fakes.profile.values.value("coach/panel"), "0");
  ASSERT_EQ(settled.count(), 3);
  EXPECT_EQ(settled[2][0].value<GameRecord>().bestHolds, "15");
  EXPECT_EQ(run.TallyOf(kJacksOrBetter).mistakes, 3);

  // A table of another game counts its own game's hands this session.
  EXPECT_TRUE(panel->TallyText().contains("THIS SESSION, JACKS OR BETTER</span><br>Hands 3,"))
      << panel->TallyText().toStdString();
  values.gameVariant = kJokerWild;
  TableWindow joker(values, fakes.services);
  auto* jokerPanel = new CoachPanel(joker, kJokerWild, run, fakes.services);
  EXPECT_TRUE(
      jokerPanel->TallyText().contains("THIS SESSION, JOKER WILD</span><br>No hands judged yet."))
      << jokerPanel->TallyText().toStdString();
}

// G opens the chart of the game and stake beside the table, its lines as
// the coach numbers them, the line of the hand dealt marked.
TEST_F(CoachPanelTest, TheChartWindowMarksTheLineOfTheHandDealt) {
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_G);
  StrategyChartWindow* chart = panel->Chart();
  ASSERT_NE(chart, nullptr);
  EXPECT_TRUE(chart->isVisible());
  ASSERT_EQ(chart->Lines()->rowCount(), 2);
  EXPECT_EQ(chart->Lines()->item(1, 1)->text(), "Discard everything");
  EXPECT_EQ(chart->MarkedLine(), 0);
  EXPECT_EQ(chart->Lines()->item(0, 0)->text(), "▶ 1");
  Key(Qt::Key_H);
  Key(Qt::Key_Return);
  EXPECT_EQ(chart->MarkedLine(), -1);  // no hand dealt
  Deal("2C 7D 9H 4S KC", "TS 3D 4H 5C 6C");
  EXPECT_EQ(chart->MarkedLine(), 1);
  EXPECT_EQ(chart->Lines()->item(0, 0)->text(), "1");
  EXPECT_EQ(chart->Lines()->item(1, 0)->text(), "▶ 2");
}

// All-time sums no valid history gives (nothing bet, values that are no
// numbers) show dashes, never "inf" or "nan".
TEST_F(CoachPanelTest, AllTimeFiguresThatAreNoNumbersShowDashes) {
  GameStatistics odd;
  odd.hands = 2;
  odd.judged = 2;
  odd.judgedCoins = 4;
  odd.heldEv = std::numeric_limits<double>::infinity();
  odd.bestEv = std::numeric_limits<double>::quiet_NaN();
  odd.mistakes = 1;
  odd.mistakeCost = -std::numeric_limits<double>::infinity();
  fakes.history.cannedStatistics = odd;
  GameRecord game;
  game.dealt = game.final = H("AS KS QS JS JH");
  emit table->GameSettled(game);
  const QString tally = panel->TallyText();
  EXPECT_TRUE(
      tally.endsWith("<br>Hands 2, return —<br>Judged hands 2. Expected: your holds —, "
                     "best play —<br>Mistakes 1, costing — credits"))
      << tally.toStdString();
}

// The analysis window lists the 32 holds as the analyser does: best first,
// with EV, EV per coin and the probability of each pay row.
TEST_F(CoachPanelTest, AnalysisWindowShowsEveryHoldBestFirst) {
  Deal("AS KS QS JS JH", "3D 4H 5C 6C 7C");
  Key(Qt::Key_A);
  ASSERT_NE(panel->Analysis(), nullptr);
  auto* list = panel->Analysis()->findChild<QTableWidget*>();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->rowCount(), 32);
  auto cell = [list](int row, int column) { return list->item(row, column)->text(); };
  EXPECT_EQ(cell(0, 0), "1*");
  EXPECT_EQ(cell(0, 1), "AS KS QS JS --");
  EXPECT_EQ(cell(0, 2), "91.808511");
  EXPECT_EQ(cell(0, 3), "18.361702");
  EXPECT_EQ(list->horizontalHeaderItem(4)->text(), "Royal Flush");
  EXPECT_EQ(cell(0, 4), "2.13%");  // one draw in 47, as a percentage
  EXPECT_EQ(cell(1, 0), "2");
  // The table's keys pressed in it play the table (where it took the
  // keyboard); its own keys stay its own.
  QTest::keyClick(list, Qt::Key_H);
  EXPECT_EQ(table->State().held, (std::array<bool, 5>{true, true, true, true, false}));
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_TRUE(table->State().dealt);
  // It follows the table to the next deal.
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  Deal("9S 9H 9D 9C 2S", "5C 6C 7C 8C TC");
  EXPECT_EQ(cell(0, 0), "1*");
  EXPECT_EQ(cell(1, 0), "2*");
  EXPECT_EQ(cell(2, 0), "3");
}

// The sections' plain lines are as white on the panel's blue as its labels.
TEST_F(CoachPanelTest, SectionsAreWrittenInWhite) {
  Key(Qt::Key_K);
  Deal("AS KS QS JS 7H", "TS 2C 3D 4H 5C");
  Key(Qt::Key_H);
  TextSection* hand = nullptr;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (TextSection* section : panel->findChildren<TextSection*>())
          if (section->text().contains("Best: ")) hand = section;
        return hand != nullptr;
      },
      1000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return hand->isVisible() && hand->height() > 40; }, 1000));
  const QImage shot = hand->grab().toImage();
  int white = 0;
  int black = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      const QRgb pixel = shot.pixel(x, y);
      if (qAlpha(pixel) < 255) continue;
      white += pixel == qRgb(255, 255, 255);
      black += qRed(pixel) + qGreen(pixel) + qBlue(pixel) < 60;
    }
  EXPECT_GT(white, 20);
  EXPECT_EQ(black, 0);
}

// Where the screen has no room beside the table, the coach is docked below
// it in the same window: never a window of its own, never over the cards.
TEST_F(CoachPanelTest, NarrowScreenDocksThePanelBelowTheTable) {
  const QSize designed = table->size();
  fakes.screen.width = designed.width() + CoachPanel::kWidth - 1;
  fakes.screen.height = 768;
  Key(Qt::Key_K);
  ASSERT_TRUE(table->SidePanelShown());
  EXPECT_FALSE(panel->isWindow());
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(table->width(), designed.width());
  EXPECT_EQ(panel->geometry(),
            QRect(0, designed.height(), designed.width(), table->height() - designed.height()));
  EXPECT_GE(panel->height(), 150);
  EXPECT_LE(table->height(), 768);
  // Wider than high there, its sections stand in columns.
  const auto section = [this](const char* heading) -> QWidget* {
    for (TextSection* label : panel->findChildren<TextSection*>())
      if (label->text().contains(heading)) return label;
    return nullptr;
  };
  ASSERT_NE(section("THIS HAND"), nullptr);
  ASSERT_NE(section("THIS SESSION"), nullptr);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return section("THIS HAND")->x() < section("THIS SESSION")->x(); }, 1000));
  EXPECT_EQ(section("THIS HAND")->y(), section("THIS SESSION")->y());
  Key(Qt::Key_K);
  EXPECT_FALSE(panel->isVisible());
  EXPECT_EQ(table->size(), designed);
  // The table at the screen's left edge: exactly room for both, side by side.
  fakes.screen.width = designed.width() + CoachPanel::kWidth;
  table->move(0, table->y());
  Key(Qt::Key_K);
  EXPECT_EQ(table->size(), designed + QSize(CoachPanel::kWidth, 0));
  EXPECT_EQ(panel->geometry(), QRect(designed.width(), 0, CoachPanel::kWidth, designed.height()));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return section("THIS HAND")->y() < section("THIS SESSION")->y(); }, 1000));
}

TEST(CoachSettings, PanelAndWarnAreReadFromTheirOwnSection) {
  FakeServices fakes;
  CoachRun run;
  LoadCoachSettings(run, fakes.profile);
  EXPECT_FALSE(run.panelShown);
  EXPECT_TRUE(run.warn);
  fakes.profile.values["coach/panel"] = "1";
  fakes.profile.values["coach/warn"] = "0";
  LoadCoachSettings(run, fakes.profile);
  EXPECT_TRUE(run.panelShown);
  EXPECT_FALSE(run.warn);
  EXPECT_TRUE(SaveCoachSettings(run, fakes.profile));
  EXPECT_EQ(fakes.profile.writes,
            (std::vector<std::pair<QString, QString>>{{"Panel", "1"}, {"Warn", "0"}}));
}

// The coach's sections change with every game: each new text is laid out
// once per width however often the panel asks for sizes and paints, the same
// text again changes nothing, and screen readers read the text as a label.
TEST(TextSectionTest, LaysEachTextOutOncePerWidthPaintsItAndReadsAsALabel) {
  QWidget holder;
  QPalette palette = holder.palette();
  palette.setColor(QPalette::Window, Qt::black);
  palette.setColor(QPalette::WindowText, Qt::yellow);
  holder.setPalette(palette);
  holder.setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(&holder);
  auto* section = new TextSection(&holder);
  layout->addWidget(section);
  layout->addStretch(1);
  const QString text =
      QStringLiteral("<b>THIS HAND</b><br>Bet and deal; H then shows the best hold.");
  section->setText(text);
  holder.resize(220, 300);
  holder.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&holder));

  // A text set is shown in the next turn of the event loop.
  const int width = section->width();
  EXPECT_TRUE(QTest::qWaitFor([&] { return section->height() > 20; }, 1000));
  const int height = section->heightForWidth(width);
  EXPECT_EQ(section->height(), height);
  // Sizes asked at two widths, turn about, with paints between.
  int layouts = section->Layouts();
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(section->heightForWidth(width), height);
    EXPECT_GT(section->heightForWidth(60), height);
    section->repaint();
  }
  EXPECT_LE(section->Layouts() - layouts, 2);
  // A new text is laid out once for its size and its paint.
  section->setText(text + QStringLiteral("<br>Nothing drawn yet."));
  QCoreApplication::processEvents();
  layouts = section->Layouts();
  for (int i = 0; i < 3; ++i) {
    section->heightForWidth(width);
    section->repaint();
  }
  EXPECT_LE(section->Layouts() - layouts, 1);

  int paints = 0;
  struct Counter : QObject {
    int& paints;
    explicit Counter(int& p) : paints(p) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++paints;
      return false;
    }
  } counter(paints);
  // The new text's own layout and paint: every event they post, one after
  // another, handled now.
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
  section->installEventFilter(&counter);
  section->setText(section->text());
  QTest::qWait(20);
  EXPECT_EQ(paints, 0);

  // A longer text: taller at the same width, painted in the window's text colour.
  section->setText(text + QStringLiteral("<br>Hands 12, coins bet 60, won 45<br>Return 75.0%"));
  EXPECT_FALSE(section->accessibleName().contains("Hands 12"));
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return section->accessibleName().contains("Hands 12"); }, 1000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return section->height() > height; }, 1000));
  const QImage shown = section->grab().toImage();
  int yellow = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) yellow += shown.pixelColor(x, y) == QColor(Qt::yellow);
  EXPECT_GT(yellow, 20);

  QAccessibleInterface* read = QAccessible::queryAccessibleInterface(section);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->role(), QAccessible::StaticText);
  EXPECT_EQ(read->text(QAccessible::Name),
            QStringLiteral("THIS HAND\nBet and deal; H then shows the best hold.\nHands 12, coins "
                           "bet 60, won 45\nReturn 75.0%"));
}

}  // namespace
}  // namespace lynx
