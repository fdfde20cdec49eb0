#pragma once
// The two kinds of control the machine table is built from: classic labels
// and picture buttons, plus the colours and fonts of the table.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QObject>
#include <QRect>
#include <QSet>
#include <QString>
#include <functional>

#include "look/look.h"

class QEvent;
class QFocusEvent;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;
class QWidget;

namespace lynx {

// Window layouts are drawn up in twips; 15 twips make one pixel.
constexpr int Twips(int twips) {
  return twips / 15;
}
// Rectangle from Left, Top, Width, Height in twips.
constexpr QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

// A label drawn the classic way: text at the top of the label (horizontal
// alignment as given), opaque background in its back colour, no word wrap.
// Mouse buttons pressed or released on it stay with it (they do not fall
// through to the window underneath) and are reported by Pressed / Released.
class ClassicLabel : public QLabel {
  Q_OBJECT
 public:
  // geometry in pixels of the parent; horizontal is Qt::AlignLeft, AlignRight
  // or AlignHCenter.
  ClassicLabel(QWidget* parent, const QString& objectName, const QRect& geometry,
               Qt::Alignment horizontal, const QColor& back, const QColor& text, const QFont& font,
               const QString& caption = QString());

  // Text colour of the label.
  void SetTextColour(const QColor& colour);
  QColor TextColour() const;

  // What assistive technology reads as the label's name, asked each time it
  // is read; without one the name is the label's text.
  void SetSpokenName(std::function<QString()> source) { spokenName = std::move(source); }
  QString SpokenName() const { return spokenName ? spokenName() : text(); }

 signals:
  void Pressed(Qt::MouseButton button);
  void Released(Qt::MouseButton button);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::function<QString()> spokenName;
};

// An image control that reacts to a click: Clicked() is emitted when the left
// button is released inside the control after being pressed on it. The
// control takes the size of its picture when one is given.
//
// It is a push button to the keyboard and to assistive technology as well:
// Tab reaches it (a mouse click does not take the focus), Enter or Space
// presses it, and while it has the focus a yellow and black frame is drawn
// just inside its edge. Without the focus it shows its picture and nothing else. The
// picture is drawn pixel for pixel: on a scaled screen every pixel becomes a
// block of screen pixels, never a blend of its neighbours.
class PictureButton : public QLabel {
  Q_OBJECT
 public:
  // accessibleName doubles as the tool tip ("Quit", "Help", ...).
  PictureButton(QWidget* parent, const QString& objectName, const QString& accessibleName,
                const QRect& geometry);

  // Presses the button: emits Clicked() as a click does.
  void Press();

 signals:
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool leftDown = false;
};

// Keeps a key held down from before a window took the keyboard from acting on
// that window. Auto-repeated presses of a key reach the window (or a control
// on it) only when the same key went down there and has not come up since;
// a key held while one window closes and the next one opens (Escape held on
// the table, then a game chosen) does nothing in the new window. Made with
// the window as parent, it watches the application's key events as long as
// the window lives; a window that loses activation forgets its keys.
class HeldKeyFilter : public QObject {
  Q_OBJECT
 public:
  explicit HeldKeyFilter(QWidget* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window;
  QSet<int> keysDown;  // Qt::Key values pressed on the window, not yet released
};

}  // namespace lynx
