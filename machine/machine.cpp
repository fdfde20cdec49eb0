#include "machine/machine.h"

#include <algorithm>
#include <limits>

#include "engine/evaluate.h"
#include "engine/paytable.h"
#include "machine/credits.h"

namespace lynx {

namespace {

// Every position of deck a distinct card of game.
bool DeckOfGame(const Deck& deck, GameVariant game) {
  std::array<bool, kJoker + 1> seen{};
  for (int p = 1; p <= Deck::kSize; ++p) {
    const CardCode card = deck.At(p);
    if (card < 1 || card > kJoker || (card == kJoker && game != kJokerWild) ||
        seen[static_cast<std::size_t>(card)])
      return false;
    seen[static_cast<std::size_t>(card)] = true;
  }
  return true;
}

}  // namespace

Machine::Machine(GameVariant game, std::int32_t& credits, Deck& deck)
    : game(game), credits(credits), deck(deck) {}

int Machine::MaxCoins() const {
  return kMaxCoins;
}

BetOutcome Machine::BetOne() {
  BetOutcome out;
  if (dealt) return out;
  if (coinsIn + 1 > credits) {
    out.refusal = Refusal::CoinNotCovered;
    return out;
  }
  if (coinsIn >= MaxCoins()) return out;  // the maximum always deals; kept for safety
  ++coinsIn;
  out.placed = true;
  out.dealNext = coinsIn == MaxCoins();
  return out;
}

BetOutcome Machine::BetMax() {
  BetOutcome out;
  if (dealt) return out;
  hand.fill(kNoCard);
  if (credits < MaxCoins()) {
    out.refusal = Refusal::MaxNotCovered;
    return out;
  }
  out.placed = coinsIn != MaxCoins();
  coinsIn = MaxCoins();
  out.dealNext = true;
  return out;
}

DealOutcome Machine::Deal(UniformSource& random) {
  DealOutcome out;
  if (dealt) return out;
  if (lastCoinsIn + coinsIn == 0) {
    out.refusal = Refusal::NoBet;
    return out;
  }
  const bool covered =
      (coinsIn > 0 && coinsIn <= credits) || (coinsIn == 0 && lastCoinsIn <= credits);
  if (!covered) {
    out.refusal = Refusal::StakeNotCovered;
    return out;
  }
  if (coinsIn == 0) coinsIn = lastCoinsIn;
  credits -= coinsIn;
  demoDeal = IsDemoCode(demoCode);
  if (demoDeal)
    StackDemoHand(deck, game, demoCode);
  else
    Shuffle(deck, game, random);
  demoCode = 0;
  dealt = true;
  held = HoldMask();
  hand = DealHand(deck);
  // Evaluated only to light the name of a hand that already pays; its
  // message and amount are not shown or paid.
  Evaluate();
  // The stake is paid and the cards are known: from here the hand survives
  // whatever happens to the window or the program.
  Announce();
  out.cards = hand;
  out.winRow = winRow;
  return out;
}

bool Machine::SetHolds(HoldMask holds) {
  if (!dealt || holds == held) return false;
  held = holds;
  Announce();
  return true;
}

bool Machine::ToggleHold(int index) {
  if (index < 0 || index > 4) return false;
  return SetHolds(held.Toggled(index));
}

Settlement Machine::Draw() {
  Settlement s;
  if (!dealt) return s;
  dealt = false;
  s.game = game;
  s.coins = coinsIn;
  s.dealt = DealHand(deck);
  s.held = held;
  hand = DrawHand(deck, s.dealt, held);
  drawPos = 5 + (5 - held.Count());
  Evaluate();
  credits = AddCredits32(credits, winAmount);
  s.final = hand;
  s.row = winRow;
  s.won = winAmount;
  s.message = message;
  s.creditsAfter = credits;
  s.demo = demoDeal;
  lastCoinsIn = coinsIn;
  coinsIn = 0;
  return s;
}

void Machine::AddCredits(std::int64_t amount) {
  credits = AddCredits32(credits, amount);
}

void Machine::PayCellReleased(int column, int row) {
  // Columns 1..4 add (row + 1) times 1, 10, 100, 1000. Adding stops once the
  // code reaches 10000, so however often the cells are clicked it stays below
  // 21000, and every demonstration code (all below 10000) is still reachable.
  static constexpr std::array<int, 5> kWeights{0, 1, 10, 100, 1000};
  if (column < 1 || column > 4 || row < 0 || demoCode >= 10000) return;
  demoCode += kWeights[static_cast<std::size_t>(column)] * (row + 1);
}

bool Machine::Resume(const HandInProgress& resumed) {
  if (dealt || resumed.game != game || resumed.coins < 1 || resumed.coins > MaxCoins() ||
      DealHand(resumed.deck) != resumed.dealt || !DeckOfGame(resumed.deck, game))
    return false;
  deck = resumed.deck;
  hand = resumed.dealt;
  held = HoldMask::FromBits(static_cast<unsigned>(resumed.held));
  coinsIn = resumed.coins;
  demoDeal = resumed.demo;
  dealt = true;
  // As after a deal, a hand that already pays lights its name.
  Evaluate();
  return true;
}

HandInProgress Machine::InProgress() const {
  HandInProgress h;
  h.game = game;
  h.coins = coinsIn;
  h.dealt = DealHand(deck);
  h.held = held.Stored();
  h.deck = deck;
  h.demo = demoDeal;
  return h;
}

void Machine::Announce() {
  if (onHandChanged) onHandChanged(InProgress());
}

void Machine::Evaluate() {
  HandTable table = HandTable::FromHand(hand);
  const Evaluation evaluation = EvaluateHand(table, game, coinsIn);
  winRow = evaluation.winRow;
  winAmount = evaluation.winAmount;
  message = evaluation.message;
}

}  // namespace lynx
