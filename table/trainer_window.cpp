#include "table/trainer_window.h"

#include <QLabel>
#include <QPalette>
#include <algorithm>

#include "look/widget_look.h"
#include "platform/window_place.h"
#include "table/button_column.h"
#include "table/game_records.h"
#include "table/setting_saved.h"
#include "table/table_accessibility.h"
#include "table/table_controls.h"
#include "table/table_frame.h"
#include "table/trainer_geometry.h"

namespace lynx {

namespace {

using namespace trainer_geometry;

constexpr char kSection[] = "Trainer";

constexpr int kRowPitch = 14;
constexpr int kPayTop = 32;
constexpr int kButtonsLeft = 556;
constexpr int kButtonsBottom = 270;
// Where the dealt row starts, from the foot: markers, cards, caption, meter.
constexpr int kMarkersFromFoot = 180;
// The extra hands' area: the table's width below the pay table and the
// buttons, above the dealt row.
constexpr int kExtraLeft = 10;
constexpr int kExtraWidth = 610;

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

TrainerWindow::TrainerWindow(ProgramValues& values, Services& services, TablesCache& tables,
                             const TrainerChoice& choice, QWidget* parent)
    : QDialog(parent),
      values(values),
      services(services),
      tables(tables),
      choice(choice),
      machine(*choice.rules, choice.pays, choice.table, values.credits),
      sounds(values, services.sound),
      standing(tables) {
  machine.SetHands(choice.hands);
  machine.onHandChanged = [this](const TrainerHandInProgress& hand) { emit HandChanged(hand); };
  setObjectName(QStringLiteral("Trainer"));
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
  SetUpTableWindow(this, 8.25 * unit);
  speed = SpeedFromWord(services.profile.ReadString(QString::fromLatin1(kSection),
                                                    QStringLiteral("Speed"), QString()));
  coachShown = services.profile.ReadString(QString::fromLatin1(kSection), QStringLiteral("Coach"),
                                           QString()) == QLatin1String("1");
  cardRow.SetFaces(TablePicture("marker_hold_small", unit),
                   TablePicture("marker_draw_small", unit));
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
  connect(&standing, &SessionStanding::Known, this, [this] {
    if (leaving) FinishLeaving();
  });
}

// "Double Double Bonus 9/6"; a title that names its table already
// ("Jacks or Better 9/6") is not followed by it again.
QString TrainerWindow::GameAndTable() const {
  const QString title = Text(machine.Rules().title);
  const QString table = QString::fromStdString(machine.TableName());
  return title.endsWith(QLatin1Char(' ') + table) ? title : title + QLatin1Char(' ') + table;
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
    header[static_cast<std::size_t>(j)] =
        PayTableView::Heading(this, QStringLiteral("Header_%1").arg(j), j, where, headerFont);
  }
  meter = std::make_unique<MeterLine>(
      this, MeterLook{QStringLiteral("CoinsIn"), QStringLiteral("Credits"), QRect(), QRect(),
                      QRect(), headerFont, font(), QString(), QString()});
  message = meter->message;
  CreateChoiceLines();
  const std::array<PictureButtonSpec, 6> specs{{
      {"Quit", "Quit", Logical(QRect(kButtonsLeft, 8, 64, 40)), "btn_quit"},
      {"Sound", "Sound", Logical(QRect(kButtonsLeft, 50, 64, 40)), "btn_sound"},
      {"AddCredits", "Credits", Logical(QRect(kButtonsLeft, 92, 64, 40)), "btn_credits"},
      {"DealDraw", "Deal", Logical(QRect(kButtonsLeft, 146, 64, 40)), "btn_deal"},
      {"BetOne", "Bet $1", Logical(QRect(kButtonsLeft, 188, 64, 40)), "btn_bet_one"},
      {"MaxBet", "Max Bet", Logical(QRect(kButtonsLeft, 230, 64, 40)), "btn_max_bet"},
  }};
  const std::vector<PictureButton*> buttons = MakePictureButtons(this, specs, unit);
  dealButton = buttons[3];
  connect(buttons[0], &PictureButton::Clicked, this, &TrainerWindow::reject);
  connect(buttons[1], &PictureButton::Clicked, this, [this] { sounds.Toggle(); });
  connect(buttons[2], &PictureButton::Clicked, this, &TrainerWindow::AddCredits);
  connect(buttons[3], &PictureButton::Clicked, this, &TrainerWindow::DealOrDraw);
  connect(buttons[4], &PictureButton::Clicked, this, &TrainerWindow::BetOne);
  connect(buttons[5], &PictureButton::Clicked, this, &TrainerWindow::BetMax);
  CreateCoach();
  cardRow.MakeMarkers(
      this, [](int k) { return QStringLiteral("Marker_%1").arg(k + 1); },
      [](int) { return QRect(); }, [this](int k) { ToggleHold(k); });
  for (PictureButton* marker : cardRow.Markers()) marker->setPixmap(cardRow.Face(false));
  // For assistive technology: each dealt card says its card and whether it
  // is held.
  cardRow.MakeCardSpots(
      this, [this](int k) { return machine.Cards()[static_cast<std::size_t>(k)]; },
      [this](int k) { return machine.Dealt() && machine.Held().Holds(k); },
      [this](int k) { return Logical(DealtCardRect(k)); });
  for (CardSpot* spot : cardRow.Spots()) {
    connect(this, &TrainerWindow::HandChanged, spot, &CardSpot::NameMayHaveChanged);
    connect(this, &TrainerWindow::GamesSettled, spot, &CardSpot::NameMayHaveChanged);
  }
}

// The game and its pays, and the buttons for the hands, the speed and the
// game and pays.
void TrainerWindow::CreateChoiceLines() {
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
}

void TrainerWindow::CreateCoach() {
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
}

// The table keeps one size: the pay table on top, the extra hands under it
// as large as their count leaves them room for, the dealt row and the meter
// line at the foot.
void TrainerWindow::LayOut() {
  // Left out at once: until they are deleted, assistive technology would
  // find the old table beside the new one.
  payTable.Discard();
  PayTableView::Cells cells;
  cells.rows = machine.Rules().rowCount;
  cells.order = PayTableView::Order::kRowByRow;
  cells.namePrefix = QStringLiteral("Row_");
  cells.font = ClassicFont(8.25 * unit, false);
  cells.nameRect = [this](int r) { return Logical(QRect(10, kPayTop + kRowPitch * r, 200, 17)); };
  cells.payRect = [this](int c, int r) {
    return Logical(QRect(214 + 60 * (c - 1), kPayTop + kRowPitch * r, 56, 17));
  };
  payTable.Create(this, cells);
  for (int r = 0; r < payTable.Rows(); ++r)
    for (ClassicLabel* cell : payTable.RowCells(r)) cell->show();
  const int markersTop = kHeight - kMarkersFromFoot;
  cardsTop = markersTop + 32;
  bottomTop = cardsTop + kCard.height() + 18;
  PlaceExtraHands(markersTop);
  for (int k = 0; k < 5; ++k)
    cardRow.Marker(k)->setGeometry(
        Logical(QRect(DealtCardRect(k).left() + 14, markersTop, 44, 28)));
  meter->coins->setGeometry(Logical(QRect(10, bottomTop + 2, 130, 20)));
  message->setGeometry(Logical(QRect(145, bottomTop, 280, 24)));
  meter->credits->setGeometry(Logical(QRect(430, bottomTop + 2, 190, 20)));
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

// The extra hands' area between the pay table and the markers of the dealt
// row, and their places for assistive technology: each reads as its cards
// and win.
void TrainerWindow::PlaceExtraHands(int markersTop) {
  extraTop = std::max(kPayTop + kRowPitch * MostPayRows() + 10, kButtonsBottom + 6);
  const QSize area(kExtraWidth, markersTop - 6 - extraTop);
  extras = lynx::LayOutExtraHands(machine.Hands() - 1, area);
  if (extras.columns > 0) {
    // The hands stand in the middle of their area.
    const int used = extras.columns * ExtraHandWidth() + (extras.columns - 1) * kExtraGap;
    extraLeft = kExtraLeft + (area.width() - used) / 2;
    extraTop += (area.height() - extras.rows * ExtraRowHeight()) / 2;
  }
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
}

void TrainerWindow::WritePayTable() {
  const GameRules& rules = machine.Rules();
  const Pays& pays = machine.GamePays();
  for (int r = 0; r < rules.rowCount; ++r) {
    payTable.Name(r)->setText(Text(rules.rows[static_cast<std::size_t>(r)].caption));
    for (int c = 1; c <= 5; ++c) payTable.Pay(c, r)->setText(QString::number(PayoutOf(pays, r, c)));
  }
  LightColumn(machine.CoinsIn() > 0 ? machine.CoinsIn() : machine.LastCoinsIn());
  gameLine->setText(GameAndTable());
  handsButton->setText(machine.Hands() == 1 ? QStringLiteral("1 hand")
                                            : QStringLiteral("%1 hands").arg(machine.Hands()));
  speedButton->setText(QStringLiteral("Speed: %1").arg(QLatin1String(SpeedWord(speed))));
}

void TrainerWindow::LightColumn(int coins) {
  payTable.LightColumn(coins);
}

void TrainerWindow::LightRows(const std::vector<int>& rows) {
  payTable.LightNames(rows);
}

void TrainerWindow::WriteMeter() {
  meter->WriteCoins(machine.CoinsIn() > 0 ? machine.CoinsIn() : machine.LastCoinsIn(),
                    machine.Hands());
  meter->WriteCredits(values.credits);
}

QString TrainerWindow::MessageText() const {
  return message->text();
}

QString TrainerWindow::HandCaption(int index) const {
  if (index < 0 || index >= static_cast<int>(captions.size())) return {};
  return captions[static_cast<std::size_t>(index)];
}

void TrainerWindow::SaveSettings() {
  const bool written = services.profile.WriteStrings(
      QString::fromLatin1(kSection),
      {{QStringLiteral("Speed"), QString::fromLatin1(SpeedWord(speed))},
       {QStringLiteral("Coach"), coachShown ? QStringLiteral("1") : QStringLiteral("0")}});
  TellSettingNotSaved(written, services, this, QString::fromStdString(values.programTitle),
                      settingProblemTold);
}

}  // namespace lynx
