#pragma once
// Card codes and the game variants.
//
// A card is a 16-bit code: 1..52 are the ordinary cards in four blocks of
// thirteen (ace, 2..10, jack, queen, king) for clubs, hearts, diamonds and
// spades; 53 is the joker (Joker Wild only); 0 is "no card".

#include <cstdint>

namespace lynx {

using CardCode = std::int16_t;
constexpr CardCode kNoCard = 0;
constexpr CardCode kJoker = 53;

// 1 Jacks or Better, 2 Joker Wild, 3 Deuces Wild. Kept as the plain number the
// rules are written in: the evaluator treats any other value as Deuces Wild
// and the shuffle leaves the deck alone for one outside 1..3.
using GameVariant = std::int16_t;
constexpr GameVariant kJacksOrBetter = 1;
constexpr GameVariant kJokerWild = 2;
constexpr GameVariant kDeucesWild = 3;
// The machine's three games, in the order the program lists them.
inline constexpr GameVariant kMachineGames[3] = {kJacksOrBetter, kJokerWild, kDeucesWild};

// Suit index of an ordinary card 1..52: 0 clubs, 1 hearts, 2 diamonds, 3 spades.
constexpr int SuitIndex(CardCode code) {
  return (code - 1) / 13;
}

// Face rank of an ordinary card 1..52: 1 ace, 2..10, 11 jack, 12 queen, 13 king.
constexpr int Rank(CardCode code) {
  const int r = code % 13;
  return r == 0 ? 13 : r;
}

// 1 for the red cards (hearts and diamonds, codes 14..39), else 0.
constexpr int IsRed(CardCode code) {
  return (code >= 14 && code <= 39) ? 1 : 0;
}

// Code of the card with face rank 1..13 in suit 0..3.
constexpr CardCode MakeCard(int rank, int suit) {
  return static_cast<CardCode>(suit * 13 + rank);
}

}  // namespace lynx
