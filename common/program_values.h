#pragma once
// The program-wide values: made once in main() and handed by reference to
// every window. Nothing else in the program is global. Texts are UTF-8.

#include <cstdint>
#include <string>

#include "engine/card.h"
#include "engine/deck.h"

namespace lynx {

struct ProgramValues {
  std::string programDir;  // folder of the data files, no trailing separator
  std::string helpFile;    // programDir + "/ZEB.HLP"
  std::string lineBreak = "\r\n";
  std::string programTitle = "LYNX Video Poker";
  std::string programVersion = "v4.7";
  std::string aboutText;
  GameVariant gameVariant = kJacksOrBetter;
  std::int16_t soundOn = 1;     // 1 on, anything else off; never saved
  std::int32_t credits = 100;   // the credit meter
  std::int32_t borrowed = 100;  // the part of credits that is a loan
  std::int16_t largeCards = 0;  // 0 small cards, 1 large cards
  // The number of the last change of the balance. The history journal and
  // the settings file each keep the number of the balance they hold, so the
  // start-up can tell which of the two is newer.
  std::int64_t ledgerChange = 0;
  // The credits staked on hands left dealt and not yet drawn (every game's
  // and the trainer's): out of credits until the hand is settled.
  std::int32_t stakesInPlay = 0;
  std::int16_t maxCoins = 5;
  std::string helpTopic;  // the table window's help topic, e.g. "41007"
  Deck deck;
};

// Advances values.ledgerChange for a new change of the balance and returns it.
// The start never takes a number near the 64-bit limit (a hand-edited file is
// damaged, see NewestSavedBalance); should one come anyway, it stays there.
inline std::int64_t NextLedgerChange(ProgramValues& values) {
  if (values.ledgerChange < INT64_MAX) ++values.ledgerChange;
  return values.ledgerChange;
}

}  // namespace lynx
