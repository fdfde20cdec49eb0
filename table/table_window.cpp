#include "table/table_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

#include "cards/card_painter.h"
#include "engine/paytable.h"
#include "look/widget_look.h"
#include "table/actions_menu.h"
#include "table/table_accessibility.h"

namespace lynx {

namespace {

// Every message box of the table carries the machine's name.
const QString kTableTitle = QStringLiteral("LYNX Video Poker");
const QString kCardSound = QStringLiteral("SND2.WAV");
const QString kWinSound = QStringLiteral("SND0.WAV");

constexpr int kSmallWidth = 550;
constexpr int kSmallHeight = 390;
constexpr int kLargeWidth = 780;
constexpr int kLargeHeight = 570;
// The side panel docked below the table: its height, at least and at most.
constexpr int kPanelBelowMin = 96;
// Room for the title bar above the window.
constexpr int kTitleBar = 30;
constexpr int kPanelBelowMax = 260;
constexpr int kCardTop = 237;
constexpr int kRows = 11;

QPixmap Picture(const char* name) {
  return QPixmap(QStringLiteral(":/pictures/") + QLatin1String(name) + QStringLiteral(".png"));
}

}  // namespace

TableWindow::TableWindow(ProgramValues& values, Services& services, QWidget* parent)
    : QDialog(parent),
      values(values),
      services(services),
      machine(values.gameVariant, values.credits, values.deck) {
  // Every change of the hand in progress reaches the journal from here.
  machine.onHandChanged = [this](const HandInProgress& hand) { emit HandChanged(hand); };
  setObjectName(QStringLiteral("LYNX"));
  setWindowTitle(QStringLiteral("LYNX Video Poker -- Jacks or Better"));
  // Fixed single border without control menu or minimise button.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setWindowIcon(QIcon(QStringLiteral(":/pictures/icon32.png")));
  setFont(ClassicFont(8.25, true));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kTableBlue);
  setPalette(palette);
  // The surface covers the whole client area, so Qt need not erase it first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setFixedSize(Twips(8145), Twips(5685));
  CreateControls();
  // A frame to assistive technology: the hidden picture sources are left
  // out of it, and the message line says it is empty rather than nothing.
  MarkMachineWindow(this);
  for (QLabel* source : {Image2[0], Image2[1], Image3[0], Image3[1], Image4, Image9})
    LeaveOutOfTree(source);
  Mess->SetSpokenName(
      [this] { return Mess->text().isEmpty() ? tr("Message line: empty") : Mess->text(); });
  // Escape held on the window before (the key that closed the last table)
  // must not close this one as soon as it opens.
  new HeldKeyFilter(this);
  Load();
}

TableWindow::~TableWindow() = default;

