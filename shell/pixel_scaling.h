#pragma once
// Whole scale factors for the machine's pixel art. On a scaled screen every
// pixel of a card or a picture button must become a square block of screen
// pixels; at a factor like 1.5 some pixels would take one screen pixel and
// their neighbours two, and strokes of the same width would come out uneven.
//
// So the program runs at a whole factor: the asked one rounded up (1.25 and
// 1.5 give 2), or less where the table would not fit the screen at it. The
// windows made of ordinary widgets (History, Statistics, the coach, All
// Holds, the drill, the chart) follow the asked factor exactly: their text is
// zoomed by asked / whole (table/table_controls.h, StandardZoom).

#include <QByteArray>
#include <QSize>

#include "platform/window_place.h"  // FittingFactor

namespace lynx {

// What the player asked for and what the program runs at.
struct ScaleChoice {
  double asked = 1;  // QT_SCALE_FACTOR as set, 1 when unset or no number
  int whole = 1;     // the factor Qt is told to use
};

// Sets the scale factors Qt takes from the QT_SCALE_FACTOR and
// QT_SCREEN_SCALE_FACTORS variables to whole numbers, rounded up, and Qt's
// own rounding of the screen's factor to the nearest whole number. Call it
// before the QApplication is made. After a restart made by FitScaleToScreen
// it keeps the factor that fits and the factor first asked.
ScaleChoice UseWholeScaleFactors();

// One factor as those variables spell it, rounded up and at least 1
// ("1.25" gives "2", "0.5" gives "1"). Text that is no number is returned
// as it is, for Qt to judge.
QByteArray WholeScaleFactor(const QByteArray& factor);

// A QT_SCREEN_SCALE_FACTORS value ("1.5", "HDMI-1=1.5;DP-2=2.25", ...) with
// every factor rounded as WholeScaleFactor does.
QByteArray WholeScreenScaleFactors(const QByteArray& factors);

// The whole factor the program runs at when whole is asked on a screen whose
// work area is area screen pixels: the largest, up to whole, at which the
// smallest table fits.
int WholeFactorOnScreen(int whole, QSize area);

// With the application made: where the smallest table would not fit the
// screen's available area at the chosen factor, starts the program again
// (argv as main received it) at the largest factor that fits, and does not
// return. Otherwise returns the zoom of the ordinary windows, asked / whole.
double FitScaleToScreen(const ScaleChoice& choice, char** argv);

}  // namespace lynx
