#include "review/history_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "review/review_look.h"
#include "cards/card_painter.h"
#include "cards/card_sheet.h"  // the card sizes
#include "table/table_controls.h"

namespace lynx {
namespace {

// The list shows each hand as a fan of full-size cards cut off below their
// middle: every card covers the one before it but for its left 30 pixels, so
// the rank and suit in its corner stay readable. Held cards stand raised under
// a yellow bar.
constexpr int kFanStep = 30;
constexpr int kStripWidth = 4 * kFanStep + kCardWidth;
constexpr int kStripHeight = 60;
constexpr int kHeldBar = 3;    // height of the yellow bar over a held card
constexpr int kHeldTop = 5;    // top of a held card
constexpr int kDrawnTop = 12;  // top of a card that was drawn to

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

QString TimeText(const QDateTime& utc) {
  return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// A damaged row may name no game, or one its cards do not belong to.
QString GameCellText(const GameRecord& game) {
  if (game.damaged) return QStringLiteral("Damaged record");
  QString text = GameTitleText(game.game);
  if (game.practice)
    text += QStringLiteral(" (practice)");
  else if (game.demo)
    text += QStringLiteral(" (demo)");
  return text;
}

// The same cards whether the row is picked or not (the style would tint
// them), never smoothed on a scaled screen.
QIcon CardsIcon(const QImage& strip) {
  const QPixmap pixmap = ScreenPixmap(strip);
  QIcon icon;
  icon.addPixmap(pixmap, QIcon::Normal);
  icon.addPixmap(pixmap, QIcon::Selected);
  icon.addPixmap(pixmap, QIcon::Active);
  return icon;
}

const QString kDamagedTip = QStringLiteral(
    "This row of the history file is no game this program could have played: it is left out of "
    "the statistics and the drill.");

QTableWidgetItem* TextItem(const QString& text, Qt::Alignment alignment) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(alignment | Qt::AlignVCenter);
  return item;
}

}  // namespace

HistoryWindow::HistoryWindow(HistoryStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window), store(store) {
  setWindowTitle(QStringLiteral("LYNX Video Poker -- History"));
  ApplyReviewLook(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);

  problem = new QLabel(this);
  problem->setObjectName(QStringLiteral("Problem"));
  problem->setWordWrap(true);
  problem->setStyleSheet(QStringLiteral("color: #ffff00; font-weight: bold;"));
  problem->hide();
  layout->addWidget(problem);

  list = new QTableWidget(0, kColumnCount, this);
  list->setObjectName(QStringLiteral("GameList"));
  SetUpReviewTable(list);
  list->setHorizontalHeaderLabels({QStringLiteral("Game"), QStringLiteral("Played"),
                                   QStringLiteral("Bet"), QStringLiteral("Dealt"),
                                   QStringLiteral("After the draw"), QStringLiteral("Hand"),
                                   QStringLiteral("Won")});
  list->setIconSize(QSize(kStripWidth, kStripHeight));
  list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list->verticalHeader()->setDefaultSectionSize(kStripHeight + 4);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int widths[kColumnCount] = {150, 132, 36, kStripWidth + 6, kStripWidth + 6, 136, 52};
  for (int c = 0; c < kColumnCount; ++c) list->setColumnWidth(c, widths[c]);
  list->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(list, 1);

  gameLine = new QLabel(this);
  gameLine->setObjectName(QStringLiteral("GameLine"));
  gameLine->setFont(ClassicFont(9.75, true));
  gameLine->setStyleSheet(QStringLiteral("color: #ffff00;"));
  layout->addWidget(gameLine);

  detail = QImage(kDetailWidth, kDetailHeight, QImage::Format_RGB32);
  detail.fill(kTableBlue);
  detailView = new QLabel(this);
  detailView->setObjectName(QStringLiteral("Detail"));
  detailView->setFixedSize(detail.size());
  layout->addWidget(detailView, 0, Qt::AlignHCenter);

  auto* paging = new QHBoxLayout;
  newer = new QPushButton(QStringLiteral("< Newer"), this);
  newer->setObjectName(QStringLiteral("Newer"));
  older = new QPushButton(QStringLiteral("Older >"), this);
  older->setObjectName(QStringLiteral("Older"));
  range = new QLabel(this);
  range->setObjectName(QStringLiteral("Range"));
  range->setAlignment(Qt::AlignCenter);
  range->setFont(ClassicFont(9.75, true));
  paging->addWidget(newer);
  paging->addWidget(range, 1);
  paging->addWidget(older);
  layout->addLayout(paging);

  connect(newer, &QPushButton::clicked, this, &HistoryWindow::ShowNewer);
  connect(older, &QPushButton::clicked, this, &HistoryWindow::ShowOlder);
  connect(list, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) { ShowGame(row); });

  resize(list->columnWidth(0) + list->columnWidth(1) + list->columnWidth(2) + list->columnWidth(3) +
             list->columnWidth(4) + list->columnWidth(5) + list->columnWidth(6) + 40,
         660);
  Load(0);
}

QPoint HistoryWindow::DetailCardOrigin(bool afterDraw, int index) {
  const int hand = kDetailMargin + (afterDraw ? kDetailHandWidth + kDetailHandGap : 0);
  return {hand + index * (kCardWidth + kDetailGap), kDetailCardY};
}

void HistoryWindow::Refresh() {
  const int row = list->currentRow();
  Load(row >= 0 && row < static_cast<int>(page.size()) ? page[static_cast<std::size_t>(row)].id
                                                       : 0);
}

void HistoryWindow::ShowNewer() {
  offset = std::max<std::int64_t>(0, offset - kPageSize);
  Load(0);
}