// The controls as the window is drawn up; Load then lays them out.
void TableWindow::CreateControls() {
  const QFont cellFont = ClassicFont(8.25, false);
  const QFont headerFont = ClassicFont(13.5, true);
  const PayTable& jacks = PayTableFor(kJacksOrBetter);

  // Hand names first, so that the amount cells lie above a widened name.
  for (int r = 0; r < kRows; ++r) {
    const int width = r <= 5 ? 2055 : 2175;
    const QString caption =
        r < jacks.rowCount
            ? QString::fromUtf8(
                  jacks.rows[static_cast<std::size_t>(r)].caption.data(),
                  static_cast<qsizetype>(jacks.rows[static_cast<std::size_t>(r)].caption.size()))
            : QString();
    Value[static_cast<std::size_t>(r)] = new ClassicLabel(
        this, QStringLiteral("Value_%1").arg(r), TwipsRect(600, 600 + 210 * r, width, 255),
        Qt::AlignLeft, kCellGrey, kTextWhite, cellFont, caption);
  }
  const std::array<int, 5> winLefts{2580, 3300, 4020, 4740, 5460};
  for (int c = 1; c <= 5; ++c) {
    auto& column = WinColumn(c);
    for (int r = 0; r < kRows; ++r) {
      column[static_cast<std::size_t>(r)] = new ClassicLabel(
          this, QStringLiteral("Win%1_%2").arg(c).arg(r),
          TwipsRect(winLefts[static_cast<std::size_t>(c - 1)], 600 + 210 * r, 615, 255),
          Qt::AlignRight, kCellGrey, kTextWhite, cellFont,
          QString::fromStdString(CellText(kJacksOrBetter, r, c)));
    }
  }
  const std::array<int, 6> headerLefts{1080, 3000, 3720, 4440, 5160, 5880};
  const std::array<int, 6> header2Lefts{6360, 8280, 9000, 9720, 10440, 11160};
  for (int j = 0; j < 6; ++j) {
    const int width = j == 0 ? 1215 : 375;
    const QString caption = j == 0 ? QStringLiteral("Coins In") : QString::number(j);
    const auto k = static_cast<std::size_t>(j);
    Header[k] = new ClassicLabel(this, QStringLiteral("Header_%1").arg(j),
                                 TwipsRect(headerLefts[k], 180, width, 315), Qt::AlignLeft,
                                 kCellGrey, kTextRed, headerFont, caption);
    Header2[k] = new ClassicLabel(this, QStringLiteral("Header2_%1").arg(j),
                                  TwipsRect(header2Lefts[k], 180, width, 315), Qt::AlignLeft,
                                  kCellGrey, kTextRed, headerFont, caption);
  }

  Mess = new ClassicLabel(this, QStringLiteral("Mess"), TwipsRect(1200, 5010, 4410, 645),
                          Qt::AlignHCenter, kCellGrey, kTextYellow, ClassicFont(13.5, true));
  Label1[0] =
      new ClassicLabel(this, QStringLiteral("Label1_0"), TwipsRect(120, 5160, 1215, 375),
                       Qt::AlignLeft, kCellGrey, kTextWhite, font(), QStringLiteral("Coins In: 1"));
  Label1[1] = new ClassicLabel(this, QStringLiteral("Label1_1"), TwipsRect(5520, 5160, 1305, 345),
                               Qt::AlignRight, kCellGrey, kTextWhite, font(),
                               QStringLiteral("Credits: 100"));

  // Hidden picture sources.
  auto hiddenPicture = [this](const QString& name, const QRect& geometry, const char* picture) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setPixmap(Picture(picture));
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

  // Picture buttons, one column at the right of the small layout.
  auto button = [this](const QString& name, const QString& accessible, int top,
                       const char* picture) {
    auto* b = new PictureButton(this, name, accessible, TwipsRect(7080, top, 960, 600));
    if (picture != nullptr) b->setPixmap(Picture(picture));
    return b;
  };
  Image7 = button(QStringLiteral("Image7"), QStringLiteral("Quit"), 120, "btn_quit");
  Image6 = button(QStringLiteral("Image6"), QStringLiteral("Help"), 750, "btn_help");
  Image5 = button(QStringLiteral("Image5"), QStringLiteral("Sound"), 1380, "btn_sound");
  Image12 = button(QStringLiteral("Image12"), QStringLiteral("Credits"), 2010, "btn_credits");
  Image13 = button(QStringLiteral("Image13"), QStringLiteral("Mode"), 2640, "btn_mode");
  Image8 = button(QStringLiteral("Image8"), QStringLiteral("Deal/Draw"), 3450, nullptr);
  Image10 = button(QStringLiteral("Image10"), QStringLiteral("Bet $1"), 4080, "btn_bet_one");
  Image11 = button(QStringLiteral("Image11"), QStringLiteral("Max Bet"), 4710, "btn_max_bet");

  const std::array<int, 5> markerLefts{675, 1860, 3045, 4245, 5445};
  for (int k = 0; k < 5; ++k) {
    Image1[static_cast<std::size_t>(k)] = new PictureButton(
        this, QStringLiteral("Image1_%1").arg(k), QStringLiteral("Hold card %1").arg(k + 1),
        TwipsRect(markerLefts[static_cast<std::size_t>(k)], 3075, 660, 420));
    connect(Image1[static_cast<std::size_t>(k)], &PictureButton::Clicked, this,
            [this, k] { ToggleHold(k); });
  }

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

  // For assistive technology: a pay cell says its row and stake, each card
  // position says its card and whether it is held.
  for (int c = 1; c <= 5; ++c) {
    for (int r = 0; r < kRows; ++r) {
      ClassicLabel* cell = WinColumn(c)[static_cast<std::size_t>(r)];
      cell->SetSpokenName([this, cell, c, r] {
        const QString row = Value[static_cast<std::size_t>(r)]->text();
        if (row.isEmpty() || cell->text().isEmpty()) return QString();
        return QStringLiteral("%1, %2 %3: %4")
            .arg(row)
            .arg(c)
            .arg(c == 1 ? QStringLiteral("coin") : QStringLiteral("coins"), cell->text());
      });
    }
  }
  for (int k = 0; k < 5; ++k) {
    const auto i = static_cast<std::size_t>(k);
    auto* spot = new CardSpot(
        this, QStringLiteral("Card_%1").arg(k + 1), [this, i] { return machine.Cards()[i]; },
        [this, k] { return machine.Dealt() && machine.Held().Holds(k); },
        [this, k] { return CardRect(k); }, Image1[i]);
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

// The Deal/Draw picture and what a screen reader calls it: what a press
// will do now.
void TableWindow::ShowDealOrDraw(bool draw) {
  Image8->setPixmap(draw ? Image4->pixmap() : Image9->pixmap());
  Image8->setAccessibleName(draw ? QStringLiteral("Draw") : QStringLiteral("Deal"));
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
  for (int r = 0; r < kRows; ++r) {
    const bool none = r >= table.rowCount;
    LeaveOutOfTree(Value[static_cast<std::size_t>(r)], none);
    for (int c = 1; c <= 5; ++c) LeaveOutOfTree(WinColumn(c)[static_cast<std::size_t>(r)], none);
  }
  if (values.gameVariant == kJacksOrBetter) return;
  for (int r = 0; r < table.rowCount && r < kRows; ++r) {
    const auto& caption = table.rows[static_cast<std::size_t>(r)].caption;
    Value[static_cast<std::size_t>(r)]->setText(
        QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    if (r == 0) continue;
    for (int c = 1; c <= 5; ++c)
      WinColumn(c)[static_cast<std::size_t>(r)]->setText(
          QString::fromStdString(CellText(values.gameVariant, r, c)));
  }
}

void TableWindow::ApplyTableLayout() {
  const bool large = LargeLayout();
  const bool largeMarkers = large || values.largeCards == 2;

  for (int r = 0; r < kRows; ++r) {
    Value[static_cast<std::size_t>(r)]->hide();
    for (int c = 1; c <= 5; ++c) WinColumn(c)[static_cast<std::size_t>(r)]->hide();
  }
  for (int j = 0; j < 6; ++j) {
    Header[static_cast<std::size_t>(j)]->hide();
    Header2[static_cast<std::size_t>(j)]->hide();
  }
  Label1[0]->hide();
  Label1[1]->hide();
  Mess->hide();
  const std::array<PictureButton*, 8> buttons{Image7,  Image6, Image5,  Image12,
                                              Image13, Image8, Image10, Image11};
  for (PictureButton* b : buttons) b->hide();

  FitSidePanel();

  // Buttons: a column at the right (small) or a row along the bottom (large).
  const std::array<int, 8> smallTops{8, 50, 92, 134, 176, 230, 272, 314};
  const std::array<int, 8> largeLefts{45, 125, 205, 285, 365, 500, 580, 660};
  for (std::size_t i = 0; i < buttons.size(); ++i)
    buttons[i]->move(large ? QPoint(largeLefts[i], 500) : QPoint(472, smallTops[i]));

  auto setFontSize = [](QWidget* w, double points) {
    QFont f = w->font();
    f.setPointSizeF(points);
    w->setFont(f);
  };
  if (large) {
    Label1[0]->setGeometry(Label1[0]->x(), 460, 100, 32);
    Label1[1]->setGeometry(644, 460, 120, 32);
    Mess->setGeometry(135, 446, 500, 40);
  } else {
    Label1[0]->setGeometry(Label1[0]->x(), 344, 81, 25);
    Label1[1]->setGeometry(360, 344, 95, 25);
    Mess->setGeometry(80, 334, 297, 43);
  }
  setFontSize(Label1[0], large ? 10 : 8);
  setFontSize(Label1[1], large ? 10 : 8);
  setFontSize(Mess, large ? 24 : 14);

  const std::array<int, 5> smallWinLefts{172, 220, 268, 316, 364};
  const std::array<int, 5> leftWinLefts{130, 178, 226, 274, 322};
  const std::array<int, 5> rightWinLefts{527, 575, 623, 671, 719};
  const bool joker = values.gameVariant == kJokerWild;
  const int firstRight = joker ? 6 : 5;
  const int pitch = joker ? 24 : 28;
  for (int r = 0; r < kRows; ++r) {
    ClassicLabel* name = Value[static_cast<std::size_t>(r)];
    if (!large) {
      // The width is left alone: a width the large layout gave stays.
      name->setGeometry(40, 40 + 14 * r, name->width(), 17);
      setFontSize(name, 8);
      for (int c = 1; c <= 5; ++c) {
        ClassicLabel* cell = WinColumn(c)[static_cast<std::size_t>(r)];
        cell->setGeometry(smallWinLefts[static_cast<std::size_t>(c - 1)], 40 + 14 * r,
                          cell->width(), 17);
        setFontSize(cell, 8);
      }
      continue;
    }
    const bool right = r >= firstRight;
    const int top = 40 + pitch * (r - (right ? firstRight : 0));
    const bool jacks = values.gameVariant == kJacksOrBetter;
    name->setGeometry(right ? 400 : 5, top, jacks ? name->width() : 150, 24);
    setFontSize(name, jacks ? 12 : 10);
    for (int c = 1; c <= 5; ++c) {
      ClassicLabel* cell = WinColumn(c)[static_cast<std::size_t>(r)];
      const auto k = static_cast<std::size_t>(c - 1);
      cell->setGeometry(right ? rightWinLefts[k] : leftWinLefts[k], top, cell->width(), 24);
      setFontSize(cell, 10);
    }
  }
  for (int j = 0; j < 6; ++j) {
    const auto k = static_cast<std::size_t>(j);
    if (large) {
      Header[k]->move(j == 0 ? 32 : 155 + 48 * (j - 1), Header[k]->y());
      Header2[k]->move(j == 0 ? 430 : 556 + 48 * (j - 1), Header2[k]->y());
    } else {
      Header[k]->move(j == 0 ? 72 : 200 + 48 * (j - 1), Header[k]->y());
    }
  }

  Label1[0]->show();
  Label1[1]->show();
  Mess->show();
  for (PictureButton* b : buttons) b->show();
  for (int r = 0; r < kRows; ++r) {
    Value[static_cast<std::size_t>(r)]->show();
    for (int c = 1; c <= 5; ++c) WinColumn(c)[static_cast<std::size_t>(r)]->show();
  }
  for (int j = 0; j < 6; ++j) {
    Header[static_cast<std::size_t>(j)]->show();
    if (large) Header2[static_cast<std::size_t>(j)]->show();
    // The second heading is the large table's alone.
    LeaveOutOfTree(Header2[static_cast<std::size_t>(j)], !large);
  }

  CentreInWorkArea();

  // Markers sit just above their cards. A card held in the hand on the table
  // keeps its Hold face through a change of layout.
  for (int k = 0; k < 5; ++k) {
    PictureButton* marker = Image1[static_cast<std::size_t>(k)];
    marker->hide();
    const QPoint at = largeMarkers ? QPoint(48 + 152 * k, 200) : QPoint(45 + 79 * k, 205);
    const QPixmap face = MarkerFace(machine.Dealt() && machine.Held().Holds(k));
    marker->setGeometry(QRect(at, largeMarkers ? QSize(66, 33) : QSize(44, 28)));
    marker->setPixmap(face);
    marker->show();
  }
}

QPixmap TableWindow::MarkerFace(bool hold) const {
  const std::size_t size = LargeLayout() || values.largeCards == 2 ? 1 : 0;
  return hold ? Image3[size]->pixmap() : Image2[size]->pixmap();
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

// ---- Input -----------------------------------------------------------------

void TableWindow::Guarded(std::function<void()> action) {
  if (busy) {
    // A sound is playing inside a deal or draw; the request waits for its end.
    deferred.push_back(std::move(action));
    return;
  }
  busy = true;
  action();
  // A deal or draw waiting for the disk ends its turn itself.
  if (!awaitingDisk) EndTurn();
}

void TableWindow::EndTurn() {
  busy = false;
  if (!deferred.empty()) QTimer::singleShot(0, this, &TableWindow::RunDeferred);
}

void TableWindow::ThenOnDisk(std::function<void()> rest) {
  awaitingDisk = true;
  askingDisk = true;
  services.history.WhenOnDisk(this, [this, rest = std::move(rest)] {
    awaitingDisk = false;
    rest();
    // Called later, from the event loop: Guarded has returned since.
    if (!askingDisk) EndTurn();
  });
  askingDisk = false;
}

void TableWindow::RunDeferred() {
  while (!busy && !deferred.empty()) {
    std::function<void()> action = std::move(deferred.front());
    deferred.pop_front();
    Guarded(std::move(action));
  }
}

void TableWindow::DealOrDraw() {
  Guarded([this] { RunDealOrDraw(); });
}
void TableWindow::BetOne() {
  Guarded([this] { RunBetOne(); });
}
void TableWindow::BetMax() {
  Guarded([this] { RunBetMax(); });
}

void TableWindow::ToggleHold(int index) {
  Guarded([this, index] {
    if (machine.ToggleHold(index)) ShowHolds();
  });
}

void TableWindow::AddCredits() {
  Guarded([this] {
    machine.AddCredits(100);
    WriteCreditsLine();
    emit CreditsAdded();
  });
}

void TableWindow::ToggleSound() {
  Guarded([this] {
    if (values.soundOn == 1) {
      values.soundOn = 0;
      services.dialogs.Info(this, kTableTitle, QStringLiteral("Sound is now off."));
    } else {
      values.soundOn = 1;
      services.dialogs.Info(this, kTableTitle, QStringLiteral("Sound is now on."));
    }
  });
}

void TableWindow::SwitchMode() {
  Guarded([this] {
    if (values.largeCards == 0 && services.screen.Width() < 750) {
      services.dialogs.Exclaim(
          this, QStringLiteral("Feature Not Available in this Resolution"),
          QStringLiteral("You cannot use 'large card' mode when your display resolution is only "
                         "640 X 480.  The cards would be too big to fit on the screen."));
      return;
    }
    // On a scaled screen the large table may not fit the height either.
    if (values.largeCards == 0 && !LargeFits()) {
      services.dialogs.Exclaim(
          this, QStringLiteral("Feature Not Available in this Resolution"),
          QStringLiteral("The large cards do not fit on this screen at its scale: the table keeps "
                         "its small cards."));
      return;
    }
    values.largeCards = values.largeCards == 0 ? 1 : 0;
    ApplyTableLayout();
    // A fresh surface of the new size: nothing of the old size survives, and
    // the repaint puts the hand back in the new card size.
    ClearSurface();
    repaint();
  });
}

void TableWindow::ShowHelp() {
  Guarded([this] { services.help.Open(QString::fromStdString(values.helpFile), helpTopic); });
}

void TableWindow::Quit() {
  Guarded([this] { done(QDialog::Accepted); });
}

void TableWindow::reject() {
  Quit();
}

void TableWindow::closeEvent(QCloseEvent* event) {
  // The window manager's close is the Quit button. During a deal it waits
  // like any other input, and the window stays open until the deal is over.
  const bool closesNow = !busy;
  Quit();
  if (closesNow)
    event->accept();
  else
    event->ignore();
}

void TableWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      DealOrDraw();
      break;
    case Qt::Key_B:
    case Qt::Key_R:
    case Qt::Key_T:
      // The letter itself, not a shortcut made with it.
      if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        event->ignore();
        return;
      }
      if (event->key() == Qt::Key_B)
        BetOne();
      else if (event->key() == Qt::Key_R)
        emit HistoryRequested();
      else
        emit StatisticsRequested();
      break;
    case Qt::Key_F1:
      ShowHelp();
      break;
    case Qt::Key_F10:
      // Shift+F10: the actions menu, as the Menu key opens it.
      if (event->modifiers() != Qt::ShiftModifier) {
        event->ignore();
        return;
      }
      ShowActionsMenu(mapToGlobal(QPoint(DesignedSize().width() / 2, DesignedSize().height() / 3)));
      break;
    case Qt::Key_Escape:
      reject();
      break;
    default:
      if (MachineKey(event)) break;
      event->ignore();
      return;
  }
  event->accept();
}

bool TableWindow::OwnKey(const QKeyEvent& event) {
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4:
    case Qt::Key_5:
    case Qt::Key_A:
    case Qt::Key_B:
    case Qt::Key_C:
    case Qt::Key_G:
    case Qt::Key_H:
    case Qt::Key_K:
    case Qt::Key_L:
    case Qt::Key_M:
    case Qt::Key_R:
    case Qt::Key_S:
    case Qt::Key_T:
      return true;
    default:
      return false;
  }
}

