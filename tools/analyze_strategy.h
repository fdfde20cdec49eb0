#pragma once
// The analyser's strategy verbs: `advise` (every hold of one hand) and
// `return` (the whole game with best play).

#include <iosfwd>

#include "engine/deck.h"
#include "engine/strategy.h"

namespace lynx {

struct StrategyRequest {
  GameVariant game = kJacksOrBetter;
  int coins = kMaxCoins;                 // 1..5
  JokerDeck deck = JokerDeck::kMachine;  // kStandard53 only with Joker Wild
  int top = kHoldCount;                  // advise: how many holds to list, 1..32
  bool json = false;                     // JSON instead of text
  Hand hand{};                           // advise: five distinct cards of the game
};

// Prints the holds of request.hand, best first. Returns 0.
int PrintAdvice(const StrategyRequest& request, std::ostream& out);

// Computes and prints the game's return with best play, its row frequencies
// and the time taken; shows progress on err once it has run for a second.
// Returns 0.
int PrintGameReturn(const StrategyRequest& request, std::ostream& out, std::ostream& err);

}  // namespace lynx
