#include "review/best_play_cache.h"

#include <QtConcurrent/QtConcurrentRun>
#include <utility>

namespace lynx {

GameReturn BestPlayCache::BestPlay(GameVariant game) {
  const StrategyTables tables(game);
  return ComputeReturn(tables, kMaxCoins, JokerDeck::kMachine, ReturnPolicy::kOptimal,
                       /*threads=*/1);
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

const GameReturn* BestPlayCache::Find(GameVariant game) {
  if (game < kJacksOrBetter || game > kDeucesWild) return nullptr;
  Slot& slot = byGame[static_cast<std::size_t>(game - 1)];
  if (slot.result) return slot.result.get();
  if (!slot.watcher) {
    slot.watcher = std::make_unique<QFutureWatcher<GameReturn>>();
    connect(slot.watcher.get(), &QFutureWatcherBase::finished, this, [this, game] {
      Slot& done = byGame[static_cast<std::size_t>(game - 1)];
      done.result = std::make_unique<GameReturn>(done.watcher->result());
      done.watcher.release()->deleteLater();
      emit Ready(game);
    });
    slot.watcher->setFuture(QtConcurrent::run(&pool, analysis, game));
  }
  return nullptr;
}

}  // namespace lynx