bool TableWindow::MachineKey(QKeyEvent* event) {
  // The letter or digit itself, not a shortcut made with it; a key held down
  // acts once, as one click would.
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const int key = event->key();
  if (key >= Qt::Key_1 && key <= Qt::Key_5) {
    if (!event->isAutoRepeat()) ToggleHold(key - Qt::Key_1);
    return true;
  }
  std::function<void()> action;
  switch (key) {
    case Qt::Key_M:
      action = [this] { BetMax(); };
      break;
    case Qt::Key_C:
      action = [this] { AddCredits(); };
      break;
    case Qt::Key_S:
      action = [this] { ToggleSound(); };
      break;
    case Qt::Key_L:
      action = [this] { SwitchMode(); };
      break;
    case Qt::Key_H:
      action = [this] { Hint(); };
      break;
    case Qt::Key_A:
      action = [this] { Guarded([this] { emit AnalysisRequested(); }); };
      break;
    case Qt::Key_G:
      action = [this] { Guarded([this] { emit ChartRequested(); }); };
      break;
    case Qt::Key_K:
      action = [this] { ToggleCoach(); };
      break;
    default:
      return false;
  }
  if (!event->isAutoRepeat()) action();
  return true;
}

void TableWindow::Hint() {
  Guarded([this] {
    if (!machine.Dealt() || advisor == nullptr) return;
    const std::optional<HoldMask> hint = advisor->HintFor(InProgress());
    if (!hint) return;
    if (machine.SetHolds(*hint)) {
      ShowHolds();
      return;
    }
    // Nothing to change on the table: the answer is said beside the
    // Deal/Draw button, coach shown or not.
    const QString answer = hint->Stored() == 0
                               ? QStringLiteral("Best play: hold nothing, draw five new cards.")
                               : QStringLiteral("Best play: the cards held now.");
    QToolTip::showText(Image8->mapToGlobal(QPoint(Image8->width(), 0)), answer, Image8);
    Announce(this, answer);
  });
}

