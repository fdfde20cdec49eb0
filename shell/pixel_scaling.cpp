#include "shell/pixel_scaling.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QList>
#include <QScreen>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lynx {

namespace {

// Set only for the program started again at a factor that fits: the factor
// the player asked for.
constexpr char kFittedVariable[] = "LYNX_ASKED_SCALE_FACTOR";

// The table with its small cards and a title bar: the smallest machine window.
constexpr QSize kSmallestTable(550, 390 + 30);

double FactorOf(const QByteArray& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  return ok && std::isfinite(value) && value > 0 ? value : 0;
}

}  // namespace

ScaleChoice UseWholeScaleFactors() {
  // Qt rounds the screen's own factor; the nearest whole step (a 150% screen
  // gets the double size) rather than PassThrough, which would blur or
  // unevenly stretch the pictures.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  ScaleChoice choice;
  const QByteArray fitted = qgetenv(kFittedVariable);
  const QByteArray global = qgetenv("QT_SCALE_FACTOR");
  if (!fitted.isEmpty()) {
    // Started again: QT_SCALE_FACTOR already holds the factor that fits.
    qunsetenv(kFittedVariable);
    choice.asked = FactorOf(fitted) > 0 ? FactorOf(fitted) : 1;
    choice.whole = std::max(1, static_cast<int>(FactorOf(global)));
  } else if (!global.isEmpty()) {
    // Qt applies the factors a user sets by hand as they are, unrounded.
    const QByteArray whole = WholeScaleFactor(global);
    qputenv("QT_SCALE_FACTOR", whole);
    if (FactorOf(global) > 0) {
      choice.asked = FactorOf(global);
      choice.whole = static_cast<int>(FactorOf(whole));
    }
  }
  const QByteArray screens = qgetenv("QT_SCREEN_SCALE_FACTORS");
  if (!screens.isEmpty()) qputenv("QT_SCREEN_SCALE_FACTORS", WholeScreenScaleFactors(screens));
  return choice;
}

QByteArray WholeScaleFactor(const QByteArray& factor) {
  const double value = FactorOf(factor);
  if (value == 0) return factor;
  // Up, but a factor a hair above a whole number (typed as 2.0000001, or
  // the sum of an imprecise product) stays that number.
  const double whole = std::max(1.0, std::ceil(value - 1e-6));
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

int WholeFactorOnScreen(int whole, QSize area) {
  return FittingFactor(whole, area, kSmallestTable);
}

double FitScaleToScreen(const ScaleChoice& choice, char** argv) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (choice.whole > 1 && screen != nullptr) {
    const double ratio = screen->devicePixelRatio();
    const QSize area(static_cast<int>(std::lround(screen->availableGeometry().width() * ratio)),
                     static_cast<int>(std::lround(screen->availableGeometry().height() * ratio)));
    // The device pixel ratio may carry the screen's own factor besides ours.
    const double own = ratio / choice.whole;
    const QSize window(static_cast<int>(std::ceil(kSmallestTable.width() * own)),
                       static_cast<int>(std::ceil(kSmallestTable.height() * own)));
    const int fits = FittingFactor(choice.whole, area, window);
    if (fits < choice.whole && area.width() > 0 && area.height() > 0) {
      qputenv("QT_SCALE_FACTOR", QByteArray::number(fits));
      qputenv(kFittedVariable, QByteArray::number(choice.asked));
      ::execv("/proc/self/exe", argv);
      // Not started again (no /proc): go on at the factor Qt has.
      std::perror("lynx-video-poker: restart at a scale that fits");
      qunsetenv(kFittedVariable);
    }
  }
  return choice.asked / choice.whole;
}

}  // namespace lynx
