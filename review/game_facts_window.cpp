#include "review/game_facts_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>

#include "coach/tables_cache.h"
#include "look/look.h"
#include "platform/long_work_pool.h"
#include "platform/window_keys.h"
#include "review/end_balance_chart.h"
#include "review/review_look.h"

namespace lynx {

namespace {

constexpr int kDefaultBetsInBankroll = 1000;
constexpr int kDefaultSessionHands = 1000;
constexpr int kDefaultHandsAnHour = 600;
constexpr int kMostBankroll = 100000000;
constexpr std::array<int, 4> kFactsHandCounts = {1, 3, 5, 10};
constexpr std::array<int, 5> kFactsPercentiles = {5, 25, 50, 75, 95};
constexpr std::array<int, 3> kFactsRiskPercents = {1, 5, 10};

const char* const kFactsStyle =
    "QComboBox { background: #000080; color: #ffff00; border: 1px solid #808080;"
    "  padding: 1px 4px; }"
    "QComboBox:focus { border: 1px solid #ffff00; }"
    "QComboBox QAbstractItemView { background: #000080; color: #ffff00;"
    "  selection-background-color: #ffff00; selection-color: #000080; }"
    "QLabel[heading=\"true\"] { color: #ffff00; font-weight: bold; }"
    "QLabel[figure=\"true\"] { color: #ffff00; }"
    "QLabel[columnHead=\"true\"] { background: #808080; color: #ffff00; font-weight: bold;"
    "  padding: 1px 4px; }";

const QString kFactsWorking = QStringLiteral("…");

QString FactsText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString FactsWhole(std::int64_t n) {
  return QLocale(QLocale::English).toString(static_cast<qlonglong>(n));
}

QString FactsCredits(std::int64_t credits) {
  return FactsWhole(credits) + QStringLiteral(" credits");
}

// A chance in percent with two decimals, never rounded to 0% or 100% when it
// is neither.
QString FactsChance(double p) {
  if (!std::isfinite(p)) return QStringLiteral("could not be worked out");
  if (p > 0 && p < 0.00005) return QStringLiteral("less than 0.01%");
  if (p < 1 && p > 0.99995) return QStringLiteral("more than 99.99%");
  return QStringLiteral("%1%").arg(p * 100, 0, 'f', 2);
}

// "40,391" for 1 / p, with decimals where the number is small.
QString FactsOneIn(double p) {
  if (!(p > 0)) return QStringLiteral("never");
  const double n = 1 / p;
  if (n < 10) return QString::number(n, 'f', 2);
  if (n < 100) return QString::number(n, 'f', 1);
  return FactsWhole(std::llround(n));
}

QString FactsTableName(std::string_view name) {
  return name == "machine" ? QStringLiteral("this machine's") : FactsText(name);
}

QString FactsPaysText(const Pays& pays) {
  QStringList each;
  for (int r = 0; r < pays.rowCount; ++r)
    each << QString::number(pays.perCoin[static_cast<std::size_t>(r)]);
  return each.join(QLatin1Char('/')) + QStringLiteral(", top prize %1").arg(pays.royalFiveCoins);
}

int FactsGameIndex(const GameRules* rules) {
  const std::span<const GameRules> library = GameLibrary();
  for (std::size_t i = 0; i < library.size(); ++i)
    if (&library[i] == rules) return static_cast<int>(i);
  return -1;
}

// A label's text and, for a screen reader, what it is the figure of.
void SetFactsFigure(QLabel* label, const QString& name, const QString& text) {
  label->setText(text);
  label->setAccessibleName(name + QStringLiteral(": ") + text);
}

QLabel* FactsColumnHead(const QString& text, QWidget* parent) {
  auto* head = new QLabel(text, parent);
  head->setProperty("columnHead", true);
  head->setAlignment(Qt::AlignCenter);
  return head;
}

// The chart is one picture to assistive technology, named and described.
class FactsChartInterface : public QAccessibleWidget {
 public:
  explicit FactsChartInterface(QWidget* chart) : QAccessibleWidget(chart, QAccessible::Chart) {}
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* FactsChartFactory(const QString& className, QObject* object) {
  if (className != QLatin1String(EndBalanceChart::staticMetaObject.className())) return nullptr;
  return new FactsChartInterface(static_cast<QWidget*>(object));
}

}  // namespace

GameFactsWindow::GameFactsWindow(TablesCache& tables, QWidget* parent)
    : QWidget(parent, Qt::Window), tables(tables) {
  static const bool chartInterface = [] {
    QAccessible::installFactory(FactsChartFactory);
    return true;
  }();
  (void)chartInterface;
  setObjectName(QStringLiteral("GameFacts"));
  setWindowTitle(QStringLiteral("LYNX Video Poker -- Game Facts"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeChoiceRow());
  status = new QLabel(this);
  status->setObjectName(QStringLiteral("FactsStatus"));
  status->setWordWrap(true);
  layout->addWidget(status);
  auto* columns = new QHBoxLayout;
  layout->addLayout(columns, 1);
  columns->addWidget(MakeGameColumn(), 11);
  columns->addWidget(MakeBankrollColumn(), 9);
  auto* foot = new QHBoxLayout;
  foot->addStretch(1);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("FactsClose"));
  foot->addWidget(close);
  layout->addLayout(foot);
  connect(close, &QPushButton::clicked, this, &QWidget::close);

  QWidget* body = ApplyReviewLookInside(this);
  body->setStyleSheet(body->styleSheet() + QLatin1String(kFactsStyle));
  CloseOnKeys(this);
  ConnectInputs();
  resize(Zoomed(1000), Zoomed(720));

  settle.setSingleShot(true);
  settle.setInterval(kSettleMs);
  connect(&settle, &QTimer::timeout, this, &GameFactsWindow::Recompute);
  connect(&dealWork, &QFutureWatcher<DealFacts>::finished, this, [this] {
    deals[dealWorkingOn] = dealWork.result();
    dealBusy = false;
    Recompute();
  });
  connect(&sessionWork, &QFutureWatcher<SessionFacts>::finished, this, [this] {
    sessionBusy = false;
    if (sessionWorkingOn == CurrentSessionKey()) {
      session = sessionWork.result();
      sessionShown = sessionWorkingOn;
    }
    Recompute();
  });

  GameFactsChoice first;
  first.rules = &GameLibrary().front();
  first.pays = DefaultPays(*first.rules);
  first.table = std::string(first.rules->tables.front().name);
  // Worked out once the window shows, unless a choice comes first.
  SelectChoice(first);
}

void GameFactsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!started) Recompute();
}

