#pragma once
// The coach's warning before a costly draw. While the coach is in view, the
// first draw of a hold that gives value away against best play is held back
// and the player told why; the same hold drawn again goes ahead, so a
// player who means it is never stopped twice. Each hold of a deal is warned
// about once; a new deal starts again.

#include <cstdint>

#include "coach/coach.h"

namespace lynx {

class DrawWarning {
 public:
  // A new deal: no hold has been warned about yet.
  void NewDeal() {
    warned = 0;
    standing = false;
  }
  // The holds changed or the draw went ahead: the warning no longer stands.
  void Clear() { standing = false; }
  // Draw was pressed with heldMask (bits above 4 ignored) on the hand
  // judgement values: true when the draw is held back now, the first time
  // this deal that a hold worth less than best play is drawn.
  bool HoldsBack(const HandJudgement& judgement, unsigned heldMask);
  // A warning stands for the hand on the table.
  bool Standing() const { return standing; }

 private:
  std::uint32_t warned = 0;  // bit m: hold m was warned about this deal
  bool standing = false;
};

}  // namespace lynx
