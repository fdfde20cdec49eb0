#pragma once
// What every table window of the machine's look shares: the window itself
// (a dialog with a title bar only, the program's icon, the blue table and
// the classic bold font), its pictures, and the keys it calls its own.

#include <QPixmap>
#include <QString>
#include <initializer_list>

class QDialog;
class QKeyEvent;

namespace lynx {

// Room for the window manager's title bar above a table, when the table's
// size and place are weighed against the screen.
inline constexpr int kTitleBar = 30;

// Every message box of a table carries the machine's name.
inline const QString kTableTitle = QStringLiteral("LYNX Video Poker");

// A fixed single border with a title bar and no control menu or minimise
// button, the program's icon, the classic bold font at fontPoints, the blue
// of the table as its background (its surface covers the client area, so
// Qt need not erase it first), and the keyboard focus on the window itself.
void SetUpTableWindow(QDialog* window, double fontPoints);

// A picture of the table ("btn_quit", "marker_hold_small", ...). On a table
// drawn at unit window pixels to each of its pixels the picture carries
// that as its device pixel ratio, so it stands pixel for pixel at the
// table's own size.
QPixmap TablePicture(const char* name, double unit = 1);

// A key pressed without Ctrl, Alt or Meta: a letter or digit means itself,
// not a shortcut made with it.
bool PlainKey(const QKeyEvent& event);

// One of the keys every table plays by, pressed plainly: Return and Enter,
// the digits 1 to 5, and the letters A, B, C, G, H, K, M, R, S and T; or
// one of a table's own letters more.
bool TableKey(const QKeyEvent& event, std::initializer_list<int> ownKeys);

}  // namespace lynx
