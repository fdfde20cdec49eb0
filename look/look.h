#pragma once
// The look every window of the program shares: the machine table's colours,
// its classic sans-serif, the zoom of the windows made of ordinary widgets,
// and pixel art put on the screen without smoothing.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>

namespace lynx {

// Colours of the machine table.
inline const QColor kTableBlue{0, 0, 255};
// The darker blue of the coach panel and of the drill's card strip, set apart
// from the machine's own blue.
inline const QColor kPanelBlue{0, 0, 128};
inline const QColor kCellGrey{128, 128, 128};
inline const QColor kTextWhite{255, 255, 255};
inline const QColor kTextYellow{255, 255, 0};
inline const QColor kTextRed{255, 0, 0};

// The classic dialog sans-serif at pointSize points (e.g. 8.25, 13.5). The
// family list falls back to a metric-compatible face (Liberation Sans) where
// the original is not installed.
QFont ClassicFont(double pointSize, bool bold);

// On a screen scaled by a fraction (1.25, 1.5) the program runs at a whole
// factor for its pixel art; the windows made of ordinary widgets (the coach,
// History, Statistics, All Holds, the drill, the chart) are zoomed by the
// asked factor over the whole one, so that they stand at the asked scale.
// 1 unless the program sets it at its start.
void SetStandardZoom(double zoom);
double StandardZoom();
// ClassicFont at the zoom of those windows.
QFont StandardFont(double pointSize, bool bold);
// A length of those windows (a width, a window size) at their zoom.
int Zoomed(int length);

// image as a pixmap for the screen: on a scaled screen (whole factors only)
// enlarged pixel by pixel and marked with the factor, so that nothing
// smooths the pixel art on its way to the screen.
QPixmap ScreenPixmap(const QImage& image);

}  // namespace lynx
