#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "engine/strategy_chart.h"
#include "engine/strategy_classes.h"
#include "tests/support/analyze_run.h"
#include "tools/analyze_strategy.h"

namespace lynx {
namespace {

using testing_support::Analyze;
using testing_support::Outcome;

std::vector<std::string> Lines(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

TEST(AnalyzeAdvise, FourToARoyalListsTheHoldsBestFirst) {
  // Holding the four: AS royal, 9S straight flush, 7 spades flush, 3 aces and
  // 3 nines straight, 9 high pairs of 47 cards: (4000 + 250 + 175 + 120 + 45) / 47.
  const Outcome run =
      Analyze({"advise", "--game", "jacks", "--top", "2", "KS", "QS", "JS", "TS", "3D"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "Jacks or Better, 5 coins: KS QS JS TS 3D");
  EXPECT_EQ(lines[1],
            "Deck: 52 cards; each set of replacements from the 47 unseen cards is one draw.");
  EXPECT_EQ(lines[3],
            "Rows: R0 Royal Flush, R1 Straight Flush, R2 4 of a Kind, R3 Full House, R4 Flush, R5 "
            "Straight, "
            "R6 3 of a Kind, R7 2 Pair, R8 Jacks or Better");
  EXPECT_EQ(
      lines[4],
      "Best: 1 hold (marked *; equal values in ascending order of hold mask, bit i for card i)");
  EXPECT_EQ(lines[6],
            " 1*  KS QS JS TS --     97.659574    19.531915         47  0.021277  0.021277  "
            "0.000000  0.000000"
            "  0.148936  0.127660  0.000000  0.000000  0.191489  0.489362");
  EXPECT_EQ(lines[7].substr(0, 18), " 2   KS QS JS -- -");

  // The same with one coin: EV per coin drops to (250 + 50 + 35 + 24 + 9) / 47.
  const auto one = Lines(Analyze({"advise", "--game", "jacks", "--coins", "1", "--top", "1", "KS",
                                  "QS", "JS", "TS", "3D"})
                             .out);
  ASSERT_EQ(one.size(), 7u);
  EXPECT_EQ(one[0], "Jacks or Better, 1 coin: KS QS JS TS 3D");
  EXPECT_EQ(one[6].substr(0, 46), " 1*  KS QS JS TS --      7.829787     7.829787");
}

TEST(AnalyzeAdvise, EqualHoldsAreAllMarkedBestAndJsonCarriesTheCounts) {
  const auto text = Lines(
      Analyze({"advise", "--game", "deuces", "--top", "3", "2C", "2D", "7C", "2H", "2S"}).out);
  ASSERT_EQ(text.size(), 9u);
  EXPECT_EQ(text[4].substr(0, 30), "Best: 2 holds of equal value (");
  EXPECT_EQ(text[6].substr(0, 44), " 1*  2C 2D -- 2H 2S   1000.000000   200.0000");
  EXPECT_EQ(text[7].substr(0, 44), " 2*  2C 2D 7C 2H 2S   1000.000000   200.0000");
  EXPECT_EQ(text[8].substr(0, 5), " 3   ");

  const Outcome json = Analyze({"advise", "--game", "joker", "--deck", "standard53", "--json",
                                "--top", "1", "AS", "KS", "QS", "JS", "9D"});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.out,
            "{\"game\":\"joker\",\"coins\":5,\"deck\":\"standard53\",\"hand\":[\"AS\",\"KS\","
            "\"QS\",\"JS\",\"9D\"],"
            "\"rows\":[\"Royal Flush (Natural)\",\"5 of a Kind\",\"Royal Flush "
            "(Joker)\",\"Straight Flush\","
            "\"4 of a Kind\",\"Full House\",\"Flush\",\"Straight\",\"3 of a Kind\",\"2 "
            "Pair\",\"Kings or Better\"],"
            "\"bestCount\":1,\"holds\":[\n"
            "{\"rank\":1,\"mask\":15,\"best\":true,\"held\":[\"AS\",\"KS\",\"QS\",\"JS\"],\"ev\":"
            "99.479167,"
            "\"evPerCoin\":19.895833,\"draws\":48,\"counts\":[1,0,1,0,0,0,8,3,0,0,6],\"noWin\":29,"
            "\"probabilities\":[0.020833,0.000000,0.020833,0.000000,0.000000,0.000000,0.166667,0."
            "062500,0.000000,"
            "0.000000,0.125000],\"noWinProbability\":0.604167}\n]}\n");

  // The machine's deck counts each set once per possible missing card.
  const auto machine =
      Lines(Analyze({"advise", "--game", "joker", "--top", "1", "AS", "KS", "QS", "JS", "9D"}).out);
  ASSERT_EQ(machine.size(), 7u);
  EXPECT_NE(machine[1].find("47 x C(47,k)"), std::string::npos);
  EXPECT_NE(machine[6].find(" 2209 "), std::string::npos);
}

TEST(AnalyzeAdvise, TheJsonNamesTheDeckTheGameDeals) {
  const struct {
    std::vector<std::string> game;
    std::string deck;
  } cases[] = {
      {{"--game", "double-double-bonus"}, "standard52"},
      {{"--game", "deuces-full"}, "standard52"},
      {{"--game", "joker-kings"}, "standard53"},
      {{"--game", "jacks"}, "machine"},
      {{"--game", "joker"}, "machine"},
      {{"--game", "joker", "--deck", "standard53"}, "standard53"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"advise"};
    args.insert(args.end(), c.game.begin(), c.game.end());
    for (const char* word : {"--json", "--top", "1", "AS", "KS", "QS", "7D", "3C"})
      args.push_back(word);
    const Outcome run = Analyze(args);
    EXPECT_EQ(run.status, 0) << c.game[1];
    EXPECT_NE(run.out.find("\"deck\":\"" + c.deck + "\","), std::string::npos) << c.game[1];
  }
}

TEST(AnalyzeReturn, PrintsTheReturnItsFractionAndEveryRow) {
  const Outcome run = Analyze({"return", "--game", "jacks", "--coins", "1"});
  EXPECT_EQ(run.status, 0);
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[0], "Jacks or Better, 1 coin, best play on every deal");
  double percent = 0;
  unsigned long long num = 0, den = 0;
  ASSERT_EQ(std::sscanf(lines[1].c_str(), "Return: %lf%% (exactly %llu/%llu of the bet)", &percent,
                        &num, &den),
            3)
      << lines[1];
  EXPECT_NEAR(percent, 100.0 * static_cast<double>(num) / static_cast<double>(den), 5e-7);
  EXPECT_EQ(lines[2], "Deals: 2598960 in 134459 suit classes, weighted as the deck deals them");
  EXPECT_EQ(lines[3], "Row                        Probability    Return %   Share %          1 in");
  EXPECT_EQ(lines[4].substr(0, 24), "Royal Flush             ");
  EXPECT_EQ(lines[12].substr(0, 24), "Jacks or Better         ");
  EXPECT_EQ(lines[13].substr(0, 24), "No win                  ");
  EXPECT_EQ(lines[16].substr(0, 6), "Time: ");
  // The variance is the rows' second moment less the return's square (one
  // coin: a bet is a credit, and the royal pays 250); a cycle is 1 / chance.
  double variance = 0, deviation = 0;
  ASSERT_EQ(std::sscanf(lines[14].c_str(),
                        "Variance: %lf a hand in bets squared; standard deviation %lf bets",
                        &variance, &deviation),
            2)
      << lines[14];
  EXPECT_NEAR(deviation * deviation, variance, 1e-4);
  const int pays[] = {250, 50, 25, 8, 5, 4, 3, 2, 1};
  double second = 0, royal = 0;
  for (std::size_t i = 4; i <= 12; ++i) {
    double p = 0;
    ASSERT_EQ(std::sscanf(lines[i].c_str() + 24, "%lf", &p), 1);
    second += p * pays[i - 4] * pays[i - 4];
    if (i == 4) royal = p;
  }
  EXPECT_NEAR(variance, second - (percent / 100) * (percent / 100), 1e-4);
  // The royal's "1 in" column is the cycle the line below it gives, and
  // both are a whole number of hands grouped by thousands: 1 / its chance.
  const std::string column = lines[4].substr(lines[4].find_last_of(' ') + 1);
  EXPECT_EQ(lines[15], "Royal cycle: Royal Flush once in " + column +
                           " hands; a hand pays " + lines[15].substr(lines[15].rfind(' ', lines[15].size() - 17) + 1));
  std::string digits = column;
  digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
  ASSERT_EQ(column.size(), digits.size() + 1) << column;
  EXPECT_NEAR(std::stod(digits), 1 / royal, 1 / royal * 1e-4);
  // The rows' parts add up to the return, their shares to 100%.
  double part = 0, share = 0;
  for (std::size_t i = 4; i <= 12; ++i) {
    double p = 0, r = 0, s = 0;
    ASSERT_EQ(std::sscanf(lines[i].c_str() + 24, "%lf %lf %lf", &p, &r, &s), 3) << lines[i];
    part += r;
    share += s;
  }
  EXPECT_NEAR(part, percent, 1e-5);
  EXPECT_NEAR(share, 100.0, 1e-3);
}

TEST(AnalyzeStrategy, BadInputGetsOneLineAndStatusTwo) {
  const struct {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"advise", "--game", "jacks", "--fast", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: unknown option '--fast'\n"},
      {{"advise", "--game", "jacks", "AS", "KS", "QS", "JS", "1S"},
       "lynx-analyze: '1S' is not a card\n"},
      {{"advise", "--game", "jacks", "AS", "KS", "QS", "JS", "as"},
       "lynx-analyze: 'as' is repeated\n"},
      {{"advise", "--game", "jacks", "AS", "KS", "QS", "JS"},
       "lynx-analyze: a hand is five cards, got 4\n"},
      {{"advise", "--game", "jacks"}, "lynx-analyze: a hand is five cards, got 0\n"},
      {{"advise", "--game", "deuces", "JK", "KS", "QS", "JS", "TS"},
       "lynx-analyze: 'JK': the joker is only in Joker Wild\n"},
      {{"advise", "--game", "jacks", "--coins", "6", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: coins '6' must be 1 to 5\n"},
      {{"return", "--game", "joker", "--coins", "0"}, "lynx-analyze: coins '0' must be 1 to 5\n"},
      {{"advise", "--game", "jacks", "--top", "0", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: top '0' must be 1 to 32\n"},
      {{"advise", "--game", "jacks", "--top", "33", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: top '33' must be 1 to 32\n"},
      {{"advise", "--game", "jacks", "--top", "x", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: top 'x' must be 1 to 32\n"},
      {{"advise", "--game", "jacks", "--top"}, "lynx-analyze: option --top needs a value\n"},
      {{"advise", "--game", "joker", "--deck", "full", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: unknown deck 'full' (use machine or standard53)\n"},
      {{"advise", "--game", "jacks", "--deck", "standard53", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: deck 'standard53' is for Joker Wild only; Jacks or Better deals the plain 52 "
       "cards\n"},
      {{"return", "--game", "deuces", "--deck", "standard53"},
       "lynx-analyze: deck 'standard53' is for Joker Wild only; Deuces Wild deals the plain 52 "
       "cards\n"},
      {{"return", "--game", "jacks", "AS"}, "lynx-analyze: return takes no operand, got 'AS'\n"},
      {{"return", "--game", "jacks", "--top", "3"}, "lynx-analyze: unknown option '--top'\n"},
      {{"return"}, "lynx-analyze: return needs --game jacks|joker|deuces\n"},
      {{"evaluate", "--game", "jacks", "--deck", "machine", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: unknown option '--deck'\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = Analyze(c.args);
    EXPECT_EQ(run.status, 2) << c.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
  const Outcome help = Analyze({"--help"});
  for (const char* word : {"advise", "return", "strategy", "--deck", "--top", "--json",
                           "standard53", "--pays", "--royal5", "--lines"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
}

// --pays with the machine's own values gives the machine's figures exactly;
// other values give that table and its return.
TEST(AnalyzePays, MachineValuesChangeNothingAndOtherTablesAreShown) {
  const Outcome machine = Analyze({"return", "--game", "deuces", "--json"});
  const Outcome same =
      Analyze({"return", "--game", "deuces", "--json", "--pays", "250,200,25,15,9,5,3,2,2,1"});
  ASSERT_EQ(machine.status, 0);
  ASSERT_EQ(same.status, 0);
  const auto cut = [](const std::string& json) { return json.substr(0, json.find("\"seconds\"")); };
  EXPECT_EQ(cut(same.out), cut(machine.out));
  const Outcome advise =
      Analyze({"advise", "--game", "jacks", "--top", "1", "JH", "JS", "4C", "8D", "KH"});
  const Outcome adviseSame =
      Analyze({"advise", "--game", "jacks", "--top", "1", "--pays", "250,50,25,8,5,4,3,2,1",
               "--royal5", "4000", "JH", "JS", "4C", "8D", "KH"});
  EXPECT_EQ(adviseSame.out, advise.out);

  const Outcome nineSix = Analyze(
      {"paytable", "--game", "jacks", "--pays", "250,50,25,9,6,4,3,2,1", "--royal5", "1000"});
  EXPECT_EQ(nineSix.status, 0);
  const auto lines = Lines(nineSix.out);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "Jacks or Better (pay table as given)");
  EXPECT_EQ(lines[2], "Royal Flush                  250     500     750    1000    1000");
  EXPECT_EQ(lines[5], "Full House                     9      18      27      36      45");
  EXPECT_EQ(lines[6], "Flush                          6      12      18      24      30");
  EXPECT_EQ(lines[11].substr(0, 42), "Return with best play, 5 coins: 98.280010%");
}

// The library's games by name and by table: the list, a table with its
// published figure beside the engine's, a hand's row and pay.
TEST(AnalyzeGames, ListsTheLibraryAndPlaysItsTablesByName) {
  const Outcome games = Analyze({"games", "--json"});
  ASSERT_EQ(games.status, 0);
  EXPECT_EQ(games.out.substr(0, 2), "[\n");
  EXPECT_NE(games.out.find("{\"name\":\"double-double-bonus\",\"title\":\"Double Double "
                           "Bonus\",\"machine\":false,\"deck\":\"52\""),
            std::string::npos);
  EXPECT_NE(games.out.find("{\"name\":\"10/6\",\"pays\":[250,50,400,160,160,80,50,10,6,4,3,1,"
                           "1],\"royal5\":4000,\"published\":\"100.07%\""),
            std::string::npos);
  EXPECT_NE(games.out.find("\"name\":\"joker-kings\",\"title\":\"Joker Poker (kings or "
                           "better)\",\"machine\":false,\"deck\":\"53\""),
            std::string::npos);
  EXPECT_EQ(Lines(Analyze({"games"}).out).size(), 18u * 2 + 32u);

  const Outcome table = Analyze({"paytable", "--game", "double-double-bonus", "--table", "10/6"});
  ASSERT_EQ(table.status, 0);
  const auto lines = Lines(table.out);
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[0], "Double Double Bonus, 10/6");
  EXPECT_EQ(lines[4], "4 Aces + 2-4                 400     800    1200    1600    2000");
  EXPECT_EQ(lines[15].substr(0, 43), "Return with best play, 5 coins: 100.066956%");
  EXPECT_EQ(lines[16], "Published: 100.07% (wizardofodds.com)");

  const Outcome hand =
      Analyze({"evaluate", "--game", "double-double-bonus", "3S", "3H", "3D", "3C", "AS"});
  EXPECT_EQ(hand.out, "3\t4 2s-4s + A-4\t800\t4 2s-4s + A-4 pays 800\n");
  const Outcome joker =
      Analyze({"evaluate", "--game", "joker-kings", "--coins", "2", "JK", "KH", "4D", "8C", "2S"});
  EXPECT_EQ(joker.out, "10\tKings or Better\t2\tKings or Better pays 2\n");
}

TEST(AnalyzePays, BadPaysGetOneLineAndStatusTwo) {
  const struct {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"return", "--game", "jacks", "--pays", "250,50,25,9,6,4,3,2"},
       "lynx-analyze: pays '250,50,25,9,6,4,3,2' has 8 values; Jacks or Better has 9 rows: Royal "
       "Flush, Straight Flush, 4 of a Kind, Full House, Flush, Straight, 3 of a Kind, 2 Pair, "
       "Jacks or Better\n"},
      {{"strategy", "--game", "joker", "--pays", "1,2"},
       "lynx-analyze: pays '1,2' has 2 values; Joker Wild has 11 rows: Royal Flush (Natural), 5 of "
       "a Kind, Royal Flush (Joker), Straight Flush, 4 of a Kind, Full House, Flush, Straight, 3 "
       "of a Kind, 2 Pair, Kings or Better\n"},
      {{"return", "--game", "double-double-bonus", "--pays", "1,2"},
       "lynx-analyze: pays '1,2' has 2 values; Double Double Bonus has 13 rows: Royal Flush, "
       "Straight Flush, 4 Aces + 2-4, 4 2s-4s + A-4, 4 Aces, 4 2s-4s, 4 5s-Ks, Full House, Flush, "
       "Straight, 3 of a Kind, 2 Pair, Jacks or Better\n"},
      {{"paytable", "--game", "bonus", "--table", "5/5"},
       "lynx-analyze: Bonus Poker has no table '5/5' (its tables: 8/5, 7/5, 6/5)\n"},
      {{"return", "--game", "tens", "--deck", "standard53"},
       "lynx-analyze: deck 'standard53' is for Joker Wild only; Tens or Better deals the plain "
       "52 cards\n"},
      {{"paytable", "--game", "deuces", "--pays", ""},
       "lynx-analyze: pays '' gives no value; Deuces Wild has 10 rows: Royal Flush (Natural), 4 "
       "Deuces, Royal Flush (Deuces), 5 of a Kind, Straight Flush, 4 of a Kind, Full House, "
       "Flush, Straight, 3 of a Kind\n"},
      {{"advise", "--game", "jacks", "--pays", "250,50,25,9,-6,4,3,2,1", "AS", "KS", "QS", "JS",
        "TS"},
       "lynx-analyze: pay '-6' is negative\n"},
      {{"return", "--game", "jacks", "--pays", "250,50,25,9,six,4,3,2,1"},
       "lynx-analyze: pay 'six' is not a number\n"},
      {{"return", "--game", "jacks", "--pays", "250,50,25,9,6,4,3,2,\x1b[2J"},
       "lynx-analyze: pay '\\x1b[2J' is not a number\n"},
      {{"return", "--game", "jacks", "--royal5", "1e3"},
       "lynx-analyze: royal5 '1e3' is not a number\n"},
      {{"return", "--game", "jacks", "--royal5", "1000001"},
       "lynx-analyze: royal5 '1000001' is more than 1000000\n"},
      {{"return", "--game", "jacks", "--pays"}, "lynx-analyze: option --pays needs a value\n"},
      {{"evaluate", "--game", "jacks", "--pays", "1", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: unknown option '--pays'\n"},
      {{"strategy", "--game", "jacks", "--lines", "1"},
       "lynx-analyze: lines '1' must be 2 to 999\n"},
      {{"strategy", "--game", "jacks", "AS"},
       "lynx-analyze: strategy takes no operand, got 'AS'\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = Analyze(c.args);
    EXPECT_EQ(run.status, 2) << c.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A table that pays nothing returns 0, and every row's part and share of it
// is 0 (not nan, which is no JSON); every hold is worth 0 and so is best.
TEST(AnalyzePays, ATableThatPaysNothingGivesZeroFigures) {
  const Outcome returned = Analyze(
      {"return", "--game", "jacks", "--json", "--pays", "0,0,0,0,0,0,0,0,0", "--royal5", "0"});
  EXPECT_EQ(returned.status, 0);
  EXPECT_EQ(Count(returned.out, "\"returnPercent\":0.000000,\"sharePercent\":0.000000,"), 9)
      << returned.out;
  const Outcome advised =
      Analyze({"advise", "--game", "jacks", "--json", "--pays", "0,0,0,0,0,0,0,0,0", "--royal5",
               "0", "AS", "KS", "QS", "JS", "3D"});
  EXPECT_EQ(Count(advised.out, "\"best\":true,"), 32);
  EXPECT_EQ(Count(advised.out, "\"ev\":0.000000,\"evPerCoin\":0.000000,"), 32);
}

// With --pays and no --royal5, one note on err says what five coins on the
// top row pay when that is not five times its one-coin pay; stdout stays.
TEST(AnalyzePays, TheFiveCoinTopRowIsNotedWhenItIsNotFiveTimesTheGivenPay) {
  const auto advise = [](std::vector<std::string> args) {
    args.insert(args.begin(),
                {"advise", "--game", "jacks", "--top", "1", "AS", "KS", "QS", "JS", "3D"});
    return Analyze(args);
  };
  const Outcome noted = advise({"--pays", "250,50,25,9,6,4,3,2,1"});
  EXPECT_EQ(noted.status, 0);
  EXPECT_EQ(noted.err,
            "lynx-analyze: note: with --pays and no --royal5, the top row pays 4000 for five "
            "coins (not 5 x 250 = 1250); give --royal5 to change it\n");
  EXPECT_EQ(noted.out, advise({"--pays", "250,50,25,9,6,4,3,2,1", "--royal5", "4000"}).out);
  EXPECT_EQ(advise({"--pays", "250,50,25,9,6,4,3,2,1", "--royal5", "1250"}).err, "");
  EXPECT_EQ(advise({"--pays", "800,50,25,9,6,4,3,2,1"}).err, "");
}

// The chart as text and as JSON, for a short chart made from a sample of the
// deals (the analyser's verb makes it from all of them, which takes longer
// than a test should).
TEST(AnalyzeStrategyChart, PrintsTheChartAndItsReturns) {
  const StrategyTables tables(kJacksOrBetter);
  auto deals = DealClasses(kJacksOrBetter);
  std::vector<DealClass> sample;
  for (std::size_t i = 0; i < deals.size(); i += 53) sample.push_back(deals[i]);
  ChartOptions options;
  options.maxLines = 6;
  const StrategyChart chart =
      BuildChart(tables, sample, MachinePays(kJacksOrBetter), 5, JokerDeck::kMachine, options);
  const PlayedReturn played = ComputeChartReturn(tables, chart, sample, 1);
  StrategyRequest request;
  request.pays = chart.pays;

  std::ostringstream text;
  PrintChart(request, chart, played, {1.25, 0.5}, text);
  const auto lines = Lines(text.str());
  ASSERT_EQ(lines.size(), chart.lines.size() + 8);
  EXPECT_EQ(lines[0], "Jacks or Better, 5 coins: strategy chart");
  EXPECT_EQ(lines[3], "  1  " + chart.lines[0].text);
  EXPECT_EQ(lines[2 + chart.lines.size()],
            "  " + std::to_string(chart.lines.size()) + "  Discard everything");
  const std::size_t after = 3 + chart.lines.size();
  EXPECT_EQ(lines[after].rfind("Chart return:   ", 0), 0u);
  EXPECT_NE(lines[after].find("(exactly " + played.exactReturn + ")"), std::string::npos);
  EXPECT_NE(lines[after + 1].find("(exactly " + played.exactOptimal + ")"), std::string::npos);
  EXPECT_EQ(lines[after + 4], "Time: 1.750 s (chart 1.250 s, returns 0.500 s)");

  request.json = true;
  std::ostringstream json;
  PrintChart(request, chart, played, {1.25, 0.5}, json);
  const std::string out = json.str();
  std::string expectLines = "\"lines\":[\n";
  for (std::size_t i = 0; i < chart.lines.size(); ++i)
    expectLines += '"' + chart.lines[i].text + '"' + (i + 1 < chart.lines.size() ? ",\n" : "\n");
  expectLines += "],";
  EXPECT_NE(out.find(expectLines), std::string::npos) << out;
  EXPECT_EQ(
      out.rfind("{\"game\":\"jacks\",\"coins\":5,\"deck\":\"machine\",\"pays\":[250,50,25,8,5,4,"
                "3,2,1],\"royal5\":4000,",
                0),
      0u);
  double chartReturn = 0, optimal = 0, difference = 0, share = 0;
  const auto at = out.find("\"chartReturn\"");
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(std::sscanf(out.c_str() + at, "\"chartReturn\":%lf,\"optimalReturn\":%lf", &chartReturn,
                        &optimal),
            2);
  const auto diffAt = out.find("\"difference\"");
  ASSERT_NE(diffAt, std::string::npos);
  ASSERT_EQ(std::sscanf(out.c_str() + diffAt, "\"difference\":%lf,\"differentShare\":%lf",
                        &difference, &share),
            2);
  EXPECT_NEAR(chartReturn, played.returnRatio * 100, 5e-7);
  EXPECT_NEAR(optimal, played.optimalRatio * 100, 5e-7);
  EXPECT_NEAR(difference, (played.optimalRatio - played.returnRatio) * 100, 5e-7);
  EXPECT_NEAR(share, played.differentShare, 5e-7);
  EXPECT_NE(out.find("\"seconds\":1.750}"), std::string::npos);
}

}  // namespace
}  // namespace lynx
