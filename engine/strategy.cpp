#include "engine/strategy.h"

#include <algorithm>
#include <bit>
#include <cassert>

#include "engine/evaluate.h"
#include "engine/hold_mask.h"
#include "engine/strategy_classes.h"

namespace lynx {

namespace {

__extension__ typedef __int128 Int128;

// Cards inside the solver are indices 0..52: code - 1 for the ordinary cards
// (suit * 13 + rank - 1), 52 for the joker. A set of k indices e0 < e1 < ...
// is numbered by its colex index C(e0, 1) + C(e1, 2) + ... + C(e(k-1), k),
// which runs over 0 .. C(cards, k) - 1 without gaps.
constexpr int kJokerIndex = 52;
constexpr int kRowSlots = static_cast<int>(std::tuple_size_v<RowVector>);
constexpr int kMaxCards = 53;

// C(n, k) for n 0..53, k 0..6 (0 when k > n). A plain array: the hot loops
// index it directly, which keeps even unoptimised builds quick.
struct Binomials {
  std::uint32_t c[kMaxCards + 1][7]{};
  constexpr Binomials() {
    for (int n = 0; n <= kMaxCards; ++n) {
      c[n][0] = 1;
      for (int k = 1; k <= 6; ++k) c[n][k] = n == 0 ? 0 : c[n - 1][k - 1] + c[n - 1][k];
    }
  }
};
constexpr Binomials kBinomials;

constexpr std::uint32_t ChooseSmall(int n, int k) {
  return kBinomials.c[n][k];
}

int CardIndex(CardCode code) {
  return code == kJoker ? kJokerIndex : code - 1;
}

// Colex index of ascending card indices.
std::uint32_t ColexIndex(const int* cards, int count) {
  std::uint32_t index = 0;
  for (int j = 0; j < count; ++j) index += ChooseSmall(cards[j], j + 1);
  return index;
}

// Ascending card indices of the cards of the suit masks, plus the joker last.
int ClassIndices(const SuitMasks& masks, bool joker, int* out) {
  int n = 0;
  for (int suit = 0; suit < 4; ++suit) {
    unsigned m = masks[static_cast<std::size_t>(suit)];
    while (m != 0) {
      out[n++] = suit * 13 + std::countr_zero(m);
      m &= m - 1;
    }
  }
  if (joker) out[n++] = kJokerIndex;
  return n;
}

// Bit counts and highest bits of the 32 hold masks.
constexpr std::array<int, kHoldCount> kBitCount = [] {
  std::array<int, kHoldCount> a{};
  for (unsigned m = 0; m < kHoldCount; ++m) a[m] = std::popcount(m);
  return a;
}();
constexpr std::array<int, kHoldCount> kTopBit = [] {
  std::array<int, kHoldCount> a{};
  for (unsigned m = 1; m < kHoldCount; ++m) a[m] = 31 - std::countl_zero(m);
  return a;
}();

// Colex indices of all members of a suit class, fast: the part of the index
// that the cards of one suit contribute depends only on the suit, its rank
// mask and how many cards of the lower suits come before it.
class MemberIndexer {
 public:
  MemberIndexer() : part(4 * kMasks * 6, 0) {
    for (int suit = 0; suit < 4; ++suit) {
      for (int mask = 0; mask < kMasks; ++mask) {
        const int count = std::popcount(static_cast<unsigned>(mask));
        if (count > 5) continue;
        for (int before = 0; before + count <= 5; ++before) {
          std::uint32_t sum = 0;
          int place = before;
          for (int bit = 0; bit < 13; ++bit) {
            if (mask >> bit & 1) sum += ChooseSmall(suit * 13 + bit, ++place);
          }
          part[Slot(suit, mask, before)] = sum;
        }
      }
    }
    // Canonical masks are sorted, so equal masks are neighbours; bit i of a
    // pattern says masks i and i + 1 are equal. An order gives a new member
    // only if it keeps equal masks in their canonical order.
    for (int pattern = 0; pattern < 8; ++pattern) {
      std::array<int, 4> p{0, 1, 2, 3};
      do {
        bool first = true;
        for (int s = 0; s < 4; ++s) {
          for (int t = s + 1; t < 4; ++t) {
            const int lo = std::min(p[static_cast<std::size_t>(s)], p[static_cast<std::size_t>(t)]);
            const int hi = std::max(p[static_cast<std::size_t>(s)], p[static_cast<std::size_t>(t)]);
            bool equal = true;
            for (int i = lo; i < hi; ++i) equal = equal && (pattern >> i & 1);
            if (equal && p[static_cast<std::size_t>(s)] > p[static_cast<std::size_t>(t)])
              first = false;
          }
        }
        if (first) orders[static_cast<std::size_t>(pattern)].push_back(p);
      } while (std::next_permutation(p.begin(), p.end()));
    }
  }

