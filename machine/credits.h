#pragma once
// The credit meter's arithmetic, shared by every machine that plays from it.

#include <algorithm>
#include <cstdint>
#include <limits>

namespace lynx {

// The credit meter is a 32-bit count: it stops at its top (and bottom)
// instead of wrapping. amount may be any 64-bit change.
inline std::int32_t AddCredits32(std::int32_t credits, std::int64_t amount) {
  const std::int64_t sum = static_cast<std::int64_t>(credits) + amount;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace lynx
