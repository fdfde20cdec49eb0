// The game library: each game's hands on its rows, the machine's games as
// its own evaluator plays them, the published returns, and the engine's hold
// values against a plain count of every draw with an evaluator of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/evaluate.h"
#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/strategy.h"
#include "engine/strategy_return.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::H;

std::string RowName(const GameRules& g, const Hand& hand) {
  const int row = ClassifyRules(hand, g);
  return row < 0 ? "-" : std::string(g.rows[static_cast<std::size_t>(row)].caption);
}

TEST(GameRules, PutsEachHandOnItsRowInEveryGame) {
  struct Case {
    const char* game;
    const char* hand;
    const char* row;
  };
  const Case cases[] = {
      // Kickers and quads by rank.
      {"double-double-bonus", "AS AH AD AC 3S", "4 Aces + 2-4"},
      {"double-double-bonus", "AS AH AD AC 5S", "4 Aces"},
      {"double-double-bonus", "AS AH AD AC KS", "4 Aces"},
      {"double-double-bonus", "3S 3H 3D 3C AS", "4 2s-4s + A-4"},
      {"double-double-bonus", "3S 3H 3D 3C 4S", "4 2s-4s + A-4"},
      {"double-double-bonus", "3S 3H 3D 3C 5S", "4 2s-4s"},
      {"double-double-bonus", "5S 5H 5D 5C 2S", "4 5s-Ks"},
      {"triple-double-bonus", "2S 2H 2D 2C 4S", "4 2s-4s + A-4"},
      {"bonus", "4S 4H 4D 4C AS", "4 2s-4s"},
      {"bonus", "KS KH KD KC AS", "4 5s-Ks"},
      {"aces-faces", "JS JH JD JC 2S", "4 Js-Ks"},
      {"aces-faces", "TS TH TD TC 2S", "4 2s-10s"},
      {"aces-faces", "AS AH AD AC 2S", "4 Aces"},
      {"bonus-deluxe", "9S 9H 9D 9C 2S", "4 of a Kind"},
      // The lowest pair that pays.
      {"tens", "TS TH 4D 8C 2S", "Tens or Better"},
      {"tens", "9S 9H 4D 8C 2S", "-"},
      {"jacks-96", "TS TH 4D 8C 2S", "-"},
      {"jacks-96", "AS AH 4D 8C 2S", "Jacks or Better"},
      {"jacks-96", "AS KS QS JS TS", "Royal Flush"},
      {"jacks-96", "AS 2H 3D 4C 5S", "Straight"},
      {"jacks-96", "QS KH AD 2C 3S", "-"},
      // Deuces.
      {"bonus-deuces", "2S 2H 2D 2C AS", "4 Deuces + Ace"},
      {"bonus-deuces", "2S 2H 2D 2C KS", "4 Deuces"},
      {"bonus-deuces", "2S 2H AD AC AS", "5 Aces"},
      {"bonus-deuces", "2S 4H 4D 4C 4S", "5 3s-5s"},
      {"bonus-deuces", "2S 2H 6D 6C 6S", "5 6s-Ks"},
      {"bonus-deuces", "2S KS QS JS TS", "Royal Flush (Deuces)"},
      {"bonus-deuces", "2S 2H 7D 8C KS", "3 of a Kind"},
      {"bonus-deuces", "2S 2H 7D 8C 9S", "Straight"},
      {"deuces-full", "2S 3S 5S 6S 8S", "Flush"},
      {"deuces-full", "2S 3H 5D 6S 7S", "Straight"},
      {"deuces-full", "2S 2H KD KC 5S", "4 of a Kind"},
      {"deuces-full", "2S 3H 3D 5C 5S", "Full House"},
      {"deuces-full", "2S 3H 7D 9C JS", "-"},
      {"loose-deuces", "AS KS QS JS TS", "Royal Flush (Natural)"},
      // The joker.
      {"joker-kings", "JK KH 4D 8C 2S", "Kings or Better"},
      {"joker-kings", "JK QH 4D 8C 2S", "-"},
      {"joker-kings", "JK AH AD AC AS", "5 of a Kind"},
      {"joker-kings", "JK AH KH QH JH", "Royal Flush (Joker)"},
      {"joker-kings", "JK AH 2D 3C 4S", "Straight"},
      {"joker-two-pair", "JK KH 4D 8C 2S", "-"},
      {"joker-two-pair", "JK KH KD 8C 2S", "3 of a Kind"},
      {"joker-two-pair", "QS QH 4D 4C 2S", "2 Pair"},
  };
  for (const Case& c : cases) {
    const GameRules* g = FindGame(c.game);
    ASSERT_NE(g, nullptr) << c.game;
    EXPECT_EQ(RowName(*g, H(c.hand)), c.row) << c.game << ": " << c.hand;
  }
}

