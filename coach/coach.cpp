#include "coach/coach.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "engine/card_text.h"
#include "engine/evaluate.h"

namespace lynx {

bool SameValue(double a, double b) {
  const double scale = std::max({1.0, std::abs(a), std::abs(b)});
  return std::abs(a - b) <= kTieTolerance * scale;
}

bool IsMistake(double bestEv, double heldEv) {
  return heldEv < bestEv && !SameValue(heldEv, bestEv);
}

double HandJudgement::Cost(unsigned mask) const {
  return IsBest(mask) ? 0.0 : bestEv - ev[mask & 31u];
}

std::vector<unsigned> HandJudgement::BestMasks() const {
  std::vector<unsigned> masks;
  for (unsigned m = 0; m < kHoldCount; ++m)
    if (IsBest(m)) masks.push_back(m);
  return masks;
}

HandJudgement JudgeHand(const StrategyTables& tables, const Hand& dealt, int coins) {
  return JudgeHand(tables, dealt, coins, DefaultPays(tables.Rules()), JokerDeck::kMachine);
}

HandJudgement JudgeHand(const StrategyTables& tables, const Hand& dealt, int coins,
                        const Pays& pays, JokerDeck deck) {
  const HandAdvice advice = AdviseHand(tables, dealt, coins, deck, pays);
  HandJudgement j;
  j.game = tables.Variant();
  j.pays = pays;
  j.pays.rules = &tables.Rules();
  j.coins = coins;
  j.dealt = dealt;
  for (const HoldValue& hold : advice.holds) j.ev[hold.mask] = hold.ev;
  j.bestEv = advice.holds[0].ev;
  for (unsigned m = 0; m < kHoldCount; ++m)
    if (SameValue(j.ev[m], j.bestEv)) j.bestSet |= 1u << m;
  j.bestMask = static_cast<unsigned>(std::countr_zero(j.bestSet));
  j.bestCount = std::popcount(j.bestSet);
  return j;
}

HoldVerdict JudgeHold(const HandJudgement& judgement, unsigned mask) {
  mask &= 31u;
  HoldVerdict verdict;
  verdict.bestEv = judgement.bestEv;
  verdict.heldEv = judgement.ev[mask];
  for (unsigned m : judgement.BestMasks()) {
    if (!verdict.bestHolds.empty()) verdict.bestHolds += ',';
    verdict.bestHolds += std::to_string(m);
  }
  verdict.mistake = !judgement.IsBest(mask);
  verdict.cost = judgement.Cost(mask);
  return verdict;
}

ShadowPlay PlayBest(const HandJudgement& judgement, const Deck& deck) {
  ShadowPlay shadow;
  shadow.mask = judgement.bestMask;
  shadow.final = DrawHand(deck, judgement.dealt, HoldMask::FromBits(shadow.mask));
  const GameRules& rules = judgement.pays.Rules();
  if (rules.machine == 0) {
    shadow.row = ClassifyRules(shadow.final, rules);
    shadow.won = static_cast<int>(PayoutOf(judgement.pays, shadow.row, judgement.coins));
    return shadow;
  }
  HandTable table = HandTable::FromHand(shadow.final);
  const Evaluation evaluation = EvaluateHand(table, rules.machine, judgement.coins);
  shadow.row = evaluation.winRow;
  shadow.won = evaluation.winAmount;
  return shadow;
}

std::string HoldText(const Hand& dealt, unsigned mask) {
  const HoldMask holds = HoldMask::FromBits(mask);
  if (holds.Count() == 0) return "Draw five";
  std::string text;
  for (int i = 0; i < 5; ++i) {
    if (i > 0) text += ' ';
    text += holds.Holds(i) ? CardName(dealt[static_cast<std::size_t>(i)]) : "--";
  }
  return text;
}

Deck PracticeDeck(const Hand& dealt, GameVariant game, UniformSource& random) {
  const auto pick = [&random](std::size_t n) {
    const auto i = static_cast<std::size_t>(random.Next() * static_cast<float>(n));
    return std::min(i, n - 1);
  };
  const auto in = [&dealt](CardCode c) {
    return std::find(dealt.begin(), dealt.end(), c) != dealt.end();
  };
  std::vector<CardCode> rest;
  for (CardCode c = 1; c <= 52; ++c)
    if (!in(c)) rest.push_back(c);
  if (game == kJokerWild) {
    const std::size_t missing = pick(rest.size());
    if (in(kJoker))
      rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(missing));
    else
      rest[missing] = kJoker;
  }
  for (std::size_t i = rest.size(); i > 1; --i) std::swap(rest[i - 1], rest[pick(i)]);
  Deck deck;
  for (int p = 1; p <= 5; ++p) deck.Set(p, dealt[static_cast<std::size_t>(p - 1)]);
  for (std::size_t i = 0; i < rest.size() && i + 6 <= Deck::kSize; ++i)
    deck.Set(static_cast<int>(i) + 6, rest[i]);
  return deck;
}

void CoachTally::Add(const HandJudgement& judgement, unsigned heldMask, int paid) {
  ++hands;
  coinsBet += judgement.coins;
  won += paid;
  const HoldVerdict verdict = JudgeHold(judgement, heldMask);
  heldEv += verdict.heldEv;
  bestEv += verdict.bestEv;
  if (verdict.mistake) {
    ++mistakes;
    mistakeCost += verdict.cost;
  }
}

double CoachTally::ActualReturn() const {
  return coinsBet == 0 ? 0.0 : static_cast<double>(won) / static_cast<double>(coinsBet);
}
double CoachTally::HeldReturn() const {
  return coinsBet == 0 ? 0.0 : heldEv / static_cast<double>(coinsBet);
}
double CoachTally::BestReturn() const {
  return coinsBet == 0 ? 0.0 : bestEv / static_cast<double>(coinsBet);
}

}  // namespace lynx
