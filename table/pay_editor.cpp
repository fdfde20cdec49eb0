#include "table/pay_editor.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "coach/tables_cache.h"
#include "engine/paytable.h"
#include "engine/strategy_return.h"
#include "look/widget_look.h"
#include "machine/trainer_machine.h"
#include "platform/services.h"
#include "platform/window_keys.h"
#include "platform/window_place.h"
#include "table/table_controls.h"

namespace lynx {

namespace {

const QString kTrainerSection = QStringLiteral("Trainer");
const QString kHandsKey = QStringLiteral("Hands");
constexpr int kRecentCount = 5;
constexpr std::string_view kCustom = "custom";

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Caption(const GameRules& rules, int row) {
  return Text(rules.rows[static_cast<std::size_t>(row)].caption);
}

QString RecentKey(int i) {
  return QStringLiteral("Recent%1").arg(i + 1);
}

// A whole number as the settings file and the pay fields hold it: 1 to 7
// digits and nothing else; -1 for anything else, which every range refuses.
int ParseWhole(const QString& text) {
  static const QRegularExpression digits(QStringLiteral("^[0-9]{1,7}$"));
  return digits.match(text).hasMatch() ? text.toInt() : -1;
}

bool SameTable(const TrainerChoice& a, const TrainerChoice& b) {
  return a.rules == b.rules && a.table == b.table && SamePayFigures(a.pays, b.pays);
}

// Whether one of the game's own tables pays row more than the row above it.
bool PaidAboveInSomeTable(const GameRules& rules, int row) {
  const auto r = static_cast<std::size_t>(row);
  return std::any_of(rules.tables.begin(), rules.tables.end(),
                     [r](const NamedTable& t) { return t.perCoin[r] > t.perCoin[r - 1]; });
}

QString TableText(std::string_view name) {
  return name == "machine" ? QStringLiteral("this machine's") : Text(name);
}

QString ChoiceText(const TrainerChoice& choice) {
  QString text = Text(choice.rules->title) + QStringLiteral(", ");
  if (choice.table != kCustom) return text + TableText(choice.table);
  QStringList pays;
  for (int r = 0; r < choice.pays.rowCount; ++r)
    pays << QString::number(choice.pays.perCoin[static_cast<std::size_t>(r)]);
  return text + QStringLiteral("custom %1, top prize %2")
                    .arg(pays.join(QLatin1Char('/')))
                    .arg(choice.pays.royalFiveCoins);
}

QString PercentFigure(double ratio) {
  return QStringLiteral("%1%").arg(ratio * 100, 0, 'f', 4);
}

int IndexOf(const GameRules* rules) {
  const std::span<const GameRules> library = GameLibrary();
  for (std::size_t i = 0; i < library.size(); ++i)
    if (&library[i] == rules) return static_cast<int>(i);
  return -1;
}

// Labels and fields of the pay grid share the ordinary windows' look, with
// the headings of their lists.
const char* const kEditorStyle =
    "QLineEdit { background: #000080; color: #ffff00; border: 1px solid #808080;"
    "  padding: 1px 3px; selection-background-color: #ffff00; selection-color: #000080; }"
    "QLineEdit:focus { border: 1px solid #ffff00; }"
    "QLabel[heading=\"true\"] { background: #808080; color: #ffff00; font-weight: bold;"
    "  padding: 2px 4px; }"
    "QLabel#TrainerReturn { font-weight: bold; }"
    "QLabel#TrainerRefusal { color: #ffff00; font-weight: bold; }";

}  // namespace

QString PaysRefusal(const GameRules& rules, const Pays& pays) {
  for (int r = 0; r < rules.rowCount; ++r) {
    const int pay = pays.perCoin[static_cast<std::size_t>(r)];
    if (pay < 0 || pay > kMaxPayPerCoin)
      return QStringLiteral("%1: the pay per coin must be a whole number from 0 to 10,000")
          .arg(Caption(rules, r));
  }
  if (pays.royalFiveCoins < 0 || pays.royalFiveCoins > kMaxTopPrize)
    return QStringLiteral("%1: the five-coin prize must be a whole number from 0 to 1,000,000")
        .arg(Caption(rules, 0));
  for (int r = 1; r < rules.rowCount; ++r) {
    const auto i = static_cast<std::size_t>(r);
    if (pays.perCoin[i] > pays.perCoin[i - 1] && !PaidAboveInSomeTable(rules, r))
      return QStringLiteral("%1 pays more than %2 above it")
          .arg(Caption(rules, r), Caption(rules, r - 1));
  }
  const bool nothing = pays.royalFiveCoins == 0 &&
                       std::all_of(pays.perCoin.begin(), pays.perCoin.begin() + rules.rowCount,
                                   [](int pay) { return pay == 0; });
  return nothing ? QStringLiteral("Every row pays nothing") : QString();
}

const NamedTable* MatchingTable(const GameRules& rules, const Pays& pays) {
  for (const NamedTable& t : rules.tables)
    if (SamePayFigures(PaysOf(rules, t), pays)) return &t;
  return nullptr;
}

std::optional<TrainerChoice> TrainerChoiceFor(std::string_view gameName, int hands) {
  const GameRules* rules = FindGame(gameName);
  if (rules == nullptr || !ValidTrainerHands(hands)) return std::nullopt;
  const NamedTable& usual = rules->tables.front();
  return TrainerChoice{rules, std::string(usual.name), PaysOf(*rules, usual), hands};
}

int SavedTrainerHands(ProfileFile& profile) {
  const int hands = ParseWhole(profile.ReadString(kTrainerSection, kHandsKey, QString()).trimmed());
  return ValidTrainerHands(hands) ? hands : 1;
}

QString RecentValue(const TrainerChoice& choice) {
  const QString game = Text(choice.rules->name);
  if (choice.table != kCustom)
    return game + QLatin1Char('|') + QString::fromStdString(choice.table);
  QStringList pays;
  for (int r = 0; r < choice.pays.rowCount; ++r)
    pays << QString::number(choice.pays.perCoin[static_cast<std::size_t>(r)]);
  return QStringLiteral("%1|custom|%2|%3")
      .arg(game, pays.join(QLatin1Char(',')))
      .arg(choice.pays.royalFiveCoins);
}

std::optional<TrainerChoice> ParseRecentValue(const QString& value, int hands) {
  const QStringList parts = value.trimmed().split(QLatin1Char('|'));
  if (parts.size() < 2) return std::nullopt;
  const GameRules* rules = FindGame(parts[0].toStdString());
  if (rules == nullptr) return std::nullopt;
  if (parts.size() == 2) {
    const NamedTable* table = FindTable(*rules, parts[1].toStdString());
    if (table == nullptr) return std::nullopt;
    return TrainerChoice{rules, std::string(table->name), PaysOf(*rules, *table), hands};
  }
  if (parts.size() != 4 || parts[1] != Text(kCustom)) return std::nullopt;
  const QStringList numbers = parts[2].split(QLatin1Char(','));
  if (numbers.size() != rules->rowCount) return std::nullopt;
  Pays pays = PaysOf(*rules, rules->tables.front());
  for (int r = 0; r < rules->rowCount; ++r)
    pays.perCoin[static_cast<std::size_t>(r)] = ParseWhole(numbers[r]);
  pays.royalFiveCoins = ParseWhole(parts[3]);
  if (!PaysRefusal(*rules, pays).isEmpty()) return std::nullopt;
  // Pays of a named table go by its name.
  const NamedTable* named = MatchingTable(*rules, pays);
  return TrainerChoice{rules, std::string(named != nullptr ? named->name : kCustom), pays, hands};
}

std::vector<TrainerChoice> RecentTrainerChoices(ProfileFile& profile) {
  const int hands = SavedTrainerHands(profile);
  std::vector<TrainerChoice> recent;
  for (int i = 0; i < kRecentCount; ++i) {
    const std::optional<TrainerChoice> choice =
        ParseRecentValue(profile.ReadString(kTrainerSection, RecentKey(i), QString()), hands);
    if (!choice) continue;
    if (std::none_of(recent.begin(), recent.end(),
                     [&](const TrainerChoice& c) { return SameTable(c, *choice); }))
      recent.push_back(*choice);
  }
  return recent;
}

std::optional<TrainerChoice> LastTrainerChoice(ProfileFile& profile) {
  std::vector<TrainerChoice> recent = RecentTrainerChoices(profile);
  if (recent.empty()) return std::nullopt;
  return recent.front();
}

bool RememberTrainerChoice(ProfileFile& profile, const TrainerChoice& choice) {
  std::vector<TrainerChoice> recent{choice};
  for (const TrainerChoice& c : RecentTrainerChoices(profile))
    if (!SameTable(c, choice)) recent.push_back(c);
  // Every key is written, so that a value damaged by hand goes too.
  ProfileFile::Entries entries;
  for (int i = 0; i < kRecentCount; ++i)
    entries.emplace_back(RecentKey(i), i < static_cast<int>(recent.size())
                                           ? RecentValue(recent[static_cast<std::size_t>(i)])
                                           : QString());
  entries.emplace_back(kHandsKey, QString::number(choice.hands));
  return profile.WriteStrings(kTrainerSection, entries);
}

TrainerSetupDialog::TrainerSetupDialog(ProfileFile& profile, TablesCache& tables, QWidget* parent)
    : QDialog(parent), profile(profile), tables(tables) {
  setObjectName(QStringLiteral("TrainerSetup"));
  setWindowTitle(QStringLiteral("LYNX Video Poker -- Trainer"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  // The look sits on a body inside the dialog, as in the review windows.
  auto* body = new QWidget(this);
  ApplyReviewLook(body);
  body->setStyleSheet(body->styleSheet() + QLatin1String(kEditorStyle));
  outer->addWidget(body);
  auto* layout = new QVBoxLayout(body);
  // The lists and the pays scroll where the work area is too small for them;
  // the refusal, the hand counts, OK and Cancel stay in view below them.
  auto* scroll = new QScrollArea(body);
  scroll->setObjectName(QStringLiteral("TrainerSetupScroll"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setAccessibleName(QStringLiteral("Games and pays"));
  scroll->viewport()->setAccessibleName(QStringLiteral("Games and pays"));
  auto* content = new QWidget;
  scroll->setWidget(content);
  scroll->viewport()->setAutoFillBackground(false);
  content->setAutoFillBackground(false);
  auto* top = new QVBoxLayout(content);
  top->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll, 1);
  QHBoxLayout* middle = MakeLists(content, top);
  middle->addWidget(MakePayGrid(content));

  returnText = new QLabel(content);
  returnText->setObjectName(QStringLiteral("TrainerReturn"));
  top->addWidget(returnText);
  refusal = new QLabel(body);
  refusal->setObjectName(QStringLiteral("TrainerRefusal"));
  refusal->setMinimumHeight(refusal->fontMetrics().height());
  layout->addWidget(refusal);

  MakeButtons(body, layout);
  CloseOnKeys(this);

  ConnectControls();

  recentChoices = RecentTrainerChoices(profile);
  for (const TrainerChoice& choice : recentChoices) {
    const int row = recent->rowCount();
    recent->insertRow(row);
    recent->setItem(row, 0, new QTableWidgetItem(ChoiceText(choice)));
  }
  const int savedHands = SavedTrainerHands(profile);
  filling = true;
  if (!recentChoices.empty()) recent->setCurrentCell(0, 0);
  filling = false;
  Select(!recentChoices.empty() ? recentChoices.front()
                                : *TrainerChoiceFor(GameLibrary().front().name, savedHands));
  resize(Zoomed(880), Zoomed(700));
  PlaceInside(this, parent);
}

// The recent tables above the games and their pay tables.
QHBoxLayout* TrainerSetupDialog::MakeLists(QWidget* content, QVBoxLayout* top) {
  const int rowHeight = Zoomed(22);
  recent = new QTableWidget(0, 1, content);
  recent->setObjectName(QStringLiteral("TrainerRecent"));
  recent->setAccessibleName(QStringLiteral("Recent tables"));
  recent->setHorizontalHeaderLabels({QStringLiteral("Recent")});
  SetUpReviewTable(recent);
  recent->horizontalHeader()->setStretchLastSection(true);
  recent->verticalHeader()->setDefaultSectionSize(rowHeight);
  recent->setFixedHeight(recent->horizontalHeader()->sizeHint().height() +
                         kRecentCount * rowHeight + 2 * recent->frameWidth());
  top->addWidget(recent);

  auto* middle = new QHBoxLayout;
  top->addLayout(middle, 1);
  games = new QTableWidget(0, 1, content);
  games->setObjectName(QStringLiteral("TrainerGames"));
  games->setAccessibleName(QStringLiteral("Games"));
  games->setHorizontalHeaderLabels({QStringLiteral("Game")});
  SetUpReviewTable(games);
  games->horizontalHeader()->setStretchLastSection(true);
  games->verticalHeader()->setDefaultSectionSize(rowHeight);
  for (const GameRules& rules : GameLibrary()) {
    const int row = games->rowCount();
    games->insertRow(row);
    games->setItem(row, 0, new QTableWidgetItem(Text(rules.title)));
  }
  games->setMinimumWidth(Zoomed(230));
  middle->addWidget(games, 3);

  tableList = new QTableWidget(0, 2, content);
  tableList->setObjectName(QStringLiteral("TrainerTables"));
  tableList->setAccessibleName(QStringLiteral("Pay tables"));
  tableList->setHorizontalHeaderLabels({QStringLiteral("Pay table"), QStringLiteral("Published")});
  SetUpReviewTable(tableList);
  tableList->horizontalHeader()->setStretchLastSection(true);
  tableList->verticalHeader()->setDefaultSectionSize(rowHeight);
  tableList->setColumnWidth(0, Zoomed(110));
  tableList->setMinimumWidth(Zoomed(200));
  middle->addWidget(tableList, 2);

  return middle;
}

// The pays of the game chosen: a caption, the pay per coin and the five
// coins' pay of each row.
QWidget* TrainerSetupDialog::MakePayGrid(QWidget* content) {
  auto* payArea = new QWidget(content);
  auto* grid = new QGridLayout(payArea);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(Zoomed(4));
  grid->setVerticalSpacing(Zoomed(2));
  const std::array<QString, 3> headings{QStringLiteral("Hand"), QStringLiteral("Per coin"),
                                        QStringLiteral("5 coins")};
  for (int c = 0; c < 3; ++c) {
    auto* heading = new QLabel(headings[static_cast<std::size_t>(c)], payArea);
    heading->setProperty("heading", true);
    heading->setAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    grid->addWidget(heading, 0, c);
  }
  auto* validator =
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,7}")), this);
  const auto makeEdit = [&](const QString& name) {
    auto* edit = new QLineEdit(payArea);
    edit->setObjectName(name);
    edit->setValidator(validator);
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(Zoomed(76));
    connect(edit, &QLineEdit::textEdited, this, &TrainerSetupDialog::PaysEdited);
    return edit;
  };
  for (int r = 0; r < kMaxPayRows; ++r) {
    const auto i = static_cast<std::size_t>(r);
    captions[i] = new QLabel(payArea);
    captions[i]->setObjectName(QStringLiteral("PayCaption_%1").arg(r));
    grid->addWidget(captions[i], r + 1, 0);
    payEdits[i] = makeEdit(QStringLiteral("Pay_%1").arg(r));
    captions[i]->setBuddy(payEdits[i]);
    grid->addWidget(payEdits[i], r + 1, 1);
    if (r == 0) {
      topPrize = makeEdit(QStringLiteral("TopPrize"));
      grid->addWidget(topPrize, 1, 2);
    } else {
      fiveCoins[i] = new QLabel(payArea);
      fiveCoins[i]->setObjectName(QStringLiteral("FiveCoins_%1").arg(r));
      fiveCoins[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      fiveCoins[i]->setContentsMargins(0, 0, Zoomed(5), 0);
      grid->addWidget(fiveCoins[i], r + 1, 2);
    }
  }
  grid->setRowStretch(kMaxPayRows + 1, 1);
  grid->setColumnMinimumWidth(0, Zoomed(150));
  return payArea;
}

// The hand counts, OK and Cancel at the foot.
void TrainerSetupDialog::MakeButtons(QWidget* body, QVBoxLayout* layout) {
  auto* bottom = new QHBoxLayout;
  layout->addLayout(bottom);
  bottom->addWidget(new QLabel(QStringLiteral("Hands:"), body));
  hands = new QButtonGroup(this);
  for (const int count : kTrainerHandCounts) {
    auto* button = new QRadioButton(QString::number(count), body);
    button->setObjectName(QStringLiteral("Hands_%1").arg(count));
    // White words beside a black dot on the white circle.
    QPalette palette = button->palette();
    palette.setColor(QPalette::WindowText, kTextWhite);
    palette.setColor(QPalette::ButtonText, kTextWhite);
    palette.setColor(QPalette::Text, Qt::black);
    button->setPalette(palette);
    button->setAccessibleName(count == 1 ? QStringLiteral("1 hand")
                                         : QStringLiteral("%1 hands").arg(count));
    hands->addButton(button, count);
    bottom->addWidget(button);
  }
  bottom->addStretch(1);
  facts = new QPushButton(QStringLiteral("Game facts"), body);
  facts->setObjectName(QStringLiteral("TrainerFacts"));
  facts->setAccessibleDescription(
      QStringLiteral("The odds, variance and bankroll of the game and pays shown"));
  bottom->addWidget(facts);
  ok = new QPushButton(QStringLiteral("OK"), body);
  ok->setObjectName(QStringLiteral("OK"));
  ok->setDefault(true);
  cancel = new QPushButton(QStringLiteral("Cancel"), body);
  cancel->setObjectName(QStringLiteral("Cancel"));
  bottom->addWidget(ok);
  bottom->addWidget(cancel);
  connect(facts, &QPushButton::clicked, this, [this] {
    const TrainerChoice choice = Choice();
    if (PaysRefusal(*choice.rules, choice.pays).isEmpty()) emit GameFactsRequested(choice);
  });
  connect(ok, &QPushButton::clicked, this, &TrainerSetupDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &TrainerSetupDialog::reject);
}

void TrainerSetupDialog::ConnectControls() {
  // Tab goes from the lists to the pays top down, then hands and buttons.
  std::vector<QWidget*> order{recent, games, tableList};
  for (int r = 0; r < kMaxPayRows; ++r) {
    order.push_back(payEdits[static_cast<std::size_t>(r)]);
    if (r == 0) order.push_back(topPrize);
  }
  order.insert(order.end(), {hands->button(1), facts, ok, cancel});
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

  connect(games, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (!filling && row >= 0) ShowGame(row);
  });
  connect(tableList, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (!filling && row >= 0) ShowTable(row);
  });
  // A click on the recent table already current fills it in again.
  const auto chooseRecent = [this](int row) {
    if (!filling && row >= 0 && row < static_cast<int>(recentChoices.size()))
      Select(recentChoices[static_cast<std::size_t>(row)]);
  };
  connect(recent, &QTableWidget::currentCellChanged, this, chooseRecent);
  connect(recent, &QTableWidget::cellClicked, this, chooseRecent);

  settle.setSingleShot(true);
  settle.setInterval(250);
  connect(&settle, &QTimer::timeout, this, &TrainerSetupDialog::StartReturn);
  connect(&working, &QFutureWatcher<double>::finished, this, [this] {
    returns[workingOn] = working.result();
    computing = false;
    ShowReturn();
    StartReturn();  // the pays typed meanwhile
  });
}

TrainerSetupDialog::~TrainerSetupDialog() {
  settle.stop();
  working.waitForFinished();
}

const GameRules& TrainerSetupDialog::Game() const {
  return GameLibrary()[static_cast<std::size_t>(game)];
}

TrainerSetupDialog::ReturnKey TrainerSetupDialog::KeyOf(const Pays& pays) {
  ReturnKey key{&pays.Rules(), {}};
  std::copy(pays.perCoin.begin(), pays.perCoin.begin() + pays.rowCount, key.second.begin());
  key.second[kMaxPayRows] = pays.royalFiveCoins;
  return key;
}

Pays TrainerSetupDialog::TypedPays() const {
  const GameRules& rules = Game();
  Pays pays = PaysOf(rules, rules.tables.front());
  for (int r = 0; r < rules.rowCount; ++r)
    pays.perCoin[static_cast<std::size_t>(r)] =
        ParseWhole(payEdits[static_cast<std::size_t>(r)]->text());
  pays.royalFiveCoins = ParseWhole(topPrize->text());
  return pays;
}

TrainerChoice TrainerSetupDialog::Choice() const {
  const Pays pays = TypedPays();
  const NamedTable* named = MatchingTable(Game(), pays);
  return TrainerChoice{&Game(), std::string(named != nullptr ? named->name : kCustom), pays,
                       hands->checkedId() > 0 ? hands->checkedId() : 1};
}

void TrainerSetupDialog::Select(const TrainerChoice& choice) {
  const int index = IndexOf(choice.rules);
  if (index < 0) return;
  filling = true;
  games->setCurrentCell(index, 0);
  ShowGame(index);
  FillPays(choice.pays);
  if (QAbstractButton* button = hands->button(choice.hands)) button->setChecked(true);
  filling = false;
  PaysChanged();
}

void TrainerSetupDialog::ShowGame(int index) {
  game = index;
  const GameRules& rules = Game();
  const bool wasFilling = filling;
  filling = true;
  tableList->setRowCount(0);
  for (const NamedTable& t : rules.tables) {
    const int row = tableList->rowCount();
    tableList->insertRow(row);
    tableList->setItem(row, 0, new QTableWidgetItem(TableText(t.name)));
    tableList->setItem(
        row, 1,
        new QTableWidgetItem(t.published.empty() ? QStringLiteral("—") : Text(t.published)));
  }
  for (int r = 0; r < kMaxPayRows; ++r) {
    const auto i = static_cast<std::size_t>(r);
    const bool shown = r < rules.rowCount;
    captions[i]->setVisible(shown);
    payEdits[i]->setVisible(shown);
    if (fiveCoins[i] != nullptr) fiveCoins[i]->setVisible(shown);
    if (!shown) continue;
    captions[i]->setText(Caption(rules, r));
    payEdits[i]->setAccessibleName(Caption(rules, r) + QStringLiteral(" pays per coin"));
  }
  topPrize->setAccessibleName(Caption(rules, 0) + QStringLiteral(" pays for five coins"));
  filling = wasFilling;
  if (!filling) ShowTable(0);
}

void TrainerSetupDialog::ShowTable(int index) {
  const GameRules& rules = Game();
  if (index < 0 || index >= static_cast<int>(rules.tables.size())) return;
  FillPays(PaysOf(rules, rules.tables[static_cast<std::size_t>(index)]));
  PaysChanged();
}

void TrainerSetupDialog::FillPays(const Pays& pays) {
  for (int r = 0; r < Game().rowCount; ++r)
    payEdits[static_cast<std::size_t>(r)]->setText(
        QString::number(pays.perCoin[static_cast<std::size_t>(r)]));
  topPrize->setText(QString::number(pays.royalFiveCoins));
}

void TrainerSetupDialog::PaysEdited() {
  if (!filling) PaysChanged();
}

void TrainerSetupDialog::PaysChanged() {
  const GameRules& rules = Game();
  const Pays pays = TypedPays();
  for (int r = 1; r < rules.rowCount; ++r) {
    const int pay = pays.perCoin[static_cast<std::size_t>(r)];
    fiveCoins[static_cast<std::size_t>(r)]->setText(pay >= 0 ? QString::number(pay * kMaxCoins)
                                                             : QString());
  }
  // Pays typed to those of a named table are that table again.
  const NamedTable* named = MatchingTable(rules, pays);
  const bool wasFilling = filling;
  filling = true;
  if (named != nullptr)
    tableList->setCurrentCell(static_cast<int>(named - rules.tables.data()), 0);
  else
    tableList->setCurrentCell(-1, -1);
  // A recent table stays marked only while it is the one shown.
  const int shownRecent = recent->currentRow();
  if (shownRecent >= 0 &&
      !SameTable(recentChoices[static_cast<std::size_t>(shownRecent)], Choice()))
    recent->setCurrentCell(-1, -1);
  filling = wasFilling;

  const QString why = PaysRefusal(rules, pays);
  refusal->setText(why);
  ok->setEnabled(why.isEmpty());
  facts->setEnabled(why.isEmpty());
  ShowReturn();
  if (why.isEmpty() && returns.count(KeyOf(pays)) == 0)
    settle.start();
  else
    settle.stop();
}

void TrainerSetupDialog::ShowReturn() {
  const QString lead = QStringLiteral("Return with best play: ");
  const Pays pays = TypedPays();
  if (!PaysRefusal(Game(), pays).isEmpty()) {
    returnText->setText(lead + QStringLiteral("—"));
    return;
  }
  const auto found = returns.find(KeyOf(pays));
  if (found == returns.end()) {
    returnText->setText(lead + QStringLiteral("working…"));
    return;
  }
  QString text = lead + PercentFigure(found->second);
  const NamedTable* named = MatchingTable(Game(), pays);
  if (named != nullptr && !named->published.empty())
    text +=
        QStringLiteral("   (published: %1, %2)").arg(Text(named->published), Text(named->source));
  returnText->setText(text);
}

void TrainerSetupDialog::StartReturn() {
  // One at a time, until its result is kept; the newest pays follow then.
  if (computing) return;
  const Pays pays = TypedPays();
  if (!PaysRefusal(Game(), pays).isEmpty() || returns.count(KeyOf(pays)) != 0) return;
  workingOn = KeyOf(pays);
  computing = true;
  TablesCache* cache = &tables;
  const GameRules* rules = &Game();
  working.setFuture(QtConcurrent::run([cache, rules, pays] {
    return ComputeReturn(cache->Wait(*rules), pays, kMaxCoins, rules->deck).returnRatio;
  }));
}

void TrainerSetupDialog::accept() {
  const TrainerChoice choice = Choice();
  if (!PaysRefusal(*choice.rules, choice.pays).isEmpty()) return;
  remembered = RememberTrainerChoice(profile, choice);
  QDialog::accept();
}

}  // namespace lynx
