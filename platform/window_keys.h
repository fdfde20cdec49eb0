#pragma once
// Keys every secondary window answers the same way.

#include <functional>

class QKeyEvent;
class QWidget;

namespace lynx {

// Esc and Ctrl+W close the window (a shortcut of the window, so a table or
// list inside it keeps its own keys until then).
void CloseOnKeys(QWidget* window);

// Key presses in window (and the widgets in it now) that passes says belong
// to target are handed to target: a window opened beside a table, which
// takes the keyboard on compositors that give every new window the focus,
// leaves the table's own keys working.
void PassKeys(QWidget* window, QWidget* target, std::function<bool(const QKeyEvent&)> passes);

}  // namespace lynx
