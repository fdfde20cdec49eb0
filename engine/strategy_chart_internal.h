#pragma once
// What the strategy chart's source files share and nothing outside them
// uses: how a pattern code is packed, the tie rule between holds of one line,
// the search for the line a hand fits, and the optimiser's value table.

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/card.h"
#include "engine/hold_mask.h"
#include "engine/strategy.h"
#include "engine/strategy_chart.h"
#include "engine/strategy_classes.h"

namespace lynx::chart_internal {

// Kinds of pattern. A code packs kind (bits 16-19), cards held n (13-15),
// wild cards held w (10-12) and details a (5-9), b (2-4) and c (bit 1).
enum Kind : std::uint32_t {
  kNothing = 0,
  kPat = 1,              // all five held, a paying hand; a = its row
  kSameRank = 2,         // pair, three, four or five of a kind; a = 1 for a high pair; b =
                         // the rank group (RankGroup) in games that pay fours by rank; c:
                         // three of a kind held with a kicker its four would pay more with
  kTwoPair = 3,          // b = 1: aces up, in games that pay four aces more
  kWildOnly = 4,         // wild cards and nothing else
  kRoyal = 5,            // n to a royal flush; c: with b high cards
  kRoyalCards = 6,       // the same with its ranks a (bits T J Q K A); c: no other card of the suit
  kStraightFlush = 7,    // n to a straight flush
  kStraightFlushBy = 8,  // a = ways to fill (see Details), b = high cards, c: no other card of
                         // the suit
  kFlush = 9,            // n to a flush
  kFlushBy = 10,         // b = high cards
  kStraight = 11,        // n to a straight; a = 1 for four open at both ends
  kStraightBy = 12,      // a = ways to fill (see Details), b = high cards
  kHighCards = 13,       // high cards only; a = 1 when suited
  kHighCardsExact = 14,  // single or unsuited high cards; a = their ranks (bits T J Q K A)
  kWildAndCard = 15,     // one wild card and one other card; a = the other card's rank, or
                         // a = 0 and b = the straights it is in (not for a high card); with
                         // no wild card (w = 0), one card alone of rank a
};

constexpr PatternCode Code(std::uint32_t kind, int n, int w, int a = 0, int b = 0, int c = 0) {
  return kind << 16 | static_cast<std::uint32_t>(n) << 13 | static_cast<std::uint32_t>(w) << 10 |
         static_cast<std::uint32_t>(a) << 5 | static_cast<std::uint32_t>(b) << 2 |
         static_cast<std::uint32_t>(c) << 1;
}
constexpr std::uint32_t KindOf(PatternCode p) {
  return p >> 16 & 15;
}
constexpr int HeldOf(PatternCode p) {
  return static_cast<int>(p >> 13 & 7);
}
constexpr int WildOf(PatternCode p) {
  return static_cast<int>(p >> 10 & 7);
}
constexpr int AOf(PatternCode p) {
  return static_cast<int>(p >> 5 & 31);
}
constexpr int BOf(PatternCode p) {
  return static_cast<int>(p >> 2 & 7);
}
constexpr int COf(PatternCode p) {
  return static_cast<int>(p >> 1 & 1);
}

constexpr std::size_t kCodeSpace = std::size_t{1} << 20;  // every 20-bit pattern code
constexpr int kAnyWild = 7;  // in the wild-card count: any number of them

// The ranks a game pays apart when four of them come: 1 aces, 2 twos to
// fours, 3 jacks to kings; 0 for a rank paid as any other (and in every game
// that pays fours alike).
inline int RankGroup(const GameRules& rules, int rank) {
  bool aces = false, low = false, faces = false;
  for (int r = 0; r < rules.rowCount; ++r) {
    switch (rules.rows[static_cast<std::size_t>(r)].category) {
      case HandCategory::kFourAces:
      case HandCategory::kFourAcesWithTwoToFour:
        aces = true;
        break;
      case HandCategory::kFourTwosToFours:
      case HandCategory::kFourTwosToFoursWithAceToFour:
        low = true;
        break;
      case HandCategory::kFourJacksToKings:
        faces = true;
        break;
      default:
        break;
    }
  }
  if (rank == 1) return aces ? 1 : 0;
  if (rank >= 2 && rank <= 4) return low ? 2 : 0;
  if (rank >= 11) return faces ? 3 : 0;
  return 0;
}

// Whether a game pays four of rank more with a kicker of rank kicker.
inline bool PaysKicker(const GameRules& rules, int rank, int kicker) {
  for (int r = 0; r < rules.rowCount; ++r) {
    const HandCategory c = rules.rows[static_cast<std::size_t>(r)].category;
    if (c == HandCategory::kFourAcesWithTwoToFour && rank == 1 && kicker >= 2 && kicker <= 4)
      return true;
    if (c == HandCategory::kFourTwosToFoursWithAceToFour && rank >= 2 && rank <= 4 && kicker <= 4)
      return true;
  }
  return false;
}

inline bool IsWild(GameVariant variant, CardCode card) {
  if (variant == kJokerWild) return card == kJoker;
  if (variant == kJacksOrBetter) return false;
  return Rank(card) == 2;
}

// Natural ranks of the held cards, highest first (ace 14), four bits each:
// the larger number holds the higher cards.
inline std::uint32_t HighCardsScore(GameVariant variant, const Hand& hand, unsigned mask) {
  const HoldMask held = HoldMask::FromBits(mask);
  int ranks[5];
  int n = 0;
  for (std::size_t i = 0; i < 5; ++i) {
    if (!held.Holds(static_cast<int>(i)) || IsWild(variant, hand[i])) continue;
    const int r = Rank(hand[i]) == 1 ? 14 : Rank(hand[i]);
    int j = n++;
    for (; j > 0 && ranks[j - 1] < r; --j) ranks[j] = ranks[j - 1];
    ranks[j] = r;
  }
  std::uint32_t score = 0;
  for (int i = 0; i < 5; ++i) score = score << 4 | static_cast<std::uint32_t>(i < n ? ranks[i] : 0);
  return score;
}

// Whether hold a goes before hold b of the same line: the higher cards, then
// the one holding the first card of the hand where they differ.
inline bool TieBefore(std::uint32_t scoreA, unsigned maskA, std::uint32_t scoreB, unsigned maskB) {
  if (scoreA != scoreB) return scoreA > scoreB;
  return HoldMask::FromBits(maskA).Holds(std::countr_zero(maskA ^ maskB));
}

// The first line (by lineOf, -1 for a pattern not in the chart) that a hold
// of the hand fits, and that hold.
struct Found {
  int line = -1;
  unsigned mask = 0;
};

template <typename LineOf>
Found FindLine(const GameRules& rules, const Hand& hand, int row, const LineOf& lineOf) {
  const GameVariant variant = rules.family;
  Found found;
  std::uint32_t foundScore = 0;
  HoldPatternList patterns;
  for (unsigned m = 0; m < kHoldCount; ++m) {
    const int count = HoldPatterns(rules, hand, m, row, patterns);
    for (int i = 0; i < count; ++i) {
      const int line = lineOf(patterns[static_cast<std::size_t>(i)]);
      if (line < 0 || (found.line >= 0 && line > found.line)) continue;
      const std::uint32_t score = HighCardsScore(variant, hand, m);
      if (line == found.line && !TieBefore(score, m, foundScore, found.mask)) continue;
      found = {line, m};
      foundScore = score;
    }
  }
  return found;
}

inline bool MachineJoker(GameVariant variant, JokerDeck deck) {
  return variant == kJokerWild && deck == JokerDeck::kMachine;
}

inline std::uint64_t DealWeight(const DealClass& d, bool machineJoker) {
  return std::uint64_t{d.deals} * (machineJoker ? (d.joker ? 48u : 47u) : 1u);
}

inline bool StopAsked(const std::atomic<bool>* stop) {
  return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// Every deal with, for each pattern some hold of it fits, the value of the
// hold the chart would play for that pattern.
struct Entry {
  std::uint32_t key;  // pattern code while gathering, then its number
  float value;        // EV per coin of the hold
};

struct Prepared {
  std::vector<PatternCode> codes;    // pattern of each key number
  std::vector<std::uint32_t> begin;  // deal d's entries: begin[d] .. begin[d + 1] - 1
  std::vector<Entry> entries;
  std::vector<double> weight;  // deal weight
  int nothing = -1;            // key of "Discard everything"
};

// The value table of deals (deal classes of the tables' game) for pays,
// coins 1..5 and deck, made on `threads` threads (0: one per core). Key
// numbers follow the patterns' first appearance in deal order. Incomplete
// once stop is set.
Prepared Prepare(const StrategyTables& tables, const std::vector<DealClass>& deals,
                 const Pays& pays, int coins, JokerDeck deck, int threads,
                 const std::atomic<bool>* stop);

// The chart's patterns above "Discard everything", best first, at most
// maxLines - 1 of them; none once stop is set.
std::vector<PatternCode> RankPatterns(const Prepared& prepared, int maxLines,
                                      const std::atomic<bool>* stop);

}  // namespace lynx::chart_internal
