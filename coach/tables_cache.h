#pragma once
// The strategy tables of each game, built once per run on a thread of their
// own (about a second each in a debug build, tens of milliseconds optimised)
// and then shared read-only by everything that values holds.

#include <future>
#include <map>
#include <memory>
#include <mutex>

#include "engine/card.h"
#include "engine/strategy.h"

namespace lynx {

class TablesCache {
 public:
  TablesCache() = default;
  // Waits for a build still running.
  ~TablesCache();
  TablesCache(const TablesCache&) = delete;
  TablesCache& operator=(const TablesCache&) = delete;

  // Starts building the tables of the machine's game 1..3 (or of a game of
  // the library) unless that was done already.
  void Prepare(GameVariant game);
  void Prepare(const GameRules& game);
  // The tables of game once built, else null (starting the build); never
  // waits.
  const StrategyTables* Find(GameVariant game);
  const StrategyTables* Find(const GameRules& game);
  // The tables of game, waiting for them (and starting the build) as needed.
  const StrategyTables& Wait(GameVariant game);
  const StrategyTables& Wait(const GameRules& game);

 private:
  using Built = std::shared_future<std::shared_ptr<const StrategyTables>>;
  Built& Slot(const GameRules& game);

  std::mutex mutex;
  std::map<const GameRules*, Built> byGame;  // a game's entry once Prepare started it
};

}  // namespace lynx
