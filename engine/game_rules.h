#pragma once
// Games of five-card draw as data: the deck, the pay rows in order (each row a
// hand category), and pay tables by name. The machine's three games are
// entries of the library with their own rows, captions and messages; the
// others are the games played on casino floors and in trainers.
//
// A hand is in the first row, top down, whose category it fits; with wild
// cards a hand fits a category when the wild cards can stand for cards that
// make it. Rows are listed as the games rank them (the higher pay first), so
// the first row fitted is the best hand the cards make.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/card.h"
#include "engine/deck.h"
#include "engine/joker_deck.h"

namespace lynx {

// Pay rows a game has at most (Double Double Bonus and Bonus Deuces Wild
// have 13).
constexpr int kMaxPayRows = 16;

enum class HandCategory : std::uint8_t {
  kRoyalFlush,      // a royal flush without wild cards
  kWildRoyalFlush,  // a royal flush with at least one wild card
  kFiveOfAKind,
  kFiveAces,
  kFiveThreesToFives,
  kFiveSixesToKings,
  kFourDeucesWithAce,  // the four deuces and an ace
  kFourDeuces,
  kStraightFlush,
  kFourOfAKind,
  // Four of a kind by the rank of the four (games without wild cards).
  kFourAces,
  kFourTwosToFours,
  kFourFivesToKings,
  kFourJacksToKings,
  kFourTwosToTens,
  // ... and by the fifth card, the kicker.
  kFourAcesWithTwoToFour,
  kFourTwosToFoursWithAceToFour,
  kFullHouse,
  kFlush,
  kStraight,
  kThreeOfAKind,
  kTwoPair,
  kTensOrBetter,  // a pair of tens, jacks, queens, kings or aces
  kJacksOrBetter,
  kKingsOrBetter,
};

// The wild cards of a game.
enum class Wilds : std::uint8_t {
  kNone,
  kJoker,   // the 53rd card
  kDeuces,  // the four cards of rank 2
};

struct GameRow {
  HandCategory category{};
  std::string_view caption;  // the hand's name on the pay table
};

// One pay table of a game: the pay per coin of each row, top row first, and
// what the top row pays for five coins; with the return best play gives as
// published, where it is.
struct NamedTable {
  std::string_view name;  // "9/6", "full pay", ...
  std::array<int, kMaxPayRows> perCoin{};
  int royalFiveCoins = 4000;
  std::string_view published;  // the published return, e.g. "99.5439%"; empty if none
  std::string_view source;     // where it is published
};

struct GameRules {
  std::string_view name;   // the analyser's name: "jacks", "double-double-bonus"
  std::string_view title;  // "Jacks or Better", "Double Double Bonus"
  // The kind of game for the strategy engine: kJacksOrBetter for a game
  // without wild cards, kJokerWild with the joker, kDeucesWild with deuces.
  GameVariant family = kJacksOrBetter;
  GameVariant machine = 0;  // 1..3 for the machine's own three games, else 0
  Wilds wilds = Wilds::kNone;
  JokerDeck deck = JokerDeck::kStandard53;  // the deck of its published returns
  int rowCount = 0;
  std::array<GameRow, kMaxPayRows> rows{};
  std::span<const NamedTable> tables;  // the first is the game's usual table
  // The lowest pair that pays, as a rank (1 ace .. 13 king; 0 when no pair
  // pays): what the strategy chart calls a high card.
  int lowestPaidPair = 0;

  int CardCount() const { return wilds == Wilds::kJoker ? 53 : 52; }
};

// Every game, the machine's three first (jacks, joker, deuces).
std::span<const GameRules> GameLibrary();

// The game of that analyser name; nullptr for none.
const GameRules* FindGame(std::string_view name);

// The machine's game of variant 1..3 (any other value is Deuces Wild, as in
// the evaluator).
const GameRules& MachineRules(GameVariant variant);

// The row of five distinct cards of the game's deck, or -1. The machine's
// three games use the machine's own evaluator (ClassifyHand).
int ClassifyRules(const Hand& hand, const GameRules& rules);

// The row by the categories alone, for any game, the machine's included.
int ClassifyByCategories(const Hand& hand, const GameRules& rules);

// Whether the hand fits the category under the game's wild cards.
bool FitsCategory(const Hand& hand, Wilds wilds, HandCategory category);

// The named table of the game, or nullptr.
const NamedTable* FindTable(const GameRules& rules, std::string_view name);

// The message after a win on a row of a game: the machine's own for its
// three games, else "<caption> pays <amount>".
std::string RulesWinMessage(const GameRules& rules, int row, int amount);

}  // namespace lynx
