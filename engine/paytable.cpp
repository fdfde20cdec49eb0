#include "engine/paytable.h"

namespace lynx {

namespace {

constexpr PayTable kJacksTable{9,
                               {{
                                   {"Royal Flush", 250, "Royal Flush pays ", true},
                                   {"Straight Flush", 50, "Straight Flush pays ", true},
                                   {"4 of a Kind", 25, "4 of a Kind pays ", true},
                                   {"Full House", 8, "Full House pays ", true},
                                   {"Flush", 5, "Flush pays ", true},
                                   {"Straight", 4, "Straight pays ", true},
                                   {"3 of a Kind", 3, "3 of a Kind pays ", true},
                                   {"2 Pair", 2, "2 Pair pays ", true},
                                   {"Jacks or Better", 1, "Jacks or Better pays ", false},
                                   {},
                                   {},
                               }}};

constexpr PayTable kJokerTable{11,
                               {{
                                   {"Royal Flush (Natural)", 250, "Royal Flush pays ", true},
                                   {"5 of a Kind", 200, "5 of a Kind pays ", true},
                                   {"Royal Flush (Joker)", 100, "Royal Flush (Joker) pays ", true},
                                   {"Straight Flush", 50, "Straight Flush pays ", true},
                                   {"4 of a Kind", 20, "4 of a Kind pays ", true},
                                   {"Full House", 7, "Full House pays ", true},
                                   {"Flush", 5, "Flush pays ", true},
                                   {"Straight", 3, "Straight pays ", true},
                                   {"3 of a Kind", 2, "Three of a Kind pays ", false},
                                   {"2 Pair", 1, "2 Pair pays ", false},
                                   {"Kings or Better", 1, "Kings or Better pays ", false},
                               }}};

constexpr PayTable kDeucesTable{
    10,
    {{
        {"Royal Flush (Natural)", 250, "Royal Flush pays ", true},
        {"4 Deuces", 200, "4 Deuces pays ", true},
        {"Royal Flush (Deuces)", 25, "Royal Flush (Deuces) pays ", true},
        {"5 of a Kind", 15, "5 of a Kind pays ", true},
        {"Straight Flush", 9, "Straight Flush pays ", true},
        {"4 of a Kind", 5, "4 of a Kind pays ", true},
        {"Full House", 3, "Full House pays ", true},
        {"Flush", 2, "Flush pays ", true},
        {"Straight", 2, "Straight pays ", true},
        {"3 of a Kind", 1, "3 of a Kind pays ", false},
        {},
    }}};

}  // namespace

const PayTable& PayTableFor(GameVariant variant) {
  if (variant == kJacksOrBetter) return kJacksTable;
  if (variant == kJokerWild) return kJokerTable;
  return kDeucesTable;
}

int Payout(GameVariant variant, int row, int coins) {
  const PayTable& table = PayTableFor(variant);
  if (row < 0 || row >= table.rowCount || coins <= 0) return 0;
  if (row == 0 && coins == kMaxCoins) return kFiveCoinRoyal;
  return table.rows[static_cast<std::size_t>(row)].perCoin * coins;
}

std::string CellText(GameVariant variant, int row, int coins) {
  const PayTable& table = PayTableFor(variant);
  if (row < 0 || row >= table.rowCount || coins < 1 || coins > kMaxCoins) return {};
  return std::to_string(Payout(variant, row, coins));
}

std::string WinMessage(GameVariant variant, int row, int amount) {
  const PayTable& table = PayTableFor(variant);
  if (row < 0 || row >= table.rowCount) return "Play 5 Coins";
  const PayRow& payRow = table.rows[static_cast<std::size_t>(row)];
  std::string text(payRow.messagePrefix);
  text += std::to_string(amount);
  if (payRow.exclaim) text += '!';
  return text;
}

std::string_view GameName(GameVariant variant) {
  if (variant == kJacksOrBetter) return "jacks";
  if (variant == kJokerWild) return "joker";
  return "deuces";
}

std::string_view GameTitle(GameVariant variant) {
  if (variant == kJacksOrBetter) return "Jacks or Better";
  if (variant == kJokerWild) return "Joker Wild";
  return "Deuces Wild";
}

}  // namespace lynx
