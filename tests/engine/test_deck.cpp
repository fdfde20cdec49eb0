#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <vector>

#include "engine/deck.h"

namespace lynx {
namespace {

// A source that plays back a script and counts re-seeds.
class ScriptSource final : public UniformSource {
 public:
  explicit ScriptSource(std::vector<float> v) : values(std::move(v)) {}
  float Next() override { return values[next++ % values.size()]; }
  void Reseed() override { ++reseeds; }
  std::vector<float> values;
  std::size_t next = 0;
  int reseeds = 0;
};

std::vector<CardCode> Codes(const Deck& deck) {
  std::vector<CardCode> codes;
  for (int p = 1; p <= Deck::kSize; ++p) codes.push_back(deck.At(p));
  return codes;
}

TEST(Shuffle, PlainGamesHoldEveryCodeOnceAndJokerWildOneJokerAnd51Distinct) {
  TimeSeededSource random;
  for (GameVariant variant : {kJacksOrBetter, kDeucesWild}) {
    for (int round = 0; round < 50; ++round) {
      Deck deck;
      Shuffle(deck, variant, random);
      auto codes = Codes(deck);
      std::sort(codes.begin(), codes.end());
      for (int i = 0; i < 52; ++i) ASSERT_EQ(codes[static_cast<std::size_t>(i)], i + 1);
    }
  }
  for (int round = 0; round < 200; ++round) {
    Deck deck;
    Shuffle(deck, kJokerWild, random);
    const auto codes = Codes(deck);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), kJoker), 1);
    std::set<CardCode> ordinary;
    for (CardCode c : codes) {
      if (c != kJoker) {
        ASSERT_GE(c, 1);
        ASSERT_LE(c, 52);
        ordinary.insert(c);
      }
    }
    EXPECT_EQ(ordinary.size(), 51u);  // exactly one ordinary code is missing
  }
}

TEST(Shuffle, FixedSourceGivesTheExactDeckAndReseedsAsTheMachineDoes) {
  // r = 0 always picks position 1: every swap exchanges position j with 1.
  ScriptSource zero({0.0f});
  Deck deck;
  deck.Set(1, 7);  // the previous game's order must not survive
  Shuffle(deck, kJacksOrBetter, zero);
  EXPECT_EQ(zero.reseeds, 1);
  EXPECT_EQ(zero.next, 20u * 52u);
  // Swapping j with 1 for j = 1..52 leaves 52 at position 1 and p - 1 at
  // position p: one pass rotates the deck right by one, twenty by twenty.
  for (int p = 1; p <= 52; ++p) EXPECT_EQ(deck.At(p), ((p - 1 + 52 - 20) % 52) + 1) << p;

  // Joker Wild: one more re-seed and one more value, which puts the joker at
  // floor(r * 52) + 1.
  ScriptSource script({0.0f});
  script.values.resize(20 * 52, 0.0f);
  script.values.push_back(0.999f);  // the joker's draw: position 52
  Deck joker;
  Shuffle(joker, kJokerWild, script);
  EXPECT_EQ(script.reseeds, 2);
  EXPECT_EQ(joker.At(52), kJoker);
  for (int p = 1; p <= 51; ++p) EXPECT_EQ(joker.At(p), ((p - 1 + 52 - 20) % 52) + 1);
}

TEST(Shuffle, SourceValuesAtTheEdgesStayInsideTheDeck) {
  // A broken source returning 1.0 or a negative value must not write outside.
  ScriptSource edges({1.0f, -0.5f, 0.9999999f});
  Deck deck;
  Shuffle(deck, kJokerWild, edges);
  auto codes = Codes(deck);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), kJoker), 1);
}

TEST(Shuffle, EveryCardReachesEveryPositionUniformly) {
  // Chi-square over the 52 x 52 table of (card, position) counts. With N
  // shuffles each cell expects N/52; the statistic has 51*51 = 2601 degrees of
  // freedom (mean 2601, sd ~72). A broken shuffle (e.g. swapping only within
  // the first half, or an off-by-one that never picks 52) lands far above.
  SeededSource random(12345);
  constexpr int kShuffles = 20000;
  std::vector<int> counts(52 * 52, 0);
  for (int n = 0; n < kShuffles; ++n) {
    Deck deck;
    Shuffle(deck, kJacksOrBetter, random);
    for (int p = 1; p <= 52; ++p) ++counts[static_cast<std::size_t>((deck.At(p) - 1) * 52 + p - 1)];
  }
  const double expected = kShuffles / 52.0;
  double chi = 0;
  for (int c : counts) chi += (c - expected) * (c - expected) / expected;
  EXPECT_LT(chi, 2601 + 6 * 72.0);
  EXPECT_GT(chi, 2601 - 6 * 72.0);
}

