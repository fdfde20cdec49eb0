#include "table/table_window.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "cards/card_painter.h"
#include "engine/paytable.h"
#include "look/widget_look.h"
#include "table/button_column.h"
#include "table/game_records.h"
#include "table/table_accessibility.h"
#include "table/table_frame.h"

namespace lynx {

namespace {

constexpr int kCardTop = 237;
constexpr int kRows = 11;

// The picture buttons as the window is drawn up: one column at the right of
// the small layout (ApplyTableLayout moves them).
constexpr std::array<PictureButtonSpec, 8> kButtons{{
    {"Image7", "Quit", TwipsRect(7080, 120, 960, 600), "btn_quit"},
    {"Image6", "Help", TwipsRect(7080, 750, 960, 600), "btn_help"},
    {"Image5", "Sound", TwipsRect(7080, 1380, 960, 600), "btn_sound"},
    {"Image12", "Credits", TwipsRect(7080, 2010, 960, 600), "btn_credits"},
    {"Image13", "Mode", TwipsRect(7080, 2640, 960, 600), "btn_mode"},
    {"Image8", "Deal/Draw", TwipsRect(7080, 3450, 960, 600), nullptr},
    {"Image10", "Bet $1", TwipsRect(7080, 4080, 960, 600), "btn_bet_one"},
    {"Image11", "Max Bet", TwipsRect(7080, 4710, 960, 600), "btn_max_bet"},
}};

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TableWindow::TableWindow(ProgramValues& values, Services& services, QWidget* parent)
    : QDialog(parent),
      values(values),
      services(services),
      machine(values.gameVariant, values.credits, values.deck),
      sounds(values, services.sound) {
  // Every change of the hand in progress reaches the journal from here.
  machine.onHandChanged = [this](const HandInProgress& hand) { emit HandChanged(hand); };
  setObjectName(QStringLiteral("LYNX"));
  setWindowTitle(QStringLiteral("LYNX Video Poker -- Jacks or Better"));
  SetUpTableWindow(this, 8.25);
  setFixedSize(Twips(8145), Twips(5685));
  CreateControls();
  // A frame to assistive technology: the hidden picture sources are left
  // out of it.
  MarkMachineWindow(this);
  for (QLabel* source : {Image2[0], Image2[1], Image3[0], Image3[1], Image4, Image9})
    LeaveOutOfTree(source);
  // Escape held on the window before (the key that closed the last table)
  // must not close this one as soon as it opens.
  new HeldKeyFilter(this);
  Load();
}

TableWindow::~TableWindow() = default;

// The controls as the window is drawn up; Load then lays them out.
void TableWindow::CreateControls() {
  CreatePayTable();
  meter = std::make_unique<MeterLine>(
      this, MeterLook{QStringLiteral("Label1_0"), QStringLiteral("Label1_1"),
                      TwipsRect(1200, 5010, 4410, 645), TwipsRect(120, 5160, 1215, 375),
                      TwipsRect(5520, 5160, 1305, 345), ClassicFont(13.5, true), font(),
                      QStringLiteral("Coins In: 1"), QStringLiteral("Credits: 100")});
  Mess = meter->message;
  Label1 = {meter->coins, meter->credits};

  // Hidden picture sources.
  auto hiddenPicture = [this](const QString& name, const QRect& geometry, const char* picture) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setPixmap(TablePicture(picture));
    label->hide();
    return label;
  };
  Image2[0] = hiddenPicture(QStringLiteral("Image2_0"), TwipsRect(8520, 2400, 660, 420),
                            "marker_draw_small");
  Image3[0] = hiddenPicture(QStringLiteral("Image3_0"), TwipsRect(8520, 3000, 660, 420),
                            "marker_hold_small");
  Image2[1] = hiddenPicture(QStringLiteral("Image2_1"), TwipsRect(9240, 2400, 990, 495),
                            "marker_draw_large");
  Image3[1] = hiddenPicture(QStringLiteral("Image3_1"), TwipsRect(9240, 3000, 990, 495),
                            "marker_hold_large");
  Image4 = hiddenPicture(QStringLiteral("Image4"), TwipsRect(8520, 3600, 960, 600), "btn_draw");
  Image9 = hiddenPicture(QStringLiteral("Image9"), TwipsRect(9480, 3600, 960, 600), "btn_deal");

