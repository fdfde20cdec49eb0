#pragma once
// The popup menu a key is about to open, looked at and answered from inside
// its own event loop.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace lynx::testing_support {

// Call before the key that opens a popup menu: once the menu is up, the texts
// of its entries go to entries and act runs on it (to press a key in it).
inline void InPopupMenu(QStringList& entries, const std::function<void(QMenu&)>& act) {
  QTimer::singleShot(0, [&entries, act] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    entries.clear();
    for (QAction* entry : menu->actions()) entries << entry->text();
    act(*menu);
  });
}

}  // namespace lynx::testing_support
