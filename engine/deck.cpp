#include "engine/deck.h"

#include <utility>

namespace lynx {

Deck::Deck() {
  FillInCodeOrder();
}

void Deck::FillInCodeOrder() {
  for (int p = 1; p <= kSize; ++p) Set(p, static_cast<CardCode>(p));
}

void Deck::Swap(int a, int b) {
  std::swap(cards[static_cast<std::size_t>(a - 1)], cards[static_cast<std::size_t>(b - 1)]);
}

namespace {

// 1..52 from r in [0, 1). A source that breaks its promise and returns 1 or
// more (or a negative value) is kept inside the deck rather than trusted.
int PickPosition(UniformSource& random) {
  const int k = static_cast<int>(random.Next() * Deck::kSize) + 1;
  if (k < 1) return 1;
  if (k > Deck::kSize) return Deck::kSize;
  return k;
}

}  // namespace

void Shuffle(Deck& deck, GameVariant variant, UniformSource& random) {
  deck.FillInCodeOrder();
  random.Reseed();
  for (int pass = 0; pass < 20; ++pass) {
    for (int j = 1; j <= Deck::kSize; ++j) deck.Swap(j, PickPosition(random));
  }
  if (variant == kJokerWild) {
    random.Reseed();
    deck.Set(PickPosition(random), kJoker);
  }
}

namespace {

struct DemoHand {
  GameVariant variant;
  int demoCode;
  std::array<CardCode, 10> cards;
};

constexpr std::array<DemoHand, 9> kDemoHands{{
    {kJacksOrBetter, kDemoRoyal, {49, 50, 51, 52, 40, 36, 37, 38, 39, 27}},
    {kJacksOrBetter, kDemoSecond, {14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
    {kJacksOrBetter, kDemoThird, {1, 14, 27, 40, 15, 13, 26, 39, 52, 25}},
    {kJokerWild, kDemoRoyal, {49, 50, 51, 52, 40, 36, 37, 38, 39, 27}},
    {kJokerWild, kDemoSecond, {12, 25, 38, 51, 53, 11, 24, 37, 50, 1}},
    {kJokerWild, kDemoThird, {49, 50, 51, 52, 53, 36, 37, 38, 39, 27}},
    {kDeucesWild, kDemoRoyal, {49, 50, 51, 52, 40, 36, 37, 38, 39, 27}},
    {kDeucesWild, kDemoSecond, {2, 15, 28, 41, 14, 19, 20, 21, 22, 23}},
    {kDeucesWild, kDemoThird, {28, 50, 51, 52, 2, 36, 37, 15, 41, 27}},
}};

}  // namespace

void StackDemoHand(Deck& deck, GameVariant variant, int demoCode) {
  for (const DemoHand& demo : kDemoHands) {
    if (demo.variant != variant || demo.demoCode != demoCode) continue;
    for (int p = 1; p <= 10; ++p) deck.Set(p, demo.cards[static_cast<std::size_t>(p - 1)]);
    return;
  }
}

Hand DealHand(const Deck& deck) {
  Hand hand{};
  for (int i = 0; i < 5; ++i) hand[static_cast<std::size_t>(i)] = deck.At(i + 1);
  return hand;
}

Hand DrawHand(const Deck& deck, const Hand& dealt, HoldMask held) {
  Hand hand = dealt;
  int drawPos = 5;
  for (int i = 0; i < 5; ++i) {
    if (!held.Holds(i)) hand[static_cast<std::size_t>(i)] = deck.At(++drawPos);
  }
  return hand;
}

bool ValidHand(GameVariant game, const Hand& hand) {
  if (game != kJacksOrBetter && game != kJokerWild && game != kDeucesWild) return false;
  const CardCode highest = game == kJokerWild ? kJoker : Deck::kSize;
  for (std::size_t i = 0; i < hand.size(); ++i) {
    if (hand[i] < 1 || hand[i] > highest) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (hand[j] == hand[i]) return false;
    }
  }
  return true;
}

bool ValidDraw(GameVariant game, const Hand& dealt, int held, const Hand& final) {
  if (held < 0 || held > 31 || !ValidHand(game, dealt) || !ValidHand(game, final)) return false;
  const HoldMask kept = HoldMask::FromBits(static_cast<unsigned>(held));
  for (std::size_t i = 0; i < 5; ++i) {
    if (kept.Holds(static_cast<int>(i)) && final[i] != dealt[i]) return false;
  }
  return true;
}

}  // namespace lynx
