#pragma once
// The deck, its shuffle, the demonstration hands, and the deal/draw order.

#include <array>
#include <cstdint>

#include "engine/card.h"
#include "engine/hold_mask.h"
#include "engine/random_source.h"

namespace lynx {

// Positions 1..52. A game reads positions 1..5 for the deal and 6..10 for
// the replacements.
class Deck {
 public:
  static constexpr int kSize = 52;
  // Starts in code order: position p holds code p.
  Deck();
  // position 1..52.
  CardCode At(int position) const { return cards[static_cast<std::size_t>(position - 1)]; }
  void Set(int position, CardCode code) { cards[static_cast<std::size_t>(position - 1)] = code; }
  void FillInCodeOrder();
  void Swap(int a, int b);
  bool operator==(const Deck&) const = default;

 private:
  std::array<CardCode, kSize> cards{};
};

// Refills the deck in code order and shuffles it: twenty passes of 52 swaps,
// each position with a uniformly chosen one. In Joker Wild the joker then
// overwrites one random position (one ordinary card is missing from that
// game). The source is re-seeded before the passes and before the joker.
void Shuffle(Deck& deck, GameVariant variant, UniformSource& random);

// Demonstration codes that stack a fixed hand instead of shuffling.
constexpr int kDemoRoyal = 2413;
constexpr int kDemoSecond = 3142;
constexpr int kDemoThird = 4321;
constexpr bool IsDemoCode(int demoCode) {
  return demoCode == kDemoRoyal || demoCode == kDemoSecond || demoCode == kDemoThird;
}

// Writes the demonstration sequence of (variant, demoCode) into positions
// 1..10. Positions 11..52 are not touched. A variant outside 1..3 or a code
// other than the three leaves the deck as it was.
void StackDemoHand(Deck& deck, GameVariant variant, int demoCode);

// The deal: positions 1..5. The draw: each not-held hand position, from the
// left, takes the next deck position from 6 on. Held positions keep their card.
using Hand = std::array<CardCode, 5>;
Hand DealHand(const Deck& deck);
// Returns the hand after the draw that keeps the positions held holds.
Hand DrawHand(const Deck& deck, const Hand& dealt, HoldMask held);

// True when hand is five distinct cards of game 1..3: codes 1..52, and in
// Joker Wild also the joker (53). False for any other game.
bool ValidHand(GameVariant game, const Hand& hand);
// True when final can follow dealt in game with the hold mask held (bit i
// holds position i+1): both are valid hands, held is in 0..31, and every held
// position keeps its dealt card.
bool ValidDraw(GameVariant game, const Hand& dealt, int held, const Hand& final);

}  // namespace lynx