  const std::vector<PictureButton*> buttons = MakePictureButtons(this, kButtons);
  Image7 = buttons[0];
  Image6 = buttons[1];
  Image5 = buttons[2];
  Image12 = buttons[3];
  Image13 = buttons[4];
  Image8 = buttons[5];
  Image10 = buttons[6];
  Image11 = buttons[7];

  const std::array<int, 5> markerLefts{675, 1860, 3045, 4245, 5445};
  cardRow.MakeMarkers(
      this, [](int k) { return QStringLiteral("Image1_%1").arg(k); },
      [&markerLefts](int k) {
        return TwipsRect(markerLefts[static_cast<std::size_t>(k)], 3075, 660, 420);
      },
      [this](int k) { ToggleHold(k); });
  Image1 = cardRow.Markers();
  ConnectControls();

  // For assistive technology each card position says its card and whether
  // it is held.
  cardRow.MakeCardSpots(
      this, [this](int k) { return machine.Cards()[static_cast<std::size_t>(k)]; },
      [this](int k) { return machine.Dealt() && machine.Held().Holds(k); },
      [this](int k) { return CardRect(k); });
  for (CardSpot* spot : cardRow.Spots()) {
    connect(this, &TableWindow::HandChanged, spot, &CardSpot::NameMayHaveChanged);
    connect(this, &TableWindow::GameSettled, spot, &CardSpot::NameMayHaveChanged);
  }
  // Tab goes through the play first: the hold markers, Deal/Draw and the
  // bets, then the other buttons as they stand.
  const std::array<QWidget*, 13> tabOrder{Image1[0], Image1[1], Image1[2], Image1[3], Image1[4],
                                          Image8,    Image10,   Image11,   Image12,   Image5,
                                          Image13,   Image6,    Image7};
  for (std::size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
  // The window itself holds the focus when it opens: no button shows the
  // focus frame until Tab is pressed.
  setFocus(Qt::OtherFocusReason);

  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(500);
  connect(Timer2, &QTimer::timeout, this, [this] { Mess->setHidden(!Mess->isHidden()); });
}

// The pay table as drawn up for Jacks or Better, hand names first so that
// the amount cells lie above a widened name, then the two heading rows.
void TableWindow::CreatePayTable() {
  const PayTable& jacks = PayTableFor(kJacksOrBetter);
  const std::array<int, 5> winLefts{2580, 3300, 4020, 4740, 5460};
  PayTableView::Cells cells;
  cells.rows = kRows;
  cells.namePrefix = QStringLiteral("Value_");
  cells.font = ClassicFont(8.25, false);
  cells.nameRect = [](int r) { return TwipsRect(600, 600 + 210 * r, r <= 5 ? 2055 : 2175, 255); };
  cells.payRect = [&winLefts](int c, int r) {
    return TwipsRect(winLefts[static_cast<std::size_t>(c - 1)], 600 + 210 * r, 615, 255);
  };
  cells.nameText = [&jacks](int r) {
    return r < jacks.rowCount ? Text(jacks.rows[static_cast<std::size_t>(r)].caption) : QString();
  };
  cells.payText = [](int c, int r) {
    return QString::fromStdString(CellText(kJacksOrBetter, r, c));
  };
  payTable.Create(this, cells);
  for (int r = 0; r < kRows; ++r) {
    const auto i = static_cast<std::size_t>(r);
    Value[i] = payTable.Name(r);
    for (int c = 1; c <= 5; ++c) WinColumn(c)[i] = payTable.Pay(c, r);
  }
  const QFont headerFont = ClassicFont(13.5, true);
  const std::array<int, 6> headerLefts{1080, 3000, 3720, 4440, 5160, 5880};
  const std::array<int, 6> header2Lefts{6360, 8280, 9000, 9720, 10440, 11160};
  for (int j = 0; j < 6; ++j) {
    const int width = j == 0 ? 1215 : 375;
    const auto k = static_cast<std::size_t>(j);
    Header[k] = PayTableView::Heading(this, QStringLiteral("Header_%1").arg(j), j,
                                      TwipsRect(headerLefts[k], 180, width, 315), headerFont);
    Header2[k] = PayTableView::Heading(this, QStringLiteral("Header2_%1").arg(j), j,
                                       TwipsRect(header2Lefts[k], 180, width, 315), headerFont);
  }
}

void TableWindow::ConnectControls() {
  connect(Image7, &PictureButton::Clicked, this, &TableWindow::Quit);
  connect(Image6, &PictureButton::Clicked, this, [this] {
    Guarded([this] {
      // The window's topic follows the game chosen on the title window.
      helpTopic = QString::fromStdString(values.helpTopic).toInt();
      services.help.Open(QString::fromStdString(values.helpFile), helpTopic);
    });
  });
  connect(Image5, &PictureButton::Clicked, this, &TableWindow::ToggleSound);
  connect(Image12, &PictureButton::Clicked, this, &TableWindow::AddCredits);
  connect(Image13, &PictureButton::Clicked, this, &TableWindow::SwitchMode);
  connect(Image8, &PictureButton::Clicked, this, &TableWindow::DealOrDraw);
  connect(Image10, &PictureButton::Clicked, this, &TableWindow::BetOne);
  connect(Image11, &PictureButton::Clicked, this, &TableWindow::BetMax);

  // Pay-table cells: a right press deals or draws; releases build the demo code.
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c <= 5; ++c) {
      ClassicLabel* cell =
          c == 0 ? Value[static_cast<std::size_t>(r)] : WinColumn(c)[static_cast<std::size_t>(r)];
      connect(cell, &ClassicLabel::Pressed, this, [this](Qt::MouseButton button) {
        if (button == Qt::RightButton) DealOrDraw();
      });
      connect(cell, &ClassicLabel::Released, this, [this, c, r](Qt::MouseButton) {
        Guarded([this, c, r] { machine.PayCellReleased(c, r); });
      });
    }
  }
}

