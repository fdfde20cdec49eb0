#include "review/history_window.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include "cards/card_painter.h"
#include "cards/card_sheet.h"  // the card sizes
#include "engine/hold_mask.h"
#include "look/look.h"
#include "platform/window_keys.h"
#include "review/review_look.h"

namespace lynx {
namespace {

// The detail area: two hands of five full-size cards, "HELD" over held ones.
constexpr int kDetailMargin = 8;
constexpr int kDetailGap = 8;       // between two cards
constexpr int kDetailHandGap = 40;  // between the two hands
constexpr int kDetailHandWidth = 5 * kCardWidth + 4 * kDetailGap;
constexpr int kDetailCaptionY = 2;
constexpr int kDetailTagY = 20;
constexpr int kDetailCardY = 38;
constexpr int kDetailWidth = 2 * kDetailMargin + 2 * kDetailHandWidth + kDetailHandGap;
constexpr int kDetailHeight = kDetailCardY + kCardHeight + 4;

}  // namespace

HistoryWindow::HistoryWindow(HistoryStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window), games(new HistoryModel(store, this)), store(store) {
  setWindowTitle(QStringLiteral("LYNX Video Poker -- History"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);

  problem = new QLabel(this);
  problem->setObjectName(QStringLiteral("Problem"));
  problem->setWordWrap(true);
  problem->setStyleSheet(QStringLiteral("color: #ffff00; font-weight: bold;"));
  problem->hide();
  layout->addWidget(problem);

  list = new QTableView(this);
  list->setObjectName(QStringLiteral("GameList"));
  list->setAccessibleName(QStringLiteral("Games played, newest first"));
  list->setModel(games);
  SetUpReviewView(list);
  list->setIconSize(HistoryModel::StripSize());
  // Rows of one height: the view then asks only for the rows it shows.
  list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list->verticalHeader()->setDefaultSectionSize(HistoryModel::StripSize().height() + 4);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int strip = HistoryModel::StripSize().width() + 6;
  const int widths[HistoryModel::kColumnCount] = {150, 132, 36, strip, strip, 136, 52};
  int width = 40;
  for (int c = 0; c < HistoryModel::kColumnCount; ++c) {
    list->setColumnWidth(c, widths[c]);
    width += widths[c];
  }
  list->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(list, 1);

  gameLine = new QLabel(this);
  gameLine->setObjectName(QStringLiteral("GameLine"));
  gameLine->setFont(StandardFont(9.75, true));
  gameLine->setStyleSheet(QStringLiteral("color: #ffff00;"));
  layout->addWidget(gameLine);

  detail = QImage(kDetailWidth, kDetailHeight, QImage::Format_RGB32);
  detail.fill(kTableBlue);
  detailView = new QLabel(this);
  detailView->setObjectName(QStringLiteral("Detail"));
  detailView->setFixedSize(detail.size());
  layout->addWidget(detailView, 0, Qt::AlignHCenter);

  auto* countBox = new SteadyLabel(1, this);
  countLine = countBox->Label();
  countLine->setObjectName(QStringLiteral("Count"));
  countLine->setAlignment(Qt::AlignCenter);
  countLine->setFont(StandardFont(9.75, true));
  layout->addWidget(countBox);

  ApplyReviewLookInside(this);
  CloseOnKeys(this);
  connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { ShowGame(current); });
  connect(games, &QAbstractItemModel::modelReset, this, &HistoryWindow::PickFirst);
  resize(width, 660);
  CatchUp();
  PickFirst();
}

QPoint HistoryWindow::DetailCardOrigin(bool afterDraw, int index) {
  const int hand = kDetailMargin + (afterDraw ? kDetailHandWidth + kDetailHandGap : 0);
  return {hand + index * (kCardWidth + kDetailGap), kDetailCardY};
}

void HistoryWindow::Refresh() {
  if (isVisible())
    CatchUp();
  else
    stale = true;
}

void HistoryWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale) CatchUp();
}

