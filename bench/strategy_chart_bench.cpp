// Strategy charts: making a game's chart, and its exact return over every
// deal (every deal played by the chart, and with best play for comparison).
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "engine/pays.h"
#include "engine/strategy.h"
#include "engine/strategy_chart.h"

namespace {

using lynx::GameVariant;
using lynx::JokerDeck;

const lynx::StrategyTables& Tables(GameVariant game) {
  static std::array<std::unique_ptr<lynx::StrategyTables>, 3> built;
  auto& slot = built[static_cast<std::size_t>(game - 1)];
  if (!slot) slot = std::make_unique<lynx::StrategyTables>(game);
  return *slot;
}

JokerDeck DeckOf(const benchmark::State& state) {
  return state.range(1) == 0 ? JokerDeck::kMachine : JokerDeck::kStandard53;
}

// Making the 40-line chart, from the tables to the last line (tables built
// before the timing).
void BM_BuildChart(benchmark::State& state) {
  const auto game = static_cast<GameVariant>(state.range(0));
  const auto& tables = Tables(game);
  std::size_t lines = 0;
  for (auto _ : state) {
    const auto chart = lynx::BuildChart(tables, lynx::MachinePays(game), 5, DeckOf(state));
    lines = chart.lines.size();
  }
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_BuildChart)
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({3, 0})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

// The chart's exact return over every deal (tables and chart made before the
// timing); counters: the chart's return and best play's, in percent.
void BM_ChartReturn(benchmark::State& state) {
  const auto game = static_cast<GameVariant>(state.range(0));
  const auto& tables = Tables(game);
  const auto chart = lynx::BuildChart(tables, lynx::MachinePays(game), 5, DeckOf(state));
  lynx::PlayedReturn played;
  for (auto _ : state) played = lynx::ComputeChartReturn(tables, chart);
  state.counters["chart_pct"] = played.returnRatio * 100;
  state.counters["optimal_pct"] = played.optimalRatio * 100;
  state.counters["lines"] = static_cast<double>(chart.lines.size());
}
BENCHMARK(BM_ChartReturn)
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({3, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
