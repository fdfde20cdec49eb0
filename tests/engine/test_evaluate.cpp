#include <gtest/gtest.h>

#include "engine/evaluate.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::H;

int Row(const char* hand, GameVariant variant) { return ClassifyHand(H(hand), variant); }

TEST(EvaluateJacksOrBetter, RowsOfTheEdgeHands) {
  EXPECT_EQ(Row("TC TH 4S 7D 9C", 1), -1);  // a pair of tens pays nothing
  EXPECT_EQ(Row("JC JH 4S 7D 9C", 1), 8);
  EXPECT_EQ(Row("AC AH KS KD QC", 1), 7);
  EXPECT_EQ(Row("AH 2H 3H 4H 5H", 1), 1);  // the wheel straight flush is not a royal
  EXPECT_EQ(Row("TS JS QS KS AS", 1), 0);
  EXPECT_EQ(Row("AH 2C 3H 4D 5S", 1), 5);
  EXPECT_EQ(Row("AC AH AS AD 9C", 1), 2);
  EXPECT_EQ(Row("9C 9H 9S 4D 4C", 1), 3);
  EXPECT_EQ(Row("2D 7D 9D JD KD", 1), 4);
  EXPECT_EQ(Row("5C 5H 5S KD 2C", 1), 6);
  EXPECT_EQ(Row("9H TC JD QS KH", 1), 5);
  EXPECT_EQ(Row("QH KC AD 2S 3H", 1), -1);  // no wrap-around straight
}

TEST(EvaluateJokerWild, RowsWithoutAndWithTheJoker) {
  EXPECT_EQ(Row("QC QH 4S 7D 9C", 2), -1);
  EXPECT_EQ(Row("KC KH 4S 7D 9C", 2), 10);
  EXPECT_EQ(Row("KC KH 4S 4D 9C", 2), 9);
  EXPECT_EQ(Row("TS JS QS KS AS", 2), 0);
  EXPECT_EQ(Row("JK KS QS JS TS", 2), 2);
  EXPECT_EQ(Row("JK AH KH QH JH", 2), 2);
  EXPECT_EQ(Row("JK QC QH QD QS", 2), 1);
  EXPECT_EQ(Row("JK QC QH QD 4S", 2), 4);
  EXPECT_EQ(Row("JK QC QH 7D 7S", 2), 5);
  EXPECT_EQ(Row("JK AC 5H 4D 3S", 2), 7);
  EXPECT_EQ(Row("JK 9C 8H 7D 5S", 2), 7);
  EXPECT_EQ(Row("JK 3C 3H 8D TS", 2), 8);
  EXPECT_EQ(Row("JK AC 9H 7D 4S", 2), 10);
  EXPECT_EQ(Row("JK QC 9H 7D 4S", 2), -1);
  EXPECT_EQ(Row("JK 9D 8D 7D 5D", 2), 3);
  EXPECT_EQ(Row("JK 2D 9D 7D 5D", 2), 6);
}

TEST(EvaluateDeucesWild, RowsWithWildDeuces) {
  EXPECT_EQ(Row("2C 2H 2D 2S 9C", 3), 1);
  EXPECT_EQ(Row("2C 2H 2D 2S AS", 3), 1);
  EXPECT_EQ(Row("TS JS QS KS AS", 3), 0);
  EXPECT_EQ(Row("2C AH KH QH JH", 3), 2);
  EXPECT_EQ(Row("2C 2H 2D 7S 7C", 3), 3);
  EXPECT_EQ(Row("2C 2H 4D 9S KC", 3), 9);
  EXPECT_EQ(Row("KC KH 4D 4S 9C", 3), -1);  // natural two pair pays nothing here
  EXPECT_EQ(Row("2C AH 5D 4S 3C", 3), 8);
  EXPECT_EQ(Row("2C 9H 9D 4S KC", 3), 9);
  EXPECT_EQ(Row("2C 9H 8H 7H 6H", 3), 4);
  EXPECT_EQ(Row("2C 9H 9D 4S 4C", 3), 6);
  EXPECT_EQ(Row("2C 2D 9D 9S KC", 3), 5);
  EXPECT_EQ(Row("2H 2D 2C KH TH", 3), 2);  // the deuces complete a royal, not just four kings
  EXPECT_EQ(Row("2H 3H 9H JH KH", 3), 7);
}

