#include "coach/chart_cache.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/parallel.h"
#include "engine/pays.h"

namespace lynx {

namespace {

// The chart is worth having soon, not at the cost of a smooth table: the
// build runs on one core fewer than the machine has, at a lower priority
// (the threads it starts inherit it).
constexpr int kNiceness = 10;

int BuildThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::max(1, static_cast<int>(cores) - 1);
}

void LowerPriority() {
  // Linux keeps the nice value per thread: this lowers the calling thread
  // only. Failing to do so is harmless.
  (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNiceness);
}

}  // namespace

ChartCache::~ChartCache() {
  stop = true;
  for (auto& [key, built] : charts)
    if (built.valid()) built.wait();
}

ChartCache::Built& ChartCache::Slot(GameVariant game, int coins) {
  const int variant = std::clamp<int>(game, kJacksOrBetter, kDeucesWild);
  const int stake = std::clamp(coins, 1, kMaxCoins);
  std::lock_guard lock(mutex);
  Built& built = charts[{variant, stake}];
  if (!built.valid()) {
    built = RunInBackground([this, variant, stake] {
              LowerPriority();
              std::lock_guard one(building);
              const auto g = static_cast<GameVariant>(variant);
              if (stop) return std::shared_ptr<const StrategyChart>();
              const StrategyTables& t = tables.Wait(g);
              ChartOptions options;
              options.threads = BuildThreads();
              options.stop = &stop;
              auto chart = std::make_shared<StrategyChart>(
                  BuildChart(t, MachinePays(g), stake, JokerDeck::kMachine, options));
              if (chart->lines.empty()) return std::shared_ptr<const StrategyChart>();
              return std::shared_ptr<const StrategyChart>(std::move(chart));
            }).share();
  }
  return built;
}

void ChartCache::Prepare(GameVariant game, int coins) {
  Slot(game, coins);
}

const StrategyChart* ChartCache::Find(GameVariant game, int coins) {
  Built& built = Slot(game, coins);
  if (built.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return nullptr;
  return built.get().get();
}

void ChartCache::Put(StrategyChart chart) {
  const Key key{std::clamp<int>(chart.pays.variant, kJacksOrBetter, kDeucesWild),
                std::clamp(chart.coins, 1, kMaxCoins)};
  std::promise<std::shared_ptr<const StrategyChart>> made;
  made.set_value(std::make_shared<const StrategyChart>(std::move(chart)));
  std::lock_guard lock(mutex);
  charts[key] = made.get_future().share();
}

}  // namespace lynx
