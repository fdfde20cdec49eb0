#include "review/session_bars.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "look/look.h"

namespace lynx {

namespace {

const QString kLeftTitle = QStringLiteral("Return");
const QString kBottomTitle = QStringLiteral("Session");
const QString kAhead = QStringLiteral("won at least the bet");
const QString kBehind = QStringLiteral("won less than the bet");
const QColor kGrid(64, 64, 255);
constexpr double kBarWidth = 0.7;  // of each bar's share of the width
constexpr int kMargin = 4;
constexpr int kGap = 4;
constexpr int kSwatch = 8;

QFont TitleFont() {
  return ClassicFont(9.75, true);
}
QFont LabelFont() {
  return ClassicFont(8.25, false);
}
QFont AxisTitleFont() {
  return ClassicFont(8.25, true);
}

QString PercentLabel(double percent) {
  return QStringLiteral("%1%").arg(static_cast<long long>(std::llround(percent)));
}

}  // namespace

SessionBars::SessionBars(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

SessionBars::Scale SessionBars::ScaleFor(double high) {
  const double reach = std::max(100.0, high) * 1.05;
  for (double power = 1;; power *= 10) {
    for (const double unit : {1.0, 2.0, 5.0}) {
      const double step = unit * power;
      const double steps = std::ceil(reach / step);
      if (steps <= 4) return {steps * step, step};
    }
  }
}

void SessionBars::SetBars(std::vector<Bar> shown, const QString& heading) {
  double high = 0;
  for (const Bar& bar : shown) high = std::max(high, bar.percent);
  const Scale next = ScaleFor(high);
  if (shown == bars && heading == title && next == scale) return;
  bars = std::move(shown);
  title = heading;
  scale = next;
  if (hovered >= static_cast<int>(bars.size())) hovered = -1;
  update();
}

QRect SessionBars::PlotArea() const {
  const QFontMetrics labels(LabelFont());
  const QFontMetrics titles(AxisTitleFont());
  const QFontMetrics heading(TitleFont());
  const int left =
      kMargin + titles.height() + kGap + labels.horizontalAdvance(PercentLabel(scale.top)) + kGap;
  const int top = kMargin + heading.height() + kGap + labels.height() / 2;
  // Below the plot: the numbers, the axis title, the legend.
  const int bottom =
      kGap + labels.height() + kGap + titles.height() + kGap + labels.height() + kMargin;
  const int right = kMargin + labels.horizontalAdvance(QStringLiteral("0000")) / 2;
  return QRect(left, top, std::max(1, width() - left - right),
               std::max(1, height() - top - bottom));
}

QRectF SessionBars::BarRect(int index) const {
  const QRect plot = PlotArea();
  const double share = static_cast<double>(plot.width()) / static_cast<double>(bars.size());
  const double percent = std::clamp(bars[static_cast<std::size_t>(index)].percent, 0.0, scale.top);
  const double height = percent / scale.top * plot.height();
  const double x = plot.left() + share * index + share * (1 - kBarWidth) / 2;
  return {x, plot.bottom() + 1 - height, share * kBarWidth, height};
}

int SessionBars::BarAt(QPoint point) const {
  if (bars.empty()) return -1;
  const QRect plot = PlotArea();
  if (!plot.contains(point)) return -1;
  const double share = static_cast<double>(plot.width()) / static_cast<double>(bars.size());
  const int index = std::min(static_cast<int>((point.x() - plot.left()) / share),
                             static_cast<int>(bars.size()) - 1);
  const QRectF bar = BarRect(index);
  return point.x() >= bar.left() && point.x() <= bar.right() ? index : -1;
}

int SessionBars::NumberEvery() const {
  if (bars.empty()) return 1;
  const QFontMetrics labels(LabelFont());
  int widest = 0;
  for (const Bar& bar : bars)
    widest = std::max(widest, labels.horizontalAdvance(QString::number(bar.number)));
  const double share = static_cast<double>(PlotArea().width()) / static_cast<double>(bars.size());
  return std::max(1, static_cast<int>(std::ceil((widest + kGap) / share)));
}

void SessionBars::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kTableBlue);
  const QRect plot = PlotArea();
  const QFontMetrics labels(LabelFont());

