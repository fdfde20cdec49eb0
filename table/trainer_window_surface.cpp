// The trainer's surface (the dealt row and the extra hands, painted pixel
// for pixel at the table's own size), its keys and its mouse.
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "cards/card_painter.h"
#include "table/actions_menu.h"
#include "table/table_controls.h"
#include "table/table_frame.h"
#include "table/trainer_geometry.h"
#include "table/trainer_window.h"

namespace lynx {

using namespace trainer_geometry;

namespace {

int CeilDiv(int a, int b) {
  return (a + b - 1) / b;
}

}  // namespace

ExtraHandsLayout LayOutExtraHands(int extraHands, QSize area) {
  ExtraHandsLayout best;
  std::int64_t bestShown = 0;
  for (int columns = 1; columns <= std::min(extraHands, 3); ++columns) {
    const int rows = CeilDiv(extraHands, columns);
    const int columnWidth = (area.width() - (columns - 1) * kExtraGap) / columns;
    const int step = std::min(kCard.width() + 4, (columnWidth - kCard.width()) / 4);
    const int cardHeight = std::min(kCard.height(), area.height() / rows - kCaptionHeight - 4);
    if (step < kLeastFanStep || cardHeight < kLeastCardHeight) continue;
    // What shows of the cards: the wider and the taller, the better.
    const std::int64_t shown =
        static_cast<std::int64_t>(4 * std::min(step, kCard.width()) + kCard.width()) * cardHeight;
    if (shown > bestShown) {
      bestShown = shown;
      best = ExtraHandsLayout{columns, rows, step, cardHeight};
    }
  }
  return best;
}

bool TrainerWindow::OwnKey(const QKeyEvent& event) {
  return TableKey(event, {Qt::Key_F, Qt::Key_N, Qt::Key_P, Qt::Key_V});
}

void TrainerWindow::ShowHelp() {
  services.help.Open(QString::fromStdString(values.helpFile), kHelpTopic);
}

void TrainerWindow::contextMenuEvent(QContextMenuEvent* event) {
  // The Menu key; the mouse's right button keeps to the table.
  if (event->reason() != QContextMenuEvent::Keyboard || leaving) {
    event->ignore();
    return;
  }
  event->accept();
  ShowActionsMenu(mapToGlobal(QPoint(kWidth / 2, cardsTop / 2)));
}

void TrainerWindow::ShowActionsMenu(const QPoint& globalPos) {
  ActionsMenu menu(this, QStringLiteral("TrainerMenu"));
  const bool dealt = machine.Dealt();
  menu.AddPlay({dealt, machine.Cards(), machine.Held(), QStringLiteral("Return"),
                tr("&Bet a coin a hand\tB"), [this] { DealOrDraw(); }, [this] { BetOne(); },
                [this] { BetMax(); }, [this](int k) { ToggleHold(k); }});
  menu.Add(tr("H&int: the best hold\tH"), [this] { Hint(); })->setEnabled(dealt);
  menu.AddCheck(tr("Strategy &coach\tK"), coachShown, [this] { ShowCoach(!coachShown); });
  menu.Add(tr("&All holds and their values\tA"), [this] { ShowAllHolds(); });
  menu.Add(tr("Strate&gy chart\tG"), [this] { ShowChart(); });
  menu.Add(tr("Game &facts: odds, variance, bankroll\tF"), [this] { emit GameFactsRequested(); });
  menu.AddSeparator();
  menu.Add(tr("&Number of hands: %1\tN").arg(machine.Hands()), [this] { NextHandCount(); })
      ->setEnabled(!dealt);
  menu.Add(tr("Card sp&eed: %1\tV").arg(QLatin1String(SpeedWord(speed))), [this] { NextSpeed(); });
  menu.Add(tr("Game and &pays...\tP"), [this] { emit SetupRequested(); });
  menu.Add(tr("Add 100 c&redits\tC"), [this] { AddCredits(); });
  menu.AddCheck(tr("&Sound\tS"), sounds.On(), [this] { sounds.Toggle(); });
  menu.AddEnd([this] { emit HistoryRequested(); }, [this] { emit StatisticsRequested(); },
              [this] { ShowHelp(); }, tr("&Leave the trainer\tEsc"), [this] { reject(); });
  menu.Exec(globalPos);
}

void TrainerWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  if (leaving) {
    event->accept();  // no play while the summary is worked out
    return;
  }
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    event->accept();
    ShowHelp();
    return;
  }
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    event->accept();
    ShowActionsMenu(mapToGlobal(QPoint(kWidth / 2, cardsTop / 2)));
    return;
  }
  if (!OwnKey(*event)) {
    QDialog::keyPressEvent(event);
    return;
  }
  event->accept();
  if (event->isAutoRepeat()) return;
  const int key = event->key();
  if (key >= Qt::Key_1 && key <= Qt::Key_5) {
    ToggleHold(key - Qt::Key_1);
    return;
  }
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      DealOrDraw();
      break;
    case Qt::Key_B:
      BetOne();
      break;
    case Qt::Key_C:
      AddCredits();
      break;
    case Qt::Key_H:
      Hint();
      break;
    case Qt::Key_A:
      ShowAllHolds();
      break;
    case Qt::Key_G:
      ShowChart();
      break;
    case Qt::Key_F:
      emit GameFactsRequested();
      break;
    case Qt::Key_K:
      ShowCoach(!coachShown);
      break;
    case Qt::Key_M:
      BetMax();
      break;
    case Qt::Key_N:
      NextHandCount();
      break;
    case Qt::Key_P:
      emit SetupRequested();
      break;
    case Qt::Key_R:
      emit HistoryRequested();
      break;
    case Qt::Key_T:
      emit StatisticsRequested();
      break;
    case Qt::Key_S:
      sounds.Toggle();
      break;
    case Qt::Key_V:
      NextSpeed();
      break;
    default:
      break;
  }
}

