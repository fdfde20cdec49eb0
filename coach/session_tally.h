#pragma once
// What the player did at a table during one visit (the trainer) or one run
// (the coach beside the machine): the deals and hands, the coins bet and
// won, and the coach's view of the holds, their value against best play and
// the mistakes with their cost. Both tables keep their figures here.

#include <cstdint>
#include <span>

#include "coach/coach.h"

namespace lynx {

struct SessionTally {
  std::int64_t deals = 0;
  std::int64_t hands = 0;  // every hand of every deal
  std::int64_t coinsBet = 0;
  std::int64_t won = 0;
  CoachTally judged;  // the hands the coach could value

  // A deal drawn: coins per hand, what each of its hands paid, all drawn to
  // the one hold heldMask. judgement is the coach's of the deal, null when it
  // could not be valued. A hold is one decision however many hands play it:
  // a deal adds at most one mistake, costing what the hold gave up on every
  // hand.
  void AddDeal(int coins, std::span<const std::int64_t> wonEach, const HandJudgement* judgement,
               unsigned heldMask);
};

}  // namespace lynx
