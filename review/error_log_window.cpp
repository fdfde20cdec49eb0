#include "review/error_log_window.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSet>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <map>
#include <mutex>
#include <random>

#include "engine/line_deals.h"
#include "look/look.h"
#include "look/widget_look.h"
#include "platform/window_keys.h"
#include "review/review_look.h"

namespace lynx {

namespace {

constexpr int kEverything = 0;  // the first entry of each choice: no filter

QString CostText(double credits) { return QString::number(credits, 'f', 2); }

// The charts made for the error log, kept for the rest of the run: a game of
// the library takes seconds to chart.
struct ChartStore {
  std::mutex mutex;
  std::vector<std::pair<ChartKey, std::shared_ptr<const StrategyChart>>> charts;

  std::shared_ptr<const StrategyChart> Find(const ChartKey& key) {
    const std::lock_guard<std::mutex> hold(mutex);
    for (const auto& [k, chart] : charts)
      if (k.rules == key.rules && SameFamilyAndFigures(k.pays, key.pays) && k.coins == key.coins &&
          k.deck == key.deck)
        return chart;
    return nullptr;
  }
  void Put(const ChartKey& key, std::shared_ptr<const StrategyChart> chart) {
    const std::lock_guard<std::mutex> hold(mutex);
    charts.emplace_back(key, std::move(chart));
  }
};

ChartStore& Charts() {
  static ChartStore store;
  return store;
}

// The deals of each line of a chart, sorted once per chart for the run.
std::shared_ptr<const LineDeals> LineDealsOf(const std::shared_ptr<const StrategyChart>& chart) {
  static std::mutex mutex;
  static std::map<const StrategyChart*, std::shared_ptr<const LineDeals>> made;
  {
    const std::lock_guard<std::mutex> hold(mutex);
    if (const auto it = made.find(chart.get()); it != made.end()) return it->second;
  }
  auto deals = std::make_shared<const LineDeals>(*chart);
  const std::lock_guard<std::mutex> hold(mutex);
  return made.emplace(chart.get(), std::move(deals)).first->second;
}

constexpr int kCostliestLines = 3;

}  // namespace

// The shown mistakes, a row each.
class MistakeListModel final : public QAbstractTableModel {
 public:
  enum Column { kDate, kGame, kTable, kDealt, kHeld, kBest, kCost, kLine, kColumns };

  MistakeListModel(const std::vector<LoggedMistake>& mistakes, const std::vector<int>& shown,
                   QObject* parent)
      : QAbstractTableModel(parent), mistakes(mistakes), shown(shown) {}

