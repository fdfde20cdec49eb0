#pragma once
// The chance of each end balance of a session as bars, in the review
// windows' colours: yellow above the starting bankroll, white at or below it,
// a dashed red line at the start. The balances between the 0.1% and 99.9%
// points are shown in at most kMostBins bars; the first bar holds every
// balance below them too, the last every balance above. Painted directly.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace lynx {

class EndBalanceChart final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMostBins = 60;

  // A bar: the balances from..to credits (both ends included) and the chance
  // of ending with one of them.
  struct Bin {
    std::int64_t from = 0;
    std::int64_t to = 0;
    double chance = 0;
  };

  explicit EndBalanceChart(QWidget* parent = nullptr);

  // chance[i]: the chance of ending with base + i * step credits; start:
  // the credits the session starts with. title is said over the bars.
  void SetBalances(const std::vector<double>& chance, std::int64_t base, int step,
                   std::int64_t start, const QString& title);
  // No bars, only text ("Working out...").
  void Clear(const QString& text);

  const std::vector<Bin>& Bins() const { return bins; }
  std::int64_t Start() const { return start; }
  QString Title() const { return title; }
  // Where bar index is drawn, and the x of the start line (in the bars'
  // scale: the start's place between the lowest and highest balance shown).
  QRectF BarRect(int index) const;
  double StartX() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect PlotArea() const;
  // The x of a balance in credits: the bars cover bins.front().from up to
  // the balance after bins.back().to evenly.
  double XOf(double credits) const;

  std::vector<Bin> bins;
  int slot = 1;  // credits from one balance to the next
  std::int64_t start = 0;
  QString title;
  double highest = 0;  // the largest chance of a bar
};

}  // namespace lynx
