// The patterns a set of held cards fits: what HoldPatterns finds in a hold
// and how it packs each into a PatternCode.

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <string_view>

#include "engine/evaluate.h"
#include "engine/hold_mask.h"
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

// What a hold keeps, read once: how many cards, how many of them wild, and
// the ranks and suits of the natural ones.
struct HeldCards {
  int n = 0;               // cards held
  int w = 0;               // wild cards among them
  int naturals = 0;        // the others
  int suitMask = 0;        // bit s for a natural of suit s
  int suit = -1;           // the suit of the last natural
  int high = 0;            // naturals that make a paying pair
  int royalBits = 0;       // the royal ranks among the naturals (RoyalBit)
  bool royal = true;       // every natural of a royal rank
  unsigned rankMask = 0;   // bit r-1 for a natural of rank r
  int rankCount[14] = {};  // naturals of each rank 1..13
};

HeldCards ReadHold(const GameRules& rules, const Hand& hand, HoldMask held) {
  HeldCards h;
  h.n = held.Count();
  for (int i = 0; i < 5; ++i) {
    if (!held.Holds(i)) continue;
    const CardCode card = hand[static_cast<std::size_t>(i)];
    if (IsWild(rules.family, card)) {
      ++h.w;
      continue;
    }
    ++h.naturals;
    const int r = Rank(card);
    h.suit = SuitIndex(card);
    h.suitMask |= 1 << h.suit;
    h.rankMask |= 1u << (r - 1);
    ++h.rankCount[r];
    if (IsHigh(rules, r)) ++h.high;
    const int bit = RoyalBit(r);
    if (bit < 0) {
      h.royal = false;
    } else {
      h.royalBits |= 1 << bit;
    }
  }
  return h;
}

// The patterns of one hold, as they are found.
class PatternList {
 public:
  PatternList(GameVariant variant, HoldPatternList& out) : variant(variant), out(out) {}

  void Add(PatternCode p) {
    assert(count < kMaxPatterns);
    out[static_cast<std::size_t>(count++)] = p;
  }
  // The pattern with this number of wild cards, and in the wild games also
  // with any number of them.
  void AddAny(std::uint32_t kind, int held, int wild, int a = 0) {
    Add(Code(kind, held, wild, a));
    if (variant != kJacksOrBetter) Add(Code(kind, held, kAnyWild, a));
  }
  int Count() const { return count; }

 private:
  GameVariant variant;
  HoldPatternList& out;
  int count = 0;
};

// All five held, a paying hand of row.
void AddPatHand(const GameRules& rules, int row, PatternList& list) {
  if (row < 0) return;
  list.Add(Code(kPat, 5, 0, row));  // the same line whatever the wild cards
  // Also "Pat <X> or better" for every row X from this one down (X below the
  // top row, and not a row that is itself "... or Better"): one chart line
  // can then stand for several pat hands in a row of the order.
  for (int x = std::max(row, 1); x < rules.rowCount; ++x)
    if (!OrBetterRow(rules, x)) list.Add(Code(kPat, 5, 0, x, 0, 1));
}

// Naturals of which two or more share a rank: a pair, three or four of a
// kind, two pair, or three of a kind with a kicker.
void AddSameRanks(const GameRules& rules, const HeldCards& h, PatternList& list) {
  const int distinct = std::popcount(h.rankMask);
  if (distinct == 1) {
    const int r = std::countr_zero(h.rankMask) + 1;
    if (h.n >= 3) {
      list.AddAny(kSameRank, h.n, h.w);
    } else {
      list.Add(Code(kSameRank, h.n, h.w, IsHigh(rules, r) ? 1 : 0));
    }
    // Where fours of this rank pay apart: the pair or three by its rank.
    const int group = h.w == 0 && h.n <= 3 ? RankGroup(rules, r) : 0;
    if (group != 0) list.Add(Code(kSameRank, h.n, 0, IsHigh(rules, r) ? 1 : 0, group));
    return;
  }
  if (h.w != 0 || h.naturals != 4 || distinct != 2) return;
  bool pairs = true;
  for (int r = 1; r <= 13; ++r) pairs = pairs && (h.rankCount[r] == 0 || h.rankCount[r] == 2);
  if (pairs) {
    list.Add(Code(kTwoPair, 4, 0));
    if (h.rankCount[1] == 2 && RankGroup(rules, 1) != 0) list.Add(Code(kTwoPair, 4, 0, 0, 1));
  }
  // Three of a kind and the kicker its four would pay more with.
  for (int r = 1; r <= 13; ++r) {
    if (h.rankCount[r] != 3) continue;
    for (int k = 1; k <= 13; ++k) {
      if (h.rankCount[k] == 1 && PaysKicker(rules, r, k))
        list.Add(Code(kSameRank, 4, 0, 0, RankGroup(rules, r), 1));
    }
  }
}

// One wild card and one natural card of rank r.
void AddWildAndCard(const GameRules& rules, int r, PatternList& list) {
  if (rules.family == kDeucesWild) return;  // a deuce and any card: only the deuce counts
  list.Add(Code(kWildAndCard, 2, 1, r));
  if (!IsHigh(rules, r)) list.Add(Code(kWildAndCard, 2, 1, 0, kWays[1u << (r - 1)]));
  list.Add(Code(kSameRank, 2, 1, IsHigh(rules, r) ? 1 : 0));
}

