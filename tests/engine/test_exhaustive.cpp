// Every five-card hand of every game against an independent oracle: a
// classifier that counts ranks (rather than comparing sorted neighbours) and,
// for wild cards, tries every card in their place and keeps the best row.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <sstream>
#include <vector>

#include "engine/evaluate.h"

namespace lynx {
namespace {

enum Category { kHigh, kPair, kTwoPair, kThree, kStraight, kFlush, kFull, kFour, kSF, kRoyal, kFive };

struct Natural {
  Category category;
  int pairRank;  // rank 1..13 of the pair for kPair
};

// Classifies five cards given as (rank 1..13, suit 0..3); repeats allowed.
Natural Classify(const std::array<int, 5>& ranks, const std::array<int, 5>& suits) {
  std::array<int, 14> count{};
  for (int r : ranks) ++count[static_cast<std::size_t>(r)];
  int distinct = 0, most = 0, pairs = 0, pairRank = 0;
  for (int r = 1; r <= 13; ++r) {
    const int n = count[static_cast<std::size_t>(r)];
    if (n > 0) ++distinct;
    most = std::max(most, n);
    if (n == 2) {
      ++pairs;
      pairRank = r;
    }
  }
  const bool flush = std::all_of(suits.begin(), suits.end(), [&](int s) { return s == suits[0]; });
  bool straight = false, royal = false;
  if (distinct == 5) {
    int lo = 14, hi = 0;
    for (int r : ranks) {
      lo = std::min(lo, r);
      hi = std::max(hi, r);
    }
    const bool broadway = count[1] && count[10] && count[11] && count[12] && count[13];
    straight = hi - lo == 4 || broadway;
    royal = broadway;
  }
  if (most == 5) return {kFive, 0};
  if (straight && flush) return {royal ? kRoyal : kSF, 0};
  if (most == 4) return {kFour, 0};
  if (most == 3 && pairs == 1) return {kFull, 0};
  if (flush) return {kFlush, 0};
  if (straight) return {kStraight, 0};
  if (most == 3) return {kThree, 0};
  if (pairs == 2) return {kTwoPair, 0};
  if (pairs == 1) return {kPair, pairRank};
  return {kHigh, 0};
}

// Row of a natural category in each game; wilds says whether a wild card took
// part (a royal made with a wild card is the lesser royal row).
int RowOf(const Natural& n, GameVariant game, bool wilds) {
  const bool highPair = n.category == kPair && (n.pairRank == 1 || n.pairRank >= 11);
  const bool kingsPair = n.category == kPair && (n.pairRank == 1 || n.pairRank == 13);
  switch (game) {
    case kJacksOrBetter: {
      constexpr int rows[] = {-1, -1, 7, 6, 5, 4, 3, 2, 1, 0, -1};
      return highPair ? 8 : rows[n.category];
    }
    case kJokerWild: {
      constexpr int rows[] = {-1, -1, 9, 8, 7, 6, 5, 4, 3, 0, 1};
      if (n.category == kRoyal && wilds) return 2;
      return kingsPair ? 10 : rows[n.category];
    }
    default: {
      constexpr int rows[] = {-1, -1, -1, 9, 8, 7, 6, 5, 4, 0, 3};
      if (n.category == kRoyal && wilds) return 2;
      return rows[n.category];
    }
  }
}

// Lower row numbers pay more; -1 pays nothing.
int Better(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

class Oracle {
 public:
  explicit Oracle(GameVariant g) : game(g) {}

  int Row(const Hand& hand) {
    std::array<int, 5> ranks{}, suits{};
    int naturals = 0, wild = 0;
    for (CardCode c : hand) {
      if (c == kJoker || (game == kDeucesWild && Rank(c) == 2)) {
        ++wild;
      } else {
        ranks[static_cast<std::size_t>(naturals)] = Rank(c);
        suits[static_cast<std::size_t>(naturals)] = SuitIndex(c);
        ++naturals;
      }
    }
    if (game == kDeucesWild && wild == 4) return 1;
    if (wild == 0) return RowOf(Classify(ranks, suits), game, false);
    // The best substitution depends only on the natural ranks and on whether
    // the naturals share a suit; remember it per such key.
    std::array<int, 4> sorted{};  // unused places stay 0
    for (int i = 0; i < naturals && i < 4; ++i) sorted[static_cast<std::size_t>(i)] = ranks[static_cast<std::size_t>(i)];
    std::sort(sorted.begin(), sorted.end());
    bool suited = true;
    for (int i = 1; i < naturals; ++i) suited = suited && suits[static_cast<std::size_t>(i)] == suits[0];
    std::size_t key = static_cast<std::size_t>(wild) * 2 + (suited ? 1 : 0);
    for (int r : sorted) key = key * 14 + static_cast<std::size_t>(r);
    if (memo[key] != kUnknown) return memo[key];
    const int best = BestSubstitution(ranks, suits, naturals, wild);
    memo[key] = static_cast<std::int8_t>(best);
    return best;
  }

 private:
  // Tries every multiset of `wild` cards from the 52 in the wild cards' place.
  int BestSubstitution(std::array<int, 5> r, std::array<int, 5> s, int naturals, int wild) {
    int best = -1;
    std::vector<int> pick(static_cast<std::size_t>(wild), 0);
    while (true) {
      std::size_t n = static_cast<std::size_t>(naturals);
      for (int p : pick) {
        r[n] = p % 13 + 1;
        s[n] = p / 13;
        ++n;
      }
      best = Better(best, RowOf(Classify(r, s), game, true));
      // Next non-decreasing sequence of 0..51.
      int i = wild - 1;
      while (i >= 0 && pick[static_cast<std::size_t>(i)] == 51) --i;
      if (i < 0) break;
      const int v = pick[static_cast<std::size_t>(i)] + 1;
      for (int j = i; j < wild; ++j) pick[static_cast<std::size_t>(j)] = v;
    }
    return best;
  }

  static constexpr std::int8_t kUnknown = -2;
  GameVariant game;
  std::vector<std::int8_t> memo = std::vector<std::int8_t>(5 * 2 * 14 * 14 * 14 * 14, kUnknown);
};

struct Tally {
  std::array<long, 12> byRow{};  // index row + 1
  long mismatches = 0;
  std::ostringstream firstMismatches;
};

void Check(const Hand& hand, GameVariant game, Oracle& oracle, Tally& tally) {
  const int row = ClassifyHand(hand, game);
  ++tally.byRow[static_cast<std::size_t>(row + 1)];
  const int expected = oracle.Row(hand);
  if (row != expected && ++tally.mismatches <= 10) {
    tally.firstMismatches << "hand";
    for (CardCode c : hand) tally.firstMismatches << ' ' << c;
    tally.firstMismatches << ": rules " << row << ", oracle " << expected << '\n';
  }
}

// Calls f on every 5-card hand of codes 1..52 (and, with joker, every hand of
// the joker and four of them).
template <typename F>
void ForEveryHand(bool withJoker, F f) {
  for (CardCode a = 1; a <= 52; ++a)
    for (CardCode b = a + 1; b <= 52; ++b)
      for (CardCode c = b + 1; c <= 52; ++c)
        for (CardCode d = c + 1; d <= 52; ++d) {
          if (withJoker) f(Hand{kJoker, a, b, c, d});
          for (CardCode e = d + 1; e <= 52; ++e) f(Hand{a, b, c, d, e});
        }
}

TEST(Exhaustive, JacksOrBetterMatchesTheOracleAndTheKnownCounts) {
  Oracle oracle(kJacksOrBetter);
  Tally tally;
  ForEveryHand(false, [&](const Hand& h) { Check(h, kJacksOrBetter, oracle, tally); });
  EXPECT_EQ(tally.mismatches, 0) << tally.firstMismatches.str();
  const std::array<long, 12> expected{
      2598960 - 4 - 36 - 624 - 3744 - 5108 - 10200 - 54912 - 123552 - 337920,  // no win
      4, 36, 624, 3744, 5108, 10200, 54912, 123552, 337920, 0, 0};
  EXPECT_EQ(tally.byRow, expected);
}

TEST(Exhaustive, JokerWildMatchesTheOracleForEveryHandWithAndWithoutTheJoker) {
  Oracle oracle(kJokerWild);
  Tally tally;
  long hands = 0;
  ForEveryHand(true, [&](const Hand& h) {
    ++hands;
    Check(h, kJokerWild, oracle, tally);
  });
  EXPECT_EQ(hands, 2598960 + 270725);
  EXPECT_EQ(tally.mismatches, 0) << tally.firstMismatches.str();
}

TEST(Exhaustive, DeucesWildMatchesTheOracle) {
  Oracle oracle(kDeucesWild);
  Tally tally;
  ForEveryHand(false, [&](const Hand& h) { Check(h, kDeucesWild, oracle, tally); });
  EXPECT_EQ(tally.mismatches, 0) << tally.firstMismatches.str();
  EXPECT_EQ(tally.byRow[2], 48);  // row 1: four deuces with any fifth card
}

}  // namespace
}  // namespace lynx
