#pragma once
// The history's rows of a deal drawn on either table, built in one place:
// the machine's table keeps one row per game, the trainer one per hand.

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "coach/coach.h"
#include "engine/hold_mask.h"
#include "machine/machine.h"
#include "machine/trainer_machine.h"
#include "platform/history_store.h"

namespace lynx {

// The pay table as the history keeps it: its name, or for pays the player
// typed, "custom" and the pays per coin from the top row with the top
// prize for five coins, "custom 250/50/25/9/6/4/3/2/1 (4000)", so that each
// table of the player's own keeps figures of its own.
QString RecordedTableName(const std::string& table, const Pays& pays);

// A settled deal as the history sees it, whichever table drew it: the deal,
// and for each hand the cards drawn, their row, the pay and the meter after
// that pay, hand 0 first. The machine's own game names no game of the
// library and no pay table.
struct SettledDeal {
  struct Drawn {
    Hand final{};
    int row = -1;
    std::int64_t won = 0;
    std::int32_t creditsAfter = 0;
  };
  GameVariant game = kJacksOrBetter;  // the machine's game, or the library game's family
  int coins = 1;                      // per hand
  Hand dealt{};
  HoldMask held;
  bool demo = false;
  QString libraryGame;
  QString payTable;
  std::vector<Drawn> hands;
};

SettledDeal DealOf(const Settlement& settled);
SettledDeal DealOf(const TrainerSettlement& settled);

// One games row per hand, in order, each with the coach's verdict on the
// deal's one hold where there is one (null: not judged).
std::vector<GameRecord> GameRecordsOf(const SettledDeal& deal, const HoldVerdict* verdict);

}  // namespace lynx
