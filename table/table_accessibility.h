#pragma once
// How the machine's windows look to assistive technology (screen readers,
// AT-SPI): picture buttons are push buttons with a press action, each card
// position of the table is an element named after its card, and labels can
// carry a spoken name of their own (the pay-table cells say their row and
// stake). A hold marker is a check box, checked (as its card position is)
// while the card is held; a lit pay-table cell (the stake's column, the row
// of the hand) is selected. What the table says
// of a deal or a draw goes out as a notification, which a screen reader
// speaks wherever the keyboard focus is.

#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

class QAccessibleEvent;

#include "engine/card.h"
#include "engine/deck.h"
#include "look/widget_look.h"

namespace lynx {

class ClassicLabel;

// Registers the program's accessible interfaces with Qt; once per process,
// later calls do nothing. The controls that need them call it themselves.
// From then on a top-level window made of a plain widget (the help viewer,
// History, the chart) is a frame to assistive technology, as a main window
// is, rather than a nameless filler.
void InstallAccessibleInterfaces();

// Makes window, a window of the machine's own look (the title window, the
// table, the trainer), a frame to assistive technology that lists only what
// it has on show (see InAccessibleTree).
void MarkMachineWindow(QWidget* window);

// Where the events these controls raise for assistive technology go: to Qt,
// which hands them to the platform's bridge while assistive technology
// listens, or, once set, to sink alone (tests catch them there: the
// offscreen platform has no bridge). An empty sink gives them back to Qt.
void SetAccessibleEventSink(std::function<void(QAccessibleEvent*)> sink);

// Whether label is a cell of the pay table (a hand name Value_r or an
// amount Winc_r) with text, lit as the stake's column or the hand's row.
bool PayCellLit(const ClassicLabel& label);

// An invisible stand-in for a card drawn on a window's surface: it draws
// nothing and lets every mouse event through to the window, and exists so
// that assistive technology finds the card where it is drawn. card gives the
// card at the position, held whether it is held (then the position and its
// hold marker, when there is one, are checked), where its rectangle on the
// parent; the rectangle is taken again whenever the parent changes size (the
// card size follows the window's layout).
class CardSpot : public QWidget {
  Q_OBJECT
 public:
  CardSpot(QWidget* parent, const QString& objectName, std::function<CardCode()> card,
           std::function<bool()> held, std::function<QRect()> where, QWidget* marker = nullptr);

  // "King of Spades", or "King of Spades, held".
  QString Describe() const;
  bool Held() const { return held(); }
  QWidget* Marker() const { return marker; }
  // Tells assistive technology that the card, or whether it is held, may
  // have changed.
  void NameMayHaveChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<CardCode()> card;
  std::function<bool()> held;
  std::function<QRect()> where;
  QWidget* marker;
  bool heldTold = false;  // the hold assistive technology was last told of
};

// The notification a window gives assistive technology: never shown on
// screen (it takes no room and draws nothing), it says its text as its name
// and appears, to assistive technology, at each new text.
class Announcer : public QWidget {
  Q_OBJECT
 public:
  explicit Announcer(QWidget* window);
  QString Text() const { return text; }
  // Takes text and tells assistive technology that it appeared.
  void Say(const QString& text);

 private:
  QString text;
};

// Says text through window's announcer (made at the first call).
void Announce(QWidget* window, const QString& text);

// A stretch of a window's painted surface that assistive technology finds as
// one picture with a name of its own (an extra hand of the trainer, its
// cards and win): it draws nothing and lets every mouse event through.
class PaintedSpot : public QWidget {
  Q_OBJECT
 public:
  PaintedSpot(QWidget* parent, const QString& objectName, const QString& name);
};

// What a window of the machine shows to assistive technology: a frame whose
// children are its controls, cards and lines, less the ones left out here:
// the pictures it keeps hidden as sources, the labels of the other layout
// (the large table's second heading), the empty cells below a game's last
// pay row, and labels of a table laid out again until they are deleted.
// What is left out stays out until it is taken back (leftOut false), which
// assistive technology is told of; hidden controls that may show (the coach,
// the blinking message line) stay in the tree, as Qt keeps them, so that a
// screen reader that keeps the window's children finds them when they show.
void LeaveOutOfTree(QWidget* control, bool leftOut = true);
// Whether child is in its window's tree, as the window's interface lists it.
bool InAccessibleTree(const QWidget& child);

// What is said of a deal: "Dealt: Ace of Spades, ..., Two of Hearts." and,
// when the dealt hand already pays, the hand ("Two Pair.").
QString DealtText(const Hand& cards, const QString& paidHand);
// What is said of a draw: the cards, the win message (empty: "No win.") and
// the credit meter after it.
QString DrawnText(const Hand& cards, const QString& winMessage, std::int64_t credits);

}  // namespace lynx
