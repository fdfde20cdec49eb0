// The strategy engine: table building, advice for one hand, and the return of
// a whole game (tables included).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "engine/deck.h"
#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/strategy.h"
#include "engine/strategy_return.h"

namespace {

using lynx::GameVariant;
using lynx::JokerDeck;

// Hands dealt by the machine's own shuffle: a varied mix of every kind.
std::vector<lynx::Hand> DealtHands(GameVariant game, int count) {
  lynx::SeededSource random(1957);
  lynx::Deck deck;
  std::vector<lynx::Hand> hands;
  for (int i = 0; i < count; ++i) {
    lynx::Shuffle(deck, game, random);
    hands.push_back(lynx::DealHand(deck));
  }
  return hands;
}

const lynx::StrategyTables& Tables(GameVariant game) {
  static std::unique_ptr<lynx::StrategyTables> built[3];
  auto& slot = built[game - 1];
  if (!slot) slot = std::make_unique<lynx::StrategyTables>(game);
  return *slot;
}

JokerDeck DeckOf(const benchmark::State& state) {
  return state.range(1) == 0 ? JokerDeck::kMachine : JokerDeck::kStandard53;
}

void BM_BuildTables(benchmark::State& state) {
  const auto game = static_cast<GameVariant>(state.range(0));
  for (auto _ : state) {
    lynx::StrategyTables tables(game);
    benchmark::DoNotOptimize(tables.RowCount());
  }
}
BENCHMARK(BM_BuildTables)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// Mean time of AdviseHand over 4096 dealt hands, and (counter hand_median_us)
// the median of the hands timed one by one.
void BM_AdviseHand(benchmark::State& state) {
  const auto game = static_cast<GameVariant>(state.range(0));
  const JokerDeck deck = DeckOf(state);
  const auto& tables = Tables(game);
  const auto hands = DealtHands(game, 4096);
  std::vector<double> each;
  for (const auto& hand : hands) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(lynx::AdviseHand(tables, hand, 5, deck));
    each.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::nth_element(each.begin(), each.begin() + static_cast<long>(each.size() / 2), each.end());
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(lynx::AdviseHand(tables, hands[i++ & 4095], 5, deck));
  state.counters["hand_median_us"] = each[each.size() / 2];
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AdviseHand)
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({3, 0})
    ->Unit(benchmark::kMicrosecond);

// The library's games by name: one hand's 32 holds (mean over 4096 deals)
// and the whole game's return with its first table, tables built inside.
const lynx::GameRules& LibraryGame(const benchmark::State& state) {
  return lynx::GameLibrary()[static_cast<std::size_t>(state.range(0))];
}

void BM_LibraryAdviseHand(benchmark::State& state) {
  const lynx::GameRules& game = LibraryGame(state);
  state.SetLabel(std::string(game.name));
  const lynx::StrategyTables tables(game);
  const lynx::Pays pays = lynx::DefaultPays(game);
  const auto hands = DealtHands(game.family, 4096);
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(lynx::AdviseHand(tables, hands[i++ & 4095], 5, game.deck, pays));
}

void BM_LibraryReturn(benchmark::State& state) {
  const lynx::GameRules& game = LibraryGame(state);
  state.SetLabel(std::string(game.name));
  for (auto _ : state) {
    const lynx::StrategyTables tables(game);
    benchmark::DoNotOptimize(
        lynx::ComputeReturn(tables, lynx::DefaultPays(game), 5, game.deck).returnRatio);
  }
}

// Double Double Bonus (13 rows), Bonus Deuces Wild (13 rows, deuces) and
// Joker Poker (the 53 cards).
void LibraryGames(benchmark::internal::Benchmark* b) {
  for (const char* name : {"double-double-bonus", "bonus-deuces", "joker-kings"}) {
    const auto games = lynx::GameLibrary();
    for (std::size_t i = 0; i < games.size(); ++i)
      if (games[i].name == name) b->Arg(static_cast<int>(i));
  }
}
BENCHMARK(BM_LibraryAdviseHand)->Apply(LibraryGames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LibraryReturn)->Apply(LibraryGames)->Unit(benchmark::kMillisecond)->UseRealTime();

// The return of a whole game with best play, tables built inside the timing.
void BM_GameReturn(benchmark::State& state) {
  const auto game = static_cast<GameVariant>(state.range(0));
  const JokerDeck deck = DeckOf(state);
  for (auto _ : state) {
    const lynx::StrategyTables tables(game);
    benchmark::DoNotOptimize(lynx::ComputeReturn(tables, 5, deck).returnRatio);
  }
}
BENCHMARK(BM_GameReturn)
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({3, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
