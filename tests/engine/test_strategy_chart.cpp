// Strategy charts: the patterns a hold fits, the line a hand matches, and the
// chart's return; pay tables other than the machine's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/card_text.h"
#include "engine/evaluate.h"
#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/strategy.h"
#include "engine/strategy_chart.h"
#include "engine/strategy_classes.h"
#include "engine/strategy_return.h"
#include "tests/support/strategy_tables.h"

namespace lynx {
namespace {

using testing_support::Tables;

Hand HandOf(const std::vector<std::string>& words) {
  Hand hand{};
  for (std::size_t i = 0; i < 5; ++i) hand[i] = *ParseCard(words[i]);
  return hand;
}

// The mask holding the cards of `held` (a subset of the hand's words).
unsigned MaskOf(const std::vector<std::string>& hand, const std::vector<std::string>& held) {
  unsigned mask = 0;
  for (std::size_t i = 0; i < 5; ++i) {
    if (std::find(held.begin(), held.end(), hand[i]) != held.end()) mask |= 1u << i;
  }
  return mask;
}

std::set<std::string> Texts(GameVariant game, const std::vector<std::string>& hand,
                            const std::vector<std::string>& held) {
  const Hand h = HandOf(hand);
  HoldPatternList list;
  const int n = HoldPatterns(game, h, MaskOf(hand, held), ClassifyHand(h, game), list);
  std::set<std::string> texts;
  for (int i = 0; i < n; ++i) texts.insert(PatternText(game, list[static_cast<std::size_t>(i)]));
  return texts;
}

PatternCode CodeOf(GameVariant game, const std::vector<std::string>& hand,
                   const std::vector<std::string>& held, const std::string& text) {
  const Hand h = HandOf(hand);
  HoldPatternList list;
  const int n = HoldPatterns(game, h, MaskOf(hand, held), ClassifyHand(h, game), list);
  for (int i = 0; i < n; ++i) {
    if (PatternText(game, list[static_cast<std::size_t>(i)]) == text)
      return list[static_cast<std::size_t>(i)];
  }
  ADD_FAILURE() << "no pattern " << text;
  return 0;
}

// Neighbouring patterns told apart: outside and inside straights, suited and
// unsuited cards, a card of the suit thrown away, the number of wild cards.
TEST(StrategyChart, PatternsTellNeighboursApart) {
  const GameVariant jacks = kJacksOrBetter, joker = kJokerWild, deuces = kDeucesWild;
  auto fits = [](const std::set<std::string>& texts, const std::string& text) {
    return texts.count(text) == 1;
  };
  const auto outside = Texts(jacks, {"5H", "6D", "7C", "8S", "KH"}, {"5H", "6D", "7C", "8S"});
  EXPECT_TRUE(fits(outside, "Four to an outside straight"));
  EXPECT_FALSE(fits(outside, "Four to an inside straight"));
  const auto inside = Texts(jacks, {"5H", "6D", "7C", "9S", "KH"}, {"5H", "6D", "7C", "9S"});
  EXPECT_TRUE(fits(inside, "Four to an inside straight"));
  EXPECT_FALSE(fits(inside, "Four to an outside straight"));
  // Ace high closes one end.
  EXPECT_TRUE(fits(Texts(jacks, {"AH", "KD", "QC", "JS", "4H"}, {"AH", "KD", "QC", "JS"}),
                   "Four to an inside straight"));

  const auto suited = Texts(jacks, {"KH", "QH", "7C", "4S", "2D"}, {"KH", "QH"});
  EXPECT_TRUE(fits(suited, "Suited KQ"));
  EXPECT_TRUE(fits(suited, "Two suited high cards"));
  EXPECT_FALSE(fits(suited, "Unsuited KQ"));
  const auto unsuited = Texts(jacks, {"KH", "QS", "7C", "4S", "2D"}, {"KH", "QS"});
  EXPECT_TRUE(fits(unsuited, "Unsuited KQ"));
  EXPECT_TRUE(fits(unsuited, "Two unsuited high cards"));
  EXPECT_FALSE(fits(unsuited, "Two suited high cards"));

  // A heart thrown away is a flush penalty for suited KT.
  const auto clean = Texts(jacks, {"KH", "TH", "7C", "4S", "2D"}, {"KH", "TH"});
  EXPECT_TRUE(fits(clean, "Suited KT, no other card of the suit"));
  const auto penalty = Texts(jacks, {"KH", "TH", "7H", "4S", "2D"}, {"KH", "TH"});
  EXPECT_TRUE(fits(penalty, "Suited KT"));
  EXPECT_FALSE(fits(penalty, "Suited KT, no other card of the suit"));

  // Pairs: high and low, and not a pair plus a kicker.
  EXPECT_TRUE(fits(Texts(jacks, {"JH", "JS", "7C", "4S", "2D"}, {"JH", "JS"}),
                   "High pair (jacks or better)"));
  EXPECT_TRUE(fits(Texts(jacks, {"TH", "TS", "7C", "4S", "2D"}, {"TH", "TS"}), "Low pair"));
  EXPECT_TRUE(Texts(jacks, {"TH", "TS", "7C", "4S", "2D"}, {"TH", "TS", "7C"}).empty());
  EXPECT_TRUE(fits(Texts(joker, {"JH", "JS", "7C", "4S", "2D"}, {"JH", "JS"}), "Low pair"));

  // Wild cards held are counted, and patterns with any number exist too.
  const auto twoDeuces = Texts(deuces, {"2C", "2H", "9S", "TS", "4D"}, {"2C", "2H", "9S", "TS"});
  EXPECT_TRUE(fits(twoDeuces, "Four to a straight flush with 2 deuces (4 ways to fill)"));
  EXPECT_TRUE(fits(twoDeuces, "Four to a straight flush"));
  EXPECT_FALSE(fits(twoDeuces, "Four to a straight flush with 1 deuce"));
  EXPECT_TRUE(fits(Texts(deuces, {"2C", "9S", "TS", "JS", "4D"}, {"2C", "9S", "TS", "JS"}),
                   "Four to a straight flush with 1 deuce"));
  // In Deuces Wild no two is natural: A-3-4-5 only fills with a deuce.
  EXPECT_TRUE(fits(Texts(deuces, {"AH", "3D", "4C", "5S", "9H"}, {"AH", "3D", "4C", "5S"}),
                   "Four to a straight (0 ways to fill, 1 more only with a deuce)"));
  EXPECT_TRUE(fits(Texts(deuces, {"6H", "3D", "4C", "5S", "9H"}, {"6H", "3D", "4C", "5S"}),
                   "Four to a straight (1 way to fill, 1 more only with a deuce)"));
  const auto jokerSeven = Texts(joker, {"JK", "7C", "KD", "4S", "2D"}, {"JK", "7C"});
  EXPECT_TRUE(fits(jokerSeven, "The joker and a seven"));
  EXPECT_TRUE(fits(jokerSeven, "The joker and a five to a ten"));
  EXPECT_TRUE(fits(jokerSeven, "The joker and a low card"));
  // Not "High pair ... with the joker": nothing is paired yet.
  EXPECT_TRUE(fits(Texts(joker, {"JK", "7C", "KD", "4S", "2D"}, {"JK", "KD"}),
                   "The joker and a high card (kings or better)"));
  // A pat hand is itself, and every "or better" from its own row down (not
  // from a better row); "... or Better" rows have none.
  const auto fourDeuces =
      Texts(deuces, {"2C", "2H", "2S", "2D", "4D"}, {"2C", "2H", "2S", "2D", "4D"});
  EXPECT_EQ(fourDeuces.size(), 10u);
  EXPECT_TRUE(fits(fourDeuces, "Pat 4 deuces") && fits(fourDeuces, "Pat 4 deuces or better") &&
              fits(fourDeuces, "Pat 3 of a kind or better"));
  EXPECT_FALSE(fits(fourDeuces, "Pat royal flush (natural) or better"));
  EXPECT_EQ(Texts(jacks, {"AS", "AD", "AC", "7H", "2S"}, {"AS", "AD", "AC", "7H", "2S"}),
            (std::set<std::string>{"Pat 3 of a kind", "Pat 3 of a kind or better",
                                   "Pat 2 pair or better"}));
  EXPECT_EQ(Texts(jacks, {"2C", "2H", "9S", "TS", "4D"}, {}),
            std::set<std::string>{"Discard everything"});
}

// The code of the pattern with text that the held cards of hand fit.
PatternCode PatternOf(GameVariant game, const std::vector<std::string>& hand, unsigned mask,
                      const std::string& text) {
  Hand h{};
  for (std::size_t i = 0; i < 5; ++i) h[i] = *ParseCard(hand[i]);
  HoldPatternList patterns;
  const int n = HoldPatterns(game, h, mask, ClassifyHand(h, game), patterns);
  for (int i = 0; i < n; ++i)
    if (PatternText(game, patterns[static_cast<std::size_t>(i)]) == text)
      return patterns[static_cast<std::size_t>(i)];
  ADD_FAILURE() << "no pattern " << text;
  return DiscardEverything();
}

// "Pat ... or better" lines are renamed after the pat hands that reach them,
// and still take the same deals.
std::set<std::string> LibraryTexts(const char* game, const std::vector<std::string>& hand,
                                   const std::vector<std::string>& held) {
  const GameRules& rules = *FindGame(game);
  const Hand h = HandOf(hand);
  HoldPatternList list;
  const int n = HoldPatterns(rules, h, MaskOf(hand, held), ClassifyRules(h, rules), list);
  std::set<std::string> texts;
  for (int i = 0; i < n; ++i) texts.insert(PatternText(rules, list[static_cast<std::size_t>(i)]));
  return texts;
}

// Games that pay fours by rank or kicker name the pairs and threes that
// make them; the words come from the game's rows; the machine's games keep
// their lines.
TEST(StrategyChart, LibraryGamesNameRanksKickersAndTheirOwnRows) {
  const std::vector<std::string> aces = {"AS", "AH", "AD", "3C", "9S"};
  EXPECT_EQ(LibraryTexts("double-double-bonus", aces, {"AS", "AH", "AD", "3C"}),
            (std::set<std::string>{"Three aces with a kicker (2-4)"}));
  EXPECT_EQ(LibraryTexts("double-double-bonus", aces, {"AS", "AH", "AD", "9S"}),
            std::set<std::string>{});
  EXPECT_EQ(LibraryTexts("double-double-bonus", aces, {"AS", "AH", "AD"}),
            (std::set<std::string>{"Three of a kind", "Three aces"}));
  EXPECT_EQ(
      LibraryTexts("double-double-bonus", {"3S", "3H", "3D", "AC", "9S"}, {"3S", "3H", "3D", "AC"}),
      (std::set<std::string>{"Three 2s-4s with a kicker (A-4)"}));
  EXPECT_EQ(LibraryTexts("bonus", {"AS", "AH", "9D", "9C", "KS"}, {"AS", "AH", "9D", "9C"}),
            (std::set<std::string>{"Two pair", "Two pair, aces up"}));
  EXPECT_EQ(LibraryTexts("aces-faces", {"KS", "KH", "9D", "3C", "5S"}, {"KS", "KH"}),
            (std::set<std::string>{"High pair (jacks or better)", "Pair of jacks-kings"}));
  EXPECT_EQ(LibraryTexts("tens", {"TS", "TH", "9D", "3C", "5S"}, {"TS", "TH"}),
            (std::set<std::string>{"High pair (tens or better)"}));
  const auto pat = LibraryTexts("double-double-bonus", {"3S", "3H", "3D", "3C", "AS"},
                                {"3S", "3H", "3D", "3C", "AS"});
  EXPECT_TRUE(pat.contains("Pat 4 2s-4s + A-4"));
  EXPECT_TRUE(pat.contains("Pat 4 5s-Ks or better"));
  EXPECT_EQ(Texts(kJacksOrBetter, aces, {"AS", "AH", "AD", "3C"}), std::set<std::string>{});
  EXPECT_EQ(Texts(kJacksOrBetter, aces, {"AS", "AH", "AD"}),
            (std::set<std::string>{"Three of a kind"}));
  // Two suited cards the joker can fill to a straight flush.
  EXPECT_TRUE(LibraryTexts("joker-two-pair", {"5C", "6C", "JH", "TD", "AS"}, {"5C", "6C"})
                  .contains("Two to a straight flush"));
  EXPECT_FALSE(Texts(kJokerWild, {"5C", "6C", "JH", "TD", "AS"}, {"5C", "6C"})
                   .contains("Two to a straight flush"));
  // Where no pair pays, one card kept alone, by its rank.
  EXPECT_EQ(LibraryTexts("joker-two-pair", {"5C", "6C", "JH", "TD", "AS"}, {"6C"}),
            (std::set<std::string>{"A six alone"}));
  EXPECT_EQ(LibraryTexts("joker-two-pair", {"5C", "6C", "JH", "TD", "AS"}, {"TD"}),
            (std::set<std::string>{"Ten alone", "A ten alone"}));
  EXPECT_EQ(Texts(kJokerWild, {"5C", "6C", "JH", "TD", "AS"}, {"6C"}), std::set<std::string>{});
}

TEST(StrategyChart, PatLinesAreNamedAfterTheHandsThatReachThem) {
  const GameVariant jacks = kJacksOrBetter;
  StrategyChart chart;
  chart.pays = MachinePays(jacks);
  const std::vector<std::string> trips{"AS", "AD", "AC", "7H", "2S"};
  const std::vector<std::string> quads{"AS", "AD", "AC", "AH", "2S"};
  for (const auto& [hand, mask, text] :
       std::vector<std::tuple<std::vector<std::string>, unsigned, std::string>>{
           {quads, 15, "Four of a kind"},
           {trips, 7, "Three of a kind"},
           {trips, 31, "Pat 3 of a kind or better"},
           {trips, 31, "Pat 2 pair or better"},
           {trips, 0, "Discard everything"}})
    chart.lines.push_back({PatternOf(jacks, hand, mask, text), text});
  const std::vector<std::string> flush{"2H", "7H", "9H", "JH", "KH"};
  Hand flushHand{};
  for (std::size_t i = 0; i < 5; ++i) flushHand[i] = *ParseCard(flush[i]);
  const ChartMatch before = MatchChart(chart, flushHand);

  NarrowPatLines(chart, DealClasses(jacks));
  // Fours go to line 1, threes of a kind and full houses to line 2: line 3
  // takes straights, flushes and straight flushes, line 4 only two pair.
  EXPECT_EQ(chart.lines[2].text, "Pat straight or better");
  EXPECT_EQ(chart.lines[3].text, "Pat 2 pair");
  const ChartMatch after = MatchChart(chart, flushHand);
  EXPECT_EQ(after.line, before.line);
  EXPECT_EQ(after.holdMask, 31u);
}

// A hand chart: the first line some set of cards fits wins, ties go to the
// higher cards, and every hand fits the last line.
TEST(StrategyChart, MatchTakesTheFirstLineAndTheHighestCards) {
  const std::vector<std::string> flushAndPair{"4H", "8H", "JH", "KH", "4C"};
  StrategyChart chart;
  chart.pays = MachinePays(kJacksOrBetter);
  const PatternCode flush =
      CodeOf(kJacksOrBetter, flushAndPair, {"4H", "8H", "JH", "KH"}, "Four to a flush");
  const PatternCode pair = CodeOf(kJacksOrBetter, flushAndPair, {"4H", "4C"}, "Low pair");
  chart.lines = {
      {flush, "Four to a flush"}, {pair, "Low pair"}, {DiscardEverything(), "Discard everything"}};
  ChartMatch m = MatchChart(chart, HandOf(flushAndPair));
  EXPECT_EQ(m.line, 0);
  EXPECT_EQ(m.text, "Four to a flush");
  EXPECT_EQ(m.holdMask, MaskOf(flushAndPair, {"4H", "8H", "JH", "KH"}));

  std::swap(chart.lines[0], chart.lines[1]);
  m = MatchChart(chart, HandOf(flushAndPair));
  EXPECT_EQ(m.line, 0);
  EXPECT_EQ(m.holdMask, 0b10001u);

  const std::vector<std::string> twoPairs{"4H", "9C", "4S", "9D", "KH"};
  m = MatchChart(chart, HandOf(twoPairs));
  EXPECT_EQ(m.text, "Low pair");
  EXPECT_EQ(m.holdMask, MaskOf(twoPairs, {"9C", "9D"}));

  m = MatchChart(chart, HandOf({"2C", "5H", "9S", "JD", "KC"}));
  EXPECT_EQ(m.line, 2);
  EXPECT_EQ(m.text, "Discard everything");
  EXPECT_EQ(m.holdMask, 0u);
}

// Every 61st deal class of a game.
std::vector<DealClass> Sample(GameVariant game) {
  const auto all = DealClasses(game);
  std::vector<DealClass> sample;
  for (std::size_t i = 0; i < all.size(); i += 61) sample.push_back(all[i]);
  return sample;
}

// The value of a deal played with `mask` and with a best hold, straight from
// AdviseHand, summed with the deal weights.
struct Sums {
  long double chosen = 0, best = 0, weight = 0, different = 0;
};

void Add(Sums& s, const HandAdvice& a, const DealClass& d, unsigned mask, bool machineJoker) {
  const long double weight =
      static_cast<long double>(d.deals) * (machineJoker ? (d.joker ? 48 : 47) : 1);
  for (const HoldValue& h : a.holds) {
    if (h.mask != mask) continue;
    s.chosen += weight * h.evPerCoin;
    if (CompareValue(h, a.holds[0]) < 0) s.different += weight;
  }
  s.best += weight * a.holds[0].evPerCoin;
  s.weight += weight;
}

// A chart made from a sample of the deals, played over that sample: its
// return summed here hand by hand from MatchChart and AdviseHand, and by
// ComputeChartReturn; the best-hold return against ComputeReturn.
TEST(StrategyChart, ChartReturnAddsUpHandByHand) {
  struct Case {
    GameVariant game;
    JokerDeck deck;
  };
  for (const Case c :
       {Case{kJacksOrBetter, JokerDeck::kMachine}, Case{kJokerWild, JokerDeck::kMachine},
        Case{kDeucesWild, JokerDeck::kMachine}}) {
    const StrategyTables& tables = Tables(c.game);
    const auto deals = Sample(c.game);
    ChartOptions options;
    options.maxLines = 12;
    const StrategyChart chart = BuildChart(tables, deals, MachinePays(c.game), 5, c.deck, options);
    ASSERT_LE(chart.lines.size(), 12u);
    EXPECT_EQ(chart.lines.back().text, "Discard everything");

    const PlayedReturn played = ComputeChartReturn(tables, chart, deals, 2);
    Sums s;
    const bool machineJoker = c.game == kJokerWild;
    for (const DealClass& d : deals) {
      const ChartMatch m = MatchChart(chart, d.hand);
      ASSERT_GE(m.line, 0);
      Add(s, AdviseHand(tables, d.hand, 5, c.deck), d, m.holdMask, machineJoker);
      // A "Pat <X>" line (without "or better") is named after every deal it takes.
      if (m.text.starts_with("Pat ") && !m.text.ends_with(" or better")) {
        std::string caption(PayTableFor(c.game)
                                .rows[static_cast<std::size_t>(ClassifyHand(d.hand, c.game))]
                                .caption);
        std::transform(caption.begin(), caption.end(), caption.begin(),
                       [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
        EXPECT_EQ(m.text, "Pat " + caption);
      }
    }
    EXPECT_NEAR(played.returnRatio, static_cast<double>(s.chosen / s.weight), 1e-12) << c.game;
    EXPECT_NEAR(played.optimalRatio, static_cast<double>(s.best / s.weight), 1e-12) << c.game;
    EXPECT_NEAR(played.differentShare, static_cast<double>(s.different / s.weight), 1e-12);
    EXPECT_GT(played.differentShare, 0.0);  // twelve lines cannot play every hand best
    EXPECT_EQ(played.exactOptimal,
              ComputeReturn(tables, deals, 5, c.deck, ReturnPolicy::kOptimal).exactReturn);
  }
}

// Played with a best hold everywhere, the return is the optimal return and
// no deal differs.
TEST(StrategyChart, BestHoldsGiveTheOptimalReturn) {
  const StrategyTables& tables = Tables(kJokerWild);
  const auto deals = Sample(kJokerWild);
  const PlayedReturn played = ComputePlayedReturn(
      tables, deals, MachinePays(kJokerWild), 5, JokerDeck::kStandard53,
      [&](const Hand& hand) {
        return AdviseHand(tables, hand, 5, JokerDeck::kStandard53).holds[0].mask;
      },
      2);
  EXPECT_EQ(played.exactReturn, played.exactOptimal);
  EXPECT_EQ(played.differentShare, 0.0);
  EXPECT_EQ(
      played.exactReturn,
      ComputeReturn(tables, deals, 5, JokerDeck::kStandard53, ReturnPolicy::kOptimal).exactReturn);
}

// Other pay tables: the best-play return over a sample, against the best
// hold found here from the draw counts and the pays.
TEST(StrategyPays, ReturnOfOtherPayTablesMatchesTheCounts) {
  struct Case {
    GameVariant game;
    std::vector<int> perCoin;
    int royal5;
    int coins;
  };
  const Case cases[] = {
      {kJacksOrBetter, {250, 50, 25, 9, 6, 4, 3, 2, 1}, 4000, 5},
      {kJacksOrBetter, {250, 50, 25, 9, 6, 4, 3, 2, 1}, 1250, 5},
      {kJokerWild, {250, 200, 100, 50, 17, 7, 5, 3, 2, 1, 1}, 4000, 3},
      {kDeucesWild, {250, 200, 25, 16, 10, 4, 4, 3, 2, 1}, 4000, 5},
  };
  for (const Case& c : cases) {
    const StrategyTables& tables = Tables(c.game);
    Pays pays = MachinePays(c.game);
    for (std::size_t r = 0; r < c.perCoin.size(); ++r) pays.perCoin[r] = c.perCoin[r];
    pays.royalFiveCoins = c.royal5;
    const auto deals = Sample(c.game);
    long double total = 0, weight = 0;
    for (const DealClass& d : deals) {
      const HandAdvice a = AdviseHand(tables, d.hand, 1, JokerDeck::kMachine);
      long double best = 0;
      for (const HoldValue& h : a.holds) {
        long double payout = 0;
        for (std::size_t r = 0; r < c.perCoin.size(); ++r) {
          const long double pay =
              r == 0 && c.coins == 5 ? c.royal5 : static_cast<long double>(c.perCoin[r]) * c.coins;
          payout += pay * h.counts[r];
        }
        best = std::max(best, payout / h.draws);
      }
      const long double w = static_cast<long double>(d.deals) * (d.joker                ? 48
                                                                 : c.game == kJokerWild ? 47
                                                                                        : 1);
      total += w * best;
      weight += w;
    }
    const GameReturn g =
        ComputeReturn(tables, deals, pays, c.coins, JokerDeck::kMachine, ReturnPolicy::kOptimal);
    EXPECT_NEAR(g.returnRatio, static_cast<double>(total / weight / c.coins), 1e-12) << c.game;
  }
}

// Full-pay "9/6" Jacks or Better returns 99.5439% with best play.
TEST(StrategyPays, NineSixJacksOrBetter) {
  Pays pays = MachinePays(kJacksOrBetter);
  pays.perCoin[3] = 9;
  pays.perCoin[4] = 6;
  const GameReturn g = ComputeReturn(Tables(kJacksOrBetter), pays, 5);
  EXPECT_NEAR(g.returnRatio * 100, 99.5439, 5e-5);
}

}  // namespace
}  // namespace lynx
