#include "engine/line_deals.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "engine/parallel.h"

namespace lynx {

LineDeals::LineDeals(const StrategyChart& chart, int threads)
    : LineDeals(chart, DealClasses(chart.pays.Rules().family), threads) {}

LineDeals::LineDeals(const StrategyChart& chart, const std::vector<DealClass>& deals, int threads)
    : byLine(chart.lines.size()) {
  const bool machineJoker =
      chart.pays.Rules().wilds == Wilds::kJoker && chart.deck == JokerDeck::kMachine;
  std::vector<int> line(deals.size(), -1);
  ParallelFor(deals.size(), threads,
              [&](std::size_t i, int) { line[i] = MatchChart(chart, deals[i].hand).line; });
  for (std::size_t i = 0; i < deals.size(); ++i) {
    if (line[i] < 0 || line[i] >= LineCount()) continue;
    // Weighed as the return weighs the deals (the machine's joker deck deals
    // a hand with the joker 48 times for 47 without).
    double weight = deals[i].deals;
    if (machineJoker) weight *= deals[i].joker ? 48 : 47;
    auto& entries = byLine[static_cast<std::size_t>(line[i])];
    entries.push_back({deals[i].hand, (entries.empty() ? 0 : entries.back().upTo) + weight});
    total += weight;
  }
}

double LineDeals::Share(int l) const {
  if (l < 0 || l >= LineCount() || total == 0) return 0;
  const auto& entries = byLine[static_cast<std::size_t>(l)];
  return entries.empty() ? 0 : entries.back().upTo / total;
}

std::optional<Hand> LineDeals::Deal(int l, std::mt19937_64& random) const {
  if (l < 0 || l >= LineCount()) return std::nullopt;
  const auto& entries = byLine[static_cast<std::size_t>(l)];
  if (entries.empty()) return std::nullopt;
  const double at = std::uniform_real_distribution<double>(0, entries.back().upTo)(random);
  const auto chosen = std::upper_bound(entries.begin(), entries.end(), at,
                                       [](double v, const Entry& e) { return v < e.upTo; });
  Hand hand = (chosen == entries.end() ? entries.back() : *chosen).hand;
  // Every rule compares suits only for equality, so renaming them keeps the
  // line; each member of the class comes as often as any other.
  std::array<int, 4> suit{0, 1, 2, 3};
  std::shuffle(suit.begin(), suit.end(), random);
  for (CardCode& c : hand)
    if (c != kJoker) c = MakeCard(Rank(c), suit[static_cast<std::size_t>(SuitIndex(c))]);
  std::shuffle(hand.begin(), hand.end(), random);
  return hand;
}

}  // namespace lynx
