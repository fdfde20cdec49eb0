#include "review/statistics_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDir>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "engine/game_rules.h"
#include "engine/paytable.h"
#include "look/look.h"
#include "platform/history_csv.h"
#include "platform/window_keys.h"
#include "review/best_play_cache.h"
#include "review/csv_export.h"
#include "review/review_look.h"
#include "review/statistics_model.h"

namespace lynx {
namespace {


// A view of figures that are read, not picked.
QTableView* FiguresView(QAbstractItemModel* model, QWidget* parent) {
  auto* view = new QTableView(parent);
  view->setModel(model);
  SetUpReviewView(view);
  view->setSelectionMode(QAbstractItemView::NoSelection);
  return view;
}

// Room for the header and every row, without scroll bars.
void FitHeight(QTableView* table) {
  const int height = table->horizontalHeader()->sizeHint().height() +
                     table->model()->rowCount() * table->verticalHeader()->defaultSectionSize() +
                     2 * table->frameWidth();
  table->setFixedHeight(height);
  table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

// The charts in the table's colours.
QChart* MakeChart(const QString& title) {
  auto* chart = new QChart;
  chart->setBackgroundBrush(kTableBlue);
  chart->setBackgroundRoundness(0);
  chart->setPlotAreaBackgroundVisible(false);
  chart->setTitle(title);
  chart->setTitleBrush(kTextYellow);
  chart->setTitleFont(ClassicFont(9.75, true));
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->legend()->setLabelColor(kTextWhite);
  chart->legend()->setFont(ClassicFont(8.25, false));
  return chart;
}

void StyleAxis(QAbstractAxis* axis, const QString& title) {
  axis->setLabelsBrush(kTextWhite);
  axis->setLabelsFont(ClassicFont(8.25, false));
  axis->setLinePen(QPen(kTextWhite));
  axis->setGridLinePen(QPen(QColor(64, 64, 255)));
  axis->setTitleText(title);
  axis->setTitleBrush(kTextWhite);
  axis->setTitleFont(ClassicFont(8.25, true));
}

// A new title lays the chart out again: only when it changes.
void SetTitle(QChart* chart, const QString& title) {
  if (chart->title() != title) chart->setTitle(title);
}

QChartView* MakeView(QChart* chart, QWidget* parent) {
  auto* view = new QChartView(chart, parent);
  view->setRenderHint(QPainter::Antialiasing);
  view->setBackgroundBrush(kTableBlue);
  view->setFrameShape(QFrame::NoFrame);
  // A kept game moves a few bars and points: without an index of where the
  // items are, the scene need not keep one up to date for every move.
  view->scene()->setItemIndexMethod(QGraphicsScene::NoIndex);
  return view;
}

// A chart is one picture to assistive technology: its name and, as its
// description, what it shows in words. The drawing surface inside the view is
// no object of its own.
class ChartViewInterface : public QAccessibleWidget {
 public:
  explicit ChartViewInterface(QWidget* view) : QAccessibleWidget(view, QAccessible::Chart) {}
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

const QString kBalanceChart = QStringLiteral("BalanceChart");
const QString kSessionChart = QStringLiteral("SessionChart");

QAccessibleInterface* ChartFactory(const QString& className, QObject* object) {
  if (className != QLatin1String(QChartView::staticMetaObject.className()) &&
      className != QLatin1String(SessionBars::staticMetaObject.className()))
    return nullptr;
  const QString name = object->objectName();
  if (name != kBalanceChart && name != kSessionChart) return nullptr;
  return new ChartViewInterface(static_cast<QWidget*>(object));
}

QString Count(std::int64_t n) {
  return QLocale(QLocale::English).toString(n);
}

// The balance chart in words: the games it covers, the first and last credits
// of its line and the lowest and highest.
QString BalanceSummary(const std::vector<std::int32_t>& series, std::int64_t games) {
  if (series.empty()) return QStringLiteral("No games yet.");
  if (games == 1) return QStringLiteral("Credits after the one game: %1.").arg(Count(series[0]));
  const auto [low, high] = std::minmax_element(series.begin(), series.end());
  return QStringLiteral(
             "Credits over %1 games: %2 after the first, %3 after the last; lowest %4, highest %5.")
      .arg(Count(games), Count(series.front()), Count(series.back()), Count(*low), Count(*high));
}

// The session bars in words: how many sessions, how many won at least what
// was bet, the best, the worst and the last. first: the number of sessions
// before those shown; total: every session.
QString SessionSummary(const std::vector<SessionReturn>& shown, std::size_t first,
                       std::size_t total) {
  if (shown.empty()) return QStringLiteral("No sessions yet.");
  auto percent = [](const SessionReturn& s) {
    return s.coinsBet > 0 ? static_cast<double>(s.won) / static_cast<double>(s.coinsBet) : 0.0;
  };
  auto said = [&](std::size_t i) {
    return QStringLiteral("session %1, %2")
        .arg(first + i + 1)
        .arg(
            PercentText(static_cast<double>(shown[i].won), static_cast<double>(shown[i].coinsBet)));
  };
  if (total == 1) return QStringLiteral("Return of 1 session: %1.").arg(said(0));
  std::size_t best = 0;
  std::size_t worst = 0;
  std::size_t ahead = 0;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (percent(shown[i]) > percent(shown[best])) best = i;
    if (percent(shown[i]) < percent(shown[worst])) worst = i;
    if (percent(shown[i]) >= 1) ++ahead;
  }
  const QString which =
      shown.size() == total
          ? QStringLiteral("%1 sessions").arg(total)
          : QStringLiteral("the last %1 of %2 sessions").arg(shown.size()).arg(total);
  return QStringLiteral("Return of %1: %2 won at least the bet. Best %3; worst %4; last %5.")
      .arg(which)
      .arg(ahead)
      .arg(said(best), said(worst), said(shown.size() - 1));
}

// A description set only when it changes: each change is news to assistive
// technology.
void Describe(QWidget* widget, const QString& text) {
  if (widget->accessibleDescription() != text) widget->setAccessibleDescription(text);
}

std::int64_t CoinsBet(const GameStatistics& figures) {
  return std::accumulate(figures.coinsByStake.begin(), figures.coinsByStake.end(), std::int64_t{0});
}

// The nice range around low..high the axis would take, as its minimum,
// maximum and tick count. The rounding is done on an axis of no chart: a
// chart's axis lays the chart out again at each change.
struct AxisRange {
  double min;
  double max;
  int ticks;
  bool operator==(const AxisRange&) const = default;
};

AxisRange NiceRange(const QValueAxis* axis, double low, double high) {
  QValueAxis rounding;
  rounding.setTickCount(axis->tickCount());
  rounding.setRange(low, high);
  rounding.applyNiceNumbers();
  return {rounding.min(), rounding.max(), rounding.tickCount()};
}

AxisRange Shown(const QValueAxis* axis) {
  return {axis->min(), axis->max(), axis->tickCount()};
}

// Sets the axis to a range, changing only what differs: a range that stays
// (nearly every game of a long history) lays out nothing.
void SetRange(QValueAxis* axis, const AxisRange& range) {
  if (range.ticks != axis->tickCount()) axis->setTickCount(range.ticks);
  if (range.min != axis->min() || range.max != axis->max()) axis->setRange(range.min, range.max);
}

// Whether a line drawn in the plot area would move anywhere by half a pixel
// or more from the one shown, on the same axes.
bool MovesVisibly(const QList<QPointF>& shown, const QList<QPointF>& line, const QRectF& plot,
                  const AxisRange& x, const AxisRange& y) {
  if (shown.size() != line.size() || plot.isEmpty()) return true;
  const double xScale = plot.width() / (x.max - x.min);
  const double yScale = plot.height() / (y.max - y.min);
  for (qsizetype k = 0; k < line.size(); ++k) {
    if (std::abs(line[k].x() - shown[k].x()) * xScale >= 0.5 ||
        std::abs(line[k].y() - shown[k].y()) * yScale >= 0.5)
      return true;
  }
  return false;
}

}  // namespace

StatisticsWindow::StatisticsWindow(HistoryStore& store, Dialogs& dialogs, BestPlayCache& bestPlay,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), store(store), dialogs(dialogs), bestPlay(bestPlay) {
  static const bool chartsAccessible = [] {
    QAccessible::installFactory(ChartFactory);
    return true;
  }();
  (void)chartsAccessible;
  setWindowTitle(QStringLiteral("LYNX Video Poker -- Statistics"));

  auto* columns = new QHBoxLayout(this);
  columns->setContentsMargins(8, 8, 8, 8);
  columns->setSpacing(10);
  // The figures on the left, the charts one above the other on the right.
  auto* left = new QVBoxLayout;
  left->setSpacing(6);
  columns->addLayout(left);
  MakeSummary(left);
  MakeRowTabs(left);
  MakeNoteAndButtons(left);
  auto* right = new QVBoxLayout;
  right->setSpacing(6);
  columns->addLayout(right, 1);
  MakeBalanceChart(right);
  MakeSessionBars(right);

  ApplyReviewLookInside(this)->setAccessibleName(QStringLiteral("Statistics"));
  CloseOnKeys(this);
  connect(&bestPlay, &BestPlayCache::Ready, this, &StatisticsWindow::ShowBestPlay);
  resize(996, 590);
  Read();
}

// The line that says a problem of the history, and the figures by game.
void StatisticsWindow::MakeSummary(QVBoxLayout* left) {
  problem = new QLabel(this);
  problem->setObjectName(QStringLiteral("Problem"));
  problem->setWordWrap(true);
  problem->setStyleSheet(QStringLiteral("color: #ffff00; font-weight: bold;"));
  problem->hide();
  left->addWidget(problem);

  summaryFigures = new SummaryModel(this);
  summary = FiguresView(summaryFigures, this);
  summary->setObjectName(QStringLiteral("Summary"));
  summary->setAccessibleName(QStringLiteral("Figures by game"));
  const int summaryWidths[SummaryModel::kColumnCount] = {112, 50, 72, 60, 66, 84, 92};
  for (int c = 0; c < SummaryModel::kColumnCount; ++c) summary->setColumnWidth(c, summaryWidths[c]);
  summary->verticalHeader()->setDefaultSectionSize(22);
  FitHeight(summary);
  summary->setFixedWidth(std::accumulate(std::begin(summaryWidths), std::end(summaryWidths), 0) +
                         2 * summary->frameWidth());
  left->addWidget(summary);
}

// How often each hand came up, a tab per game, and the trainer's tables in a
// tab of their own.
void StatisticsWindow::MakeRowTabs(QVBoxLayout* left) {
  auto* rowsTitle = new QLabel(QStringLiteral("How often each hand came up"), this);
  rowsTitle->setFont(ClassicFont(9.75, true));
  rowsTitle->setStyleSheet(QStringLiteral("color: #ffff00;"));
  left->addWidget(rowsTitle);

  rowTabs = new QTabWidget(this);
  rowTabs->setObjectName(QStringLiteral("RowTabs"));
  rowTabs->setAccessibleName(rowsTitle->text());
  for (int g = 0; g < 3; ++g) {
    const auto at = static_cast<std::size_t>(g);
    rowFigures[at] = new PayRowsModel(kMachineGames[g], this);
    QTableView* grid = FiguresView(rowFigures[at], rowTabs);
    const int widths[PayRowsModel::kColumnCount] = {180, 90, 110, 150};
    for (int c = 0; c < PayRowsModel::kColumnCount; ++c) grid->setColumnWidth(c, widths[c]);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->verticalHeader()->setDefaultSectionSize(21);
    grid->setAccessibleName(
        QStringLiteral("%1: %2").arg(rowsTitle->text(), GameTitleText(kMachineGames[g])));
    rows[at] = grid;
    rowTabs->addTab(grid, GameTitleText(kMachineGames[g]));
  }
  // The trainer's tables, each with its own figures.
  trainerTables = new QTableWidget(0, 9, rowTabs);
  trainerTables->setObjectName(QStringLiteral("TrainerTables"));
  trainerTables->setHorizontalHeaderLabels(
      {QStringLiteral("Game"), QStringLiteral("Table"), QStringLiteral("Hands"),
       QStringLiteral("Played"), QStringLiteral("Bet"), QStringLiteral("Won"),
       QStringLiteral("Return"), QStringLiteral("Your holds"), QStringLiteral("Best play")});
  SetUpReviewTable(trainerTables);
  trainerTables->setAccessibleName(QStringLiteral("Figures by trainer table"));
  rowTabs->addTab(trainerTables, QStringLiteral("Trainer tables"));
  // Tall enough for the longest table (Joker Wild's eleven rows).
  FitHeight(rows[1]);
  rowTabs->setFixedHeight(rows[1]->height() + rowTabs->tabBar()->sizeHint().height() + 4);
  left->addWidget(rowTabs);
}

// What best play means here, the export and practice buttons, and the
// coach's figures.
void StatisticsWindow::MakeNoteAndButtons(QVBoxLayout* left) {
  note = new QLabel(
      QStringLiteral("Best play: the return, and how often each hand comes up, when every deal "
                     "is held the best way for its stake. Each is worked out for every stake "
                     "from one coin to five (five coins pay more for a royal flush, so best play "
                     "differs) and weighed by what you bet: the return by the coins bet at each "
                     "stake, the hands by the hands played at each. Joker Wild on this machine's "
                     "deck, where the joker takes the place of one card."),
      this);
  note->setObjectName(QStringLiteral("BestPlayNote"));
  note->setWordWrap(true);
  note->setFont(ClassicFont(8.25, false));
  left->addWidget(note);
  left->addStretch(1);

  auto* exportRow = new QHBoxLayout;
  exportButton = new QPushButton(QStringLiteral("Export CSV…"), this);
  exportButton->setObjectName(QStringLiteral("ExportCsv"));
  exportButton->setToolTip(QStringLiteral("Write every game played to a CSV file"));
  exportRow->addWidget(exportButton);
  practiseButton = new QPushButton(QStringLiteral("Practise my mistakes"), this);
  practiseButton->setObjectName(QStringLiteral("PractiseMistakes"));
  practiseButton->setToolTip(
      QStringLiteral("Deal again, as practice paying nothing, the last %1 hands held worse than "
                     "best play")
          .arg(kPracticeHands));
  exportRow->addWidget(practiseButton);
  auto* errorLogButton = new QPushButton(QStringLiteral("Error log"), this);
  errorLogButton->setObjectName(QStringLiteral("ErrorLogButton"));
  errorLogButton->setToolTip(
      QStringLiteral("Every mistake of the whole history, by game, table, session, date and "
                     "chart line"));
  exportRow->addWidget(errorLogButton);
  exportRow->addStretch(1);
  connect(errorLogButton, &QPushButton::clicked, this, &StatisticsWindow::ErrorLogRequested);
  left->addLayout(exportRow);
  connect(exportButton, &QPushButton::clicked, this, &StatisticsWindow::ExportCsv);
  connect(practiseButton, &QPushButton::clicked, this, &StatisticsWindow::PractiseRequested);
  // Room for the longest figures (three lines at this column's width).
  auto* coachBox = new SteadyLabel(3, this);
  coachBox->setAccessibleName(QStringLiteral("Strategy coach"));
  coachLine = coachBox->Label();
  coachLine->setObjectName(QStringLiteral("CoachFigures"));
  coachLine->setWordWrap(true);
  coachLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  left->addWidget(coachBox);
}

// The credits after each game.
void StatisticsWindow::MakeBalanceChart(QVBoxLayout* right) {
  balanceChart = MakeChart(QStringLiteral("Credits after each game"));
  balanceChart->legend()->hide();
  balanceLine = new QLineSeries(balanceChart);
  balanceLine->setPen(QPen(kTextYellow, 2));
  balanceChart->addSeries(balanceLine);
  auto* gameAxis = new QValueAxis(balanceChart);
  gameAxis->setLabelFormat(QStringLiteral("%d"));
  StyleAxis(gameAxis, QStringLiteral("Game"));
  auto* creditAxis = new QValueAxis(balanceChart);
  creditAxis->setLabelFormat(QStringLiteral("%d"));
  StyleAxis(creditAxis, QStringLiteral("Credits"));
  balanceChart->addAxis(gameAxis, Qt::AlignBottom);
  balanceChart->addAxis(creditAxis, Qt::AlignLeft);
  balanceLine->attachAxis(gameAxis);
  balanceLine->attachAxis(creditAxis);
  balanceView = MakeView(balanceChart, this);
  balanceView->setObjectName(kBalanceChart);
  balanceView->setAccessibleName(QStringLiteral("Credits after each game"));
  right->addWidget(balanceView, 1);
}

// The return of each session, with a tip on the bar under the mouse.
void StatisticsWindow::MakeSessionBars(QVBoxLayout* right) {
  sessionBars = new SessionBars(this);
  sessionBars->setObjectName(kSessionChart);
  sessionBars->setAccessibleName(QStringLiteral("Return by session"));
  connect(sessionBars, &SessionBars::Hovered, this, &StatisticsWindow::ShowSessionTip);
  right->addWidget(sessionBars, 1);
}

void StatisticsWindow::ShowSessionTip(int index) {
  if (index < 0 || index >= static_cast<int>(sessionsShown.size())) {
    QToolTip::hideText();
    return;
  }
  const SessionReturn& s = sessionsShown[static_cast<std::size_t>(index)];
  QToolTip::showText(
      QCursor::pos(),
      QStringLiteral("Session %1, %2\n%3 hands, %4 coins bet, %5 won: %6")
          .arg(sessionBars->Bars()[static_cast<std::size_t>(index)].number)
          .arg(s.startedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
          .arg(s.hands)
          .arg(s.coinsBet)
          .arg(s.won)
          .arg(PercentText(static_cast<double>(s.won), static_cast<double>(s.coinsBet))));
}

void StatisticsWindow::ShowCoachFigures() {
  GameStatistics all;
  for (int g = 0; g < 4; ++g) {
    const GameStatistics& f = g < 3 ? figures[static_cast<std::size_t>(g)] : trainerAll;
    all.judged += f.judged;
    all.judgedCoins += f.judgedCoins;
    all.heldEv += f.heldEv;
    all.bestEv += f.bestEv;
    all.mistakes += f.mistakes;
    all.mistakeCost += f.mistakeCost;
  }
  if (all.judged == 0) {
    coachLine->setText(QStringLiteral("The strategy coach has judged no hands yet."));
  } else {
    const auto coins = static_cast<double>(all.judgedCoins);
    coachLine->setText(
        QStringLiteral("Strategy coach, all games: %1 hands judged. Expected return of your "
                       "holds %2, of best play on the same deals %3. Mistakes %4, costing %5 "
                       "credits.")
            .arg(all.judged)
            .arg(PercentText(all.heldEv, coins), PercentText(all.bestEv, coins))
            .arg(all.mistakes)
            .arg(CreditsText(all.mistakeCost)));
  }
  practiseButton->setEnabled(all.mistakes > 0);
}

void StatisticsWindow::Refresh() {
  if (isVisible())
    Read();
  else
    stale = true;
}

void StatisticsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale) Read();
}

void StatisticsWindow::RefreshInTurns() {
  if (!isVisible()) {
    stale = true;
    return;
  }
  ReadFigures();
  // Each part's layout and paint come in the turn after it, before the next:
  // a timer of a millisecond, which fires after the events posted before it
  // (a zero timer would be one of them).
  QTimer::singleShot(1, this, [this] {
    ShowBalance();
    QTimer::singleShot(1, this, [this] {
      ShowSessions();
      QTimer::singleShot(1, this, [this] { ShowTrainerTables(); });
    });
  });
}

void StatisticsWindow::Read() {
  ReadFigures();
  ShowBalance();
  ShowSessions();
  ShowTrainerTables();
}

void StatisticsWindow::ReadFigures() {
  stale = false;
  const QString why = store.Problem();
  problem->setText(why);
  problem->setVisible(!why.isEmpty());

  for (int g = 0; g < 3; ++g) figures[static_cast<std::size_t>(g)] = store.Statistics(kMachineGames[g]);
  // All games: the machine's and every hand of the trainer's tables.
  trainerAll = {};
  bool allJudged = true;
  for (const TableStatistics& t : store.TableTotals()) {
    trainerAll.hands += t.games;
    trainerAll.coinsBet += t.coinsBet;
    trainerAll.won += t.won;
    trainerAll.judged += t.judged;
    // Every hand of a deal has the deal's one hold: a mistake is counted once
    // for the decision, its cost over every hand.
    trainerAll.mistakes += t.hands > 1 ? (t.mistakes + t.hands - 1) / t.hands : t.mistakes;
    trainerAll.mistakeCost += t.mistakeCost;
    // The returns are over the coins of the hands judged, known when every
    // hand of the table was.
    if (t.judged == t.games) {
      trainerAll.judgedCoins += t.coinsBet;
      trainerAll.heldEv += t.heldEv;
      trainerAll.bestEv += t.bestEv;
    } else {
      allJudged = false;
    }
  }
  GameStatistics& all = figures[SummaryModel::kAllGamesRow];
  all = store.Statistics(std::nullopt);
  all.hands += trainerAll.hands;
  all.coinsBet += trainerAll.coinsBet;
  all.won += trainerAll.won;
  summaryFigures->SetOtherTables(trainerAll.coinsBet, trainerAll.bestEv, allJudged);
  ShowCoachFigures();
  summaryFigures->SetFigures(figures);
  for (int g = 0; g < 3; ++g)
    rowFigures[static_cast<std::size_t>(g)]->SetFigures(figures[static_cast<std::size_t>(g)]);
  ShowBestPlay();
}

// Return: won over bet. Your holds and best play: the expected return of the
// holds played and of best play on the same deals, where the coach judged
// every hand of the table ("—" otherwise).
void StatisticsWindow::ShowTrainerTables() {
  const std::vector<TableStatistics> tables = store.TableTotals();
  // A game at the machine leaves them as they are: nothing to lay out again.
  if (tables == trainerShown && trainerTables->rowCount() == static_cast<int>(tables.size()))
    return;
  trainerShown = tables;
  trainerTables->setRowCount(static_cast<int>(tables.size()));
  for (int r = 0; r < static_cast<int>(tables.size()); ++r) {
    const TableStatistics& t = tables[static_cast<std::size_t>(r)];
    const GameRules* rules = FindGame(t.libraryGame.toStdString());
    const bool judged = t.judged == t.games && t.games > 0;
    const double bet = static_cast<double>(t.coinsBet);
    const QStringList cells{
        rules != nullptr
            ? QString::fromUtf8(rules->title.data(), static_cast<qsizetype>(rules->title.size()))
            : t.libraryGame,
        t.payTable,
        QString::number(t.hands),
        QString::number(t.games),
        QString::number(t.coinsBet),
        QString::number(t.won),
        PercentText(static_cast<double>(t.won), bet),
        judged ? PercentText(t.heldEv, bet) : QStringLiteral("—"),
        judged ? PercentText(t.bestEv, bet) : QStringLiteral("—")};
    for (int c = 0; c < cells.size(); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      trainerTables->setItem(r, c, item);
    }
  }
  trainerTables->resizeColumnsToContents();
}

// The best-play figures there are so far; asks for those of the games played
// that are not.
void StatisticsWindow::ShowBestPlay() {
  for (int g = 0; g < 3; ++g) {
    const auto at = static_cast<std::size_t>(g);
    const StakeReturns* best = CoinsBet(figures[at]) > 0 ? bestPlay.Find(kMachineGames[g]) : nullptr;
    summaryFigures->SetBestPlay(kMachineGames[g], best);
    rowFigures[at]->SetBestPlay(best);
  }
}

void StatisticsWindow::ShowBalance() {
  const std::vector<std::int32_t> series = store.BalanceSeries(kBalancePoints);
  // Games played, practice hands left out as the series leaves them out.
  const double games = static_cast<double>(figures[SummaryModel::kAllGamesRow].hands);
  Describe(balanceView, BalanceSummary(series, figures[SummaryModel::kAllGamesRow].hands));
  const auto points = static_cast<qsizetype>(series.size());
  QList<QPointF> line;
  int low = 0;
  int high = 100;
  for (qsizetype k = 0; k < points; ++k) {
    // The store keeps the games at evenly spaced places, the first and last
    // among them.
    const double game =
        points == 1 ? games
                    : 1 + static_cast<double>(k) * (games - 1) / static_cast<double>(points - 1);
    const std::int32_t credits = series[static_cast<std::size_t>(k)];
    line.append(QPointF(game, credits));
    if (k == 0 || credits < low) low = credits;
    if (k == 0 || credits > high) high = std::max(credits, 100);
  }
  auto* gameAxis = static_cast<QValueAxis*>(balanceChart->axes(Qt::Horizontal).first());
  auto* creditAxis = static_cast<QValueAxis*>(balanceChart->axes(Qt::Vertical).first());
  // No games, no axes: a scale of nothing would only read "1 1 1 1 1".
  gameAxis->setVisible(points > 0);
  creditAxis->setVisible(points > 0);
  SetTitle(balanceChart, points > 0 ? QStringLiteral("Credits after each game")
                                    : QStringLiteral("Credits after each game: no games yet"));
  const AxisRange gameRange = NiceRange(gameAxis, 1, std::max(2.0, games));
  const AxisRange creditRange = NiceRange(creditAxis, std::min(0, low), high);
  // On a long history a game moves the sampled line by a fraction of a pixel:
  // it is drawn again only when the change can be seen.
  if (gameRange == Shown(gameAxis) && creditRange == Shown(creditAxis) &&
      !MovesVisibly(balanceLine->points(), line, balanceChart->plotArea(), gameRange, creditRange))
    return;
  balanceLine->replace(line);
  SetRange(gameAxis, gameRange);
  SetRange(creditAxis, creditRange);
}

void StatisticsWindow::ShowSessions() {
  const std::vector<SessionReturn> all = store.SessionReturns();
  const std::size_t first = all.size() > kSessionBars ? all.size() - kSessionBars : 0;
  sessionsShown.assign(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
  Describe(sessionBars, SessionSummary(sessionsShown, first, all.size()));
  std::vector<SessionBars::Bar> bars;
  for (std::size_t i = 0; i < sessionsShown.size(); ++i) {
    const SessionReturn& s = sessionsShown[i];
    const double percent =
        s.coinsBet > 0 ? static_cast<double>(s.won) * 100 / static_cast<double>(s.coinsBet) : 0;
    bars.push_back({static_cast<std::int64_t>(first + i + 1), percent});
  }
  sessionBars->SetBars(std::move(bars),
                       all.size() > sessionsShown.size()
                           ? QStringLiteral("Return by session (the last %1 of %2)")
                                 .arg(sessionsShown.size())
                                 .arg(all.size())
                           : QStringLiteral("Return by session"));
}

void StatisticsWindow::ExportCsv() {
  // One export at a time: pressing again shows the one running.
  if (csvExport != nullptr) {
    if (QProgressDialog* progress = csvExport->Dialog(); progress && progress->isVisible())
      progress->raise();
    return;
  }
  const QString suggested =
      QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
          .filePath(QStringLiteral("lynx-video-poker-history.csv"));
  const QString path =
      dialogs.AskSaveFileName(this, QStringLiteral("Export the game history"), suggested);
  if (path.isEmpty()) return;
  csvExport = new CsvExport(
      store, path, *this, [this, path](CsvExport::Outcome outcome, std::int64_t games) {
        csvExport->deleteLater();
        csvExport = nullptr;
        const QString title = QStringLiteral("LYNX Video Poker");
        const QString shownPath = QDir::toNativeSeparators(path);
        if (outcome == CsvExport::Outcome::Written) {
          dialogs.Info(this, title,
                       (games == 1 ? QStringLiteral("%1 game was written to %2.")
                                   : QStringLiteral("%1 games were written to %2."))
                           .arg(games)
                           .arg(shownPath));
        } else if (outcome == CsvExport::Outcome::Failed) {
          dialogs.Exclaim(this, title,
                          QStringLiteral("The history could not be written to %1.").arg(shownPath));
        }
      });
}

}  // namespace lynx
