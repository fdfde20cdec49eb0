#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/card_text.h"
#include "engine/game_rules.h"
#include "engine/risk.h"

namespace lynx {
namespace {

const GameRules& Jacks96() { return *FindGame("jacks-96"); }

const StrategyTables& JacksTables() {
  static const StrategyTables tables(Jacks96());
  return tables;
}

Hand HandOf(const std::vector<std::string>& words) {
  Hand h{};
  for (std::size_t i = 0; i < 5; ++i) h[i] = *ParseCard(words[i]);
  return h;
}

// A Jacks or Better table of small pays: its variance is small, so a sample
// of a few thousand deals pins it down.
Pays GentlePays() {
  Pays p = DefaultPays(Jacks96());
  p.perCoin = {40, 20, 10, 6, 4, 3, 2, 2, 1};
  p.royalFiveCoins = 200;
  return p;
}

// A table that returns far more than it takes, so the long run is reached
// within a short session.
Pays GenerousPays() {
  Pays p = DefaultPays(Jacks96());
  p.perCoin = {250, 50, 25, 12, 8, 6, 4, 3, 2};
  p.royalFiveCoins = 1250;
  return p;
}

// The chance of each total (in credits) of one hand drawn to `held` from
// the 47 unseen cards, counted draw by draw with the evaluator alone.
std::map<int, double> PlainDraws(const Hand& dealt, unsigned held, const Pays& pays) {
  std::vector<CardCode> unseen;
  for (CardCode c = 1; c <= 52; ++c)
    if (std::find(dealt.begin(), dealt.end(), c) == dealt.end()) unseen.push_back(c);
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < 5; ++i)
    if ((held >> i & 1u) == 0) open.push_back(i);
  std::map<int, double> count;
  double draws = 0;
  std::vector<std::size_t> pick(open.size());
  // Every set of open.size() unseen cards, in increasing index order.
  const auto visit = [&](auto&& self, std::size_t depth, std::size_t from) -> void {
    if (depth == open.size()) {
      Hand h = dealt;
      for (std::size_t k = 0; k < open.size(); ++k) h[open[k]] = unseen[pick[k]];
      const int row = ClassifyRules(h, Jacks96());
      count[row < 0 ? 0 : static_cast<int>(PayoutOf(pays, row, 5))] += 1;
      draws += 1;
      return;
    }
    for (std::size_t i = from; i < unseen.size(); ++i) {
      pick[depth] = i;
      self(self, depth + 1, i + 1);
    }
  };
  visit(visit, 0, 0);
  for (auto& [total, c] : count) c /= draws;
  return count;
}

TEST(DealDistribution, TwoHandsOfAFewDealsMatchAPlainCountOfTheirDraws) {
  // Catches: hands not drawn independently (a power other than `hands`),
  // alike holds merged under a wrong key, a slip between units and credits,
  // or the covariance left out of a deal's variance.
  const Pays pays = DefaultPays(Jacks96());
  struct Case {
    std::vector<std::string> cards;
    unsigned held;  // the best hold, known from play
    std::uint32_t deals;
  };
  const std::vector<Case> cases = {
      {{"TS", "JS", "QS", "KS", "3D"}, 0b01111, 3},  // four to the royal
      {{"JC", "JD", "4H", "7S", "9C"}, 0b00011, 5},  // a pair of jacks
  };
  std::vector<DealClass> deals;
  for (const Case& c : cases) deals.push_back({HandOf(c.cards), c.deals, false});
  const DealDistribution d =
      ComputeDealDistribution(JacksTables(), deals, pays, 5, 2, JokerDeck::kStandard53, 1);
  ASSERT_EQ(d.unit, 5);
  ASSERT_EQ(d.stake, 2);

  std::map<int, double> expected;  // total credits of the deal's two hands
  double meanSquared = 0, mean = 0;
  for (const Case& c : cases) {
    const double w = static_cast<double>(c.deals) / 8;
    const auto one = PlainDraws(HandOf(c.cards), c.held, pays);
    double m = 0;
    for (const auto& [a, pa] : one) {
      m += a * pa / 5.0;
      for (const auto& [b, pb] : one) expected[a + b] += w * pa * pb;
    }
    mean += w * m;
    meanSquared += w * m * m;
  }
  double variance = 0;
  for (std::size_t t = 0; t < d.totals.size(); ++t) {
    const double want = expected.count(static_cast<int>(t) * 5) ? expected[static_cast<int>(t) * 5] : 0;
    EXPECT_NEAR(d.totals[t], want, 1e-12) << "total " << t << " bets";
    variance += d.totals[t] * std::pow(static_cast<double>(t) - 2 * mean, 2);
  }
  EXPECT_NEAR(d.covariance, meanSquared - mean * mean, 1e-9);
  EXPECT_NEAR(d.dealVariance, variance, 1e-9);
  EXPECT_NEAR(d.ret.returnRatio, mean, 1e-12);
}

TEST(DealDistribution, PublishedVariancesAndTheRoyalCycle) {
  // Catches: the variance taken per credit or per coin rather than per bet,
  // or the mean's square not taken off. Published to five decimals.
  struct Case {
    const char* game;
    double variance;
  };
  for (const Case c : {Case{"jacks-96", 19.51468}, Case{"double-double-bonus", 41.98498},
                       Case{"deuces-nsu", 25.78027}}) {
    const GameRules& g = *FindGame(c.game);
    const StrategyTables tables(g);
    const DealDistribution d = ComputeDealDistribution(tables, DefaultPays(g), 5, 1, g.deck);
    EXPECT_NEAR(d.variance, c.variance, 5e-6) << c.game;
    EXPECT_NEAR(d.dealVariance, d.variance, 1e-12) << c.game;
    if (std::string(c.game) == "jacks-96") {
      EXPECT_EQ(std::lround(d.royalCycle), 40391);  // the published 1 in 40,391
      EXPECT_NEAR(d.deviation * d.deviation, d.variance, 1e-9);
    }
  }
}

TEST(DealDistribution, SeveralHandsVarianceLiesInAMonteCarloInterval) {
  // Catches a deal's variance taken as hands * variance (the hands as if
  // dealt apart) or as hands^2 * variance (as if they always ended alike).
  const Pays pays = GentlePays();
  const DealDistribution d =
      ComputeDealDistribution(JacksTables(), pays, 5, 3, JokerDeck::kStandard53);
  const SampledDeals s = SampleDeals(JacksTables(), pays, 5, 3, 20000, 7);
  EXPECT_NEAR(s.meanBets, d.ret.returnRatio * 3, s.meanHalfWidth);
  EXPECT_NEAR(s.varianceBets, d.dealVariance, s.varianceHalfWidth);
  EXPECT_GT(std::abs(s.varianceBets - 3 * d.variance), s.varianceHalfWidth);
  EXPECT_GT(std::abs(s.varianceBets - 9 * d.variance), s.varianceHalfWidth);
}

TEST(Risk, TheLongRunIsWhereALongSessionEnds) {
  // Catches the roots of the walk's equation mixed up (a wrong root, or a
  // bankroll counted in bets where a deal costs several), and the session's
  // ruin counted one deal late or early.
  for (const int hands : {1, 3}) {
    const DealDistribution d =
        ComputeDealDistribution(JacksTables(), GenerousPays(), 5, hands, JokerDeck::kStandard53);
    const LongRunRisk longRun(d);
    ASSERT_TRUE(longRun.Favourable());
    ASSERT_TRUE(longRun.Solved());
    const std::vector<double> session = SessionRuinByBankroll(d, 1000);
    for (const std::int64_t bankroll : {std::int64_t{d.stake}, std::int64_t{5} * d.stake + 1, std::int64_t{40}}) {
      EXPECT_NEAR(longRun.RuinChance(bankroll), session[static_cast<std::size_t>(bankroll)], 1e-7)
          << hands << " hands, bankroll " << bankroll;
      EXPECT_NEAR(ComputeSession(d, bankroll, 1000).ruinChance,
                  session[static_cast<std::size_t>(bankroll)], 1e-9);
    }
    EXPECT_EQ(longRun.RuinChance(d.stake - 1), 1.0);
  }
  const DealDistribution fair =
      ComputeDealDistribution(JacksTables(), DefaultPays(Jacks96()), 5, 1, JokerDeck::kStandard53);
  EXPECT_FALSE(LongRunRisk(fair).Favourable());
  EXPECT_EQ(LongRunRisk(fair).RuinChance(100000), 1.0);
  EXPECT_EQ(LongRunRisk(fair).BankrollFor(0.05), -1);
}

TEST(Risk, TheBankrollAskedForIsTheLeastThatKeepsTheRiskDown) {
  // Catches an inverse that stops one unit early or late, or that reads the
  // risk the wrong way round.
  const DealDistribution d =
      ComputeDealDistribution(JacksTables(), GenerousPays(), 5, 3, JokerDeck::kStandard53);
  const LongRunRisk longRun(d);
  const std::vector<double> ruin = SessionRuinByBankroll(d, 300);
  for (const double risk : {0.01, 0.05, 0.10}) {
    const std::int64_t b = longRun.BankrollFor(risk);
    EXPECT_LE(longRun.RuinChance(b), risk);
    EXPECT_GT(longRun.RuinChance(b - 1), risk);
    const auto s = static_cast<std::size_t>(SessionBankrollFor(ruin, risk));
    EXPECT_LE(ruin[s], risk);
    EXPECT_GT(ruin[s - 1], risk);
  }
}

TEST(Risk, ASessionsEndIsOneDistributionWithItsPercentiles) {
  // Catches the ruined sessions left out of the end balance, percentiles
  // read from the wrong end, and the share of worse sessions counting ties.
  const DealDistribution d =
      ComputeDealDistribution(JacksTables(), DefaultPays(Jacks96()), 5, 1, JokerDeck::kStandard53);
  const SessionFigures f = ComputeSession(d, 20, 200);
  double total = 0, below = 0;
  for (std::size_t b = 0; b < f.endBalance.size(); ++b) {
    total += f.endBalance[b];
    if (b < 20) below += f.endBalance[b];
  }
  EXPECT_NEAR(total + f.dropped, 1, 1e-12);
  EXPECT_NEAR(below + f.evenChance + f.aheadChance, total, 1e-12);
  EXPECT_GT(f.ruinChance, 0.2);
  EXPECT_GE(f.endBalance[0], 0.0);
  for (std::size_t i = 1; i < f.percentiles.size(); ++i)
    EXPECT_LE(f.percentiles[i - 1], f.percentiles[i]);
  EXPECT_EQ(f.percentiles[0], 0);  // more than 5% of these sessions are ruined with nothing left

  // One deal: the share of sessions worse than breaking even is the chance
  // of a hand that pays nothing; worse than a loss of one bet, none.
  EXPECT_NEAR(ShareOfSessionsBelow(d, 1, 0), d.ret.noWinProbability, 1e-12);
  EXPECT_EQ(ShareOfSessionsBelow(d, 1, -1), 0.0);
  EXPECT_NEAR(ShareOfSessionsBelow(d, 1, 1), d.ret.noWinProbability + d.ret.rowProbability[8],
              1e-12);
}

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
