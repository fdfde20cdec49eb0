#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "engine/game_rules.h"
#include "engine/risk.h"
#include "tests/support/analyze_run.h"

namespace lynx {
namespace {

using testing_support::Analyze;
using testing_support::Outcome;

// The number after "key": in a JSON document (the first such key).
double Number(const std::string& json, const std::string& key) {
  const std::smatch m = [&] {
    std::smatch found;
    std::regex_search(json, found, std::regex("\"" + key + "\":(-?[0-9.]+)"));
    return found;
  }();
  EXPECT_FALSE(m.empty()) << key << " in " << json;
  return m.empty() ? -1 : std::stod(m[1].str());
}

TEST(AnalyzeRisk, JsonCarriesEveryFigureInCreditsAndDeals) {
  // Catches the session counted in deals where hands were asked for, the
  // bankroll or the percentiles left in units, and the deal's variance
  // without the covariance of its hands.
  const Outcome run = Analyze({"risk", "--game", "jacks-96", "--hands", "3", "--bankroll", "1500",
                               "--session", "300", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string& j = run.out;
  EXPECT_TRUE(std::regex_search(
      j, std::regex(R"(^\{"game":"jacks-96","coins":5,"hands":3,"deck":"standard52","returnPercent":99\.543904,"variance":19\.514676,)")))
      << j;
  EXPECT_NEAR(Number(j, "dealVariance"), 3 * Number(j, "variance") + 6 * Number(j, "covariance"),
              1e-5);
  EXPECT_EQ(Number(j, "bankroll"), 1500);
  EXPECT_EQ(Number(j, "deals"), 100);
  // Under 100%: the long run loses any bankroll and no bankroll is enough.
  EXPECT_NE(j.find(R"("longRun":{"ruinProbability":1.000000000,"bankrollFor":{"1":null,"5":null,"10":null}})"),
            std::string::npos);
  // Percentiles are credits of 5-credit units, in order; a smaller risk asks
  // for a larger bankroll.
  double last = 0;
  for (const char* p : {"5", "25", "50", "75", "95"}) {
    const double v = Number(j.substr(j.find("\"percentiles\"")), p);
    EXPECT_EQ(static_cast<long long>(v) % 5, 0) << p;
    EXPECT_GE(v, last) << p;
    last = v;
  }
  const std::string wanted = j.substr(j.rfind("\"bankrollFor\""));
  EXPECT_GT(Number(wanted, "1"), Number(wanted, "5"));
  EXPECT_GT(Number(wanted, "5"), Number(wanted, "10"));
}

TEST(AnalyzeRisk, TheLongRunOfAFavourableGameIsTheEngines) {
  // Catches the bankroll handed to the engine in credits rather than units.
  const Outcome run = Analyze({"risk", "--game", "deuces-full", "--session", "100"});
  ASSERT_EQ(run.status, 0) << run.err;
  const GameRules& g = *FindGame("deuces-full");
  const StrategyTables tables(g);
  const LongRunRisk risk(ComputeDealDistribution(tables, DefaultPays(g), 5, 1, g.deck));
  char line[128];
  std::snprintf(line, sizeof line, "Long run: chance of losing the bankroll %.4f%%\n",
                risk.RuinChance(1000) * 100);
  EXPECT_NE(run.out.find("Bankroll: 5,000 credits (1,000 bets)\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
}

TEST(AnalyzeRisk, BadNumbersGetOneLineAndStatusTwo) {
  const struct {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"risk", "--game", "jacks", "--hands", "0"}, "lynx-analyze: hands '0' must be 1 to 100\n"},
      {{"risk", "--game", "jacks", "--hands", "101"},
       "lynx-analyze: hands '101' must be 1 to 100\n"},
      {{"risk", "--game", "jacks", "--bankroll", "-5"},
       "lynx-analyze: bankroll '-5' must be 0 to 1000000000\n"},
      {{"risk", "--game", "jacks", "--session", "many"},
       "lynx-analyze: session 'many' must be 1 to 1000000\n"},
      {{"risk", "--game", "joker", "--simulate", "10"},
       "lynx-analyze: --simulate deals from the 53-card deck; give --deck standard53\n"},
      {{"return", "--game", "jacks", "--hands", "3"}, "lynx-analyze: unknown option '--hands'\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = Analyze(c.args);
    EXPECT_EQ(run.status, 2) << c.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
}

TEST(AnalyzeRisk, TheSampledCheckIsRepeatableForASeed) {
  // Catches a seed that is not used (two runs would differ) or not passed on
  // (two seeds would agree).
  const auto sampled = [](const char* seed) {
    const Outcome run = Analyze({"risk", "--game", "jacks", "--session", "10", "--simulate", "300",
                                 "--seed", seed, "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out.substr(run.out.find("\"simulated\""), run.out.find(",\"seconds\"") - run.out.find("\"simulated\""));
  };
  EXPECT_EQ(sampled("9"), sampled("9"));
  EXPECT_NE(sampled("9"), sampled("10"));
}

}  // namespace
}  // namespace lynx
