#pragma once
// The figures of the Game facts window, worked out away from the window
// thread in two steps: what one deal of a game does (its distribution and
// the long run), once for each game, pays, coins and hands a deal; then a
// session from a bankroll. The player counts in credits; the engine counts
// in units of deal.unit credits, and these functions turn one into the other.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/risk.h"
#include "engine/strategy.h"

namespace lynx {

// What the window shows the figures of.
struct GameFactsChoice {
  const GameRules* rules = nullptr;
  Pays pays;
  std::string table;  // a named table of the game ("9/6", "machine"), or "custom"
  int coins = 5;      // a hand, 1..5
  int hands = 1;      // a deal: 1, 3, 5 or 10
};

// The risks the bankrolls are worked out for: 1%, 5% and 10%.
inline constexpr std::array<double, 3> kFactsRisks = {0.01, 0.05, 0.10};

// The hands a session may last, and those an hour (the window's limits).
inline constexpr int kMostSessionHands = 10000;
inline constexpr int kMostHandsAnHour = 5000;

struct DealFacts {
  std::shared_ptr<const DealDistribution> deal;
  std::shared_ptr<const LongRunRisk> longRun;
  // Credits needed for a long-run risk of each of kFactsRisks; -1 where no
  // bankroll is enough (a game at or under 100%) or the roots were not found.
  std::array<std::int64_t, 3> longRunBankroll{-1, -1, -1};
};

// One deal of choice with best play, on the game's own deck.
DealFacts WorkOutDeal(const StrategyTables& tables, const GameFactsChoice& choice);

// The deals a session of hands takes at handsADeal hands a deal: every
// deal is played out, so a part of one counts as a whole.
int DealsForHands(int hands, int handsADeal);

struct SessionFacts {
  std::int64_t bankroll = 0;  // credits at the start
  int hands = 0;              // hands asked for
  int deals = 0;              // deals that takes
  double ruinChance = 0;      // the bankroll lost (less than a deal's stake left)
  double aheadChance = 0;     // more credits at the end than at the start
  double royalChance = 0;     // at least one top-row hand
  // End balance in credits at the 5th, 25th, 50th, 75th and 95th percentile.
  std::array<std::int64_t, 5> percentiles{};
  // Credits needed for a session risk of each of kFactsRisks.
  std::array<std::int64_t, 3> sessionBankroll{};
  // The chance of ever losing the bankroll playing on for ever: 1 for a game
  // at or under 100%, NaN where it could not be worked out.
  double longRunRuin = 1;
  // endBalance[i]: the chance of ending with endBase + i * unit credits.
  std::vector<double> endBalance;
  std::int64_t endBase = 0;
  int unit = 1;
};

// A session of hands (rounded up to whole deals) from bankroll credits.
// Credits short of a whole unit stay in the bankroll untouched.
SessionFacts WorkOutSession(const DealDistribution& deal, const LongRunRisk& longRun,
                            std::int64_t bankroll, int hands);

}  // namespace lynx
