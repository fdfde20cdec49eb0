#include "coach/session_tally.h"

#include <algorithm>

namespace lynx {

void SessionTally::AddDeal(int coins, std::span<const std::int64_t> wonEach,
                           const HandJudgement* judgement, unsigned heldMask) {
  deals += 1;
  hands += static_cast<std::int64_t>(wonEach.size());
  coinsBet += static_cast<std::int64_t>(coins) * static_cast<std::int64_t>(wonEach.size());
  for (const std::int64_t paid : wonEach) won += paid;
  if (judgement == nullptr) return;
  const std::int64_t mistakesBefore = judged.mistakes;
  for (const std::int64_t paid : wonEach) judged.Add(*judgement, heldMask, static_cast<int>(paid));
  judged.mistakes = std::min(judged.mistakes, mistakesBefore + 1);
}

}  // namespace lynx