  painter.setPen(kTextYellow);
  painter.setFont(TitleFont());
  painter.drawText(QRect(0, kMargin, width(), QFontMetrics(TitleFont()).height()),
                   Qt::AlignHCenter | Qt::AlignTop, title);

  // The scale: grid lines and their percentages.
  painter.setFont(LabelFont());
  for (double at = 0; at <= scale.top + scale.step / 2; at += scale.step) {
    const int y = plot.bottom() - static_cast<int>(std::lround(at / scale.top * plot.height()));
    painter.setPen(kGrid);
    if (at > 0) painter.drawLine(plot.left() + 1, y, plot.right(), y);
    painter.setPen(kTextWhite);
    painter.drawText(QRect(0, y - labels.height() / 2, plot.left() - kGap, labels.height()),
                     Qt::AlignRight | Qt::AlignVCenter, PercentLabel(at));
  }
  painter.setPen(kTextWhite);
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());
  painter.drawLine(plot.bottomLeft(), plot.topLeft());

  // The bars, and the session numbers under them.
  const int every = NumberEvery();
  const int count = static_cast<int>(bars.size());
  for (int i = 0; i < count; ++i) {
    const Bar& bar = bars[static_cast<std::size_t>(i)];
    const QRectF r = BarRect(i);
    painter.fillRect(r, bar.percent >= 100 ? kTextYellow : kTextWhite);
    // The newest session is always numbered, the others counting back from it.
    if ((count - 1 - i) % every != 0) continue;
    const QRectF slot(r.center().x() - 40, plot.bottom() + kGap, 80, labels.height());
    painter.setPen(kTextWhite);
    painter.drawText(slot, Qt::AlignHCenter | Qt::AlignTop, QString::number(bar.number));
  }
  painter.setPen(QPen(kTextRed, 1, Qt::DashLine));
  const int even = plot.bottom() - static_cast<int>(std::lround(100 / scale.top * plot.height()));
  if (!bars.empty()) painter.drawLine(plot.left() + 1, even, plot.right(), even);

  // The axis titles and the legend.
  const QFontMetrics titles(AxisTitleFont());
  painter.setPen(kTextWhite);
  painter.setFont(AxisTitleFont());
  const int titleTop = plot.bottom() + kGap + labels.height() + kGap;
  painter.drawText(QRect(plot.left(), titleTop, plot.width(), titles.height()),
                   Qt::AlignHCenter | Qt::AlignTop, kBottomTitle);
  painter.save();
  painter.translate(kMargin, plot.center().y());
  painter.rotate(-90);
  painter.drawText(QRect(-plot.height() / 2, 0, plot.height(), titles.height()),
                   Qt::AlignHCenter | Qt::AlignTop, kLeftTitle);
  painter.restore();

  painter.setFont(LabelFont());
  const int legendTop = titleTop + titles.height() + kGap;
  const int aheadWidth = labels.horizontalAdvance(kAhead);
  const int behindWidth = labels.horizontalAdvance(kBehind);
  const int legendWidth = 2 * (kSwatch + kGap) + aheadWidth + 3 * kGap + behindWidth;
  int x = plot.center().x() - legendWidth / 2;
  const int swatchTop = legendTop + (labels.height() - kSwatch) / 2;
  for (const auto& [text, colour, advance] : {std::tuple{kAhead, kTextYellow, aheadWidth},
                                              std::tuple{kBehind, kTextWhite, behindWidth}}) {
    painter.fillRect(QRect(x, swatchTop, kSwatch, kSwatch), colour);
    x += kSwatch + kGap;
    painter.setPen(kTextWhite);
    painter.drawText(QRect(x, legendTop, advance, labels.height()), Qt::AlignLeft | Qt::AlignTop,
                     text);
    x += advance + 3 * kGap;
  }
}

void SessionBars::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  const int index = BarAt(event->position().toPoint());
  if (index == hovered) return;
  hovered = index;
  emit Hovered(index);
}

void SessionBars::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (hovered == -1) return;
  hovered = -1;
  emit Hovered(-1);
}

}  // namespace lynx
