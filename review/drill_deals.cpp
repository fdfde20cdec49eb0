#include "review/drill_deals.h"

#include <QStringList>

#include "engine/evaluate.h"

namespace lynx {

std::vector<GameRecord> DrillHands(const std::vector<GameRecord>& mistakes) {
  std::vector<GameRecord> hands;
  for (auto it = mistakes.rbegin(); it != mistakes.rend(); ++it) {
    if (!it->damaged && ValidRecord(*it)) hands.push_back(*it);
  }
  return hands;
}

GameRecord PracticeRecord(const GameRecord& mistake, const Deck& deck, unsigned held,
                          const HandJudgement& judgement, int credits) {
  held &= 31u;
  std::array<bool, 5> keep{};
  for (int i = 0; i < 5; ++i) keep[static_cast<std::size_t>(i)] = (held >> i & 1u) != 0;
  GameRecord practice;
  practice.game = mistake.game;
  practice.coins = mistake.coins;
  practice.dealt = mistake.dealt;
  practice.held = static_cast<int>(held);
  practice.final = DrawHand(deck, mistake.dealt, keep);
  practice.row = ClassifyHand(practice.final, mistake.game);
  practice.creditsAfter = credits;
  practice.bestEv = judgement.bestEv;
  practice.heldEv = judgement.ev[held];
  QStringList masks;
  for (unsigned m : judgement.BestMasks()) masks << QString::number(m);
  practice.bestHolds = masks.join(QLatin1Char(','));
  return practice;
}

}  // namespace lynx
