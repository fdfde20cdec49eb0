#pragma once
// Which deck a game with the joker draws from.

namespace lynx {

// The deck the draw comes from in Joker Wild (the other games always deal the
// plain 52 cards and ignore this).
enum class JokerDeck {
  // The machine's deck: 52 positions in which the joker overwrote one random
  // ordinary card, so one ordinary card the player never sees is missing.
  kMachine,
  // The classic 53-card deck: 52 ordinary cards and the joker.
  kStandard53,
};

}  // namespace lynx
