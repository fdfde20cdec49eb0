#pragma once
// The strategy chart of each game and stake on the machine's deck and pay
// table, built once per run in the background (seconds optimised, one core
// at a lowered priority so play stays smooth) and then shared read-only.

#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "coach/tables_cache.h"
#include "engine/strategy_chart.h"

namespace lynx {

class ChartCache {
 public:
  // tables must outlive the cache.
  explicit ChartCache(TablesCache& tables) : tables(tables) {}
  // Stops a build still running (within a fraction of a second) and waits
  // for it.
  ~ChartCache();
  ChartCache(const ChartCache&) = delete;
  ChartCache& operator=(const ChartCache&) = delete;

  // Starts building the chart of game 1..3 for coins 1..5 unless that was
  // done already. Builds run one at a time.
  void Prepare(GameVariant game, int coins);
  // The chart once built, else null (starting the build); never waits.
  const StrategyChart* Find(GameVariant game, int coins);
  // Takes chart as the one of its game and stake, in place of a build.
  void Put(StrategyChart chart);

 private:
  using Key = std::pair<int, int>;
  using Built = std::shared_future<std::shared_ptr<const StrategyChart>>;
  Built& Slot(GameVariant game, int coins);

  TablesCache& tables;
  std::mutex mutex;
  std::mutex building;  // held by the build that runs
  std::atomic<bool> stop{false};
  std::map<Key, Built> charts;
};

}  // namespace lynx