// 1 when no ordinary card of the suit the hold keeps is thrown away.
int NoneOfSuitDiscarded(GameVariant variant, const Hand& hand, HoldMask held, int suit) {
  for (int i = 0; i < 5; ++i) {
    const CardCode card = hand[static_cast<std::size_t>(i)];
    if (held.Holds(i) || card == kJoker || IsWild(variant, card)) continue;
    if (SuitIndex(card) == suit) return 0;
  }
  return 1;
}

// Two or more cards of one suit: to a royal flush, a straight flush or a
// flush. ways: the straights the ranks are in; waysCode: the same as a
// pattern detail; c: 1 when no other card of the suit is discarded.
void AddSuitedDraws(const GameRules& rules, const HeldCards& h, int ways, int waysCode, int c,
                    PatternList& list) {
  const GameVariant variant = rules.family;
  if (h.royal) {
    list.AddAny(kRoyal, h.n, h.w);
    if (variant != kDeucesWild && h.naturals <= 3) list.Add(Code(kRoyal, h.n, h.w, 0, h.high, 1));
    list.Add(Code(kRoyalCards, h.n, h.w, h.royalBits));
    if (c) list.Add(Code(kRoyalCards, h.n, h.w, h.royalBits, 0, 1));
  }
  // Two to a straight flush, which the joker can fill, in the library's
  // joker games (the machine's charts keep the lines they were made with).
  if (ways > 0 && (h.n >= 3 || (h.n == 2 && rules.machine == 0 && variant == kJokerWild))) {
    list.AddAny(kStraightFlush, h.n, h.w);
    list.Add(Code(kStraightFlushBy, h.n, h.w, waysCode, h.high));
    if (c) list.Add(Code(kStraightFlushBy, h.n, h.w, waysCode, h.high, 1));
  }
  if (h.n >= 3) {
    list.AddAny(kFlush, h.n, h.w);
    list.Add(Code(kFlushBy, h.n, h.w, 0, h.high));
  }
}

// Naturals of distinct ranks, with or without wild cards: the draws to
// straights and flushes, and the high cards.
void AddDistinctRanks(const GameRules& rules, const Hand& hand, HoldMask held, const HeldCards& h,
                      PatternList& list) {
  const GameVariant variant = rules.family;
  if (h.naturals == 1 && h.w > 0) {
    if (h.n == 2) {
      AddWildAndCard(rules, std::countr_zero(h.rankMask) + 1, list);
      return;
    }
    list.AddAny(kSameRank, h.n, h.w);
  }
  const bool suited = std::popcount(static_cast<unsigned>(h.suitMask)) == 1;
  const int ways = kWays[h.rankMask];
  // In Deuces Wild a straight that needs a two needs a deuce: those ways are
  // counted apart, in the upper bits.
  const int waysCode = variant == kDeucesWild ? kWaysWithoutTwos[h.rankMask] |
                                                    (ways - kWaysWithoutTwos[h.rankMask]) << 3
                                              : ways;
  if (suited && h.n >= 2) {
    const int c = NoneOfSuitDiscarded(variant, hand, held, h.suit);
    AddSuitedDraws(rules, h, ways, waysCode, c, list);
  }
  if (ways > 0 && h.n >= 3) {
    list.AddAny(kStraight, h.n, h.w, h.n == 4 && ways >= 2 ? 1 : 0);
    list.Add(Code(kStraightBy, h.n, h.w, waysCode, h.high));
  }
  // Where no pair pays, one card of a royal flush may still be worth keeping
  // for the straights and royals it makes with the joker.
  if (h.n == 1 && h.w == 0 && rules.lowestPaidPair == 0 && variant == kJokerWild) {
    if (h.royal) list.Add(Code(kHighCardsExact, 1, 0, h.royalBits));
    list.Add(Code(kWildAndCard, 1, 0, std::countr_zero(h.rankMask) + 1));  // the card by its rank
  }
  if (h.w == 0 && h.high == h.naturals && h.naturals <= 3 && variant != kDeucesWild) {
    if (h.naturals == 1 || !suited) list.Add(Code(kHighCardsExact, h.naturals, 0, h.royalBits));
    if (h.naturals <= 2 || !suited)
      list.Add(Code(kHighCards, h.naturals, 0, suited && h.naturals > 1));
  }
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
  PatternList list(rules.family, out);
  const HoldMask held = HoldMask::FromBits(mask);
  if (held.Count() == 0) {
    list.Add(Code(kNothing, 0, 0));
    return list.Count();
  }
  const HeldCards h = ReadHold(rules, hand, held);
  if (h.n == 5) {
    AddPatHand(rules, row, list);
  } else if (h.naturals == 0) {
    list.Add(Code(kWildOnly, h.n, h.w));
  } else if (std::popcount(h.rankMask) < h.naturals) {
    AddSameRanks(rules, h, list);
  } else {
    AddDistinctRanks(rules, hand, held, h, list);
  }
  return list.Count();
}

}  // namespace lynx
