#pragma once
// The trainer table's machine: any game of the library on any pay table, with
// one, three, five or ten hands played at once from the player's one credit
// meter. Like Machine it holds every rule of the play cycle and no window
// decides anything.
//
// Several hands: the dealt hand is held once for all of them. The first hand
// draws its replacements from the deck in order (positions 6..), as a single
// hand would; every other hand draws from its own copy of the cards not
// dealt (47, or 48 in a game with the joker), shuffled on its own. So each
// hand is an independent draw to the same held cards.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/card.h"
#include "engine/deck.h"
#include "engine/game_rules.h"
#include "engine/hold_mask.h"
#include "engine/pays.h"
#include "engine/random_source.h"
#include "machine/machine.h"

namespace lynx {

// The deck of a trainer game: the game's 52 cards, or 53 with the joker, in
// dealing order. Entries from size on are kNoCard.
struct TrainerDeck {
  std::array<CardCode, 53> cards{};
  int size = 52;
  bool operator==(const TrainerDeck&) const = default;
};

// The cards a game deals from, the deck its returns and advice are worked
// out on: 52, or 53 with the joker, but 52 for a joker game on the machine's
// deck (the joker in the place of one ordinary card the player never sees).
int TrainerDeckSize(const GameRules& rules);

// Fills deck with the game's cards (codes 1..52, and kJoker for
// Wilds::kJoker) and shuffles them uniformly: Fisher-Yates, one
// UniformSource::Next() per swap (size - 1 of them), the position chosen
// from r as min(floor(r * n), n - 1) among the n cards not yet placed. A
// joker game on the machine's deck is dealt as the machine deals it: the 52
// ordinary cards shuffled so, then the joker put in the place of one of them
// (one Next() more, the position chosen the same way).
void ShuffleTrainerDeck(TrainerDeck& deck, const GameRules& rules, UniformSource& random);

// True for a deck of the game: TrainerDeckSize(rules) of its cards, each
// once, with the joker for a joker game on the machine's deck; a joker
// game's 53 cards are taken too (hands an earlier version dealt).
bool IsDeckOfGame(const TrainerDeck& deck, const GameRules& rules);

// The hands the trainer deals at once, in the order the player steps
// through them: the one list the table, its setup and the history go by.
constexpr std::array<int, 4> kTrainerHandCounts{1, 3, 5, 10};

// True for 1, 3, 5 and 10.
bool ValidTrainerHands(int hands);

// Two ways to compare pays, neither looking at the game pointer:
// the same family and every figure of the row array (the rows past rowCount
// too) and the top prize: pays a journalled hand was played on.
bool SameFamilyAndFigures(const Pays& a, const Pays& b);
// As many rows, the same pay per coin on each of them and the same top
// prize, whatever the family says: a table the player typed that is one of
// the game's named tables.
bool SamePayFigures(const Pays& a, const Pays& b);

// A trainer hand dealt and not yet drawn (the journal keeps it so a hand in
// progress survives the end of the program).
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
  bool operator==(const TrainerHandInProgress&) const;
};

// One hand of a settled trainer game.
struct TrainerHandResult {
  Hand final{};
  int row = -1;          // pay row of final, -1 for none
  std::int64_t won = 0;  // PayoutOf(pays, row, coins)
  std::string message;   // the game's win message; empty when it wins nothing
};

// A settled trainer game.
struct TrainerSettlement {
  const GameRules* rules = nullptr;  // nullptr: nothing was drawn
  std::string table;
  Pays pays;
  int hands = 1;
  int coins = 1;  // per hand
  Hand dealt{};
  HoldMask held;
  std::vector<TrainerHandResult> results;  // hand 0 first (the dealt row's own draw)
  std::int64_t stake = 0;                  // coins * hands, taken at the deal
  std::int64_t won = 0;                    // sum of the results
  // The meter after each hand is paid, in order: the meter after the stake
  // plus won of hand 0, then plus won of hand 1, ... (each step saturating),
  // so each history row can carry its own balance. The last is creditsAfter.
  std::vector<std::int32_t> creditsAfterEach;
  std::int32_t creditsAfter = 0;
};

