// The mistake drill on a fake history: which hands come back and in what
// order, the verdict on each new hold, and what is kept of the practice.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "platform/sqlite_history.h"
#include "review/drill_deals.h"
#include "review/drill_window.h"
#include "table/trainer_window.h"
#include "tests/support/damaged_history.h"
#include "tests/support/fakes.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::H;

GameRecord Judged(GameVariant game, const char* dealt, int held, double best, double heldEv,
                  bool demo = false) {
  GameRecord g;
  g.game = game;
  g.coins = 5;
  g.dealt = H(dealt);
  g.held = held;
  g.final = g.dealt;
  g.bestEv = best;
  g.heldEv = heldEv;
  g.mistake = IsMistake(best, heldEv);  // as the recorder gives it
  g.demo = demo;
  return g;
}

TEST(DrillWindow, DealsTheMistakesOldestFirstAndJudgesEachNewHold) {
  FakeServices fakes;
  // Two mistakes, a best hold and a demonstration hand held wrong.
  std::vector<GameRecord> games = {
      Judged(kJacksOrBetter, "AS KS QS JS JH", 24, 91.8, 7.6),
      Judged(kJacksOrBetter, "9S 9H 9D 9C 2S", 15, 125, 125),
      Judged(kJokerWild, "JK 7S 7H 3D 9C", 0, 10, 2, true),
      Judged(kJokerWild, "JK 7S 7H 3D 9C", 1, 10, 2),
  };
  for (GameRecord& g : games) fakes.history.RecordGame(g, 100, 0);
  HandInProgress pending;
  pending.game = kJacksOrBetter;
  pending.dealt = H("2C 3C 4C 5C 7D");
  fakes.history.hands[kJacksOrBetter] = pending;
  fakes.history.balance = JournaledBalance{77, 100, true};

  TablesCache tables;
  // A chart of Jacks or Better for the drill to cite; Joker Wild's is not
  // there yet.
  ChartCache charts(tables);
  StrategyChart chart;
  chart.pays = MachinePays(kJacksOrBetter);
  chart.coins = 5;
  chart.lines.push_back({DiscardEverything(), "Discard everything"});
  charts.Put(chart);
  DrillWindow drill(fakes.history, tables, fakes.random, [] { return 77; });
  drill.UseCharts(&charts);
  drill.Start();
  ASSERT_EQ(drill.HandCount(), 2);
  EXPECT_EQ(drill.Dealt(), H("AS KS QS JS JH"));

  // Keys 1 to 4 hold the four to the royal flush: right.
  tables.Wait(kJacksOrBetter);
  for (Qt::Key k : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4}) QTest::keyClick(&drill, k);
  EXPECT_EQ(drill.Held(), 15u);
  QTest::keyClick(&drill, Qt::Key_Return);
  EXPECT_EQ(drill.Right(), 1);
  EXPECT_TRUE(drill.Verdict()->text().contains("<b>Right.</b> AS KS QS JS -- is a best hold"))
      << drill.Verdict()->text().toStdString();
  EXPECT_TRUE(drill.Verdict()->text().contains(
      "By the chart: Line 1, Discard everything (holding Draw five)."))
      << drill.Verdict()->text().toStdString();
  ASSERT_EQ(fakes.history.games.size(), 5u);
  const GameRecord kept = fakes.history.games.back();
  EXPECT_TRUE(kept.demo);
  EXPECT_EQ(kept.won, 0);
  EXPECT_EQ(kept.held, 15);
  EXPECT_EQ(kept.creditsAfter, 77);
  EXPECT_EQ(kept.bestHolds, "15");
  EXPECT_EQ(std::vector<CardCode>(kept.final.begin(), kept.final.begin() + 4),
            std::vector<CardCode>(kept.dealt.begin(), kept.dealt.begin() + 4));
  // Practice leaves the journal alone.
  EXPECT_EQ(fakes.history.hands.at(kJacksOrBetter), pending);
  EXPECT_EQ(fakes.history.balance, (JournaledBalance{77, 100, true}));

  // The joker hand, drawn to five new cards: not best.
  tables.Wait(kJokerWild);
  QTest::keyClick(&drill, Qt::Key_Return);
  EXPECT_EQ(drill.Dealt(), H("JK 7S 7H 3D 9C"));
  drill.AdvanceButton()->click();
  EXPECT_EQ(drill.Right(), 1);
  EXPECT_TRUE(drill.Verdict()->text().contains("<b>Not best.</b> Draw five is worth"))
      << drill.Verdict()->text().toStdString();
  EXPECT_TRUE(drill.Verdict()->text().contains("The chart for this stake is still being"))
      << drill.Verdict()->text().toStdString();
  // The dealt hand stays in view above the draw, best play's hold named.
  EXPECT_FALSE(drill.DealtCards()->isHidden());
  EXPECT_EQ(drill.DealtCards()->accessibleName(),
            "Dealt: Joker, Seven of Spades, Seven of Hearts, Three of Diamonds, Nine of Clubs. "
            "Best play holds Joker, Seven of Spades, Seven of Hearts");
  EXPECT_TRUE(drill.Cards()->accessibleName().startsWith("After the draw: "));
  QTest::keyClick(&drill, Qt::Key_Return);
  EXPECT_TRUE(drill.DealtCards()->isHidden());
  EXPECT_EQ(drill.Verdict()->text(), "Practice over: 1 of 2 held right.");
  // The practice hands are demonstration hands: no new mistakes to practise.
  EXPECT_EQ(fakes.history.Mistakes(50).size(), 2u);
}