TEST(EvaluateHand, LeavesTheTableSortedByRankAndFillsRankAndSuit) {
  HandTable t = HandTable::FromHand(H("3D JK 2C AS TH"));
  EvaluateHand(t, kJokerWild, 1);
  const int codes[5] = {kJoker, 40, 23, 29, 2};  // joker, ace, ten, three, deuce
  const int ranks[5] = {15, 14, 10, 3, 2};
  const int suits[5] = {4, 3, 1, 2, 0};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(t.rows[i][HandTable::kCode], codes[i]);
    EXPECT_EQ(t.rows[i][HandTable::kRank], ranks[i]);
    EXPECT_EQ(t.rows[i][HandTable::kSuit], suits[i]);
  }
  // The exchange sort is not stable: tracing it on 7S 4C 7H 9D 2C, the 9
  // swaps with 7S, then 4C with 7H, then 4C with 7S.
  HandTable pair = HandTable::FromHand(H("7S 4C 7H 9D 2C"));
  EvaluateHand(pair, kJacksOrBetter, 1);
  const Hand order = H("9D 7H 7S 4C 2C");
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(pair.rows[i][HandTable::kCode], order[i]) << i;
}

TEST(EvaluateHand, PayoutAndMessageForTheBet) {
  struct Case {
    const char* hand;
    GameVariant variant;
    int coins;
    int row;
    int amount;
    const char* message;
  };
  const Case cases[] = {
      {"TS JS QS KS AS", 1, 5, 0, 4000, "Royal Flush pays 4000!"},
      {"TS JS QS KS AS", 1, 4, 0, 1000, "Royal Flush pays 1000!"},
      {"TS JS QS KS AS", 2, 5, 0, 4000, "Royal Flush pays 4000!"},
      {"TS JS QS KS AS", 3, 5, 0, 4000, "Royal Flush pays 4000!"},
      {"2D 7D 9D JD KD", 1, 3, 4, 15, "Flush pays 15!"},
      {"QC QH 4S 7D 9C", 1, 2, 8, 2, "Jacks or Better pays 2"},
      {"JK KS QS JS TS", 2, 2, 2, 200, "Royal Flush (Joker) pays 200!"},
      {"2C 2H 2D 2S 9C", 3, 5, 1, 1000, "4 Deuces pays 1000!"},
      {"KC KH 4S 4D 9C", 2, 1, 9, 1, "2 Pair pays 1"},
      {"KC KH 4S 4D 9C", 1, 1, 7, 2, "2 Pair pays 2!"},
      {"JK 3C 3H 8D TS", 2, 4, 8, 8, "Three of a Kind pays 8"},
      {"2C 2H 4D 9S KC", 3, 3, 9, 3, "3 of a Kind pays 3"},
      {"TC TH 4S 7D 9C", 1, 5, -1, 0, "Play 5 Coins"},
      {"TS JS QS KS AS", 1, 0, 0, 0, "Royal Flush pays 0!"},
  };
  for (const Case& c : cases) {
    HandTable t = HandTable::FromHand(H(c.hand));
    const Evaluation e = EvaluateHand(t, c.variant, c.coins);
    EXPECT_EQ(e.winRow, c.row) << c.hand;
    EXPECT_EQ(e.winAmount, c.amount) << c.hand;
    EXPECT_EQ(e.message, c.message) << c.hand;
  }
}

TEST(EvaluateHand, AnyVariantOtherThanOneOrTwoPlaysDeucesWild) {
  EXPECT_EQ(Row("2C 2H 4D 9S KC", 0), 9);
  EXPECT_EQ(Row("2C 2H 4D 9S KC", 7), 9);
}

}  // namespace
}  // namespace lynx
