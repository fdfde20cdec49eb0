#include "review/review_look.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "look/look.h"
#include "platform/window_place.h"

namespace lynx {

namespace {
// Room for a title bar over a window.
constexpr int kTitleBar = 30;
}  // namespace

QWidget* ApplyReviewLookInside(QWidget* window) {
  auto* body = new QWidget(window);
  body->setObjectName(QStringLiteral("ReviewBody"));
  ApplyReviewLook(body);
  // The widget look styles table widgets; the review windows list through
  // views of models.
  body->setStyleSheet(body->styleSheet() +
                      QStringLiteral("QTableView { background: #0000ff; color: #ffffff;"
                                     "  gridline-color: #4040ff; border: 1px solid #808080;"
                                     "  selection-background-color: #000080;"
                                     "  selection-color: #ffff00; }"));
  // Taking the window's layout moves the controls it manages onto the body.
  if (QLayout* contents = window->layout()) body->setLayout(contents);
  auto* frame = new QVBoxLayout(window);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->setSpacing(0);
  // Where the work area is smaller than the body's least size (large text
  // on a small screen), the body scrolls inside the window; elsewhere it
  // fills the window, and a screen reader meets no scroll area.
  body->ensurePolished();
  const QSize least = body->minimumSizeHint();
  const QRect area = WorkArea(window);
  if (least.width() > area.width() || least.height() + kTitleBar > area.height()) {
    auto* scroll = new QScrollArea(window);
    scroll->setObjectName(QStringLiteral("ReviewScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(body);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setAccessibleName(window->windowTitle());
    scroll->viewport()->setAccessibleName(window->windowTitle());
    frame->addWidget(scroll);
  } else {
    frame->addWidget(body);
  }

  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, kTableBlue);
  window->setPalette(palette);
  window->setAutoFillBackground(true);
  return body;
}

SteadyLabel::SteadyLabel(int lines, QWidget* parent)
    : QWidget(parent), label(new QLabel(this)), lines(lines) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize SteadyLabel::sizeHint() const {
  // The label's font is the one the window's look gives it.
  label->ensurePolished();
  const QMargins margins = label->contentsMargins();
  return {0, lines * label->fontMetrics().lineSpacing() + margins.top() + margins.bottom() +
                 2 * label->margin()};
}

QSize SteadyLabel::minimumSizeHint() const {
  return sizeHint();
}

void SteadyLabel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  label->setGeometry(rect());
}

void SetUpReviewView(QTableView* view) {
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->verticalHeader()->setVisible(false);
  view->horizontalHeader()->setHighlightSections(false);
  view->setWordWrap(false);
  // Tab moves on to the window's buttons; the arrows move within the list.
  view->setTabKeyNavigation(false);
  view->setFocusPolicy(Qt::StrongFocus);
}

}  // namespace lynx
