#pragma once
// The program-wide values: made once in main() and handed by reference to
// every window. Nothing else in the program is global.

#include <QString>
#include <cstdint>

#include "engine/card.h"
#include "engine/deck.h"

namespace lynx {

struct ProgramValues {
  QString programDir;      // folder of the data files, no trailing separator
  QString helpFile;        // programDir + "/ZEB.HLP"
  QString lineBreak = QStringLiteral("\r\n");
  QString programTitle = QStringLiteral("LYNX Video Poker");
  QString programVersion = QStringLiteral("v4.7");
  QString aboutText;
  GameVariant gameVariant = kJacksOrBetter;
  std::int16_t soundOn = 1;     // 1 on, anything else off; never saved
  std::int32_t credits = 100;   // the credit meter
  std::int32_t borrowed = 100;  // the part of credits that is a loan
  std::int16_t largeCards = 0;  // 0 small cards, 1 large cards
  std::int16_t maxCoins = 5;
  QString helpTopic;            // the table window's help topic, e.g. "41007"
  Deck deck;
};

}  // namespace lynx
