// The return of every deal played by a chart (or any other chooser of
// holds), summed exactly, with best play beside it.

#include <array>
#include <cstdint>
#include <numeric>

#include "engine/exact_sums.h"
#include "engine/parallel.h"
#include "engine/strategy_chart.h"
#include "engine/strategy_chart_internal.h"

namespace lynx {

using namespace chart_internal;

PlayedReturn ComputePlayedReturn(const StrategyTables& tables, const std::vector<DealClass>& deals,
                                 const Pays& pays, int coins, JokerDeck deck,
                                 const HoldChooser& chooser, int threads) {
  const bool machineJoker = MachineJoker(tables.Variant(), deck);
  std::array<std::int64_t, kMaxPayRows> pay{};
  for (int r = 0; r < tables.RowCount(); ++r)
    pay[static_cast<std::size_t>(r)] = PayoutOf(pays, r, coins);
  std::uint64_t scale = 1;  // a multiple of every possible number of draws
  for (std::uint64_t k = 0; k <= 5; ++k) {
    scale = std::lcm(scale, Choose(static_cast<std::uint64_t>(tables.CardCount() - 5), k));
    if (machineJoker) scale = std::lcm(scale, 47 * Choose(47, k));
  }
  struct Sums {
    UInt128 chosen = 0, best = 0;
    std::uint64_t weight = 0, differentWeight = 0;
  };
  const int workers = WorkerCount(threads);
  std::vector<Sums> partial(static_cast<std::size_t>(workers));
  std::vector<HoldCounts> counts(static_cast<std::size_t>(workers));
  ParallelFor(deals.size(), workers, [&](std::size_t i, int worker) {
    const DealClass& d = deals[i];
    HoldCounts& c = counts[static_cast<std::size_t>(worker)];
    tables.CountHolds(d.hand, deck, c);
    std::array<std::int64_t, kHoldCount> payout{};
    unsigned best = 0;
    for (unsigned m = 0; m < kHoldCount; ++m) {
      for (std::size_t r = 0; r < kMaxPayRows; ++r) payout[m] += c.rows[m][r] * pay[r];
      if (static_cast<UInt128>(payout[m]) * static_cast<std::uint64_t>(c.draws[best]) >
          static_cast<UInt128>(payout[best]) * static_cast<std::uint64_t>(c.draws[m]))
        best = m;
    }
    const unsigned chosen = chooser(d.hand) & (kHoldCount - 1);
    const std::uint64_t weight = DealWeight(d, machineJoker);
    Sums& s = partial[static_cast<std::size_t>(worker)];
    const auto value = [&](unsigned m) {
      return static_cast<UInt128>(weight) * (scale / static_cast<std::uint64_t>(c.draws[m])) *
             static_cast<std::uint64_t>(payout[m]);
    };
    const UInt128 chosenValue = value(chosen), bestValue = value(best);
    s.chosen += chosenValue;
    s.best += bestValue;
    s.weight += weight;
    if (chosenValue < bestValue) s.differentWeight += weight;
  });
  Sums total;
  for (const Sums& s : partial) {
    total.chosen += s.chosen;
    total.best += s.best;
    total.weight += s.weight;
    total.differentWeight += s.differentWeight;
  }
  PlayedReturn result;
  for (const DealClass& d : deals) result.deals += d.deals;
  if (total.weight == 0) return result;
  const UInt128 bet = static_cast<UInt128>(total.weight) * scale * static_cast<unsigned>(coins);
  result.returnRatio = Ratio(total.chosen, bet);
  result.exactReturn = Fraction(total.chosen, bet);
  result.optimalRatio = Ratio(total.best, bet);
  result.exactOptimal = Fraction(total.best, bet);
  result.differentShare =
      static_cast<double>(total.differentWeight) / static_cast<double>(total.weight);
  return result;
}

PlayedReturn ComputeChartReturn(const StrategyTables& tables, const StrategyChart& chart,
                                int threads) {
  return ComputeChartReturn(tables, chart, DealClasses(tables.Variant()), threads);
}

PlayedReturn ComputeChartReturn(const StrategyTables& tables, const StrategyChart& chart,
                                const std::vector<DealClass>& deals, int threads) {
  std::vector<std::int16_t> lineOf(kCodeSpace, -1);
  for (std::size_t i = 0; i < chart.lines.size(); ++i) {
    auto& slot = lineOf[chart.lines[i].pattern & (kCodeSpace - 1)];
    if (slot < 0) slot = static_cast<std::int16_t>(i);
  }
  const GameRules& rules = tables.Rules();
  const auto chooser = [&](const Hand& hand) {
    return FindLine(rules, hand, tables.RowOf(hand),
                    [&lineOf](PatternCode p) { return static_cast<int>(lineOf[p]); })
        .mask;
  };
  return ComputePlayedReturn(tables, deals, chart.pays, chart.coins, chart.deck, chooser, threads);
}

}  // namespace lynx