  void Reset() {
    beginResetModel();
    endResetModel();
  }
  void LinesChanged() {
    if (!shown.empty()) emit dataChanged(index(0, kLine), index(rowCount() - 1, kLine));
  }
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(shown.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : kColumns;
  }
  QVariant data(const QModelIndex& at, int role) const override {
    if (!at.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
      return {};
    const LoggedMistake& m = mistakes[static_cast<std::size_t>(shown[static_cast<std::size_t>(at.row())])];
    const GameRecord& g = m.game;
    switch (at.column()) {
      case kDate:
        return g.playedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
      case kGame:
        return g.hands > 1 ? QStringLiteral("%1 (%2 hands)").arg(m.gameTitle).arg(g.hands)
                           : m.gameTitle;
      case kTable:
        return m.table;
      case kDealt:
        return HandWords(g.dealt);
      case kHeld:
        return g.held == 0 ? QStringLiteral("nothing")
                           : HandWords(g.dealt, static_cast<unsigned>(g.held));
      case kBest: {
        const QString first = g.bestHolds.section(',', 0, 0);
        bool ok = false;
        const unsigned mask = first.toUInt(&ok);
        if (!ok || mask > 31) return QString();
        return mask == 0 ? QStringLiteral("nothing") : HandWords(g.dealt, mask);
      }
      case kCost:
        return CostText(m.cost);
      case kLine:
        return m.lineText.isEmpty() ? QStringLiteral("...") : m.lineText;
      default:
        return {};
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[kColumns] = {"Played",   "Game", "Pays", "Dealt",
                                                "Held",     "Best", "Cost", "Chart line"};
    return section >= 0 && section < kColumns ? QString::fromLatin1(names[section]) : QVariant();
  }

 private:
  const std::vector<LoggedMistake>& mistakes;
  const std::vector<int>& shown;
};

ErrorLogWindow::ErrorLogWindow(HistoryStore& store, Dialogs& dialogs, TablesCache& tables,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), store(store), dialogs(dialogs), tables(tables) {
  pool.setMaxThreadCount(1);
  setObjectName(QStringLiteral("ErrorLog"));
  setWindowTitle(QStringLiteral("LYNX Video Poker -- Error Log"));
  auto* layout = new QVBoxLayout(this);

  // Two rows of filters and the buttons under the summary, so the window
  // fits beside a table on a small screen.
  auto* filters = new QHBoxLayout;
  auto* dates = new QHBoxLayout;
  const auto choice = [&](const QString& label, const QString& name) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->setAccessibleName(label);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(12);
    auto* l = new QLabel(label + QStringLiteral(":"), this);
    l->setBuddy(box);
    filters->addWidget(l);
    filters->addWidget(box);
    connect(box, &QComboBox::currentIndexChanged, this, [this] {
      if (!filling) Apply();
    });
    return box;
  };
  gameChoice = choice(QStringLiteral("&Game"), QStringLiteral("ErrorGame"));
  tableChoice = choice(QStringLiteral("&Pays"), QStringLiteral("ErrorTable"));
  sessionChoice = choice(QStringLiteral("&Session"), QStringLiteral("ErrorSession"));
  const auto date = [&](const QString& label, const QString& name) {
    auto* edit = new QDateEdit(this);
    edit->setObjectName(name);
    edit->setAccessibleName(label);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    // The earliest date stands for "any": shown as such.
    edit->setMinimumDate(QDate(2000, 1, 1));
    edit->setSpecialValueText(QStringLiteral("any"));
    edit->setDate(edit->minimumDate());
    auto* l = new QLabel(label + QStringLiteral(":"), this);
    l->setBuddy(edit);
    dates->addWidget(l);
    dates->addWidget(edit);
    connect(edit, &QDateEdit::dateChanged, this, [this] {
      if (!filling) Apply();
    });
    return edit;
  };
  fromDate = date(QStringLiteral("&From"), QStringLiteral("ErrorFrom"));
  toDate = date(QStringLiteral("&To"), QStringLiteral("ErrorTo"));
  filters->addStretch(1);
  layout->addLayout(filters);
  auto* lineRow = dates;
  lineChoice = new QComboBox(this);
  lineChoice->setObjectName(QStringLiteral("ErrorLine"));
  lineChoice->setAccessibleName(QStringLiteral("Chart line"));
  lineChoice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  lineChoice->setMinimumContentsLength(16);
  auto* lineLabel = new QLabel(QStringLiteral("Chart &line:"), this);
  lineLabel->setBuddy(lineChoice);
  lineRow->addWidget(lineLabel);
  lineRow->addWidget(lineChoice, 1);
  connect(lineChoice, &QComboBox::currentIndexChanged, this, [this] {
    if (!filling) Apply();
  });
  layout->addLayout(lineRow);

  list = new QTableView(this);
  list->setObjectName(QStringLiteral("ErrorList"));
  list->setAccessibleName(QStringLiteral("Mistakes"));
  model = new MistakeListModel(mistakes, shown, this);
  list->setModel(model);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->verticalHeader()->hide();
  list->setWordWrap(false);
  // Widths from the text each column holds at most (measuring every row of
  // a long history would take seconds); one line a row.
  const QFontMetrics metrics(list->font());
  const auto wide = [&](const char* sample) {
    return metrics.horizontalAdvance(QString::fromLatin1(sample)) + Zoomed(14);
  };
  const int widths[] = {wide("2026-12-31 23:59"), wide("Double Double Bonus (10 hands)"),
                        wide("custom 250/50"),   wide("JK 10S 10H 10D 10C"),
                        wide("JK 10S 10H 10D"),  wide("JK 10S 10H 10D"),
                        wide("000.00")};
  for (int c = 0; c < 7; ++c) list->setColumnWidth(c, widths[c]);
  list->verticalHeader()->setDefaultSectionSize(metrics.height() + Zoomed(6));
  list->horizontalHeader()->setStretchLastSection(true);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(list, &QTableView::activated, this, [this](const QModelIndex& at) {
    if (at.isValid() && at.row() < static_cast<int>(shown.size()))
      emit AnalyseRequested(mistakes[static_cast<std::size_t>(shown[static_cast<std::size_t>(at.row())])]);
  });
  layout->addWidget(list, 3);

  totals = new QTableWidget(0, 6, this);
  totals->setObjectName(QStringLiteral("ErrorTotals"));
  totals->setAccessibleName(QStringLiteral("Mistakes by chart line"));
  totals->setHorizontalHeaderLabels({QStringLiteral("Chart line"), QStringLiteral("Mistakes"),
                                     QStringLiteral("Cost"), QStringLiteral("Practised"),
                                     QStringLiteral("Right"),
                                     QStringLiteral("Seconds each")});
  totals->setSelectionBehavior(QAbstractItemView::SelectRows);
  totals->setSelectionMode(QAbstractItemView::SingleSelection);
  totals->verticalHeader()->hide();
  totals->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int c = 1; c < 6; ++c)
    totals->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  totals->verticalHeader()->setDefaultSectionSize(QFontMetrics(totals->font()).height() +
                                                  Zoomed(6));
  totals->setEditTriggers(QAbstractItemView::NoEditTriggers);
  layout->addWidget(totals, 2);

