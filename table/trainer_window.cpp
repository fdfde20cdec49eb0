#include "table/trainer_window.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <algorithm>
#include <cmath>

#include "cards/card_painter.h"
#include "engine/strategy.h"
#include "look/widget_look.h"
#include "platform/window_keys.h"
#include "platform/window_place.h"
#include "table/actions_menu.h"
#include "table/setting_saved.h"
#include "table/table_accessibility.h"
#include "table/table_controls.h"

namespace lynx {

namespace {

const QString kCardSound = QStringLiteral("SND2.WAV");
const QString kWinSound = QStringLiteral("SND0.WAV");
const QString kTitle = QStringLiteral("LYNX Video Poker");
constexpr char kSection[] = "Trainer";

// The machine's small card. The extra hands show the same cards, pixel for
// pixel, fanned where they would not fit side by side (each card leaves the
// rank and suit in the corner of the one before it in view) and cut off at
// the foot where their rows would not fit whole.
constexpr QSize kCard(73, 98);
constexpr int kRowPitch = 14;
constexpr int kPayTop = 32;
constexpr int kButtonsLeft = 556;
constexpr int kButtonsBottom = 270;
// The table keeps one size whatever the game's rows and the hands dealt.
constexpr int kWidth = 630;
constexpr int kHeight = 660;
// Where the dealt row starts, from the foot: markers, cards, caption, meter.
constexpr int kMarkersFromFoot = 180;
constexpr int kCoachWidth = 260;
// The extra hands' area: the table's width below the pay table and the
// buttons, above the dealt row.
constexpr int kExtraLeft = 10;
constexpr int kExtraWidth = 610;
constexpr int kExtraGap = 12;  // between the hands of a row
constexpr int kCaptionHeight = 14;
// The least of a card that still shows its rank and suit.
constexpr int kLeastFanStep = 16;
constexpr int kLeastCardHeight = 30;
// Room for the title bar when the table's size is weighed against the screen.
constexpr int kTitleBar = 30;

QPixmap Picture(const char* name) {
  return QPixmap(QStringLiteral(":/pictures/") + QLatin1String(name) + QStringLiteral(".png"));
}

int CeilDiv(int a, int b) {
  return (a + b - 1) / b;
}

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The rows of the largest pay table of the library.
int MostPayRows() {
  int rows = 0;
  for (const GameRules& rules : GameLibrary()) rows = std::max(rows, rules.rowCount);
  return rows;
}

}  // namespace

const char* SpeedWord(TrainerSpeed speed) {
  switch (speed) {
    case TrainerSpeed::kFast:
      return "fast";
    case TrainerSpeed::kInstant:
      return "instant";
    case TrainerSpeed::kDesigned:
      break;
  }
  return "designed";
}

TrainerSpeed SpeedFromWord(const QString& word) {
  const QString w = word.trimmed().toLower();
  if (w == QLatin1String("fast")) return TrainerSpeed::kFast;
  if (w == QLatin1String("instant")) return TrainerSpeed::kInstant;
  return TrainerSpeed::kDesigned;
}

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

QString RecordedTableName(const std::string& table, const Pays& pays) {
  if (table != "custom") return QString::fromStdString(table);
  QStringList perCoin;
  for (int r = 0; r < pays.rowCount; ++r)
    perCoin << QString::number(pays.perCoin[static_cast<std::size_t>(r)]);
  return QStringLiteral("custom %1 (%2)")
      .arg(perCoin.join(QLatin1Char('/')))
      .arg(pays.royalFiveCoins);
}

QString SessionSummaryText(const TrainerSession& s) {
  QString text = QStringLiteral("Deals: %1 (%2 hands)\nCoins bet: %3\nCoins won: %4\nReturn: %5")
                     .arg(s.deals)
                     .arg(s.hands)
                     .arg(s.coinsBet)
                     .arg(s.won)
                     .arg(PercentText(static_cast<double>(s.won), static_cast<double>(s.coinsBet)));
  if (s.judged.hands > 0) {
    text += QStringLiteral(
                "\n\nYour holds were worth %1 of the stake; best play, %2.\n"
                "Mistakes: %3 of %4 hands, costing %5 credits.")
                .arg(PercentText(s.judged.heldEv, static_cast<double>(s.judged.coinsBet)),
                     PercentText(s.judged.bestEv, static_cast<double>(s.judged.coinsBet)))
                .arg(s.judged.mistakes)
                .arg(s.judged.hands)
                .arg(CreditsText(s.judged.mistakeCost));
  }
  return text;
}

TrainerWindow::TrainerWindow(ProgramValues& values, Services& services, TablesCache& tables,
                             const TrainerChoice& choice, QWidget* parent)
    : QDialog(parent),
      values(values),
      services(services),
      tables(tables),
      choice(choice),
      machine(*choice.rules, choice.pays, choice.table, values.credits) {
  machine.SetHands(choice.hands);
  machine.onHandChanged = [this](const TrainerHandInProgress& hand) { emit HandChanged(hand); };
  setObjectName(QStringLiteral("Trainer"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowIcon(QIcon(QStringLiteral(":/pictures/icon32.png")));
  // The machine's whole factor where the table fits the work area at it,
  // else the largest whole factor of screen pixels at which it fits: every
  // pixel of the table then stands for that many screen pixels each way.
  const QWidget* near = parent != nullptr ? parent : this;
  const int screenFactor = ScreenFactor(near);
  const QRect area = WorkArea(near);
  pixelFactor = area.isEmpty() ? screenFactor
                               : FittingFactor(screenFactor, area.size() * screenFactor,
                                               QSize(kWidth, kHeight + kTitleBar));
  unit = static_cast<double>(pixelFactor) / screenFactor;
  setFont(ClassicFont(8.25 * unit, true));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kTableBlue);
  setPalette(palette);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  speed = SpeedFromWord(services.profile.ReadString(QString::fromLatin1(kSection),
                                                    QStringLiteral("Speed"), QString()));
  coachShown = services.profile.ReadString(QString::fromLatin1(kSection), QStringLiteral("Coach"),
                                           QString()) == QLatin1String("1");
  drawMarker = Art("marker_draw_small");
  holdMarker = Art("marker_hold_small");
  CreateControls();
  MarkMachineWindow(this);
  LayOut();
  PlaceInside(this, parent);
  new HeldKeyFilter(this);
  setFocus(Qt::OtherFocusReason);
  tables.Prepare(*choice.rules);
  connect(&chartWork, &QFutureWatcher<StrategyChart>::finished, this, [this] {
    StrategyChart built = chartWork.result();
    if (!built.lines.empty()) charts[chartWorkKey] = std::move(built);
    chartWorkKey.clear();
    FillChart();
  });
}

// "Double Double Bonus 9/6"; a title that names its table already
// ("Jacks or Better 9/6") is not followed by it again.
QString TrainerWindow::GameAndTable() const {
  const QString title = Text(machine.Rules().title);
  const QString table = QString::fromStdString(machine.TableName());
  return title.endsWith(QLatin1Char(' ') + table) ? title : title + QLatin1Char(' ') + table;
}

std::string TrainerWindow::ChartKey(int coins) const {
  const Pays& pays = machine.GamePays();
  std::string key = std::string(machine.Rules().name) + ':' + std::to_string(coins) + ':' +
                    std::to_string(pays.royalFiveCoins);
  for (int r = 0; r < pays.rowCount; ++r)
    key += ',' + std::to_string(pays.perCoin[static_cast<std::size_t>(r)]);
  return key;
}

void TrainerWindow::ShowChart() {
  if (!chartWindow) {
    chartWindow = new StrategyChartWindow(tables, this);
    PassKeys(chartWindow, this, &TrainerWindow::OwnKey);
    PlaceBeside(chartWindow, *this, QSize(Zoomed(380), Zoomed(300)));
  }
  FillChart();
  chartWindow->show();
  chartWindow->raise();
}

// The chart of the stake on the table (five coins before a bet), the line
// of the hand dealt marked; built in the background, one at a time.
void TrainerWindow::FillChart() {
  if (!chartWindow) return;
  const int coins = machine.CoinsIn() > 0       ? machine.CoinsIn()
                    : machine.LastCoinsIn() > 0 ? machine.LastCoinsIn()
                                                : 5;
  const GameRules& rules = machine.Rules();
  const QString title = GameAndTable();
  const QString deck = QStringLiteral("the deck of %1 cards").arg(TrainerDeckSize(rules));
  const std::string key = ChartKey(coins);
  const auto found = charts.find(key);
  if (found == charts.end()) {
    chartWindow->Show(nullptr, title, deck, rules.family, coins, -1);
    if (chartWorkKey.empty()) {
      chartWorkKey = key;
      const Pays pays = machine.GamePays();
      const GameRules* game = &rules;
      TablesCache* cache = &tables;
      std::atomic<bool>* stop = &chartStop;
      chartWork.setFuture(QtConcurrent::run([cache, game, pays, coins, stop] {
        ChartOptions options;
        options.stop = stop;
        return BuildChart(cache->Wait(*game), pays, coins, game->deck, options);
      }));
    }
    return;
  }
  const int line = machine.Dealt() ? MatchChart(found->second, machine.Cards()).line : -1;
  chartWindow->Show(&found->second, title, deck, rules.family, coins, line);
}

// A chart still being worked out gives up within a fraction of a second.
TrainerWindow::~TrainerWindow() {
  chartStop = true;
  chartWork.waitForFinished();
}

int TrainerWindow::Logical(int length) const {
  return static_cast<int>(std::lround(length * unit));
}

QRect TrainerWindow::Logical(const QRect& design) const {
  return QRect(QPoint(Logical(design.left()), Logical(design.top())),
               QPoint(Logical(design.right() + 1) - 1, Logical(design.bottom() + 1) - 1));
}

QPixmap TrainerWindow::Art(const char* name) const {
  QPixmap picture = Picture(name);
  picture.setDevicePixelRatio(1 / unit);
  return picture;
}

int TrainerWindow::CoachWidth() const {
  // At the asked scale, narrower where the work area has no room for it.
  const int room = WorkArea(this).width() - Logical(kWidth) - 16;
  return std::max(std::min(Zoomed(kCoachWidth), room), std::min(Zoomed(kCoachWidth), 160));
}

void TrainerWindow::CreateControls() {
  const QFont headerFont = ClassicFont(13.5 * unit, true);
  for (int j = 0; j < 6; ++j) {
    const QRect where =
        Logical(j == 0 ? QRect(10, 8, 81, 21) : QRect(214 + 60 * (j - 1) + 31, 8, 25, 21));
    header[static_cast<std::size_t>(j)] = new ClassicLabel(
        this, QStringLiteral("Header_%1").arg(j), where, Qt::AlignLeft, kCellGrey, kTextRed,
        headerFont, j == 0 ? QStringLiteral("Coins In") : QString::number(j));
  }
  message = new ClassicLabel(this, QStringLiteral("Mess"), QRect(), Qt::AlignHCenter, kCellGrey,
                             kTextYellow, headerFont);
  message->SetSpokenName(
      [this] { return message->text().isEmpty() ? tr("Message line: empty") : message->text(); });
  coinsLine = new ClassicLabel(this, QStringLiteral("CoinsIn"), QRect(), Qt::AlignLeft, kCellGrey,
                               kTextWhite, font());
  creditsLine = new ClassicLabel(this, QStringLiteral("Credits"), QRect(), Qt::AlignRight,
                                 kCellGrey, kTextWhite, font());
  gameLine = new ClassicLabel(this, QStringLiteral("GameLine"), QRect(), Qt::AlignHCenter,
                              kTableBlue, kTextWhite, font());
  handsButton = new ClassicLabel(this, QStringLiteral("Hands"), QRect(), Qt::AlignHCenter,
                                 kCellGrey, kTextWhite, font());
  speedButton = new ClassicLabel(this, QStringLiteral("Speed"), QRect(), Qt::AlignHCenter,
                                 kCellGrey, kTextWhite, font());
  connect(handsButton, &ClassicLabel::Released, this, [this](Qt::MouseButton) { NextHandCount(); });
  connect(speedButton, &ClassicLabel::Released, this, [this](Qt::MouseButton) { NextSpeed(); });
  gameButton = new ClassicLabel(this, QStringLiteral("Game"), QRect(), Qt::AlignHCenter, kCellGrey,
                                kTextWhite, font(), QStringLiteral("Game and pays (P)"));
  connect(gameButton, &ClassicLabel::Released, this,
          [this](Qt::MouseButton) { emit SetupRequested(); });
  handsButton->SetSpokenName([this] { return handsButton->text() + QStringLiteral(" (N)"); });
  speedButton->SetSpokenName([this] { return speedButton->text() + QStringLiteral(" (V)"); });

  auto button = [this](const QString& name, const QString& spoken, int top, const char* picture) {
    auto* b = new PictureButton(this, name, spoken, Logical(QRect(kButtonsLeft, top, 64, 40)));
    if (picture != nullptr) b->setPixmap(Art(picture));
    return b;
  };
  quitButton = button(QStringLiteral("Quit"), QStringLiteral("Quit"), 8, "btn_quit");
  soundButton = button(QStringLiteral("Sound"), QStringLiteral("Sound"), 50, "btn_sound");
  creditsButton =
      button(QStringLiteral("AddCredits"), QStringLiteral("Credits"), 92, "btn_credits");
  dealButton = button(QStringLiteral("DealDraw"), QStringLiteral("Deal"), 146, "btn_deal");
  betButton = button(QStringLiteral("BetOne"), QStringLiteral("Bet $1"), 188, "btn_bet_one");
  maxButton = button(QStringLiteral("MaxBet"), QStringLiteral("Max Bet"), 230, "btn_max_bet");
  connect(quitButton, &PictureButton::Clicked, this, &TrainerWindow::reject);
  connect(soundButton, &PictureButton::Clicked, this,
          [this] { values.soundOn = values.soundOn == 1 ? 0 : 1; });
  connect(creditsButton, &PictureButton::Clicked, this, &TrainerWindow::AddCredits);
  connect(dealButton, &PictureButton::Clicked, this, &TrainerWindow::DealOrDraw);
  connect(betButton, &PictureButton::Clicked, this, &TrainerWindow::BetOne);
  connect(maxButton, &PictureButton::Clicked, this, &TrainerWindow::BetMax);
  coach = new QLabel(this);
  coach->setObjectName(QStringLiteral("TrainerCoach"));
  ApplyReviewLook(coach);
  coach->setAutoFillBackground(true);
  QPalette coachPalette = coach->palette();
  coachPalette.setColor(QPalette::Window, kPanelBlue);
  coach->setPalette(coachPalette);
  coach->setWordWrap(true);
  coach->setTextFormat(Qt::RichText);
  coach->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  coach->setMargin(8);
  coach->hide();
  for (int k = 0; k < 5; ++k) {
    auto* marker = new PictureButton(this, QStringLiteral("Marker_%1").arg(k + 1),
                                     QStringLiteral("Hold card %1").arg(k + 1), QRect());
    marker->setPixmap(drawMarker);
    connect(marker, &PictureButton::Clicked, this, [this, k] { ToggleHold(k); });
    markers[static_cast<std::size_t>(k)] = marker;
  }
  // For assistive technology: each dealt card says its card and whether it
  // is held.
  for (int k = 0; k < 5; ++k) {
    const auto i = static_cast<std::size_t>(k);
    auto* spot = new CardSpot(
        this, QStringLiteral("Card_%1").arg(k + 1), [this, i] { return machine.Cards()[i]; },
        [this, k] { return machine.Dealt() && machine.Held().Holds(k); },
        [this, k] { return Logical(DealtCardRect(k)); }, markers[i]);
    connect(this, &TrainerWindow::HandChanged, spot, &CardSpot::NameMayHaveChanged);
    connect(this, &TrainerWindow::GamesSettled, spot, &CardSpot::NameMayHaveChanged);
  }
}

// The table keeps one size: the pay table on top, the extra hands under it
// as large as their count leaves them room for, the dealt row and the meter
// line at the foot.
void TrainerWindow::LayOut() {
  const GameRules& rules = machine.Rules();
  const int rows = rules.rowCount;
  // Left out at once: until they are deleted, assistive technology would
  // find the old table beside the new one.
  for (ClassicLabel* label : rowCaptions) {
    label->hide();
    LeaveOutOfTree(label);
    label->deleteLater();
  }
  for (auto& column : columns) {
    for (ClassicLabel* label : column) {
      label->hide();
      LeaveOutOfTree(label);
      label->deleteLater();
    }
    column.clear();
  }
  rowCaptions.clear();
  const QFont cellFont = ClassicFont(8.25 * unit, false);
  for (int r = 0; r < rows; ++r) {
    auto* caption = new ClassicLabel(this, QStringLiteral("Row_%1").arg(r),
                                     Logical(QRect(10, kPayTop + kRowPitch * r, 200, 17)),
                                     Qt::AlignLeft, kCellGrey, kTextWhite, cellFont);
    caption->show();
    rowCaptions.push_back(caption);
    for (int c = 1; c <= 5; ++c) {
      auto* cell =
          new ClassicLabel(this, QStringLiteral("Win%1_%2").arg(c).arg(r),
                           Logical(QRect(214 + 60 * (c - 1), kPayTop + kRowPitch * r, 56, 17)),
                           Qt::AlignRight, kCellGrey, kTextWhite, cellFont);
      cell->SetSpokenName([caption, cell, c] {
        return QStringLiteral("%1, %2 %3: %4")
            .arg(caption->text())
            .arg(c)
            .arg(c == 1 ? QStringLiteral("coin") : QStringLiteral("coins"), cell->text());
      });
      cell->show();
      columns[static_cast<std::size_t>(c - 1)].push_back(cell);
    }
  }
  const int markersTop = kHeight - kMarkersFromFoot;
  cardsTop = markersTop + 32;
  bottomTop = cardsTop + kCard.height() + 18;
  extraTop = std::max(kPayTop + kRowPitch * MostPayRows() + 10, kButtonsBottom + 6);
  const QSize area(kExtraWidth, markersTop - 6 - extraTop);
  extras = LayOutExtraHands(machine.Hands() - 1, area);
  if (extras.columns > 0) {
    // The hands stand in the middle of their area.
    const int used = extras.columns * ExtraHandWidth() + (extras.columns - 1) * kExtraGap;
    extraLeft = kExtraLeft + (area.width() - used) / 2;
    extraTop += (area.height() - extras.rows * ExtraRowHeight()) / 2;
  }
  // Each extra hand reads, to assistive technology, as its cards and win.
  for (QWidget* spot : handSpots) {
    spot->hide();
    LeaveOutOfTree(spot);
    spot->deleteLater();
  }
  handSpots.clear();
  for (int h = 1; h < machine.Hands(); ++h) {
    auto* spot = new PaintedSpot(this, QStringLiteral("Hand_%1").arg(h + 1),
                                 QStringLiteral("Hand %1").arg(h + 1));
    spot->setGeometry(Logical(ExtraHandRect(h).united(CaptionRect(h))));
    spot->show();
    handSpots.push_back(spot);
  }
  for (int k = 0; k < 5; ++k)
    markers[static_cast<std::size_t>(k)]->setGeometry(
        Logical(QRect(DealtCardRect(k).left() + 14, markersTop, 44, 28)));
  coinsLine->setGeometry(Logical(QRect(10, bottomTop + 2, 130, 20)));
  message->setGeometry(Logical(QRect(145, bottomTop, 280, 24)));
  creditsLine->setGeometry(Logical(QRect(430, bottomTop + 2, 190, 20)));
  gameLine->setGeometry(Logical(QRect(430, cardsTop, 190, 20)));
  handsButton->setGeometry(Logical(QRect(450, cardsTop + 30, 150, 20)));
  speedButton->setGeometry(Logical(QRect(450, cardsTop + 56, 150, 20)));
  gameButton->setGeometry(Logical(QRect(450, cardsTop + 82, 150, 20)));
  // The coach stands beside the table, as high as it: the table keeps its
  // size and place.
  const int coachWidth = CoachWidth();
  setFixedSize(Logical(kWidth) + (coachShown ? coachWidth : 0), Logical(kHeight));
  coach->setGeometry(Logical(kWidth), 0, coachWidth, Logical(kHeight));
  coach->setVisible(coachShown);
  // Shown, the window grows at its right edge; where that would leave the
  // work area it moves left by as much.
  if (isVisible()) {
    const QRect workArea = WorkArea(this);
    const int over = frameGeometry().right() - workArea.right();
    if (over > 0) move(std::max(workArea.left(), x() - over), y());
  }
  setWindowTitle(QStringLiteral("LYNX Video Poker -- Trainer -- ") + GameAndTable());
  WritePayTable();
  WriteMeter();
  ClearSurface();
  update();
}

void TrainerWindow::WritePayTable() {
  const GameRules& rules = machine.Rules();
  const Pays& pays = machine.GamePays();
  for (int r = 0; r < rules.rowCount; ++r) {
    rowCaptions[static_cast<std::size_t>(r)]->setText(
        Text(rules.rows[static_cast<std::size_t>(r)].caption));
    for (int c = 1; c <= 5; ++c)
      columns[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r)]->setText(
          QString::number(PayoutOf(pays, r, c)));
  }
  LightColumn(machine.CoinsIn() > 0 ? machine.CoinsIn() : machine.LastCoinsIn());
  gameLine->setText(GameAndTable());
  handsButton->setText(machine.Hands() == 1 ? QStringLiteral("1 hand")
                                            : QStringLiteral("%1 hands").arg(machine.Hands()));
  speedButton->setText(QStringLiteral("Speed: %1").arg(QLatin1String(SpeedWord(speed))));
}

void TrainerWindow::LightColumn(int coins) {
  for (int c = 1; c <= 5; ++c)
    for (ClassicLabel* cell : columns[static_cast<std::size_t>(c - 1)])
      cell->SetTextColour(c == coins ? kTextYellow : kTextWhite);
}

void TrainerWindow::LightRows(const std::vector<int>& rows) {
  for (std::size_t r = 0; r < rowCaptions.size(); ++r) {
    const bool lit = std::find(rows.begin(), rows.end(), static_cast<int>(r)) != rows.end();
    rowCaptions[r]->SetTextColour(lit ? kTextYellow : kTextWhite);
  }
}

void TrainerWindow::WriteMeter() {
  const int coins = machine.CoinsIn() > 0 ? machine.CoinsIn() : machine.LastCoinsIn();
  coinsLine->setText(machine.Hands() == 1
                         ? QStringLiteral("Coins In: %1").arg(coins)
                         : QStringLiteral("Coins In: %1 x %2").arg(coins).arg(machine.Hands()));
  creditsLine->setText(QStringLiteral("Credits: %1").arg(values.credits));
}

QString TrainerWindow::MessageText() const {
  return message->text();
}

QString TrainerWindow::HandCaption(int index) const {
  if (index < 0 || index >= static_cast<int>(captions.size())) return {};
  return captions[static_cast<std::size_t>(index)];
}

// ---- Play ------------------------------------------------------------------

void TrainerWindow::DealOrDraw() {
  if (busy) return;
  if (machine.Dealt())
    Draw();
  else
    Deal();
}

void TrainerWindow::BetOne() {
  if (busy || machine.Dealt()) return;
  const BetOutcome bet = machine.BetOne();
  if (bet.refusal != Refusal::None) {
    Refuse(bet.refusal);
    return;
  }
  if (!bet.placed) return;
  LightColumn(machine.CoinsIn());
  WriteMeter();
  message->setText(QString());
  if (bet.dealNext) Deal();
}

void TrainerWindow::BetMax() {
  if (busy || machine.Dealt()) return;
  const BetOutcome bet = machine.BetMax();
  if (bet.refusal != Refusal::None) {
    Refuse(bet.refusal);
    return;
  }
  LightColumn(machine.CoinsIn());
  WriteMeter();
  if (bet.dealNext) Deal();
}

void TrainerWindow::ToggleHold(int index) {
  if (busy || !machine.ToggleHold(index)) return;
  warning = false;
  ShowHolds();
  WriteCoach();
}

void TrainerWindow::Hint() {
  if (busy || !machine.Dealt()) return;
  Judge();
  if (!judgement) {
    message->setText(QStringLiteral("Working out the best hold..."));
    return;
  }
  if (machine.SetHolds(HoldMask::FromBits(judgement->bestMask))) {
    warning = false;
    ShowHolds();
    WriteCoach();
  } else {
    message->setText(judgement->bestMask == 0 ? QStringLiteral("Best: draw five")
                                              : QStringLiteral("Best: as held"));
  }
}

void TrainerWindow::AddCredits() {
  if (busy) return;
  machine.AddCredits(100);
  WriteMeter();
  emit CreditsAdded();
}

void TrainerWindow::NextHandCount() {
  if (busy) return;
  const auto& counts = kTrainerHandCounts;
  const auto at = std::find(counts.begin(), counts.end(), machine.Hands());
  const int next = at == counts.end() || at + 1 == counts.end() ? counts.front() : *(at + 1);
  TrainerChoice wanted = choice;
  wanted.hands = next;
  Choose(wanted);
}

void TrainerWindow::NextSpeed() {
  speed = speed == TrainerSpeed::kDesigned ? TrainerSpeed::kFast
          : speed == TrainerSpeed::kFast   ? TrainerSpeed::kInstant
                                           : TrainerSpeed::kDesigned;
  speedButton->setText(QStringLiteral("Speed: %1").arg(QLatin1String(SpeedWord(speed))));
  SaveSettings();
}

bool TrainerWindow::Choose(const TrainerChoice& next) {
  if (busy || machine.Dealt()) {
    services.dialogs.Info(this, kTitle,
                          QStringLiteral("Finish the hand on the table first: draw, then choose."));
    return false;
  }
  if (next.rules == nullptr || !machine.SetGame(*next.rules, next.pays, next.table) ||
      !machine.SetHands(next.hands))
    return false;
  choice = next;
  judgement.reset();
  last.reset();
  captions.clear();
  tables.Prepare(*next.rules);
  LightRows({});
  message->setText(QString());
  LayOut();
  SaveSettings();
  return true;
}

bool TrainerWindow::ResumeHand(const TrainerHandInProgress& hand) {
  if (busy || machine.Dealt()) return false;
  const GameRules* rules = FindGame(hand.game);
  if (rules == nullptr) return false;
  TrainerChoice back{rules, hand.table, hand.pays, hand.hands};
  back.pays.rules = rules;
  back.pays.variant = rules->family;
  if (!machine.SetGame(*rules, back.pays, hand.table) || !machine.SetHands(hand.hands) ||
      !machine.Resume(hand)) {
    machine.SetGame(*choice.rules, choice.pays, choice.table);
    machine.SetHands(choice.hands);
    return false;
  }
  choice = back;
  tables.Prepare(*rules);
  LayOut();
  judgement.reset();
  ClearSurface();
  for (int k = 0; k < 5; ++k) PaintDealtCard(k, hand.dealt[static_cast<std::size_t>(k)], false);
  ShowHolds();
  LightColumn(machine.CoinsIn());
  WriteMeter();
  dealButton->setPixmap(Art("btn_draw"));
  dealButton->setAccessibleName(QStringLiteral("Draw"));
  update();
  return true;
}

void TrainerWindow::Refuse(Refusal refusal) {
  if (refusal != Refusal::None) services.dialogs.Info(this, kTitle, RefusalText(refusal));
}

// One pause of the chosen speed: the card sound where the sound is on (its
// length is the machine's pace), nothing at the instant speed.
void TrainerWindow::Pause() {
  if (speed != TrainerSpeed::kInstant && values.soundOn == 1) services.sound.PlaySync(kCardSound);
}

void TrainerWindow::Deal() {
  const DealOutcome deal = machine.Deal(services.random);
  if (deal.refusal != Refusal::None) {
    Refuse(deal.refusal);
    return;
  }
  busy = true;
  judgement.reset();
  last.reset();
  captions.clear();
  for (std::size_t h = 0; h < handSpots.size(); ++h)
    handSpots[h]->setAccessibleName(QStringLiteral("Hand %1").arg(h + 2));
  // Judged before the cards show: the hint and the summary never wait.
  warned = 0;
  warning = false;
  Judge();
  LightRows({});
  LightColumn(machine.CoinsIn());
  WriteMeter();
  message->setText(QString());
  // The extra hands wait face down for the draw.
  ClearSurface();
  for (int k = 0; k < 5; ++k) {
    PaintDealtCard(k, deal.cards[static_cast<std::size_t>(k)], false);
    if (speed == TrainerSpeed::kDesigned) {
      repaint();
      Pause();
    }
  }
  if (speed == TrainerSpeed::kFast) {
    repaint();
    Pause();
  }
  ShowHolds();
  if (deal.winRow > -1) LightRows({deal.winRow});
  dealButton->setPixmap(Art("btn_draw"));
  dealButton->setAccessibleName(QStringLiteral("Draw"));
  busy = false;
  WriteCoach();
  update();
  Announce(this,
           DealtText(deal.cards, deal.winRow > -1
                                     ? rowCaptions[static_cast<std::size_t>(deal.winRow)]->text()
                                     : QString()));
}

void TrainerWindow::Judge() {
  if (judgement || !machine.Dealt()) return;
  const StrategyTables* built = tables.Find(machine.Rules());
  if (built == nullptr) return;
  judgement = JudgeHand(*built, machine.Cards(), machine.CoinsIn(), machine.GamePays(),
                        machine.Rules().deck);
}

void TrainerWindow::Draw() {
  Judge();
  // Shown, the coach holds a costly draw back once for each hold, and says
  // why beside the table.
  if (coachShown && judgement) {
    const unsigned mask = static_cast<unsigned>(machine.Held().Stored());
    const HoldVerdict verdict = JudgeHold(*judgement, mask);
    if (verdict.mistake && (warned >> mask & 1u) == 0) {
      warned |= 1u << mask;
      warning = true;
      WriteCoach();
      // Said wherever the focus is: the draw did not happen, and why.
      Announce(this,
               tr("Coach: this hold gives up %1 credits a hand. Held: %2. Best: %3. "
                  "Return draws as held; H holds the best.")
                   .arg(CreditsText(verdict.cost),
                        QString::fromStdString(HoldText(judgement->dealt, mask)),
                        QString::fromStdString(HoldText(judgement->dealt, judgement->bestMask))));
      return;
    }
  }
  warning = false;
  const TrainerSettlement settled = machine.Draw(services.random);
  if (settled.results.empty()) return;
  busy = true;
  // Kept before the player sees the result: a deal shown as paid is recorded.
  std::vector<GameRecord> rows;
  const HoldVerdict verdict =
      judgement ? JudgeHold(*judgement, static_cast<unsigned>(settled.held.Stored()))
                : HoldVerdict{};
  for (std::size_t h = 0; h < settled.results.size(); ++h) {
    const TrainerHandResult& result = settled.results[h];
    GameRecord record;
    record.game = machine.Rules().machine != 0 ? machine.Rules().machine : machine.Rules().family;
    record.coins = settled.coins;
    record.dealt = settled.dealt;
    record.held = settled.held.Stored();
    record.final = result.final;
    record.row = result.row;
    record.won = static_cast<int>(result.won);
    record.creditsAfter = settled.creditsAfterEach[h];
    record.libraryGame = Text(machine.Rules().name);
    record.payTable = RecordedTableName(settled.table, settled.pays);
    record.hands = settled.hands;
    if (judgement) {
      record.bestEv = verdict.bestEv;
      record.heldEv = verdict.heldEv;
      record.bestHolds = QString::fromStdString(verdict.bestHolds);
    }
    rows.push_back(record);
  }
  emit GamesSettled(rows);
  if (judgement) {
    lastDraw = verdict.mistake
                   ? QStringLiteral("Held %1: gave up %2 credits a hand against %3.")
                         .arg(QString::fromStdString(
                             HoldText(settled.dealt, static_cast<unsigned>(settled.held.Stored()))))
                         .arg(CreditsText(verdict.cost))
                         .arg(QString::fromStdString(HoldText(settled.dealt, judgement->bestMask)))
                   : QStringLiteral("Held %1: a best hold.")
                         .arg(QString::fromStdString(HoldText(
                             settled.dealt, static_cast<unsigned>(settled.held.Stored()))));
  }

  session.deals += 1;
  session.hands += settled.hands;
  session.coinsBet += settled.stake;
  session.won += settled.won;
  if (judgement) {
    const std::int64_t mistakesBefore = session.judged.mistakes;
    for (const TrainerHandResult& result : settled.results)
      session.judged.Add(*judgement, static_cast<unsigned>(settled.held.Stored()),
                         static_cast<int>(result.won));
    // One hold is one decision, however many hands play it: one mistake,
    // costing what it gave up on every hand.
    session.judged.mistakes = std::min(session.judged.mistakes, mistakesBefore + 1);
  }

  // The dealt row draws first, then each extra hand in turn.
  const TrainerHandResult& first = settled.results.front();
  for (int k = 0; k < 5; ++k) {
    if (settled.held.Holds(k)) continue;
    PaintDealtCard(k, first.final[static_cast<std::size_t>(k)], false);
    if (speed == TrainerSpeed::kDesigned) {
      repaint();
      Pause();
    }
  }
  if (speed == TrainerSpeed::kFast) {
    repaint();
    Pause();
  }
  const auto captionOf = [this](const TrainerHandResult& result) {
    return result.row > -1
               ? QStringLiteral("%1 %2")
                     .arg(Text(machine.Rules().rows[static_cast<std::size_t>(result.row)].caption))
                     .arg(result.won)
               : QString();
  };
  // With more hands than one, the dealt row is captioned as the others are.
  captions.push_back(captionOf(first));
  if (settled.hands > 1) PaintCaption(0, captions.front(), first.row > -1);
  std::vector<int> won;
  if (first.row > -1) won.push_back(first.row);
  for (std::size_t h = 1; h < settled.results.size(); ++h) {
    const TrainerHandResult& result = settled.results[h];
    const int hand = static_cast<int>(h);
    PaintMiniHand(hand, result.final, {true, true, true, true, true});
    const QString caption = captionOf(result);
    captions.push_back(caption);
    if (h - 1 < handSpots.size()) {
      QStringList names;
      for (const CardCode card : result.final) names << CardName(card);
      handSpots[h - 1]->setAccessibleName(
          QStringLiteral("Hand %1: %2. %3")
              .arg(hand + 1)
              .arg(names.join(QStringLiteral(", ")),
                   caption.isEmpty() ? QStringLiteral("No win") : caption));
    }
    PaintCaption(hand, caption, result.row > -1);
    if (result.row > -1) won.push_back(result.row);
    if (speed != TrainerSpeed::kInstant) {
      repaint();
      Pause();
    }
  }
  LightRows(won);
  if (settled.hands == 1)
    message->setText(QString::fromStdString(first.message));
  else
    message->setText(settled.won > 0 ? QStringLiteral("Total won: %1").arg(settled.won)
                                     : QStringLiteral("No win"));
  WriteMeter();
  for (int k = 0; k < 5; ++k) markers[static_cast<std::size_t>(k)]->setPixmap(drawMarker);
  dealButton->setPixmap(Art("btn_deal"));
  dealButton->setAccessibleName(QStringLiteral("Deal"));
  last = settled;
  busy = false;
  WriteCoach();
  update();
  Announce(this,
           DrawnText(first.final, settled.won > 0 ? message->text() : QString(), values.credits));
  if (settled.won > 0 && values.soundOn == 1) services.sound.PlaySync(kWinSound);
}

void TrainerWindow::ShowHolds() {
  for (int k = 0; k < 5; ++k)
    markers[static_cast<std::size_t>(k)]->setPixmap(
        machine.Dealt() && machine.Held().Holds(k) ? holdMarker : drawMarker);
  if (!machine.Dealt()) return;
  // The extra hands show the cards held, the rest face down.
  std::array<bool, 5> held{};
  for (int k = 0; k < 5; ++k) held[static_cast<std::size_t>(k)] = machine.Held().Holds(k);
  for (int h = 1; h < machine.Hands(); ++h) PaintMiniHand(h, machine.Cards(), held);
  update();
}

void TrainerWindow::SaveSettings() {
  const bool written = services.profile.WriteStrings(
      QString::fromLatin1(kSection),
      {{QStringLiteral("Speed"), QString::fromLatin1(SpeedWord(speed))},
       {QStringLiteral("Coach"), coachShown ? QStringLiteral("1") : QStringLiteral("0")}});
  TellSettingNotSaved(written, services, this, QString::fromStdString(values.programTitle),
                      settingProblemTold);
}

void TrainerWindow::ShowCoach(bool shown) {
  if (shown == coachShown) return;
  coachShown = shown;
  if (!shown) warning = false;
  LayOut();
  Redraw();
  WriteCoach();
  SaveSettings();
}

// The hand on the table (or the last deal's hands) on a fresh surface.
void TrainerWindow::Redraw() {
  if (!machine.Dealt() && !last) return;
  for (int k = 0; k < 5; ++k)
    PaintDealtCard(k, machine.Cards()[static_cast<std::size_t>(k)], false);
  if (machine.Dealt()) {
    ShowHolds();
    return;
  }
  if (last->hands > 1 && !captions.empty())
    PaintCaption(0, captions.front(), last->results.front().row > -1);
  for (std::size_t h = 1; h < last->results.size(); ++h) {
    PaintMiniHand(static_cast<int>(h), last->results[h].final, {true, true, true, true, true});
    if (h < captions.size())
      PaintCaption(static_cast<int>(h), captions[h], last->results[h].row > -1);
  }
  update();
}

// What the coach says: the best hold of the hand on the table and what the
// hold chosen gives up, a warning standing, the last draw, and the visit's
// figures. The values are per hand: every hand of a deal holds the same.
QString TrainerWindow::CoachText() const {
  const auto heading = [](const QString& text) {
    return QStringLiteral("<b><span style='color:#ffff00'>%1</span></b><br>").arg(text);
  };
  QString text = heading(QStringLiteral("STRATEGY COACH")) +
                 QStringLiteral("Exact values for %1 %2, per hand.<br><br>")
                     .arg(Text(machine.Rules().title).toHtmlEscaped(),
                          QString::fromStdString(machine.TableName()).toHtmlEscaped());
  text += heading(QStringLiteral("THIS HAND"));
  if (!machine.Dealt()) {
    text += QStringLiteral("Bet and deal; H then holds the best hold.");
  } else if (!judgement) {
    text += QStringLiteral("Working out the values of this game...");
  } else {
    const unsigned mask = static_cast<unsigned>(machine.Held().Stored());
    const HoldVerdict verdict = JudgeHold(*judgement, mask);
    text += QStringLiteral("Best: %1, worth %2 credits.<br>Held: %3, worth %4")
                .arg(QString::fromStdString(HoldText(judgement->dealt, judgement->bestMask)))
                .arg(CreditsText(verdict.bestEv))
                .arg(QString::fromStdString(HoldText(judgement->dealt, mask)))
                .arg(CreditsText(verdict.heldEv));
    text += verdict.mistake ? QStringLiteral(": gives up %1.").arg(CreditsText(verdict.cost))
                            : QStringLiteral(", a best hold.");
    if (warning)
      text += QStringLiteral(
                  "<br><b><span style='color:#ff0000'>This hold gives up %1 credits "
                  "a hand. Return draws as held; H holds the best.</span></b>")
                  .arg(CreditsText(verdict.cost));
  }
  text += QStringLiteral("<br><br>") + heading(QStringLiteral("LAST DRAW")) +
          (lastDraw.isEmpty() ? QStringLiteral("Nothing drawn yet.") : lastDraw);
  const CoachTally& tally = session.judged;
  text += QStringLiteral("<br><br>") + heading(QStringLiteral("THIS VISIT"));
  text += tally.hands == 0
              ? QStringLiteral("No hands judged yet.")
              : QStringLiteral("%1 hands: your holds %2, best play %3; %4 mistakes costing %5.")
                    .arg(tally.hands)
                    .arg(PercentText(tally.HeldReturn(), 1), PercentText(tally.BestReturn(), 1))
                    .arg(tally.mistakes)
                    .arg(CreditsText(tally.mistakeCost));
  text += QStringLiteral(
      "<br><br><span style='color:#c0c0c0'>H hint · A all holds · G chart · K hide</span>");
  return text;
}

void TrainerWindow::WriteCoach() {
  if (coachShown) coach->setText(CoachText());
  if (chartWindow != nullptr && chartWindow->isVisible()) FillChart();
  if (allHoldsWindow != nullptr && allHoldsWindow->isVisible()) FillAllHolds();
}

void TrainerWindow::ShowAllHolds() {
  if (allHoldsWindow == nullptr) {
    allHoldsWindow = new QWidget(this, Qt::Window);
    allHoldsWindow->setObjectName(QStringLiteral("TrainerAllHolds"));
    allHoldsWindow->setWindowTitle(QStringLiteral("LYNX Video Poker -- All Holds"));
    ApplyReviewLook(allHoldsWindow);
    auto* layout = new QVBoxLayout(allHoldsWindow);
    allHolds = new QTableWidget(kHoldCount, 4, allHoldsWindow);
    SetUpReviewTable(allHolds);
    allHolds->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(allHolds);
    allHoldsWindow->resize(Zoomed(380), Zoomed(560));
    CloseOnKeys(allHoldsWindow);
    PassKeys(allHoldsWindow, this, &TrainerWindow::OwnKey);
    PlaceBeside(allHoldsWindow, *this, QSize(Zoomed(300), Zoomed(300)));
  }
  FillAllHolds();
  allHoldsWindow->show();
  allHoldsWindow->raise();
}

// Every hold, best first, with its value and the chance of each pay row of
// the game and pays on the table.
void TrainerWindow::FillAllHolds() {
  if (allHolds == nullptr) return;
  const GameRules& rules = machine.Rules();
  QStringList headers{QStringLiteral("#"), QStringLiteral("Hold"), QStringLiteral("EV"),
                      QStringLiteral("EV/coin")};
  for (int r = 0; r < rules.rowCount; ++r)
    headers << Text(rules.rows[static_cast<std::size_t>(r)].caption);
  headers << QStringLiteral("No win");
  allHolds->setColumnCount(static_cast<int>(headers.size()));
  allHolds->setHorizontalHeaderLabels(headers);
  Judge();
  allHolds->clearContents();
  const StrategyTables* built = tables.Find(rules);
  if (!judgement || built == nullptr) {
    allHolds->resizeColumnsToContents();
    return;
  }
  const HandAdvice advice =
      AdviseHand(*built, judgement->dealt, judgement->coins, rules.deck, machine.GamePays());
  for (int i = 0; i < kHoldCount; ++i) {
    const HoldValue& h = advice.holds[static_cast<std::size_t>(i)];
    const bool best = i < advice.bestCount;
    QStringList cells{QString::number(i + 1) + (best ? QStringLiteral("*") : QString()),
                      QString::fromStdString(HoldText(judgement->dealt, h.mask)),
                      QString::number(h.ev, 'f', 6), QString::number(h.evPerCoin, 'f', 6)};
    const auto share = [&h](std::int64_t count) {
      return ProbabilityText(static_cast<double>(count) / static_cast<double>(h.draws));
    };
    for (int r = 0; r < rules.rowCount; ++r) cells << share(h.counts[static_cast<std::size_t>(r)]);
    cells << share(h.noWin);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c != 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (best) item->setForeground(kTextYellow);
      allHolds->setItem(i, c, item);
    }
  }
  allHolds->resizeColumnsToContents();
  if (!allHoldsSized) {
    // Once: wide enough for every column (the chance of each pay row) where
    // the work area allows.
    allHoldsSized = true;
    const QMargins margins = allHoldsWindow->layout()->contentsMargins();
    int width = allHolds->verticalScrollBar()->sizeHint().width() + 2 * allHolds->frameWidth() +
                margins.left() + margins.right();
    for (int c = 0; c < allHolds->columnCount(); ++c) width += allHolds->columnWidth(c);
    allHoldsWindow->resize(std::max(width, Zoomed(380)), allHoldsWindow->height());
    PlaceBeside(allHoldsWindow, *this, QSize(Zoomed(300), Zoomed(300)));
  }
}

