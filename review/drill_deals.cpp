#include "review/drill_deals.h"

#include <QString>

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
  const HoldMask keep = HoldMask::FromBits(held);
  GameRecord practice;
  practice.game = mistake.game;
  practice.coins = mistake.coins;
  practice.dealt = mistake.dealt;
  practice.held = keep.Stored();
  practice.final = DrawHand(deck, mistake.dealt, keep);
  practice.row = ClassifyHand(practice.final, mistake.game);
  practice.creditsAfter = credits;
  const HoldVerdict verdict = JudgeHold(judgement, keep.Bits());
  practice.bestEv = verdict.bestEv;
  practice.heldEv = verdict.heldEv;
  practice.bestHolds = QString::fromStdString(verdict.bestHolds);
  return practice;
}

}  // namespace lynx
