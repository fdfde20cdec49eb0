// The patterns a set of held cards fits: what HoldPatterns finds in a hold
// and how it packs each into a PatternCode.

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <string_view>

#include "engine/evaluate.h"
#include "engine/strategy_chart.h"
#include "engine/strategy_chart_internal.h"

namespace lynx {

using namespace chart_internal;

namespace {

// A pay row of the lowest pair that pays ("Jacks or Better").
bool OrBetterRow(const GameRules& rules, int row) {
  const HandCategory category = rules.rows[static_cast<std::size_t>(row)].category;
  return category == HandCategory::kTensOrBetter || category == HandCategory::kJacksOrBetter ||
         category == HandCategory::kKingsOrBetter;
}

// Number of different straights (five ranks in a row, ace low or high) that
// contain every rank of the 13-bit mask (bit r-1 for face rank r). In Deuces
// Wild a two is always wild, so there only the straights from 3-7 up count.
std::array<std::uint8_t, 8192> WaysTable(int lowest) {
  std::array<std::uint8_t, 8192> ways{};
  for (unsigned m = 0; m < 8192; ++m) {
    int count = 0;
    for (int low = lowest; low <= 10; ++low) {
      bool all = true;
      for (int r = 1; r <= 13 && all; ++r) {
        if (!(m >> (r - 1) & 1)) continue;
        const bool in = (r >= low && r <= low + 4) || (r == 1 && low == 10);
        all = in;
      }
      if (all) ++count;
    }
    ways[m] = static_cast<std::uint8_t>(count);
  }
  return ways;
}
const std::array<std::uint8_t, 8192> kWays = WaysTable(1);
const std::array<std::uint8_t, 8192> kWaysWithoutTwos = WaysTable(3);

// Royal ranks as bits: ten 0, jack 1, queen 2, king 3, ace 4; -1 below ten.
constexpr int RoyalBit(int rank) {
  return rank == 1 ? 4 : rank >= 10 ? rank - 10 : -1;
}

// A card that makes a paying pair: jacks or better, kings or better, ...
bool IsHigh(const GameRules& rules, int rank) {
  return rules.lowestPaidPair > 0 && (rank == 1 || rank >= rules.lowestPaidPair);
}

}  // namespace

PatternCode DiscardEverything() {
  return Code(kNothing, 0, 0);
}

int HoldPatterns(GameVariant variant, const Hand& hand, unsigned mask, int row,
                 HoldPatternList& out) {
  return HoldPatterns(MachineRules(variant), hand, mask, row, out);
}

int HoldPatterns(const GameRules& rules, const Hand& hand, unsigned mask, int row,
                 HoldPatternList& out) {
  const GameVariant variant = rules.family;
  int count = 0;
  auto add = [&](PatternCode p) {
    assert(count < kMaxPatterns);
    out[static_cast<std::size_t>(count++)] = p;
  };
  // The pattern with this number of wild cards, and in the wild games also
  // with any number of them.
  auto addAny = [&](std::uint32_t kind, int held, int wild, int a = 0) {
    add(Code(kind, held, wild, a));
    if (variant != kJacksOrBetter) add(Code(kind, held, kAnyWild, a));
  };
  const int n = std::popcount(mask);
  if (n == 0) {
    add(Code(kNothing, 0, 0));
    return count;
  }
  int w = 0, naturals = 0, suitMask = 0, high = 0, royalBits = 0;
  bool royal = true;
  unsigned rankMask = 0;
  int rankCount[14] = {};
  int suit = -1;
  for (std::size_t i = 0; i < 5; ++i) {
    if (!(mask >> i & 1)) continue;
    const CardCode card = hand[i];
    if (IsWild(variant, card)) {
      ++w;
      continue;
    }
    ++naturals;
    const int r = Rank(card);
    suit = SuitIndex(card);
    suitMask |= 1 << suit;
    rankMask |= 1u << (r - 1);
    ++rankCount[r];
    if (IsHigh(rules, r)) ++high;
    const int bit = RoyalBit(r);
    if (bit < 0) {
      royal = false;
    } else {
      royalBits |= 1 << bit;
    }
  }
  if (n == 5) {
    if (row >= 0) {
      add(Code(kPat, 5, 0, row));  // the same line whatever the wild cards
      // Also "Pat <X> or better" for every row X from this one down (X
      // below the top row, and not a row that is itself "... or Better"):
      // one chart line can then stand for several pat hands in a row of the
      // order.
      for (int x = std::max(row, 1); x < rules.rowCount; ++x)
        if (!OrBetterRow(rules, x)) add(Code(kPat, 5, 0, x, 0, 1));
    }
    return count;
  }
  if (naturals == 0) {
    add(Code(kWildOnly, n, w));
    return count;
  }
  const int distinct = std::popcount(rankMask);
  if (distinct < naturals) {
    if (distinct == 1) {
      const int r = std::countr_zero(rankMask) + 1;
      if (n >= 3) {
        addAny(kSameRank, n, w);
      } else {
        add(Code(kSameRank, n, w, IsHigh(rules, r) ? 1 : 0));
      }
      // Where fours of this rank pay apart: the pair or three by its rank.
      const int group = w == 0 && n <= 3 ? RankGroup(rules, r) : 0;
      if (group != 0) add(Code(kSameRank, n, 0, IsHigh(rules, r) ? 1 : 0, group));
    } else if (w == 0 && naturals == 4 && distinct == 2) {
      bool pairs = true;
      for (int r = 1; r <= 13; ++r) pairs = pairs && (rankCount[r] == 0 || rankCount[r] == 2);
      if (pairs) {
        add(Code(kTwoPair, 4, 0));
        if (rankCount[1] == 2 && RankGroup(rules, 1) != 0) add(Code(kTwoPair, 4, 0, 0, 1));
      }
      // Three of a kind and the kicker its four would pay more with.
      for (int r = 1; r <= 13; ++r) {
        if (rankCount[r] != 3) continue;
        for (int k = 1; k <= 13; ++k) {
          if (rankCount[k] == 1 && PaysKicker(rules, r, k))
            add(Code(kSameRank, 4, 0, 0, RankGroup(rules, r), 1));
        }
      }
    }
    return count;
  }
  // Distinct natural ranks from here on.
  if (naturals == 1 && w > 0) {
    const int r = std::countr_zero(rankMask) + 1;
    if (n == 2) {
      if (variant == kDeucesWild) return count;  // a deuce and any card: only the deuce counts
      add(Code(kWildAndCard, 2, 1, r));
      if (!IsHigh(rules, r)) add(Code(kWildAndCard, 2, 1, 0, kWays[1u << (r - 1)]));
      add(Code(kSameRank, 2, 1, IsHigh(rules, r) ? 1 : 0));
      return count;
    }
    addAny(kSameRank, n, w);
  }
  const bool suited = std::popcount(static_cast<unsigned>(suitMask)) == 1;
  const int ways = kWays[rankMask];
  // In Deuces Wild a straight that needs a two needs a deuce: those ways are
  // counted apart, in the upper bits.
  const int waysCode = variant == kDeucesWild
                           ? kWaysWithoutTwos[rankMask] | (ways - kWaysWithoutTwos[rankMask]) << 3
                           : ways;
  bool noneOfSuit = true;  // no discarded ordinary card of the held suit
  if (suited) {
    for (std::size_t i = 0; i < 5; ++i) {
      if ((mask >> i & 1) || hand[i] == kJoker || IsWild(variant, hand[i])) continue;
      if (SuitIndex(hand[i]) == suit) noneOfSuit = false;
    }
  }
  const int c = noneOfSuit ? 1 : 0;
  if (suited && n >= 2) {
    if (royal) {
      addAny(kRoyal, n, w);
      if (variant != kDeucesWild && naturals <= 3) add(Code(kRoyal, n, w, 0, high, 1));
      add(Code(kRoyalCards, n, w, royalBits));
      if (c) add(Code(kRoyalCards, n, w, royalBits, 0, 1));
    }
    // Two to a straight flush, which the joker can fill, in the library's
    // joker games (the machine's charts keep the lines they were made with).
    if (ways > 0 && (n >= 3 || (n == 2 && rules.machine == 0 && variant == kJokerWild))) {
      addAny(kStraightFlush, n, w);
      add(Code(kStraightFlushBy, n, w, waysCode, high));
      if (c) add(Code(kStraightFlushBy, n, w, waysCode, high, 1));
    }
    if (n >= 3) {
      addAny(kFlush, n, w);
      add(Code(kFlushBy, n, w, 0, high));
    }
  }
  if (ways > 0 && n >= 3) {
    addAny(kStraight, n, w, n == 4 && ways >= 2 ? 1 : 0);
    add(Code(kStraightBy, n, w, waysCode, high));
  }
  // Where no pair pays, one card of a royal flush may still be worth keeping
  // for the straights and royals it makes with the joker.
  if (n == 1 && w == 0 && rules.lowestPaidPair == 0 && variant == kJokerWild) {
    if (royal) add(Code(kHighCardsExact, 1, 0, royalBits));
    add(Code(kWildAndCard, 1, 0, std::countr_zero(rankMask) + 1));  // the card by its rank
  }
  if (w == 0 && high == naturals && naturals <= 3 && variant != kDeucesWild) {
    if (naturals == 1 || !suited) add(Code(kHighCardsExact, naturals, 0, royalBits));
    if (naturals <= 2 || !suited) add(Code(kHighCards, naturals, 0, suited && naturals > 1));
  }
  return count;
}

}  // namespace lynx
