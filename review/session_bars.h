#pragma once
// The return of each of the last sessions as a bar, in the review windows'
// colours: yellow where a session won at least what was bet, white where it
// won less, a dashed red line at 100%, the percent scale on the left and the
// session numbers below (as many as fit without touching). It is painted
// directly, with plain text: a kept game or a new session costs one paint,
// not the layout of a chart's rich-text labels.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace lynx {

class SessionBars final : public QWidget {
  Q_OBJECT
 public:
  struct Bar {
    std::int64_t number = 0;  // the session's number, 1 for the first
    double percent = 0;       // won over bet, in percent
    bool operator==(const Bar&) const = default;
  };
  // The percent scale: 0 to top, a line every step.
  struct Scale {
    double top = 150;
    double step = 50;
    bool operator==(const Scale&) const = default;
  };

  explicit SessionBars(QWidget* parent = nullptr);

  // Shows bars, oldest first, under title; repaints only what changed.
  void SetBars(std::vector<Bar> bars, const QString& title);
  const std::vector<Bar>& Bars() const { return bars; }
  QString Title() const { return title; }
  Scale Shown() const { return scale; }

  // The scale for bars up to high percent (100% always shows): the smallest
  // step of 1, 2 or 5 times a power of ten that reaches 5% above high in at
  // most four steps.
  static Scale ScaleFor(double high);
  // Where bar index is drawn, and the bar under a point (-1 for none).
  QRectF BarRect(int index) const;
  int BarAt(QPoint point) const;
  // Every how many bars a session number is written: as often as the
  // numbers fit side by side.
  int NumberEvery() const;

  QSize sizeHint() const override { return {380, 250}; }
  QSize minimumSizeHint() const override { return {200, 160}; }

 signals:
  // The pointer moved onto bar index (-1: off the bars).
  void Hovered(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QRect PlotArea() const;

  std::vector<Bar> bars;
  QString title;
  Scale scale;
  int hovered = -1;
};

}  // namespace lynx
