#pragma once
// A trainer hand dealt and not yet drawn, as the journal keeps it so that a
// hand in progress survives the end of the program, and what makes one valid:
// the game's deck and the counts of hands the trainer deals. The trainer's
// machine makes it; the history keeps it and checks it when read back.

#include <algorithm>
#include <array>
#include <string>

#include "engine/card.h"
#include "engine/deck.h"
#include "engine/game_rules.h"
#include "engine/pays.h"

namespace lynx {

// The deck of a trainer game: the game's 52 cards, or 53 with the joker, in
// dealing order. Entries from size on are kNoCard.
struct TrainerDeck {
  std::array<CardCode, 53> cards{};
  int size = 52;
  bool operator==(const TrainerDeck&) const = default;
};

// A joker game dealt as the machine deals it: the joker in the place of one
// ordinary card.
inline bool OnMachineDeck(const GameRules& rules) {
  return rules.wilds == Wilds::kJoker && rules.deck == JokerDeck::kMachine;
}

// The cards a game deals from, the deck its returns and advice are worked
// out on: 52, or 53 with the joker, but 52 for a joker game on the machine's
// deck (the joker in the place of one ordinary card the player never sees).
inline int TrainerDeckSize(const GameRules& rules) {
  return OnMachineDeck(rules) ? Deck::kSize : rules.CardCount();
}

// True for a deck of the game: TrainerDeckSize(rules) of its cards, each
// once, with the joker for a joker game on the machine's deck; a joker
// game's 53 cards are taken too (hands an earlier version dealt).
inline bool IsDeckOfGame(const TrainerDeck& deck, const GameRules& rules) {
  const bool older53 = rules.wilds == Wilds::kJoker && deck.size == rules.CardCount();
  if (deck.size != TrainerDeckSize(rules) && !older53) return false;
  std::array<bool, kJoker + 1> seen{};
  for (int p = 0; p < static_cast<int>(deck.cards.size()); ++p) {
    const CardCode card = deck.cards[static_cast<std::size_t>(p)];
    if (p >= deck.size) {
      if (card != kNoCard) return false;
      continue;
    }
    const bool ofGame =
        (card >= 1 && card <= Deck::kSize) || (card == kJoker && rules.wilds == Wilds::kJoker);
    if (!ofGame || seen[static_cast<std::size_t>(card)]) return false;
    seen[static_cast<std::size_t>(card)] = true;
  }
  return rules.wilds != Wilds::kJoker || seen[kJoker];
}

constexpr std::array<int, 4> kTrainerHandCounts{1, 3, 5, 10};

// True for 1, 3, 5 and 10.
inline bool ValidTrainerHands(int hands) {
  return std::find(kTrainerHandCounts.begin(), kTrainerHandCounts.end(), hands) !=
         kTrainerHandCounts.end();
}

// A trainer hand dealt and not yet drawn.
struct TrainerHandInProgress {
  std::string game;   // GameRules::name, e.g. "double-double-bonus"
  std::string table;  // NamedTable::name, or "custom" for pays edited by the player
  Pays pays;          // the pays played (its rules pointer set to the game)
  int hands = 1;      // 1, 3, 5 or 10
  int coins = 1;      // per hand, 1..5; the stake taken was coins * hands
  Hand dealt{};
  int held = 0;      // HoldMask::Stored() bits
  TrainerDeck deck;  // dealt = its first five
  // Field by field; the pays by their numbers (the game is named by game, so
  // a pays without its rules pointer still compares equal).
  bool operator==(const TrainerHandInProgress& other) const {
    return game == other.game && table == other.table && SameFamilyAndFigures(pays, other.pays) &&
           hands == other.hands && coins == other.coins && dealt == other.dealt &&
           held == other.held && deck == other.deck;
  }
};

}  // namespace lynx
