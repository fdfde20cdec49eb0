#pragma once
// Where the program's windows open. Every window stands inside the work area
// of its screen (the screen less its panels and docks), and a window opened
// from a table stands beside it: never over the other windows already open
// beside the table (All Holds, the chart), and not over the table's cards and
// pay table, wherever the work area has room for that. Where it has none, the
// window takes the place that covers the least of them.

#include <QMargins>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace lynx {

// The work area of the screen widget stands on (the primary screen for none
// or a widget without one), in device-independent pixels; empty without a
// screen.
QRect WorkArea(const QWidget* widget);

// The whole number of screen pixels to a device-independent pixel on the
// screen of widget (the primary screen for none); at least 1.
int ScreenFactor(const QWidget* widget);

// The largest whole factor, from wanted down to 1, at which window fits
// area (both in pixels of one kind).
int FittingFactor(int wanted, QSize area, QSize window);

// The frame of a window of frame size wanted (no smaller than least, where it
// must shrink) opened beside anchor: inside area; clear of taken (the
// windows beside anchor) and then of anchor where area has room; the larger
// the better; nearest to anchor's top right. Pure geometry, in one kind of
// pixel.
QRect PlaceBesideRect(QSize wanted, QSize least, const QRect& anchor, const QRect& area,
                      const std::vector<QRect>& taken);

// The margins the window manager puts around widget's window; where the
// window has none yet (not shown), those of like, which has.
QMargins FrameMargins(const QWidget* widget, const QWidget* like = nullptr);

// Sizes and moves window, not shown yet or shown, to stand beside from's
// window (by PlaceBesideRect, clear of the other windows shown beside it, its
// own), no smaller than least or than the window can be where the work area
// has no room for its size.
void PlaceBeside(QWidget* window, const QWidget& from, QSize least);

// Bounds window's size to the work area and centres it on over (on the work
// area for none), moved just enough to stand inside it.
void PlaceInside(QWidget* window, const QWidget* over);

}  // namespace lynx
