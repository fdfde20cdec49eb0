// The solver's row table against ClassifyHand for every hand of every game,
// and the never-draw return of each game and deck against the sum over every
// hand done here.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <string>
#include <thread>

#include "engine/evaluate.h"
#include "engine/paytable.h"
#include "engine/strategy.h"
#include "engine/strategy_return.h"

namespace lynx {
namespace {

struct Sweep {
  std::uint64_t hands = 0;
  std::uint64_t mismatches = 0;
  std::string firstMismatch;
  // Hands in each row (index row + 1, so 0 is no win), without and with the joker.
  std::array<std::array<std::int64_t, kPayTableRows + 1>, 2> rows{};
  std::array<std::uint64_t, 2> count{};

  // Credits won by never drawing over the hands without (0) or with (1) the joker.
  std::int64_t Credits(GameVariant game, int coins, int joker) const {
    std::int64_t sum = 0;
    for (int row = 0; row < kPayTableRows; ++row) {
      sum += rows[static_cast<std::size_t>(joker)][static_cast<std::size_t>(row + 1)] *
             Payout(game, row, coins);
    }
    return sum;
  }
};

// Every hand of cards 1..cards (53 means with the joker), the lowest card
// taken by this worker when (lowest % workers == worker). ClassifyHand gets
// the hand in ascending order, the table the same cards rotated.
void SweepHands(const StrategyTables& tables, int cards, int worker, int workers, Sweep& s) {
  const GameVariant game = tables.Variant();
  for (int a = 1; a <= cards; ++a) {
    if (a % workers != worker) continue;
    for (int b = a + 1; b <= cards; ++b)
      for (int c = b + 1; c <= cards; ++c)
        for (int d = c + 1; d <= cards; ++d)
          for (int e = d + 1; e <= cards; ++e) {
            const Hand sorted{static_cast<CardCode>(a), static_cast<CardCode>(b),
                              static_cast<CardCode>(c), static_cast<CardCode>(d),
                              static_cast<CardCode>(e)};
            const Hand rotated{sorted[2], sorted[4], sorted[0], sorted[3], sorted[1]};
            const int row = ClassifyHand(sorted, game);
            const int fromTable = tables.RowOf(rotated);
            ++s.hands;
            if (row != fromTable && s.mismatches++ == 0) {
              s.firstMismatch = std::to_string(a) + " " + std::to_string(b) + " " +
                                std::to_string(c) + " " + std::to_string(d) + " " +
                                std::to_string(e) + ": " + std::to_string(row) + " vs " +
                                std::to_string(fromTable);
            }
            const int joker = e == kJoker ? 1 : 0;
            ++s.rows[static_cast<std::size_t>(joker)][static_cast<std::size_t>(row + 1)];
            ++s.count[static_cast<std::size_t>(joker)];
          }
  }
}

Sweep SweepAll(const StrategyTables& tables) {
  constexpr int kWorkers = 2;
  std::array<Sweep, kWorkers> parts;
  std::thread other(SweepHands, std::cref(tables), tables.CardCount(), 1, kWorkers,
                    std::ref(parts[1]));
  SweepHands(tables, tables.CardCount(), 0, kWorkers, parts[0]);
  other.join();
  Sweep all = parts[0];
  all.hands += parts[1].hands;
  all.mismatches += parts[1].mismatches;
  if (all.firstMismatch.empty()) all.firstMismatch = parts[1].firstMismatch;
  for (std::size_t j = 0; j < 2; ++j) {
    for (std::size_t r = 0; r < all.rows[j].size(); ++r) all.rows[j][r] += parts[1].rows[j][r];
    all.count[j] += parts[1].count[j];
  }
  return all;
}

std::string Fraction(std::int64_t num, std::int64_t den) {
  const std::int64_t g = std::gcd(num, den);
  return std::to_string(num / g) + "/" + std::to_string(den / g);
}

TEST(StrategyExhaustive, EveryHandOfJacksAndDeucesAndTheirNeverDrawReturn) {
  for (GameVariant game : {kJacksOrBetter, kDeucesWild}) {
    const StrategyTables tables(game);
    const Sweep s = SweepAll(tables);
    EXPECT_EQ(s.hands, 2598960u);
    EXPECT_EQ(s.mismatches, 0u) << "game " << game << ", first: " << s.firstMismatch;
    EXPECT_EQ(s.count[1], 0u);
    for (int coins : {1, 4, 5}) {
      const GameReturn r =
          ComputeReturn(tables, coins, JokerDeck::kMachine, ReturnPolicy::kNeverDraw);
      EXPECT_EQ(r.exactReturn, Fraction(s.Credits(game, coins, 0), 2598960LL * coins))
          << game << " " << coins;
      EXPECT_EQ(r.deals, 2598960u);
      for (int row = 0; row < tables.RowCount(); ++row) {
        EXPECT_DOUBLE_EQ(
            r.rowProbability[static_cast<std::size_t>(row)],
            static_cast<double>(s.rows[0][static_cast<std::size_t>(row + 1)]) / 2598960.0);
      }
    }
  }
}

TEST(StrategyExhaustive, EveryHandOfJokerWildAndItsNeverDrawReturnForBothDecks) {
  const StrategyTables tables(kJokerWild);
  const Sweep s = SweepAll(tables);
  EXPECT_EQ(s.hands, 2869685u);
  EXPECT_EQ(s.count[1], 270725u);
  EXPECT_EQ(s.mismatches, 0u) << "first: " << s.firstMismatch;
  EXPECT_EQ(47 * s.count[0] + 48 * s.count[1], 52u * 2598960u);
  for (int coins : {1, kMaxCoins}) {
    const std::int64_t without = s.Credits(kJokerWild, coins, 0),
                       with = s.Credits(kJokerWild, coins, 1);
    // The 53-card deck deals every hand alike. The machine deals a hand with
    // the joker 48 times for 47 without (see ComputeReturn); its weights add
    // up to 52 * C(52, 5).
    const GameReturn standard =
        ComputeReturn(tables, coins, JokerDeck::kStandard53, ReturnPolicy::kNeverDraw);
    EXPECT_EQ(standard.exactReturn, Fraction(without + with, 2869685LL * coins));
    const GameReturn machine =
        ComputeReturn(tables, coins, JokerDeck::kMachine, ReturnPolicy::kNeverDraw);
    EXPECT_EQ(machine.exactReturn, Fraction(47 * without + 48 * with, 52LL * 2598960LL * coins));
    EXPECT_EQ(machine.deals, 2869685u);
  }
}

}  // namespace
}  // namespace lynx
