// The table window's two layouts (small and large cards) and the coach
// panel docked beside or below the designed area.
#include <QMouseEvent>
#include <algorithm>

#include "table/table_accessibility.h"
#include "table/table_frame.h"
#include "table/table_window.h"

namespace lynx {

namespace {

constexpr int kSmallWidth = 550;
constexpr int kSmallHeight = 390;
constexpr int kLargeWidth = 780;
constexpr int kLargeHeight = 570;
// The side panel docked below the table: its height, at least and at most.
constexpr int kPanelBelowMin = 96;
constexpr int kPanelBelowMax = 260;
constexpr int kCardTop = 237;
constexpr int kRows = 11;

// Where the layouts put things, in pixels. Buttons: a column at the right
// (small) or a row along the bottom (large), in the order Quit, Help, Sound,
// Credits, Mode, Deal/Draw, Bet $1, Max Bet.
constexpr std::array<int, 8> kSmallButtonTops{8, 50, 92, 134, 176, 230, 272, 314};
constexpr std::array<int, 8> kLargeButtonLefts{45, 125, 205, 285, 365, 500, 580, 660};
// The pay columns of the small table, and of the large table's left and
// right halves.
constexpr std::array<int, 5> kSmallPayLefts{172, 220, 268, 316, 364};
constexpr std::array<int, 5> kLeftPayLefts{130, 178, 226, 274, 322};
constexpr std::array<int, 5> kRightPayLefts{527, 575, 623, 671, 719};

void SetFontSize(QWidget* w, double points) {
  QFont f = w->font();
  f.setPointSizeF(points);
  w->setFont(f);
}

}  // namespace

void TableWindow::ApplyTableLayout() {
  const bool large = LargeLayout();
  const std::array<PictureButton*, 8> buttons{Image7,  Image6, Image5,  Image12,
                                              Image13, Image8, Image10, Image11};
  // Everything hidden while it moves, and shown again at its new place.
  std::vector<QWidget*> moved;
  for (int r = 0; r < kRows; ++r)
    for (ClassicLabel* cell : payTable.RowCells(r)) moved.push_back(cell);
  for (int j = 0; j < 6; ++j) {
    moved.push_back(Header[static_cast<std::size_t>(j)]);
    moved.push_back(Header2[static_cast<std::size_t>(j)]);
  }
  for (QWidget* w : {static_cast<QWidget*>(Label1[0]), static_cast<QWidget*>(Label1[1]),
                     static_cast<QWidget*>(Mess)})
    moved.push_back(w);
  for (PictureButton* b : buttons) moved.push_back(b);
  for (QWidget* w : moved) w->hide();

  FitSidePanel();
  for (std::size_t i = 0; i < buttons.size(); ++i)
    buttons[i]->move(large ? QPoint(kLargeButtonLefts[i], 500) : QPoint(472, kSmallButtonTops[i]));
  LayOutMeter(large);
  LayOutPayTable(large);

  Label1[0]->show();
  Label1[1]->show();
  Mess->show();
  for (PictureButton* b : buttons) b->show();
  for (int r = 0; r < kRows; ++r)
    for (ClassicLabel* cell : payTable.RowCells(r)) cell->show();
  for (int j = 0; j < 6; ++j) {
    Header[static_cast<std::size_t>(j)]->show();
    if (large) Header2[static_cast<std::size_t>(j)]->show();
    // The second heading is the large table's alone.
    LeaveOutOfTree(Header2[static_cast<std::size_t>(j)], !large);
  }

  CentreInWorkArea();
  LayOutMarkers();
}

void TableWindow::LayOutMeter(bool large) {
  if (large) {
    Label1[0]->setGeometry(Label1[0]->x(), 460, 100, 32);
    Label1[1]->setGeometry(644, 460, 120, 32);
    Mess->setGeometry(135, 446, 500, 40);
  } else {
    Label1[0]->setGeometry(Label1[0]->x(), 344, 81, 25);
    Label1[1]->setGeometry(360, 344, 95, 25);
    Mess->setGeometry(80, 334, 297, 43);
  }
  SetFontSize(Label1[0], large ? 10 : 8);
  SetFontSize(Label1[1], large ? 10 : 8);
  SetFontSize(Mess, large ? 24 : 14);
}

// The small table in one block of rows; the large one in two halves side by
// side (Joker Wild puts one row more in its left half, at a smaller pitch).
void TableWindow::LayOutPayTable(bool large) {
  const bool joker = values.gameVariant == kJokerWild;
  const bool jacks = values.gameVariant == kJacksOrBetter;
  const int firstRight = joker ? 6 : 5;
  const int pitch = joker ? 24 : 28;
  for (int r = 0; r < kRows; ++r) {
    ClassicLabel* name = Value[static_cast<std::size_t>(r)];
    if (!large) {
      // The width is left alone: a width the large layout gave stays.
      name->setGeometry(40, 40 + 14 * r, name->width(), 17);
      SetFontSize(name, 8);
      for (int c = 1; c <= 5; ++c) {
        ClassicLabel* cell = WinColumn(c)[static_cast<std::size_t>(r)];
        cell->setGeometry(kSmallPayLefts[static_cast<std::size_t>(c - 1)], 40 + 14 * r,
                          cell->width(), 17);
        SetFontSize(cell, 8);
      }
      continue;
    }
    const bool right = r >= firstRight;
    const int top = 40 + pitch * (r - (right ? firstRight : 0));
    name->setGeometry(right ? 400 : 5, top, jacks ? name->width() : 150, 24);
    SetFontSize(name, jacks ? 12 : 10);
    for (int c = 1; c <= 5; ++c) {
      ClassicLabel* cell = WinColumn(c)[static_cast<std::size_t>(r)];
      const auto k = static_cast<std::size_t>(c - 1);
      cell->setGeometry(right ? kRightPayLefts[k] : kLeftPayLefts[k], top, cell->width(), 24);
      SetFontSize(cell, 10);
    }
  }
  for (int j = 0; j < 6; ++j) {
    const auto k = static_cast<std::size_t>(j);
    if (large) {
      Header[k]->move(j == 0 ? 32 : 155 + 48 * (j - 1), Header[k]->y());
      Header2[k]->move(j == 0 ? 430 : 556 + 48 * (j - 1), Header2[k]->y());
    } else {
      Header[k]->move(j == 0 ? 72 : 200 + 48 * (j - 1), Header[k]->y());
    }
  }
}

// Markers sit just above their cards. A card held in the hand on the table
// keeps its Hold face through a change of layout.
void TableWindow::LayOutMarkers() {
  const bool largeMarkers = LargeLayout() || values.largeCards == 2;
  const std::size_t size = largeMarkers ? 1 : 0;
  cardRow.SetFaces(Image3[size]->pixmap(), Image2[size]->pixmap());
  for (int k = 0; k < 5; ++k) {
    PictureButton* marker = Image1[static_cast<std::size_t>(k)];
    marker->hide();
    const QPoint at = largeMarkers ? QPoint(48 + 152 * k, 200) : QPoint(45 + 79 * k, 205);
    const QPixmap face = MarkerFace(machine.Dealt() && machine.Held().Holds(k));
    marker->setGeometry(QRect(at, largeMarkers ? QSize(66, 33) : QSize(44, 28)));
    marker->setPixmap(face);
    marker->show();
  }
}

QPixmap TableWindow::MarkerFace(bool hold) const {
  return cardRow.Face(hold);
}

bool TableWindow::LargeFits() const {
  // With room for a title bar.
  return services.screen.AvailableHeight() >= kLargeHeight + 30;
}

QSize TableWindow::DesignedSize() const {
  return LargeLayout() ? QSize(kLargeWidth, kLargeHeight) : QSize(kSmallWidth, kSmallHeight);
}

void TableWindow::SetSidePanel(QWidget* panel) {
  if (sidePanel != nullptr && sidePanel != panel) sidePanel->deleteLater();
  sidePanel = panel;
  sidePanelWidth = panel != nullptr ? panel->width() : 0;
  sidePanelShown = false;
  if (panel != nullptr) {
    panel->setParent(this);
    panel->hide();
  }
  FitSidePanel();
}

void TableWindow::ShowSidePanel(bool shown) {
  if (sidePanel == nullptr || shown == sidePanelShown) return;
  sidePanelShown = shown;
  FitSidePanel(isVisible());
  // Before the window is on screen it opens centred as it will stand. On
  // screen the table stays where the player sees it: the window grows or
  // shrinks at its right edge.
  if (!isVisible()) CentreInWorkArea();
}

// The window is the designed area, widened by the side panel while it shows;
// the panel stands to the right of the designed area, as high as it. Where
// the screen has no room for it there (too narrow, or the table stands too
// far right), the panel is docked below the designed area, as wide as it,
// in the same window: never a window of its own that a compositor could put
// behind the table. The designed area keeps its size and place either way.
void TableWindow::FitSidePanel(bool keepPlace) {
  const QSize designed = DesignedSize();
  const bool withPanel = sidePanel != nullptr && sidePanelShown;
  const QRect area = services.screen.AvailableArea();
  const int left = keepPlace ? std::max(area.left(), x()) : area.left();
  const bool beside =
      withPanel && left + designed.width() + sidePanelWidth <= area.left() + area.width();
  // Below: what the work area leaves under the table and its title bar,
  // within reason (the panel scrolls what does not fit).
  const int below = withPanel && !beside
                        ? std::clamp(area.height() - designed.height() - kTitleBar - 8,
                                     kPanelBelowMin, kPanelBelowMax)
                        : 0;
  setFixedSize(designed + QSize(beside ? sidePanelWidth : 0, below));
  if (sidePanel == nullptr) return;
  if (below > 0) {
    sidePanel->setGeometry(0, designed.height(), designed.width(), below);
  } else {
    sidePanel->setGeometry(designed.width(), 0, sidePanelWidth, designed.height());
  }
  sidePanel->setVisible(withPanel);
}

// The window in the middle of the work area, raised where its title bar
// would push its foot out of it.
void TableWindow::CentreInWorkArea() {
  const QRect area = services.screen.AvailableArea();
  const int room = area.height() - height();
  move(area.left() + std::max(0, (area.width() - width()) / 2),
       area.top() + std::max(0, std::min(room / 2, room - kTitleBar)));
}

void TableWindow::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  event->accept();
  if (event->button() == Qt::LeftButton) {
    const bool large = LargeLayout();
    const int bottom = large ? 425 : 331;
    if (p.y() < kCardTop || p.y() > bottom) return;
    for (int k = 0; k < 5; ++k) {
      const int left = large ? 10 + 152 * k : 30 + 80 * k;
      const int right = large ? left + 144 : left + 71;
      if (p.x() >= left && p.x() <= right) {
        ToggleHold(k);
        return;
      }
    }
  } else if (event->button() == Qt::RightButton) {
    if (p.x() <= 450 && p.y() <= 200) DealOrDraw();
  }
}

}  // namespace lynx
