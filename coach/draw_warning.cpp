#include "coach/draw_warning.h"

namespace lynx {

bool DrawWarning::HoldsBack(const HandJudgement& judgement, unsigned heldMask) {
  const unsigned mask = heldMask & 31u;
  if (judgement.IsBest(mask) || (warned >> mask & 1u) != 0) {
    standing = false;
    return false;
  }
  warned |= 1u << mask;
  standing = true;
  return true;
}

}  // namespace lynx