  auto* bottom = new QHBoxLayout;
  auto* buttonRow = new QHBoxLayout;
  summary = new QLabel(this);
  summary->setObjectName(QStringLiteral("ErrorSummary"));
  summary->setWordWrap(true);
  bottom->addWidget(summary, 1);
  exportButton = new QPushButton(QStringLiteral("&Export CSV..."), this);
  exportButton->setToolTip(QStringLiteral("Write the mistakes shown to a CSV file"));
  practise = new QPushButton(QStringLiteral("P&ractise these"), this);
  practise->setObjectName(QStringLiteral("ErrorPractise"));
  practiseLine = new QPushButton(QStringLiteral("Practise this &line"), this);
  practiseLine->setObjectName(QStringLiteral("ErrorPractiseLine"));
  practiseLine->setToolTip(QStringLiteral(
      "Fresh hands that fall on the chart line picked in the totals (or chosen above)"));
  practiseCostliest = new QPushButton(QStringLiteral("My &costliest lines"), this);
  practiseCostliest->setToolTip(
      QStringLiteral("Fresh hands that fall on the three chart lines your mistakes cost most"));
  practiseCostliest->setObjectName(QStringLiteral("ErrorPractiseCostliest"));
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  buttonRow->addStretch(1);
  buttonRow->addWidget(practiseLine);
  buttonRow->addWidget(practiseCostliest);
  buttonRow->addWidget(exportButton);
  buttonRow->addWidget(practise);
  buttonRow->addWidget(close);
  layout->addLayout(bottom);
  layout->addLayout(buttonRow);
  connect(exportButton, &QPushButton::clicked, this, &ErrorLogWindow::Export);
  connect(practise, &QPushButton::clicked, this, [this] {
    std::vector<GameRecord> oldestFirst;
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
      oldestFirst.push_back(mistakes[static_cast<std::size_t>(*it)].game);
    emit PractiseRequested(std::move(oldestFirst));
  });
  connect(practiseLine, &QPushButton::clicked, this, [this] {
    QString line = lineChoice->currentData().toString();
    const int row = totals->currentRow();
    if (row >= 0 && totals->item(row, 0) != nullptr) line = totals->item(row, 0)->text();
    if (!line.isEmpty()) PractiseLines({line});
  });
  connect(practiseCostliest, &QPushButton::clicked, this, [this] {
    const QStringList lines = CostliestLines(TotalsByLine(mistakes, shown), kCostliestLines);
    if (!lines.isEmpty()) PractiseLines(lines);
  });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  ApplyReviewLookInside(this);
  CloseOnKeys(this);
  resize(Zoomed(900), Zoomed(560));
}

ErrorLogWindow::~ErrorLogWindow() {
  // A chart still being made gives up within a fraction of a second.
  stopCharts->store(true);
  for (auto& w : work) w->waitForFinished();
}

void ErrorLogWindow::Reload() {
  Show(ReadMistakes(store));
  MakeCharts();
}

void ErrorLogWindow::Show(std::vector<LoggedMistake> read) {
  ++generation;
  mistakes = std::move(read);
  for (const ChartKey& key : ChartKeys(mistakes))
    if (const auto chart = Charts().Find(key)) SetChartLines(mistakes, key, *chart);
  FillChoices();
  Apply();
  emit Loaded();
}

void ErrorLogWindow::FillChoices() {
  filling = true;
  const auto refill = [](QComboBox* box, const QString& every, const QStringList& items,
                         const QList<QVariant>& data) {
    const QVariant was = box->currentData();
    box->clear();
    box->addItem(every, QVariant());
    for (int i = 0; i < items.size(); ++i) box->addItem(items[i], data[i]);
    const int again = was.isValid() ? box->findData(was) : -1;
    box->setCurrentIndex(again >= 0 ? again : kEverything);
  };
  QStringList games, tablesSeen, lines;
  QList<std::int64_t> sessions;
  for (const LoggedMistake& m : mistakes) {
    if (!games.contains(m.gameTitle)) games << m.gameTitle;
    if (!tablesSeen.contains(m.table)) tablesSeen << m.table;
    if (!sessions.contains(m.game.session)) sessions << m.game.session;
    if (!m.lineText.isEmpty() && !lines.contains(m.lineText)) lines << m.lineText;
  }
  games.sort();
  tablesSeen.sort();
  lines.sort();
  const auto data = [](const QStringList& items) {
    QList<QVariant> d;
    for (const QString& s : items) d << s;
    return d;
  };
  refill(gameChoice, QStringLiteral("every game"), games, data(games));
  refill(tableChoice, QStringLiteral("every table"), tablesSeen, data(tablesSeen));
  refill(lineChoice, QStringLiteral("every line"), lines, data(lines));
  QStringList sessionNames;
  QList<QVariant> sessionData;
  for (const std::int64_t s : sessions) {  // newest first, as the mistakes come
    sessionNames << QStringLiteral("run %1").arg(s);
    sessionData << QVariant::fromValue<qlonglong>(s);
  }
  refill(sessionChoice, QStringLiteral("every session"), sessionNames, sessionData);
  filling = false;
}

ErrorFilter ErrorLogWindow::Filter() const {
  ErrorFilter f;
  f.gameTitle = gameChoice->currentData().toString();
  f.table = tableChoice->currentData().toString();
  f.session = sessionChoice->currentData().toLongLong();
  f.line = lineChoice->currentData().toString();
  if (fromDate->date() != fromDate->minimumDate()) f.from = fromDate->date();
  if (toDate->date() != toDate->minimumDate()) f.to = toDate->date();
  return f;
}

void ErrorLogWindow::Apply() {
  shown = FilterMistakes(mistakes, Filter());
  model->Reset();
  const std::vector<LineTotal> byLine = TotalsByLine(mistakes, shown);
  totals->setRowCount(static_cast<int>(byLine.size()));
  double cost = 0;
  for (std::size_t r = 0; r < byLine.size(); ++r) {
    const int row = static_cast<int>(r);
    totals->setItem(row, 0, new QTableWidgetItem(byLine[r].line));
    totals->setItem(row, 1, new QTableWidgetItem(QString::number(byLine[r].count)));
    totals->setItem(row, 2, new QTableWidgetItem(CostText(byLine[r].cost)));
    const auto done = practice.find(byLine[r].line);
    const LinePractice p = done != practice.end() ? done->second : LinePractice{};
    totals->setItem(row, 3, new QTableWidgetItem(QString::number(p.decisions)));
    totals->setItem(row, 4,
                    new QTableWidgetItem(p.decisions == 0
                                             ? QStringLiteral("-")
                                             : QStringLiteral("%1%").arg(
                                                   100.0 * p.right / p.decisions, 0, 'f', 0)));
    totals->setItem(row, 5,
                    new QTableWidgetItem(p.decisions == 0
                                             ? QStringLiteral("-")
                                             : QString::number(p.milliseconds / 1000.0 /
                                                                   p.decisions,
                                                               'f', 1)));
    for (int c = 1; c < 6; ++c)
      totals->item(row, c)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cost += byLine[r].cost;
  }
  summary->setText(mistakes.empty()
                       ? QStringLiteral("No mistakes on record.")
                       : QStringLiteral("%1 of %2 mistakes shown; they cost %3 credits.")
                             .arg(shown.size())
                             .arg(mistakes.size())
                             .arg(CostText(cost)));
  practise->setEnabled(!shown.empty());
  exportButton->setEnabled(!shown.empty());
  const bool known = !CostliestLines(byLine, 1).isEmpty();
  practiseLine->setEnabled(known);
  practiseCostliest->setEnabled(known);
}

void ErrorLogWindow::NoteLineDecision(const QString& line, bool right, qint64 milliseconds) {
  LinePractice& p = practice[line];
  ++p.decisions;
  if (right) ++p.right;
  p.milliseconds += milliseconds;
  Apply();
}

void ErrorLogWindow::PractiseLines(const QStringList& lines, int hands) {
  // Each line on the game, pays and stake of its newest shown mistake.
  struct Wanted {
    QString line;
    GameRecord like;
    std::shared_ptr<const StrategyChart> chart;
    int index = -1;  // the line's index in the chart
  };
  std::vector<Wanted> wanted;
  for (const QString& line : lines) {
    for (const int i : shown) {
      const LoggedMistake& m = mistakes[static_cast<std::size_t>(i)];
      if (m.lineText != line || m.line < 0) continue;
      const auto chart = Charts().Find(ChartKeyOf(m));
      if (chart) wanted.push_back({line, m.game, chart, m.line});
      break;
    }
  }
  if (wanted.empty()) return;
  // Sorting a game's deals by line takes a moment the first time.
  practiseLine->setEnabled(false);
  practiseCostliest->setEnabled(false);
  summary->setText(QStringLiteral("Finding hands that fall on %1...")
                       .arg(lines.size() == 1 ? QStringLiteral("the line")
                                              : QStringLiteral("those lines")));
  auto watcher = std::make_unique<QFutureWatcher<void>>();
  auto dealt = std::make_shared<std::vector<Hand>>();
  connect(watcher.get(), &QFutureWatcher<void>::finished, this, [this, wanted, dealt] {
    Apply();
    std::vector<GameRecord> fresh;
    std::vector<QString> freshLines;
    for (std::size_t i = 0; i < dealt->size(); ++i) {
      const Wanted& w = wanted[i % wanted.size()];
      fresh.push_back(FreshHand(w.like, (*dealt)[i]));
      freshLines.push_back(w.line);
    }
    if (!fresh.empty()) emit LinePractiseRequested(std::move(fresh), std::move(freshLines));
  });
  watcher->setFuture(QtConcurrent::run(&pool, [wanted, dealt, hands] {
    std::mt19937_64 random(std::random_device{}());
    for (int i = 0; i < hands; ++i) {
      const Wanted& w = wanted[static_cast<std::size_t>(i) % wanted.size()];
      const auto hand = LineDealsOf(w.chart)->Deal(w.index, random);
      if (!hand) return;
      dealt->push_back(*hand);
    }
  }));
  work.push_back(std::move(watcher));
}

void ErrorLogWindow::MakeCharts() {
  std::erase_if(work, [](const auto& w) { return w->isFinished(); });
  for (const ChartKey& key : ChartKeys(mistakes)) {
    if (Charts().Find(key)) continue;
    auto watcher = std::make_unique<QFutureWatcher<void>>();
    const int madeFor = generation;
    connect(watcher.get(), &QFutureWatcher<void>::finished, this, [this, key, madeFor] {
      const auto chart = Charts().Find(key);
      if (!chart || madeFor != generation) return;
      SetChartLines(mistakes, key, *chart);
      FillChoices();
      Apply();
    });
    TablesCache* cache = &tables;
    watcher->setFuture(QtConcurrent::run(&pool, [cache, key, stop = stopCharts] {
      if (Charts().Find(key) || stop->load()) return;
      const StrategyTables& t = cache->Wait(*key.rules);
      ChartOptions options;
      options.stop = stop.get();
      StrategyChart chart = BuildChart(t, key.pays, key.coins, key.deck, options);
      // A build given up has no lines: not kept, made again next time.
      if (!chart.lines.empty())
        Charts().Put(key, std::make_shared<const StrategyChart>(std::move(chart)));
    }));
    work.push_back(std::move(watcher));
  }
}

bool ErrorLogWindow::ExportTo(const QString& path) {
  QSaveFile file(path);
  const QByteArray text = MistakesCsv(mistakes, shown).toUtf8();
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
    dialogs.Exclaim(this, QStringLiteral("Error Log"),
                    QStringLiteral("The mistakes could not be written to %1: %2")
                        .arg(path, file.errorString()));
    return false;
  }
  return true;
}

void ErrorLogWindow::Export() {
  const QString path = dialogs.AskSaveFileName(this, QStringLiteral("Export the shown mistakes"),
                                               QStringLiteral("mistakes.csv"));
  if (!path.isEmpty()) ExportTo(path);
}

}  // namespace lynx
