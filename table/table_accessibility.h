#pragma once
// How the machine's windows look to assistive technology (screen readers,
// AT-SPI): picture buttons are push buttons with a press action, each card
// position of the table is an element named after its card, and labels can
// carry a spoken name of their own (the pay-table cells say their row and
// stake).

#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

#include "engine/card.h"

namespace lynx {

// Registers the program's accessible interfaces with Qt; once per process,
// later calls do nothing. The controls that need them call it themselves.
void InstallAccessibleInterfaces();

// The spoken name of a card: "King of Spades", "Ten of Hearts", "Joker";
// "no card" for an empty position.
QString CardName(CardCode code);

// An invisible stand-in for a card drawn on a window's surface: it draws
// nothing and lets every mouse event through to the window, and exists so
// that assistive technology finds the card where it is drawn. describe gives
// its spoken name, where its rectangle on the parent; the rectangle is taken
// again whenever the parent changes size (the card size follows the window's
// layout).
class CardSpot : public QWidget {
  Q_OBJECT
 public:
  CardSpot(QWidget* parent, const QString& objectName, std::function<QString()> describe,
           std::function<QRect()> where);

  QString Describe() const { return describe(); }
  // Tells assistive technology that the name may have changed.
  void NameMayHaveChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<QString()> describe;
  std::function<QRect()> where;
};

}  // namespace lynx