// The Deal/Draw picture and what a screen reader calls it: what a press
// will do now.
void TableWindow::ShowDealOrDraw(bool draw) {
  lynx::ShowDealOrDraw(Image8, draw, Image4->pixmap(), Image9->pixmap());
}

void TableWindow::Load() {
  ApplyTableLayout();
  ClearSurface();
  helpTopic = QString::fromStdString(values.helpTopic).toInt();
  Mess->setText(QStringLiteral("Play 5 Coins"));
  values.maxCoins = static_cast<std::int16_t>(machine.MaxCoins());
  WriteCreditsLine();
  ShowDealOrDraw(false);
  WritePayTableCaptions();
  CentreInWorkArea();
  Timer2->start();
}

// Jacks or Better keeps the captions the window is drawn with. The other games
// write every hand name they use and the amounts below the royal row.
void TableWindow::WritePayTableCaptions() {
  // Rows the game has no hand for show empty cells, left out for a screen
  // reader.
  const PayTable& table = PayTableFor(values.gameVariant);
  for (int r = 0; r < kRows; ++r)
    for (ClassicLabel* cell : payTable.RowCells(r)) LeaveOutOfTree(cell, r >= table.rowCount);
  if (values.gameVariant == kJacksOrBetter) return;
  for (int r = 0; r < table.rowCount && r < kRows; ++r) {
    Value[static_cast<std::size_t>(r)]->setText(
        Text(table.rows[static_cast<std::size_t>(r)].caption));
    if (r == 0) continue;
    for (int c = 1; c <= 5; ++c)
      WinColumn(c)[static_cast<std::size_t>(r)]->setText(
          QString::fromStdString(CellText(values.gameVariant, r, c)));
  }
}

bool TableWindow::ResumeHand(const HandInProgress& resumed) {
  if (!machine.Resume(resumed)) return false;
  Timer2->stop();
  Mess->setText(QString());
  WriteCoinsLine();
  HighlightCoinColumn(machine.CoinsIn());
  ShowDealOrDraw(true);
  ShowHolds();
  // As after a deal, a hand that already pays lights its name.
  if (machine.WinRow() > -1) SetLit(Value[static_cast<std::size_t>(machine.WinRow())], true);
  update();
  return true;
}

TableState TableWindow::State() const {
  TableState s;
  s.hand = machine.Cards();
  s.held = machine.Held().Flags();
  s.dealt = machine.Dealt();
  s.coinsIn = machine.CoinsIn();
  s.lastCoinsIn = machine.LastCoinsIn();
  s.winRow = machine.WinRow();
  s.winAmount = machine.WinAmount();
  s.demoCode = machine.DemoCode();
  s.drawPos = machine.DrawPos();
  return s;
}

