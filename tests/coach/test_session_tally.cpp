// The tally both tables keep of a visit and the coach's warning before a
// costly draw, on a judgement made by hand: hold 31 (all five) and hold 15
// are best, worth 20 credits; every other hold is worth 20 - m / 8.
#include <gtest/gtest.h>

#include <vector>

#include "coach/draw_warning.h"
#include "coach/session_tally.h"

namespace lynx {
namespace {

HandJudgement Judged(int coins) {
  HandJudgement j;
  j.coins = coins;
  for (unsigned m = 0; m < kHoldCount; ++m) j.ev[m] = 20.0 - m / 8.0;
  j.ev[15] = 20.0;
  j.ev[31] = 20.0;
  j.bestEv = 20.0;
  j.bestSet = (1u << 15) | (1u << 31);
  j.bestMask = 15;
  j.bestCount = 2;
  return j;
}

TEST(SessionTally, ADealOfThreeHandsIsOneDecisionCostedOnEveryHand) {
  const HandJudgement j = Judged(5);
  SessionTally tally;
  const std::vector<std::int64_t> won{0, 40, 5};
  tally.AddDeal(5, won, &j, 8);  // worth 19 a hand: one credit given up
  EXPECT_EQ(tally.deals, 1);
  EXPECT_EQ(tally.hands, 3);
  EXPECT_EQ(tally.coinsBet, 15);
  EXPECT_EQ(tally.won, 45);
  EXPECT_EQ(tally.judged.hands, 3);
  EXPECT_EQ(tally.judged.coinsBet, 15);
  EXPECT_EQ(tally.judged.won, 45);
  EXPECT_DOUBLE_EQ(tally.judged.heldEv, 57.0);
  EXPECT_DOUBLE_EQ(tally.judged.bestEv, 60.0);
  EXPECT_EQ(tally.judged.mistakes, 1);
  EXPECT_DOUBLE_EQ(tally.judged.mistakeCost, 3.0);

  // The next deal's mistake counts again; a best hold adds none.
  tally.AddDeal(2, std::vector<std::int64_t>{4}, &j, 16);
  tally.AddDeal(2, std::vector<std::int64_t>{0, 0}, &j, 31);
  EXPECT_EQ(tally.deals, 3);
  EXPECT_EQ(tally.hands, 6);
  EXPECT_EQ(tally.coinsBet, 15 + 2 + 4);
  EXPECT_EQ(tally.won, 49);
  EXPECT_EQ(tally.judged.mistakes, 2);
  EXPECT_DOUBLE_EQ(tally.judged.mistakeCost, 3.0 + 2.0);
}

TEST(SessionTally, ADealTheCoachCouldNotValueCountsOnlyAsPlay) {
  SessionTally tally;
  tally.AddDeal(4, std::vector<std::int64_t>{16, 0, 0, 0, 0}, nullptr, 3);
  EXPECT_EQ(tally.deals, 1);
  EXPECT_EQ(tally.hands, 5);
  EXPECT_EQ(tally.coinsBet, 20);
  EXPECT_EQ(tally.won, 16);
  EXPECT_EQ(tally.judged.hands, 0);
  EXPECT_EQ(tally.judged.coinsBet, 0);
  EXPECT_EQ(tally.judged.mistakes, 0);
}

TEST(DrawWarning, EachCostlyHoldOfADealIsHeldBackOnce) {
  const HandJudgement j = Judged(5);
  DrawWarning warning;
  EXPECT_FALSE(warning.HoldsBack(j, 31));  // best holds always draw
  EXPECT_FALSE(warning.HoldsBack(j, 15));
  EXPECT_FALSE(warning.Standing());

  EXPECT_TRUE(warning.HoldsBack(j, 3));
  EXPECT_TRUE(warning.Standing());
  warning.Clear();  // the holds changed
  EXPECT_FALSE(warning.Standing());
  EXPECT_TRUE(warning.HoldsBack(j, 1));  // another costly hold: its own warning
  EXPECT_FALSE(warning.HoldsBack(j, 3));  // drawn again as held: it goes ahead
  EXPECT_FALSE(warning.Standing());
  EXPECT_FALSE(warning.HoldsBack(j, 32 + 1));  // bits above the five cards are no hold

  warning.NewDeal();
  EXPECT_TRUE(warning.HoldsBack(j, 3 + 64));
  EXPECT_TRUE(warning.Standing());
  warning.NewDeal();
  EXPECT_FALSE(warning.Standing());
}

}  // namespace
}  // namespace lynx
