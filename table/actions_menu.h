#pragma once
// The menu of a table's actions (Shift+F10 or the Menu key), built alike on
// the machine table and the trainer: the play first, then what the table
// adds, then the history, statistics, help and the way out.

#include <QMenu>
#include <QString>
#include <functional>

#include "engine/deck.h"
#include "engine/hold_mask.h"

class QAction;

namespace lynx {

class ActionsMenu {
 public:
  // table must outlive the menu; it runs the entries' actions.
  ActionsMenu(QWidget* table, const QString& objectName);

  // An entry whose action runs from the table's event loop once the menu is
  // gone, so that a window it opens does not run inside the menu's own loop.
  // into: a submenu of this menu, or nullptr for the menu itself.
  QAction* Add(const QString& text, std::function<void()> action, QMenu* into = nullptr);
  // The same with a check mark.
  QAction* AddCheck(const QString& text, bool checked, std::function<void()> action);

  // Deal or draw, the two bets (only before a deal; betOneText names the
  // table's coin) and a submenu holding each of the five cards dealt,
  // checked while held; toggle(k) takes position 0..4.
  struct Play {
    bool dealt = false;
    Hand cards{};
    HoldMask held;
    QString dealKey;  // the key named beside deal and draw
    QString betOneText;
    std::function<void()> dealOrDraw, betOne, betMax;
    std::function<void(int)> toggle;
  };
  void AddPlay(const Play& play);

  // History, statistics, help and leaving (quitText), each after a line.
  void AddEnd(std::function<void()> history, std::function<void()> statistics,
              std::function<void()> help, const QString& quitText, std::function<void()> quit);

  void AddSeparator() { menu.addSeparator(); }
  void Exec(const QPoint& globalPos) { menu.exec(globalPos); }
  QMenu* Menu() { return &menu; }

 private:
  QWidget* table;
  QMenu menu;
};

}  // namespace lynx
