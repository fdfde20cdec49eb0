#include "table/game_records.h"

#include <QStringList>

namespace lynx {

QString RecordedTableName(const std::string& table, const Pays& pays) {
  if (table != "custom") return QString::fromStdString(table);
  QStringList perCoin;
  for (int r = 0; r < pays.rowCount; ++r)
    perCoin << QString::number(pays.perCoin[static_cast<std::size_t>(r)]);
  return QStringLiteral("custom %1 (%2)")
      .arg(perCoin.join(QLatin1Char('/')))
      .arg(pays.royalFiveCoins);
}

SettledDeal DealOf(const Settlement& settled) {
  SettledDeal deal;
  deal.game = settled.game;
  deal.coins = settled.coins;
  deal.dealt = settled.dealt;
  deal.held = settled.held;
  deal.demo = settled.demo;
  deal.hands.push_back({settled.final, settled.row, settled.won, settled.creditsAfter});
  return deal;
}

SettledDeal DealOf(const TrainerSettlement& settled) {
  SettledDeal deal;
  const GameRules& rules = *settled.rules;
  deal.game = rules.machine != 0 ? rules.machine : rules.family;
  deal.coins = settled.coins;
  deal.dealt = settled.dealt;
  deal.held = settled.held;
  deal.libraryGame =
      QString::fromUtf8(rules.name.data(), static_cast<qsizetype>(rules.name.size()));
  deal.payTable = RecordedTableName(settled.table, settled.pays);
  for (std::size_t h = 0; h < settled.results.size(); ++h) {
    const TrainerHandResult& result = settled.results[h];
    deal.hands.push_back({result.final, result.row, result.won, settled.creditsAfterEach[h]});
  }
  return deal;
}

std::vector<GameRecord> GameRecordsOf(const SettledDeal& deal, const HoldVerdict* verdict) {
  std::vector<GameRecord> rows;
  for (const SettledDeal::Drawn& hand : deal.hands) {
    GameRecord record;
    record.game = deal.game;
    record.coins = deal.coins;
    record.dealt = deal.dealt;
    record.held = deal.held.Stored();
    record.final = hand.final;
    record.row = hand.row;
    record.won = static_cast<int>(hand.won);
    record.creditsAfter = hand.creditsAfter;
    record.demo = deal.demo;
    record.libraryGame = deal.libraryGame;
    record.payTable = deal.payTable;
    record.hands = static_cast<int>(deal.hands.size());
    if (verdict != nullptr) {
      record.bestEv = verdict->bestEv;
      record.heldEv = verdict->heldEv;
      record.bestHolds = QString::fromStdString(verdict->bestHolds);
    }
    rows.push_back(record);
  }
  return rows;
}

}  // namespace lynx