// The categories written for the machine's three games make the same row as
// the machine's own evaluator on every hand of their decks.
TEST(GameRules, TheMachinesGamesByCategoriesAgreeWithItsEvaluatorOnEveryHand) {
  for (const GameVariant v : {kJacksOrBetter, kJokerWild, kDeucesWild}) {
    const GameRules& g = MachineRules(v);
    EXPECT_EQ(g.machine, v);
    long differ = 0;
    const int cards = g.CardCount();
    Hand h{};
    for (int a = 1; a <= cards; ++a)
      for (int b = a + 1; b <= cards; ++b)
        for (int c = b + 1; c <= cards; ++c)
          for (int d = c + 1; d <= cards; ++d)
            for (int e = d + 1; e <= cards; ++e) {
              h = {CardCode(a), CardCode(b), CardCode(c), CardCode(d), CardCode(e)};
              if (ClassifyByCategories(h, g) != ClassifyHand(h, v) && ++differ <= 3)
                ADD_FAILURE() << "variant " << v << ": " << a << ' ' << b << ' ' << c << ' ' << d
                              << ' ' << e;
            }
    EXPECT_EQ(differ, 0) << "variant " << v;
  }
}

TEST(GameRules, NamesEveryGameOnceAndKeepsTheMachinesCaptions) {
  std::vector<std::string> names;
  for (const GameRules& g : GameLibrary()) {
    names.emplace_back(g.name);
    EXPECT_EQ(FindGame(g.name), &g);
    ASSERT_FALSE(g.tables.empty()) << g.name;
    EXPECT_EQ(FindTable(g, g.tables.front().name), &g.tables.front());
  }
  EXPECT_EQ(names.size(), 18u);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
  EXPECT_EQ(FindGame("poker"), nullptr);
  EXPECT_EQ(&MachineRules(kJokerWild), FindGame("joker"));
  EXPECT_EQ(RulesWinMessage(*FindGame("deuces"), 2, 125), "Royal Flush (Deuces) pays 125!");
  EXPECT_EQ(RulesWinMessage(*FindGame("bonus"), 2, 400), "4 Aces pays 400");
  EXPECT_EQ(RulesWinMessage(*FindGame("bonus"), -1, 0), "Play 5 Coins");
}

// Every table with a published return gives it, to the published precision,
// on the deck it is published for.
TEST(GameRules, EveryPublishedReturnIsTheEnginesReturn) {
  for (const GameRules& g : GameLibrary()) {
    const StrategyTables tables(g);
    for (const NamedTable& t : g.tables) {
      if (t.published.empty()) continue;
      const GameReturn r =
          ComputeReturn(tables, g.machine != 0 ? MachinePays(g.machine) : PaysOf(g, t), 5, g.deck);
      const std::size_t decimals = t.published.size() - t.published.find('.') - 2;
      char text[32];
      std::snprintf(text, sizeof text, "%.*f%%", static_cast<int>(decimals), r.returnRatio * 100);
      EXPECT_EQ(text, t.published) << g.name << ' ' << t.name;
    }
  }
}

