#pragma once
// The ride of a game, not only its return: the exact distribution of what one
// deal pays with best play, and from it the variance, the royal cycle, the
// chance of losing a bankroll in a session or for ever, and the bankroll a
// player needs.
//
// Money is counted in units: the greatest common divisor of the stake of one
// hand (the coins) and of everything a row pays, so every figure of a walk is
// a whole number of units. With five coins on the usual tables a unit is one
// bet of five credits.
//
// With several hands a deal, the hands share the dealt cards and the hold and
// each draws from its own copy of the remaining cards, so given the deal the
// hands are independent and alike; a deal's total is exact from the deal's
// own distribution over the rows raised to the number of hands.

#include <array>
#include <complex>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/pays.h"
#include "engine/strategy.h"
#include "engine/strategy_return.h"

namespace lynx {

// The hand counts the figures are offered for; any count from 1 up works.
inline constexpr int kRiskHandCounts[] = {1, 3, 5, 10};

struct DealDistribution {
  GameReturn ret;  // the return with best play, as ComputeReturn gives it
  int coins = kMaxCoins;
  int hands = 1;   // hands dealt from one hold
  int unit = 1;    // credits in a unit
  int stake = 1;   // units one deal costs: hands * coins / unit
  // Units each row pays (rows 0..rowCount-1).
  std::array<std::int64_t, kMaxPayRows> rowUnits{};

  // One hand, in bets (a bet is the stake of one hand).
  double variance = 0;       // of one hand's result
  double deviation = 0;      // its square root
  double covariance = 0;     // between two hands of one deal
  double royalCycle = 0;     // hands per top-row hand (0 when it never comes)
  double payingChance = 0;   // a hand pays anything
  // One deal, in bets: the variance of its total, hands * variance +
  // hands * (hands - 1) * covariance, and its square root.
  double dealVariance = 0;
  double dealDeviation = 0;
  double dealRoyalChance = 0;  // at least one top-row hand in a deal

  // totals[t]: the chance that a deal pays back t units in all (its stake
  // not taken off). Sums to 1.
  std::vector<double> totals;
};

// Works out the distribution of one deal of `hands` hands (1 or more) with
// best play, for pays and coins 1..5 on the tables' game. threads as in
// ComputeReturn; progress 0..1 from the calling thread.
DealDistribution ComputeDealDistribution(const StrategyTables& tables, const Pays& pays, int coins,
                                         int hands, JokerDeck deck, int threads = 0,
                                         const ProgressCallback& progress = {});

// The same over the given deal classes only (tests check a few deals by hand).
DealDistribution ComputeDealDistribution(const StrategyTables& tables,
                                         const std::vector<DealClass>& deals, const Pays& pays,
                                         int coins, int hands, JokerDeck deck, int threads = 0,
                                         const ProgressCallback& progress = {});

// ----- The long run ---------------------------------------------------------

// The chance of ever losing a bankroll of `bankroll` units playing on for
// ever: 1 when the game returns 100% or less. A bankroll below one deal's
// stake is lost already. Exact: the walk loses at most one stake a deal, so
// it leaves each band of `stake` units through the band below; the chance of
// that is a sum over the `stake` roots z of z^stake = E[z^total] inside the
// unit circle, each raised to the bankroll (for one hand a deal, a single
// root: the chance is z^bankroll).
class LongRunRisk {
 public:
  explicit LongRunRisk(const DealDistribution& deal);
  // 1 for an unfavourable game or a bankroll below the stake; NaN if the
  // roots could not be found (Solved() false).
  double RuinChance(std::int64_t bankroll) const;
  // The least bankroll in units whose chance of ruin is at most `risk`
  // (0 < risk < 1); -1 when no bankroll is enough or the roots are unknown.
  std::int64_t BankrollFor(double risk) const;
  bool Favourable() const { return favourable; }
  bool Solved() const { return solved; }

 private:
  int stake = 1;
  bool favourable = false;
  bool solved = false;
  std::vector<std::complex<double>> roots;
  std::vector<std::complex<double>> weights;  // the coefficient of each root
};

// ----- A session ------------------------------------------------------------

struct SessionFigures {
  std::int64_t bankroll = 0;  // units at the start
  int deals = 0;              // deals the session would last
  double ruinChance = 0;      // the bankroll gone (less than a stake) before the last deal
  double aheadChance = 0;     // more than the bankroll at the end
  double evenChance = 0;      // exactly the bankroll at the end
  double royalChance = 0;     // at least one top-row hand, the whole session played
  // End balance in units at the 5th, 25th, 50th, 75th and 95th percentile
  // (a ruined session ends with what was left).
  std::array<std::int64_t, 5> percentiles{};
  // endBalance[b]: the chance of ending with b units.
  std::vector<double> endBalance;
  double dropped = 0;  // chance left out as too small to matter (below 1e-15 in all)
};

inline constexpr std::array<int, 5> kPercentiles = {5, 25, 50, 75, 95};

// The session of `deals` deals from `bankroll` units, by dynamic programming
// over the balance with the deal's exact distribution.
SessionFigures ComputeSession(const DealDistribution& deal, std::int64_t bankroll, int deals);

// The chance of losing the bankroll within `deals` deals for every bankroll
// from 0 up: ruin[b]. Past the end of the vector the chance is below 1e-18.
std::vector<double> SessionRuinByBankroll(const DealDistribution& deal, int deals);

// The least bankroll in units with a session ruin chance of at most `risk`.
std::int64_t SessionBankrollFor(const std::vector<double>& ruinByBankroll, double risk);

// The share of sessions of `deals` deals, played out whatever the balance,
// that end strictly worse than `result` units won (negative: lost).
double ShareOfSessionsBelow(const DealDistribution& deal, int deals, std::int64_t result);

// ----- The check by sampling --------------------------------------------------

struct SampledDeals {
  int deals = 0;
  double meanBets = 0;      // mean total of a deal, in bets
  double varianceBets = 0;  // sample variance of a deal's total, in bets
  // Half the width of the 99.9% confidence interval of each.
  double meanHalfWidth = 0;
  double varianceHalfWidth = 0;
};

// Deals `deals` random deals from a 52- or 53-card deck (not the machine's
// joker deck), each with the hold the return plays and `hands` draws from
// the rest, and measures the deal totals. Repeatable for a seed.
SampledDeals SampleDeals(const StrategyTables& tables, const Pays& pays, int coins, int hands,
                         int deals, std::uint32_t seed);

}  // namespace lynx
