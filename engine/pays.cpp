#include "engine/pays.h"

namespace lynx {

Pays MachinePays(GameVariant variant) {
  const PayTable& table = PayTableFor(variant);
  Pays pays;
  pays.variant = variant == kJacksOrBetter || variant == kJokerWild ? variant : kDeucesWild;
  pays.rowCount = table.rowCount;
  for (int r = 0; r < table.rowCount; ++r)
    pays.perCoin[static_cast<std::size_t>(r)] = table.rows[static_cast<std::size_t>(r)].perCoin;
  pays.royalFiveCoins = kFiveCoinRoyal;
  pays.rules = &MachineRules(pays.variant);
  return pays;
}

Pays DefaultPays(const GameRules& rules) {
  return rules.machine != 0 ? MachinePays(rules.machine) : PaysOf(rules, rules.tables.front());
}

Pays PaysOf(const GameRules& rules, const NamedTable& table) {
  Pays pays;
  pays.variant = rules.family;
  pays.rowCount = rules.rowCount;
  pays.perCoin = table.perCoin;
  pays.royalFiveCoins = table.royalFiveCoins;
  pays.rules = &rules;
  return pays;
}

std::int64_t PayoutOf(const Pays& pays, int row, int coins) {
  if (row < 0 || row >= pays.rowCount || coins <= 0) return 0;
  if (row == 0 && coins == kMaxCoins) return pays.royalFiveCoins;
  return static_cast<std::int64_t>(pays.perCoin[static_cast<std::size_t>(row)]) * coins;
}

bool SameFamilyAndFigures(const Pays& a, const Pays& b) {
  return a.variant == b.variant && a.rowCount == b.rowCount && a.perCoin == b.perCoin &&
         a.royalFiveCoins == b.royalFiveCoins;
}

bool SamePayFigures(const Pays& a, const Pays& b) {
  if (a.rowCount != b.rowCount || a.royalFiveCoins != b.royalFiveCoins) return false;
  for (int r = 0; r < a.rowCount; ++r)
    if (a.perCoin[static_cast<std::size_t>(r)] != b.perCoin[static_cast<std::size_t>(r)])
      return false;
  return true;
}

}  // namespace lynx
