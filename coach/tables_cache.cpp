#include "coach/tables_cache.h"

#include <algorithm>
#include <chrono>

namespace lynx {

TablesCache::~TablesCache() {
  for (Built& built : byGame)
    if (built.valid()) built.wait();
}

TablesCache::Built& TablesCache::Slot(GameVariant game) {
  const auto index =
      static_cast<std::size_t>(std::clamp<int>(game, kJacksOrBetter, kDeucesWild) - 1);
  std::lock_guard lock(mutex);
  Built& built = byGame[index];
  if (!built.valid()) {
    const auto variant = static_cast<GameVariant>(index + 1);
    built =
        std::async(std::launch::async, [variant] {
          return std::shared_ptr<const StrategyTables>(std::make_shared<StrategyTables>(variant));
        }).share();
  }
  return built;
}

void TablesCache::Prepare(GameVariant game) {
  Slot(game);
}

const StrategyTables* TablesCache::Find(GameVariant game) {
  Built& built = Slot(game);
  if (built.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return nullptr;
  return built.get().get();
}

const StrategyTables& TablesCache::Wait(GameVariant game) {
  return *Slot(game).get();
}

}  // namespace lynx
