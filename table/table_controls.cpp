#include "table/table_controls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QStringList>

namespace lynx {

QFont ClassicFont(double pointSize, bool bold) {
  QFont font;
  // "MS Sans Serif" is a Windows bitmap face; Liberation Sans has the same
  // metrics as the Arial family that replaced it, DejaVu Sans is the last
  // resort on a bare system.
  font.setFamilies(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                               QStringLiteral("Arimo"), QStringLiteral("Arial"),
                               QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(pointSize);
  font.setBold(bold);
  return font;
}

ClassicLabel::ClassicLabel(QWidget* parent, const QString& objectName, const QRect& geometry,
                           Qt::Alignment horizontal, const QColor& back, const QColor& text,
                           const QFont& font, const QString& caption)
    : QLabel(caption, parent) {
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
  setObjectName(objectName);
  setGeometry(geometry);
  setAccessibleName(accessibleName);
  setToolTip(accessibleName);
  setScaledContents(false);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setMargin(0);
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
