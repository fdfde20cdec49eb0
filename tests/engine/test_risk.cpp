// The long-run chance of ruin of a deal that costs several units (several
// hands a deal) against the chance of ruin within a long session, which it
// is the limit of.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/risk.h"

namespace lynx {
namespace {

// A made-up deal of three units whose totals pay 0, 2 or 12 units: its
// walk is favourable (4.6 units back a deal), so after 2,000 deals nearly
// every ruin that ever comes has come.
DealDistribution ThreeUnitDeal() {
  DealDistribution deal;
  deal.hands = 3;
  deal.stake = 3;
  deal.totals.assign(13, 0.0);
  deal.totals[0] = 0.45;
  deal.totals[2] = 0.2;
  deal.totals[12] = 0.35;
  return deal;
}

// Catches a wrong starting point for the roots other than the real one
// (the walk of several units a deal then has no solution at all, or the
// wrong weights), and a bankroll counted from the wrong root power.
TEST(LongRunRisk, SeveralUnitsADealMatchTheRuinOfALongSession) {
  const DealDistribution deal = ThreeUnitDeal();
  const LongRunRisk risk(deal);
  ASSERT_TRUE(risk.Favourable());
  ASSERT_TRUE(risk.Solved());
  const std::vector<double> session = SessionRuinByBankroll(deal, 2000);
  ASSERT_GT(session.size(), 40u);
  for (std::int64_t b = 3; b <= 40; ++b)
    EXPECT_NEAR(risk.RuinChance(b), session[static_cast<std::size_t>(b)], 1e-9) << b;
  // Below the stake nothing can be played: lost already.
  EXPECT_EQ(risk.RuinChance(2), 1.0);
  // The least bankroll for a risk is the first whose chance is no more.
  const std::int64_t enough = risk.BankrollFor(0.01);
  ASSERT_GT(enough, 3);
  EXPECT_LE(risk.RuinChance(enough), 0.01);
  EXPECT_GT(risk.RuinChance(enough - 1), 0.01);
}

}  // namespace
}  // namespace lynx
