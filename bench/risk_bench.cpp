// The risk figures against their targets: the distribution of a deal beside
// the return alone, the long-run risk, and a session of 10,000 deals.
#include <benchmark/benchmark.h>

#include "engine/game_rules.h"
#include "engine/risk.h"

namespace {

const lynx::StrategyTables& Tables(const char* game) {
  static const lynx::StrategyTables jacks(*lynx::FindGame("jacks-96"));
  static const lynx::StrategyTables deuces(*lynx::FindGame("deuces-full"));
  return std::string_view(game) == "jacks" ? jacks : deuces;
}

lynx::Pays PaysOf(const char* game) {
  return lynx::DefaultPays(Tables(game).Rules());
}

void ReturnAlone(benchmark::State& state) {
  const auto& tables = Tables("jacks");
  for (auto _ : state)
    benchmark::DoNotOptimize(lynx::ComputeReturn(tables, PaysOf("jacks"), 5));
}
BENCHMARK(ReturnAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

void DistributionOfADeal(benchmark::State& state) {
  const auto& tables = Tables("jacks");
  const int hands = static_cast<int>(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(lynx::ComputeDealDistribution(tables, PaysOf("jacks"), 5, hands,
                                                           lynx::JokerDeck::kStandard53));
}
BENCHMARK(DistributionOfADeal)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

const lynx::DealDistribution& Deal(const char* game, int hands) {
  static std::map<std::pair<std::string, int>, lynx::DealDistribution> made;
  auto& d = made[{game, hands}];
  if (d.totals.empty())
    d = lynx::ComputeDealDistribution(Tables(game), PaysOf(game), 5, hands,
                                      lynx::JokerDeck::kStandard53);
  return d;
}

void LongRunRisk(benchmark::State& state) {
  const auto& deal = Deal("deuces", static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const lynx::LongRunRisk risk(deal);
    benchmark::DoNotOptimize(risk.BankrollFor(0.01));
  }
}
BENCHMARK(LongRunRisk)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void SessionOf10000Hands(benchmark::State& state) {
  const auto& deal = Deal("jacks", static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(lynx::ComputeSession(deal, 1000 * deal.stake, 10000 / deal.hands));
    benchmark::DoNotOptimize(lynx::SessionRuinByBankroll(deal, 10000 / deal.hands));
  }
}
BENCHMARK(SessionOf10000Hands)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
