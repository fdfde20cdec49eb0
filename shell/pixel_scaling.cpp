#include "shell/pixel_scaling.h"

#include <QGuiApplication>
#include <QList>
#include <QtGlobal>
#include <algorithm>
#include <cmath>

namespace lynx {

void UseWholeScaleFactors() {
  // Round rather than PassThrough (1.5 stays 1.5 and blurs or unevens the
  // pictures) or Floor (a screen set to 150% would show the machine at its
  // unscaled size, smaller than everything around it). Round gives a
  // 150% screen the double size, as the nearest whole step.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  // Qt applies the factors a user sets by hand as they are, unrounded.
  const QByteArray global = qgetenv("QT_SCALE_FACTOR");
  if (!global.isEmpty()) qputenv("QT_SCALE_FACTOR", WholeScaleFactor(global));
  const QByteArray screens = qgetenv("QT_SCREEN_SCALE_FACTORS");
  if (!screens.isEmpty()) qputenv("QT_SCREEN_SCALE_FACTORS", WholeScreenScaleFactors(screens));
}

QByteArray WholeScaleFactor(const QByteArray& factor) {
  bool ok = false;
  const double value = factor.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value) || value <= 0) return factor;
  const double whole = std::max(1.0, std::floor(value + 0.5));
  return QByteArray::number(static_cast<qint64>(std::min(whole, 64.0)));
}

QByteArray WholeScreenScaleFactors(const QByteArray& factors) {
  QList<QByteArray> entries = factors.split(';');
  for (QByteArray& entry : entries) {
    const qsizetype equals = entry.lastIndexOf('=');
    entry = entry.left(equals + 1) + WholeScaleFactor(entry.mid(equals + 1));
  }
  return entries.join(';');
}

}  // namespace lynx
