#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "tests/support/analyze_run.h"
#include "tools/card_parse.h"

namespace lynx {
namespace {

using testing_support::Analyze;
using testing_support::Outcome;

TEST(CardNotation, RanksSuitsJokerAndCodes) {
  EXPECT_EQ(ParseCard("AS"), 40);
  EXPECT_EQ(ParseCard("as"), 40);
  EXPECT_EQ(ParseCard("10h"), 23);
  EXPECT_EQ(ParseCard("TH"), 23);
  EXPECT_EQ(ParseCard("kc"), 13);
  EXPECT_EQ(ParseCard("2d"), 28);
  EXPECT_EQ(ParseCard("JK"), 53);
  EXPECT_EQ(ParseCard("x"), 53);
  EXPECT_EQ(ParseCard("1"), 1);
  EXPECT_EQ(ParseCard("53"), 53);
  for (const char* bad : {"", "0", "54", "100", "1S", "ZZ", "AX", "10", "11H", "A", "QSS", "-1"}) {
    if (std::string(bad) == "10") continue;  // a plain code
    EXPECT_FALSE(ParseCard(bad).has_value()) << bad;
  }
  EXPECT_EQ(CardName(40), "AS");
  EXPECT_EQ(CardName(23), "TH");
  EXPECT_EQ(CardName(53), "JK");
}

TEST(Analyze, EvaluatePrintsRowCaptionAmountAndMessage) {
  EXPECT_EQ(Analyze({"evaluate", "--game", "joker", "JK", "QS", "QH", "QD", "QC"}).out,
            "1\t5 of a Kind\t1000\t5 of a Kind pays 1000!\n");
  EXPECT_EQ(
      Analyze({"evaluate", "--game", "jacks", "--coins", "3", "2h", "5h", "9h", "jh", "kh"}).out,
      "4\tFlush\t15\tFlush pays 15!\n");
  EXPECT_EQ(
      Analyze({"evaluate", "--game", "deuces", "--coins", "1", "2c", "2d", "9s", "4h", "kc"}).out,
      "9\t3 of a Kind\t1\t3 of a Kind pays 1\n");
  EXPECT_EQ(Analyze({"evaluate", "--game", "jacks", "TC", "TH", "4S", "7D", "9C"}).out,
            "-1\t\t0\tPlay 5 Coins\n");
  EXPECT_EQ(
      Analyze({"evaluate", "--coins", "5", "--game", "jacks", "49", "50", "51", "52", "40"}).out,
      "0\tRoyal Flush\t4000\tRoyal Flush pays 4000!\n");
}

TEST(Analyze, StandardInputAnswersEachLineAndReportsBadLinesByNumber) {
  const Outcome run =
      Analyze({"evaluate", "--game", "jacks", "--coins", "1"},
              "JC JH 4S 7D 9C\nJC JH 4S 7D\nAC AH KS KD QC\nAC AC 2S 3D 4C\nZZ 2C 3C 4C 5C\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out,
            "8\tJacks or Better\t1\tJacks or Better pays 1\n7\t2 Pair\t2\t2 Pair pays 2!\n");
  EXPECT_EQ(run.err,
            "lynx-analyze: line 2: a hand is five cards, got 4\n"
            "lynx-analyze: line 4: 'AC' is repeated\n"
            "lynx-analyze: line 5: 'ZZ' is not a card\n");
  const Outcome good = Analyze({"evaluate", "--game", "joker"}, "JK AS KS QS JS\n");
  EXPECT_EQ(good.status, 0);
  EXPECT_EQ(good.out, "2\tRoyal Flush (Joker)\t500\tRoyal Flush (Joker) pays 500!\n");
}

TEST(Analyze, StandardInputSkipsBlankLinesAndRefusesOverLongOnes) {
  // Blank lines are skipped but counted. A line of 4096 bytes is read, one
  // byte more makes a bad line, and what follows the limit is dropped, not
  // taken for a new line.
  const std::string hand = "AS KS QS JS TS";
  const std::string atLimit = std::string(4096 - 14, ' ') + "KC KH KD KS 2C";
  const std::string overByOne = std::string(4097 - 14, ' ') + hand;
  const std::string handPastLimit = std::string(4096, ' ') + hand;
  const Outcome run = Analyze({"evaluate", "--game", "jacks", "--coins", "1"},
                              "\n  \t\r\nJC JH 4S 7D 9C\r\n\n" + atLimit + "\n" + overByOne +
                                  "\nQC QH QD 2S 2H\n" + handPastLimit + "\nZZ\n\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out,
            "8\tJacks or Better\t1\tJacks or Better pays 1\n"
            "2\t4 of a Kind\t25\t4 of a Kind pays 25!\n"
            "3\tFull House\t8\tFull House pays 8!\n");
  EXPECT_EQ(run.err,
            "lynx-analyze: line 6: the line is longer than 4096 bytes\n"
            "lynx-analyze: line 8: the line is longer than 4096 bytes\n"
            "lynx-analyze: line 9: a hand is five cards, got 1\n");
}

TEST(Analyze, EchoedInputIsEscapedAndShortened) {
  const std::string longWord(100, 'Q');
  const struct {
    std::vector<std::string> args;
    std::string input;
    std::string err;
  } cases[] = {
      {{"ev\x1b[2J\nal"},
       "",
       "lynx-analyze: unknown verb 'ev\\x1b[2J\\x0aal'; try lynx-analyze --help\n"},
      {{"evaluate", "--game", "jacks", "AS", "KS", "QS", "JS", longWord},
       "",
       "lynx-analyze: '" + longWord.substr(0, 32) + "...' is not a card\n"},
      {{"evaluate", "--game", "a\\b\x7f\xc3\xa9"},
       "",
       "lynx-analyze: unknown game 'a\\\\b\\x7f\\xc3\\xa9' (use jacks, joker or deuces, or a game "
       "that lynx-analyze games lists)\n"},
      {{"evaluate", "--game", "jacks"},
       "AS KS QS JS \x07\x9b\n",
       "lynx-analyze: line 1: '\\x07\\x9b' is not a card\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = Analyze(c.args, c.input);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, c.err);
  }
}

// Takes nothing: every write fails, as on a full disk or a closed pipe.
struct FullDevice : std::streambuf {
  int overflow(int) override { return traits_type::eof(); }
};

TEST(Analyze, FailedWriteOfTheResultsIsStatusOneAndOneLine) {
  FullDevice device;
  std::ostream out(&device);
  std::istringstream in("AS KS QS JS TS\nAS KS QS JS TS\nZZ\n");
  std::ostringstream err;
  // Reading stops at the first failed write: line 3 is never reported.
  EXPECT_EQ(RunAnalyzer({"evaluate", "--game", "jacks"}, in, out, err), 1);
  EXPECT_EQ(err.str(), "lynx-analyze: cannot write to standard output\n");
  std::ostream paytableOut(&device);
  std::ostringstream paytableErr;
  EXPECT_EQ(RunAnalyzer({"paytable", "--game", "joker"}, in, paytableOut, paytableErr), 1);
  EXPECT_EQ(paytableErr.str(), "lynx-analyze: cannot write to standard output\n");
}

TEST(Analyze, BadInputGetsOneLineAndStatusTwo) {
  const struct {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{}, "lynx-analyze: no verb given; try lynx-analyze --help\n"},
      {{"juggle"}, "lynx-analyze: unknown verb 'juggle'; try lynx-analyze --help\n"},
      {{"evaluate", "--game", "poker", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: unknown game 'poker' (use jacks, joker or deuces, or a game that "
       "lynx-analyze games lists)\n"},
      {{"evaluate", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: evaluate needs --game jacks|joker|deuces\n"},
      {{"evaluate", "--game"}, "lynx-analyze: option --game needs a value\n"},
      {{"evaluate", "--game", "jacks", "--fast", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: unknown option '--fast'\n"},
      {{"evaluate", "--game", "jacks", "--coins", "6", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: coins '6' must be 1 to 5\n"},
      {{"evaluate", "--game", "jacks", "--coins", "0", "AS", "KS", "QS", "JS", "TS"},
       "lynx-analyze: coins '0' must be 1 to 5\n"},
      {{"evaluate", "--game", "jacks", "AS", "KS", "QS", "JS", "1S"},
       "lynx-analyze: '1S' is not a card\n"},
      {{"evaluate", "--game", "jacks", "AS", "KS", "QS", "JS", "as"},
       "lynx-analyze: 'as' is repeated\n"},
      {{"evaluate", "--game", "jacks", "AS", "KS", "QS", "JS"},
       "lynx-analyze: a hand is five cards, got 4\n"},
      {{"evaluate", "--game", "jacks", "AS", "KS", "QS", "JS", "TS", "9S"},
       "lynx-analyze: a hand is five cards, got 6\n"},
      {{"evaluate", "--game", "deuces", "JK", "KS", "QS", "JS", "TS"},
       "lynx-analyze: 'JK': the joker is only in Joker Wild\n"},
      {{"evaluate", "--game", "joker", "JK", "X", "QS", "JS", "TS"},
       "lynx-analyze: 'X' is repeated\n"},
      {{"paytable", "--game", "jacks", "AS"},
       "lynx-analyze: paytable takes no operand, got 'AS'\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = Analyze(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
}

TEST(Analyze, PayTableAndHelp) {
  const Outcome run = Analyze({"paytable", "--game", "joker"});
  EXPECT_EQ(run.status, 0);
  std::istringstream lines(run.out);
  std::vector<std::string> all;
  for (std::string l; std::getline(lines, l);) all.push_back(l);
  ASSERT_EQ(all.size(), 13u);
  EXPECT_EQ(all[0], "Joker Wild");
  EXPECT_EQ(all[1], "Coins In                     1     2     3     4     5");
  EXPECT_EQ(all[2], "Royal Flush (Natural)      250   500   750  1000  4000");
  EXPECT_EQ(all[12], "Kings or Better              1     2     3     4     5");
  const Outcome help = Analyze({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* verb : {"evaluate", "paytable", "--game", "--coins"}) {
    EXPECT_NE(help.out.find(verb), std::string::npos) << verb;
  }
}

}  // namespace
}  // namespace lynx
