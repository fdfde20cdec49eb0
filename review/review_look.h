#pragma once
// The look of the review windows: the machine table's widget look and its
// texts of the games' figures (table/widget_look.h), and the texts only the
// review windows show.

#include <QString>
#include <QWidget>

#include "look/widget_look.h"

class QLabel;
class QTableView;

namespace lynx {

// Gives a review window the table's look without handing it on to the
// message boxes and file dialogs opened over the window: a style sheet on the
// window itself would reach them too (its white text on their standard grey).
// The window's layout and the controls it holds move onto a body widget that
// carries the look; the window keeps only its blue. On a work area smaller
// than the body's least size the body scrolls in the window. Call once the
// window's layout is built. Returns the body.
QWidget* ApplyReviewLookInside(QWidget* window);

// A read-only view of whole rows in the review look, one selectable at a
// time, without the vertical header.
void SetUpReviewView(QTableView* view);

// A line of text that changes with every game kept, in a box as tall as a set
// number of its lines. A new text repaints the label only: a label placed in
// the window's layout has the whole window laid out again at each new text,
// which on the Statistics window (its charts with it) costs milliseconds a
// game.
class SteadyLabel : public QWidget {
 public:
  SteadyLabel(int lines, QWidget* parent);
  QLabel* Label() const { return label; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QLabel* label;
  int lines;
};

}  // namespace lynx
