#include "table/actions_menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>

#include "table/table_accessibility.h"

namespace lynx {

namespace {

QString Tr(const char* text) {
  return QCoreApplication::translate("lynx::ActionsMenu", text);
}

}  // namespace

ActionsMenu::ActionsMenu(QWidget* table, const QString& objectName) : table(table), menu(table) {
  menu.setObjectName(objectName);
}

QAction* ActionsMenu::Add(const QString& text, std::function<void()> action, QMenu* into) {
  QAction* entry = (into != nullptr ? into : &menu)->addAction(text);
  QObject::connect(entry, &QAction::triggered, table,
                   [this, action = std::move(action)] { QTimer::singleShot(0, table, action); });
  return entry;
}

QAction* ActionsMenu::AddCheck(const QString& text, bool checked, std::function<void()> action) {
  QAction* entry = Add(text, std::move(action));
  entry->setCheckable(true);
  entry->setChecked(checked);
  return entry;
}

void ActionsMenu::AddPlay(const Play& play) {
  Add((play.dealt ? Tr("&Draw\t%1") : Tr("&Deal\t%1")).arg(play.dealKey), play.dealOrDraw);
  Add(play.betOneText, play.betOne)->setEnabled(!play.dealt);
  Add(Tr("&Max Bet\tM"), play.betMax)->setEnabled(!play.dealt);
  QMenu* holds = menu.addMenu(Tr("H&old"));
  holds->setEnabled(play.dealt);
  for (int k = 0; k < 5; ++k) {
    const QString card = CardName(play.cards[static_cast<std::size_t>(k)]);
    QAction* hold = Add(
        Tr("Card &%1: %2\t%1").arg(k + 1).arg(card), [toggle = play.toggle, k] { toggle(k); },
        holds);
    hold->setCheckable(true);
    hold->setChecked(play.dealt && play.held.Holds(k));
  }
  menu.addSeparator();
}

void ActionsMenu::AddEnd(std::function<void()> history, std::function<void()> statistics,
                         std::function<void()> help, const QString& quitText,
                         std::function<void()> quit) {
  menu.addSeparator();
  Add(Tr("Game histor&y\tR"), std::move(history));
  Add(Tr("S&tatistics\tT"), std::move(statistics));
  menu.addSeparator();
  Add(Tr("&Help\tF1"), std::move(help));
  Add(quitText, std::move(quit));
}

}  // namespace lynx
