#pragma once
// Strategy charts: a short ranked list of hold patterns that a player can
// follow ("Four to a royal flush", "High pair (jacks or better)", "Low pair",
// ...). To play a dealt hand by the chart, find the first line that some set
// of its cards fits and hold those cards; if a line fits several sets of
// cards, hold the set with the highest cards (ranks compared from the top,
// ace high; wild cards do not count), and if that still ties, the set that
// holds the earliest card of the hand where the two differ. The last line is
// always "Discard everything", which every hand fits.
//
// The chart of a game, deck, pay table and bet is made by BuildChart from the
// exact values of every hold of every deal (see docs/strategy.md); its return
// and how far it falls short of best play come from ComputeChartReturn.
//
// For the coach of the game, the stable calls are:
//   StrategyChart chart = BuildChart(tables, pays, coins, deck);   // once
//   ChartMatch m = MatchChart(chart, hand);
//   // "Line " + std::to_string(m.line + 1) + ": " + m.text, hold m.holdMask
// Building a chart takes seconds (see docs/strategy.md), so do it once per
// game and off the interface thread; MatchChart takes microseconds and only
// reads the chart, so any number of threads may share one.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/deck.h"
#include "engine/pays.h"
#include "engine/strategy.h"
#include "engine/strategy_classes.h"

namespace lynx {

// What a set of held cards is, packed in 20 bits: the kind of pattern and its
// details (cards held, wild cards held, ...). PatternText gives its words.
using PatternCode = std::uint32_t;

constexpr int kMaxPatterns = 24;  // patterns one hold fits at most
using HoldPatternList = std::array<PatternCode, kMaxPatterns>;

// Every pattern that holding the cards of `mask` (bit i: hand[i]) of the dealt
// hand fits, in no particular order; returns how many. row is the dealt
// hand's pay row (ClassifyHand), used when all five are held; -1 for none.
// Holding nothing fits only the "Discard everything" pattern.
int HoldPatterns(const GameRules& rules, const Hand& hand, unsigned mask, int row,
                 HoldPatternList& out);
// The same for the machine's game of variant.
int HoldPatterns(GameVariant variant, const Hand& hand, unsigned mask, int row,
                 HoldPatternList& out);

// The pattern's line in words, e.g. "Four to an outside straight",
// "Three to a royal flush with the joker", "Unsuited KQJ".
std::string PatternText(const GameRules& rules, PatternCode pattern);
std::string PatternText(GameVariant variant, PatternCode pattern);

// The "Discard everything" pattern.
PatternCode DiscardEverything();

struct ChartLine {
  PatternCode pattern = 0;
  std::string text;  // PatternText of the pattern
};

struct StrategyChart {
  Pays pays;  // the game (pays.Rules()) and its pay table
  int coins = kMaxCoins;
  JokerDeck deck = JokerDeck::kMachine;
  std::vector<ChartLine> lines;  // best first; the last is "Discard everything"
};

struct ChartMatch {
  int line = -1;          // index into chart.lines (0 is the top line; show it as line + 1)
  std::string text;       // chart.lines[line].text
  unsigned holdMask = 0;  // the cards the line says to hold: bit i holds hand[i]
};

// The first line of chart that the dealt hand (five distinct cards of the
// chart's game) fits, and the cards to hold. Every hand fits the last line.
ChartMatch MatchChart(const StrategyChart& chart, const Hand& hand);

struct ChartOptions {
  int maxLines = 40;  // lines of the chart at most, "Discard everything" included
  int threads = 0;    // worker threads including the caller, 0 for one per core
  // When set, the build looks at it now and then and, once it is true, gives
  // up soon after (well under a second) and returns a chart without lines.
  const std::atomic<bool>* stop = nullptr;
};

// Makes the chart of the tables' game for pays (pays.variant must be the
// tables' game), coins 1..5 and deck.
StrategyChart BuildChart(const StrategyTables& tables, const Pays& pays, int coins,
                         JokerDeck deck = JokerDeck::kMachine, const ChartOptions& options = {});
// The same made from the given deal classes only (DealClasses of the game, or
// some of them).
StrategyChart BuildChart(const StrategyTables& tables, const std::vector<DealClass>& deals,
                         const Pays& pays, int coins, JokerDeck deck,
                         const ChartOptions& options = {});

// A "Pat <X> or better" line names the pat hands it may take, not the ones
// that reach it past the lines above (a pat three of a kind may already have
// been taken by "Three of a kind"). Renames each such line after the hands
// of deals that do reach it: "Pat <X>" when they are all of one row X, else
// "Pat <X> or better" with X the lowest of their rows. The chart takes the
// same hold on every deal as before. BuildChart does this last.
void NarrowPatLines(StrategyChart& chart, const std::vector<DealClass>& deals);

// A way of playing: the hold mask played on a dealt hand.
using HoldChooser = std::function<unsigned(const Hand& hand)>;

struct PlayedReturn {
  double returnRatio = 0;     // credits won per credit bet, playing by the chooser
  std::string exactReturn;    // the same as an exact reduced fraction "p/q"
  double optimalRatio = 0;    // the same with a best hold on every deal
  std::string exactOptimal;   // exact fraction of optimalRatio
  double differentShare = 0;  // share 0..1 of the deals (weighted) where the chosen
                              // hold is worth less than a best hold
  std::uint64_t deals = 0;    // distinct deals
};

// Plays every deal of deals (deal classes of the tables' game) with the
// chooser's hold and, for comparison, with a best hold; deals weighted as in
// ComputeReturn. The sums are exact. The chooser is called from `threads`
// threads at once (0: one per core).
PlayedReturn ComputePlayedReturn(const StrategyTables& tables, const std::vector<DealClass>& deals,
                                 const Pays& pays, int coins, JokerDeck deck,
                                 const HoldChooser& chooser, int threads = 0);

// Every deal of the chart's game played by the chart (ComputePlayedReturn
// with MatchChart over all the deal classes). tables must be the chart's game.
PlayedReturn ComputeChartReturn(const StrategyTables& tables, const StrategyChart& chart,
                                int threads = 0);
// The same over the given deal classes only.
PlayedReturn ComputeChartReturn(const StrategyTables& tables, const StrategyChart& chart,
                                const std::vector<DealClass>& deals, int threads = 0);

}  // namespace lynx
