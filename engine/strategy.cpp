#include "engine/strategy.h"

#include <algorithm>
#include <bit>
#include <cassert>

#include "engine/evaluate.h"
#include "engine/strategy_classes.h"

namespace lynx {

namespace {

__extension__ typedef __int128 Int128;

// Cards inside the solver are indices 0..52: code - 1 for the ordinary cards
// (suit * 13 + rank - 1), 52 for the joker. A set of k indices e0 < e1 < ...
// is numbered by its colex index C(e0, 1) + C(e1, 2) + ... + C(e(k-1), k),
// which runs over 0 .. C(cards, k) - 1 without gaps.
constexpr int kJokerIndex = 52;
constexpr int kMaxCards = 53;

struct Binomials {
  std::array<std::array<std::uint32_t, 7>, kMaxCards + 1> c{};
  constexpr Binomials() {
    for (int n = 0; n <= kMaxCards; ++n) {
      c[static_cast<std::size_t>(n)][0] = 1;
      for (int k = 1; k <= 6; ++k) {
        c[static_cast<std::size_t>(n)][static_cast<std::size_t>(k)] =
            n == 0 ? 0
                   : c[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(k - 1)] +
                         c[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(k)];
      }
    }
  }
};
constexpr Binomials kBinomials;

constexpr std::uint32_t Choose(int n, int k) {
  return kBinomials.c[static_cast<std::size_t>(n)][static_cast<std::size_t>(k)];
}

int CardIndex(CardCode code) { return code == kJoker ? kJokerIndex : code - 1; }

// Colex index of ascending card indices.
std::uint32_t ColexIndex(const int* cards, int count) {
  std::uint32_t index = 0;
  for (int j = 0; j < count; ++j) index += Choose(cards[j], j + 1);
  return index;
}

// Ascending card indices of a member of a suit class, plus the joker last.
int MemberIndices(const SuitMasks& masks, bool joker, int* out) {
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

void AddRow(RowVector& v, int row, std::int32_t times = 1) {
  if (row >= 0) v[static_cast<std::size_t>(row)] += times;
}

}  // namespace

StrategyTables::StrategyTables(GameVariant variant_)
    : variant(variant_ == kJacksOrBetter || variant_ == kJokerWild ? variant_ : kDeucesWild),
      rowCount(PayTableFor(variant_).rowCount),
      cardCount(variant_ == kJokerWild ? 53 : 52) {
  const bool jokerGame = cardCount == 53;

  // Rows of every hand: one ClassifyHand per suit class, copied to the members.
  rowOfHand.assign(Choose(cardCount, 5), -1);
  for (int withJoker = 0; withJoker <= (jokerGame ? 1 : 0); ++withJoker) {
    for (const SuitClass& c : SuitClasses(5 - withJoker)) {
      const auto codes = CardsOf(c.masks);
      Hand hand{};
      std::copy(codes.begin(), codes.end(), hand.begin());
      if (withJoker) hand[4] = kJoker;
      const auto row = static_cast<std::int8_t>(ClassifyHand(hand, variant));
      ForEachMember(c, [&](const SuitMasks& masks) {
        int e[5];
        MemberIndices(masks, withJoker != 0, e);
        rowOfHand[ColexIndex(e, 5)] = row;
      });
    }
  }

  // Sets of k cards, from k = 4 down to 0. Summing the counts of the sets
  // one card larger counts each hand that contains the set once for every
  // card it has beyond the set, that is 5 - k times.
  for (int k = 4; k >= 0; --k) {
    auto& level = containing[static_cast<std::size_t>(k)];
    level.assign(Choose(cardCount, k), RowVector{});
    for (int withJoker = 0; withJoker <= (jokerGame && k > 0 ? 1 : 0); ++withJoker) {
      for (const SuitClass& c : SuitClasses(k - withJoker)) {
        int e[5];
        const int n = MemberIndices(c.masks, withJoker != 0, e);
        // Index of e plus card x, inserted at position p: the cards below x
        // keep their place, those above move up one.
        std::array<std::uint32_t, 6> below{}, above{};
        for (int j = 0; j < n; ++j) below[static_cast<std::size_t>(j + 1)] = below[static_cast<std::size_t>(j)] + Choose(e[j], j + 1);
        for (int j = n - 1; j >= 0; --j) above[static_cast<std::size_t>(j)] = above[static_cast<std::size_t>(j + 1)] + Choose(e[j], j + 2);
        RowVector sum{};
        int p = 0;
        for (int x = 0; x < cardCount; ++x) {
          if (p < n && e[p] == x) {
            ++p;
            continue;
          }
          const std::uint32_t index = below[static_cast<std::size_t>(p)] + Choose(x, p + 1) + above[static_cast<std::size_t>(p)];
          if (k == 4) {
            AddRow(sum, rowOfHand[index]);
          } else {
            const RowVector& more = containing[static_cast<std::size_t>(k + 1)][index];
            for (std::size_t r = 0; r < sum.size(); ++r) sum[r] += more[r];
          }
        }
        for (auto& v : sum) {
          assert(v % (5 - k) == 0);
          v /= 5 - k;
        }
        ForEachMember(c, [&](const SuitMasks& masks) {
          int m[5];
          MemberIndices(masks, withJoker != 0, m);
          level[ColexIndex(m, n)] = sum;
        });
      }
    }
  }
}

int StrategyTables::RowOf(const Hand& hand) const {
  int e[5];
  for (std::size_t i = 0; i < 5; ++i) e[i] = CardIndex(hand[i]);
  std::sort(e, e + 5);
  return rowOfHand[ColexIndex(e, 5)];
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
  // Sorted card indices and, for each, its position in the hand.
  std::array<int, 5> e{}, position{};
  {
    std::array<std::pair<int, int>, 5> cards{};
    for (std::size_t i = 0; i < 5; ++i) cards[i] = {CardIndex(hand[i]), static_cast<int>(i)};
    std::sort(cards.begin(), cards.end());
    for (std::size_t j = 0; j < 5; ++j) {
      e[j] = cards[j].first;
      position[j] = cards[j].second;
    }
  }

  // Colex index of every subset of the hand, by mask over the sorted cards.
  // The highest card of a subset of size s sits at place s.
  std::array<std::uint32_t, kHoldCount> index{};
  std::array<int, kHoldCount> size{};
  for (unsigned m = 1; m < kHoldCount; ++m) {
    const int top = kTopBit[m];
    size[m] = kBitCount[m];
    index[m] = index[m ^ (1u << top)] + Choose(e[static_cast<std::size_t>(top)], size[m]);
  }

  // f[m]: hands that contain subset m. The superset Moebius transform over the
  // five cards then leaves f[m] = hands that contain m and none of the other
  // cards of the hand, which are exactly the draws of hold m.
  auto moebius = [](std::array<RowVector, kHoldCount>& f) {
    for (unsigned bit = 1; bit < kHoldCount; bit <<= 1) {
      for (unsigned m = 0; m < kHoldCount; ++m) {
        if (m & bit) continue;
        const RowVector with = f[m | bit];  // a copy, so the loop vectorises
        for (std::size_t r = 0; r < with.size(); ++r) f[m][r] -= with[r];
      }
    }
  };
  std::array<RowVector, kHoldCount> f;
  for (unsigned m = 0; m < kHoldCount; ++m) {
    if (size[m] < 5) {
      f[m] = containing[static_cast<std::size_t>(size[m])][index[m]];
    } else {
      f[m] = RowVector{};
      AddRow(f[m], rowOfHand[index[m]]);
    }
  }
  moebius(f);

  const bool jokerInHand = e[4] == kJokerIndex;
  const bool weighted = cardCount == 53 && deck == JokerDeck::kMachine && !jokerInHand;
  const int unseen = cardCount - 5;
  std::array<std::int32_t, kHoldCount> draws{};
  if (weighted) {
    // g[m]: the same with the joker added to the subset (it is the highest
    // index, so it takes the last place).
    std::array<RowVector, kHoldCount> g;
    for (unsigned m = 0; m < kHoldCount; ++m) {
      g[m] = RowVector{};
      const int s = size[m] + 1;
      const std::uint32_t withJoker = index[m] + Choose(kJokerIndex, s);
      if (s < 5) {
        g[m] = containing[static_cast<std::size_t>(s)][withJoker];
      } else if (s == 5) {
        AddRow(g[m], rowOfHand[withJoker]);
      }
    }
    moebius(g);
    for (unsigned m = 0; m < kHoldCount; ++m) {
      const int k = 5 - size[m];
      for (std::size_t r = 0; r < f[m].size(); ++r) f[m][r] = (47 - k) * f[m][r] + g[m][r];
      draws[m] = static_cast<std::int32_t>(47 * Choose(47, k));
    }
  } else {
    for (unsigned m = 0; m < kHoldCount; ++m) draws[m] = static_cast<std::int32_t>(Choose(unseen, 5 - size[m]));
  }

  for (unsigned m = 0; m < kHoldCount; ++m) {
    unsigned handMask = 0;
    for (std::size_t j = 0; j < 5; ++j) {
      if (m >> j & 1) handMask |= 1u << position[j];
    }
    out.rows[handMask] = f[m];
    out.draws[handMask] = draws[m];
  }
}

int CompareValue(const HoldValue& a, const HoldValue& b) {
  const Int128 left = static_cast<Int128>(a.payout) * b.draws;
  const Int128 right = static_cast<Int128>(b.payout) * a.draws;
  return left < right ? -1 : left > right ? 1 : 0;
}

HandAdvice AdviseHand(const StrategyTables& tables, const Hand& hand, int coins, JokerDeck deck) {
  HandAdvice advice;
  advice.variant = tables.Variant();
  advice.coins = coins;
  advice.deck = deck;
  advice.hand = hand;
  HoldCounts counts;
  tables.CountHolds(hand, deck, counts);
  std::array<std::int64_t, kPayTableRows> pay{};
  for (int r = 0; r < tables.RowCount(); ++r) pay[static_cast<std::size_t>(r)] = Payout(tables.Variant(), r, coins);
  for (unsigned m = 0; m < kHoldCount; ++m) {
    HoldValue& h = advice.holds[m];
    h.mask = m;
    h.draws = counts.draws[m];
    std::int64_t paying = 0;
    for (std::size_t r = 0; r < kPayTableRows; ++r) {
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
  while (advice.bestCount < kHoldCount && CompareValue(advice.holds[0], advice.holds[static_cast<std::size_t>(advice.bestCount)]) == 0) {
    ++advice.bestCount;
  }
  return advice;
}

}  // namespace lynx
