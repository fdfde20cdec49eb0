// The solver's draw counts for chosen hands of every game and deck against
// enumerations of every draw done here, and the order of its advice.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/evaluate.h"
#include "engine/paytable.h"
#include "engine/strategy.h"
#include "tests/support/strategy_tables.h"

namespace lynx {
namespace {

using testing_support::Tables;

CardCode Card(const std::string& name) {
  if (name == "JK") return kJoker;
  const std::string ranks = "A23456789TJQK", suits = "CHDS";
  return MakeCard(static_cast<int>(ranks.find(name[0])) + 1, static_cast<int>(suits.find(name[1])));
}

Hand HandOf(const std::string& text) {
  Hand hand{};
  for (std::size_t i = 0; i < 5; ++i) hand[i] = Card(text.substr(i * 3, 2));
  return hand;
}

struct Tally {
  std::array<std::int64_t, kMaxPayRows> rows{};
  std::int64_t noWin = 0;
  std::int64_t draws = 0;
};

// Every set of k = 5 - |hold| cards from pool, put into the discarded places
// from the left as the machine does, classified by classify(hand) and
// counted weight(cards, k) times.
template <typename Classify, typename Weight>
void Enumerate(const Hand& hand, unsigned hold, const std::vector<CardCode>& pool,
               Classify&& classify, Weight&& weight, Tally& tally) {
  std::size_t places[5];
  int k = 0;
  for (std::size_t i = 0; i < 5; ++i) {
    if (!(hold >> i & 1)) places[k++] = i;
  }
  const int n = static_cast<int>(pool.size());
  int pick[5] = {0, 1, 2, 3, 4};
  CardCode drawn[5] = {};
  for (;;) {
    Hand final = hand;
    for (int j = 0; j < k; ++j)
      final[places[j]] = drawn[j] = pool[static_cast<std::size_t>(pick[j])];
    const int row = classify(final);
    const std::int64_t w = weight(drawn, k);
    if (row >= 0) {
      tally.rows[static_cast<std::size_t>(row)] += w;
    } else {
      tally.noWin += w;
    }
    tally.draws += w;
    // Next set in lexicographic order.
    int j = k - 1;
    while (j >= 0 && pick[j] == n - k + j) --j;
    if (j < 0) return;
    ++pick[j];
    for (int t = j + 1; t < k; ++t) pick[t] = pick[t - 1] + 1;
  }
}

// The cards of the game's deck that are not in hand (the joker in Joker Wild).
std::vector<CardCode> Unseen(GameVariant game, const Hand& hand, CardCode missing = kNoCard) {
  std::vector<CardCode> pool;
  const int last = game == kJokerWild ? kJoker : 52;
  for (int c = 1; c <= last; ++c) {
    bool inHand = c == missing;
    for (CardCode h : hand) inHand = inHand || h == c;
    if (!inHand) pool.push_back(static_cast<CardCode>(c));
  }
  return pool;
}

bool HasJoker(const Hand& hand) {
  for (CardCode c : hand) {
    if (c == kJoker) return true;
  }
  return false;
}

std::int64_t Choose(std::int64_t n, std::int64_t k) {
  std::int64_t c = 1;
  for (std::int64_t i = 1; i <= k; ++i) c = c * (n - k + i) / i;
  return c;
}

// The solver's tally of one hold.
Tally FromCounts(const HoldCounts& counts, unsigned hold) {
  Tally t;
  t.draws = counts.draws[hold];
  std::int64_t paying = 0;
  for (std::size_t r = 0; r < kMaxPayRows; ++r) {
    t.rows[r] = counts.rows[hold][r];
    paying += t.rows[r];
  }
  t.noWin = t.draws - paying;
  return t;
}

void ExpectSame(const Tally& solver, const Tally& brute, const std::string& what) {
  for (std::size_t r = 0; r < kMaxPayRows; ++r)
    EXPECT_EQ(solver.rows[r], brute.rows[r]) << what << " row " << r;
  EXPECT_EQ(solver.noWin, brute.noWin) << what;
  EXPECT_EQ(solver.draws, brute.draws) << what;
}

struct Case {
  GameVariant game;
  JokerDeck deck;
  const char* hand;
  bool twoHeld = false;  // also check the holds of two cards (16,215 draws each)
};

const Case kCases[] = {
    {kJacksOrBetter, JokerDeck::kMachine, "AS KS QS JS TS"},        // dealt royal
    {kJacksOrBetter, JokerDeck::kMachine, "KS QS JS TS 3D", true},  // four to a royal
    {kJacksOrBetter, JokerDeck::kMachine, "5C 9H 5D JS 2C"},        // low pair
    {kJacksOrBetter, JokerDeck::kMachine, "2C 7D 9H JS 4S"},        // garbage
    {kDeucesWild, JokerDeck::kMachine, "2C 2D 7C 2H 2S"},           // four deuces
    {kDeucesWild, JokerDeck::kMachine, "KH 2C QH 5S JH", true},     // deuce and three to a royal
    {kDeucesWild, JokerDeck::kMachine, "TD 2S 6S TC 2H"},           // two deuces and a pair
    {kDeucesWild, JokerDeck::kMachine, "3C 8D TH QS 5C"},           // garbage
    {kJokerWild, JokerDeck::kMachine, "AS KS QS JS 9D", true},      // four to a royal, no joker
    {kJokerWild, JokerDeck::kMachine, "5H JK 6H 8C KC", true},      // the joker and a king
    {kJokerWild, JokerDeck::kMachine, "JK KS QS JS TS"},            // dealt joker royal
    {kJokerWild, JokerDeck::kMachine, "7C 7D 4H 9S QD"},            // low pair
    {kJokerWild, JokerDeck::kStandard53, "AS KS QS JS 9D"},
    {kJokerWild, JokerDeck::kStandard53, "5H JK 6H 8C KC", true},
    {kJokerWild, JokerDeck::kStandard53, "3C 8D TH QS 5C"},
};

// Draw weight for the machine's Joker Wild deck without the joker in hand,
// summed over the missing card: 47 - k for an all-ordinary set, 48 - k with
// the joker. Every other deck: 1.
std::function<std::int64_t(const CardCode*, int)> WeightFor(const Case& c, const Hand& hand) {
  if (c.game != kJokerWild || c.deck != JokerDeck::kMachine || HasJoker(hand)) {
    return [](const CardCode*, int) -> std::int64_t { return 1; };
  }
  return [](const CardCode* set, int k) -> std::int64_t {
    for (int j = 0; j < k; ++j) {
      if (set[j] == kJoker) return 48 - k;
    }
    return 47 - k;
  };
}

std::int64_t One(const CardCode*, int) {
  return 1;
}

TEST(StrategyHands, HoldsOfTwoOrMoreCardsMatchEveryDrawClassified) {
  for (const Case& c : kCases) {
    const Hand hand = HandOf(c.hand);
    HoldCounts counts;
    Tables(c.game).CountHolds(hand, c.deck, counts);
    const auto pool = Unseen(c.game, hand);
    const auto weight = WeightFor(c, hand);
    const auto classify = [&](const Hand& h) { return ClassifyHand(h, c.game); };
    for (unsigned hold = 0; hold < kHoldCount; ++hold) {
      const std::int64_t k = 5 - std::popcount(hold);
      // Every hold's draws: all sets from the unseen cards, or for the
      // machine's deck without the joker in hand each set once per missing card.
      const bool weighted =
          c.game == kJokerWild && c.deck == JokerDeck::kMachine && !HasJoker(hand);
      EXPECT_EQ(counts.draws[hold],
                weighted ? 47 * Choose(47, k) : Choose(static_cast<std::int64_t>(pool.size()), k))
          << c.hand << " hold " << hold;
      const Tally solver = FromCounts(counts, hold);
      for (std::int64_t v : solver.rows) EXPECT_GE(v, 0);
      EXPECT_GE(solver.noWin, 0);
      // Two cards held for the first case of each game and deck; three or
      // more for all; one or none in the next test.
      if (k > 3 || (k == 3 && !c.twoHeld)) continue;
      Tally brute;
      Enumerate(hand, hold, pool, classify, weight, brute);
      ExpectSame(solver, brute, std::string(c.hand) + " hold " + std::to_string(hold));
    }
  }
}

// Holds of one card or none draw up to C(48, 5) sets; the draws are
// classified with the table's RowOf, which the exhaustive test proves equal
// to ClassifyHand on every hand.
TEST(StrategyHands, HoldsOfOneCardOrNoneMatchEveryDraw) {
  const struct {
    Case c;
    std::vector<unsigned> holds;
  } cases[] = {{kCases[3], {0u}}, {kCases[8], {1u}}, {kCases[6], {16u}}, {kCases[13], {2u}}};
  for (const auto& [c, holds] : cases) {
    const Hand hand = HandOf(c.hand);
    const StrategyTables& tables = Tables(c.game);
    HoldCounts counts;
    tables.CountHolds(hand, c.deck, counts);
    const auto pool = Unseen(c.game, hand);
    const auto classify = [&](const Hand& h) { return tables.RowOf(h); };
    for (unsigned hold : holds) {
      Tally brute;
      Enumerate(hand, hold, pool, classify, WeightFor(c, hand), brute);
      ExpectSame(FromCounts(counts, hold), brute,
                 std::string(c.hand) + " hold " + std::to_string(hold));
    }
  }
}

// The machine's Joker Wild deck lacks one ordinary card nobody sees. Its
// counts must equal the plain count over the 47 cards left, summed over every
// ordinary card not in hand as the missing one (48 - k times the uniform
// counts when the joker is in hand: each set of k avoids 48 - k choices).
TEST(StrategyHands, MachineJokerDeckIsTheSumOverEveryMissingCard) {
  const StrategyTables& tables = Tables(kJokerWild);
  for (const char* text : {"AS KS QS JS 9D", "7C 7D 4H 9S QD", "5H JK 6H 8C KC"}) {
    const Hand hand = HandOf(text);
    HoldCounts machine;
    tables.CountHolds(hand, JokerDeck::kMachine, machine);
    const auto classify = [](const Hand& h) { return ClassifyHand(h, kJokerWild); };
    for (unsigned hold = 0; hold < kHoldCount; ++hold) {
      const int k = 5 - std::popcount(hold);
      // 47 enumerations per hold: draws of one card or none, and one hold of two.
      if (k > 2 || (k == 2 && hold != 0b11100)) continue;
      Tally sum;
      int missingChoices = 0;
      for (int missing = 1; missing <= 52; ++missing) {
        bool inHand = false;
        for (CardCode h : hand) inHand = inHand || h == missing;
        if (inHand) continue;
        ++missingChoices;
        Enumerate(hand, hold, Unseen(kJokerWild, hand, static_cast<CardCode>(missing)), classify,
                  One, sum);
      }
      Tally solver = FromCounts(machine, hold);
      if (HasJoker(hand)) {
        EXPECT_EQ(missingChoices, 48);
        for (auto& v : solver.rows) v *= 48 - k;
        solver.noWin *= 48 - k;
        solver.draws *= 48 - k;
      } else {
        EXPECT_EQ(missingChoices, 47);
      }
      ExpectSame(solver, sum, std::string(text) + " hold " + std::to_string(hold));
    }
  }
}

TEST(StrategyHands, AdviceIsSortedByExactValueWithTiesInMaskOrder) {
  for (const Case& c : kCases) {
    for (int coins : {1, 4, 5}) {
      const HandAdvice a = AdviseHand(Tables(c.game), HandOf(c.hand), coins, c.deck);
      ASSERT_GE(a.bestCount, 1);
      unsigned seen = 0;
      for (int i = 0; i < kHoldCount; ++i) {
        const HoldValue& h = a.holds[static_cast<std::size_t>(i)];
        seen |= 1u << h.mask;
        std::int64_t payout = 0, paying = 0;
        for (int r = 0; r < kMaxPayRows; ++r) {
          payout += h.counts[static_cast<std::size_t>(r)] * Payout(c.game, r, coins);
          paying += h.counts[static_cast<std::size_t>(r)];
        }
        EXPECT_EQ(h.payout, payout);
        EXPECT_EQ(h.noWin, h.draws - paying);
        EXPECT_DOUBLE_EQ(h.ev, static_cast<double>(payout) / static_cast<double>(h.draws));
        EXPECT_DOUBLE_EQ(h.evPerCoin, h.ev / coins);
        if (i == 0) continue;
        const HoldValue& before = a.holds[static_cast<std::size_t>(i - 1)];
        const int order = CompareValue(before, h);
        EXPECT_GE(order, 0) << c.hand;
        if (order == 0) {
          EXPECT_LT(before.mask, h.mask) << c.hand;
        }
        EXPECT_EQ(i < a.bestCount, CompareValue(a.holds[0], h) == 0) << c.hand;
      }
      EXPECT_EQ(seen, 0xFFFFFFFFu);
    }
  }
}

TEST(StrategyHands, KnownValues) {
  // A dealt royal is kept: 4000 credits for five coins, 250 a coin for four.
  const HandAdvice royal5 = AdviseHand(Tables(kJacksOrBetter), HandOf("AS KS QS JS TS"), 5);
  EXPECT_EQ(royal5.holds[0].mask, 31u);
  EXPECT_EQ(royal5.holds[0].ev, 4000.0);
  EXPECT_EQ(royal5.holds[0].evPerCoin, 800.0);
  EXPECT_EQ(royal5.bestCount, 1);
  const HandAdvice royal4 = AdviseHand(Tables(kJacksOrBetter), HandOf("AS KS QS JS TS"), 4);
  EXPECT_EQ(royal4.holds[0].ev, 1000.0);
  EXPECT_EQ(royal4.holds[0].evPerCoin, 250.0);

  // Four to a royal: of the 47 cards, AS makes the royal, 9S a straight
  // flush, 7 spades a flush, 3 aces and 3 nines a straight, 9 kings, queens
  // and jacks a high pair; 23 pay nothing.
  const HandAdvice four = AdviseHand(Tables(kJacksOrBetter), HandOf("KS QS JS TS 3D"), 5);
  EXPECT_EQ(four.holds[0].mask, 15u);
  const std::array<std::int64_t, kMaxPayRows> expected{1, 1, 0, 0, 7, 6, 0, 0, 9, 0, 0};
  EXPECT_EQ(four.holds[0].counts, expected);
  EXPECT_EQ(four.holds[0].noWin, 23);
  EXPECT_EQ(four.holds[0].draws, 47);
  EXPECT_EQ(four.holds[0].payout, 4590);

  // Four deuces: holding the deuces alone or all five pays the same; both
  // are best, in mask order.
  const HandAdvice deuces = AdviseHand(Tables(kDeucesWild), HandOf("2C 2D 7C 2H 2S"), 5);
  EXPECT_EQ(deuces.bestCount, 2);
  EXPECT_EQ(deuces.holds[0].mask, 0b11011u);
  EXPECT_EQ(deuces.holds[1].mask, 0b11111u);
  EXPECT_EQ(deuces.holds[0].ev, 1000.0);

  // The same four to a royal in Joker Wild: the machine's deck makes the
  // joker (always present) more likely than the 53-card deck does.
  const HandAdvice machine =
      AdviseHand(Tables(kJokerWild), HandOf("AS KS QS JS 9D"), 5, JokerDeck::kMachine);
  const HandAdvice standard =
      AdviseHand(Tables(kJokerWild), HandOf("AS KS QS JS 9D"), 5, JokerDeck::kStandard53);
  EXPECT_EQ(standard.holds[0].mask, 15u);
  EXPECT_EQ(standard.holds[0].draws, 48);
  EXPECT_EQ(machine.holds[0].mask, 15u);
  EXPECT_EQ(machine.holds[0].draws, 47 * 47);
  // Natural royal: TS, one of 46 present ordinary cards (46 of the 47
  // missing-card choices keep it); joker royal: the joker, present in all 47.
  EXPECT_EQ(standard.holds[0].counts[0], 1);
  EXPECT_EQ(standard.holds[0].counts[2], 1);
  EXPECT_EQ(machine.holds[0].counts[0], 46);
  EXPECT_EQ(machine.holds[0].counts[2], 47);
}

}  // namespace
}  // namespace lynx
