#include <gtest/gtest.h>

#include "engine/paytable.h"
#include "engine/pays.h"

namespace lynx {
namespace {

TEST(PayTable, EveryCellIsTheMultiplierTimesCoinsExceptTheFiveCoinRoyal) {
  const int jacks[] = {250, 50, 25, 8, 5, 4, 3, 2, 1};
  const int joker[] = {250, 200, 100, 50, 20, 7, 5, 3, 2, 1, 1};
  const int deuces[] = {250, 200, 25, 15, 9, 5, 3, 2, 2, 1};
  const struct {
    GameVariant game;
    const int* perCoin;
    int rows;
  } games[] = {{1, jacks, 9}, {2, joker, 11}, {3, deuces, 10}};
  for (const auto& g : games) {
    EXPECT_EQ(PayTableFor(g.game).rowCount, g.rows);
    for (int row = 0; row < kPayTableRows; ++row) {
      for (int coins = 1; coins <= 5; ++coins) {
        const int expected =
            row >= g.rows ? 0 : (row == 0 && coins == 5 ? 4000 : g.perCoin[row] * coins);
        EXPECT_EQ(Payout(g.game, row, coins), expected) << g.game << ' ' << row << ' ' << coins;
        EXPECT_EQ(CellText(g.game, row, coins), row >= g.rows ? "" : std::to_string(expected));
      }
    }
    EXPECT_EQ(Payout(g.game, -1, 5), 0);
    EXPECT_EQ(Payout(g.game, 3, 0), 0);
  }
}

TEST(PayTable, CaptionsAsTheTableShowsThem) {
  const char* jacks[] = {"Royal Flush", "Straight Flush", "4 of a Kind", "Full House", "Flush",
                         "Straight",    "3 of a Kind",    "2 Pair",      "Jacks or Better"};
  const char* joker[] = {"Royal Flush (Natural)", "5 of a Kind", "Royal Flush (Joker)",
                         "Straight Flush",        "4 of a Kind", "Full House",
                         "Flush",                 "Straight",    "3 of a Kind",
                         "2 Pair",                "Kings or Better"};
  const char* deuces[] = {"Royal Flush (Natural)", "4 Deuces",    "Royal Flush (Deuces)",
                          "5 of a Kind",           "Straight Flush", "4 of a Kind",
                          "Full House",            "Flush",       "Straight",
                          "3 of a Kind"};
  for (int r = 0; r < 9; ++r) EXPECT_EQ(PayTableFor(1).rows[r].caption, jacks[r]);
  for (int r = 0; r < 11; ++r) EXPECT_EQ(PayTableFor(2).rows[r].caption, joker[r]);
  for (int r = 0; r < 10; ++r) EXPECT_EQ(PayTableFor(3).rows[r].caption, deuces[r]);
  EXPECT_EQ(PayTableFor(1).rows[9].caption, "");
  EXPECT_EQ(PayTableFor(3).rows[10].caption, "");
}

TEST(WinMessage, PrefixAmountAndExclamationPerRow) {
  const char* jacks[] = {"Royal Flush pays 7!",    "Straight Flush pays 7!", "4 of a Kind pays 7!",
                         "Full House pays 7!",     "Flush pays 7!",          "Straight pays 7!",
                         "3 of a Kind pays 7!",    "2 Pair pays 7!",         "Jacks or Better pays 7"};
  const char* joker[] = {"Royal Flush pays 7!",    "5 of a Kind pays 7!",  "Royal Flush (Joker) pays 7!",
                         "Straight Flush pays 7!", "4 of a Kind pays 7!",  "Full House pays 7!",
                         "Flush pays 7!",          "Straight pays 7!",     "Three of a Kind pays 7",
                         "2 Pair pays 7",          "Kings or Better pays 7"};
  const char* deuces[] = {"Royal Flush pays 7!",  "4 Deuces pays 7!",    "Royal Flush (Deuces) pays 7!",
                          "5 of a Kind pays 7!",  "Straight Flush pays 7!", "4 of a Kind pays 7!",
                          "Full House pays 7!",   "Flush pays 7!",       "Straight pays 7!",
                          "3 of a Kind pays 7"};
  for (int r = 0; r < 9; ++r) EXPECT_EQ(WinMessage(1, r, 7), jacks[r]);
  for (int r = 0; r < 11; ++r) EXPECT_EQ(WinMessage(2, r, 7), joker[r]);
  for (int r = 0; r < 10; ++r) EXPECT_EQ(WinMessage(3, r, 7), deuces[r]);
  for (GameVariant g : {1, 2, 3}) EXPECT_EQ(WinMessage(g, -1, 0), "Play 5 Coins");
  EXPECT_EQ(WinMessage(1, 9, 0), "Play 5 Coins");  // a row Jacks or Better does not use
}

}  // namespace
}  // namespace lynx

// A journalled hand's pays must match in family and in every figure, rows
// past the count too; a typed table matches a named one on the rows in play
// and the top prize alone.
TEST(PayComparison, FamilyAndFiguresAgainstThePayFiguresInPlay) {
  const lynx::Pays machine = lynx::MachinePays(lynx::kJacksOrBetter);
  EXPECT_TRUE(lynx::SameFamilyAndFigures(machine, machine));
  EXPECT_TRUE(lynx::SamePayFigures(machine, machine));

  lynx::Pays flush = machine;
  flush.perCoin[4] += 1;
  EXPECT_FALSE(lynx::SameFamilyAndFigures(machine, flush));
  EXPECT_FALSE(lynx::SamePayFigures(machine, flush));

  lynx::Pays royal = machine;
  royal.royalFiveCoins += 1;
  EXPECT_FALSE(lynx::SameFamilyAndFigures(machine, royal));
  EXPECT_FALSE(lynx::SamePayFigures(machine, royal));

  lynx::Pays family = machine;
  family.variant = lynx::kDeucesWild;
  EXPECT_FALSE(lynx::SameFamilyAndFigures(machine, family));
  EXPECT_TRUE(lynx::SamePayFigures(machine, family));

  lynx::Pays pastTheRows = machine;
  pastTheRows.perCoin[static_cast<std::size_t>(machine.rowCount)] = 7;
  EXPECT_FALSE(lynx::SameFamilyAndFigures(machine, pastTheRows));
  EXPECT_TRUE(lynx::SamePayFigures(machine, pastTheRows));

  lynx::Pays fewerRows = machine;
  fewerRows.rowCount -= 1;
  EXPECT_FALSE(lynx::SamePayFigures(machine, fewerRows));
}
