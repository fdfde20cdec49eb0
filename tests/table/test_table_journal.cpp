// The table tells the shell about every hand dealt, every hold and every
// settled game, in time for them to be kept; and a hand left dealt comes back
// with the deck behind it.
#include <optional>
#include <vector>

#include "table_test_support.h"

namespace lynx::testing {
namespace {

class TableJournalTest : public TableTest {
 protected:
  void Watch() {
    QObject::connect(window.get(), &TableWindow::HandChanged,
                     [this](const HandInProgress& h) { hands.push_back(h); });
    QObject::connect(window.get(), &TableWindow::GameSettled, [this](const GameRecord& g) {
      games.push_back(g);
      messageAtSettle = window->Mess->text();
      creditsLineAtSettle = window->Label1[1]->text();
    });
    QObject::connect(window.get(), &TableWindow::CreditsAdded, [this] { ++creditsAdded; });
  }
  std::vector<HandInProgress> hands;
  std::vector<GameRecord> games;
  QString messageAtSettle;
  QString creditsLineAtSettle;
  int creditsAdded = 0;
};

TEST_F(TableJournalTest, DealHoldAndDrawAreReportedWithWhatTheWindowShows) {
  fakes.random.values = {0.13f, 0.71f, 0.42f, 0.05f, 0.88f, 0.3f};
  values.credits = 20;
  Open(kDeucesWild);
  Watch();

  // A refused bet and the Credits button: no hand, one balance change.
  values.credits = 2;
  Click(window->Image11);
  EXPECT_TRUE(hands.empty());
  Click(window->Image12);
  EXPECT_EQ(creditsAdded, 1);
  EXPECT_EQ(values.credits, 102);

  for (int i = 0; i < 3; ++i) Click(window->Image10);
  Key(Qt::Key_Return);
  ASSERT_EQ(hands.size(), 1u);
  EXPECT_EQ(values.credits, 99);
  EXPECT_EQ(hands[0].game, kDeucesWild);
  EXPECT_EQ(hands[0].coins, 3);
  EXPECT_EQ(hands[0].dealt, window->State().hand);
  EXPECT_EQ(hands[0].held, 0);
  EXPECT_EQ(hands[0].deck, values.deck);
  EXPECT_FALSE(hands[0].demo);

  window->ToggleHold(1);
  window->ToggleHold(4);
  ASSERT_EQ(hands.size(), 3u);
  EXPECT_EQ(hands[2].held, 0b10010);

  const std::int32_t before = values.credits;
  Key(Qt::Key_Return);
  ASSERT_EQ(games.size(), 1u);
  const TableState after = window->State();
  const GameRecord& g = games[0];
  EXPECT_EQ(g.game, kDeucesWild);
  EXPECT_EQ(g.coins, 3);
  EXPECT_EQ(g.dealt, hands[0].dealt);
  EXPECT_EQ(g.held, 0b10010);
  EXPECT_EQ(g.final, after.hand);
  EXPECT_EQ(g.final, DrawHand(values.deck, g.dealt, HoldMask::FromBits(0b10010)));
  EXPECT_EQ(g.row, after.winRow);
  EXPECT_EQ(g.won, after.winAmount);
  EXPECT_EQ(g.creditsAfter, before + after.winAmount);
  EXPECT_EQ(g.creditsAfter, values.credits);
  // Recorded before anything of the result is on the screen.
  EXPECT_EQ(messageAtSettle, QString());
  EXPECT_EQ(creditsLineAtSettle, QStringLiteral("Credits: %1").arg(before));
  EXPECT_FALSE(g.demo);

  // A demonstration hand is marked as one, from its deal to its record.
  EnterDemoCode(kDemoRoyal);
  Key(Qt::Key_Return);
  Key(Qt::Key_Return);
  ASSERT_EQ(games.size(), 2u);
  EXPECT_TRUE(hands.back().demo);
  EXPECT_TRUE(games[1].demo);
}

TEST_F(TableJournalTest, CardsAndWinsWaitForTheDiskAndSoDoTheKeysAfterThem) {
  values.credits = 20;
  Open(kJacksOrBetter);
  Watch();
  fakes.history.holdDisk = true;
  const QImage before = window->Surface().copy();

  EnterDemoCode(kDemoRoyal);
  Click(window->Image11);
  // Bet and hand are journaled; the cards turn over once they are on disk.
  ASSERT_EQ(hands.size(), 1u);
  EXPECT_EQ(values.credits, 15);
  EXPECT_EQ(window->Surface(), before);
  ASSERT_EQ(fakes.history.onDisk.size(), 1u);
  fakes.history.LandOnDisk();
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(ShowsCard(i, window->State().hand[i])) << i;

  for (int i = 0; i < 5; ++i) window->ToggleHold(i);
  Key(Qt::Key_Return);
  ASSERT_EQ(games.size(), 1u);
  const std::int32_t paid = values.credits;
  EXPECT_EQ(paid, 15 + games[0].won);
  EXPECT_GT(games[0].won, 0);
  // Recorded, not yet shown: the next key waits for the win.
  EXPECT_EQ(window->Mess->text(), QString());
  EXPECT_EQ(window->Label1[1]->text(), QStringLiteral("Credits: 15"));
  Key(Qt::Key_Return);
  QTest::qWait(20);
  EXPECT_EQ(hands.size(), 6u);
  fakes.history.LandOnDisk();
  EXPECT_NE(window->Mess->text(), QString());
  EXPECT_EQ(window->Label1[1]->text(), QStringLiteral("Credits: %1").arg(paid));
  // Then the key held back deals the next hand, whose cards wait in turn.
  EXPECT_TRUE(QTest::qWaitFor([&] { return hands.size() == 7u; }, 2000));
  EXPECT_EQ(values.credits, paid - 5);
  EXPECT_EQ(fakes.history.onDisk.size(), 1u);
  fakes.history.LandOnDisk();
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(ShowsCard(i, window->State().hand[i])) << i;
}

TEST_F(TableJournalTest, AHandLeftDealtComesBackAndDrawsTheSameCards) {
  fakes.random.values = {0.61f, 0.27f, 0.93f, 0.4f};
  values.credits = 50;
  Open(kJokerWild);
  Watch();
  Click(window->Image11);
  window->ToggleHold(0);
  window->ToggleHold(2);
  ASSERT_FALSE(hands.empty());
  const HandInProgress left = hands.back();
  const std::int32_t creditsLeft = values.credits;
  Key(Qt::Key_Return);  // what the draw gives, for comparison
  ASSERT_EQ(games.size(), 1u);
  const GameRecord expected = games[0];

  // A fresh table, its deck shuffled otherwise since, takes the hand back.
  window.reset();
  values.credits = creditsLeft;
  values.deck.FillInCodeOrder();
  Open(kJokerWild);
  Watch();
  HandInProgress other = left;
  other.game = kDeucesWild;
  EXPECT_FALSE(window->ResumeHand(other));
  other = left;
  other.deck.Swap(1, 9);  // the dealt cards are not the deck's first five
  EXPECT_FALSE(window->ResumeHand(other));
  ASSERT_TRUE(window->ResumeHand(left));
  QTest::qWait(0);
  const TableState resumed = window->State();
  EXPECT_TRUE(resumed.dealt);
  EXPECT_EQ(resumed.hand, left.dealt);
  EXPECT_EQ(resumed.held, (std::array<bool, 5>{true, false, true, false, false}));
  EXPECT_EQ(resumed.coinsIn, 5);
  EXPECT_EQ(window->Label1[0]->text(), QStringLiteral("Coins In: 5"));
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(ShowsCard(i, left.dealt[static_cast<std::size_t>(i)]));

  Key(Qt::Key_Return);
  ASSERT_EQ(games.size(), 2u);
  EXPECT_EQ(games[1], expected);
  EXPECT_EQ(values.credits, expected.creditsAfter);
}

// The hint's holds are the player's holds: journaled like clicks, drawn, and
// the advisor's figures go with the game.
TEST_F(TableJournalTest, HintHoldsAreJournaledAndPlayedLikeClicks) {
  struct Hinter final : TableAdvisor {
    std::optional<HoldMask> HintFor(const HandInProgress&) override {
      return HoldMask::FromBits(0b01101);
    }
    bool AllowDraw(const HandInProgress&) override { return true; }
    void Appraise(GameRecord& game) override { game.bestEv = 7.5; }
  } hinter;
  values.credits = 50;
  Open();
  Watch();
  Key(Qt::Key_H);  // nothing dealt: no hint
  EXPECT_TRUE(hands.empty());
  window->SetAdvisor(&hinter);
  Click(window->Image11);
  Key(Qt::Key_H);
  ASSERT_EQ(hands.size(), 2u);
  EXPECT_EQ(hands[1].held, 0b01101);
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{true, false, true, true, false}));
  Key(Qt::Key_H);  // the same holds again: nothing new to keep
  EXPECT_EQ(hands.size(), 2u);
  Key(Qt::Key_Return);
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(games[0].held, 0b01101);
  EXPECT_EQ(games[0].bestEv, 7.5);
}

}  // namespace
}  // namespace lynx::testing
