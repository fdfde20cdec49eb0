#include "look/look.h"

#include <QApplication>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace lynx {

QPixmap ScreenPixmap(const QImage& image) {
  const int factor = qRound(qApp->devicePixelRatio());
  if (factor <= 1) return QPixmap::fromImage(image);
  QPixmap pixmap = QPixmap::fromImage(
      image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  pixmap.setDevicePixelRatio(factor);
  return pixmap;
}

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

namespace {
double standardZoom = 1;
}  // namespace

void SetStandardZoom(double zoom) {
  const double before = standardZoom;
  standardZoom = std::isfinite(zoom) && zoom > 0 ? std::clamp(zoom, 0.25, 4.0) : 1.0;
  // Text that takes the application's font (message boxes, labels of the
  // ordinary windows) is zoomed with them; the machine's windows set fonts
  // of their own.
  if (qApp != nullptr && standardZoom != before) {
    QFont font = QApplication::font();
    font.setPointSizeF(font.pointSizeF() * standardZoom / before);
    QApplication::setFont(font);
  }
}

double StandardZoom() {
  return standardZoom;
}

QFont StandardFont(double pointSize, bool bold) {
  return ClassicFont(pointSize * standardZoom, bold);
}

int Zoomed(int length) {
  return static_cast<int>(std::lround(length * standardZoom));
}

}  // namespace lynx