  // Calls fn(index) for every member of c, with the joker added when joker is
  // set. Suit s of a member takes masks[order[s]].
  template <typename Fn>
  void ForEachMember(const SuitClass& c, bool joker, Fn&& fn) const {
    const std::uint16_t* masks = c.masks.data();
    const int cards = std::popcount(static_cast<unsigned>(masks[0])) +
                      std::popcount(static_cast<unsigned>(masks[1])) +
                      std::popcount(static_cast<unsigned>(masks[2])) +
                      std::popcount(static_cast<unsigned>(masks[3]));
    const std::uint32_t jokerPart = joker ? ChooseSmall(kJokerIndex, cards + 1) : 0;
    const int pattern = (masks[0] == masks[1] ? 1 : 0) | (masks[1] == masks[2] ? 2 : 0) |
                        (masks[2] == masks[3] ? 4 : 0);
    const std::uint32_t* parts = part.data();
    for (const auto& order : orders[static_cast<std::size_t>(pattern)]) {
      const int* o = order.data();
      std::uint32_t index = jokerPart;
      int before = 0;
      for (int s = 0; s < 4; ++s) {
        const int mask = masks[o[s]];
        index += parts[Slot(s, mask, before)];
        before += std::popcount(static_cast<unsigned>(mask));
      }
      fn(index);
    }
  }