void TableWindow::ToggleCoach() {
  Guarded([this] {
    if (sidePanel == nullptr) return;
    ShowSidePanel(!sidePanelShown);
    emit SidePanelToggled(sidePanelShown);
  });
}

void TableWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() != QContextMenuEvent::Keyboard) {
    event->ignore();
    return;
  }
  event->accept();
  ShowActionsMenu(mapToGlobal(QPoint(DesignedSize().width() / 2, DesignedSize().height() / 3)));
}

void TableWindow::ShowActionsMenu(const QPoint& globalPos) {
  ActionsMenu menu(this, QStringLiteral("TableMenu"));
  const bool dealt = machine.Dealt();
  menu.AddPlay({dealt, machine.Cards(), machine.Held(), QStringLiteral("Enter"), tr("&Bet $1\tB"),
                [this] { DealOrDraw(); }, [this] { BetOne(); }, [this] { BetMax(); },
                [this](int k) { ToggleHold(k); }});
  menu.Add(tr("H&int: the best hold\tH"), [this] { Hint(); })
      ->setEnabled(dealt && advisor != nullptr);
  menu.AddCheck(tr("Strategy &coach\tK"), sidePanelShown, [this] { ToggleCoach(); })
      ->setEnabled(sidePanel != nullptr);
  menu.Add(tr("&All holds and their values\tA"),
           [this] { Guarded([this] { emit AnalysisRequested(); }); });
  menu.Add(tr("Strate&gy chart\tG"), [this] { Guarded([this] { emit ChartRequested(); }); });
  menu.AddSeparator();
  menu.Add(tr("Add 100 cr&edits\tC"), [this] { AddCredits(); });
  menu.AddCheck(tr("&Sound\tS"), values.soundOn == 1, [this] { ToggleSound(); });
  menu.AddCheck(tr("&Large cards\tL"), LargeLayout(), [this] { SwitchMode(); });
  menu.AddEnd([this] { emit HistoryRequested(); }, [this] { emit StatisticsRequested(); },
              [this] { ShowHelp(); }, tr("&Quit the table\tEsc"), [this] { reject(); });
  menu.Exec(globalPos);
}