GameFactsWindow::~GameFactsWindow() {
  settle.stop();
  dealWork.waitForFinished();
}

// The game, its pay table, the coins and the hands a deal.
QWidget* GameFactsWindow::MakeChoiceRow() {
  auto* row = new QWidget(this);
  auto* line = new QHBoxLayout(row);
  line->setContentsMargins(0, 0, 0, 0);
  const auto add = [&](const QString& text, QComboBox*& box, const char* name,
                       const QString& spoken) {
    auto* label = new QLabel(text, row);
    box = new QComboBox(row);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(spoken);
    label->setBuddy(box);
    line->addWidget(label);
    line->addWidget(box);
  };
  add(QStringLiteral("&Game:"), gameBox, "FactsGame", QStringLiteral("Game"));
  add(QStringLiteral("&Pay table:"), tableBox, "FactsTable", QStringLiteral("Pay table"));
  add(QStringLiteral("C&oins a hand:"), coinsBox, "FactsCoins", QStringLiteral("Coins a hand"));
  add(QStringLiteral("Hands a &deal:"), handsBox, "FactsHands", QStringLiteral("Hands a deal"));
  line->addStretch(1);
  FillGames();
  gameBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  tableBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  for (int coins = 1; coins <= kMaxCoins; ++coins) coinsBox->addItem(QString::number(coins), coins);
  for (const int hands : kFactsHandCounts) handsBox->addItem(QString::number(hands), hands);
  return row;
}

QLabel* GameFactsWindow::AddFigure(QGridLayout* grid, int row, const QString& name,
                                   const char* objectName) {
  auto* label = new QLabel(name, grid->parentWidget());
  auto* value = new QLabel(kFactsWorking, grid->parentWidget());
  value->setObjectName(QLatin1String(objectName));
  value->setProperty("figure", true);
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(label, row, 0);
  grid->addWidget(value, row, 1);
  figures[QLatin1String(objectName)] = value;
  return label;
}

