#pragma once
// The look of the review windows: the machine table's widget look and its
// texts of the games' figures (table/widget_look.h), and the texts only the
// review windows show.

#include <QString>

#include "table/widget_look.h"

namespace lynx {

// A probability as a percentage with at least two decimals and at least three
// significant digits: "21.46%", "0.0248%", "0.00248%".
QString ProbabilityText(double probability);

}  // namespace lynx
