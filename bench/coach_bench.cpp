// The coach's work for one dealt hand: all 32 holds valued on the machine's
// deck, the best holds found, and the best hold played out for the shadow.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "coach/coach.h"
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

}  // namespace
