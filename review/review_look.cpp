#include "review/review_look.h"

#include <algorithm>
#include <cmath>

namespace lynx {

QString ProbabilityText(double probability) {
  const double percent = probability * 100;
  int decimals = 2;
  if (percent > 0) decimals = std::max(2, 2 - static_cast<int>(std::floor(std::log10(percent))));
  return QStringLiteral("%1%").arg(percent, 0, 'f', decimals);
}

}  // namespace lynx
