#include "engine/strategy_chart.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cassert>
#include <cctype>
#include <numeric>
#include <thread>

#include "engine/evaluate.h"
#include "engine/exact_sums.h"

namespace lynx {

namespace {

// Kinds of pattern. A code packs kind (bits 16-19), cards held n (13-15),
// wild cards held w (10-12) and details a (5-9), b (2-4) and c (bit 1).
enum Kind : std::uint32_t {
  kNothing = 0,
  kPat = 1,              // all five held, a paying hand; a = its row
  kSameRank = 2,         // pair, three, four or five of a kind; a = 1 for a high pair
  kTwoPair = 3,          //
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
                         // a = 0 and b = the straights it is in (not for a high card)
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

// A pay row named "... or Better" (the lowest pair that pays).
bool OrBetterRow(const PayTable& table, int row) {
  const std::string_view caption = table.rows[static_cast<std::size_t>(row)].caption;
  return caption.size() > 10 && caption.ends_with(" or Better");
}
constexpr std::size_t kCodeSpace = std::size_t{1} << 20;
constexpr int kAnyWild = 7;  // in the wild-card count: any number of them

// Kinds that the wild games also have with any number of wild cards.
constexpr bool HasAnyWild(std::uint32_t kind, int held) {
  return kind == kRoyal || kind == kStraightFlush || kind == kFlush || kind == kStraight ||
         (kind == kSameRank && held >= 3);
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

bool IsHigh(GameVariant variant, int rank) {
  if (variant == kJacksOrBetter) return rank == 1 || rank >= 11;
  if (variant == kJokerWild) return rank == 1 || rank == 13;
  return false;
}

bool IsWild(GameVariant variant, CardCode card) {
  if (variant == kJokerWild) return card == kJoker;
  if (variant == kJacksOrBetter) return false;
  return Rank(card) == 2;
}

// Natural ranks of the held cards, highest first (ace 14), four bits each:
// the larger number holds the higher cards.
std::uint32_t HighCardsScore(GameVariant variant, const Hand& hand, unsigned mask) {
  int ranks[5];
  int n = 0;
  for (std::size_t i = 0; i < 5; ++i) {
    if (!(mask >> i & 1) || IsWild(variant, hand[i])) continue;
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
bool TieBefore(std::uint32_t scoreA, unsigned maskA, std::uint32_t scoreB, unsigned maskB) {
  if (scoreA != scoreB) return scoreA > scoreB;
  const unsigned differ = maskA ^ maskB;
  return (maskA & differ & (~differ + 1)) != 0;
}

const char* kNumberWords[] = {"No", "One", "Two", "Three", "Four", "Five"};

std::string RankLetters(int royalBits) {
  std::string s;
  const char letters[] = {'T', 'J', 'Q', 'K', 'A'};
  for (int bit = 4; bit >= 0; --bit) {
    if (royalBits >> bit & 1) s += letters[bit];
  }
  return s;
}

std::string WildWords(GameVariant variant, int w) {
  if (w == 0 || w == kAnyWild) return "";
  if (variant == kJokerWild) return " with the joker";
  return w == 1 ? " with 1 deuce" : " with " + std::to_string(w) + " deuces";
}

// ", 2 high cards" (nothing in Deuces Wild, where no card is high).
std::string HighWords(GameVariant variant, int high) {
  if (variant == kDeucesWild) return "";
  return ", " + (high == 0 ? std::string("no") : std::to_string(high)) +
         (high == 1 ? " high card" : " high cards");
}

// " (2 ways to fill, 1 high card)": how many straights the cards can still
// become, and their high cards. In Deuces Wild the straights that need a
// two, which only a deuce fills, are told apart (bits 3-4 of ways).
std::string Details(GameVariant variant, int ways, int high) {
  const int withDeuce = ways >> 3;
  ways &= 7;
  std::string s = " (" + std::to_string(ways) + (ways == 1 ? " way" : " ways") + " to fill";
  if (withDeuce > 0) s += ", " + std::to_string(withDeuce) + " more only with a deuce";
  if (variant != kDeucesWild) {
    s += ", " + (high == 0 ? std::string("no") : std::to_string(high)) +
         (high == 1 ? " high card" : " high cards");
  }
  return s + ")";
}

std::string Lower(std::string_view text) {
  std::string s(text);
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}

}  // namespace

PatternCode DiscardEverything() {
  return Code(kNothing, 0, 0);
}

int HoldPatterns(GameVariant variant, const Hand& hand, unsigned mask, int row,
                 HoldPatternList& out) {
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
    if (IsHigh(variant, r)) ++high;
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
      const PayTable& table = PayTableFor(variant);
      for (int x = std::max(row, 1); x < table.rowCount; ++x)
        if (!OrBetterRow(table, x)) add(Code(kPat, 5, 0, x, 0, 1));
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
        add(Code(kSameRank, n, w, IsHigh(variant, r) ? 1 : 0));
      }
    } else if (w == 0 && naturals == 4 && distinct == 2) {
      bool pairs = true;
      for (int r = 1; r <= 13; ++r) pairs = pairs && (rankCount[r] == 0 || rankCount[r] == 2);
      if (pairs) add(Code(kTwoPair, 4, 0));
    }
    return count;
  }
  // Distinct natural ranks from here on.
  if (naturals == 1 && w > 0) {
    const int r = std::countr_zero(rankMask) + 1;
    if (n == 2) {
      if (variant == kDeucesWild) return count;  // a deuce and any card: only the deuce counts
      add(Code(kWildAndCard, 2, 1, r));
      if (!IsHigh(variant, r)) add(Code(kWildAndCard, 2, 1, 0, kWays[1u << (r - 1)]));
      add(Code(kSameRank, 2, 1, IsHigh(variant, r) ? 1 : 0));
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
    if (ways > 0 && n >= 3) {
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
  if (w == 0 && high == naturals && naturals <= 3 && variant != kDeucesWild) {
    if (naturals == 1 || !suited) add(Code(kHighCardsExact, naturals, 0, royalBits));
    if (naturals <= 2 || !suited) add(Code(kHighCards, naturals, 0, suited && naturals > 1));
  }
  return count;
}

std::string PatternText(GameVariant variant, PatternCode p) {
  const int n = HeldOf(p), w = WildOf(p), a = AOf(p), b = BOf(p), c = COf(p);
  const std::string held = kNumberWords[n];
  std::string wild = WildWords(variant, w);
  if (w == 0 && variant != kJacksOrBetter && HasAnyWild(KindOf(p), n))
    wild = variant == kJokerWild ? ", no joker" : ", no deuces";
  const std::string alone = c ? ", no other card of the suit" : "";
  switch (KindOf(p)) {
    case kNothing:
      return "Discard everything";
    case kPat:
      return "Pat " + Lower(PayTableFor(variant).rows[static_cast<std::size_t>(a)].caption) +
             (c ? " or better" : "") + wild;
    case kSameRank:
      if (n == 2) {
        if (variant == kDeucesWild) return "Pair" + wild;
        if (a) {
          return std::string(variant == kJokerWild ? "High pair (kings or better)"
                                                   : "High pair (jacks or better)") +
                 wild;
        }
        return "Low pair" + wild;
      }
      return held + " of a kind" + wild;
    case kTwoPair:
      return "Two pair";
    case kWildOnly:
      if (variant == kJokerWild) return "The joker alone";
      return n == 1 ? "One deuce alone" : held + " deuces alone";
    case kRoyal:
      return held + " to a royal flush" + wild + (c ? HighWords(variant, b) : "");
    case kRoyalCards:
      if (w == 0 && n == 2) return "Suited " + RankLetters(a) + alone;
      return held + " to a royal flush" + wild + " (" + RankLetters(a) + ")" + alone;
    case kStraightFlush:
      return held + " to a straight flush" + wild;
    case kStraightFlushBy:
      if (n == 4 && w == 0 && variant != kDeucesWild) {
        return std::string(a >= 2 ? "Four to an outside straight flush"
                                  : "Four to an inside straight flush") +
               HighWords(variant, b) + alone;
      }
      return held + " to a straight flush" + wild + Details(variant, a, b) + alone;
    case kFlush:
      return held + " to a flush" + wild;
    case kFlushBy:
      return held + " to a flush" + wild + HighWords(variant, b);
    case kStraight:
      if (n == 4) {
        return std::string(a ? "Four to an outside straight" : "Four to an inside straight") + wild;
      }
      return held + " to a straight" + wild;
    case kStraightBy:
      if (n == 4 && w == 0 && variant != kDeucesWild) {
        return std::string(a >= 2 ? "Four to an outside straight" : "Four to an inside straight") +
               HighWords(variant, b);
      }
      return held + " to a straight" + wild + Details(variant, a, b);
    case kHighCards:
      if (n == 1) return "One high card";
      return held + (a ? " suited high cards" : " unsuited high cards");
    case kWildAndCard: {
      if (a == 0) {  // grouped by how many straights the card is in
        const char* groups[] = {
            "", "", "a two", "a three or a queen", "a four or a jack", "a five to a ten"};
        return std::string(variant == kJokerWild ? "The joker" : "One deuce") + " and " + groups[b];
      }
      const char* names[] = {"",       "an ace", "a two",   "a three",  "a four",
                             "a five", "a six",  "a seven", "an eight", "a nine",
                             "a ten",  "a jack", "a queen", "a king"};
      return std::string(variant == kJokerWild ? "The joker" : "One deuce") + " and " + names[a];
    }
    case kHighCardsExact: {
      if (n == 1) {
        const int bit = std::countr_zero(static_cast<unsigned>(a));
        const char* names[] = {"Ten", "Jack", "Queen", "King", "Ace"};
        return std::string(names[bit]) + " alone";
      }
      return "Unsuited " + RankLetters(a);
    }
    default:
      return "Unknown pattern";
  }
}

namespace {

// The first line (by lineOf, -1 for a pattern not in the chart) that a hold
// of the hand fits, and that hold.
struct Found {
  int line = -1;
  unsigned mask = 0;
};

template <typename LineOf>
Found FindLine(GameVariant variant, const Hand& hand, int row, const LineOf& lineOf) {
  Found found;
  std::uint32_t foundScore = 0;
  HoldPatternList patterns;
  for (unsigned m = 0; m < kHoldCount; ++m) {
    const int count = HoldPatterns(variant, hand, m, row, patterns);
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

bool MachineJoker(GameVariant variant, JokerDeck deck) {
  return variant == kJokerWild && deck == JokerDeck::kMachine;
}

std::uint64_t DealWeight(const DealClass& d, bool machineJoker) {
  return std::uint64_t{d.deals} * (machineJoker ? (d.joker ? 48u : 47u) : 1u);
}

// Runs fn(index, worker) for every index 0..count-1 on `threads` threads
// (0: one per core), chunks of 256 at a time.
template <typename Fn>
void ParallelFor(std::size_t count, int threads, const Fn& fn) {
  const int workers =
      threads > 0 ? threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  std::atomic<std::size_t> next{0};
  auto work = [&](int worker) {
    for (;;) {
      const std::size_t begin = next.fetch_add(256);
      if (begin >= count) break;
      const std::size_t end = std::min(begin + 256, count);
      for (std::size_t i = begin; i < end; ++i) fn(i, worker);
    }
  };
  std::vector<std::thread> pool;
  for (int w = 1; w < workers; ++w) pool.emplace_back(work, w);
  work(0);
  for (auto& t : pool) t.join();
}

int WorkerCount(int threads) {
  return threads > 0 ? threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

}  // namespace

ChartMatch MatchChart(const StrategyChart& chart, const Hand& hand) {
  const GameVariant variant = chart.pays.variant;
  const int row = ClassifyHand(hand, variant);
  const Found found = FindLine(variant, hand, row, [&chart](PatternCode p) {
    for (std::size_t i = 0; i < chart.lines.size(); ++i) {
      if (chart.lines[i].pattern == p) return static_cast<int>(i);
    }
    return -1;
  });
  ChartMatch match;
  match.line = found.line;
  match.holdMask = found.mask;
  if (found.line >= 0) match.text = chart.lines[static_cast<std::size_t>(found.line)].text;
  return match;
}

PlayedReturn ComputePlayedReturn(const StrategyTables& tables, const std::vector<DealClass>& deals,
                                 const Pays& pays, int coins, JokerDeck deck,
                                 const HoldChooser& chooser, int threads) {
  const bool machineJoker = MachineJoker(tables.Variant(), deck);
  std::array<std::int64_t, kPayTableRows> pay{};
  for (int r = 0; r < tables.RowCount(); ++r)
    pay[static_cast<std::size_t>(r)] = PayoutOf(pays, r, coins);
  std::uint64_t scale = 1;  // a multiple of every possible number of draws
  for (std::uint64_t k = 0; k <= 5; ++k) {
    scale = std::lcm(scale, Choose(static_cast<std::uint64_t>(tables.CardCount() - 5), k));
    if (machineJoker) scale = std::lcm(scale, 47 * Choose(47, k));
  }
  struct Sums {
    UInt128 chosen = 0, best = 0;
    std::uint64_t weight = 0, differentWeight = 0;
  };
  const int workers = WorkerCount(threads);
  std::vector<Sums> partial(static_cast<std::size_t>(workers));
  std::vector<HoldCounts> counts(static_cast<std::size_t>(workers));
  ParallelFor(deals.size(), workers, [&](std::size_t i, int worker) {
    const DealClass& d = deals[i];
    HoldCounts& c = counts[static_cast<std::size_t>(worker)];
    tables.CountHolds(d.hand, deck, c);
    std::array<std::int64_t, kHoldCount> payout{};
    unsigned best = 0;
    for (unsigned m = 0; m < kHoldCount; ++m) {
      for (std::size_t r = 0; r < kPayTableRows; ++r) payout[m] += c.rows[m][r] * pay[r];
      if (static_cast<UInt128>(payout[m]) * static_cast<std::uint64_t>(c.draws[best]) >
          static_cast<UInt128>(payout[best]) * static_cast<std::uint64_t>(c.draws[m]))
        best = m;
    }
    const unsigned chosen = chooser(d.hand) & (kHoldCount - 1);
    const std::uint64_t weight = DealWeight(d, machineJoker);
    Sums& s = partial[static_cast<std::size_t>(worker)];
    const auto value = [&](unsigned m) {
      return static_cast<UInt128>(weight) * (scale / static_cast<std::uint64_t>(c.draws[m])) *
             static_cast<std::uint64_t>(payout[m]);
    };
    const UInt128 chosenValue = value(chosen), bestValue = value(best);
    s.chosen += chosenValue;
    s.best += bestValue;
    s.weight += weight;
    if (chosenValue < bestValue) s.differentWeight += weight;
  });
  Sums total;
  for (const Sums& s : partial) {
    total.chosen += s.chosen;
    total.best += s.best;
    total.weight += s.weight;
    total.differentWeight += s.differentWeight;
  }
  PlayedReturn result;
  for (const DealClass& d : deals) result.deals += d.deals;
  if (total.weight == 0) return result;
  const UInt128 bet = static_cast<UInt128>(total.weight) * scale * static_cast<unsigned>(coins);
  result.returnRatio = Ratio(total.chosen, bet);
  result.exactReturn = Fraction(total.chosen, bet);
  result.optimalRatio = Ratio(total.best, bet);
  result.exactOptimal = Fraction(total.best, bet);
  result.differentShare =
      static_cast<double>(total.differentWeight) / static_cast<double>(total.weight);
  return result;
}

PlayedReturn ComputeChartReturn(const StrategyTables& tables, const StrategyChart& chart,
                                int threads) {
  return ComputeChartReturn(tables, chart, DealClasses(tables.Variant()), threads);
}

PlayedReturn ComputeChartReturn(const StrategyTables& tables, const StrategyChart& chart,
                                const std::vector<DealClass>& deals, int threads) {
  std::vector<std::int16_t> lineOf(kCodeSpace, -1);
  for (std::size_t i = 0; i < chart.lines.size(); ++i) {
    auto& slot = lineOf[chart.lines[i].pattern & (kCodeSpace - 1)];
    if (slot < 0) slot = static_cast<std::int16_t>(i);
  }
  const GameVariant variant = tables.Variant();
  const auto chooser = [&](const Hand& hand) {
    return FindLine(variant, hand, tables.RowOf(hand),
                    [&lineOf](PatternCode p) { return static_cast<int>(lineOf[p]); })
        .mask;
  };
  return ComputePlayedReturn(tables, deals, chart.pays, chart.coins, chart.deck, chooser, threads);
}

namespace {

bool StopAsked(const std::atomic<bool>* stop) {
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

Prepared Prepare(const StrategyTables& tables, const std::vector<DealClass>& deals,
                 const Pays& pays, int coins, JokerDeck deck, int threads,
                 const std::atomic<bool>* stop) {
  const GameVariant variant = tables.Variant();
  const bool machineJoker = MachineJoker(variant, deck);
  std::array<std::int64_t, kPayTableRows> pay{};
  for (int r = 0; r < tables.RowCount(); ++r)
    pay[static_cast<std::size_t>(r)] = PayoutOf(pays, r, coins);

  // Each worker takes one slice of the deals, in order, so the slices join up.
  const int workers = WorkerCount(threads);
  std::vector<std::vector<Entry>> sliceEntries(static_cast<std::size_t>(workers));
  std::vector<std::vector<std::uint32_t>> sliceCounts(static_cast<std::size_t>(workers));
  auto work = [&](int worker) {
    const std::size_t from =
        deals.size() * static_cast<std::size_t>(worker) / static_cast<std::size_t>(workers);
    const std::size_t to =
        deals.size() * static_cast<std::size_t>(worker + 1) / static_cast<std::size_t>(workers);
    auto& out = sliceEntries[static_cast<std::size_t>(worker)];
    auto& sizes = sliceCounts[static_cast<std::size_t>(worker)];
    std::vector<std::uint32_t> stamp(kCodeSpace, 0);
    std::vector<std::uint8_t> slotOf(kCodeSpace, 0);
    HoldCounts counts;
    HoldPatternList patterns;
    struct Candidate {
      PatternCode code;
      std::uint32_t score;
      unsigned mask;
    };
    std::vector<Candidate> found;
    for (std::size_t i = from; i < to; ++i) {
      if ((i & 255u) == 0 && StopAsked(stop)) return;
      const Hand& hand = deals[i].hand;
      tables.CountHolds(hand, deck, counts);
      const int row = tables.RowOf(hand);
      const auto dealStamp = static_cast<std::uint32_t>(i + 1);
      found.clear();
      for (unsigned m = 0; m < kHoldCount; ++m) {
        const int count = HoldPatterns(variant, hand, m, row, patterns);
        if (count == 0) continue;
        const std::uint32_t score = HighCardsScore(variant, hand, m);
        for (int j = 0; j < count; ++j) {
          const PatternCode p = patterns[static_cast<std::size_t>(j)];
          if (stamp[p] != dealStamp) {
            stamp[p] = dealStamp;
            slotOf[p] = static_cast<std::uint8_t>(found.size());
            found.push_back({p, score, m});
          } else {
            Candidate& c = found[slotOf[p]];
            if (TieBefore(score, m, c.score, c.mask)) c = {p, score, m};
          }
        }
      }
      for (const Candidate& c : found) {
        std::int64_t payout = 0;
        for (std::size_t r = 0; r < kPayTableRows; ++r) payout += counts.rows[c.mask][r] * pay[r];
        const double ev = static_cast<double>(payout) / static_cast<double>(counts.draws[c.mask]) /
                          static_cast<double>(coins);
        out.push_back({c.code, static_cast<float>(ev)});
      }
      sizes.push_back(static_cast<std::uint32_t>(found.size()));
    }
  };
  std::vector<std::thread> pool;
  for (int w = 1; w < workers; ++w) pool.emplace_back(work, w);
  work(0);
  for (auto& t : pool) t.join();

  Prepared prepared;
  std::vector<std::int32_t> keyOf(kCodeSpace, -1);
  prepared.begin.push_back(0);
  for (int w = 0; w < workers; ++w) {
    for (std::uint32_t size : sliceCounts[static_cast<std::size_t>(w)])
      prepared.begin.push_back(prepared.begin.back() + size);
    for (Entry e : sliceEntries[static_cast<std::size_t>(w)]) {
      if (keyOf[e.key] < 0) {
        keyOf[e.key] = static_cast<std::int32_t>(prepared.codes.size());
        prepared.codes.push_back(e.key);
      }
      e.key = static_cast<std::uint32_t>(keyOf[e.key]);
      prepared.entries.push_back(e);
    }
    sliceEntries[static_cast<std::size_t>(w)] = {};
  }
  for (const DealClass& d : deals)
    prepared.weight.push_back(static_cast<double>(DealWeight(d, machineJoker)));
  prepared.nothing = keyOf[DiscardEverything()];
  return prepared;
}

// The order of the patterns, improved a pattern at a time. Every deal plays
// the hold of its best-ranked pattern; the chart is the patterns ranked above
// "Discard everything", which every deal has.
class Ranking {
 public:
  Ranking(const Prepared& p, const std::atomic<bool>* stop)
      : p(p), keys(static_cast<int>(p.codes.size())), stop(stop) {
    const std::size_t deals = p.weight.size();
    // Deals of each pattern.
    std::vector<std::uint32_t> count(static_cast<std::size_t>(keys) + 1, 0);
    for (const Entry& e : p.entries) ++count[e.key + 1];
    std::partial_sum(count.begin(), count.end(), count.begin());
    byKeyBegin = count;
    byKey.resize(p.entries.size());
    for (std::size_t d = 0; d < deals; ++d) {
      for (std::uint32_t i = p.begin[d]; i < p.begin[d + 1]; ++i) {
        const Entry& e = p.entries[i];
        byKey[count[e.key]++] = {static_cast<std::uint32_t>(d), e.value};
      }
    }
    // First order: by the mean value of the pattern's hold where it occurs.
    std::vector<double> sum(static_cast<std::size_t>(keys), 0), weight(sum);
    for (std::size_t d = 0; d < deals; ++d) {
      for (std::uint32_t i = p.begin[d]; i < p.begin[d + 1]; ++i) {
        sum[p.entries[i].key] += p.weight[d] * p.entries[i].value;
        weight[p.entries[i].key] += p.weight[d];
      }
    }
    cover = weight;
    order.resize(static_cast<std::size_t>(keys));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return sum[static_cast<std::size_t>(a)] / weight[static_cast<std::size_t>(a)] >
             sum[static_cast<std::size_t>(b)] / weight[static_cast<std::size_t>(b)];
    });
    rank.resize(static_cast<std::size_t>(keys));
    Reranked();
    top1.resize(deals);
    top2.resize(deals);
    v1.resize(deals);
    v2.resize(deals);
    for (std::size_t d = 0; d < deals; ++d) Retop(d);
    gainAt.resize(static_cast<std::size_t>(keys));
  }

  int ChartSize() const { return rank[static_cast<std::size_t>(p.nothing)]; }
  const std::vector<int>& Order() const { return order; }

  void SetOrder(const std::vector<int>& to) {
    order = to;
    Reranked();
    for (std::size_t d = 0; d < top1.size(); ++d) Retop(d);
  }

  double Total() const {
    double total = 0;
    for (std::size_t d = 0; d < v1.size(); ++d) total += p.weight[d] * v1[d];
    return total;
  }

  // The build was asked to stop.
  bool Stopped() const { return StopAsked(stop); }

  // Moves every pattern once to its best place; patterns outside the chart
  // enter it only while it has fewer than `limit` patterns. Returns the gain.
  double Sweep(int limit) {
    double gained = 0;
    const std::vector<int> snapshot = order;
    for (int k : snapshot) {
      if (Stopped()) break;
      if (k == p.nothing) continue;
      const bool inside = rank[static_cast<std::size_t>(k)] < ChartSize();
      const Place place = BestPlace(k, inside || ChartSize() < limit);
      if (place.gain > place.current + kEpsilon) {
        MoveTo(k, place.position);
        gained += place.gain - place.current;
      }
    }
    return gained;
  }

  // The chart pattern whose deals lose least by falling to their next
  // pattern, and that loss.
  std::pair<int, double> Cheapest() const {
    std::vector<double> loss(static_cast<std::size_t>(keys), 0);
    for (std::size_t d = 0; d < v1.size(); ++d)
      loss[static_cast<std::size_t>(top1[d])] += p.weight[d] * (v1[d] - v2[d]);
    int cheapest = -1;
    for (int i = 0; i < ChartSize(); ++i) {
      const int k = order[static_cast<std::size_t>(i)];
      if (k == p.nothing) continue;
      if (cheapest < 0 ||
          loss[static_cast<std::size_t>(k)] < loss[static_cast<std::size_t>(cheapest)])
        cheapest = k;
    }
    return {cheapest, cheapest < 0 ? 0.0 : loss[static_cast<std::size_t>(cheapest)]};
  }

  // Takes out the chart pattern that costs least.
  void DropCheapest() { Drop(Cheapest().first); }

  void Drop(int k) {
    MoveTo(k, ChartSize());  // just below "Discard everything"
  }

  // While some pattern outside the chart gains more than the cheapest
  // pattern in it costs, swaps the two. Returns the number of swaps.
  int Swaps(int rounds) {
    int swaps = 0;
    for (; swaps < rounds && !Stopped(); ++swaps) {
      const auto [cheapest, loss] = Cheapest();
      if (cheapest < 0) break;
      int entrant = -1;
      double gain = 0;
      for (int i = ChartSize() + 1; i < keys; ++i) {
        const int k = order[static_cast<std::size_t>(i)];
        const Place place = BestPlace(k, true);
        if (place.gain > gain) {
          gain = place.gain;
          entrant = k;
        }
      }
      if (entrant < 0 || gain <= loss + kEpsilon) break;
      Drop(cheapest);
      MoveTo(entrant, BestPlace(entrant, true).position);
    }
    return swaps;
  }

  // Patterns outside the chart can make several inside it needless (a coarse
  // pattern that covers the deals of finer ones) while gaining little
  // themselves. Tries each of the `tries` most common: put it in, take out
  // the cheapest, swap while that pays; keeps the change if the total grew.
  void TryCoarser(int limit, int tries) {
    std::vector<std::pair<double, int>> common;
    for (int i = ChartSize() + 1; i < keys; ++i) {
      const int k = order[static_cast<std::size_t>(i)];
      common.push_back({cover[static_cast<std::size_t>(k)], k});
    }
    std::sort(common.rbegin(), common.rend());
    if (static_cast<int>(common.size()) > tries) common.resize(static_cast<std::size_t>(tries));
    for (const auto& [weight, k] : common) {
      if (Stopped()) break;
      if (rank[static_cast<std::size_t>(k)] < ChartSize()) continue;
      const Place place = BestPlace(k, true, true);
      const double before = Total();
      const std::vector<int> saved = order;
      touched.clear();
      tracking = true;
      MoveTo(k, place.position);
      while (ChartSize() > limit) DropCheapest();
      Swaps(8);
      tracking = false;
      if (Total() > before + kEpsilon) continue;
      order = saved;
      Reranked();
      for (int moved : touched) RetopDealsOf(moved);
    }
  }

  // Chart patterns that some deal plays, in order.
  std::vector<int> UsedChart() const {
    std::vector<char> used(static_cast<std::size_t>(keys), 0);
    for (int k : top1) used[static_cast<std::size_t>(k)] = 1;
    std::vector<int> chart;
    for (int i = 0; i < ChartSize(); ++i) {
      const int k = order[static_cast<std::size_t>(i)];
      if (used[static_cast<std::size_t>(k)]) chart.push_back(k);
    }
    return chart;
  }

 private:
  static constexpr double kEpsilon = 1e-9;
  struct Place {
    int position = 0;  // index in the order without the pattern
    double gain = 0, current = 0;
  };
  struct DealValue {
    std::uint32_t deal;
    float value;
  };

  void Reranked() {
    for (int i = 0; i < keys; ++i)
      rank[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = i;
  }

  void Retop(std::size_t d) {
    int best = -1, second = -1;
    float bestValue = 0, secondValue = 0;
    for (std::uint32_t i = p.begin[d]; i < p.begin[d + 1]; ++i) {
      const auto k = static_cast<int>(p.entries[i].key);
      const float value = p.entries[i].value;
      if (best < 0 || rank[static_cast<std::size_t>(k)] < rank[static_cast<std::size_t>(best)]) {
        second = best;
        secondValue = bestValue;
        best = k;
        bestValue = value;
      } else if (second < 0 ||
                 rank[static_cast<std::size_t>(k)] < rank[static_cast<std::size_t>(second)]) {
        second = k;
        secondValue = value;
      }
    }
    top1[d] = best;
    v1[d] = bestValue;
    top2[d] = second < 0 ? best : second;
    v2[d] = second < 0 ? bestValue : secondValue;
  }

  // The best place for pattern k given the order of the others. Placed at
  // position q of the order without k, a deal plays k when its best other
  // pattern sits at q or below.
  // With inChart the place is the highest in the chart among the best there,
  // even when that loses.
  Place BestPlace(int k, bool mayEnter, bool inChart = false) {
    std::fill(gainAt.begin(), gainAt.end(), 0.0);
    const int rk = rank[static_cast<std::size_t>(k)];
    for (std::uint32_t i = byKeyBegin[static_cast<std::size_t>(k)];
         i < byKeyBegin[static_cast<std::size_t>(k) + 1]; ++i) {
      const DealValue& dv = byKey[i];
      const bool first = top1[dv.deal] == k;
      const int other = first ? top2[dv.deal] : top1[dv.deal];
      const float otherValue = first ? v2[dv.deal] : v1[dv.deal];
      if (other == k) continue;
      const int ro = rank[static_cast<std::size_t>(other)];
      gainAt[static_cast<std::size_t>(ro - (ro > rk ? 1 : 0))] +=
          p.weight[dv.deal] * (static_cast<double>(dv.value) - otherValue);
    }
    const int rn = rank[static_cast<std::size_t>(p.nothing)];
    const int nothingAt = rn - (rn > rk ? 1 : 0);
    Place place;
    double suffix = 0;
    place.position = keys - 1;
    place.gain = 0;
    if (inChart) {
      for (int q = keys - 2; q > nothingAt; --q) suffix += gainAt[static_cast<std::size_t>(q)];
      place.gain = -1e300;
      for (int q = nothingAt; q >= 0; --q) {
        suffix += gainAt[static_cast<std::size_t>(q)];
        if (suffix >= place.gain - kEpsilon) {
          place.gain = std::max(place.gain, suffix);
          place.position = q;
        }
      }
      return place;
    }
    for (int q = keys - 2; q >= 0; --q) {
      suffix += gainAt[static_cast<std::size_t>(q)];
      if (q == rk) place.current = suffix;
      if (!mayEnter && q <= nothingAt) continue;
      if (suffix > place.gain + kEpsilon) {
        place.gain = suffix;
        place.position = q;
      }
    }
    return place;
  }

  void MoveTo(int k, int position) {
    order.erase(order.begin() + rank[static_cast<std::size_t>(k)]);
    order.insert(order.begin() + position, k);
    Reranked();
    RetopDealsOf(k);
    if (tracking) touched.push_back(k);
  }

  void RetopDealsOf(int k) {
    for (std::uint32_t i = byKeyBegin[static_cast<std::size_t>(k)];
         i < byKeyBegin[static_cast<std::size_t>(k) + 1]; ++i)
      Retop(byKey[i].deal);
  }

  const Prepared& p;
  int keys;
  const std::atomic<bool>* stop;
  std::vector<std::uint32_t> byKeyBegin;
  std::vector<DealValue> byKey;
  std::vector<int> order, rank;
  std::vector<int> top1, top2;
  std::vector<float> v1, v2;
  std::vector<double> gainAt;
  std::vector<double> cover;  // weight of the deals where the pattern occurs
  bool tracking = false;      // note the patterns moved in touched
  std::vector<int> touched;
};

}  // namespace

namespace {

// The chart's patterns above "Discard everything", best first.
std::vector<PatternCode> RankPatterns(const Prepared& prepared, int maxLines,
                                      const std::atomic<bool>* stop) {
  Ranking ranking(prepared, stop);
  const int limit = std::max(0, maxLines - 1);  // patterns above "Discard everything"
  const int unlimited = static_cast<int>(prepared.codes.size());
  for (int i = 0; i < 30 && ranking.Sweep(unlimited) > 0; ++i) {
  }
  // Local improvements for a chart of at most `lines` patterns.
  const auto improve = [&ranking](int lines) {
    while (ranking.ChartSize() > lines && !ranking.Stopped()) ranking.DropCheapest();
    for (int round = 0; round < 3; ++round) {
      const double before = ranking.Total();
      ranking.Swaps(lines);
      ranking.TryCoarser(lines, 60);
      for (int i = 0; i < 30 && ranking.Sweep(lines) > 0; ++i) {
      }
      if (ranking.Total() <= before) break;
    }
  };
  // Two ways down to the limit, the better kept: straight there, and in
  // stages with improvements on the way (each ends in a different local
  // optimum, and neither is always the better).
  const std::vector<int> start = ranking.Order();
  improve(limit);
  const std::vector<int> direct = ranking.Order();
  const double directTotal = ranking.Total();
  ranking.SetOrder(start);
  for (const int lines : {limit * 2, limit * 3 / 2, limit * 5 / 4}) {
    if (lines < ranking.ChartSize()) improve(lines);
  }
  improve(limit);
  if (ranking.Total() < directTotal) ranking.SetOrder(direct);
  if (ranking.Stopped()) return {};

  std::vector<PatternCode> codes;
  for (int k : ranking.UsedChart()) codes.push_back(prepared.codes[static_cast<std::size_t>(k)]);
  return codes;
}

}  // namespace

void NarrowPatLines(StrategyChart& chart, const std::vector<DealClass>& deals) {
  const GameVariant variant = chart.pays.variant;
  std::vector<int> lowest(chart.lines.size(), -1), highest(chart.lines.size(), kPayTableRows);
  bool any = false;
  for (const ChartLine& line : chart.lines) any = any || (KindOf(line.pattern) == kPat && COf(line.pattern));
  if (!any) return;
  for (const DealClass& d : deals) {
    const ChartMatch m = MatchChart(chart, d.hand);
    if (m.line < 0) continue;
    const auto i = static_cast<std::size_t>(m.line);
    if (KindOf(chart.lines[i].pattern) != kPat || !COf(chart.lines[i].pattern)) continue;
    const int row = ClassifyHand(d.hand, variant);
    lowest[i] = std::max(lowest[i], row);
    highest[i] = std::min(highest[i], row);
  }
  for (std::size_t i = 0; i < chart.lines.size(); ++i) {
    if (lowest[i] < 0) continue;
    const PatternCode narrowed =
        Code(kPat, 5, 0, lowest[i], 0, lowest[i] == highest[i] ? 0 : 1);
    chart.lines[i] = {narrowed, PatternText(variant, narrowed)};
  }
}

StrategyChart BuildChart(const StrategyTables& tables, const Pays& pays, int coins, JokerDeck deck,
                         const ChartOptions& options) {
  return BuildChart(tables, DealClasses(tables.Variant()), pays, coins, deck, options);
}

StrategyChart BuildChart(const StrategyTables& tables, const std::vector<DealClass>& deals,
                         const Pays& pays, int coins, JokerDeck deck, const ChartOptions& options) {
  const GameVariant variant = tables.Variant();
  StrategyChart chart;
  chart.pays = pays;
  chart.coins = coins;
  chart.deck = deck;
  if (!deals.empty()) {
    const Prepared prepared =
        Prepare(tables, deals, pays, coins, deck, options.threads, options.stop);
    if (StopAsked(options.stop)) return chart;
    for (const PatternCode code : RankPatterns(prepared, options.maxLines, options.stop))
      chart.lines.push_back({code, PatternText(variant, code)});
  }
  chart.lines.push_back({DiscardEverything(), PatternText(variant, DiscardEverything())});
  NarrowPatLines(chart, deals);
  return chart;
}

}  // namespace lynx
