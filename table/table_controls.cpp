#include "table/table_controls.h"

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

}  // namespace lynx