// ---- Play cycle ------------------------------------------------------------

void TableWindow::RunDealOrDraw() {
  if (machine.Dealt()) {
    if (advisor != nullptr && !advisor->AllowDraw(InProgress())) return;
    Draw();
  } else {
    Deal();
  }
}

void TableWindow::Deal() {
  // The last game's win stays lit until its stake is dealt again.
  const int lastRow = machine.WinRow();
  const int lastCoins = machine.LastCoinsIn();
  const int coinsBefore = machine.CoinsIn();
  const DealOutcome deal = machine.Deal(services.random);
  if (deal.refusal != Refusal::None) {
    Refuse(deal.refusal);
    return;
  }
  // The surface keeps the last hand until the new one is turned over, once
  // its bet and cards are on disk.
  revealing = true;
  ThenOnDisk([this, deal, lastRow, lastCoins, coinsBefore] {
    RevealDeal(deal, lastRow, lastCoins, coinsBefore);
  });
}

void TableWindow::RevealDeal(const DealOutcome& deal, int lastRow, int lastCoins, int coinsBefore) {
  ClearSurface();
  repaint(CardRect(0).united(CardRect(4)));
  Timer2->stop();
  if (lastCoins > 0 && lastRow > -1) {
    ClearWinHighlight(lastRow, lastCoins);
    HighlightCoinColumn(coinsBefore);
  }
  if (coinsBefore == 0) HighlightCoinColumn(machine.CoinsIn());
  WriteCreditsLine();
  Mess->setText(QString());
  Mess->repaint();

  for (int i = 0; i < 5; ++i) {
    ShowCard(i, deal.cards[static_cast<std::size_t>(i)]);
    sounds.Card();
  }
  ShowDealOrDraw(true);
  ShowHolds();
  if (deal.winRow > -1) SetLit(Value[static_cast<std::size_t>(deal.winRow)], true);
  revealing = false;
  // The five cards are all on the table now.
  cardRow.NamesMayHaveChanged();
  Announce(this, DealtText(deal.cards, deal.winRow > -1
                                           ? Value[static_cast<std::size_t>(deal.winRow)]->text()
                                           : QString()));
}

void TableWindow::Draw() {
  if (machine.WinRow() > -1) SetLit(Value[static_cast<std::size_t>(machine.WinRow())], false);
  const Settlement settled = machine.Draw();
  revealing = true;
  for (int i = 0; i < 5; ++i)
    if (!settled.held.Holds(i)) DrawBack(i);
  // Every discard is face down before the first replacement shows.
  repaint(CardRect(0).united(CardRect(4)));

  for (int i = 0; i < 5; ++i) {
    if (!settled.held.Holds(i)) {
      ShowCard(i, settled.final[static_cast<std::size_t>(i)]);
      sounds.Card();
    } else {
      Image1[static_cast<std::size_t>(i)]->setPixmap(MarkerFace(false));
    }
  }

  // Kept before the player sees the win: a game shown as paid is recorded.
  GameRecord record = GameRecordsOf(DealOf(settled), nullptr).front();
  if (advisor != nullptr) advisor->Appraise(record);
  emit GameSettled(record);
  ThenOnDisk([this, settled] { ShowSettlement(settled); });
}

void TableWindow::ShowSettlement(const Settlement& settled) {
  Mess->setText(QString::fromStdString(settled.message));
  for (int r = 0; r < kRows; ++r) {
    if (r != settled.row)
      SetLit(WinColumn(settled.coins)[static_cast<std::size_t>(r)], false);
    else
      SetLit(Value[static_cast<std::size_t>(r)], true);
  }
  WriteCreditsLine();
  Label1[1]->repaint();
  Timer2->start();
  revealing = false;
  Announce(this,
           DrawnText(settled.final, settled.won > 0 ? Mess->text() : QString(), values.credits));
  if (settled.won > 0) sounds.Win();
  ShowDealOrDraw(false);
}

void TableWindow::RunBetOne() {
  const int lastRow = machine.WinRow();
  const int before = machine.CoinsIn();
  const BetOutcome bet = machine.BetOne();
  if (bet.refusal != Refusal::None) {
    Refuse(bet.refusal);
    return;
  }
  if (!bet.placed) return;
  Mess->setText(QString());
  Timer2->stop();
  if (machine.LastCoinsIn() > 0 && lastRow > -1) ClearWinHighlight(lastRow, machine.LastCoinsIn());
  LightStake(before);
  if (bet.dealNext) RunDealOrDraw();
}

