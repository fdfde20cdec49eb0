#pragma once
// One video-poker machine: the play cycle (bet, deal, hold, draw, settle) and
// every rule of it, without a window. A table window is its view: it calls
// these operations, shows what they return and what the machine holds, and
// decides nothing itself.
//
// The credit meter and the deck belong to the player's run, not to one
// machine: a machine plays from the meter and deck it is given, so several
// machines (or several visits to one table) share one balance. Nothing here is
// global; any number of machines can run side by side.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/card.h"
#include "engine/deck.h"
#include "engine/hold_mask.h"
#include "engine/random_source.h"
#include "records/hand_in_progress.h"

namespace lynx {

// Why an operation did not go ahead; the view says it to the player.
enum class Refusal {
  None,
  NoBet,            // deal asked for with nothing bet now or last game
  StakeNotCovered,  // the credits cannot pay the stake of the deal
  CoinNotCovered,   // the credits cannot pay one more coin
  MaxNotCovered,    // the credits cannot pay the maximum bet
};

// What a bet did.
struct BetOutcome {
  Refusal refusal = Refusal::None;
  bool placed = false;  // the stake changed
  // The stake reached the maximum: the machine deals now (the view runs the
  // deal as if Deal/Draw was pressed).
  bool dealNext = false;
};

// What a deal did. The cards are DealHand(deck); the evaluation of the dealt
// hand only lights the name of a hand that already pays (nothing is paid).
struct DealOutcome {
  Refusal refusal = Refusal::None;
  Hand cards{};
  int winRow = -1;
};

// A settled game: the draw, its evaluation and the credits it paid.
struct Settlement {
  GameVariant game = kJacksOrBetter;
  int coins = 1;
  Hand dealt{};
  HoldMask held;
  Hand final{};
  int row = -1;     // pay-table row, -1 for none
  int won = 0;      // credits paid
  std::string message;  // the message line of the evaluation
  std::int32_t creditsAfter = 0;
  bool demo = false;
};

class Machine {
 public:
  // Plays game from credits and deck, which must outlive the machine. The
  // table shows the machine's idle hand until the first deal.
  Machine(GameVariant game, std::int32_t& credits, Deck& deck);

  // Called with the hand in progress after every change of it: a deal (its
  // stake already taken), a change of holds, a resumed hand. The one path by
  // which the journal learns of a hand.
  std::function<void(const HandInProgress&)> onHandChanged;

  BetOutcome BetOne();
  // Clears the hand on the table first (a refused maximum bet leaves five
  // empty positions).
  BetOutcome BetMax();
  // Deals with the stake bet now, else the last game's stake. A demo code
  // that names a demonstration hand stacks it instead of shuffling.
  DealOutcome Deal(UniformSource& random);
  // While a hand is dealt; false when nothing changed.
  bool SetHolds(HoldMask holds);
  bool ToggleHold(int index);
  // Draws the hand dealt and pays it. Only while a hand is dealt.
  Settlement Draw();
  // 100 credits more on the meter (the Credits button).
  void AddCredits(std::int64_t amount);
  // A release on a pay cell of column 1..5 and row 0..10 adds to the demo code.
  void PayCellReleased(int column, int row);
  // Takes back a hand left dealt: its cards, holds and stake (already paid)
  // and the deck behind it, so that the draw gives exactly the cards it
  // would have given. False, and nothing changes, for a hand of another game,
  // a stake out of range, a deck that is not a deck of this game, dealt cards
  // that are not the deck's first five, or while a hand is dealt.
  bool Resume(const HandInProgress& hand);

  // The hand on the table as onHandChanged reports it; meaningful while dealt.
  HandInProgress InProgress() const;

  GameVariant Game() const { return game; }
  std::int32_t Credits() const { return credits; }
  const Hand& Cards() const { return hand; }
  HoldMask Held() const { return held; }
  bool Dealt() const { return dealt; }
  int CoinsIn() const { return coinsIn; }
  int LastCoinsIn() const { return lastCoinsIn; }
  // Pay row and amount of the last evaluation (the dealt hand while dealt,
  // the drawn hand after a draw); -1 and 0 for none.
  int WinRow() const { return winRow; }
  int WinAmount() const { return winAmount; }
  int DemoCode() const { return demoCode; }
  // Deck position of the last card taken by the draw.
  int DrawPos() const { return drawPos; }
  bool DemoDeal() const { return demoDeal; }
  // The largest stake, which deals at once.
  int MaxCoins() const;

 private:
  void Announce();
  void Evaluate();

  GameVariant game;
  std::int32_t& credits;
  Deck& deck;
  Hand hand{49, 50, 51, 52, 40};  // the cards the table shows before the first deal
  HoldMask held;
  bool dealt = false;
  int coinsIn = 0;
  int lastCoinsIn = 0;
  int winRow = -1;
  int winAmount = 0;
  int drawPos = 0;
  int demoCode = 0;
  bool demoDeal = false;
  std::string message;
};

}  // namespace lynx