// The trainer's mistakes are practised on their own game and pays, a table
// of the player's own read back from its name.
TEST(DrillWindow, PractisesTheTrainersMistakesOnTheirOwnGameAndPays) {
  FakeServices fakes;
  GameRecord ddb = Judged(kJacksOrBetter, "AS KS QS JS 9D", 16, 90, 10);
  ddb.libraryGame = "double-double-bonus";
  ddb.payTable = "9/6";
  ddb.hands = 10;
  GameRecord own = ddb;
  own.libraryGame = "jacks-96";
  own.hands = 1;
  Pays pays = DefaultPays(*FindGame("jacks-96"));
  pays.perCoin[3] = 8;  // Full House
  own.payTable = RecordedTableName("custom", pays);
  GameRecord unreadable = own;
  unreadable.payTable = "custom 1/2/3 (4)";
  for (GameRecord* g : {&ddb, &own, &unreadable}) fakes.history.RecordGame(*g, 100, 0);
  ASSERT_EQ(fakes.history.Mistakes(10).size(), 3u);
  const std::optional<PlayedOn> on = PlayedOnOf(own);
  ASSERT_TRUE(on.has_value());
  EXPECT_EQ(on->pays.perCoin, pays.perCoin);
  EXPECT_EQ(on->pays.royalFiveCoins, 4000);
  EXPECT_FALSE(PlayedOnOf(unreadable).has_value());

  TablesCache tables;
  DrillWindow drill(fakes.history, tables, fakes.random, [] { return 50; });
  drill.Start();
  ASSERT_EQ(drill.HandCount(), 2);
  tables.Wait(*FindGame("double-double-bonus"));
  tables.Wait(*FindGame("jacks-96"));
  for (Qt::Key k : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4}) QTest::keyClick(&drill, k);
  QTest::keyClick(&drill, Qt::Key_Return);
  EXPECT_TRUE(drill.Verdict()->text().contains("<b>Right.</b> AS KS QS JS -- is a best hold"))
      << drill.Verdict()->text().toStdString();
  const GameRecord kept = fakes.history.games.back();
  EXPECT_EQ((std::tuple{kept.libraryGame, kept.payTable, kept.hands, kept.bestHolds}),
            (std::tuple{QString("double-double-bonus"), QString("9/6"), 1, QString("15")}));
  EXPECT_TRUE(ValidRecord(kept));
  // The second, on the player's own pays: the four to the royal again.
  QTest::keyClick(&drill, Qt::Key_Return);
  for (Qt::Key k : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4}) QTest::keyClick(&drill, k);
  QTest::keyClick(&drill, Qt::Key_Return);
  EXPECT_EQ(drill.Right(), 2);
  EXPECT_EQ(fakes.history.games.back().payTable, own.payTable);
}