class TrainerMachine {
 public:
  static constexpr int kMaxCoinsPerHand = 5;

  // Plays rules with pays (which must have the game's rows) from the
  // player's one credit meter; rules and credits must outlive the machine.
  TrainerMachine(const GameRules& rules, const Pays& pays, std::string tableName,
                 std::int32_t& credits);

  // Called with the hand in progress after a deal (its stake already taken)
  // and after each change of holds: the one path to the journal.
  std::function<void(const TrainerHandInProgress&)> onHandChanged;

  // Between games only: false while a hand is dealt, for pays without the
  // game's row count, or for a hand count other than 1, 3, 5 and 10.
  bool SetGame(const GameRules& rules, const Pays& pays, std::string tableName);
  bool SetHands(int hands);

  // One coin per hand more, up to five; refused with CoinNotCovered when the
  // credits cannot pay (coins + 1) * hands. The fifth coin deals.
  BetOutcome BetOne();
  // Five coins per hand; refused with MaxNotCovered when the credits cannot
  // pay 5 * hands. Always deals when placed.
  BetOutcome BetMax();
  // Deals with the coins bet now, else the last game's, on every hand: takes
  // coins * hands, shuffles, deals five and lights the row of a dealt hand
  // that already pays (nothing is paid). Refusals NoBet, StakeNotCovered.
  DealOutcome Deal(UniformSource& random);
  // While a hand is dealt; false when nothing changed.
  bool SetHolds(HoldMask holds);
  bool ToggleHold(int index);
  // Draws every hand and pays their total. Hand 0 takes deck positions 6..
  // in order, as the journalled deck says; random shuffles the other hands'
  // copies, hand 1 first, one Next() per replaced card. Only while dealt
  // (else a settlement with no rules and no results).
  TrainerSettlement Draw(UniformSource& random);
  // amount more on the meter (the Credits button), stopping at its top.
  void AddCredits(std::int64_t amount);
  // Takes back a journalled hand: its game must be this machine's (by name,
  // with the game's row count of pays), hands one of kTrainerHandCounts,
  // coins 1..5, held 0..31, and the deck exactly the game's cards with dealt
  // as its first five. The pays and table name are the hand's; the stake is
  // not taken again. False, and nothing changes, otherwise or while dealt.
  bool Resume(const TrainerHandInProgress& hand);

  // The hand on the table as onHandChanged reports it; meaningful while dealt.
  TrainerHandInProgress InProgress() const;

  const GameRules& Rules() const { return *rules; }
  const Pays& GamePays() const { return pays; }
  const std::string& TableName() const { return tableName; }
  int Hands() const { return hands; }
  std::int32_t Credits() const { return credits; }
  // The dealt hand while dealt, hand 0's final hand after a draw; no cards
  // (kNoCard) before the first deal.
  const Hand& Cards() const { return hand; }
  HoldMask Held() const { return held; }
  bool Dealt() const { return dealt; }
  int CoinsIn() const { return coinsIn; }
  int LastCoinsIn() const { return lastCoinsIn; }
  // While dealt: the dealt hand's row and what it would pay one hand. After a
  // draw: hand 0's row and the total paid. -1 and 0 for none.
  int WinRow() const { return winRow; }
  std::int64_t WinAmount() const { return winAmount; }
  // The game last drawn; cleared by the next deal or resumed hand.
  const std::optional<TrainerSettlement>& LastSettlement() const { return last; }
  int MaxCoins() const { return kMaxCoinsPerHand; }

 private:
  void Announce();
  bool DeckOfGame(const TrainerDeck& candidate) const;

  const GameRules* rules;
  Pays pays;
  std::string tableName;
  std::int32_t& credits;
  int hands = 1;
  TrainerDeck deck;
  Hand hand{};
  HoldMask held;
  bool dealt = false;
  int coinsIn = 0;
  int lastCoinsIn = 0;
  int winRow = -1;
  std::int64_t winAmount = 0;
  std::optional<TrainerSettlement> last;
};

}  // namespace lynx