TEST(Shuffle, TwoTimeSeededShufflesInARowDiffer) {
  // Re-seeding twice within one clock tick must still give different decks.
  TimeSeededSource random;
  Deck a, b;
  int same = 0;
  for (int i = 0; i < 100; ++i) {
    Shuffle(a, kJacksOrBetter, random);
    Shuffle(b, kJacksOrBetter, random);
    if (a == b) ++same;
  }
  EXPECT_EQ(same, 0);
}

TEST(StackDemoHand, WritesTheNineSequencesAndLeavesTheRest) {
  struct Case {
    GameVariant variant;
    int code;
    std::array<CardCode, 10> cards;
  };
  const Case cases[] = {
      {1, 2413, {49, 50, 51, 52, 40, 36, 37, 38, 39, 27}},
      {1, 3142, {14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
      {1, 4321, {1, 14, 27, 40, 15, 13, 26, 39, 52, 25}},
      {2, 2413, {49, 50, 51, 52, 40, 36, 37, 38, 39, 27}},
      {2, 3142, {12, 25, 38, 51, 53, 11, 24, 37, 50, 1}},
      {2, 4321, {49, 50, 51, 52, 53, 36, 37, 38, 39, 27}},
      {3, 2413, {49, 50, 51, 52, 40, 36, 37, 38, 39, 27}},
      {3, 3142, {2, 15, 28, 41, 14, 19, 20, 21, 22, 23}},
      {3, 4321, {28, 50, 51, 52, 2, 36, 37, 15, 41, 27}},
  };
  SeededSource random(7);
  for (const Case& c : cases) {
    Deck deck;
    Shuffle(deck, c.variant, random);
    const Deck before = deck;
    StackDemoHand(deck, c.variant, c.code);
    for (int p = 1; p <= 10; ++p) EXPECT_EQ(deck.At(p), c.cards[static_cast<std::size_t>(p - 1)]);
    for (int p = 11; p <= 52; ++p) EXPECT_EQ(deck.At(p), before.At(p));
  }
}

TEST(StackDemoHand, UnknownVariantOrCodeLeavesTheDeck) {
  SeededSource random(3);
  Deck deck;
  Shuffle(deck, kJacksOrBetter, random);
  const Deck before = deck;
  StackDemoHand(deck, 0, 2413);
  StackDemoHand(deck, 4, 2413);
  StackDemoHand(deck, 1, 1234);
  StackDemoHand(deck, 2, 0);
  EXPECT_EQ(deck, before);
  EXPECT_TRUE(IsDemoCode(2413) && IsDemoCode(3142) && IsDemoCode(4321));
  EXPECT_FALSE(IsDemoCode(1234) || IsDemoCode(0) || IsDemoCode(24130));
}

TEST(DealAndDraw, DealTakesOneToFiveAndDiscardsFromTheLeftTakeSixOn) {
  Deck deck;  // code order: position p holds code p
  const Hand dealt = DealHand(deck);
  EXPECT_EQ(dealt, (Hand{1, 2, 3, 4, 5}));
  // Holding positions 2 and 4: 1 gets 6, 3 gets 7, 5 gets 8.
  EXPECT_EQ(DrawHand(deck, dealt, HoldMask::FromBits(0b01010)), (Hand{6, 2, 7, 4, 8}));
  EXPECT_EQ(DrawHand(deck, dealt, HoldMask::All()), dealt);
  EXPECT_EQ(DrawHand(deck, dealt, HoldMask()), (Hand{6, 7, 8, 9, 10}));
  EXPECT_EQ(DrawHand(deck, dealt, HoldMask::FromBits(0b01111)), (Hand{1, 2, 3, 4, 6}));
}

}  // namespace
}  // namespace lynx
