#pragma once
// A hand dealt and not yet drawn: everything needed to show it again and to
// draw exactly the cards the deck behind it holds. The machine makes it, the
// history journals it, and a machine takes it back after the program ended.

#include "engine/card.h"
#include "engine/deck.h"

namespace lynx {

struct HandInProgress {
  GameVariant game = kJacksOrBetter;
  int coins = 1;  // the stake, already taken from the credits
  Hand dealt{};   // positions 1..5
  int held = 0;   // stored hold mask (HoldMask::Stored), bit i for position i+1
  Deck deck;      // the whole deck; the draw takes positions 6.. in order
  bool demo = false;
  bool operator==(const HandInProgress&) const = default;
};

}  // namespace lynx
