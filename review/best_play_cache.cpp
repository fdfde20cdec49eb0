#include "review/best_play_cache.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QtConcurrent/QtConcurrentRun>
#include <optional>
#include <utility>

namespace lynx {
namespace {

// True when every row of game pays at coins exactly coins / smaller times
// what it pays at smaller.
bool PaysInProportion(GameVariant game, int smaller, int coins) {
  for (int row = 0; row < PayTableFor(game).rowCount; ++row)
    if (Payout(game, row, coins) * smaller != Payout(game, row, smaller) * coins) return false;
  return true;
}

}  // namespace

StakeReturns BestPlayCache::BestPlay(GameVariant game) {
  const StrategyTables tables(game);
  StakeReturns figures;
  for (int coins = 1; coins <= kMaxCoins; ++coins) {
    std::optional<int> same;
    for (int smaller = 1; smaller < coins && !same; ++smaller)
      if (PaysInProportion(game, smaller, coins)) same = smaller;
    GameReturn& stake = figures[static_cast<std::size_t>(coins - 1)];
    if (same) {
      stake = figures[static_cast<std::size_t>(*same - 1)];
      stake.coins = coins;
    } else {
      stake = ComputeReturn(tables, coins, JokerDeck::kMachine, ReturnPolicy::kOptimal,
                            /*threads=*/1);
    }
  }
  return figures;
}

BestPlayCache::BestPlayCache(QObject* parent) : BestPlayCache(&BestPlayCache::BestPlay, parent) {}

BestPlayCache::BestPlayCache(Analysis analysis, QObject* parent)
    : QObject(parent), analysis(std::move(analysis)) {
  pool.setMaxThreadCount(1);
}

BestPlayCache::~BestPlayCache() {
  WaitForAll();
}

void BestPlayCache::WaitForAll() {
  pool.waitForDone();
}

const StakeReturns* BestPlayCache::Find(GameVariant game) {
  if (game < kJacksOrBetter || game > kDeucesWild) return nullptr;
  Slot& slot = byGame[static_cast<std::size_t>(game - 1)];
  if (slot.result) return slot.result.get();
  if (!slot.watcher) {
    slot.watcher = std::make_unique<QFutureWatcher<StakeReturns>>();
    connect(slot.watcher.get(), &QFutureWatcherBase::finished, this, [this, game] {
      Slot& done = byGame[static_cast<std::size_t>(game - 1)];
      done.result = std::make_unique<StakeReturns>(done.watcher->result());
      done.watcher.release()->deleteLater();
      // The analysis freed tens of megabytes on a thread of the pool; the
      // allocator would keep them for that thread otherwise.
      malloc_trim(0);
      emit Ready(game);
    });
    // At nice 10, as the coach's chart builds: the window thread keeps the
    // processor whenever it has play to show.
    slot.watcher->setFuture(QtConcurrent::run(&pool, [analysis = analysis, game] {
      (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
      return analysis(game);
    }));
  }
  return nullptr;
}

}  // namespace lynx
