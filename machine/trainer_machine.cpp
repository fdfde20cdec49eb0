#include "machine/trainer_machine.h"

#include <algorithm>
#include <span>
#include <utility>

#include "machine/credits.h"

namespace lynx {

namespace {

// 0..n-1 from r in [0, 1); a source that strays outside [0, 1) is kept
// inside the range rather than trusted.
int PickIndex(UniformSource& random, int n) {
  const int k = static_cast<int>(static_cast<double>(random.Next()) * n);
  return std::clamp(k, 0, n - 1);
}

// The first count positions of cards become a uniformly random ordered
// choice of its cards (the first count steps of Fisher-Yates), one Next()
// per position.
void PlaceRandomFront(std::span<CardCode> cards, int count, UniformSource& random) {
  const int n = static_cast<int>(cards.size());
  for (int i = 0; i < count && i < n; ++i) {
    const int j = i + PickIndex(random, n - i);
    std::swap(cards[static_cast<std::size_t>(i)], cards[static_cast<std::size_t>(j)]);
  }
}

Hand FirstFive(const TrainerDeck& deck) {
  Hand five{};
  std::copy_n(deck.cards.begin(), 5, five.begin());
  return five;
}

// dealt with every position not held replaced by the next of replacements.
Hand Replace(const Hand& dealt, HoldMask held, const CardCode* replacements) {
  Hand drawn = dealt;
  for (int i = 0; i < 5; ++i)
    if (!held.Holds(i)) drawn[static_cast<std::size_t>(i)] = *replacements++;
  return drawn;
}

// The pays as this machine plays them: tied to the game they belong to.
Pays PaysOfGame(const Pays& pays, const GameRules& rules) {
  Pays own = pays;
  own.variant = rules.family;
  own.rules = &rules;
  return own;
}

}  // namespace

bool SameFamilyAndFigures(const Pays& a, const Pays& b) {
  return a.variant == b.variant && a.rowCount == b.rowCount && a.perCoin == b.perCoin &&
         a.royalFiveCoins == b.royalFiveCoins;
}

bool SamePayFigures(const Pays& a, const Pays& b) {
  if (a.rowCount != b.rowCount || a.royalFiveCoins != b.royalFiveCoins) return false;
  for (int r = 0; r < a.rowCount; ++r)
    if (a.perCoin[static_cast<std::size_t>(r)] != b.perCoin[static_cast<std::size_t>(r)])
      return false;
  return true;
}

namespace {

bool OnMachineDeck(const GameRules& rules) {
  return rules.wilds == Wilds::kJoker && rules.deck == JokerDeck::kMachine;
}

}  // namespace

int TrainerDeckSize(const GameRules& rules) {
  return OnMachineDeck(rules) ? Deck::kSize : rules.CardCount();
}

void ShuffleTrainerDeck(TrainerDeck& deck, const GameRules& rules, UniformSource& random) {
  deck.cards.fill(kNoCard);
  for (int c = 1; c <= Deck::kSize; ++c)
    deck.cards[static_cast<std::size_t>(c - 1)] = static_cast<CardCode>(c);
  deck.size = TrainerDeckSize(rules);
  if (OnMachineDeck(rules)) {
    PlaceRandomFront(std::span(deck.cards.data(), Deck::kSize), Deck::kSize - 1, random);
    deck.cards[static_cast<std::size_t>(PickIndex(random, Deck::kSize))] = kJoker;
    return;
  }
  if (rules.wilds == Wilds::kJoker) deck.cards[Deck::kSize] = kJoker;
  PlaceRandomFront(std::span(deck.cards.data(), static_cast<std::size_t>(deck.size)), deck.size - 1,
                   random);
}

bool IsDeckOfGame(const TrainerDeck& deck, const GameRules& rules) {
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

bool ValidTrainerHands(int hands) {
  return std::find(kTrainerHandCounts.begin(), kTrainerHandCounts.end(), hands) !=
         kTrainerHandCounts.end();
}

bool TrainerHandInProgress::operator==(const TrainerHandInProgress& other) const {
  return game == other.game && table == other.table && SameFamilyAndFigures(pays, other.pays) &&
         hands == other.hands && coins == other.coins && dealt == other.dealt &&
         held == other.held && deck == other.deck;
}

TrainerMachine::TrainerMachine(const GameRules& rules, const Pays& pays, std::string tableName,
                               std::int32_t& credits)
    : rules(&rules),
      pays(PaysOfGame(pays, rules)),
      tableName(std::move(tableName)),
      credits(credits) {}

bool TrainerMachine::SetGame(const GameRules& newRules, const Pays& newPays,
                             std::string newTableName) {
  if (dealt || newPays.rowCount != newRules.rowCount) return false;
  rules = &newRules;
  pays = PaysOfGame(newPays, newRules);
  tableName = std::move(newTableName);
  winRow = -1;
  winAmount = 0;
  return true;
}

bool TrainerMachine::SetHands(int count) {
  if (dealt || !ValidTrainerHands(count)) return false;
  hands = count;
  return true;
}

BetOutcome TrainerMachine::BetOne() {
  BetOutcome out;
  if (dealt) return out;
  if (static_cast<std::int64_t>(coinsIn + 1) * hands > credits) {
    out.refusal = Refusal::CoinNotCovered;
    return out;
  }
  if (coinsIn >= kMaxCoinsPerHand) return out;  // five coins always deal; kept for safety
  ++coinsIn;
  out.placed = true;
  out.dealNext = coinsIn == kMaxCoinsPerHand;
  return out;
}

BetOutcome TrainerMachine::BetMax() {
  BetOutcome out;
  if (dealt) return out;
  if (static_cast<std::int64_t>(kMaxCoinsPerHand) * hands > credits) {
    out.refusal = Refusal::MaxNotCovered;
    return out;
  }
  out.placed = coinsIn != kMaxCoinsPerHand;
  coinsIn = kMaxCoinsPerHand;
  out.dealNext = true;
  return out;
}

DealOutcome TrainerMachine::Deal(UniformSource& random) {
  DealOutcome out;
  if (dealt) return out;
  const int coins = coinsIn > 0 ? coinsIn : lastCoinsIn;
  if (coins == 0) {
    out.refusal = Refusal::NoBet;
    return out;
  }
  if (static_cast<std::int64_t>(coins) * hands > credits) {
    out.refusal = Refusal::StakeNotCovered;
    return out;
  }
  coinsIn = coins;
  credits -= coins * hands;
  ShuffleTrainerDeck(deck, *rules, random);
  dealt = true;
  held = HoldMask();
  hand = FirstFive(deck);
  last.reset();
  // Only lights the name of a dealt hand that already pays; nothing is paid.
  winRow = ClassifyRules(hand, *rules);
  winAmount = PayoutOf(pays, winRow, coinsIn);
  // The stake is taken and the cards are known: from here the hand survives
  // whatever happens to the window or the program.
  Announce();
  out.cards = hand;
  out.winRow = winRow;
  return out;
}

bool TrainerMachine::SetHolds(HoldMask holds) {
  if (!dealt || holds == held) return false;
  held = holds;
  Announce();
  return true;
}

bool TrainerMachine::ToggleHold(int index) {
  if (index < 0 || index > 4) return false;
  return SetHolds(held.Toggled(index));
}

TrainerSettlement TrainerMachine::Draw(UniformSource& random) {
  TrainerSettlement s;
  if (!dealt) return s;
  dealt = false;
  s.rules = rules;
  s.table = tableName;
  s.pays = pays;
  s.hands = hands;
  s.coins = coinsIn;
  s.dealt = FirstFive(deck);
  s.held = held;
  s.stake = static_cast<std::int64_t>(coinsIn) * hands;

  const auto settle = [&](const Hand& final) {
    TrainerHandResult result;
    result.final = final;
    result.row = ClassifyRules(final, *rules);
    result.won = PayoutOf(pays, result.row, coinsIn);
    if (result.won > 0)
      result.message = RulesWinMessage(*rules, result.row, static_cast<int>(result.won));
    s.won += result.won;
    s.results.push_back(std::move(result));
  };
  s.results.reserve(static_cast<std::size_t>(hands));
  // Hand 0 draws exactly what the journalled deck holds behind the deal.
  settle(Replace(s.dealt, held, deck.cards.data() + 5));
  // Every other hand: its own copy of the cards not dealt, hand 1 first.
  const std::vector<CardCode> rest(deck.cards.begin() + 5, deck.cards.begin() + deck.size);
  std::vector<CardCode> copy;
  for (int h = 1; h < hands; ++h) {
    copy = rest;
    PlaceRandomFront(copy, 5 - held.Count(), random);
    settle(Replace(s.dealt, held, copy.data()));
  }

  for (const TrainerHandResult& result : s.results) {
    credits = AddCredits32(credits, result.won);
    s.creditsAfterEach.push_back(credits);
  }
  s.creditsAfter = credits;
  hand = s.results.front().final;
  winRow = s.results.front().row;
  winAmount = s.won;
  lastCoinsIn = coinsIn;
  coinsIn = 0;
  last = s;
  return s;
}

void TrainerMachine::AddCredits(std::int64_t amount) {
  credits = AddCredits32(credits, amount);
}

bool TrainerMachine::DeckOfGame(const TrainerDeck& candidate) const {
  return IsDeckOfGame(candidate, *rules);
}

bool TrainerMachine::Resume(const TrainerHandInProgress& resumed) {
  if (dealt || resumed.game != rules->name || resumed.pays.rowCount != rules->rowCount ||
      !ValidTrainerHands(resumed.hands) || resumed.coins < 1 || resumed.coins > kMaxCoinsPerHand ||
      resumed.held < 0 || resumed.held > 31 || !DeckOfGame(resumed.deck) ||
      FirstFive(resumed.deck) != resumed.dealt)
    return false;
  pays = PaysOfGame(resumed.pays, *rules);
  tableName = resumed.table;
  hands = resumed.hands;
  coinsIn = resumed.coins;
  deck = resumed.deck;
  hand = resumed.dealt;
  held = HoldMask::FromBits(static_cast<unsigned>(resumed.held));
  dealt = true;
  last.reset();
  // As after a deal, a hand that already pays lights its name.
  winRow = ClassifyRules(hand, *rules);
  winAmount = PayoutOf(pays, winRow, coinsIn);
  return true;
}

TrainerHandInProgress TrainerMachine::InProgress() const {
  TrainerHandInProgress h;
  h.game = std::string(rules->name);
  h.table = tableName;
  h.pays = pays;
  h.hands = hands;
  h.coins = coinsIn;
  h.dealt = FirstFive(deck);
  h.held = held.Stored();
  h.deck = deck;
  return h;
}

void TrainerMachine::Announce() {
  if (onHandChanged) onHandChanged(InProgress());
}

}  // namespace lynx