// What best play returns, the ride of a hand and a deal, and every row.
QWidget* GameFactsWindow::MakeGameColumn() {
  auto* column = new QWidget(this);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* heading = new QLabel(QStringLiteral("The game with best play"), column);
  heading->setProperty("heading", true);
  layout->addWidget(heading);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(Zoomed(12));
  grid->setVerticalSpacing(Zoomed(2));
  layout->addLayout(grid);
  AddFigure(grid, 0, QStringLiteral("Return"), "FactsReturn");
  AddFigure(grid, 1, QStringLiteral("Variance, a hand (in bets)"), "FactsVariance");
  AddFigure(grid, 2, QStringLiteral("Standard deviation, a hand"), "FactsDeviation");
  dealVarianceName = AddFigure(grid, 3, QString(), "FactsDealVariance");
  dealDeviationName =
      AddFigure(grid, 4, QStringLiteral("Standard deviation, a deal"), "FactsDealDeviation");
  royalName = AddFigure(grid, 5, QString(), "FactsRoyal");
  AddFigure(grid, 6, QStringLiteral("A hand pays"), "FactsPaying");
  grid->setColumnStretch(1, 1);

  rows = new QTableWidget(0, 6, column);
  rows->setObjectName(QStringLiteral("FactsRows"));
  rows->setAccessibleName(QStringLiteral("How often each hand comes"));
  rows->setHorizontalHeaderLabels({QStringLiteral("Hand"), QStringLiteral("Pays"),
                                   QStringLiteral("Chance"), QStringLiteral("1 in"),
                                   QStringLiteral("Return"), QStringLiteral("Share")});
  SetUpReviewTable(rows);
  rows->setSelectionMode(QAbstractItemView::SingleSelection);
  rows->verticalHeader()->setDefaultSectionSize(Zoomed(20));
  // The hand's name takes the room left; the table is never narrower than
  // its figures (where the screen is, the window scrolls).
  rows->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  layout->addWidget(rows, 1);
  return column;
}