void TableWindow::SetHolds(HoldMask holds) {
  Guarded([this, holds] {
    if (machine.SetHolds(holds)) ShowHolds();
  });
}

void TableWindow::ShowHolds() {
  for (int i = 0; i < 5; ++i)
    Image1[static_cast<std::size_t>(i)]->setPixmap(MarkerFace(machine.Held().Holds(i)));
}

bool TableWindow::LargeFits() const {
  // With room for a title bar.
  return services.screen.AvailableHeight() >= kLargeHeight + 30;
}

QSize TableWindow::DesignedSize() const {
  return LargeLayout() ? QSize(kLargeWidth, kLargeHeight) : QSize(kSmallWidth, kSmallHeight);
}

void TableWindow::SetSidePanel(QWidget* panel) {
  if (sidePanel != nullptr && sidePanel != panel) sidePanel->deleteLater();
  sidePanel = panel;
  sidePanelWidth = panel != nullptr ? panel->width() : 0;
  sidePanelShown = false;
  if (panel != nullptr) {
    panel->setParent(this);
    panel->hide();
  }
  FitSidePanel();
}

void TableWindow::ShowSidePanel(bool shown) {
  if (sidePanel == nullptr || shown == sidePanelShown) return;
  sidePanelShown = shown;
  FitSidePanel(isVisible());
  // Before the window is on screen it opens centred as it will stand. On
  // screen the table stays where the player sees it: the window grows or
  // shrinks at its right edge.
  if (!isVisible()) CentreInWorkArea();
}