void TrainerWindow::reject() {
  if (busy) return;
  if (session.deals > 0)
    services.dialogs.Info(this, QStringLiteral("LYNX Video Poker -- Trainer session"),
                          SessionSummaryText(session));
  QDialog::reject();
}

// ---- Keys and mouse ---------------------------------------------------------

bool TrainerWindow::OwnKey(const QKeyEvent& event) {
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4:
    case Qt::Key_5:
    case Qt::Key_B:
    case Qt::Key_C:
    case Qt::Key_A:
    case Qt::Key_G:
    case Qt::Key_H:
    case Qt::Key_K:
    case Qt::Key_M:
    case Qt::Key_N:
    case Qt::Key_P:
    case Qt::Key_R:
    case Qt::Key_S:
    case Qt::Key_T:
    case Qt::Key_V:
      return true;
    default:
      return false;
  }
}

void TrainerWindow::ShowHelp() {
  services.help.Open(QString::fromStdString(values.helpFile), kHelpTopic);
}

void TrainerWindow::contextMenuEvent(QContextMenuEvent* event) {
  // The Menu key; the mouse's right button keeps to the table.
  if (event->reason() != QContextMenuEvent::Keyboard) {
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
  menu.AddSeparator();
  menu.Add(tr("&Number of hands: %1\tN").arg(machine.Hands()), [this] { NextHandCount(); })
      ->setEnabled(!dealt);
  menu.Add(tr("Card sp&eed: %1\tV").arg(QLatin1String(SpeedWord(speed))), [this] { NextSpeed(); });
  menu.Add(tr("Game and &pays...\tP"), [this] { emit SetupRequested(); });
  menu.Add(tr("Add 100 c&redits\tC"), [this] { AddCredits(); });
  menu.AddCheck(tr("&Sound\tS"), values.soundOn == 1,
                [this] { values.soundOn = values.soundOn == 1 ? 0 : 1; });
  menu.AddEnd([this] { emit HistoryRequested(); }, [this] { emit StatisticsRequested(); },
              [this] { ShowHelp(); }, tr("&Leave the trainer\tEsc"), [this] { reject(); });
  menu.Exec(globalPos);
}

void TrainerWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    reject();
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
      values.soundOn = values.soundOn == 1 ? 0 : 1;
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
