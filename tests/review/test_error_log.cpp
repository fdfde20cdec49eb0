// The error log on a fake history: which mistakes it lists (one per
// decision, newest first), what they cost, the filters, the totals per chart
// line, the CSV, and the window's practice and export.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>

#include "coach/coach.h"
#include "review/error_log.h"
#include "review/drill_window.h"
#include "review/error_log_window.h"
#include "tests/support/fakes.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::H;

// The cards drawn in place of those not held: five the hands here never hold.
constexpr const char* kDrawn[5] = {"6D", "7D", "8H", "TC", "4D"};

GameRecord Held(const char* dealt, int held, double best, double heldEv, const char* when) {
  GameRecord g;
  g.game = kJacksOrBetter;
  g.coins = 5;
  g.dealt = H(dealt);
  g.final = g.dealt;
  for (std::size_t i = 0; i < 5; ++i)
    if ((held >> i & 1) == 0) g.final[i] = testing_support::Card(kDrawn[i]);
  g.held = held;
  g.bestEv = best;
  g.heldEv = heldEv;
  g.mistake = IsMistake(best, heldEv);
  g.playedAt = QDateTime::fromString(QString::fromLatin1(when), Qt::ISODate);
  return g;
}

// A trainer deal of Double Double Bonus 9/6 played on `hands` hands.
std::vector<GameRecord> Trainer(const char* dealt, int held, double best, double heldEv,
                                const char* when, int hands) {
  GameRecord g = Held(dealt, held, best, heldEv, when);
  g.libraryGame = QStringLiteral("double-double-bonus");
  g.payTable = QStringLiteral("9/6");
  g.hands = hands;
  return std::vector<GameRecord>(static_cast<std::size_t>(hands), g);
}

struct History {
  FakeServices fakes;
  History() {
    fakes.history.BeginSession();
    Record({Held("AS KS QS JS 3D", 3, 97.66, 8.0, "2026-03-01T10:00:00Z")});
    Record({Held("9S 9H 9D 9C 2S", 15, 125, 125, "2026-03-01T10:01:00Z")});  // best play
    fakes.history.BeginSession();
    Record(Trainer("JC JD 4H 7S 9C", 0, 7.7, 1.6, "2026-03-05T20:00:00Z", 3));
    Record({Held("2C 3C 4C 5C 9D", 0, 5.5, 1.5, "2026-03-06T08:00:00Z")});
  }
  void Record(std::vector<GameRecord> games) { fakes.history.RecordGames(games, 0, 0); }
};

TEST(ErrorLog, OneRowADecisionNewestFirstWithItsWholeCost) {
  // Catches the rows of a three-hand deal listed three times, or its cost
  // counted for one hand only; a best hold listed; the order reversed.
  History h;
  const std::vector<LoggedMistake> m = ReadMistakes(h.fakes.history);
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(HandWords(m[0].game.dealt), "2C 3C 4C 5C 9D");
  EXPECT_EQ(m[1].gameTitle, "Double Double Bonus");
  EXPECT_EQ(m[1].table, "9/6");
  EXPECT_NEAR(m[1].cost, 3 * (7.7 - 1.6), 1e-9);
  EXPECT_EQ(m[2].table, "machine");
  EXPECT_EQ(m[2].gameTitle, "Jacks or Better");
  EXPECT_NEAR(m[2].cost, 89.66, 1e-9);
}

