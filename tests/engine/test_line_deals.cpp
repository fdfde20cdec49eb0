#include <gtest/gtest.h>

#include <random>
#include <set>

#include "engine/line_deals.h"
#include "engine/strategy_chart.h"

namespace lynx {
namespace {

// Every 61st deal class of the game: a chart made from them is quick.
std::vector<DealClass> EverySixtyFirst(GameVariant game) {
  const auto all = DealClasses(game);
  std::vector<DealClass> sample;
  for (std::size_t i = 0; i < all.size(); i += 61) sample.push_back(all[i]);
  return sample;
}

TEST(LineDeals, EveryDealFallsOnItsLineAndTheSharesAreTheDecks) {
  // Catches a class picked one past its weight's range, suits renamed so
  // that a flush or a suited pattern changes (not a renaming of all four),
  // a joker turned into an ordinary card, and shares counted per class
  // rather than per deal.
  for (const GameVariant game : {kJacksOrBetter, kJokerWild}) {
    const StrategyTables tables(game);
    const auto deals = EverySixtyFirst(game);
    const StrategyChart chart =
        BuildChart(tables, deals, MachinePays(game), 5, JokerDeck::kStandard53, {.maxLines = 20});
    const LineDeals lines(chart, deals, 1);
    ASSERT_EQ(lines.LineCount(), static_cast<int>(chart.lines.size()));

    std::vector<double> counted(chart.lines.size(), 0.0);
    double all = 0;
    for (const DealClass& d : deals) {
      counted[static_cast<std::size_t>(MatchChart(chart, d.hand).line)] += d.deals;
      all += d.deals;
    }
    std::mt19937_64 random(5);
    double shares = 0;
    for (int l = 0; l < lines.LineCount(); ++l) {
      EXPECT_NEAR(lines.Share(l), counted[static_cast<std::size_t>(l)] / all, 1e-12) << l;
      shares += lines.Share(l);
      std::set<Hand> seen;
      for (int i = 0; i < 40; ++i) {
        const auto hand = lines.Deal(l, random);
        if (counted[static_cast<std::size_t>(l)] == 0) {
          EXPECT_FALSE(hand.has_value()) << l;
          break;
        }
        ASSERT_TRUE(hand.has_value()) << l;
        EXPECT_EQ(MatchChart(chart, *hand).line, l) << chart.lines[static_cast<std::size_t>(l)].text;
        std::set<CardCode> distinct(hand->begin(), hand->end());
        EXPECT_EQ(distinct.size(), 5u);
        EXPECT_GE(*distinct.begin(), 1);
        EXPECT_LE(*distinct.rbegin(), game == kJokerWild ? 53 : 52);
        seen.insert(*hand);
      }
      // Suits and order are dealt afresh: a line of many deals does not
      // repeat one hand.
      if (counted[static_cast<std::size_t>(l)] > 1000) {
        EXPECT_GT(seen.size(), 30u) << l;
      }
    }
    EXPECT_NEAR(shares, 1, 1e-12);
    EXPECT_FALSE(lines.Deal(-1, random).has_value());
    EXPECT_FALSE(lines.Deal(lines.LineCount(), random).has_value());
  }
}

}  // namespace
}  // namespace lynx