// The bankroll, the session and the long run, and the end balance's chart.
QWidget* GameFactsWindow::MakeBankrollColumn() {
  auto* column = new QWidget(this);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* heading = new QLabel(QStringLiteral("Bankroll and session"), column);
  heading->setProperty("heading", true);
  layout->addWidget(heading);

  auto* inputs = new QGridLayout;
  inputs->setHorizontalSpacing(Zoomed(12));
  layout->addLayout(inputs);
  const auto spin = [&](int row, const QString& text, const char* name, int least, int most,
                        int step) {
    auto* label = new QLabel(text, column);
    auto* box = new QSpinBox(column);
    box->setObjectName(QLatin1String(name));
    box->setRange(least, most);
    box->setSingleStep(step);
    box->setGroupSeparatorShown(true);
    box->setAccelerated(true);
    box->setKeyboardTracking(true);
    box->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    // Drawn by the style in the pay fields' colours, so its arrows show.
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, QColor(0, 0, 128));
    palette.setColor(QPalette::Text, kTextYellow);
    palette.setColor(QPalette::Button, QColor(192, 192, 192));
    palette.setColor(QPalette::ButtonText, Qt::black);
    box->setPalette(palette);
    label->setBuddy(box);
    inputs->addWidget(label, row, 0);
    inputs->addWidget(box, row, 1);
    return box;
  };
  bankrollBox =
      spin(0, QStringLiteral("&Bankroll in credits:"), "FactsBankroll", 1, kMostBankroll, 100);
  sessionBox =
      spin(1, QStringLiteral("Hands a &session:"), "FactsSessionHands", 1, kMostSessionHands, 100);
  hourBox = spin(2, QStringLiteral("Hands an &hour:"), "FactsHandsAnHour", 1, kMostHandsAnHour, 50);
  bankrollBox->setValue(kDefaultBetsInBankroll * kMaxCoins);
  sessionBox->setValue(kDefaultSessionHands);
  hourBox->setValue(kDefaultHandsAnHour);
  inputs->setColumnStretch(2, 1);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(Zoomed(12));
  grid->setVerticalSpacing(Zoomed(2));
  layout->addLayout(grid);
  AddFigure(grid, 0, QStringLiteral("The session"), "FactsSessionLength");
  AddFigure(grid, 1, QStringLiteral("Lose the bankroll"), "FactsRuin");
  AddFigure(grid, 2, QStringLiteral("Ahead at the end"), "FactsAhead");
  sessionRoyalName = AddFigure(grid, 3, QString(), "FactsSessionRoyal");
  AddFigure(grid, 4, QStringLiteral("Ever lose it, playing on"), "FactsLongRunRuin");
  grid->setColumnStretch(1, 1);

  // The end balance at five points, and the bankroll three risks ask.
  auto* table = new QGridLayout;
  table->setHorizontalSpacing(Zoomed(4));
  table->setVerticalSpacing(Zoomed(2));
  layout->addLayout(table);
  table->addWidget(FactsColumnHead(QStringLiteral("End balance"), column), 0, 0);
  for (std::size_t i = 0; i < kFactsPercentiles.size(); ++i) {
    table->addWidget(FactsColumnHead(QStringLiteral("%1%").arg(kFactsPercentiles[i]), column), 0,
                     static_cast<int>(i) + 1);
    auto* value = new QLabel(kFactsWorking, column);
    const QString name = QStringLiteral("FactsPercentile_%1").arg(kFactsPercentiles[i]);
    value->setObjectName(name);
    value->setProperty("figure", true);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->addWidget(value, 1, static_cast<int>(i) + 1);
    figures[name] = value;
  }
  table->addWidget(new QLabel(QStringLiteral("credits"), column), 1, 0);
  table->addWidget(FactsColumnHead(QStringLiteral("Bankroll for a risk of"), column), 2, 0);
  for (std::size_t i = 0; i < kFactsRiskPercents.size(); ++i) {
    table->addWidget(FactsColumnHead(QStringLiteral("%1%").arg(kFactsRiskPercents[i]), column), 2,
                     static_cast<int>(i) + 1);
    const auto make = [&](const char* stem, int row) {
      auto* value = new QLabel(kFactsWorking, column);
      const QString name =
          QStringLiteral("%1_%2").arg(QLatin1String(stem)).arg(kFactsRiskPercents[i]);
      value->setObjectName(name);
      value->setProperty("figure", true);
      value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table->addWidget(value, row, static_cast<int>(i) + 1);
      figures[name] = value;
    };
    make("FactsSessionBankroll", 3);
    make("FactsLongRunBankroll", 4);
  }
  table->addWidget(new QLabel(QStringLiteral("this session"), column), 3, 0);
  table->addWidget(new QLabel(QStringLiteral("the long run"), column), 4, 0);
  table->setColumnStretch(6, 1);

  chart = new EndBalanceChart(column);
  chart->setAccessibleName(QStringLiteral("End balance chart"));
  layout->addWidget(chart, 1);
  return column;
}

void GameFactsWindow::ConnectInputs() {
  connect(gameBox, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (filling || index < 0) return;
    FillTables(CurrentGame());
    DealInputChanged();
  });
  for (QComboBox* box : {tableBox, coinsBox, handsBox}) {
    connect(box, &QComboBox::currentIndexChanged, this, [this, box](int) {
      if (filling) return;
      // A bankroll not typed stays a thousand bets.
      if (box == coinsBox && !bankrollEdited) {
        const bool was = filling;
        filling = true;
        bankrollBox->setValue(kDefaultBetsInBankroll * coinsBox->currentData().toInt());
        filling = was;
      }
      DealInputChanged();
    });
  }
  connect(bankrollBox, &QSpinBox::valueChanged, this, [this] {
    if (filling) return;
    bankrollEdited = true;
    SessionInputChanged();
  });
  connect(sessionBox, &QSpinBox::valueChanged, this, [this] {
    if (!filling) SessionInputChanged();
  });
  connect(hourBox, &QSpinBox::valueChanged, this, [this] {
    if (!filling) ShowHours();
  });
  // Tab: the choices, the inputs, the rows, the chart, Close.
  const std::array<QWidget*, 10> order{
      gameBox,     tableBox,
      coinsBox,    handsBox,
      bankrollBox, sessionBox,
      hourBox,     rows,
      chart,       findChild<QPushButton*>(QStringLiteral("FactsClose"))};
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void GameFactsWindow::FillGames() {
  for (const GameRules& rules : GameLibrary()) gameBox->addItem(FactsText(rules.title));
}

