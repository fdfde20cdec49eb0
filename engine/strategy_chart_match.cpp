// Playing a hand by a chart: the first line it fits and the cards to hold.

#include "engine/evaluate.h"
#include "engine/strategy_chart.h"
#include "engine/strategy_chart_internal.h"

namespace lynx {

using namespace chart_internal;

ChartMatch MatchChart(const StrategyChart& chart, const Hand& hand) {
  const GameRules& rules = chart.pays.Rules();
  const int row = ClassifyRules(hand, rules);
  const Found found = FindLine(rules, hand, row, [&chart](PatternCode p) {
    for (std::size_t i = 0; i < chart.lines.size(); ++i) {
      if (chart.lines[i].pattern == p) return static_cast<int>(i);
    }
    return -1;
  });
  ChartMatch match;
  match.line = found.line;
  match.holdMask = found.mask;
  if (found.line >= 0) match.text = chart.lines[static_cast<std::size_t>(found.line)].text;
  return match;
}

}  // namespace lynx