// A history another program wrote into: only its two valid mistakes are
// dealt (oldest first) and kept as practice; none of the damaged rows.
TEST(DrillWindow, PractisesOnlyTheValidMistakesOfADamagedHistory) {
  QTemporaryDir dir;
  const QString path = dir.filePath("history.sqlite");
  ASSERT_TRUE(testing_support::WriteDamagedHistory(path));
  // Its rows have no verdict: the coach's rule, given as the program gives
  // it, judges them.
  SqliteHistory store(path, IsMistake);
  SequenceSource random;
  TablesCache tables;
  DrillWindow drill(store, tables, random, [] { return 60; });
  drill.Start();
  ASSERT_EQ(drill.HandCount(), 2);
  std::vector<Hand> dealt;
  for (int hand = 0; hand < 2; ++hand) {
    dealt.push_back(drill.Dealt());
    tables.Wait(hand == 0 ? kJokerWild : kDeucesWild);
    drill.Advance();  // draws
    drill.Advance();  // on to the next hand
  }
  EXPECT_EQ(dealt, (std::vector<Hand>{H("JK KS 7H 3D 9C"), H("2C 5H 9S 9D KC")}));
  EXPECT_EQ(drill.Verdict()->text(), "Practice over: 0 of 2 held right.");

  const std::vector<GameRecord> kept = store.Games(0, 100);
  ASSERT_EQ(kept.size(), std::size(testing_support::kHistoryRows) + 2);
  for (int i = 0; i < 2; ++i) {
    const GameRecord& g = kept[static_cast<std::size_t>(1 - i)];
    EXPECT_TRUE(g.practice && !g.damaged);
    EXPECT_EQ(g.dealt, dealt[static_cast<std::size_t>(i)]);
    EXPECT_EQ(g.creditsAfter, 60);
  }
}

// Rows that are no game never reach the solver, whoever lists them.
TEST(DrillWindow, DrillHandsLeavesOutDamagedRows) {
  GameRecord newer = Judged(kDeucesWild, "2C 5H 9S 9D KC", 13, 1.5, 1);
  newer.id = 4;
  GameRecord marked = newer;  // damaged in a way only the store saw
  marked.id = 3;
  marked.damaged = true;
  GameRecord joker = Judged(kJacksOrBetter, "JK KS 7H 3D 9C", 3, 3.5, 2.25);
  joker.id = 2;
  GameRecord older = Judged(kJokerWild, "JK KS 7H 3D 9C", 3, 3.5, 2.25);
  older.id = 1;
  std::vector<std::int64_t> ids;
  for (const GameRecord& g : DrillHands({newer, marked, joker, older})) ids.push_back(g.id);
  EXPECT_EQ(ids, (std::vector<std::int64_t>{1, 4}));
}

// A hold played on three hands is one decision: practised once. The same
// hand held the same way in the next deal is another.
TEST(DrillWindow, DrillHandsTakesADealOfSeveralHandsOnce) {
  GameRecord hand = Judged(kJacksOrBetter, "AS KS QS JS 9D", 16, 90, 10);
  hand.libraryGame = "double-double-bonus";
  hand.payTable = "9/6";
  hand.hands = 3;
  hand.session = 2;
  std::vector<GameRecord> rows;  // newest first, as the store lists them
  for (std::int64_t id = 7; id >= 2; --id) {
    rows.push_back(hand);
    rows.back().id = id;
  }
  const auto drilled = [&rows] {
    std::vector<std::int64_t> ids;
    for (const GameRecord& g : DrillHands(rows)) ids.push_back(g.id);
    return ids;
  };
  EXPECT_EQ(drilled(), (std::vector<std::int64_t>{2, 5}));  // two deals of three
  rows[3].held = 8;  // id 4: another hold, so another decision
  EXPECT_EQ(drilled(), (std::vector<std::int64_t>{2, 4, 5}));
  rows[0].session = rows[1].session = 3;  // ids 6 and 7 from a later run
  rows[5].hands = 1;                      // id 2 on one hand: id 3 is a deal of its own
  EXPECT_EQ(drilled(), (std::vector<std::int64_t>{2, 3, 4, 5, 6}));
}

}  // namespace
}  // namespace lynx