// The window is the designed area, widened by the side panel while it shows;
// the panel stands to the right of the designed area, as high as it. Where
// the screen has no room for it there (too narrow, or the table stands too
// far right), the panel is docked below the designed area, as wide as it,
// in the same window: never a window of its own that a compositor could put
// behind the table. The designed area keeps its size and place either way.
void TableWindow::FitSidePanel(bool keepPlace) {
  const QSize designed = DesignedSize();
  const bool withPanel = sidePanel != nullptr && sidePanelShown;
  const QRect area = services.screen.AvailableArea();
  const int left = keepPlace ? std::max(area.left(), x()) : area.left();
  const bool beside =
      withPanel && left + designed.width() + sidePanelWidth <= area.left() + area.width();
  // Below: what the work area leaves under the table and its title bar,
  // within reason (the panel scrolls what does not fit).
  const int below = withPanel && !beside
                        ? std::clamp(area.height() - designed.height() - kTitleBar - 8,
                                     kPanelBelowMin, kPanelBelowMax)
                        : 0;
  setFixedSize(designed + QSize(beside ? sidePanelWidth : 0, below));
  if (sidePanel == nullptr) return;
  if (below > 0) {
    sidePanel->setGeometry(0, designed.height(), designed.width(), below);
  } else {
    sidePanel->setGeometry(designed.width(), 0, sidePanelWidth, designed.height());
  }
  sidePanel->setVisible(withPanel);
}