// The game's named tables, and the pays of the player's own where they are
// of this game.
void GameFactsWindow::FillTables(const GameRules& rules) {
  const bool was = filling;
  filling = true;
  tableBox->clear();
  for (std::size_t t = 0; t < rules.tables.size(); ++t) {
    const NamedTable& table = rules.tables[t];
    QString text = FactsTableName(table.name);
    if (!table.published.empty()) text += QStringLiteral(" (%1)").arg(FactsText(table.published));
    tableBox->addItem(text, static_cast<int>(t));
  }
  if (customRules == &rules)
    tableBox->addItem(QStringLiteral("your pays: %1").arg(FactsPaysText(customPays)), -1);
  tableBox->setCurrentIndex(0);
  filling = was;
}

const GameRules& GameFactsWindow::CurrentGame() const {
  const int index = std::max(gameBox->currentIndex(), 0);
  return GameLibrary()[static_cast<std::size_t>(index)];
}

void GameFactsWindow::ShowChoice(const GameFactsChoice& choice) {
  if (!SelectChoice(choice)) return;
  settle.stop();
  Recompute();
}

bool GameFactsWindow::SelectChoice(const GameFactsChoice& choice) {
  const int game = FactsGameIndex(choice.rules);
  if (game < 0) return false;
  const GameRules& rules = *choice.rules;
  filling = true;
  gameBox->setCurrentIndex(game);
  // The choice's table by its figures: a named one, else pays of its own.
  int named = -1;
  for (std::size_t t = 0; t < rules.tables.size() && named < 0; ++t)
    if (SamePayFigures(PaysOf(rules, rules.tables[t]), choice.pays)) named = static_cast<int>(t);
  if (named < 0) {
    customRules = &rules;
    customPays = choice.pays;
    customPays.rules = &rules;
  }
  FillTables(rules);
  tableBox->setCurrentIndex(named >= 0 ? named : tableBox->count() - 1);
  coinsBox->setCurrentIndex(std::clamp(choice.coins, 1, kMaxCoins) - 1);
  const auto hands = std::find(kFactsHandCounts.begin(), kFactsHandCounts.end(), choice.hands);
  handsBox->setCurrentIndex(
      hands != kFactsHandCounts.end() ? static_cast<int>(hands - kFactsHandCounts.begin()) : 0);
  if (!bankrollEdited)
    bankrollBox->setValue(kDefaultBetsInBankroll * coinsBox->currentData().toInt());
  filling = false;
  sessionShown.reset();
  ShowHours();
  return true;
}

GameFactsChoice GameFactsWindow::Choice() const {
  GameFactsChoice choice;
  const GameRules& rules = CurrentGame();
  choice.rules = &rules;
  const int table = tableBox->currentData().toInt();
  if (table >= 0 && table < static_cast<int>(rules.tables.size())) {
    const NamedTable& named = rules.tables[static_cast<std::size_t>(table)];
    choice.pays = PaysOf(rules, named);
    choice.table = std::string(named.name);
  } else {
    choice.pays = customPays;
    choice.table = "custom";
  }
  choice.coins = std::max(coinsBox->currentData().toInt(), 1);
  choice.hands = std::max(handsBox->currentData().toInt(), 1);
  return choice;
}

GameFactsWindow::DealKey GameFactsWindow::CurrentDealKey() const {
  const GameFactsChoice choice = Choice();
  DealKey key;
  key.rules = choice.rules;
  std::copy(choice.pays.perCoin.begin(), choice.pays.perCoin.begin() + choice.pays.rowCount,
            key.perCoin.begin());
  key.royalFiveCoins = choice.pays.royalFiveCoins;
  key.coins = choice.coins;
  key.hands = choice.hands;
  return key;
}

GameFactsWindow::SessionKey GameFactsWindow::CurrentSessionKey() const {
  return {CurrentDealKey(), bankrollBox->value(), sessionBox->value()};
}

const DealFacts* GameFactsWindow::Deal() const {
  const auto found = deals.find(CurrentDealKey());
  return found != deals.end() ? &found->second : nullptr;
}