void TableWindow::RunBetMax() {
  const int before = machine.CoinsIn();
  const BetOutcome bet = machine.BetMax();
  if (bet.refusal != Refusal::None) {
    Refuse(bet.refusal);
    return;
  }
  if (!bet.dealNext) return;
  LightStake(before);
  RunDealOrDraw();
}

// The column of the stake bet now lit in place of the one of before (coins,
// 0 for none), and the coins line written.
void TableWindow::LightStake(int before) {
  for (int r = 0; r < kRows; ++r) {
    if (before > 0) SetLit(WinColumn(before)[static_cast<std::size_t>(r)], false);
    SetLit(WinColumn(machine.CoinsIn())[static_cast<std::size_t>(r)], true);
  }
  WriteCoinsLine();
}

// ---- Pay table -------------------------------------------------------------

std::array<ClassicLabel*, 11>& TableWindow::WinColumn(int coins) {
  switch (coins) {
    case 1:
      return Win1;
    case 2:
      return Win2;
    case 3:
      return Win3;
    case 4:
      return Win4;
    default:
      return Win5;
  }
}

void TableWindow::SetLit(ClassicLabel* cell, bool lit) {
  PayTableView::SetLit(cell, lit);
}

void TableWindow::HighlightCoinColumn(int coins) {
  if (coins < 1 || coins > 5) return;
  for (ClassicLabel* cell : WinColumn(coins)) SetLit(cell, true);
}

void TableWindow::ClearWinHighlight(int row, int coins) {
  if (row < 0 || row >= kRows) return;
  SetLit(Value[static_cast<std::size_t>(row)], false);
  if (coins >= 1 && coins <= 5) SetLit(WinColumn(coins)[static_cast<std::size_t>(row)], false);
}

void TableWindow::WriteCreditsLine() {
  meter->WriteCredits(values.credits);
}

void TableWindow::WriteCoinsLine() {
  meter->WriteCoins(machine.CoinsIn());
}

void TableWindow::Refuse(Refusal refusal) {
  if (refusal != Refusal::None) services.dialogs.Info(this, kTableTitle, RefusalText(refusal));
}

// ---- Surface ---------------------------------------------------------------

QPoint TableWindow::CardOrigin(int index) const {
  return LargeLayout() ? QPoint(10 + 152 * index, kCardTop) : QPoint(30 + 80 * index, kCardTop);
}

QRect TableWindow::CardRect(int index) const {
  return QRect(CardOrigin(index), LargeLayout() ? QSize(146, 196) : QSize(73, 98));
}

void TableWindow::ClearSurface() {
  if (surface.size() != size()) surface = QImage(size(), QImage::Format_RGB32);
  surface.fill(kTableBlue);
}

// The face of code at position index on the surface, in the card size of
// the layout.
void TableWindow::PaintCard(int index, CardCode code) {
  const QPoint at = CardOrigin(index);
  if (LargeLayout())
    DrawCardFaceLarge(surface, at.x(), at.y(), code, values.gameVariant);
  else
    DrawCardFace(surface, at.x(), at.y(), code, values.gameVariant);
}

void TableWindow::ShowCard(int index, CardCode code) {
  PaintCard(index, code);
  repaint(CardRect(index));
}

void TableWindow::DrawBack(int index) {
  const QPoint at = CardOrigin(index);
  if (LargeLayout())
    DrawCardBackLarge(surface, at.x(), at.y());
  else
    DrawCardBack(surface, at.x(), at.y());
}

void TableWindow::paintEvent(QPaintEvent* event) {
  if (surface.size() != size()) ClearSurface();
  // While a deal or draw is turning cards the surface already shows the
  // truth; otherwise the hand is put back wherever the window is repainted.
  if (!revealing) {
    for (int i = 0; i < 5; ++i)
      if (event->region().intersects(CardRect(i)))
        PaintCard(i, machine.Cards()[static_cast<std::size_t>(i)]);
  }
  {
    QPainter line(&surface);
    line.fillRect(QRect(0, 491, 801, 3), Qt::white);
  }
  QPainter painter(this);
  painter.drawImage(event->rect(), surface, event->rect());
}

}  // namespace lynx