// The window in the middle of the work area, raised where its title bar
// would push its foot out of it.
void TableWindow::CentreInWorkArea() {
  const QRect area = services.screen.AvailableArea();
  const int room = area.height() - height();
  move(area.left() + std::max(0, (area.width() - width()) / 2),
       area.top() + std::max(0, std::min(room / 2, room - kTitleBar)));
}

void TableWindow::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  event->accept();
  if (event->button() == Qt::LeftButton) {
    const bool large = LargeLayout();
    const int bottom = large ? 425 : 331;
    if (p.y() < kCardTop || p.y() > bottom) return;
    for (int k = 0; k < 5; ++k) {
      const int left = large ? 10 + 152 * k : 30 + 80 * k;
      const int right = large ? left + 144 : left + 71;
      if (p.x() >= left && p.x() <= right) {
        ToggleHold(k);
        return;
      }
    }
  } else if (event->button() == Qt::RightButton) {
    if (p.x() <= 450 && p.y() <= 200) DealOrDraw();
  }
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
    PlayCardSound();
  }
  ShowDealOrDraw(true);
  ShowHolds();
  if (deal.winRow > -1) SetLit(Value[static_cast<std::size_t>(deal.winRow)], true);
  revealing = false;
  // The five cards are all on the table now.
  for (CardSpot* spot : findChildren<CardSpot*>()) spot->NameMayHaveChanged();
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
      PlayCardSound();
    } else {
      Image1[static_cast<std::size_t>(i)]->setPixmap(MarkerFace(false));
    }
  }

  // Kept before the player sees the win: a game shown as paid is recorded.
  GameRecord record;
  record.game = settled.game;
  record.coins = settled.coins;
  record.dealt = settled.dealt;
  record.held = settled.held.Stored();
  record.final = settled.final;
  record.row = settled.row;
  record.won = settled.won;
  record.creditsAfter = settled.creditsAfter;
  record.demo = settled.demo;
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
  if (settled.won > 0 && values.soundOn == 1) services.sound.PlaySync(kWinSound);
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
  for (int r = 0; r < kRows; ++r) {
    if (before > 0) SetLit(WinColumn(before)[static_cast<std::size_t>(r)], false);
    SetLit(WinColumn(machine.CoinsIn())[static_cast<std::size_t>(r)], true);
  }
  WriteCoinsLine();
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
  for (int r = 0; r < kRows; ++r) {
    if (before > 0) SetLit(WinColumn(before)[static_cast<std::size_t>(r)], false);
    SetLit(WinColumn(machine.CoinsIn())[static_cast<std::size_t>(r)], true);
  }
  WriteCoinsLine();
  RunDealOrDraw();
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
  // A cell that already looks so is left alone: no new palette, font or paint.
  const QColor colour = lit ? kTextYellow : kTextWhite;
  if (cell->TextColour() == colour && cell->font().bold() == lit) return;
  cell->SetTextColour(colour);
  QFont f = cell->font();
  f.setBold(lit);
  cell->setFont(f);
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
  Label1[1]->setText(QStringLiteral("Credits: ") + QString::number(values.credits));
}