void GameFactsWindow::DealInputChanged() {
  ShowDealWorking();
  ShowSessionWorking();
  ShowHours();
  settle.start();
}

void GameFactsWindow::SessionInputChanged() {
  ShowSessionWorking();
  ShowHours();
  settle.start();
}

void GameFactsWindow::Recompute() {
  started = true;
  const DealKey key = CurrentDealKey();
  const auto found = deals.find(key);
  if (found == deals.end()) {
    ShowDealWorking();
    ShowSessionWorking();
    if (!dealBusy) StartDeal(key);
    return;
  }
  ShowDeal(found->second);
  const SessionKey wanted = CurrentSessionKey();
  if (sessionShown && *sessionShown == wanted) {
    ShowSession(*session);
    if (!shownComplete) {
      shownComplete = true;
      SetStatus(false);
      emit FiguresShown();
    }
    return;
  }
  ShowSessionWorking();
  if (!sessionBusy) StartSession(wanted, found->second);
}

// One deal's work at a time: the newest inputs are worked out when it is done.
void GameFactsWindow::StartDeal(const DealKey& key) {
  dealWorkingOn = key;
  dealBusy = true;
  TablesCache* cache = &tables;
  const GameFactsChoice choice = Choice();
  dealWork.setFuture(QtConcurrent::run(&LongWorkPool(), [cache, choice] {
    return WorkOutDeal(cache->Wait(*choice.rules), choice);
  }));
}

// The session's work holds its own copies of what it reads, so that a window
// closed meanwhile need not wait for it.
void GameFactsWindow::StartSession(const SessionKey& key, const DealFacts& facts) {
  sessionWorkingOn = key;
  sessionBusy = true;
  std::shared_ptr<const DealDistribution> deal = facts.deal;
  std::shared_ptr<const LongRunRisk> longRun = facts.longRun;
  const std::int64_t bankroll = key.bankroll;
  const int hands = key.hands;
  sessionWork.setFuture(QtConcurrent::run(&LongWorkPool(), [deal, longRun, bankroll, hands] {
    return WorkOutSession(*deal, *longRun, bankroll, hands);
  }));
}

void GameFactsWindow::SetStatus(bool working) {
  if (working) {
    status->setText(QStringLiteral("Working out the figures…"));
    return;
  }
  const GameFactsChoice choice = Choice();
  const DealFacts* facts = Deal();
  const int unit = facts != nullptr ? facts->deal->unit : 1;
  QString text = QStringLiteral("Exact figures for best play on every deal of %1 cards. ")
                     .arg(choice.rules->CardCount());
  text += choice.coins == 1 ? QStringLiteral("A bet is 1 credit")
                            : QStringLiteral("A bet is %1 credits").arg(choice.coins);
  if (choice.hands > 1)
    text += QStringLiteral(", a deal of %1 hands %2 credits")
                .arg(choice.hands)
                .arg(choice.hands * choice.coins);
  if (unit != choice.coins)
    text += QStringLiteral("; every result is a whole number of %1 credits").arg(unit);
  status->setText(text + QLatin1Char('.'));
}

void GameFactsWindow::ShowDealWorking() {
  shownComplete = false;
  SetStatus(true);
  for (const char* name : {"FactsReturn", "FactsVariance", "FactsDeviation", "FactsDealVariance",
                           "FactsDealDeviation", "FactsRoyal", "FactsPaying"})
    SetFactsFigure(figures[QLatin1String(name)], QStringLiteral("Working out"), kFactsWorking);
  for (const int risk : kFactsRiskPercents)
    SetFactsFigure(figures[QStringLiteral("FactsLongRunBankroll_%1").arg(risk)],
                   QStringLiteral("Working out"), kFactsWorking);
  rows->setRowCount(0);
}

void GameFactsWindow::ShowSessionWorking() {
  shownComplete = false;
  sessionShown.reset();
  SetStatus(true);
  for (const char* name : {"FactsRuin", "FactsAhead", "FactsSessionRoyal", "FactsLongRunRuin"})
    SetFactsFigure(figures[QLatin1String(name)], QStringLiteral("Working out"), kFactsWorking);
  for (const int p : kFactsPercentiles)
    SetFactsFigure(figures[QStringLiteral("FactsPercentile_%1").arg(p)],
                   QStringLiteral("Working out"), kFactsWorking);
  for (const int risk : kFactsRiskPercents)
    SetFactsFigure(figures[QStringLiteral("FactsSessionBankroll_%1").arg(risk)],
                   QStringLiteral("Working out"), kFactsWorking);
  chart->Clear(QStringLiteral("Working out the end balance…"));
  chart->setAccessibleDescription(QStringLiteral("Working out."));
}

