#include "engine/game_rules.h"

#include <algorithm>
#include <vector>

#include "engine/evaluate.h"
#include "engine/paytable.h"

namespace lynx {

namespace {

// What the rules look at in five cards: the wild cards and, of the others
// (the naturals), how many of each rank and whether they share a suit.
struct Shape {
  int wild = 0;
  int naturals = 0;
  std::array<int, 14> count{};  // by rank 1..13
  int ranks = 0;                // distinct natural ranks
  int most = 0;                 // the largest count of one rank
  int mostRank = 0;             // a rank with that count (the highest, ace high)
  int pairs = 0;                // ranks with two or more
  bool suited = true;           // the naturals all of one suit
  unsigned rankBits = 0;        // bit r for natural rank r (1..13)
};

int AceHigh(int rank) {
  return rank == 1 ? 14 : rank;
}

Shape ShapeOf(const Hand& hand, Wilds wilds) {
  Shape s;
  int suit = -1;
  for (const CardCode card : hand) {
    const bool wild = (wilds == Wilds::kJoker && card == kJoker) ||
                      (wilds == Wilds::kDeuces && card != kJoker && Rank(card) == 2);
    if (wild) {
      ++s.wild;
      continue;
    }
    ++s.naturals;
    const int rank = Rank(card);
    ++s.count[static_cast<std::size_t>(rank)];
    s.rankBits |= 1u << rank;
    if (suit >= 0 && SuitIndex(card) != suit) s.suited = false;
    suit = SuitIndex(card);
  }
  for (int r = 1; r <= 13; ++r) {
    const int n = s.count[static_cast<std::size_t>(r)];
    if (n == 0) continue;
    ++s.ranks;
    if (n >= 2) ++s.pairs;
    if (n > s.most || (n == s.most && AceHigh(r) > AceHigh(s.mostRank))) {
      s.most = n;
      s.mostRank = r;
    }
  }
  return s;
}

// Whether the naturals, all of different ranks, fit in the five ranks from
// low (1..10; 10 is ten to ace) with wild cards for the others.
bool FitsRun(const Shape& s, int low) {
  unsigned window = 0;
  for (int r = low; r < low + 5; ++r) window |= 1u << (r == 14 ? 1 : r);
  return (s.rankBits & ~window) == 0;
}

bool Distinct(const Shape& s) {
  return s.ranks == s.naturals;
}

bool Straight(const Shape& s) {
  if (!Distinct(s)) return false;
  for (int low = 1; low <= 10; ++low)
    if (FitsRun(s, low)) return true;
  return false;
}

bool Royal(const Shape& s) {
  return Distinct(s) && s.suited && FitsRun(s, 10);
}

// The rank of a four or five of a kind and the fifth card's rank, for hands
// without wild cards.
int KickerOf(const Shape& s) {
  for (int r = 1; r <= 13; ++r)
    if (s.count[static_cast<std::size_t>(r)] == 1) return r;
  return 0;
}

bool PairAtLeast(const Shape& s, int lowest) {
  if (s.wild >= 2) return true;
  for (int r = 1; r <= 13; ++r) {
    const int n = s.count[static_cast<std::size_t>(r)];
    if (AceHigh(r) >= lowest && n + s.wild >= 2) return true;
  }
  return false;
}

bool Fits(const Shape& s, HandCategory category) {
  const bool four = s.most + s.wild >= 4;
  const bool five = s.ranks <= 1 && s.most + s.wild == 5;
  const int quad = s.mostRank;
  switch (category) {
    case HandCategory::kRoyalFlush:
      return s.wild == 0 && Royal(s);
    case HandCategory::kWildRoyalFlush:
      return s.wild > 0 && Royal(s);
    case HandCategory::kFiveOfAKind:
      return five;
    case HandCategory::kFiveAces:
      return five && quad == 1;
    case HandCategory::kFiveThreesToFives:
      return five && quad >= 3 && quad <= 5;
    case HandCategory::kFiveSixesToKings:
      return five && quad >= 6;
    case HandCategory::kFourDeucesWithAce:
      return s.wild == 4 && s.count[1] == 1;
    case HandCategory::kFourDeuces:
      return s.wild == 4;
    case HandCategory::kStraightFlush:
      return s.suited && Straight(s);
    case HandCategory::kFourOfAKind:
      return four;
    case HandCategory::kFourAces:
      return four && quad == 1;
    case HandCategory::kFourTwosToFours:
      return four && quad >= 2 && quad <= 4;
    case HandCategory::kFourFivesToKings:
      return four && quad >= 5;
    case HandCategory::kFourJacksToKings:
      return four && quad >= 11;
    case HandCategory::kFourTwosToTens:
      return four && quad >= 2 && quad <= 10;
    case HandCategory::kFourAcesWithTwoToFour: {
      const int kicker = KickerOf(s);
      return four && quad == 1 && kicker >= 2 && kicker <= 4;
    }
    case HandCategory::kFourTwosToFoursWithAceToFour: {
      const int kicker = KickerOf(s);
      return four && quad >= 2 && quad <= 4 && kicker >= 1 && kicker <= 4;
    }
    case HandCategory::kFullHouse:
      return s.ranks <= 2 && s.most <= 3;
    case HandCategory::kFlush:
      return s.suited;
    case HandCategory::kStraight:
      return Straight(s);
    case HandCategory::kThreeOfAKind:
      return s.most + s.wild >= 3;
    case HandCategory::kTwoPair:
      return s.pairs + s.wild >= 2;
    case HandCategory::kTensOrBetter:
      return PairAtLeast(s, 10);
    case HandCategory::kJacksOrBetter:
      return PairAtLeast(s, 11);
    case HandCategory::kKingsOrBetter:
      return PairAtLeast(s, 13);
  }
  return false;
}

// ---------------------------------------------------------------------------
// The library.

using C = HandCategory;

constexpr std::array<int, kMaxPayRows> P(std::initializer_list<int> pays) {
  std::array<int, kMaxPayRows> out{};
  std::size_t i = 0;
  for (const int p : pays) out[i++] = p;
  return out;
}

// The machine's games take their rows, captions and pays from its own pay
// tables (paytable.h); only the categories are written here.
constexpr std::array<C, 9> kMachineJacks{C::kRoyalFlush,   C::kStraightFlush, C::kFourOfAKind,
                                         C::kFullHouse,    C::kFlush,         C::kStraight,
                                         C::kThreeOfAKind, C::kTwoPair,       C::kJacksOrBetter};
constexpr std::array<C, 11> kMachineJoker{C::kRoyalFlush,    C::kFiveOfAKind,  C::kWildRoyalFlush,
                                          C::kStraightFlush, C::kFourOfAKind,  C::kFullHouse,
                                          C::kFlush,         C::kStraight,     C::kThreeOfAKind,
                                          C::kTwoPair,       C::kKingsOrBetter};
constexpr std::array<C, 10> kMachineDeuces{
    C::kRoyalFlush,  C::kFourDeuces, C::kWildRoyalFlush, C::kFiveOfAKind, C::kStraightFlush,
    C::kFourOfAKind, C::kFullHouse,  C::kFlush,          C::kStraight,    C::kThreeOfAKind};

const std::array<NamedTable, 1>& MachineTable(GameVariant variant) {
  static const auto make = [](GameVariant v) {
    const PayTable& table = PayTableFor(v);
    NamedTable t;
    t.name = "machine";
    for (int r = 0; r < table.rowCount; ++r)
      t.perCoin[static_cast<std::size_t>(r)] = table.rows[static_cast<std::size_t>(r)].perCoin;
    t.royalFiveCoins = kFiveCoinRoyal;
    return std::array<NamedTable, 1>{t};
  };
  static const std::array<NamedTable, 1> jacks = make(kJacksOrBetter);
  static const std::array<NamedTable, 1> joker = make(kJokerWild);
  static const std::array<NamedTable, 1> deuces = make(kDeucesWild);
  return variant == kJacksOrBetter ? jacks : variant == kJokerWild ? joker : deuces;
}

// The lowest pair a game's rows pay, as a rank (ace high); 0 for none.
int LowestPaidPair(const GameRules& g) {
  int lowest = 0;
  for (int r = 0; r < g.rowCount; ++r) {
    switch (g.rows[static_cast<std::size_t>(r)].category) {
      case C::kTensOrBetter:
        lowest = 10;
        break;
      case C::kJacksOrBetter:
        lowest = 11;
        break;
      case C::kKingsOrBetter:
        lowest = 13;
        break;
      default:
        break;
    }
  }
  return lowest;
}

template <std::size_t N>
GameRules MachineGame(GameVariant variant, const std::array<C, N>& categories) {
  const PayTable& table = PayTableFor(variant);
  GameRules g;
  g.name = GameName(variant);
  g.title = GameTitle(variant);
  g.family = variant;
  g.machine = variant;
  g.wilds = variant == kJokerWild    ? Wilds::kJoker
            : variant == kDeucesWild ? Wilds::kDeuces
                                     : Wilds::kNone;
  g.deck = JokerDeck::kMachine;
  g.rowCount = table.rowCount;
  for (std::size_t r = 0; r < N; ++r) g.rows[r] = {categories[r], table.rows[r].caption};
  g.tables = MachineTable(variant);
  g.lowestPaidPair = LowestPaidPair(g);
  return g;
}

struct Row {
  C category;
  std::string_view caption;
};

GameRules Game(std::string_view name, std::string_view title, Wilds wilds,
               std::initializer_list<Row> rows, std::span<const NamedTable> tables,
               JokerDeck deck = JokerDeck::kStandard53) {
  GameRules g;
  g.name = name;
  g.title = title;
  g.wilds = wilds;
  g.family = wilds == Wilds::kJoker    ? kJokerWild
             : wilds == Wilds::kDeuces ? kDeucesWild
                                       : kJacksOrBetter;
  g.deck = deck;
  for (const Row& r : rows)
    g.rows[static_cast<std::size_t>(g.rowCount++)] = {r.category, r.caption};
  g.tables = tables;
  g.lowestPaidPair = LowestPaidPair(g);
  return g;
}

// Pay tables: pays per coin from the top row down, with the return best play
// gives as published (to the precision published) and where; docs/strategy.md
// lists them beside the engine's figures.
constexpr std::string_view kWizard = "wizardofodds.com";
constexpr NamedTable kJacks96[] = {
    {"9/6", P({250, 50, 25, 9, 6, 4, 3, 2, 1}), 4000, "99.54%", kWizard},
};
constexpr NamedTable kJacks85[] = {
    {"8/5", P({250, 50, 25, 8, 5, 4, 3, 2, 1}), 4000, "97.30%", "casinocitytimes.com"},
};
constexpr NamedTable kTens[] = {
    {"6/5", P({250, 50, 25, 6, 5, 4, 3, 2, 1}), 4000, "99.14%", "slotsedge.com"},
};
constexpr NamedTable kBonus[] = {
    {"8/5", P({250, 50, 80, 40, 25, 8, 5, 4, 3, 2, 1}), 4000, "99.17%", kWizard},
    {"7/5", P({250, 50, 80, 40, 25, 7, 5, 4, 3, 2, 1}), 4000, "98.01%", "casinocitytimes.com"},
    {"6/5", P({250, 50, 80, 40, 25, 6, 5, 4, 3, 2, 1}), 4000, "", ""},
};
constexpr NamedTable kBonusDeluxe[] = {
    {"9/6", P({250, 50, 80, 9, 6, 4, 3, 1, 1}), 4000, "99.64%", "casinonewsdaily.com"},
    {"8/6", P({250, 50, 80, 8, 6, 4, 3, 1, 1}), 4000, "98.49%", "casinonewsdaily.com"},
    {"8/5", P({250, 50, 80, 8, 5, 4, 3, 1, 1}), 4000, "97.40%", "casinonewsdaily.com"},
};
constexpr NamedTable kDoubleBonus[] = {
    {"10/7", P({250, 50, 160, 80, 50, 10, 7, 5, 3, 1, 1}), 4000, "100.17%", kWizard},
    {"9/7", P({250, 50, 160, 80, 50, 9, 7, 5, 3, 1, 1}), 4000, "99.1%", "tunicatravel.com"},
    {"9/6", P({250, 50, 160, 80, 50, 9, 6, 5, 3, 1, 1}), 4000, "97.8%", "realmoneyaction.com"},
};
constexpr NamedTable kDoubleDoubleBonus[] = {
    {"9/6", P({250, 50, 400, 160, 160, 80, 50, 9, 6, 4, 3, 1, 1}), 4000, "98.98%",
     "pokerology.com"},
    {"10/6", P({250, 50, 400, 160, 160, 80, 50, 10, 6, 4, 3, 1, 1}), 4000, "100.07%", kWizard},
    {"9/5", P({250, 50, 400, 160, 160, 80, 50, 9, 5, 4, 3, 1, 1}), 4000, "97.87%",
     "casinocenter.com"},
    {"8/5", P({250, 50, 400, 160, 160, 80, 50, 8, 5, 4, 3, 1, 1}), 4000, "96.79%",
     "casinocenter.com"},
};
constexpr NamedTable kTripleDoubleBonus[] = {
    {"9/7", P({250, 50, 800, 400, 160, 80, 50, 9, 7, 4, 2, 1, 1}), 4000, "", ""},
    {"9/6", P({250, 50, 800, 400, 160, 80, 50, 9, 6, 4, 2, 1, 1}), 4000, "", ""},
};
constexpr NamedTable kAcesFaces[] = {
    {"8/5", P({250, 50, 80, 40, 25, 8, 5, 4, 3, 2, 1}), 4000, "99.26%", "888casino.com"},
    {"7/5", P({250, 50, 80, 40, 25, 7, 5, 4, 3, 2, 1}), 4000, "", ""},
};
constexpr NamedTable kDeucesFull[] = {
    {"full pay", P({250, 200, 25, 15, 9, 5, 3, 2, 2, 1}), 4000, "100.76%", kWizard},
    {"25/15/11", P({250, 200, 25, 15, 11, 4, 4, 3, 2, 1}), 4000, "99.96%", kWizard},
    {"illinois", P({250, 200, 25, 15, 9, 4, 4, 3, 2, 1}), 4000, "98.91%", "casinonewsdaily.com"},
};
constexpr NamedTable kDeucesNsu[] = {
    {"not so ugly", P({250, 200, 25, 16, 10, 4, 4, 3, 2, 1}), 4000, "99.73%", kWizard},
};
constexpr NamedTable kBonusDeuces[] = {
    {"10/4/3/3", P({250, 400, 200, 25, 80, 40, 20, 10, 4, 3, 3, 1, 1}), 4000, "", ""},
};
constexpr NamedTable kLooseDeuces[] = {
    {"17/10", P({250, 500, 25, 17, 10, 4, 3, 2, 2, 1}), 4000, "101.6%", "yakamalegends.com"},
    {"15/10", P({250, 500, 25, 15, 10, 4, 3, 2, 2, 1}), 4000, "100.97%", "realmoneyaction.com"},
};
constexpr NamedTable kJokerKings[] = {
    {"20/7/5", P({250, 200, 100, 50, 20, 7, 5, 3, 2, 1, 1}), 4000, "100.65%", "gambatria.com"},
};
constexpr NamedTable kJokerTwoPair[] = {
    {"8/7/5", P({250, 100, 50, 50, 20, 8, 7, 5, 2, 1}), 4000, "", ""},
};

constexpr std::string_view kFourAcesKicker = "4 Aces + 2-4";
constexpr std::string_view kFourLowKicker = "4 2s-4s + A-4";

std::vector<GameRules> BuildLibrary() {
  const Row royal{C::kRoyalFlush, "Royal Flush"};
  const Row straightFlush{C::kStraightFlush, "Straight Flush"};
  const Row fourKind{C::kFourOfAKind, "4 of a Kind"};
  const Row fullHouse{C::kFullHouse, "Full House"};
  const Row flush{C::kFlush, "Flush"};
  const Row straight{C::kStraight, "Straight"};
  const Row threeKind{C::kThreeOfAKind, "3 of a Kind"};
  const Row twoPair{C::kTwoPair, "2 Pair"};
  const Row jacks{C::kJacksOrBetter, "Jacks or Better"};
  const Row fourAces{C::kFourAces, "4 Aces"};
  const Row fourLow{C::kFourTwosToFours, "4 2s-4s"};
  const Row fourMid{C::kFourFivesToKings, "4 5s-Ks"};
  const Row natural{C::kRoyalFlush, "Royal Flush (Natural)"};
  const Row fourDeuces{C::kFourDeuces, "4 Deuces"};
  const Row deucesRoyal{C::kWildRoyalFlush, "Royal Flush (Deuces)"};
  const Row fiveKind{C::kFiveOfAKind, "5 of a Kind"};
  const Row jokerRoyal{C::kWildRoyalFlush, "Royal Flush (Joker)"};

  std::vector<GameRules> games;
  games.push_back(MachineGame(kJacksOrBetter, kMachineJacks));
  games.push_back(MachineGame(kJokerWild, kMachineJoker));
  games.push_back(MachineGame(kDeucesWild, kMachineDeuces));
  const std::initializer_list<Row> jacksRows{royal,    straightFlush, fourKind, fullHouse, flush,
                                             straight, threeKind,     twoPair,  jacks};
  games.push_back(Game("jacks-96", "Jacks or Better 9/6", Wilds::kNone, jacksRows, kJacks96));
  games.push_back(Game("jacks-85", "Jacks or Better 8/5", Wilds::kNone, jacksRows, kJacks85));
  games.push_back(Game("tens", "Tens or Better", Wilds::kNone,
                       {royal,
                        straightFlush,
                        fourKind,
                        fullHouse,
                        flush,
                        straight,
                        threeKind,
                        twoPair,
                        {C::kTensOrBetter, "Tens or Better"}},
                       kTens));
  const std::initializer_list<Row> bonusRows{royal,     straightFlush, fourAces, fourLow,
                                             fourMid,   fullHouse,     flush,    straight,
                                             threeKind, twoPair,       jacks};
  games.push_back(Game("bonus", "Bonus Poker", Wilds::kNone, bonusRows, kBonus));
  games.push_back(
      Game("bonus-deluxe", "Bonus Poker Deluxe", Wilds::kNone, jacksRows, kBonusDeluxe));
  games.push_back(Game("double-bonus", "Double Bonus", Wilds::kNone, bonusRows, kDoubleBonus));
  const std::initializer_list<Row> kickerRows{royal,
                                              straightFlush,
                                              {C::kFourAcesWithTwoToFour, kFourAcesKicker},
                                              {C::kFourTwosToFoursWithAceToFour, kFourLowKicker},
                                              fourAces,
                                              fourLow,
                                              fourMid,
                                              fullHouse,
                                              flush,
                                              straight,
                                              threeKind,
                                              twoPair,
                                              jacks};
  games.push_back(Game("double-double-bonus", "Double Double Bonus", Wilds::kNone, kickerRows,
                       kDoubleDoubleBonus));
  games.push_back(Game("triple-double-bonus", "Triple Double Bonus", Wilds::kNone, kickerRows,
                       kTripleDoubleBonus));
  games.push_back(Game("aces-faces", "Aces and Faces", Wilds::kNone,
                       {royal,
                        straightFlush,
                        fourAces,
                        {C::kFourJacksToKings, "4 Js-Ks"},
                        {C::kFourTwosToTens, "4 2s-10s"},
                        fullHouse,
                        flush,
                        straight,
                        threeKind,
                        twoPair,
                        jacks},
                       kAcesFaces));
  const std::initializer_list<Row> deucesRows{natural,       fourDeuces, deucesRoyal, fiveKind,
                                              straightFlush, fourKind,   fullHouse,   flush,
                                              straight,      threeKind};
  games.push_back(
      Game("deuces-full", "Deuces Wild (full pay)", Wilds::kDeuces, deucesRows, kDeucesFull));
  games.push_back(
      Game("deuces-nsu", "Deuces Wild (not so ugly)", Wilds::kDeuces, deucesRows, kDeucesNsu));
  games.push_back(Game("bonus-deuces", "Bonus Deuces Wild", Wilds::kDeuces,
                       {natural,
                        {C::kFourDeucesWithAce, "4 Deuces + Ace"},
                        fourDeuces,
                        deucesRoyal,
                        {C::kFiveAces, "5 Aces"},
                        {C::kFiveThreesToFives, "5 3s-5s"},
                        {C::kFiveSixesToKings, "5 6s-Ks"},
                        straightFlush,
                        fourKind,
                        fullHouse,
                        flush,
                        straight,
                        threeKind},
                       kBonusDeuces));
  games.push_back(Game("loose-deuces", "Loose Deuces", Wilds::kDeuces, deucesRows, kLooseDeuces));
  games.push_back(Game("joker-kings", "Joker Poker (kings or better)", Wilds::kJoker,
                       {natural,
                        fiveKind,
                        jokerRoyal,
                        straightFlush,
                        fourKind,
                        fullHouse,
                        flush,
                        straight,
                        threeKind,
                        twoPair,
                        {C::kKingsOrBetter, "Kings or Better"}},
                       kJokerKings));
  games.push_back(Game("joker-two-pair", "Joker Poker (two pair)", Wilds::kJoker,
                       {natural, fiveKind, jokerRoyal, straightFlush, fourKind, fullHouse, flush,
                        straight, threeKind, twoPair},
                       kJokerTwoPair));
  return games;
}

const std::vector<GameRules>& Library() {
  static const std::vector<GameRules> games = BuildLibrary();
  return games;
}

}  // namespace

std::span<const GameRules> GameLibrary() {
  return Library();
}

const GameRules* FindGame(std::string_view name) {
  for (const GameRules& g : Library())
    if (g.name == name) return &g;
  return nullptr;
}

const GameRules& MachineRules(GameVariant variant) {
  const std::vector<GameRules>& games = Library();
  if (variant == kJacksOrBetter) return games[0];
  if (variant == kJokerWild) return games[1];
  return games[2];
}

bool FitsCategory(const Hand& hand, Wilds wilds, HandCategory category) {
  return Fits(ShapeOf(hand, wilds), category);
}

int ClassifyByCategories(const Hand& hand, const GameRules& rules) {
  const Shape shape = ShapeOf(hand, rules.wilds);
  for (int r = 0; r < rules.rowCount; ++r)
    if (Fits(shape, rules.rows[static_cast<std::size_t>(r)].category)) return r;
  return -1;
}

int ClassifyRules(const Hand& hand, const GameRules& rules) {
  if (rules.machine != 0) return ClassifyHand(hand, rules.machine);
  return ClassifyByCategories(hand, rules);
}

const NamedTable* FindTable(const GameRules& rules, std::string_view name) {
  for (const NamedTable& t : rules.tables)
    if (t.name == name) return &t;
  return nullptr;
}

std::string RulesWinMessage(const GameRules& rules, int row, int amount) {
  if (rules.machine != 0) return WinMessage(rules.machine, row, amount);
  if (row < 0 || row >= rules.rowCount) return "Play 5 Coins";
  return std::string(rules.rows[static_cast<std::size_t>(row)].caption) + " pays " +
         std::to_string(amount);
}

}  // namespace lynx