 private:
  static constexpr int kMasks = 1 << 13;
  static std::size_t Slot(int suit, int mask, int before) {
    return static_cast<std::size_t>((suit * kMasks + mask) * 6 + before);
  }
  std::vector<std::uint32_t> part;
  std::array<std::vector<std::array<int, 4>>, 8> orders;  // by equality pattern
};

// The hand's card indices in ascending order and, for each, its position in
// the hand.
struct SortedHand {
  int card[5];
  int position[5];
};

SortedHand SortHand(const Hand& hand) {
  SortedHand sorted;
  int* e = sorted.card;
  int* position = sorted.position;
  for (int i = 0; i < 5; ++i) {
    const int card = CardIndex(hand[static_cast<std::size_t>(i)]);
    int j = i;
    for (; j > 0 && e[j - 1] > card; --j) {
      e[j] = e[j - 1];
      position[j] = position[j - 1];
    }
    e[j] = card;
    position[j] = i;
  }
  return sorted;
}

// Colex index of every subset of the sorted cards, by mask over their
// places. The highest card of a subset of size s sits at place s.
void SubsetIndexes(const int* e, std::uint32_t* index) {
  index[0] = 0;
  for (int m = 1; m < kHoldCount; ++m) {
    const int top = kTopBit[static_cast<std::size_t>(m)];
    index[m] = index[m ^ (1 << top)] + ChooseSmall(e[top], kBitCount[static_cast<std::size_t>(m)]);
  }
}

// The superset Moebius transform over the five cards: from the hands that
// contain each subset m to the hands that contain m and none of the other
// cards of the hand, which are exactly the draws of hold m.
void KeepOnlySubset(std::int32_t (*v)[kRowSlots]) {
  for (int bit = 1; bit < kHoldCount; bit <<= 1) {
    for (int m = 0; m < kHoldCount; ++m) {
      if (m & bit) continue;
      std::int32_t* to = v[m];
      const std::int32_t* with = v[m | bit];
      for (int r = 0; r < kRowSlots; ++r) to[r] -= with[r];
    }
  }
}

// A subset of the sorted cards (bit j for place j) as the hold of the same
// cards in the hand.
HoldMask HoldOfPlaces(unsigned places, const int* position) {
  const HoldMask sorted = HoldMask::FromBits(places);
  HoldMask held;
  for (int j = 0; j < 5; ++j) {
    if (sorted.Holds(j)) held = held.With(position[j], true);
  }
  return held;
}

}  // namespace

StrategyTables::StrategyTables(GameVariant variant_) : StrategyTables(MachineRules(variant_)) {}

StrategyTables::StrategyTables(const GameRules& rules_)
    : rules(&rules_),
      variant(rules_.family),
      rowCount(rules_.rowCount),
      cardCount(rules_.CardCount()) {
  const bool jokerGame = cardCount == 53;

  // Rows of every hand: one ClassifyHand per suit class, copied to the members.
  const MemberIndexer indexer;
  rowOfHand.assign(ChooseSmall(cardCount, 5), -1);
  for (int withJoker = 0; withJoker <= (jokerGame ? 1 : 0); ++withJoker) {
    for (const SuitClass& c : SuitClasses(5 - withJoker)) {
      Hand hand{};
      CardsOf(c.masks, hand.data());
      if (withJoker) hand[4] = kJoker;
      const auto row = static_cast<std::int8_t>(ClassifyRules(hand, rules_));
      std::int8_t* rows = rowOfHand.data();
      indexer.ForEachMember(c, withJoker != 0,
                            [rows, row](std::uint32_t index) { rows[index] = row; });
    }
  }

  // Sets of k cards, from k = 4 down to 0. Summing the counts of the sets
  // one card larger counts each hand that contains the set once for every
  // card it has beyond the set, that is 5 - k times.
  for (int k = 4; k >= 0; --k) {
    auto& level = containing[static_cast<std::size_t>(k)];
    level.assign(ChooseSmall(cardCount, k), RowVector{});
    for (int withJoker = 0; withJoker <= (jokerGame && k > 0 ? 1 : 0); ++withJoker) {
      for (const SuitClass& c : SuitClasses(k - withJoker)) {
        int e[5];
        const int n = ClassIndices(c.masks, withJoker != 0, e);
        // Index of e plus card x, inserted at position p: the cards below x
        // keep their place, those above move up one.
        std::array<std::uint32_t, 6> below{}, above{};
        for (int j = 0; j < n; ++j)
          below[static_cast<std::size_t>(j + 1)] =
              below[static_cast<std::size_t>(j)] + ChooseSmall(e[j], j + 1);
        for (int j = n - 1; j >= 0; --j)
          above[static_cast<std::size_t>(j)] =
              above[static_cast<std::size_t>(j + 1)] + ChooseSmall(e[j], j + 2);
        RowVector sum{};
        std::int32_t* acc = sum.data();
        const std::int8_t* rows = rowOfHand.data();
        const RowVector* larger =
            k < 4 ? containing[static_cast<std::size_t>(k + 1)].data() : nullptr;
        int p = 0;
        for (int x = 0; x < cardCount; ++x) {
          if (p < n && e[p] == x) {
            ++p;
            continue;
          }
          const std::uint32_t index = below[static_cast<std::size_t>(p)] + ChooseSmall(x, p + 1) +
                                      above[static_cast<std::size_t>(p)];
          if (larger == nullptr) {
            if (rows[index] >= 0) ++acc[rows[index]];
          } else {
            const std::int32_t* more = larger[index].data();
            for (int r = 0; r < kRowSlots; ++r) acc[r] += more[r];
          }
        }
        for (int r = 0; r < kRowSlots; ++r) {
          assert(acc[r] % (5 - k) == 0);
          acc[r] /= 5 - k;
        }
        RowVector* out = level.data();
        indexer.ForEachMember(c, withJoker != 0,
                              [out, &sum](std::uint32_t index) { out[index] = sum; });
      }
    }
  }
}

int StrategyTables::RowOf(const Hand& hand) const {
  // Insertion sort: five cards, and quick in unoptimised builds too.
  int e[5];
  const CardCode* codes = hand.data();
  for (int i = 0; i < 5; ++i) {
    const int card = codes[i] == kJoker ? kJokerIndex : codes[i] - 1;
    int j = i;
    for (; j > 0 && e[j - 1] > card; --j) e[j] = e[j - 1];
    e[j] = card;
  }
  return rowOfHand.data()[ColexIndex(e, 5)];
}

// The machine's Joker Wild deck. The shuffle leaves the 52 ordinary cards in
// uniformly random order and the joker then replaces the card at a uniformly
// random position, so the deck is the joker plus 51 ordinary cards in random
// order, and the missing card M is uniform over the 52 and independent of the
// order. Given the dealt hand, every ordinary card not in it is equally likely
// to be M (each leaves the same number of decks that deal this hand), and
// given M the draw is a uniform set of k cards from the 47 positions left.
//
// Without the joker in the hand, the 47 positions hold the joker and 46 of the
// 47 unseen ordinary cards. Summed over the 47 choices of M, a set of k cards
// is drawn once for each M outside it: 47 - k times if it is all ordinary
// cards, 48 - k times if it holds the joker (its k - 1 ordinary cards exclude
// only k - 1 choices). The joker is thus a little more likely than any single
// ordinary card: it is always in the deck, an unseen ordinary card only with
// probability 46/47. Counted this way a hold drawing k cards has
//   (47 - k) * C(48, k) + C(47, k - 1) = 47 * C(47, k)
// draws, and its counts are (47 - k) * (counts over all sets from the 48
// unseen cards) + (counts over the sets that hold the joker).
//
// With the joker in the hand, the 47 positions hold 47 of the 48 unseen
// ordinary cards; summed over M each set of k is drawn 48 - k times, the same
// for every set, so the draw is uniform over the C(48, k) sets of the 48 unseen
// ordinary cards, exactly as with the 53-card deck.
void StrategyTables::CountHolds(const Hand& hand, JokerDeck deck, HoldCounts& out) const {
  const SortedHand sorted = SortHand(hand);
  for (int j = 0; j < 5; ++j) {
    assert(sorted.card[j] >= 0 && sorted.card[j] < cardCount &&
           (j == 0 || sorted.card[j - 1] < sorted.card[j]));
  }
  std::uint32_t index[kHoldCount];
  SubsetIndexes(sorted.card, index);

  // f[m]: hands that contain subset m (for |m| < 5 from the tables, for the
  // whole hand its own row), then the draws of hold m.
  RowCounts f[kHoldCount];
  for (int m = 0; m < kHoldCount; ++m)
    LoadContaining(f[m], kBitCount[static_cast<std::size_t>(m)], index[m]);
  KeepOnlySubset(f);

  std::int32_t draws[kHoldCount];
  const bool jokerInHand = sorted.card[4] == kJokerIndex;
  if (cardCount == 53 && deck == JokerDeck::kMachine && !jokerInHand) {
    WeighMachineJoker(index, f, draws);
  } else {
    for (int m = 0; m < kHoldCount; ++m) {
      draws[m] = static_cast<std::int32_t>(
          ChooseSmall(cardCount - 5, 5 - kBitCount[static_cast<std::size_t>(m)]));
    }
  }

  for (int m = 0; m < kHoldCount; ++m) {
    const unsigned held = HoldOfPlaces(static_cast<unsigned>(m), sorted.position).Bits();
    std::copy_n(f[m], kRowSlots, out.rows[held].data());
    out.draws[held] = draws[m];
  }
}

void StrategyTables::LoadContaining(std::int32_t* to, int size, std::uint32_t at) const {
  if (size < 5) {
    std::copy_n(containing[static_cast<std::size_t>(size)][at].data(), kRowSlots, to);
  } else {
    std::fill_n(to, kRowSlots, 0);
    const std::int8_t* rows = rowOfHand.data();
    if (size == 5 && rows[at] >= 0) to[rows[at]] = 1;
  }
}

// The counts of the machine's Joker Wild deck for a hand without the joker:
// each hold's draws from the 48 unseen cards, 47 - k times over, plus once
// more those that draw the joker (see CountHolds).
void StrategyTables::WeighMachineJoker(const std::uint32_t* index, RowCounts* f,
                                       std::int32_t* draws) const {
  // g[m]: the same as f with the joker added to the subset (it is the highest
  // index, so it takes the last place); a size of 6 is no hand at all.
  RowCounts g[kHoldCount];
  for (int m = 0; m < kHoldCount; ++m) {
    const int size = kBitCount[static_cast<std::size_t>(m)] + 1;
    LoadContaining(g[m], size, size <= 5 ? index[m] + ChooseSmall(kJokerIndex, size) : 0);
  }
  KeepOnlySubset(g);
  for (int m = 0; m < kHoldCount; ++m) {
    const int k = 5 - kBitCount[static_cast<std::size_t>(m)];
    for (int r = 0; r < kRowSlots; ++r) f[m][r] = (47 - k) * f[m][r] + g[m][r];
    draws[m] = static_cast<std::int32_t>(47 * ChooseSmall(47, k));
  }
}

int CompareValue(const HoldValue& a, const HoldValue& b) {
  const Int128 left = static_cast<Int128>(a.payout) * b.draws;
  const Int128 right = static_cast<Int128>(b.payout) * a.draws;
  return left < right ? -1 : left > right ? 1 : 0;
}

HandAdvice AdviseHand(const StrategyTables& tables, const Hand& hand, int coins, JokerDeck deck) {
  return AdviseHand(tables, hand, coins, deck, DefaultPays(tables.Rules()));
}

HandAdvice AdviseHand(const StrategyTables& tables, const Hand& hand, int coins, JokerDeck deck,
                      const Pays& pays) {
  HandAdvice advice;
  advice.variant = tables.Variant();
  advice.coins = coins;
  advice.deck = deck;
  advice.hand = hand;
  HoldCounts counts;
  tables.CountHolds(hand, deck, counts);
  std::array<std::int64_t, kMaxPayRows> pay{};
  for (int r = 0; r < tables.RowCount(); ++r)
    pay[static_cast<std::size_t>(r)] = PayoutOf(pays, r, coins);
  for (unsigned m = 0; m < kHoldCount; ++m) {
    HoldValue& h = advice.holds[m];
    h.mask = m;
    h.draws = counts.draws[m];
    std::int64_t paying = 0;
    for (std::size_t r = 0; r < kMaxPayRows; ++r) {
      h.counts[r] = counts.rows[m][r];
      paying += h.counts[r];
      h.payout += h.counts[r] * pay[r];
    }
    h.noWin = h.draws - paying;
    h.ev = static_cast<double>(h.payout) / static_cast<double>(h.draws);
    h.evPerCoin = h.ev / coins;
  }
  std::stable_sort(advice.holds.begin(), advice.holds.end(),
                   [](const HoldValue& a, const HoldValue& b) { return CompareValue(a, b) > 0; });
  advice.bestCount = 1;
  while (advice.bestCount < kHoldCount &&
         CompareValue(advice.holds[0], advice.holds[static_cast<std::size_t>(advice.bestCount)]) ==
             0) {
    ++advice.bestCount;
  }
  return advice;
}

}  // namespace lynx