void GameFactsWindow::ShowHours() {
  const int hands = sessionBox->value();
  const int deals = DealsForHands(hands, std::max(handsBox->currentData().toInt(), 1));
  const double hours = static_cast<double>(hands) / std::max(hourBox->value(), 1);
  QString text = QStringLiteral("%1 hands").arg(FactsWhole(hands));
  if (deals != hands) text += QStringLiteral(" (%1 deals)").arg(FactsWhole(deals));
  text += QStringLiteral(", about %1 hours").arg(hours, 0, 'f', hours < 10 ? 1 : 0);
  SetFactsFigure(figures[QStringLiteral("FactsSessionLength")], QStringLiteral("The session"),
                 text);
}

void GameFactsWindow::ShowDeal(const DealFacts& facts) {
  const DealDistribution& d = *facts.deal;
  const GameFactsChoice choice = Choice();
  const GameRules& rules = *choice.rules;
  const QString royal = FactsText(rules.rows[0].caption);
  SetFactsFigure(figures[QStringLiteral("FactsReturn")], QStringLiteral("Return with best play"),
                 QStringLiteral("%1%").arg(d.ret.returnRatio * 100, 0, 'f', 4));
  SetFactsFigure(figures[QStringLiteral("FactsVariance")],
                 QStringLiteral("Variance of a hand in bets"), QString::number(d.variance, 'f', 2));
  SetFactsFigure(figures[QStringLiteral("FactsDeviation")],
                 QStringLiteral("Standard deviation of a hand"),
                 QStringLiteral("%1 bets").arg(d.deviation, 0, 'f', 2));
  const bool several = d.hands > 1;
  dealVarianceName->setText(QStringLiteral("Variance, a deal of %1 hands").arg(d.hands));
  for (QLabel* label :
       {dealVarianceName, dealDeviationName, figures[QStringLiteral("FactsDealVariance")],
        figures[QStringLiteral("FactsDealDeviation")]})
    label->setVisible(several);
  SetFactsFigure(figures[QStringLiteral("FactsDealVariance")],
                 QStringLiteral("Variance of a deal of %1 hands in bets").arg(d.hands),
                 QString::number(d.dealVariance, 'f', 2));
  SetFactsFigure(figures[QStringLiteral("FactsDealDeviation")],
                 QStringLiteral("Standard deviation of a deal"),
                 QStringLiteral("%1 bets").arg(d.dealDeviation, 0, 'f', 2));
  royalName->setText(royal);
  SetFactsFigure(figures[QStringLiteral("FactsRoyal")], royal,
                 d.royalCycle > 0
                     ? QStringLiteral("1 in %1 hands").arg(FactsWhole(std::llround(d.royalCycle)))
                     : QStringLiteral("never"));
  SetFactsFigure(figures[QStringLiteral("FactsPaying")], QStringLiteral("A hand pays"),
                 FactsChance(d.payingChance));

  for (std::size_t i = 0; i < kFactsRiskPercents.size(); ++i) {
    const std::int64_t credits = facts.longRunBankroll[i];
    const QString text = !facts.longRun->Favourable() ? QStringLiteral("none")
                         : credits < 0                ? QStringLiteral("—")
                                                      : FactsWhole(credits);
    SetFactsFigure(figures[QStringLiteral("FactsLongRunBankroll_%1").arg(kFactsRiskPercents[i])],
                   QStringLiteral("Bankroll for a long-run risk of %1%").arg(kFactsRiskPercents[i]),
                   !facts.longRun->Favourable()
                       ? QStringLiteral("none is enough: the game returns 100% or less")
                       : text + (credits >= 0 ? QStringLiteral(" credits") : QString()));
    figures[QStringLiteral("FactsLongRunBankroll_%1").arg(kFactsRiskPercents[i])]->setText(text);
  }

  // Every row, then the hands that pay nothing.
  rows->setRowCount(rules.rowCount + 1);
  for (int r = 0; r <= rules.rowCount; ++r) {
    const auto i = static_cast<std::size_t>(r);
    const bool paying = r < rules.rowCount;
    const double chance = paying ? d.ret.rowProbability[i] : d.ret.noWinProbability;
    const QStringList cells{
        paying ? FactsText(rules.rows[i].caption) : QStringLiteral("No win"),
        paying ? FactsWhole(PayoutOf(choice.pays, r, choice.coins)) : QStringLiteral("0"),
        FactsChance(chance),
        FactsOneIn(chance),
        paying ? QStringLiteral("%1%").arg(d.ret.rowReturn[i] * 100, 0, 'f', 4)
               : QStringLiteral("—"),
        paying && d.ret.returnRatio > 0
            ? QStringLiteral("%1%").arg(d.ret.rowReturn[i] / d.ret.returnRatio * 100, 0, 'f', 2)
            : QStringLiteral("—")};
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      rows->setItem(r, c, item);
    }
  }
  int name = 0;
  for (int r = 0; r < rows->rowCount(); ++r)
    name = std::max(name, rows->fontMetrics().horizontalAdvance(rows->item(r, 0)->text()));
  int width =
      name + Zoomed(16) + 2 * rows->frameWidth() + rows->verticalScrollBar()->sizeHint().width();
  for (int c = 1; c < rows->columnCount(); ++c) {
    rows->resizeColumnToContents(c);
    width += rows->columnWidth(c);
  }
  rows->setMinimumWidth(width);
}

