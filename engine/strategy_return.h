#pragma once
// The return of a whole game: every deal the machine can make, weighted by
// how likely the machine is to make it, each played with its best hold.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/strategy.h"
#include "engine/strategy_classes.h"

namespace lynx {

enum class ReturnPolicy {
  kOptimal,    // every deal played with its best hold
  kNeverDraw,  // every deal kept as dealt (hold all five)
};

struct GameReturn {
  GameVariant variant = kJacksOrBetter;
  int coins = kMaxCoins;
  JokerDeck deck = JokerDeck::kMachine;
  ReturnPolicy policy = ReturnPolicy::kOptimal;
  double returnRatio = 0;   // expected credits won per credit bet (0.99 is 99%)
  std::string exactReturn;  // returnRatio as an exact reduced fraction "p/q"
  std::array<double, kMaxPayRows> rowProbability{};  // final hand in row r
  double noWinProbability = 0;                       // final hand pays nothing
  std::array<double, kMaxPayRows> rowReturn{};       // row r's part of returnRatio
  std::uint64_t deals = 0;                           // distinct five-card deals
  std::uint64_t classes = 0;                         // deals solved after folding suits
};

// Called now and then from the calling thread with the fraction done, 0..1.
using ProgressCallback = std::function<void(double fractionDone)>;

// Solves every deal class of the tables' game for a bet of coins 1..5.
// Deals are weighted as the deck deals them: all C(52, 5) alike in Jacks or
// Better and Deuces Wild; in Joker Wild with kStandard53 all C(53, 5) alike,
// with kMachine 48 : 47 for a deal with the joker against one without (a deal
// without it needs the missing card to be one of the 47 others, with it one of
// 48). Where several holds share the best value, the row frequencies use the
// one whose row probabilities are greatest, compared from row 0 down; this
// choice does not depend on the order of the cards or on the suits.
// threads: worker threads including the caller, 0 for one per core.
GameReturn ComputeReturn(const StrategyTables& tables, int coins,
                         JokerDeck deck = JokerDeck::kMachine,
                         ReturnPolicy policy = ReturnPolicy::kOptimal, int threads = 0,
                         const ProgressCallback& progress = {});

// The same over the given deal classes only (of the tables' game, as
// DealClasses makes them): the return of a game whose deals are those.
GameReturn ComputeReturn(const StrategyTables& tables, const std::vector<DealClass>& deals,
                         int coins, JokerDeck deck, ReturnPolicy policy, int threads = 0,
                         const ProgressCallback& progress = {});

// Both of the above with another pay table of the tables' game.
GameReturn ComputeReturn(const StrategyTables& tables, const Pays& pays, int coins,
                         JokerDeck deck = JokerDeck::kMachine,
                         ReturnPolicy policy = ReturnPolicy::kOptimal, int threads = 0,
                         const ProgressCallback& progress = {});
GameReturn ComputeReturn(const StrategyTables& tables, const std::vector<DealClass>& deals,
                         const Pays& pays, int coins, JokerDeck deck, ReturnPolicy policy,
                         int threads = 0, const ProgressCallback& progress = {});

// Sees every deal class as it is solved, on the worker (0..threads-1) that
// solved it: the counts of its holds, the hold played and the weight the
// return gives the class (its deals, times 48 or 47 on the machine's joker
// deck). Called from several threads at once, each with its own worker.
using DealVisitor = std::function<void(int worker, const HoldCounts& counts, unsigned held,
                                       std::uint64_t weight)>;
GameReturn ComputeReturn(const StrategyTables& tables, const std::vector<DealClass>& deals,
                         const Pays& pays, int coins, JokerDeck deck, ReturnPolicy policy,
                         int threads, const ProgressCallback& progress, const DealVisitor& visit);

// The hold the return plays of a hand's counts, pay[r] being what row r pays:
// the highest value; between holds of equal value, the one likelier to end
// in the higher rows, compared from row 0 down (so neither the order of the
// cards nor their suits change it).
unsigned ReturnHold(const HoldCounts& counts, const std::array<std::int64_t, kMaxPayRows>& pay);

}  // namespace lynx