// A plain evaluator for the check below: the wild cards take every rank in
// the suit of the other cards (the best a wild card can do for a flush),
// and the hand is the best row any such choice makes.
int PlainRow(const GameRules& g, const Hand& hand) {
  std::vector<int> ranks;
  std::vector<int> suits;
  int wild = 0;
  int deuces = 0;
  for (const CardCode c : hand) {
    if ((g.wilds == Wilds::kJoker && c == kJoker) || (g.wilds == Wilds::kDeuces && Rank(c) == 2)) {
      ++wild;
      if (c != kJoker) ++deuces;
    } else {
      ranks.push_back(Rank(c));
      suits.push_back(SuitIndex(c));
    }
  }
  const bool suited =
      std::all_of(suits.begin(), suits.end(), [&](int s) { return s == suits.front(); });
  int best = -1;
  std::vector<int> all = ranks;
  all.resize(5);
  const int choices = wild == 0 ? 1 : static_cast<int>(std::pow(13, wild));
  for (int pick = 0; pick < choices; ++pick) {
    for (int k = 0, p = pick; k < wild; ++k, p /= 13) all[ranks.size() + k] = p % 13 + 1;
    int count[15] = {};
    for (const int r : all) ++count[r];
    std::vector<int> groups;
    for (int r = 1; r <= 13; ++r)
      if (count[r] > 0) groups.push_back(count[r]);
    std::sort(groups.rbegin(), groups.rend());
    std::vector<int> sorted = all;
    std::sort(sorted.begin(), sorted.end());
    const bool five = groups.size() == 5;
    const bool wheel = sorted == std::vector<int>{1, 2, 3, 4, 5};
    const bool broadway = sorted == std::vector<int>{1, 10, 11, 12, 13};
    const bool straight = five && (sorted[4] - sorted[0] == 4 || broadway || wheel);
    int quad = 0, kicker = 0, top = 0;
    for (int r = 1; r <= 13; ++r) {
      if (count[r] >= 4) quad = r;
      if (count[r] == 1) kicker = r;
      if (count[r] >= 2 && (r == 1 ? 14 : r) > top) top = r == 1 ? 14 : r;
    }
    for (int row = 0; row < g.rowCount && (best < 0 || row < best); ++row) {
      bool fits = false;
      switch (g.rows[static_cast<std::size_t>(row)].category) {
        case HandCategory::kRoyalFlush:
          fits = wild == 0 && suited && broadway;
          break;
        case HandCategory::kWildRoyalFlush:
          fits = wild > 0 && suited && broadway;
          break;
        case HandCategory::kFiveOfAKind:
          fits = groups[0] == 5;
          break;
        case HandCategory::kFiveAces:
          fits = count[1] == 5;
          break;
        case HandCategory::kFiveThreesToFives:
          fits = groups[0] == 5 && all[0] >= 3 && all[0] <= 5;
          break;
        case HandCategory::kFiveSixesToKings:
          fits = groups[0] == 5 && all[0] >= 6;
          break;
        case HandCategory::kFourDeucesWithAce:
          fits = deuces == 4 && ranks == std::vector<int>{1};
          break;
        case HandCategory::kFourDeuces:
          fits = deuces == 4;
          break;
        case HandCategory::kStraightFlush:
          fits = suited && straight;
          break;
        case HandCategory::kFourOfAKind:
          fits = groups[0] >= 4;
          break;
        case HandCategory::kFourAces:
          fits = quad == 1;
          break;
        case HandCategory::kFourTwosToFours:
          fits = quad >= 2 && quad <= 4;
          break;
        case HandCategory::kFourFivesToKings:
          fits = quad >= 5;
          break;
        case HandCategory::kFourJacksToKings:
          fits = quad >= 11;
          break;
        case HandCategory::kFourTwosToTens:
          fits = quad >= 2 && quad <= 10;
          break;
        case HandCategory::kFourAcesWithTwoToFour:
          fits = quad == 1 && kicker >= 2 && kicker <= 4;
          break;
        case HandCategory::kFourTwosToFoursWithAceToFour:
          fits = quad >= 2 && quad <= 4 && kicker >= 1 && kicker <= 4;
          break;
        case HandCategory::kFullHouse:
          fits = groups.size() == 2 && groups[0] == 3;
          break;
        case HandCategory::kFlush:
          fits = suited;
          break;
        case HandCategory::kStraight:
          fits = straight;
          break;
        case HandCategory::kThreeOfAKind:
          fits = groups[0] >= 3;
          break;
        case HandCategory::kTwoPair:
          fits = groups.size() >= 2 && groups[1] >= 2;
          break;
        case HandCategory::kTensOrBetter:
          fits = top >= 10;
          break;
        case HandCategory::kJacksOrBetter:
          fits = top >= 11;
          break;
        case HandCategory::kKingsOrBetter:
          fits = top >= 13;
          break;
      }
      if (fits) best = row;
    }
  }
  return best;
}

