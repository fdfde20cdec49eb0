#pragma once
// Whole scale factors for the machine's pixel art. On a scaled screen every
// pixel of a card or a picture button must become a square block of screen
// pixels; at a factor like 1.5 some pixels would take one screen pixel and
// their neighbours two, and strokes of the same width would come out uneven.

#include <QByteArray>

namespace lynx {

// Rounds the scale factors Qt takes from the screen and from the
// QT_SCALE_FACTOR and QT_SCREEN_SCALE_FACTORS variables to whole numbers,
// half up (1.5 becomes 2). Call it before the QApplication is made.
void UseWholeScaleFactors();

// One factor as those variables spell it, rounded half up and at least 1
// ("1.5" gives "2", "0.5" gives "1"). Text that is no number is returned
// as it is, for Qt to judge.
QByteArray WholeScaleFactor(const QByteArray& factor);

// A QT_SCREEN_SCALE_FACTORS value ("1.5", "HDMI-1=1.5;DP-2=2.25", ...) with
// every factor rounded as WholeScaleFactor does.
QByteArray WholeScreenScaleFactors(const QByteArray& factors);

}  // namespace lynx
