#pragma once
// The coach's judgement of a dealt hand: the exact value of every hold on
// this machine's deck, the best holds, what a hold costs against them, what
// best play would have drawn, and a running tally of the player's play.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/card.h"
#include "engine/deck.h"
#include "engine/pays.h"
#include "engine/random_source.h"
#include "engine/strategy.h"

namespace lynx {

// Two holds whose expected values differ by no more than this fraction of the
// larger one (or of one credit, when that is larger) count as equal: floating
// division can make exactly equal values differ in the last bits, and no
// difference that small is worth a warning. Real differences between holds
// are at least one draw in a few million, far above it.
inline constexpr double kTieTolerance = 1e-9;

// True when a and b (credits) are equal within kTieTolerance.
bool SameValue(double a, double b);

// A hold worth heldEv where best play is worth bestEv (credits) is a mistake:
// worth less than best play beyond the tie rule. Its cost is bestEv - heldEv.
bool IsMistake(double bestEv, double heldEv);

// The 32 holds of one dealt hand, valued for the stake on the deck the
// machine deals from (in Joker Wild the joker replaced one ordinary card), or
// for a game of the library on its pay table and deck.
struct HandJudgement {
  GameVariant game = kJacksOrBetter;        // the game's family
  Pays pays = MachinePays(kJacksOrBetter);  // the game (pays.Rules()) and its pay table
  int coins = kMaxCoins;
  Hand dealt{};
  std::array<double, kHoldCount> ev{};  // expected credits for the stake, by hold mask
  double bestEv = 0;                    // the largest of ev
  unsigned bestMask = 0;                // the first best hold in ascending mask order
  std::uint32_t bestSet = 0;            // bit m set: hold m is as good as the best
  int bestCount = 0;                    // holds in bestSet

  bool IsBest(unsigned mask) const { return (bestSet >> (mask & 31u) & 1u) != 0; }
  // Expected credits the hold gives up against best play; 0 for a best hold.
  double Cost(unsigned mask) const;
  // Every best hold, ascending.
  std::vector<unsigned> BestMasks() const;
};

// Values every hold of dealt (five distinct cards of the tables' game) for a
// stake of coins 1..5.
HandJudgement JudgeHand(const StrategyTables& tables, const Hand& dealt, int coins);
// The same on a pay table of the tables' game and a deck: any game of the
// library.
HandJudgement JudgeHand(const StrategyTables& tables, const Hand& dealt, int coins,
                        const Pays& pays, JokerDeck deck);

// The coach's verdict on the hold the player chose: what the history keeps
// of a judged game and what the windows tell the player.
struct HoldVerdict {
  double bestEv = 0;      // expected credits of best play for the stake
  double heldEv = 0;      // expected credits of the hold chosen
  std::string bestHolds;  // every best hold's mask, ascending, comma-separated: "15,31"
  bool mistake = false;   // worth less than best play beyond the tie rule (SameValue)
  double cost = 0;        // credits the mistake gives up; 0 for a best hold
};

// The verdict on holding mask (bit i holds card i; bits above 4 ignored) of
// the hand judgement values.
HoldVerdict JudgeHold(const HandJudgement& judgement, unsigned mask);

// The best hold played out with the cards the player's draw came from: the
// discards replaced from deck positions 6.. in order, as the machine draws.
struct ShadowPlay {
  unsigned mask = 0;
  Hand final{};
  int row = -1;  // pay-table row of the final hand, -1 for none
  int won = 0;   // credits it would have paid for the stake
};
ShadowPlay PlayBest(const HandJudgement& judgement, const Deck& deck);

// The holds of a hand as text, "AS KS -- -- TS": held cards by name,
// "--" for each discard; "Draw five" when nothing is held.
std::string HoldText(const Hand& dealt, unsigned mask);

// A deck to deal dealt again from, for practice: dealt in positions 1..5 and
// the rest as the machine's shuffle would leave them behind those cards. In
// Joker Wild one ordinary card the hand does not show is missing, the joker
// having taken its place. dealt: five distinct cards of game.
Deck PracticeDeck(const Hand& dealt, GameVariant game, UniformSource& random);

// Sums over played hands.
struct CoachTally {
  std::int64_t hands = 0;
  std::int64_t coinsBet = 0;
  std::int64_t won = 0;       // credits actually paid
  double heldEv = 0;          // expected credits of the holds the player chose
  double bestEv = 0;          // expected credits of best play
  std::int64_t mistakes = 0;  // hands held worse than best play
  double mistakeCost = 0;     // expected credits those holds gave up

  void Add(const HandJudgement& judgement, unsigned heldMask, int won);
  // Per coin bet, 0 before the first hand: 0.97 is a 97% return.
  double ActualReturn() const;
  double HeldReturn() const;
  double BestReturn() const;
};

}  // namespace lynx
