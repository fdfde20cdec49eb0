#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "engine/evaluate.h"
#include "engine/paytable.h"
#include "machine/machine.h"

namespace lynx {
namespace {

// A machine on its own meter and deck, with every hand it announces.
struct Rig {
  explicit Rig(std::int32_t start, GameVariant game = kJacksOrBetter)
      : credits(start), machine(game, credits, deck) {
    machine.onHandChanged = [this](const HandInProgress& h) { announced.push_back(h); };
  }
  // Pay cell clicks that make the demonstration code (2413 royal, 3142 second).
  void Demo(int code) {
    const int digits[4] = {code % 10, code / 10 % 10, code / 100 % 10, code / 1000};
    for (int column = 1; column <= 4; ++column)
      machine.PayCellReleased(column, digits[column - 1] - 1);
  }
  std::int32_t credits;
  Deck deck;
  Machine machine;
  SeededSource random{7};
  std::vector<HandInProgress> announced;
};

TEST(MachineBets, CoinsCreditsAndRefusals) {
  Rig r(3);
  EXPECT_EQ(r.machine.Deal(r.random).refusal, Refusal::NoBet);
  for (int coin = 1; coin <= 3; ++coin) {
    const BetOutcome bet = r.machine.BetOne();
    EXPECT_TRUE(bet.placed && !bet.dealNext && bet.refusal == Refusal::None);
    EXPECT_EQ(r.machine.CoinsIn(), coin);
  }
  EXPECT_EQ(r.machine.BetOne().refusal, Refusal::CoinNotCovered);
  EXPECT_EQ(r.credits, 3);  // nothing is taken before the deal
  EXPECT_EQ(r.machine.BetMax().refusal, Refusal::MaxNotCovered);
  EXPECT_EQ(r.machine.Cards(), (Hand{}));  // a refused maximum bet still clears the hand
  EXPECT_EQ(r.machine.Deal(r.random).refusal, Refusal::None);
  EXPECT_EQ(r.credits, 0);
  EXPECT_EQ(r.announced.size(), 1u);
  EXPECT_EQ(r.announced[0].coins, 3);
  // Dealt: bets do nothing.
  EXPECT_FALSE(r.machine.BetOne().placed);
  EXPECT_FALSE(r.machine.BetMax().dealNext);

  Rig five(10);
  for (int coin = 1; coin <= 4; ++coin) EXPECT_FALSE(five.machine.BetOne().dealNext);
  EXPECT_TRUE(five.machine.BetOne().dealNext);  // the fifth coin deals
  Rig max(5);
  const BetOutcome all = max.machine.BetMax();
  EXPECT_TRUE(all.placed && all.dealNext);
  EXPECT_EQ(max.machine.CoinsIn(), 5);
}

TEST(MachineBets, NextDealReplaysTheLastStakeWhileTheCreditsCoverIt) {
  Rig r(6);
  r.machine.BetOne();
  r.machine.BetOne();
  r.machine.BetOne();
  r.machine.Deal(r.random);
  const Settlement first = r.machine.Draw();
  EXPECT_EQ(r.machine.CoinsIn(), 0);
  EXPECT_EQ(r.machine.LastCoinsIn(), 3);
  EXPECT_EQ(first.creditsAfter, 3 + first.won);
  r.credits = 2;
  EXPECT_EQ(r.machine.Deal(r.random).refusal, Refusal::StakeNotCovered);
  EXPECT_FALSE(r.machine.Dealt());
  r.credits = 3;
  EXPECT_EQ(r.machine.Deal(r.random).refusal, Refusal::None);
  EXPECT_EQ(r.machine.CoinsIn(), 3);
  EXPECT_EQ(r.credits, 0);
}

// The second demonstration hand of Jacks or Better deals A-5 of hearts and
// has 6-10 of hearts behind it: every hold is a known draw.
TEST(MachineDraw, EveryHoldMaskDrawsFromSixOnAndPaysItsRow) {
  for (unsigned bits = 0; bits < 32; ++bits) {
    SCOPED_TRACE(bits);
    Rig r(100);
    r.Demo(kDemoSecond);
    r.machine.BetMax();
    const DealOutcome deal = r.machine.Deal(r.random);
    ASSERT_EQ(deal.cards, (Hand{14, 15, 16, 17, 18}));
    EXPECT_TRUE(r.machine.DemoDeal());
    EXPECT_EQ(r.machine.DemoCode(), 0);
    const HoldMask holds = HoldMask::FromBits(bits);
    EXPECT_EQ(r.machine.SetHolds(holds), bits != 0);
    const Settlement s = r.machine.Draw();
    Hand expected{};
    CardCode next = 19;
    for (int i = 0; i < 5; ++i)
      expected[static_cast<std::size_t>(i)] =
          holds.Holds(i) ? static_cast<CardCode>(14 + i) : next++;
    EXPECT_EQ(s.final, expected);
    EXPECT_EQ(r.machine.Cards(), expected);
    EXPECT_EQ(r.machine.DrawPos(), 5 + (next - 19));
    EXPECT_EQ(s.held, holds);
    EXPECT_EQ(s.dealt, (Hand{14, 15, 16, 17, 18}));
    EXPECT_EQ(s.row, ClassifyHand(expected, kJacksOrBetter));
    EXPECT_EQ(s.won, Payout(kJacksOrBetter, s.row, 5));
    EXPECT_EQ(s.creditsAfter, 95 + s.won);
    EXPECT_EQ(r.credits, s.creditsAfter);
    EXPECT_TRUE(s.demo);
    EXPECT_FALSE(r.machine.Dealt());
  }
  // One of them by its pay: the ace kept beside 6-9 of hearts is a flush.
  Rig r(100);
  r.Demo(kDemoSecond);
  r.machine.BetMax();
  r.machine.Deal(r.random);
  r.machine.SetHolds(HoldMask::FromBits(1));
  const Settlement flush = r.machine.Draw();
  EXPECT_EQ(flush.won, 25);
  EXPECT_EQ(flush.message, "Flush pays 25!");
}

TEST(MachineHolds, EveryChangeIsAnnouncedOnceAndNothingElse) {
  Rig r(100);
  r.machine.SetHolds(HoldMask::FromBits(3));  // not dealt: ignored
  EXPECT_FALSE(r.machine.ToggleHold(0));
  EXPECT_TRUE(r.announced.empty());
  r.machine.BetOne();
  r.machine.Deal(r.random);
  ASSERT_EQ(r.announced.size(), 1u);
  EXPECT_EQ(r.announced[0].held, 0);
  EXPECT_EQ(r.announced[0].dealt, DealHand(r.deck));
  EXPECT_EQ(r.announced[0].deck, r.deck);
  EXPECT_TRUE(r.machine.ToggleHold(4));
  EXPECT_FALSE(r.machine.ToggleHold(5));
  EXPECT_FALSE(r.machine.ToggleHold(-1));
  EXPECT_TRUE(r.machine.SetHolds(HoldMask::FromBits(0b10011)));
  EXPECT_FALSE(r.machine.SetHolds(HoldMask::FromBits(0b10011)));
  EXPECT_TRUE(r.machine.ToggleHold(0));
  ASSERT_EQ(r.announced.size(), 4u);
  EXPECT_EQ(r.announced[1].held, 0b10000);
  EXPECT_EQ(r.announced[2].held, 0b10011);
  EXPECT_EQ(r.announced[3].held, 0b10010);
  EXPECT_EQ(r.machine.InProgress(), r.announced[3]);
  r.machine.Draw();
  EXPECT_EQ(r.announced.size(), 4u);
}

TEST(MachineResume, TakesBackAHandOfItsGameAndDrawsWhatItWouldHave) {
  Rig before(50);
  before.machine.BetOne();
  before.machine.BetOne();
  before.machine.Deal(before.random);
  before.machine.SetHolds(HoldMask::FromBits(0b00101));
  const HandInProgress left = before.machine.InProgress();
  const Settlement expected = before.machine.Draw();

  Rig after(48);
  ASSERT_TRUE(after.machine.Resume(left));
  EXPECT_TRUE(after.announced.empty());
  EXPECT_EQ(after.credits, 48);  // the stake was paid before
  EXPECT_EQ(after.machine.CoinsIn(), 2);
  EXPECT_EQ(after.machine.Held(), HoldMask::FromBits(0b00101));
  EXPECT_FALSE(after.machine.Resume(left));  // a hand is dealt already
  const Settlement s = after.machine.Draw();
  EXPECT_EQ(s.final, expected.final);
  EXPECT_EQ(s.won, expected.won);
  EXPECT_EQ(s.creditsAfter, expected.creditsAfter);

  auto refused = [](HandInProgress h, GameVariant game = kJacksOrBetter) {
    Rig r(50, game);
    const bool taken = r.machine.Resume(h);
    return !taken && !r.machine.Dealt() && r.machine.CoinsIn() == 0;
  };
  EXPECT_TRUE(refused(left, kDeucesWild));
  HandInProgress h = left;
  h.coins = 0;
  EXPECT_TRUE(refused(h));
  h.coins = 6;
  EXPECT_TRUE(refused(h));
  h = left;
  h.dealt[0] = left.deck.At(6);  // not the deck's first five
  EXPECT_TRUE(refused(h));
  h = left;
  h.deck.Set(52, h.deck.At(51));  // a card twice
  EXPECT_TRUE(refused(h));
  h = left;
  h.deck.Set(52, kJoker);  // no joker outside Joker Wild
  EXPECT_TRUE(refused(h));
}

TEST(MachineDemo, PayCellsBuildTheCodeUpToItsCap) {
  Rig r(100);
  r.Demo(kDemoRoyal);
  EXPECT_EQ(r.machine.DemoCode(), kDemoRoyal);
  r.machine.BetMax();
  EXPECT_EQ(r.machine.Deal(r.random).winRow, 0);  // the royal is lit as dealt
  r.machine.SetHolds(HoldMask::All());
  const Settlement royal = r.machine.Draw();
  EXPECT_EQ(royal.won, kFiveCoinRoyal);
  EXPECT_EQ(r.credits, 95 + kFiveCoinRoyal);

  Rig cap(100);
  cap.machine.PayCellReleased(5, 3);  // the five-coin column adds nothing
  cap.machine.PayCellReleased(0, 3);
  EXPECT_EQ(cap.machine.DemoCode(), 0);
  cap.machine.PayCellReleased(4, 10);
  EXPECT_EQ(cap.machine.DemoCode(), 11000);
  cap.machine.PayCellReleased(1, 0);
  EXPECT_EQ(cap.machine.DemoCode(), 11000);
}

TEST(MachineCredits, TheMeterStopsAtItsTop) {
  Rig r(INT32_MAX - 50);
  r.machine.AddCredits(100);
  EXPECT_EQ(r.credits, INT32_MAX);
  // A royal on a full meter leaves it full, not wrapped.
  r.Demo(kDemoRoyal);
  r.machine.BetMax();
  r.machine.Deal(r.random);
  r.machine.SetHolds(HoldMask::All());
  EXPECT_EQ(r.machine.Draw().creditsAfter, INT32_MAX);
}

TEST(HoldMaskType, ConversionsAgree) {
  for (unsigned bits = 0; bits < 32; ++bits) {
    const HoldMask m = HoldMask::FromBits(bits);
    EXPECT_EQ(HoldMask::FromFlags(m.Flags()), m);
    EXPECT_EQ(m.Stored(), static_cast<int>(bits));
    int count = 0;
    for (int i = 0; i < 5; ++i) count += m.Holds(i) ? 1 : 0;
    EXPECT_EQ(m.Count(), count);
  }
  EXPECT_EQ(HoldMask::FromBits(0b100101).Bits(), 0b00101u);
  EXPECT_EQ(HoldMask::FromFlags({false, true, false, false, true}).Bits(), 0b10010u);
  EXPECT_EQ(HoldMask().Toggled(2).Toggled(4).Toggled(2).Bits(), 0b10000u);
  EXPECT_FALSE(HoldMask::All().Holds(5));
  EXPECT_EQ(HoldMask::All().With(7, false), HoldMask::All());
}

}  // namespace
}  // namespace lynx
