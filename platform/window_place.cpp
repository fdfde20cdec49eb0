#include "platform/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace lynx {

namespace {

// Room left between a window and the one it stands beside.
constexpr int kGap = 8;

const QScreen* ScreenOfWidget(const QWidget* widget) {
  const QScreen* screen = widget != nullptr ? widget->window()->screen() : nullptr;
  return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

qint64 Overlap(const QRect& a, const QRect& b) {
  const QRect both = a.intersected(b);
  return both.isEmpty() ? 0 : static_cast<qint64>(both.width()) * both.height();
}

// How far apart two rectangles stand (0 when they touch or overlap).
int Distance(const QRect& a, const QRect& b) {
  const int dx = std::max({0, b.left() - a.right() - 1, a.left() - b.right() - 1});
  const int dy = std::max({0, b.top() - a.bottom() - 1, a.top() - b.bottom() - 1});
  return dx + dy;
}

// v moved into [low, high], or to low where the range is empty.
int Into(int v, int low, int high) {
  return std::max(low, std::min(v, high));
}

QSize Extra(const QMargins& margins) {
  return {margins.left() + margins.right(), margins.top() + margins.bottom()};
}

}  // namespace

QRect WorkArea(const QWidget* widget) {
  const QScreen* screen = ScreenOfWidget(widget);
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

int ScreenFactor(const QWidget* widget) {
  const QScreen* screen = ScreenOfWidget(widget);
  return screen != nullptr ? std::max(1, static_cast<int>(std::lround(screen->devicePixelRatio())))
                           : 1;
}

int FittingFactor(int wanted, QSize area, QSize window) {
  int factor = std::max(1, wanted);
  while (factor > 1 &&
         (window.width() * factor > area.width() || window.height() * factor > area.height()))
    --factor;
  return factor;
}

QRect PlaceBesideRect(QSize wanted, QSize least, const QRect& anchor, const QRect& area,
                      const std::vector<QRect>& taken) {
  wanted = wanted.boundedTo(area.size());
  least = least.boundedTo(wanted);
  const std::vector<QSize> sizes{wanted, QSize(least.width(), wanted.height()),
                                 QSize(wanted.width(), least.height()), least};
  // Ranked by what the window covers of the others beside the anchor, then
  // of the anchor, then by its size (larger first), then by its distance
  // from the anchor's top right corner.
  using Rank = std::tuple<qint64, qint64, qint64, int>;
  QRect best;
  Rank bestRank{};
  bool found = false;
  for (const QSize& size : sizes) {
    std::vector<int> xs{anchor.right() + 1 + kGap, anchor.left() - kGap - size.width(),
                        anchor.left(), area.left(), area.right() + 1 - size.width()};
    std::vector<int> ys{anchor.top(), anchor.bottom() + 1 + kGap,
                        anchor.top() - kGap - size.height(), area.top(),
                        area.bottom() + 1 - size.height()};
    for (const QRect& other : taken) {
      xs.insert(xs.end(), {other.right() + 1 + kGap, other.left() - kGap - size.width()});
      ys.insert(ys.end(),
                {other.top(), other.bottom() + 1 + kGap, other.top() - kGap - size.height()});
    }
    for (const int x : xs) {
      for (const int y : ys) {
        QRect place(QPoint(Into(x, area.left(), area.right() + 1 - size.width()),
                           Into(y, area.top(), area.bottom() + 1 - size.height())),
                    size);
        qint64 covered = 0;
        for (const QRect& other : taken) covered += Overlap(place, other);
        const QPoint corner(anchor.right(), anchor.top());
        const Rank rank{covered, Overlap(place, anchor),
                        -static_cast<qint64>(size.width()) * size.height(),
                        Distance(place, anchor) + std::abs(place.top() - corner.y()) +
                            std::abs(place.left() - corner.x()) / 4};
        if (!found || rank < bestRank) {
          best = place;
          bestRank = rank;
          found = true;
        }
      }
    }
  }
  return best;
}

QMargins FrameMargins(const QWidget* widget, const QWidget* like) {
  for (const QWidget* w : {widget, like}) {
    if (w == nullptr || !w->window()->isVisible()) continue;
    const QRect frame = w->window()->frameGeometry();
    const QRect inner = w->window()->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
  }
  return {};
}

void PlaceBeside(QWidget* window, const QWidget& from, QSize least) {
  const QWidget* anchor = from.window();
  const QRect area = WorkArea(anchor);
  if (area.isEmpty()) return;
  const QSize extra = Extra(FrameMargins(window, anchor));
  // The windows already open beside the anchor: its own.
  std::vector<QRect> taken;
  for (const QWidget* other : anchor->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const Qt::WindowType type = other->windowType();
    if (other != window && other->isWindow() && other->isVisible() &&
        (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool))
      taken.push_back(other->frameGeometry());
  }
  // Never smaller than the window can be.
  least = least.expandedTo(window->minimumSize()).expandedTo(window->minimumSizeHint());
  const QRect frame = PlaceBesideRect(window->size().expandedTo(least) + extra, least + extra,
                                      anchor->frameGeometry(), area, taken);
  window->resize(frame.size() - extra);
  window->move(frame.topLeft());
}

void PlaceInside(QWidget* window, const QWidget* over) {
  const QRect area = WorkArea(over != nullptr ? over : window);
  if (area.isEmpty()) return;
  const QSize extra = Extra(FrameMargins(window, over));
  window->resize(window->size().boundedTo(area.size() - extra));
  QRect frame(QPoint(), window->size() + extra);
  frame.moveCenter(over != nullptr && over->window()->isVisible()
                       ? over->window()->frameGeometry().center()
                       : area.center());
  window->move(Into(frame.left(), area.left(), area.right() + 1 - frame.width()),
               Into(frame.top(), area.top(), area.bottom() + 1 - frame.height()));
}

}  // namespace lynx