void HistoryWindow::ShowOlder() {
  if (offset + kPageSize < store.GameCount()) offset += kPageSize;
  Load(0);
}

// Reads the page at offset (brought back onto the last page when the history
// became shorter) and picks the game pickedId, or the first one.
void HistoryWindow::Load(std::int64_t pickedId) {
  const QString why = store.Problem();
  problem->setText(why);
  problem->setVisible(!why.isEmpty());

  count = store.GameCount();
  if (offset >= count) offset = count > 0 ? (count - 1) / kPageSize * kPageSize : 0;
  page = store.Games(offset, kPageSize);

  const QSignalBlocker quiet(list);
  list->clearContents();
  list->setRowCount(static_cast<int>(page.size()));
  int picked = 0;
  for (int r = 0; r < static_cast<int>(page.size()); ++r) {
    const GameRecord& game = page[static_cast<std::size_t>(r)];
    if (game.id == pickedId) picked = r;
    list->setItem(r, kGame, TextItem(GameCellText(game), Qt::AlignLeft));
    list->setItem(r, kPlayed, TextItem(TimeText(game.playedAt), Qt::AlignLeft));
    list->setItem(r, kBet, TextItem(QString::number(game.coins), Qt::AlignRight));
    if (game.damaged) {
      // Its cards may be no cards at all: none are painted.
      for (const int c : {kDealt, kFinal, kHand}) {
        QTableWidgetItem* item = TextItem(QStringLiteral("—"), Qt::AlignHCenter);
        item->setToolTip(kDamagedTip);
        list->setItem(r, c, item);
      }
      list->item(r, kGame)->setToolTip(kDamagedTip);
    } else {
      auto* dealt = new QTableWidgetItem;
      dealt->setIcon(CardsIcon(Strip(game.dealt, game.game, game.held)));
      dealt->setToolTip(QStringLiteral("Dealt; the held cards stand raised under a yellow bar"));
      list->setItem(r, kDealt, dealt);
      auto* final = new QTableWidgetItem;
      final->setIcon(CardsIcon(Strip(game.final, game.game, 0)));
      list->setItem(r, kFinal, final);
      list->setItem(r, kHand, TextItem(RowText(game.game, game.row), Qt::AlignLeft));
    }
    list->setItem(r, kWon, TextItem(QString::number(game.won), Qt::AlignRight));
  }

  if (count == 0) {
    range->setText(QStringLiteral("No games played yet"));
  } else {
    range->setText(QStringLiteral("Games %1–%2 of %3")
                       .arg(offset + 1)
                       .arg(offset + static_cast<std::int64_t>(page.size()))
                       .arg(count));
  }
  newer->setEnabled(offset > 0);
  older->setEnabled(offset + kPageSize < count);

  if (page.empty()) {
    ShowGame(-1);
  } else {
    list->setCurrentCell(picked, kGame);
    list->scrollToItem(list->item(picked, kGame));
    ShowGame(picked);
  }
}

void HistoryWindow::ShowGame(int listRow) {
  detail.fill(kTableBlue);
  if (listRow < 0 || listRow >= static_cast<int>(page.size())) {
    gameLine->setText(QString());
    detailView->setPixmap(QPixmap::fromImage(detail));
    return;
  }
  const GameRecord& game = page[static_cast<std::size_t>(listRow)];
  if (game.damaged) {
    gameLine->setText(QStringLiteral("Game %1: damaged record, %2. %3")
                          .arg(game.id)
                          .arg(TimeText(game.playedAt), kDamagedTip));
    detailView->setPixmap(QPixmap::fromImage(detail));
    return;
  }
  QString line = QStringLiteral("Game %1: %2, %3, bet %4 — %5")
                     .arg(game.id)
                     .arg(GameCellText(game), TimeText(game.playedAt))
                     .arg(game.coins)
                     .arg(RowText(game.game, game.row));
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
  painter.setFont(ClassicFont(9.75, true));
  painter.setPen(kTextWhite);
  const QPoint dealtHand = DetailCardOrigin(false, 0);
  const QPoint finalHand = DetailCardOrigin(true, 0);
  painter.drawText(QRect(dealtHand.x(), kDetailCaptionY, kDetailHandWidth, 16), Qt::AlignLeft,
                   QStringLiteral("Dealt"));
  painter.drawText(QRect(finalHand.x(), kDetailCaptionY, kDetailHandWidth, 16), Qt::AlignLeft,
                   QStringLiteral("After the draw"));
  painter.setPen(kTextYellow);
  for (int i = 0; i < 5; ++i) {
    if (!HoldMask::FromBits(static_cast<unsigned>(game.held)).Holds(i)) continue;
    const QPoint at = DetailCardOrigin(false, i);
    painter.drawText(QRect(at.x(), kDetailTagY, kCardWidth, 16), Qt::AlignHCenter,
                     QStringLiteral("HELD"));
  }
  painter.end();
  detailView->setPixmap(QPixmap::fromImage(detail));
}

QImage HistoryWindow::Strip(const Hand& cards, GameVariant game, int held) {
  QImage strip(kStripWidth, kStripHeight, QImage::Format_RGB32);
  strip.fill(kTableBlue);
  for (int i = 0; i < 5; ++i) {
    const bool isHeld = HoldMask::FromBits(static_cast<unsigned>(held)).Holds(i);
    const int x = i * kFanStep;
    DrawCardFace(strip, x, isHeld ? kHeldTop : kDrawnTop, cards[static_cast<std::size_t>(i)], game);
    if (isHeld) {
      const int shown = i == 4 ? kCardWidth : kFanStep;
      QPainter(&strip).fillRect(x + 2, 0, shown - 4, kHeldBar, kTextYellow);
    }
  }
  return strip;
}

}  // namespace lynx