void TableWindow::WriteCoinsLine() {
  Label1[0]->setText(QStringLiteral("Coins In: ") + QString::number(machine.CoinsIn()));
}

void TableWindow::Refuse(Refusal refusal) {
  if (refusal != Refusal::None) services.dialogs.Info(this, kTableTitle, RefusalText(refusal));
}

void TableWindow::PlayCardSound() {
  if (values.soundOn == 1) services.sound.PlaySync(kCardSound);
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

void TableWindow::ShowCard(int index, CardCode code) {
  const QPoint at = CardOrigin(index);
  if (LargeLayout())
    DrawCardFaceLarge(surface, at.x(), at.y(), code, values.gameVariant);
  else
    DrawCardFace(surface, at.x(), at.y(), code, values.gameVariant);
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
    for (int i = 0; i < 5; ++i) {
      if (!event->region().intersects(CardRect(i))) continue;
      const QPoint at = CardOrigin(i);
      const CardCode code = machine.Cards()[static_cast<std::size_t>(i)];
      if (LargeLayout())
        DrawCardFaceLarge(surface, at.x(), at.y(), code, values.gameVariant);
      else
        DrawCardFace(surface, at.x(), at.y(), code, values.gameVariant);
    }
  }
  {
    QPainter line(&surface);
    line.fillRect(QRect(0, 491, 801, 3), Qt::white);
  }
  QPainter painter(this);
  painter.drawImage(event->rect(), surface, event->rect());
}

}  // namespace lynx
