#include "table/chart_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "coach/tables_cache.h"
#include "look/widget_look.h"
#include "platform/window_keys.h"
#include "table/table_controls.h"

namespace lynx {

namespace {

constexpr int kNumberColumn = 0;
constexpr int kLineColumn = 1;

QString Legend(GameVariant game) {
  QString text = QStringLiteral(
      "<b>Reading the chart.</b> Hold the cards of the first line the hand fits; of several "
      "sets of cards that fit one line, hold the one with the highest cards. "
      "<b>Pat</b>: keep all five. <b>N to a ...</b>: N cards that may still become that hand. "
      "<b>Outside straight</b>: four in a row that either end completes; <b>inside</b>: one "
      "card missing in the middle. <b>N ways to fill</b>: how many different straights the "
      "cards can still become. <b>No other card of the suit</b>: none of the cards thrown away "
      "is of the suit held. ");
  if (game == kDeucesWild) {
    text += QStringLiteral(
        "<b>With 2 deuces</b>: the deuces held among the cards; <b>no deuces</b>: none held. ");
  } else {
    text += QStringLiteral("<b>High cards</b>: cards that make a paying pair (%1). ")
                .arg(game == kJokerWild ? QStringLiteral("kings or aces")
                                        : QStringLiteral("jacks, queens, kings or aces"));
  }
  if (game == kJokerWild)
    text += QStringLiteral("<b>With the joker</b>: the joker held among the cards. ");
  return text;
}

}  // namespace

StrategyChartWindow::StrategyChartWindow(TablesCache& tables, QWidget* parent)
    : QWidget(parent, Qt::Window), tables(tables) {
  setObjectName(QStringLiteral("StrategyChart"));
  setWindowTitle(QStringLiteral("LYNX Video Poker -- Strategy Chart"));
  setAttribute(Qt::WA_DeleteOnClose);
  ApplyReviewLook(this);
  auto* layout = new QVBoxLayout(this);
  caption = new QLabel(this);
  caption->setObjectName(QStringLiteral("ChartCaption"));
  caption->setWordWrap(true);
  layout->addWidget(caption);
  lines = new QTableWidget(0, 2, this);
  lines->setObjectName(QStringLiteral("ChartLines"));
  lines->setAccessibleName(QStringLiteral("Strategy chart lines"));
  lines->setHorizontalHeaderLabels({QStringLiteral("Line"), QStringLiteral("Hold")});
  SetUpReviewTable(lines);
  lines->horizontalHeader()->setStretchLastSection(true);
  lines->setColumnWidth(kNumberColumn, Zoomed(56));
  lines->verticalHeader()->setDefaultSectionSize(Zoomed(22));
  layout->addWidget(lines, 1);
  figures = new QLabel(this);
  figures->setObjectName(QStringLiteral("ChartFigures"));
  figures->setWordWrap(true);
  layout->addWidget(figures);
  auto* legend = new QLabel(this);
  legend->setObjectName(QStringLiteral("ChartLegend"));
  legend->setWordWrap(true);
  legend->setTextFormat(Qt::RichText);
  legend->setText(Legend(kJacksOrBetter));
  layout->addWidget(legend);
  CloseOnKeys(this);
  resize(Zoomed(560), Zoomed(720));
  connect(&working, &QFutureWatcher<PlayedReturn>::finished, this, [this] {
    played[workingOn] = working.result();
    workingOn = nullptr;
    ShowFigures();
  });
}

StrategyChartWindow::~StrategyChartWindow() {
  working.waitForFinished();
}

void StrategyChartWindow::Show(const StrategyChart* chart, GameVariant game, int coins, int line) {
  Show(chart, GameTitleText(game), QStringLiteral("this machine's deck"), game, coins, line);
}

void StrategyChartWindow::Show(const StrategyChart* chart, const QString& title,
                               const QString& deck, GameVariant game, int coins, int line) {
  const QString stake =
      coins == 1 ? QStringLiteral("1 coin") : QStringLiteral("%1 coins").arg(coins);
  findChild<QLabel*>(QStringLiteral("ChartLegend"))->setText(Legend(game));
  if (chart == nullptr || chart->lines.empty()) {
    shown = nullptr;
    marked = -1;
    caption->setText(
        QStringLiteral("%1, %2: the chart is still being worked out.").arg(title, stake));
    lines->setRowCount(0);
    figures->clear();
    return;
  }
  caption->setText(
      QStringLiteral("%1, %2, %3. The coach cites these lines.").arg(title, stake, deck));
  if (chart != shown) {
    shown = chart;
    lines->setRowCount(static_cast<int>(chart->lines.size()));
    for (int i = 0; i < lines->rowCount(); ++i) {
      auto* number = new QTableWidgetItem(QString::number(i + 1));
      number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      lines->setItem(i, kNumberColumn, number);
      lines->setItem(i, kLineColumn,
                     new QTableWidgetItem(
                         QString::fromStdString(chart->lines[static_cast<std::size_t>(i)].text)));
    }
    ShowFigures();
  }
  // The line of the hand on the table: selected, and marked in words for a
  // screen reader.
  if (marked >= 0 && marked < lines->rowCount())
    lines->item(marked, kNumberColumn)->setText(QString::number(marked + 1));
  marked = line >= 0 && line < lines->rowCount() ? line : -1;
  if (marked >= 0) {
    lines->item(marked, kNumberColumn)->setText(QStringLiteral("▶ %1").arg(marked + 1));
    lines->selectRow(marked);
    lines->scrollToItem(lines->item(marked, kLineColumn), QAbstractItemView::PositionAtCenter);
  } else {
    lines->clearSelection();
  }
}

void StrategyChartWindow::ShowFigures() {
  if (shown == nullptr) return;
  if (const auto found = played.find(shown); found != played.end()) {
    const PlayedReturn& r = found->second;
    figures->setText(QStringLiteral("Played by this chart, every deal returns %1%; with best "
                                    "play, %2% (%3 points more). The chart's hold is worth less "
                                    "than a best hold on %4% of the deals.")
                         .arg(r.returnRatio * 100, 0, 'f', 4)
                         .arg(r.optimalRatio * 100, 0, 'f', 4)
                         .arg((r.optimalRatio - r.returnRatio) * 100, 0, 'f', 4)
                         .arg(r.differentShare * 100, 0, 'f', 2));
    return;
  }
  figures->setText(QStringLiteral("Working out the return of this chart…"));
  if (workingOn != nullptr) return;  // one at a time; the next when it ends
  workingOn = shown;
  const StrategyChart* chart = shown;
  TablesCache* cache = &tables;
  working.setFuture(QtConcurrent::run(
      [cache, chart] { return ComputeChartReturn(cache->Wait(chart->pays.Rules()), *chart); }));
}

}  // namespace lynx
