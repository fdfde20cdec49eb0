#include "engine/strategy_chart.h"

#include <algorithm>

#include "engine/evaluate.h"
#include "engine/strategy_chart_internal.h"

namespace lynx {

using namespace chart_internal;

void NarrowPatLines(StrategyChart& chart, const std::vector<DealClass>& deals) {
  const GameRules& rules = chart.pays.Rules();
  std::vector<int> lowest(chart.lines.size(), -1), highest(chart.lines.size(), kMaxPayRows);
  bool any = false;
  for (const ChartLine& line : chart.lines)
    any = any || (KindOf(line.pattern) == kPat && COf(line.pattern));
  if (!any) return;
  for (const DealClass& d : deals) {
    const ChartMatch m = MatchChart(chart, d.hand);
    if (m.line < 0) continue;
    const auto i = static_cast<std::size_t>(m.line);
    if (KindOf(chart.lines[i].pattern) != kPat || !COf(chart.lines[i].pattern)) continue;
    const int row = ClassifyRules(d.hand, rules);
    lowest[i] = std::max(lowest[i], row);
    highest[i] = std::min(highest[i], row);
  }
  for (std::size_t i = 0; i < chart.lines.size(); ++i) {
    if (lowest[i] < 0) continue;
    const PatternCode narrowed = Code(kPat, 5, 0, lowest[i], 0, lowest[i] == highest[i] ? 0 : 1);
    chart.lines[i] = {narrowed, PatternText(rules, narrowed)};
  }
}

StrategyChart BuildChart(const StrategyTables& tables, const Pays& pays, int coins, JokerDeck deck,
                         const ChartOptions& options) {
  return BuildChart(tables, DealClasses(tables.Variant()), pays, coins, deck, options);
}

StrategyChart BuildChart(const StrategyTables& tables, const std::vector<DealClass>& deals,
                         const Pays& pays, int coins, JokerDeck deck, const ChartOptions& options) {
  const GameRules& rules = tables.Rules();
  StrategyChart chart;
  chart.pays = pays;
  chart.pays.rules = &rules;
  chart.coins = coins;
  chart.deck = deck;
  if (!deals.empty()) {
    const Prepared prepared =
        Prepare(tables, deals, pays, coins, deck, options.threads, options.stop);
    if (StopAsked(options.stop)) return chart;
    for (const PatternCode code : RankPatterns(prepared, options.maxLines, options.stop))
      chart.lines.push_back({code, PatternText(rules, code)});
  }
  chart.lines.push_back({DiscardEverything(), PatternText(rules, DiscardEverything())});
  NarrowPatLines(chart, deals);
  return chart;
}

}  // namespace lynx