void GameFactsWindow::ShowSession(const SessionFacts& f) {
  const GameFactsChoice choice = Choice();
  const QString royal = FactsText(choice.rules->rows[0].caption);
  SetFactsFigure(figures[QStringLiteral("FactsRuin")],
                 QStringLiteral("Lose the bankroll this session"), FactsChance(f.ruinChance));
  SetFactsFigure(figures[QStringLiteral("FactsAhead")], QStringLiteral("Ahead at the end"),
                 FactsChance(f.aheadChance));
  sessionRoyalName->setText(QStringLiteral("At least one %1").arg(royal));
  SetFactsFigure(figures[QStringLiteral("FactsSessionRoyal")],
                 QStringLiteral("At least one %1 this session").arg(royal),
                 FactsChance(f.royalChance));
  SetFactsFigure(
      figures[QStringLiteral("FactsLongRunRuin")],
      QStringLiteral("Ever lose the bankroll, playing on"),
      f.longRunRuin >= 1 ? QStringLiteral("certain in the long run") : FactsChance(f.longRunRuin));
  for (std::size_t i = 0; i < kFactsPercentiles.size(); ++i)
    SetFactsFigure(figures[QStringLiteral("FactsPercentile_%1").arg(kFactsPercentiles[i])],
                   QStringLiteral("End balance at %1%").arg(kFactsPercentiles[i]),
                   FactsWhole(f.percentiles[i]));
  for (std::size_t i = 0; i < kFactsRiskPercents.size(); ++i) {
    QLabel* label = figures[QStringLiteral("FactsSessionBankroll_%1").arg(kFactsRiskPercents[i])];
    SetFactsFigure(label,
                   QStringLiteral("Bankroll for a session risk of %1%").arg(kFactsRiskPercents[i]),
                   FactsCredits(f.sessionBankroll[i]));
    label->setText(FactsWhole(f.sessionBankroll[i]));
  }
  const QString heading = QStringLiteral("End balance after %1 hands from %2 credits")
                              .arg(FactsWhole(f.hands), FactsWhole(f.bankroll));
  chart->SetBalances(f.endBalance, f.endBase, f.unit, f.bankroll, heading);
  chart->setAccessibleDescription(
      QStringLiteral("%1: the bankroll is lost in %2 of sessions, and %3 end ahead. "
                     "5% of sessions end at or below %4 credits, half at or below %5, "
                     "95% at or below %6.")
          .arg(heading, FactsChance(f.ruinChance), FactsChance(f.aheadChance),
               FactsWhole(f.percentiles[0]), FactsWhole(f.percentiles[2]),
               FactsWhole(f.percentiles[4])));
}

}  // namespace lynx
