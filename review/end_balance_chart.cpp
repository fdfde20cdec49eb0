#include "review/end_balance_chart.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <cmath>

#include "look/look.h"

namespace lynx {

namespace {

const QColor kChartGrid(64, 64, 255);
constexpr int kChartMargin = 4;
constexpr int kChartGap = 4;
// The share of the end balances left out of the bars' range on each side
// (they are counted in the first and last bar).
constexpr double kChartTail = 0.001;

QFont ChartTitleFont() {
  return StandardFont(9, true);
}
QFont ChartLabelFont() {
  return StandardFont(8.25, false);
}

QString ChartCredits(std::int64_t credits) {
  return QLocale(QLocale::English).toString(static_cast<qlonglong>(credits));
}

// The top of the chance scale in percent and its step: 1, 2 or 5 times a
// power of ten, reached in at most four steps.
std::pair<double, double> ChartScale(double highestPercent) {
  const double reach = std::max(highestPercent, 1e-9) * 1.05;
  for (double power = 1e-6;; power *= 10) {
    for (const double unit : {1.0, 2.0, 5.0}) {
      const double step = unit * power;
      const double steps = std::ceil(reach / step);
      if (steps <= 4) return {steps * step, step};
    }
  }
}

QString ChartChanceLabel(double percent, double step) {
  const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step)));
  return QStringLiteral("%1%").arg(percent, 0, 'f', decimals);
}

}  // namespace

EndBalanceChart::EndBalanceChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FactsEndBalanceChart"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Reached by Tab, so that a screen reader says what the chart shows.
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize EndBalanceChart::sizeHint() const {
  return {Zoomed(420), Zoomed(220)};
}

QSize EndBalanceChart::minimumSizeHint() const {
  return {Zoomed(260), Zoomed(150)};
}

void EndBalanceChart::SetBalances(const std::vector<double>& chance, std::int64_t base, int step,
                                  std::int64_t startCredits, const QString& heading) {
  bins.clear();
  start = startCredits;
  title = heading;
  highest = 0;
  step = std::max(step, 1);
  const auto count = static_cast<std::int64_t>(chance.size());
  if (count == 0) {
    update();
    return;
  }
  // The range shown: from the 0.1% point to the 99.9% point, the start in it.
  std::int64_t low = 0, high = count - 1;
  double cumulative = 0;
  bool lowFound = false;
  for (std::int64_t i = 0; i < count; ++i) {
    cumulative += chance[static_cast<std::size_t>(i)];
    if (!lowFound && cumulative >= kChartTail) {
      low = i;
      lowFound = true;
    }
    if (cumulative >= 1 - kChartTail) {
      high = i;
      break;
    }
  }
  const std::int64_t startIndex = std::clamp<std::int64_t>((start - base) / step, 0, count - 1);
  low = std::min(low, startIndex);
  high = std::max(high, startIndex);
  const std::int64_t span = high - low + 1;
  const std::int64_t per = (span + kMostBins - 1) / kMostBins;
  for (std::int64_t first = low; first <= high; first += per) {
    const std::int64_t last = std::min(first + per - 1, high);
    Bin bin{base + first * step, base + last * step, 0};
    const std::int64_t from = first == low ? 0 : first;
    const std::int64_t to = last == high ? count - 1 : last;
    for (std::int64_t i = from; i <= to; ++i) bin.chance += chance[static_cast<std::size_t>(i)];
    highest = std::max(highest, bin.chance);
    bins.push_back(bin);
  }
  slot = step;
  update();
}

void EndBalanceChart::Clear(const QString& text) {
  bins.clear();
  title = text;
  highest = 0;
  update();
}

QRect EndBalanceChart::PlotArea() const {
  const QFontMetrics labels(ChartLabelFont());
  const QFontMetrics heading(ChartTitleFont());
  const auto [top, step] = ChartScale(highest * 100);
  const int left = kChartMargin + labels.horizontalAdvance(ChartChanceLabel(top, step)) + kChartGap;
  const int above = kChartMargin + heading.height() + kChartGap + labels.height() / 2;
  // Below the plot: the balances, then the axis title.
  const int below = kChartGap + labels.height() + kChartGap + labels.height() + kChartMargin;
  const int right = kChartMargin + labels.horizontalAdvance(ChartCredits(999999)) / 2;
  return QRect(left, above, std::max(1, width() - left - right),
               std::max(1, height() - above - below));
}

