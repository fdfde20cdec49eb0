#include "table/table_controls.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStringList>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

#include "table/table_accessibility.h"

namespace lynx {

ClassicLabel::ClassicLabel(QWidget* parent, const QString& objectName, const QRect& geometry,
                           Qt::Alignment horizontal, const QColor& back, const QColor& text,
                           const QFont& font, const QString& caption)
    : QLabel(parent) {
  // The text is set here rather than through QLabel's constructor: a text
  // set there makes Qt settle on a plain label's accessible interface before
  // this class exists.
  InstallAccessibleInterfaces();
  setText(caption);
  setObjectName(objectName);
  setGeometry(geometry);
  setAlignment(horizontal | Qt::AlignTop);
  setWordWrap(false);
  setMargin(0);
  setIndent(0);
  setTextFormat(Qt::PlainText);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, back);
  palette.setColor(QPalette::WindowText, text);
  setPalette(palette);
  setFont(font);
}

void ClassicLabel::SetTextColour(const QColor& colour) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, colour);
  setPalette(palette);
}

QColor ClassicLabel::TextColour() const {
  return palette().color(QPalette::WindowText);
}

void ClassicLabel::mousePressEvent(QMouseEvent* event) {
  event->accept();
  emit Pressed(event->button());
}

void ClassicLabel::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  emit Released(event->button());
}

PictureButton::PictureButton(QWidget* parent, const QString& objectName,
                             const QString& accessibleName, const QRect& geometry)
    : QLabel(parent) {
  InstallAccessibleInterfaces();
  setObjectName(objectName);
  setGeometry(geometry);
  setAccessibleName(accessibleName);
  setToolTip(accessibleName);
  setScaledContents(false);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setMargin(0);
  // Tab only: a click passes the focus on to the window (which takes it on
  // a click), so the mouse player never sees the focus frame.
  setFocusPolicy(Qt::TabFocus);
}

void PictureButton::Press() {
  emit Clicked();
}

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Nearest neighbour: the picture stays sharp at any device pixel ratio.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const QPixmap picture = pixmap();
  if (!picture.isNull()) {
    if (isEnabled()) {
      painter.drawPixmap(0, 0, picture);
    } else {
      QStyleOption option;
      option.initFrom(this);
      painter.drawPixmap(0, 0, style()->generatedIconPixmap(QIcon::Disabled, picture, &option));
    }
  }
  if (!hasFocus() || width() < 7 || height() < 7) return;
  // The focus frame: two yellow pixels at the edge, plain against the blue
  // table and the grey buttons, and a black one inside them, plain on a
  // white marker.
  const auto ring = [&painter](const QRect& r, const QColor& colour) {
    painter.fillRect(r.left(), r.top(), r.width(), 1, colour);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, colour);
    painter.fillRect(r.left(), r.top(), 1, r.height(), colour);
    painter.fillRect(r.right(), r.top(), 1, r.height(), colour);
  };
  ring(rect(), kTextYellow);
  ring(rect().adjusted(1, 1, -1, -1), kTextYellow);
  ring(rect().adjusted(2, 2, -2, -2), Qt::black);
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
  const bool plain =
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (!plain) break;
      event->accept();
      if (!event->isAutoRepeat()) Press();
      return;
    default:
      break;
  }
  // Everything else is the window's (its own keys, Tab).
  event->ignore();
}

void PictureButton::focusInEvent(QFocusEvent* event) {
  QLabel::focusInEvent(event);
  update();
}

void PictureButton::focusOutEvent(QFocusEvent* event) {
  QLabel::focusOutEvent(event);
  update();
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) leftDown = true;
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !leftDown) return;
  leftDown = false;
  if (rect().contains(event->position().toPoint())) emit Clicked();
}

HeldKeyFilter::HeldKeyFilter(QWidget* window) : QObject(window), window(window) {
  // Key events go to the focus control first, so the filter sits on the
  // application and looks at everything that belongs to the window.
  qApp->installEventFilter(this);
}

bool HeldKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::WindowDeactivate) {
    // Keys that come up elsewhere are not seen here.
    if (watched == window) keysDown.clear();
    return false;
  }
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != window) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (type == QEvent::KeyPress) {
    if (!key->isAutoRepeat()) {
      keysDown.insert(key->key());
      return false;
    }
    return !keysDown.contains(key->key());
  }
  // The releases between auto-repeated presses are marked as repeats too.
  if (!key->isAutoRepeat()) keysDown.remove(key->key());
  return false;
}

}  // namespace lynx
