#pragma once
// Strategy tables built once per test program and game: building them takes
// a noticeable time under the sanitizers.

#include <array>
#include <memory>

#include "engine/strategy.h"

namespace lynx::testing_support {

inline const StrategyTables& Tables(GameVariant game) {
  static std::array<std::unique_ptr<StrategyTables>, 3> built;
  auto& slot = built[static_cast<std::size_t>(game - 1)];
  if (!slot) slot = std::make_unique<StrategyTables>(game);
  return *slot;
}

}  // namespace lynx::testing_support