double EndBalanceChart::XOf(double credits) const {
  const QRect plot = PlotArea();
  if (bins.empty()) return plot.left();
  const double from = static_cast<double>(bins.front().from);
  const double to = static_cast<double>(bins.back().to + slot);
  return plot.left() + (credits - from) / (to - from) * plot.width();
}

QRectF EndBalanceChart::BarRect(int index) const {
  const QRect plot = PlotArea();
  const Bin& bin = bins[static_cast<std::size_t>(index)];
  const auto [top, step] = ChartScale(highest * 100);
  const double left = XOf(static_cast<double>(bin.from));
  const double right = XOf(static_cast<double>(bin.to + slot));
  // A pixel apart where the bars are wide enough for it.
  const double width = right - left > 3 ? right - left - 1 : right - left;
  const double height = std::min(bin.chance * 100 / top, 1.0) * plot.height();
  return {left, plot.bottom() + 1 - height, width, height};
}

double EndBalanceChart::StartX() const {
  // The middle of the start's own balance.
  return XOf(static_cast<double>(start) + slot / 2.0);
}

void EndBalanceChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kTableBlue);
  const QFontMetrics labels(ChartLabelFont());
  const QFontMetrics heading(ChartTitleFont());
  painter.setPen(kTextYellow);
  painter.setFont(ChartTitleFont());
  painter.drawText(QRect(0, kChartMargin, width(), heading.height()),
                   Qt::AlignHCenter | Qt::AlignTop, title);
  if (hasFocus()) {
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(1, 1, -1, -1);
    painter.setPen(QPen(kTextYellow, 1, Qt::DotLine));
    painter.drawRect(frame.rect);
  }
  if (bins.empty()) return;

  const QRect plot = PlotArea();
  const auto [top, step] = ChartScale(highest * 100);
  painter.setFont(ChartLabelFont());
  for (double at = 0; at <= top + step / 2; at += step) {
    const int y = plot.bottom() - static_cast<int>(std::lround(at / top * plot.height()));
    painter.setPen(kChartGrid);
    if (at > 0) painter.drawLine(plot.left() + 1, y, plot.right(), y);
    painter.setPen(kTextWhite);
    painter.drawText(QRect(0, y - labels.height() / 2, plot.left() - kChartGap, labels.height()),
                     Qt::AlignRight | Qt::AlignVCenter, ChartChanceLabel(at, step));
  }
  for (int i = 0; i < static_cast<int>(bins.size()); ++i)
    painter.fillRect(BarRect(i),
                     bins[static_cast<std::size_t>(i)].from > start ? kTextYellow : kTextWhite);
  painter.setPen(kTextWhite);
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());
  painter.drawLine(plot.bottomLeft(), plot.topLeft());

  // The start, and the balances at both ends and at the start under the bars.
  const int startX = static_cast<int>(std::lround(StartX()));
  painter.setPen(QPen(kTextRed, 2, Qt::DashLine));
  painter.drawLine(startX, plot.top(), startX, plot.bottom());
  const int labelTop = plot.bottom() + kChartGap;
  const QString low = ChartCredits(bins.front().from);
  const QString high = ChartCredits(bins.back().to);
  const QString mid = ChartCredits(start);
  const int lowWidth = labels.horizontalAdvance(low);
  const int highWidth = labels.horizontalAdvance(high);
  const int midWidth = labels.horizontalAdvance(mid);
  painter.setPen(kTextWhite);
  painter.drawText(QRect(plot.left(), labelTop, lowWidth, labels.height()), Qt::AlignLeft, low);
  painter.drawText(QRect(plot.right() - highWidth, labelTop, highWidth, labels.height()),
                   Qt::AlignRight, high);
  const QRect midRect(startX - midWidth / 2, labelTop, midWidth, labels.height());
  if (midRect.left() > plot.left() + lowWidth + kChartGap &&
      midRect.right() < plot.right() - highWidth - kChartGap) {
    painter.setPen(kTextRed);
    painter.drawText(midRect, Qt::AlignHCenter, mid);
  }
  painter.setPen(kTextWhite);
  painter.setFont(StandardFont(8.25, true));
  painter.drawText(
      QRect(plot.left(), labelTop + labels.height() + kChartGap, plot.width(), labels.height()),
      Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("End balance in credits (red: the start)"));
}

}  // namespace lynx
