// Betting and the credit meter of the table window: Bet $1, Max Bet,
// Credits, the coins and credits lines, the moving lit column, the refusals,
// and the sound switch.


#include "tests/table/table_test_support.h"

namespace lynx::testing {
namespace {

using Betting = TableTest;

const ShownDialog kNoCoinCredits{DialogIcon::Information, kTitle,
                                 "You do not have enough credits to bet an additional coin."};
const ShownDialog kNoMaxCredits{DialogIcon::Information, kTitle,
                                "You do not have enough credits to place a maximum bet."};

TEST_F(Betting, EachCoinMovesTheLitColumnAndTheFifthDeals) {
  Open();
  for (int coins = 1; coins <= 4; ++coins) {
    Click(window->Image10);
    EXPECT_EQ(window->State().coinsIn, coins);
    EXPECT_EQ(window->Label1[0]->text(), QStringLiteral("Coins In: %1").arg(coins));
    EXPECT_EQ(LitCells(), ColumnCells(coins)) << coins << " coins";
    EXPECT_FALSE(window->State().dealt);
    EXPECT_EQ(values.credits, 100);  // betting takes nothing yet
  }
  EXPECT_EQ(window->Mess->text(), "");
  EXPECT_FALSE(window->Timer2->isActive());
  Click(window->Image10);
  const TableState s = window->State();
  EXPECT_TRUE(s.dealt);
  EXPECT_EQ(s.coinsIn, 5);
  EXPECT_EQ(window->Label1[0]->text(), "Coins In: 5");
  EXPECT_EQ(values.credits, 95);
  EXPECT_EQ(window->Label1[1]->text(), "Credits: 95");
  QStringList lit = ColumnCells(5);
  if (s.winRow > -1) lit.insert(s.winRow, QStringLiteral("V%1").arg(s.winRow));
  EXPECT_EQ(LitCells(), lit);
  EXPECT_EQ(fakes.sound.played, QStringList(5, "SND2.WAV"));

  // Cells keep the regular font and white colour when unlit, and use the
  // look of the table while lit.
  EXPECT_EQ(window->Win5[3]->TextColour(), QColor(255, 255, 0));
  EXPECT_TRUE(window->Win5[3]->font().bold());
  EXPECT_EQ(window->Win4[3]->TextColour(), QColor(255, 255, 255));
  EXPECT_FALSE(window->Win4[3]->font().bold());
  EXPECT_EQ(window->Win4[3]->palette().color(QPalette::Window), QColor(128, 128, 128));
  EXPECT_EQ(window->Win5[3]->palette().color(QPalette::Window), QColor(128, 128, 128));
}

TEST_F(Betting, BetsAreIgnoredSilentlyWhileAHandIsDealt) {
  Open();
  Click(window->Image10);
  Click(window->Image10);
  Click(window->Image8);
  ASSERT_TRUE(window->State().dealt);
  const TableState before = window->State();
  const QStringList lit = LitCells();
  Click(window->Image10);
  Click(window->Image11);
  QTest::keyClick(window.get(), 'b');
  EXPECT_EQ(window->State().coinsIn, 2);
  EXPECT_EQ(window->State().hand, before.hand);  // Max Bet does not even clear the hand
  EXPECT_EQ(LitCells(), lit);
  EXPECT_EQ(window->Label1[0]->text(), "Coins In: 2");
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  EXPECT_EQ(values.credits, 98);
}

TEST_F(Betting, NoCreditsRefusesBothBetsAndACreditsClickHelps) {
  values.credits = 0;
  Open();
  const TableState before = window->State();
  Click(window->Image10);
  EXPECT_EQ(fakes.dialogs.shown, (std::vector<ShownDialog>{kNoCoinCredits}));
  EXPECT_EQ(window->State().coinsIn, 0);
  EXPECT_EQ(window->Mess->text(), "Play 5 Coins");  // a refused bet leaves the message
  EXPECT_TRUE(window->Timer2->isActive());

  Click(window->Image11);
  EXPECT_EQ(fakes.dialogs.shown, (std::vector<ShownDialog>{kNoCoinCredits, kNoMaxCredits}));
  const TableState after = window->State();
  EXPECT_EQ(after.coinsIn, 0);
  EXPECT_EQ(after.lastCoinsIn, before.lastCoinsIn);
  EXPECT_EQ(after.winRow, before.winRow);
  EXPECT_FALSE(after.dealt);
  EXPECT_TRUE(LitCells().isEmpty());
  EXPECT_EQ(window->Label1[0]->text(), "Coins In: 1");
  EXPECT_EQ(values.credits, 0);
  // The refused Max Bet has emptied the hand: the next repaint shows five
  // empty positions.
  EXPECT_EQ(after.hand, (Hand{0, 0, 0, 0, 0}));
  window->repaint();
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(ShowsCard(k, kNoCard));

  values.borrowed = 100;
  Click(window->Image12);
  EXPECT_EQ(values.credits, 100);
  EXPECT_EQ(values.borrowed, 100);  // added credits are not a loan
  EXPECT_EQ(window->Label1[1]->text(), "Credits: 100");
}

TEST_F(Betting, ThreeCreditsTakeThreeCoinsAndNoMore) {
  values.credits = 3;
  Open();
  for (int i = 0; i < 3; ++i) Click(window->Image10);
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  Click(window->Image10);
  EXPECT_EQ(fakes.dialogs.shown, (std::vector<ShownDialog>{kNoCoinCredits}));
  EXPECT_EQ(window->State().coinsIn, 3);
  EXPECT_EQ(LitCells(), ColumnCells(3));
  EXPECT_EQ(window->Label1[0]->text(), "Coins In: 3");
  Click(window->Image11);
  EXPECT_EQ(fakes.dialogs.shown, (std::vector<ShownDialog>{kNoCoinCredits, kNoMaxCredits}));
  EXPECT_EQ(window->State().coinsIn, 3);
  EXPECT_EQ(LitCells(), ColumnCells(3));
  // The three coins still deal.
  Click(window->Image8);
  EXPECT_TRUE(window->State().dealt);
  EXPECT_EQ(values.credits, 0);
}

TEST_F(Betting, MaxBetOnTopOfTwoCoinsNeedsOnlyFiveCredits) {
  values.credits = 5;
  Open();
  Click(window->Image10);
  Click(window->Image10);
  EXPECT_EQ(LitCells(), ColumnCells(2));
  Click(window->Image11);
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  const TableState s = window->State();
  EXPECT_TRUE(s.dealt);
  EXPECT_EQ(s.coinsIn, 5);
  EXPECT_EQ(values.credits, 0);
  EXPECT_EQ(window->Label1[0]->text(), "Coins In: 5");
  EXPECT_EQ(window->Label1[1]->text(), "Credits: 0");
  QStringList lit = ColumnCells(5);
  if (s.winRow > -1) lit.insert(s.winRow, QStringLiteral("V%1").arg(s.winRow));
  EXPECT_EQ(LitCells(), lit);
}

TEST_F(Betting, ABetAfterAWinPutsTheWinningRowOut) {
  Open();
  EnterDemoCode(4321);  // four aces
  Click(window->Image10);
  Click(window->Image10);
  Click(window->Image8);
  EXPECT_EQ(LitCells(), (QStringList{"W2:0", "W2:1", "V2", "W2:2", "W2:3", "W2:4", "W2:5", "W2:6",
                                     "W2:7", "W2:8", "W2:9", "W2:10"}));
  for (int k = 0; k < 4; ++k) window->ToggleHold(k);
  Click(window->Image8);
  EXPECT_EQ(window->Mess->text(), "4 of a Kind pays 50!");
  EXPECT_EQ(values.credits, 98 + 50);
  EXPECT_EQ(LitCells(), (QStringList{"V2", "W2:2"}));
  Click(window->Image10);
  EXPECT_EQ(LitCells(), ColumnCells(1));
  EXPECT_EQ(window->Mess->text(), "");
  EXPECT_FALSE(window->Timer2->isActive());

  // Max Bet after a five-coin win: the deal puts the old row out and lights
  // the whole five-coin column again.
  Open();
  EnterDemoCode(4321);
  Click(window->Image11);
  for (int k = 0; k < 4; ++k) window->ToggleHold(k);
  Click(window->Image8);
  EXPECT_EQ(LitCells(), (QStringList{"V2", "W5:2"}));
  EnterDemoCode(3142);  // ace-to-five straight flush of hearts
  Click(window->Image11);
  EXPECT_EQ(window->State().winRow, 1);
  QStringList lit = ColumnCells(5);
  lit.insert(1, QStringLiteral("V1"));
  EXPECT_EQ(LitCells(), lit);
}

TEST_F(Betting, CreditsDuringAHandAddAtOnceAndTheWinComesOnTop) {
  Open();
  EnterDemoCode(2413);
  Click(window->Image10);
  Click(window->Image8);
  Click(window->Image12);
  EXPECT_EQ(values.credits, 99 + 100);
  EXPECT_EQ(window->Label1[1]->text(), "Credits: 199");
  for (int k = 0; k < 5; ++k) window->ToggleHold(k);
  Click(window->Image8);
  EXPECT_EQ(values.credits, 199 + 250);
  EXPECT_EQ(window->Label1[1]->text(), "Credits: 449");
  EXPECT_EQ(window->Mess->text(), "Royal Flush pays 250!");
}

TEST_F(Betting, TheSoundButtonSwitchesAndSaysSo) {
  Open();
  Click(window->Image5);
  EXPECT_EQ(values.soundOn, 0);
  EnterDemoCode(2413);
  Click(window->Image11);
  for (int k = 0; k < 5; ++k) window->ToggleHold(k);
  Click(window->Image8);
  EXPECT_TRUE(fakes.sound.played.isEmpty());
  Click(window->Image5);
  EXPECT_EQ(values.soundOn, 1);
  EXPECT_EQ(fakes.dialogs.shown,
            (std::vector<ShownDialog>{{DialogIcon::Information, kTitle, "Sound is now off."},
                                      {DialogIcon::Information, kTitle, "Sound is now on."}}));
  // Any value but 1 counts as off; the button then turns it on.
  values.soundOn = 7;
  Click(window->Image5);
  EXPECT_EQ(values.soundOn, 1);
  EXPECT_EQ(fakes.dialogs.shown.back().text, "Sound is now on.");
  Click(window->Image10);
  Click(window->Image8);
  EXPECT_EQ(fakes.sound.played, QStringList(5, "SND2.WAV"));
  // Switched off in the middle of a hand: the draw is silent.
  Click(window->Image5);
  Click(window->Image8);
  EXPECT_EQ(fakes.sound.played.size(), 5);
}

}  // namespace
}  // namespace lynx::testing