TEST(ErrorLog, FiltersTotalsAndTheCsvOfWhatIsShown) {
  // Catches a date filter that drops its own last day, totals sorted by
  // count rather than cost, and CSV fields out of their header's order.
  History h;
  std::vector<LoggedMistake> m = ReadMistakes(h.fakes.history);
  ErrorFilter f;
  f.gameTitle = QStringLiteral("Jacks or Better");
  EXPECT_EQ(FilterMistakes(m, f), (std::vector<int>{0, 2}));
  f = {};
  f.session = m[2].game.session;
  EXPECT_EQ(FilterMistakes(m, f), (std::vector<int>{2}));
  f = {};
  f.from = QDate(2026, 3, 5);
  f.to = m[1].game.playedAt.toLocalTime().date();
  EXPECT_EQ(FilterMistakes(m, f), (std::vector<int>{1}));
  f = {};
  f.table = QStringLiteral("9/6");
  EXPECT_EQ(FilterMistakes(m, f), (std::vector<int>{1}));

  // Two lines named by hand: the royal draw and the two mistakes below it.
  m[0].lineText = QStringLiteral("Four to a flush");
  m[1].lineText = QStringLiteral("High pair");
  m[2].lineText = QStringLiteral("Four to a royal flush");
  m[0].cost = 4.0;
  const std::vector<int> all = FilterMistakes(m, {});
  const std::vector<LineTotal> totals = TotalsByLine(m, all);
  ASSERT_EQ(totals.size(), 3u);
  EXPECT_EQ(totals[0].line, "Four to a royal flush");
  EXPECT_EQ(totals[1].line, "High pair");
  EXPECT_NEAR(totals[1].cost, 18.3, 1e-9);
  EXPECT_EQ(totals[2].count, 1);
  f = {};
  f.line = QStringLiteral("High pair");
  EXPECT_EQ(FilterMistakes(m, f), (std::vector<int>{1}));

  const QStringList csv = MistakesCsv(m, {1, 2}).split('\n');
  ASSERT_EQ(csv.size(), 4);  // header, two rows, the final newline
  EXPECT_EQ(csv[0], "played_at,game,table,coins,hands,dealt,held,best_holds,cost_credits,chart_line");
  EXPECT_EQ(csv[1], "2026-03-05T20:00:00Z,Double Double Bonus,9/6,5,3,JC JD 4H 7S 9C,nothing,,"
                    "18.3000,High pair");
  EXPECT_EQ(csv[2].section(',', 5, 6), "AS KS QS JS 3D,AS KS");
  EXPECT_EQ(csv[3], "");
}

TEST(ErrorLog, ChartLinesAreThoseTheChartGivesEachHand) {
  // Catches a chart's lines given to the mistakes of another game or stake.
  History h;
  std::vector<LoggedMistake> m = ReadMistakes(h.fakes.history);
  const std::vector<ChartKey> keys = ChartKeys(m);
  ASSERT_EQ(keys.size(), 2u);  // the machine's Jacks or Better; Double Double Bonus 9/6
  const StrategyTables tables(kJacksOrBetter);
  std::vector<DealClass> sample;
  const auto all = DealClasses(kJacksOrBetter);
  for (std::size_t i = 0; i < all.size(); i += 97) sample.push_back(all[i]);
  const StrategyChart chart =
      BuildChart(tables, sample, MachinePays(kJacksOrBetter), 5, JokerDeck::kMachine,
                 {.maxLines = 12});
  SetChartLines(m, keys[0], chart);
  EXPECT_EQ(m[0].lineText.toStdString(), MatchChart(chart, m[0].game.dealt).text);
  EXPECT_EQ(m[2].lineText.toStdString(), MatchChart(chart, m[2].game.dealt).text);
  EXPECT_TRUE(m[1].lineText.isEmpty());
  EXPECT_EQ(TotalsByLine(m, {1})[0].line, "(not yet known)");
}

