#pragma once
// Fresh deals that fall on one line of a strategy chart, for practice by
// line: every deal of the chart's game sorted by the first line it fits, and
// a deal drawn from one line's deals as likely as the deck deals it.

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "engine/strategy_chart.h"
#include "engine/strategy_classes.h"

namespace lynx {

class LineDeals {
 public:
  // Sorts every deal class of the chart's game by MatchChart (a few tenths
  // of a second: off the window thread). threads as in ComputeReturn.
  explicit LineDeals(const StrategyChart& chart, int threads = 0);
  // Only the given deal classes (tests).
  LineDeals(const StrategyChart& chart, const std::vector<DealClass>& deals, int threads = 0);

  int LineCount() const { return static_cast<int>(byLine.size()); }
  // The share of all deals (as the deck deals them) that fall on line.
  double Share(int line) const;
  // A deal that falls on line: a deal class chosen by its weight, its suits
  // renamed at random and its cards in random order. Nothing for a line no
  // deal falls on (or out of range).
  std::optional<Hand> Deal(int line, std::mt19937_64& random) const;

 private:
  struct Entry {
    Hand hand{};
    double upTo = 0;  // the weights of the line's classes so far, this one included
  };
  std::vector<std::vector<Entry>> byLine;
  double total = 0;
};

}  // namespace lynx
