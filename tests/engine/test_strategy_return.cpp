// Suit classes partition the deals; the full-game return adds up the best
// hold of each deal class with the right weights.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/paytable.h"
#include "engine/strategy.h"
#include "tests/support/strategy_tables.h"
#include "engine/strategy_classes.h"
#include "engine/strategy_return.h"

namespace lynx {
namespace {

using testing_support::Tables;

std::uint64_t Key(const SuitMasks& m) {
  return std::uint64_t{m[0]} << 48 | std::uint64_t{m[1]} << 32 | std::uint64_t{m[2]} << 16 | m[3];
}

int Cards(std::uint16_t mask) {
  return std::popcount(static_cast<unsigned>(mask));
}

// The canonical masks of a class: the four sorted by (cards, mask), descending.
SuitMasks Canonical(SuitMasks m) {
  std::sort(m.begin(), m.end(), [](std::uint16_t a, std::uint16_t b) {
    return Cards(a) != Cards(b) ? Cards(a) > Cards(b) : a > b;
  });
  return m;
}

// Each class is canonical, no two are the same, each counts exactly the
// distinct suit renamings of its sets, and the counts add up to every set: so the classes split all
// sets of k cards.
TEST(StrategyClasses, SuitClassesPartitionEverySetOfCards) {
  const std::uint64_t sets[] = {1, 52, 1326, 22100, 270725, 2598960};
  for (int k = 0; k <= 5; ++k) {
    const auto classes = SuitClasses(k);
    std::vector<std::uint64_t> keys;
    std::uint64_t total = 0;
    for (const SuitClass& c : classes) {
      int cards = 0;
      for (auto m : c.masks) cards += Cards(m);
      ASSERT_EQ(cards, k);
      ASSERT_EQ(Key(Canonical(c.masks)), Key(c.masks));
      keys.push_back(Key(c.masks));
      std::array<std::uint64_t, 24> renamed{};
      std::array<int, 4> suits{0, 1, 2, 3};
      int n = 0;
      do {
        SuitMasks m{};
        for (std::size_t s = 0; s < 4; ++s) m[s] = c.masks[static_cast<std::size_t>(suits[s])];
        renamed[static_cast<std::size_t>(n++)] = Key(m);
      } while (std::next_permutation(suits.begin(), suits.end()));
      std::sort(renamed.begin(), renamed.end());
      const auto distinct = std::unique(renamed.begin(), renamed.end()) - renamed.begin();
      ASSERT_EQ(c.members, static_cast<std::uint32_t>(distinct));
      total += c.members;
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end()) << k;
    EXPECT_EQ(total, sets[k]) << k;
  }
}

TEST(StrategyClasses, DealClassesOfEachGame) {
  const auto jacks = DealClasses(kJacksOrBetter);
  const auto joker = DealClasses(kJokerWild);
  std::uint64_t plain = 0, withJoker = 0;
  for (const DealClass& d : joker) {
    (d.joker ? withJoker : plain) += d.deals;
    EXPECT_EQ(d.joker, d.hand[4] == kJoker);
    EXPECT_TRUE(std::is_sorted(d.hand.begin(), d.hand.end()));
  }
  EXPECT_EQ(plain, 2598960u);
  EXPECT_EQ(withJoker, 270725u);
  EXPECT_EQ(jacks.size() + SuitClasses(4).size(), joker.size());
  EXPECT_EQ(DealClasses(kDeucesWild).size(), jacks.size());
}

// Every 197th deal class (and all four-card-plus-joker ones of a stretch): the
// return over those classes equals the weighted mean of the best hold values
// that AdviseHand gives, class by class.
TEST(StrategyReturn, SampleOfDealClassesAddsUpTheBestHolds) {
  for (GameVariant game : {kJacksOrBetter, kJokerWild, kDeucesWild}) {
    const StrategyTables& tables = Tables(game);
    const auto all = DealClasses(game);
    std::vector<DealClass> sample;
    for (std::size_t i = 0; i < all.size(); i += 197) sample.push_back(all[i]);
    for (std::size_t i = all.size() - 50; i < all.size(); ++i) sample.push_back(all[i]);
    for (JokerDeck deck : {JokerDeck::kMachine, JokerDeck::kStandard53}) {
      if (game != kJokerWild && deck == JokerDeck::kStandard53) continue;
      for (int coins : {1, 5}) {
        long double credits = 0, weights = 0;
        std::array<long double, kMaxPayRows> rows{};
        for (const DealClass& d : sample) {
          const HandAdvice a = AdviseHand(tables, d.hand, coins, deck);
          long double w = d.deals;
          if (game == kJokerWild && deck == JokerDeck::kMachine) w *= d.joker ? 48 : 47;
          // Among equally good holds the return takes the one with the
          // greatest row probabilities from row 0 down.
          const HoldValue* best = &a.holds[0];
          for (int i = 1; i < a.bestCount; ++i) {
            const HoldValue& h = a.holds[static_cast<std::size_t>(i)];
            for (std::size_t r = 0; r < kMaxPayRows; ++r) {
              const auto mine = h.counts[r] * best->draws, theirs = best->counts[r] * h.draws;
              if (mine != theirs) {
                if (mine > theirs) best = &h;
                break;
              }
            }
          }
          credits +=
              w * static_cast<long double>(best->payout) / static_cast<long double>(best->draws);
          for (std::size_t r = 0; r < kMaxPayRows; ++r) {
            rows[r] += w * static_cast<long double>(best->counts[r]) /
                       static_cast<long double>(best->draws);
          }
          weights += w;
        }
        const GameReturn one =
            ComputeReturn(tables, sample, coins, deck, ReturnPolicy::kOptimal, 1);
        const GameReturn two =
            ComputeReturn(tables, sample, coins, deck, ReturnPolicy::kOptimal, 2);
        EXPECT_EQ(one.exactReturn, two.exactReturn);
        const double expected = static_cast<double>(credits / weights / coins);
        EXPECT_NEAR(one.returnRatio, expected, 1e-13) << game << " coins " << coins;
        double probability = one.noWinProbability, share = 0;
        for (std::size_t r = 0; r < kMaxPayRows; ++r) {
          EXPECT_NEAR(one.rowProbability[r], static_cast<double>(rows[r] / weights), 1e-13);
          probability += one.rowProbability[r];
          share += one.rowReturn[r];
        }
        EXPECT_NEAR(probability, 1.0, 1e-13);
        EXPECT_NEAR(share, one.returnRatio, 1e-13);
        EXPECT_EQ(one.classes, sample.size());
      }
    }
  }
}

// With fewer than five coins every row pays in proportion to the bet, so the
// best holds and the return per coin are the same for one to four coins; the
// five-coin royal can only raise it.
TEST(StrategyReturn, ReturnPerCoinIsTheSameBelowFiveCoins) {
  const StrategyTables& tables = Tables(kJacksOrBetter);
  auto all = DealClasses(kJacksOrBetter);
  std::vector<DealClass> sample;
  for (std::size_t i = 0; i < all.size(); i += 211) sample.push_back(all[i]);
  const GameReturn one =
      ComputeReturn(tables, sample, 1, JokerDeck::kMachine, ReturnPolicy::kOptimal);
  const GameReturn four =
      ComputeReturn(tables, sample, 4, JokerDeck::kMachine, ReturnPolicy::kOptimal);
  const GameReturn five =
      ComputeReturn(tables, sample, 5, JokerDeck::kMachine, ReturnPolicy::kOptimal);
  EXPECT_EQ(one.exactReturn, four.exactReturn);
  EXPECT_GT(five.returnRatio, one.returnRatio);
  const GameReturn never =
      ComputeReturn(tables, sample, 5, JokerDeck::kMachine, ReturnPolicy::kNeverDraw);
  EXPECT_GT(five.returnRatio, never.returnRatio);
}

}  // namespace
}  // namespace lynx