// Reads the games kept since the list was last read; the selection moves
// down with the game picked.
void HistoryWindow::CatchUp() {
  stale = false;
  const QString why = store.Problem();
  problem->setText(why);
  problem->setVisible(!why.isEmpty());

  games->Update();
  const std::int64_t count = games->Count();
  countLine->setText(count == 0   ? QStringLiteral("No games played yet")
                     : count == 1 ? QStringLiteral("1 game")
                                  : QStringLiteral("%1 games, newest first").arg(count));
}

// After the list was read from the top: the newest game.
void HistoryWindow::PickFirst() {
  if (games->rowCount() == 0) {
    ShowGame({});
    return;
  }
  const QModelIndex first = games->index(0, HistoryModel::kGame);
  list->selectionModel()->setCurrentIndex(
      first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list->scrollToTop();
  ShowGame(first);
}

void HistoryWindow::ShowGame(const QModelIndex& current) {
  detail.fill(kTableBlue);
  if (!current.isValid() || current.row() >= games->rowCount()) {
    gameLine->setText(QString());
    detailView->setPixmap(QPixmap::fromImage(detail));
    detailView->setAccessibleName(QStringLiteral("No game picked"));
    return;
  }
  const GameRecord& game = games->Game(current.row());
  if (game.damaged) {
    gameLine->setText(QStringLiteral("Game %1: damaged record, %2. %3")
                          .arg(game.id)
                          .arg(PlayedAtText(game.playedAt), DamagedRecordText()));
    detailView->setPixmap(QPixmap::fromImage(detail));
    detailView->setAccessibleName(QStringLiteral("Damaged record"));
    return;
  }
  QString line = QStringLiteral("Game %1: %2, %3, bet %4 — %5")
                     .arg(game.id)
                     .arg(GameCellText(game), PlayedAtText(game.playedAt))
                     .arg(game.coins)
                     .arg(HandRowText(game));
  if (game.won > 0) line += QStringLiteral(", won %1").arg(game.won);
  line += QStringLiteral("; credits %1").arg(game.creditsAfter);
  gameLine->setText(line);

  for (int i = 0; i < 5; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const QPoint dealtAt = DetailCardOrigin(false, i);
    const QPoint finalAt = DetailCardOrigin(true, i);
    DrawCardFace(detail, dealtAt.x(), dealtAt.y(), game.dealt[at], game.game);
    DrawCardFace(detail, finalAt.x(), finalAt.y(), game.final[at], game.game);
  }
  QPainter painter(&detail);
  painter.setFont(StandardFont(9.75, true));
  painter.setPen(kTextWhite);
  const QPoint dealtHand = DetailCardOrigin(false, 0);
  const QPoint finalHand = DetailCardOrigin(true, 0);
  painter.drawText(QRect(dealtHand.x(), kDetailCaptionY, kDetailHandWidth, 16), Qt::AlignLeft,
                   QStringLiteral("Dealt"));
  painter.drawText(QRect(finalHand.x(), kDetailCaptionY, kDetailHandWidth, 16), Qt::AlignLeft,
                   QStringLiteral("After the draw"));
  painter.setPen(kTextYellow);
  const HoldMask holds = HoldMask::FromBits(static_cast<unsigned>(game.held));
  for (int i = 0; i < 5; ++i) {
    if (!holds.Holds(i)) continue;
    const QPoint at = DetailCardOrigin(false, i);
    painter.drawText(QRect(at.x(), kDetailTagY, kCardWidth, 16), Qt::AlignHCenter,
                     QStringLiteral("HELD"));
  }
  painter.end();
  detailView->setPixmap(QPixmap::fromImage(detail));
  detailView->setAccessibleName(QStringLiteral("Dealt: %1. After the draw: %2")
                                    .arg(HistoryModel::SpokenCards(game.dealt, game.held),
                                         HistoryModel::SpokenCards(game.final)));
}

}  // namespace lynx
