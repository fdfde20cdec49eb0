// The coach's work for one dealt hand: all 32 holds valued on the machine's
// deck, the best holds found, and the best hold played out for the shadow.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "coach/chart_cache.h"
#include "coach/coach.h"
#include "coach/tables_cache.h"
#include "engine/deck.h"
#include "engine/random_source.h"

namespace {

using lynx::GameVariant;

const lynx::StrategyTables& Tables(GameVariant game) {
  static std::array<std::unique_ptr<lynx::StrategyTables>, 3> built;
  auto& slot = built[static_cast<std::size_t>(game - 1)];
  if (!slot) slot = std::make_unique<lynx::StrategyTables>(game);
  return *slot;
}

// Decks shuffled as the machine shuffles them, from a fixed seed.
std::vector<lynx::Deck> Decks(GameVariant game, int count) {
  lynx::SeededSource random(12345);
  std::vector<lynx::Deck> decks(static_cast<std::size_t>(count));
  for (auto& deck : decks) lynx::Shuffle(deck, game, random);
  return decks;
}

void BM_CoachPerHand(benchmark::State& state) {
  const auto game = static_cast<GameVariant>(state.range(0));
  const auto& tables = Tables(game);
  const auto decks = Decks(game, 1024);
  std::size_t i = 0;
  for (auto _ : state) {
    const lynx::Deck& deck = decks[i++ & 1023];
    const lynx::HandJudgement judgement = lynx::JudgeHand(tables, lynx::DealHand(deck), 5);
    benchmark::DoNotOptimize(lynx::PlayBest(judgement, deck).won);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CoachPerHand)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// From a table opening (the coach asks for its game's tables) to the tables
// being ready to value holds.
void BM_TablesReady(benchmark::State& state) {
  const auto game = static_cast<GameVariant>(state.range(0));
  for (auto _ : state) {
    lynx::TablesCache cache;
    cache.Prepare(game);
    benchmark::DoNotOptimize(&cache.Wait(game));
  }
}
BENCHMARK(BM_TablesReady)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// From a table opening to its five-coin strategy chart being ready, built
// the way the coach builds it (one core fewer than the machine has, lowered
// priority), tables included.
void BM_ChartReady(benchmark::State& state) {
  const auto game = static_cast<GameVariant>(state.range(0));
  for (auto _ : state) {
    lynx::TablesCache tables;
    lynx::ChartCache charts(tables);
    charts.Prepare(game, 5);
    while (charts.Find(game, 5) == nullptr)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}
BENCHMARK(BM_ChartReady)->Arg(1)->Arg(2)->Arg(3)->Iterations(1)->Unit(benchmark::kSecond);

// Leaving while a chart is being built: how long the program waits for the
// build to give up (timed from the stop, after a second of building).
void BM_ChartStop(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    lynx::TablesCache tables;
    tables.Wait(lynx::kJokerWild);
    auto charts = std::make_unique<lynx::ChartCache>(tables);
    charts->Prepare(lynx::kJokerWild, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(state.range(0)));
    state.ResumeTiming();
    charts.reset();
  }
}
BENCHMARK(BM_ChartStop)->Arg(1000)->Arg(3000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
