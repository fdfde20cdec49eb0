#pragma once
// The three pay tables, the payout rule and the win messages.

#include <array>
#include <string>
#include <string_view>

#include "engine/card.h"

namespace lynx {

constexpr int kPayTableRows = 11;  // rows 0..10 on the table window
constexpr int kMaxCoins = 5;
constexpr int kFiveCoinRoyal = 4000;

struct PayRow {
  std::string_view caption;        // hand name shown on the table
  int perCoin = 0;                 // credits per coin bet
  std::string_view messagePrefix;  // e.g. "Flush pays "
  bool exclaim = false;            // "!" after the amount
};

struct PayTable {
  int rowCount = 0;  // paying rows 0..rowCount-1; the others stay empty
  std::array<PayRow, kPayTableRows> rows{};
};

// Pay table of variant 1, 2 or 3 (any other value gives Deuces Wild, as the
// evaluator does).
const PayTable& PayTableFor(GameVariant variant);

// Credits won on row 0..rowCount-1 with coins 1..5: the row's multiplier
// times coins, except 4000 for a five-coin royal (row 0). -1 or coins 0 win 0.
int Payout(GameVariant variant, int row, int coins);

// Text of the pay-table cell (row, coins 1..5) as the table shows it, empty
// for a row the variant does not use.
std::string CellText(GameVariant variant, int row, int coins);

// Message line after an evaluation: "Play 5 Coins" for row -1, otherwise the
// row's prefix, the amount and "!" where the row has it.
std::string WinMessage(GameVariant variant, int row, int amount);

// Short machine-readable game names used by the analyser: jacks, joker, deuces.
std::string_view GameName(GameVariant variant);
std::string_view GameTitle(GameVariant variant);  // "Jacks or Better" ...

}  // namespace lynx
