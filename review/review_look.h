#pragma once
// The look of the review windows: the machine table's widget look and its
// texts of the games' figures (table/widget_look.h), and the texts only the
// review windows show.

#include <QString>

#include "table/widget_look.h"

class QTableView;
class QWidget;

namespace lynx {

// Gives a review window the table's look without handing it on to the
// message boxes and file dialogs opened over the window: a style sheet on the
// window itself would reach them too (its white text on their standard grey).
// The window's layout and the controls it holds move onto a body widget that
// carries the look; the window keeps only its blue. Call once the window's
// layout is built. Returns the body.
QWidget* ApplyReviewLookInside(QWidget* window);

// A read-only view of whole rows in the review look, one selectable at a
// time, without the vertical header.
void SetUpReviewView(QTableView* view);

// A probability as a percentage with at least two decimals and at least three
// significant digits: "21.46%", "0.0248%", "0.00248%".
QString ProbabilityText(double probability);

}  // namespace lynx
