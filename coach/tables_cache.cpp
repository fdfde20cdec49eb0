#include "coach/tables_cache.h"

#include <algorithm>
#include <chrono>

#include "engine/parallel.h"

namespace lynx {

TablesCache::~TablesCache() {
  for (auto& [game, built] : byGame)
    if (built.valid()) built.wait();
}

TablesCache::Built& TablesCache::Slot(const GameRules& game) {
  std::lock_guard lock(mutex);
  Built& built = byGame[&game];
  if (!built.valid()) {
    const GameRules* rules = &game;
    built =
        RunInBackground([rules] {
          return std::shared_ptr<const StrategyTables>(std::make_shared<StrategyTables>(*rules));
        }).share();
  }
  return built;
}

void TablesCache::Prepare(GameVariant game) {
  Slot(MachineRules(game));
}
void TablesCache::Prepare(const GameRules& game) {
  Slot(game);
}

const StrategyTables* TablesCache::Find(GameVariant game) {
  return Find(MachineRules(game));
}

const StrategyTables* TablesCache::Find(const GameRules& game) {
  Built& built = Slot(game);
  if (built.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return nullptr;
  return built.get().get();
}

const StrategyTables& TablesCache::Wait(GameVariant game) {
  return Wait(MachineRules(game));
}
const StrategyTables& TablesCache::Wait(const GameRules& game) {
  return *Slot(game).get();
}

}  // namespace lynx
