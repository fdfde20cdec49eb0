#pragma once
// Exact expected values of the 32 holds of a dealt hand.
//
// For a hand and a hold the solver counts, exactly and in integers, how many
// of the possible draws end in each pay row. The expected value in credits for
// a bet of `coins` coins is then sum(count[row] * Payout(row, coins)) / draws.
//
// Counting works on tables built once per game (see StrategyTables): the row
// of every five-card hand, and for every set of up to four cards the number of
// hands containing that set that end in each row. The draws of a hold are the
// hands that contain the held cards and none of the discarded ones; inclusion-
// exclusion over the discarded cards turns the "contain" counts into those.

#include <array>
#include <cstdint>
#include <vector>

#include "engine/card.h"
#include "engine/deck.h"
#include "engine/game_rules.h"
#include "engine/joker_deck.h"
#include "engine/pays.h"
#include "engine/paytable.h"

namespace lynx {

constexpr int kHoldCount = 32;  // hold masks 0..31; bit i holds hand[i]

// Draw counts of the paying rows 0..kMaxPayRows-1 (entries past the game's
// rowCount stay 0): 64 bytes.
using RowVector = std::array<std::int32_t, kMaxPayRows>;

// Draw counts of all 32 holds of one hand, indexed by hold mask.
struct HoldCounts {
  std::array<RowVector, kHoldCount> rows{};      // draws ending in each paying row
  std::array<std::int32_t, kHoldCount> draws{};  // all draws of the hold
};

// Tables of one game, built once (tens of milliseconds) and then only read,
// so threads may share them. About 24 MB for a game with the joker, 23 MB
// otherwise.
class StrategyTables {
 public:
  // The machine's game of variant 1..3 (any other value is Deuces Wild, as in
  // the evaluator).
  explicit StrategyTables(GameVariant variant);
  // Any game of the library.
  explicit StrategyTables(const GameRules& rules);

  // The game's family: kJacksOrBetter, kJokerWild or kDeucesWild.
  GameVariant Variant() const { return variant; }
  const GameRules& Rules() const { return *rules; }
  int RowCount() const { return rowCount; }
  // 52 for Jacks or Better and Deuces Wild, 53 (with the joker) for Joker Wild.
  int CardCount() const { return cardCount; }

  // ClassifyRules(hand, Rules()) read from the table: five distinct codes
  // 1..52 (or 53 in Joker Wild) in any order. Returns the row or -1.
  int RowOf(const Hand& hand) const;

  // Counts the draws of every hold of `hand` (five distinct cards of this
  // game). Jacks or Better, Deuces Wild: each of the C(47, k) sets of k cards
  // from the 47 unseen is one draw. Joker Wild, kStandard53: the C(48, k) sets
  // from the 48 unseen. Joker Wild, kMachine: see strategy.cpp; without the
  // joker in the hand every draw is counted once per possible missing card, so
  // a hold drawing k cards has 47 * C(47, k) draws; with the joker in the hand
  // it is C(48, k) as for the 53-card deck.
  void CountHolds(const Hand& hand, JokerDeck deck, HoldCounts& out) const;

 private:
  using RowCounts = std::int32_t[kMaxPayRows];  // draws ending in each row, while counting
  // to: the hands that contain the size cards of colex index at (a size of
  // 5 is the hand itself, more is no hand).
  void LoadContaining(std::int32_t* to, int size, std::uint32_t at) const;
  // f and draws of a hold of the machine's Joker Wild deck, the joker not
  // dealt; index: the colex index of each subset of the hand.
  void WeighMachineJoker(const std::uint32_t* index, RowCounts* f, std::int32_t* draws) const;

  const GameRules* rules;
  GameVariant variant;
  int rowCount;
  int cardCount;
  // rowOfHand[colex index of the five card indices] = row or -1.
  std::vector<std::int8_t> rowOfHand;
  // containing[k][colex index of k card indices]: for every five-card hand
  // that contains those k cards, one count in its row (k = 0..4).
  std::array<std::vector<RowVector>, 5> containing;
};

// One hold of a hand with its exact draw counts and value.
struct HoldValue {
  unsigned mask = 0;                               // bit i set: hand[i] held
  std::array<std::int64_t, kMaxPayRows> counts{};  // draws ending in row r
  std::int64_t noWin = 0;                          // draws ending in no paying row
  std::int64_t draws = 0;                          // all draws: the counts plus noWin
  std::int64_t payout = 0;  // credits won over all draws for the bet of coins
  double ev = 0;            // payout / draws: expected credits for the bet
  double evPerCoin = 0;     // ev / coins
};

struct HandAdvice {
  GameVariant variant = kJacksOrBetter;
  int coins = kMaxCoins;
  JokerDeck deck = JokerDeck::kMachine;
  Hand hand{};
  // All 32 holds, best first. Holds of exactly equal value (compared as exact
  // fractions) keep ascending mask order.
  std::array<HoldValue, kHoldCount> holds{};
  int bestCount = 0;  // holds[0 .. bestCount-1] all have the best value
};

// Values every hold of hand (five distinct cards of the tables' game) for a
// bet of coins 1..5.
HandAdvice AdviseHand(const StrategyTables& tables, const Hand& hand, int coins,
                      JokerDeck deck = JokerDeck::kMachine);
// The same with another pay table of the tables' game (pays.rowCount rows).
HandAdvice AdviseHand(const StrategyTables& tables, const Hand& hand, int coins, JokerDeck deck,
                      const Pays& pays);

// -1, 0 or 1 as a.payout / a.draws is less than, equal to or greater than
// b.payout / b.draws, compared exactly.
int CompareValue(const HoldValue& a, const HoldValue& b);

}  // namespace lynx
