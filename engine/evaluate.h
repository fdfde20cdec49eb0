#pragma once
// Hand classification under the three games' rules.

#include <array>
#include <cstdint>
#include <string>

#include "engine/card.h"
#include "engine/deck.h"

namespace lynx {

// The evaluator's work table: five rows of (card code, evaluation rank, suit).
// The caller fills column 0; the evaluator fills columns 1 and 2 and leaves
// the rows sorted by descending rank, no longer in deal order.
struct HandTable {
  static constexpr int kCode = 0;
  static constexpr int kRank = 1;
  static constexpr int kSuit = 2;
  std::array<std::array<std::int16_t, 3>, 5> rows{};

  static HandTable FromHand(const Hand& hand);
};

// What one evaluation produces: the pay-table row (-1 for none), the credits
// won for coinsIn coins, and the message-line text.
struct Evaluation {
  std::int16_t winRow = -1;
  std::int16_t winAmount = 0;
  std::string message;
};

// Classifies the five cards in table column 0 under variant (1 Jacks or
// Better, 2 Joker Wild, any other value Deuces Wild), sorts the table, and
// computes the payout and message for coinsIn (0..5) coins.
Evaluation EvaluateHand(HandTable& table, GameVariant variant, int coinsIn);

// The pay-table row of a hand (-1 for none), without payout or message.
int ClassifyHand(const Hand& hand, GameVariant variant);

}  // namespace lynx
