#include "review/game_facts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lynx {

DealFacts WorkOutDeal(const StrategyTables& tables, const GameFactsChoice& choice) {
  DealFacts facts;
  auto deal = std::make_shared<DealDistribution>(
      ComputeDealDistribution(tables, choice.pays, choice.coins, choice.hands, choice.rules->deck));
  auto longRun = std::make_shared<LongRunRisk>(*deal);
  for (std::size_t i = 0; i < kFactsRisks.size(); ++i) {
    const std::int64_t units = longRun->BankrollFor(kFactsRisks[i]);
    facts.longRunBankroll[i] = units < 0 ? -1 : units * deal->unit;
  }
  facts.deal = std::move(deal);
  facts.longRun = std::move(longRun);
  return facts;
}

int DealsForHands(int hands, int handsADeal) {
  if (hands <= 0) return 0;
  const int each = std::max(handsADeal, 1);
  return (hands + each - 1) / each;
}

SessionFacts WorkOutSession(const DealDistribution& deal, const LongRunRisk& longRun,
                            std::int64_t bankroll, int hands) {
  SessionFacts f;
  f.bankroll = std::max<std::int64_t>(bankroll, 0);
  f.hands = std::max(hands, 0);
  f.deals = DealsForHands(f.hands, deal.hands);
  f.unit = std::max(deal.unit, 1);
  const std::int64_t units = f.bankroll / f.unit;
  const std::int64_t rest = f.bankroll - units * f.unit;
  // A bankroll of a stake for every deal can never be lost within the
  // session; a larger one ends as that one does, moved up by the difference.
  // So the walk never runs over more balances than the session can lose.
  const std::int64_t most = static_cast<std::int64_t>(deal.stake) * f.deals;
  const std::int64_t walked = std::min(units, most);
  const std::int64_t above = units - walked;
  SessionFigures s = ComputeSession(deal, walked, f.deals);
  f.ruinChance = s.ruinChance;
  f.aheadChance = s.aheadChance;
  f.royalChance = s.royalChance;
  for (std::size_t i = 0; i < f.percentiles.size(); ++i)
    f.percentiles[i] = (s.percentiles[i] + above) * f.unit + rest;
  f.endBalance = std::move(s.endBalance);
  f.endBase = above * f.unit + rest;

  const std::vector<double> ruin = SessionRuinByBankroll(deal, f.deals);
  for (std::size_t i = 0; i < kFactsRisks.size(); ++i)
    f.sessionBankroll[i] = SessionBankrollFor(ruin, kFactsRisks[i]) * f.unit;

  if (!longRun.Favourable())
    f.longRunRuin = 1;
  else if (!longRun.Solved())
    f.longRunRuin = std::numeric_limits<double>::quiet_NaN();
  else
    f.longRunRuin = longRun.RuinChance(units);
  return f;
}

}  // namespace lynx
