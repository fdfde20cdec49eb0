// EvaluateHand per hand and Shuffle per deck.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/deck.h"
#include "engine/evaluate.h"

namespace {

std::vector<lynx::Hand> SampleHands(lynx::GameVariant game, int count) {
  lynx::SeededSource random(2024);
  std::vector<lynx::Hand> hands;
  lynx::Deck deck;
  for (int i = 0; i < count; ++i) {
    lynx::Shuffle(deck, game, random);
    hands.push_back(lynx::DealHand(deck));
  }
  return hands;
}

void BM_EvaluateHand(benchmark::State& state) {
  const auto game = static_cast<lynx::GameVariant>(state.range(0));
  const auto hands = SampleHands(game, 4096);
  std::size_t i = 0;
  for (auto _ : state) {
    lynx::HandTable t = lynx::HandTable::FromHand(hands[i++ & 4095]);
    benchmark::DoNotOptimize(lynx::EvaluateHand(t, game, 5));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateHand)->Arg(1)->Arg(2)->Arg(3);

void BM_ClassifyHand(benchmark::State& state) {
  const auto game = static_cast<lynx::GameVariant>(state.range(0));
  const auto hands = SampleHands(game, 4096);
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(lynx::ClassifyHand(hands[i++ & 4095], game));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ClassifyHand)->Arg(1)->Arg(2)->Arg(3);

void BM_Shuffle(benchmark::State& state) {
  const auto game = static_cast<lynx::GameVariant>(state.range(0));
  lynx::TimeSeededSource random;
  lynx::Deck deck;
  for (auto _ : state) {
    lynx::Shuffle(deck, game, random);
    benchmark::DoNotOptimize(deck);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Shuffle)->Arg(1)->Arg(2);

}  // namespace
