// The Jacks or Better and Deuces Wild charts (the machine's pays, five coins,
// 40 lines) against the copies committed under tests/engine/data, line by
// line, with their exact returns. A change in the patterns, their words, the
// tie rule or the optimiser shows here as the lines that moved.
//
// After a deliberate change, LYNX_UPDATE_PINNED=1 rewrites the files from the
// code instead of comparing (check the new figures before committing them).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/pays.h"
#include "engine/strategy_chart.h"
#include "tests/support/strategy_tables.h"

#ifndef LYNX_ENGINE_TEST_DATA
#error "LYNX_ENGINE_TEST_DATA must name the folder of the pinned charts"
#endif

namespace lynx {
namespace {

// The chart as the file holds it: "<n> <text>" for each line from 1, then the
// chart's return and the best-play return as exact fractions.
std::vector<std::string> ChartText(GameVariant game) {
  const StrategyTables& tables = testing_support::Tables(game);
  const StrategyChart chart = BuildChart(tables, MachinePays(game), 5);
  const PlayedReturn played = ComputeChartReturn(tables, chart);
  std::vector<std::string> text;
  for (std::size_t i = 0; i < chart.lines.size(); ++i)
    text.push_back(std::to_string(i + 1) + " " + chart.lines[i].text);
  text.push_back("chart return " + played.exactReturn);
  text.push_back("best play " + played.exactOptimal);
  return text;
}

// Every line where the two differ, one pair of lines each; empty when none.
std::string Differences(const std::vector<std::string>& pinned,
                        const std::vector<std::string>& built) {
  std::string out;
  for (std::size_t i = 0; i < std::max(pinned.size(), built.size()); ++i) {
    const std::string a = i < pinned.size() ? "\"" + pinned[i] + "\"" : "(no line)";
    const std::string b = i < built.size() ? "\"" + built[i] + "\"" : "(no line)";
    if (a != b)
      out += "line " + std::to_string(i + 1) + ": pinned " + a + "\n        built  " + b + "\n";
  }
  return out;
}

void ExpectPinned(GameVariant game, const std::string& file) {
  const std::string path = std::string(LYNX_ENGINE_TEST_DATA) + "/" + file;
  const std::vector<std::string> built = ChartText(game);
  if (std::getenv("LYNX_UPDATE_PINNED") != nullptr) {
    std::ofstream out(path);
    for (const std::string& line : built) out << line << '\n';
    ASSERT_TRUE(out.good()) << "cannot write " << path;
    return;
  }
  std::ifstream in(path);
  ASSERT_TRUE(in.good()) << "cannot read " << path;
  std::vector<std::string> pinned;
  for (std::string line; std::getline(in, line);) pinned.push_back(line);
  const std::string differences = Differences(pinned, built);
  EXPECT_TRUE(differences.empty()) << "the chart built differs from " << path << ":\n"
                                   << differences;
}

TEST(PinnedCharts, JacksOrBetter) {
  ExpectPinned(kJacksOrBetter, "jacks_or_better_chart.txt");
}

TEST(PinnedCharts, DeucesWild) {
  ExpectPinned(kDeucesWild, "deuces_wild_chart.txt");
}

}  // namespace
}  // namespace lynx
