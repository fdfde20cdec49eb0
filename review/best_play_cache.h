#pragma once
// The row frequencies and return of each game played perfectly, worked out
// once per run in the background and kept for every window that shows them.

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <array>
#include <functional>
#include <memory>

#include "engine/card.h"
#include "engine/strategy_return.h"

namespace lynx {

class BestPlayCache : public QObject {
  Q_OBJECT
 public:
  // How one game's figures are worked out; called on a background thread.
  using Analysis = std::function<GameReturn(GameVariant game)>;

  // The exact analysis of the engine: every deal played with its best hold,
  // five coins bet, Joker Wild on this machine's deck.
  static GameReturn BestPlay(GameVariant game);

  explicit BestPlayCache(QObject* parent = nullptr);
  // analysis replaces BestPlay (tests give one that answers at once).
  explicit BestPlayCache(Analysis analysis, QObject* parent = nullptr);
  // Waits for an analysis still running.
  ~BestPlayCache() override;

  // The figures of game 1..3 once worked out, else null; the first call for a
  // game starts its analysis, and Ready(game) is emitted on this object's
  // thread when it is done. Games are analysed one at a time, on one thread,
  // so the table keeps a core to itself.
  const GameReturn* Find(GameVariant game);

  // Blocks until every analysis started has ended (for tests and shutdown).
  void WaitForAll();

 signals:
  void Ready(GameVariant game);

 private:
  struct Slot {
    std::unique_ptr<GameReturn> result;
    std::unique_ptr<QFutureWatcher<GameReturn>> watcher;  // set while running
  };

  Analysis analysis;
  QThreadPool pool;
  std::array<Slot, 3> byGame;  // index game - 1
};

}  // namespace lynx
