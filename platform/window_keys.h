#pragma once
// Keys every secondary window answers the same way.

class QWidget;

namespace lynx {

// Esc and Ctrl+W close the window (a shortcut of the window, so a table or
// list inside it keeps its own keys until then).
void CloseOnKeys(QWidget* window);

}  // namespace lynx
