#pragma once
// Sets of cards folded by suit symmetry.
//
// Every rule of the three games compares suits only for equality, so renaming
// the four suits (24 ways) never changes a hand's row, nor the value of any
// hold. A set of ordinary cards is described by four 13-bit rank masks, one
// per suit; its suit class is the multiset of those masks. The canonical
// member sorts the masks by (number of cards, mask) descending onto suits
// 0, 1, 2, 3.

#include <array>
#include <cstdint>
#include <vector>

#include "engine/card.h"
#include "engine/deck.h"

namespace lynx {

// Rank mask of one suit: bit r-1 set for the card of face rank r (1 ace .. 13 king).
using SuitMasks = std::array<std::uint16_t, 4>;

struct SuitClass {
  SuitMasks masks{};          // canonical member: suit i holds the ranks of masks[i]
  std::uint32_t members = 0;  // sets in the class: distinct orders of the four masks
};

// Every suit class of sets of `cards` ordinary cards (0..5), canonical
// members in a fixed order. 5 cards give 134,459 classes of 2,598,960 hands.
std::vector<SuitClass> SuitClasses(int cards);

// Writes the ordinary card codes of the masks to out, ascending (out has room
// for as many cards as the masks hold, at most 5 here). Returns how many.
int CardsOf(const SuitMasks& masks, CardCode* out);

// One deal per suit class, with how many deals it stands for.
struct DealClass {
  Hand hand{};  // ascending ordinary codes; the joker, when dealt, last
  std::uint32_t deals = 0;
  bool joker = false;
};

// Every deal of the game folded into suit classes: five ordinary cards, and in
// Joker Wild (variant 2) also four ordinary cards with the joker.
std::vector<DealClass> DealClasses(GameVariant variant);

}  // namespace lynx
