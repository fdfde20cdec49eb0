#include "review/drill_deals.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>

#include "engine/evaluate.h"

namespace lynx {

std::optional<PlayedOn> PlayedOnOf(const GameRecord& game) {
  if (game.libraryGame.isEmpty()) return PlayedOn{nullptr, MachinePays(game.game)};
  const QByteArray name = game.libraryGame.toUtf8();
  const GameRules* rules =
      FindGame(std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
  if (rules == nullptr) return std::nullopt;
  const QByteArray tableName = game.payTable.toUtf8();
  if (const NamedTable* table = FindTable(
          *rules,
          std::string_view(tableName.constData(), static_cast<std::size_t>(tableName.size()))))
    return PlayedOn{rules, PaysOf(*rules, *table)};
  // "custom P/P/.../P (R)": the pays per coin from the top row, and the top
  // row's prize for five coins.
  static const QRegularExpression custom(QStringLiteral("^custom ([0-9/]+) \\(([0-9]+)\\)$"));
  const QRegularExpressionMatch match = custom.match(game.payTable);
  if (!match.hasMatch()) return std::nullopt;
  const QStringList perCoin = match.captured(1).split(QLatin1Char('/'));
  if (perCoin.size() != rules->rowCount) return std::nullopt;
  Pays pays = DefaultPays(*rules);
  for (int r = 0; r < rules->rowCount; ++r) {
    bool ok = false;
    const int pay = perCoin[r].toInt(&ok);
    if (!ok || pay < 0 || pay > 10000) return std::nullopt;
    pays.perCoin[static_cast<std::size_t>(r)] = pay;
  }
  bool ok = false;
  pays.royalFiveCoins = match.captured(2).toInt(&ok);
  if (!ok || pays.royalFiveCoins > 1000000) return std::nullopt;
  return PlayedOn{rules, pays};
}

Deck TrainerPracticeDeck(const Hand& dealt, const GameRules& rules, UniformSource& random) {
  std::vector<CardCode> rest;
  for (CardCode c = 1; c <= rules.CardCount(); ++c)
    if (std::find(dealt.begin(), dealt.end(), c) == dealt.end()) rest.push_back(c);
  for (std::size_t i = rest.size(); i > 1; --i) {
    const auto pick =
        std::min(static_cast<std::size_t>(random.Next() * static_cast<float>(i)), i - 1);
    std::swap(rest[i - 1], rest[pick]);
  }
  Deck deck;
  for (int p = 1; p <= 5; ++p) deck.Set(p, dealt[static_cast<std::size_t>(p - 1)]);
  for (int p = 6; p <= Deck::kSize; ++p) deck.Set(p, rest[static_cast<std::size_t>(p - 6)]);
  return deck;
}

std::vector<GameRecord> DrillHands(const std::vector<GameRecord>& mistakes) {
  std::vector<GameRecord> hands;
  std::int64_t lastId = 0;
  int ofDeal = 0;  // rows of the last deal kept so far
  for (auto it = mistakes.rbegin(); it != mistakes.rend(); ++it) {
    if (it->damaged || !ValidRecord(*it) || !PlayedOnOf(*it)) continue;
    // The hands of one deal of several, one after the other, share its hold:
    // one decision, practised once.
    const bool sameDeal =
        !hands.empty() && it->hands > 1 && ofDeal < it->hands && it->id == lastId + 1 &&
        it->hands == hands.back().hands && it->session == hands.back().session &&
        it->libraryGame == hands.back().libraryGame && it->payTable == hands.back().payTable &&
        it->dealt == hands.back().dealt && it->held == hands.back().held;
    lastId = it->id;
    ofDeal = sameDeal ? ofDeal + 1 : 1;
    if (!sameDeal) hands.push_back(*it);
  }
  return hands;
}

GameRecord PracticeRecord(const GameRecord& mistake, const Deck& deck, unsigned held,
                          const HandJudgement& judgement, int credits) {
  const HoldMask keep = HoldMask::FromBits(held);
  GameRecord practice;
  practice.game = mistake.game;
  practice.coins = mistake.coins;
  practice.dealt = mistake.dealt;
  practice.held = keep.Stored();
  practice.final = DrawHand(deck, mistake.dealt, keep);
  const std::optional<PlayedOn> on = PlayedOnOf(mistake);
  practice.row = on && on->rules != nullptr ? ClassifyRules(practice.final, *on->rules)
                                            : ClassifyHand(practice.final, mistake.game);
  practice.libraryGame = mistake.libraryGame;
  practice.payTable = mistake.payTable;
  practice.creditsAfter = credits;
  const HoldVerdict verdict = JudgeHold(judgement, keep.Bits());
  practice.bestEv = verdict.bestEv;
  practice.heldEv = verdict.heldEv;
  practice.bestHolds = QString::fromStdString(verdict.bestHolds);
  return practice;
}

}  // namespace lynx