// For each game, deals at random: every hold keeping three cards or more is
// valued by counting its draws one by one with the plain evaluator, and
// equals the engine's count in every row.
TEST(GameRules, HoldValuesEqualAPlainCountOfEveryDraw) {
  std::mt19937 random(20261209);
  for (const GameRules& g : GameLibrary()) {
    SCOPED_TRACE(std::string(g.name));
    const StrategyTables tables(g);
    const Pays pays = DefaultPays(g);
    std::vector<CardCode> deck;
    for (int c = 1; c <= 52; ++c) deck.push_back(static_cast<CardCode>(c));
    if (g.wilds == Wilds::kJoker) deck.push_back(kJoker);
    for (int deal = 0; deal < 2; ++deal) {
      std::shuffle(deck.begin(), deck.end(), random);
      const Hand hand{deck[0], deck[1], deck[2], deck[3], deck[4]};
      const HandAdvice advice = AdviseHand(tables, hand, 5, JokerDeck::kStandard53, pays);
      for (const HoldValue& hold : advice.holds) {
        const int kept = std::popcount(hold.mask);
        if (kept < 3) continue;
        std::vector<std::int64_t> counts(static_cast<std::size_t>(g.rowCount), 0);
        std::int64_t draws = 0;
        std::vector<CardCode> rest(deck.begin() + 5, deck.end());
        const int need = 5 - kept;
        std::vector<int> pick(static_cast<std::size_t>(need));
        for (int i = 0; i < need; ++i) pick[static_cast<std::size_t>(i)] = i;
        const int n = static_cast<int>(rest.size());
        for (;;) {
          Hand drawn{};
          int at = 0;
          for (int i = 0; i < 5; ++i)
            if (hold.mask >> i & 1)
              drawn[static_cast<std::size_t>(at++)] = hand[static_cast<std::size_t>(i)];
          for (const int p : pick)
            drawn[static_cast<std::size_t>(at++)] = rest[static_cast<std::size_t>(p)];
          ++draws;
          const int row = PlainRow(g, drawn);
          if (row >= 0) ++counts[static_cast<std::size_t>(row)];
          int i = need - 1;
          while (i >= 0 && pick[static_cast<std::size_t>(i)] == n - need + i) --i;
          if (i < 0) break;
          ++pick[static_cast<std::size_t>(i)];
          for (int j = i + 1; j < need; ++j)
            pick[static_cast<std::size_t>(j)] = pick[static_cast<std::size_t>(j - 1)] + 1;
        }
        EXPECT_EQ(hold.draws, draws) << "hold " << hold.mask;
        for (int r = 0; r < g.rowCount; ++r)
          EXPECT_EQ(hold.counts[static_cast<std::size_t>(r)], counts[static_cast<std::size_t>(r)])
              << "hold " << hold.mask << " row " << r;
      }
    }
  }
}

}  // namespace
}  // namespace lynx
