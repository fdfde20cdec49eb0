#pragma once
// The line at the foot of a table: the coins bet at the left, the message
// line in the middle (large yellow text, blinking after a win on the
// machine) and the credit meter at the right, grey cells all three. Their
// names, places and fonts are the table's own.

#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>

class QWidget;

namespace lynx {

class ClassicLabel;

struct MeterLook {
  QString coinsName;    // object names; the message line is "Mess"
  QString creditsName;
  QRect message;        // where each stands at first (the layout may move them)
  QRect coins;
  QRect credits;
  QFont messageFont;
  QFont lineFont;
  QString coinsText;    // the texts at first
  QString creditsText;
};

class MeterLine {
 public:
  // The message line, the coins line and the credits line, in that order.
  // The message line reads "Message line: empty" to assistive technology
  // while it says nothing.
  MeterLine(QWidget* window, const MeterLook& look);

  // "Credits: 100".
  void WriteCredits(std::int64_t credits) const;
  // "Coins In: 5", or with more hands than one "Coins In: 5 x 10".
  void WriteCoins(int coins, int hands = 1) const;

  ClassicLabel* message = nullptr;
  ClassicLabel* coins = nullptr;
  ClassicLabel* credits = nullptr;
};

}  // namespace lynx