void TrainerWindow::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = (event->position() / unit).toPoint();
  for (int k = 0; k < 5; ++k)
    if (DealtCardRect(k).contains(at)) ToggleHold(k);
}

// ---- Surface ---------------------------------------------------------------

QRect TrainerWindow::DealtCardRect(int index) const {
  return QRect(QPoint(30 + 80 * index, cardsTop), kCard);
}

int TrainerWindow::ExtraHandWidth() const {
  return 4 * extras.step + kCard.width();
}

int TrainerWindow::ExtraRowHeight() const {
  return extras.cardHeight + kCaptionHeight + 4;
}

QRect TrainerWindow::ExtraHandRect(int hand) const {
  if (extras.columns == 0) return {};
  const int slot = hand - 1;
  return QRect(extraLeft + (ExtraHandWidth() + kExtraGap) * (slot % extras.columns),
               extraTop + ExtraRowHeight() * (slot / extras.columns), ExtraHandWidth(),
               extras.cardHeight);
}

// Under its cards, each hand's win; the dealt row's (hand 0) under it.
QRect TrainerWindow::CaptionRect(int hand) const {
  const QRect cards = hand == 0 ? DealtCardRect(0).united(DealtCardRect(4)) : ExtraHandRect(hand);
  return QRect(cards.left(), cards.bottom() + 2, cards.width(), kCaptionHeight - 1);
}

// Every hand face down.
void TrainerWindow::ClearSurface() {
  surface = QImage(QSize(kWidth, kHeight), QImage::Format_RGB32);
  surface.fill(kTableBlue);
  for (int k = 0; k < 5; ++k) {
    const QRect r = DealtCardRect(k);
    DrawCardBack(surface, r.x(), r.y());
  }
  for (int h = 1; h < machine.Hands(); ++h) PaintMiniHand(h, Hand{}, {});
}

void TrainerWindow::PaintDealtCard(int index, CardCode code, bool back) {
  const QRect r = DealtCardRect(index);
  if (back || code == kNoCard)
    DrawCardBack(surface, r.x(), r.y());
  else
    DrawCardFace(surface, r.x(), r.y(), code, machine.Rules().family);
}

// The cards of an extra hand pixel for pixel, each over the one before it,
// cut off at the foot of the hand's strip.
void TrainerWindow::PaintMiniHand(int hand, const Hand& cards, const std::array<bool, 5>& faceUp) {
  const QRect where = ExtraHandRect(hand);
  if (where.isEmpty()) return;
  QImage strip(where.size(), QImage::Format_RGB32);
  strip.fill(kTableBlue);
  for (int k = 0; k < 5; ++k) {
    const CardCode code = cards[static_cast<std::size_t>(k)];
    if (faceUp[static_cast<std::size_t>(k)] && code != kNoCard)
      DrawCardFace(strip, extras.step * k, 0, code, machine.Rules().family);
    else
      DrawCardBack(strip, extras.step * k, 0);
  }
  QPainter painter(&surface);
  painter.drawImage(where.topLeft(), strip);
  painter.fillRect(CaptionRect(hand), kTableBlue);
}

void TrainerWindow::PaintCaption(int hand, const QString& text, bool win) {
  QPainter painter(&surface);
  const QRect where = CaptionRect(hand);
  painter.fillRect(where, kTableBlue);
  painter.setFont(ClassicFont(8.25, true));
  painter.setPen(win ? kTextYellow : kTextWhite);
  painter.drawText(where, (hand == 0 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, text);
}

// The surface is drawn at the table's whole factor of screen pixels, each of
// its pixels a square block of them, never smoothed.
void TrainerWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), kTableBlue);
  painter.drawImage(QRectF(0, 0, kWidth * unit, kHeight * unit), surface);
}

}  // namespace lynx
