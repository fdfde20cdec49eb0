#pragma once
// The row frequencies and return of each game played perfectly at every
// stake, worked out once per run in the background and kept for every window
// that shows them.

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <array>
#include <functional>
#include <memory>

#include "engine/card.h"
#include "engine/paytable.h"
#include "engine/strategy_return.h"

namespace lynx {

// One game's figures with best play at each stake: [0] one coin bet .. [4]
// five coins. Best play differs between stakes where the pays are not in
// proportion to the coins (the five-coin royal flush).
using StakeReturns = std::array<GameReturn, kMaxCoins>;

class BestPlayCache : public QObject {
  Q_OBJECT
 public:
  // How one game's figures are worked out; called on a background thread.
  using Analysis = std::function<StakeReturns(GameVariant game)>;

  // The exact analysis of the engine at each stake: every deal played with
  // its best hold for that stake, Joker Wild on this machine's deck. A stake
  // whose pays are a smaller stake's in proportion has that stake's figures
  // (the same holds are best), so only stakes that differ are solved.
  static StakeReturns BestPlay(GameVariant game);

  explicit BestPlayCache(QObject* parent = nullptr);
  // analysis replaces BestPlay (tests give one that answers at once).
  explicit BestPlayCache(Analysis analysis, QObject* parent = nullptr);
  // Waits for an analysis still running.
  ~BestPlayCache() override;

  // The figures of game 1..3 once worked out, else null; the first call for a
  // game starts its analysis, and Ready(game) is emitted on this object's
  // thread when it is done. Games are analysed one at a time, on one thread,
  // so the table keeps a core to itself.
  const StakeReturns* Find(GameVariant game);

  // Blocks until every analysis started has ended (for tests and shutdown).
  void WaitForAll();

 signals:
  void Ready(GameVariant game);

 private:
  struct Slot {
    std::unique_ptr<StakeReturns> result;
    std::unique_ptr<QFutureWatcher<StakeReturns>> watcher;  // set while running
  };

  Analysis analysis;
  // One thread of its own rather than Qt's global pool: an analysis lowers
  // its thread's priority, which an ordinary user's thread can never raise
  // again, so a thread of the global pool would carry it into the windows'
  // next work. Its one thread is also what runs the analyses one at a time.
  QThreadPool pool;
  std::array<Slot, 3> byGame;  // index game - 1
};

}  // namespace lynx
