#pragma once
// A pay table as numbers only: what each row pays per coin, and the five-coin
// top row. The machine's own tables are MachinePays(game); the analyser and
// the strategy engine also take others (a "9/6" Jacks or Better, say).

#include <array>
#include <cstdint>

#include "engine/card.h"
#include "engine/game_rules.h"
#include "engine/paytable.h"

namespace lynx {

struct Pays {
  GameVariant variant = kJacksOrBetter;    // the game's family (GameRules::family)
  int rowCount = 0;                        // the game's paying rows, top row first
  std::array<int, kMaxPayRows> perCoin{};  // credits per coin of rows 0..rowCount-1
  int royalFiveCoins = kFiveCoinRoyal;     // what the top row pays for five coins
  const GameRules* rules = nullptr;        // the game; nullptr: the machine's of variant

  const GameRules& Rules() const { return rules != nullptr ? *rules : MachineRules(variant); }
};

// The machine's table of variant 1..3 (any other value is Deuces Wild).
Pays MachinePays(GameVariant variant);

// A table of a game of the library.
Pays PaysOf(const GameRules& rules, const NamedTable& table);
// The game's usual table: the machine's for its three games.
Pays DefaultPays(const GameRules& rules);

// Credits won on row 0..rowCount-1 for coins 1..5: perCoin[row] * coins, but
// royalFiveCoins for row 0 with five coins. -1, another row or coins 0 win 0.
// MachinePays(g) gives exactly Payout(g, row, coins).
std::int64_t PayoutOf(const Pays& pays, int row, int coins);

// Two ways to compare pays, neither looking at the game pointer:
// the same family and every figure of the row array (the rows past rowCount
// too) and the top prize: pays a journalled hand was played on.
bool SameFamilyAndFigures(const Pays& a, const Pays& b);
// As many rows, the same pay per coin on each of them and the same top
// prize, whatever the family says: a table the player typed that is one of
// the game's named tables.
bool SamePayFigures(const Pays& a, const Pays& b);

}  // namespace lynx