TEST(ErrorLogWindow, FiltersPractisesAndExportsWhatItShows) {
  // Catches the practice list handed over newest first, and an export that
  // reports success for a file that was never written.
  History h;
  TablesCache tables;
  ErrorLogWindow window(h.fakes.history, h.fakes.dialogs, tables);
  window.Reload();
  EXPECT_EQ(window.Summary()->text().left(26), "3 of 3 mistakes shown; the");
  window.GameChoice()->setCurrentIndex(window.GameChoice()->findText("Jacks or Better"));
  ASSERT_EQ(window.Shown().size(), 2u);
  EXPECT_EQ(window.Summary()->text().left(26), "2 of 3 mistakes shown; the");

  QSignalSpy practise(&window, &ErrorLogWindow::PractiseRequested);
  QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("ErrorPractise")),
                    Qt::LeftButton);
  ASSERT_EQ(practise.count(), 1);
  const auto hands = practise.at(0).at(0).value<std::vector<GameRecord>>();
  ASSERT_EQ(hands.size(), 2u);
  EXPECT_EQ(HandWords(hands[0].dealt), "AS KS QS JS 3D");  // the older first

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("m.csv"));
  ASSERT_TRUE(window.ExportTo(path));
  QFile written(path);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(written.readAll()), MistakesCsv(window.Mistakes(), window.Shown()));
  EXPECT_FALSE(window.ExportTo(dir.filePath(QStringLiteral("no/such/dir/m.csv"))));
  ASSERT_EQ(h.fakes.dialogs.shown.size(), 1u);
}

}  // namespace
}  // namespace lynx

namespace lynx {
namespace {

TEST(LinePractice, FreshHandsAreDealtWithTheirLineAndTheDecisionsCounted) {
  // Catches a fresh hand that keeps the mistake's hold or judgement (the
  // verdict would then compare with a hold never made), a line's right
  // answers counted as wrong, and the practice columns left at their start.
  History h;
  TablesCache tables;
  const GameRecord like = ReadMistakes(h.fakes.history)[1].game;  // Double Double Bonus
  const GameRecord fresh = FreshHand(like, H("QS QH 5C 8D 2S"));
  EXPECT_EQ(fresh.libraryGame, "double-double-bonus");
  EXPECT_EQ(fresh.payTable, "9/6");
  EXPECT_EQ(fresh.held, 0);
  EXPECT_EQ(fresh.hands, 1);
  EXPECT_FALSE(fresh.bestEv.has_value());

  DrillWindow drill(h.fakes.history, tables, h.fakes.random, [] { return 5; });
  QSignalSpy decided(&drill, &DrillWindow::LineDecided);
  drill.StartLines({fresh}, {QStringLiteral("High pair")});
  EXPECT_TRUE(drill.Caption()->text().endsWith("The chart line: High pair"))
      << drill.Caption()->text().toStdString();
  tables.Wait(*FindGame("double-double-bonus"));
  QTest::keyClick(&drill, Qt::Key_1);
  QTest::keyClick(&drill, Qt::Key_2);
  QTest::keyClick(&drill, Qt::Key_Return);
  ASSERT_EQ(decided.count(), 1);
  EXPECT_EQ(decided.at(0).at(0).toString(), "High pair");
  EXPECT_TRUE(decided.at(0).at(1).toBool());
  EXPECT_FALSE(drill.Verdict()->text().contains("The first time you held"));

  ErrorLogWindow log(h.fakes.history, h.fakes.dialogs, tables);
  log.Reload();
  log.NoteLineDecision(QStringLiteral("(not yet known)"), true, 3000);
  log.NoteLineDecision(QStringLiteral("(not yet known)"), false, 1000);
  ASSERT_GE(log.Totals()->rowCount(), 1);
  EXPECT_EQ(log.Totals()->item(0, 3)->text(), "2");
  EXPECT_EQ(log.Totals()->item(0, 4)->text(), "50%");
  EXPECT_EQ(log.Totals()->item(0, 5)->text(), "2.0");

  std::vector<LineTotal> totals = {{QStringLiteral("(not yet known)"), 3, 9.0},
                                   {QStringLiteral("Low pair"), 2, 5.0},
                                   {QStringLiteral("Suited QJ"), 1, 1.0}};
  EXPECT_EQ(CostliestLines(totals, 3), (QStringList{"Low pair", "Suited QJ"}));
  EXPECT_EQ(CostliestLines(totals, 1), (QStringList{"Low pair"}));
}

}  // namespace
}  // namespace lynx
