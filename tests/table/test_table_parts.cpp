// The parts both tables are built from, on a bare window: the pay table's
// cells, the meter line, the card row's markers, the keys, the sounds, and
// the history's rows of a settled deal on either table.
#include <gtest/gtest.h>

#include <QDialog>
#include <QKeyEvent>
#include <QTest>
#include <memory>

#include "engine/game_rules.h"
#include "table/card_row.h"
#include "table/game_records.h"
#include "table/meter_line.h"
#include "table/pay_table_view.h"
#include "table/table_accessibility.h"
#include "table/table_controls.h"
#include "table/table_frame.h"
#include "table/table_sounds.h"
#include "tests/support/fakes.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::H;

PayTableView::Cells TwoRows(PayTableView::Order order) {
  PayTableView::Cells cells;
  cells.rows = 2;
  cells.order = order;
  cells.namePrefix = QStringLiteral("Row_");
  cells.font = ClassicFont(8.25, false);
  cells.nameRect = [](int r) { return QRect(10, 10 + 20 * r, 100, 17); };
  cells.payRect = [](int c, int r) { return QRect(100 + 50 * c, 10 + 20 * r, 40, 17); };
  cells.nameText = [](int r) { return r == 0 ? QStringLiteral("Flush") : QString(); };
  cells.payText = [](int c, int r) { return r == 0 ? QString::number(5 * c) : QString(); };
  return cells;
}

QStringList ChildNames(const QWidget& window) {
  QStringList names;
  for (const QObject* child : window.children()) names << child->objectName();
  return names;
}

TEST(PayTableView, CellsAreMadeInTheTablesOrderAndSayTheirRowStakeAndPay) {
  QWidget byRow;
  PayTableView rows;
  rows.Create(&byRow, TwoRows(PayTableView::Order::kRowByRow));
  EXPECT_EQ(ChildNames(byRow).join(' ').toStdString(),
            "Row_0 Win1_0 Win2_0 Win3_0 Win4_0 Win5_0 Row_1 Win1_1 Win2_1 Win3_1 Win4_1 Win5_1");
  QWidget namesFirst;
  PayTableView names;
  names.Create(&namesFirst, TwoRows(PayTableView::Order::kNamesFirst));
  EXPECT_EQ(ChildNames(namesFirst).join(' ').toStdString(),
            "Row_0 Row_1 Win1_0 Win1_1 Win2_0 Win2_1 Win3_0 Win3_1 Win4_0 Win4_1 Win5_0 Win5_1");

  EXPECT_EQ(rows.Rows(), 2);
  EXPECT_EQ(rows.Pay(3, 0)->geometry(), QRect(250, 10, 40, 17));
  EXPECT_EQ(rows.Pay(1, 0)->SpokenName().toStdString(), "Flush, 1 coin: 5");
  EXPECT_EQ(rows.Pay(2, 0)->SpokenName().toStdString(), "Flush, 2 coins: 10");
  EXPECT_EQ(rows.Pay(5, 0)->SpokenName().toStdString(), "Flush, 5 coins: 25");
  EXPECT_EQ(rows.Pay(2, 1)->SpokenName(), QString());  // an empty row says nothing
  rows.Name(1)->setText(QStringLiteral("Straight"));
  rows.Pay(2, 1)->setText(QStringLiteral("8"));
  EXPECT_EQ(rows.Pay(2, 1)->SpokenName().toStdString(), "Straight, 2 coins: 8");

  const std::vector<ClassicLabel*> cells = rows.RowCells(1);
  rows.Discard();
  EXPECT_EQ(rows.Rows(), 0);
  for (ClassicLabel* cell : cells) {
    EXPECT_FALSE(InAccessibleTree(*cell));
    EXPECT_TRUE(cell->isHidden());
  }
}

TEST(PayTableView, LightingColoursAColumnTheNamesOrOneCellInBold) {
  QWidget window;
  PayTableView table;
  table.Create(&window, TwoRows(PayTableView::Order::kRowByRow));
  table.LightColumn(3);
  for (int c = 1; c <= 5; ++c)
    for (int r = 0; r < 2; ++r)
      EXPECT_EQ(table.Pay(c, r)->TextColour(), c == 3 ? kTextYellow : kTextWhite) << c << r;
  EXPECT_FALSE(table.Pay(3, 0)->font().bold());
  table.LightColumn(0);
  EXPECT_EQ(table.Pay(3, 1)->TextColour(), kTextWhite);

  table.LightNames({1});
  EXPECT_EQ(table.Name(0)->TextColour(), kTextWhite);
  EXPECT_EQ(table.Name(1)->TextColour(), kTextYellow);

  PayTableView::SetLit(table.Name(0), true);
  EXPECT_EQ(table.Name(0)->TextColour(), kTextYellow);
  EXPECT_TRUE(table.Name(0)->font().bold());
  PayTableView::SetLit(table.Name(0), false);
  EXPECT_EQ(table.Name(0)->TextColour(), kTextWhite);
  EXPECT_FALSE(table.Name(0)->font().bold());

  ClassicLabel* heading =
      PayTableView::Heading(&window, QStringLiteral("Header_0"), 0, QRect(), table.Name(0)->font());
  EXPECT_EQ(heading->text().toStdString(), "Coins In");
  EXPECT_EQ(PayTableView::Heading(&window, QStringLiteral("Header_4"), 4, QRect(), heading->font())
                ->TextColour(),
            kTextRed);
}

TEST(MeterLine, SaysTheCoinsTheHandsAndTheCredits) {
  QWidget window;
  const MeterLine meter(&window, MeterLook{QStringLiteral("CoinsIn"), QStringLiteral("Credits"),
                                           QRect(), QRect(), QRect(), ClassicFont(13.5, true),
                                           ClassicFont(8.25, true), QStringLiteral("Coins In: 1"),
                                           QString()});
  EXPECT_EQ(ChildNames(window).join(' ').toStdString(), "Mess CoinsIn Credits");
  EXPECT_EQ(meter.coins->text().toStdString(), "Coins In: 1");
  meter.WriteCoins(5);
  EXPECT_EQ(meter.coins->text().toStdString(), "Coins In: 5");
  meter.WriteCoins(3, 10);
  EXPECT_EQ(meter.coins->text().toStdString(), "Coins In: 3 x 10");
  meter.WriteCredits(4090);
  EXPECT_EQ(meter.credits->text().toStdString(), "Credits: 4090");
  EXPECT_EQ(meter.message->SpokenName().toStdString(), "Message line: empty");
  meter.message->setText(QStringLiteral("Royal Flush"));
  EXPECT_EQ(meter.message->SpokenName().toStdString(), "Royal Flush");
}

TEST(CardRow, MarkersAreNamedByCardShowTheirHoldsAndToggleTheirCard) {
  QWidget window;
  CardRow row;
  std::vector<int> toggled;
  row.MakeMarkers(
      &window, [](int k) { return QStringLiteral("Marker_%1").arg(k + 1); },
      [](int k) { return QRect(10 + 80 * k, 5, 44, 28); }, [&toggled](int k) { toggled.push_back(k); });
  const Hand hand = H("AS KS QS JS TS");
  HoldMask holds = HoldMask::FromBits(0b00101);
  row.MakeCardSpots(
      &window, [&hand](int k) { return hand[static_cast<std::size_t>(k)]; },
      [&holds](int k) { return holds.Holds(k); }, [](int k) { return QRect(80 * k, 40, 73, 98); });
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(row.Marker(k)->objectName(), QStringLiteral("Marker_%1").arg(k + 1));
    EXPECT_EQ(row.Marker(k)->accessibleName(), QStringLiteral("Hold card %1").arg(k + 1));
    EXPECT_EQ(row.Spots()[static_cast<std::size_t>(k)]->objectName(),
              QStringLiteral("Card_%1").arg(k + 1));
    EXPECT_EQ(row.Spots()[static_cast<std::size_t>(k)]->Marker(), row.Marker(k));
  }
  EXPECT_EQ(row.Spots()[2]->Describe().toStdString(), "Queen of Spades, held");
  EXPECT_EQ(row.Spots()[3]->Describe().toStdString(), "Jack of Spades");

  QPixmap hold(4, 4);
  hold.fill(Qt::yellow);
  QPixmap draw(4, 4);
  draw.fill(Qt::white);
  row.SetFaces(hold, draw);
  row.ShowHolds(holds);
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(row.Marker(k)->pixmap().toImage().pixel(0, 0),
              (holds.Holds(k) ? hold : draw).toImage().pixel(0, 0))
        << k;
  row.Marker(3)->Press();
  row.Marker(0)->Press();
  EXPECT_EQ(toggled, (std::vector<int>{3, 0}));
}

QKeyEvent Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  return QKeyEvent(QEvent::KeyPress, key, modifiers);
}

TEST(TableFrame, EveryTablePlaysByItsPlainKeysAndEachByItsOwnMore) {
  for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_1, Qt::Key_5, Qt::Key_A, Qt::Key_B,
                        Qt::Key_C, Qt::Key_G, Qt::Key_H, Qt::Key_K, Qt::Key_M, Qt::Key_R,
                        Qt::Key_S, Qt::Key_T})
    EXPECT_TRUE(TableKey(Key(key), {})) << key;
  for (const int key : {Qt::Key_6, Qt::Key_L, Qt::Key_N, Qt::Key_W, Qt::Key_Escape, Qt::Key_F1})
    EXPECT_FALSE(TableKey(Key(key), {})) << key;
  EXPECT_TRUE(TableKey(Key(Qt::Key_L), {Qt::Key_L}));
  EXPECT_TRUE(TableKey(Key(Qt::Key_V), {Qt::Key_N, Qt::Key_P, Qt::Key_V}));
  for (const Qt::KeyboardModifier held : {Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier}) {
    EXPECT_FALSE(TableKey(Key(Qt::Key_B, held), {}));
    EXPECT_FALSE(TableKey(Key(Qt::Key_L, held), {Qt::Key_L}));
    EXPECT_FALSE(PlainKey(Key(Qt::Key_Q, held)));
  }
  EXPECT_TRUE(TableKey(Key(Qt::Key_3, Qt::KeypadModifier), {}));
  EXPECT_TRUE(PlainKey(Key(Qt::Key_B, Qt::ShiftModifier)));

  QDialog window;
  SetUpTableWindow(&window, 8.25);
  EXPECT_EQ(window.palette().color(QPalette::Window), kTableBlue);
  EXPECT_TRUE(window.font().bold());
  EXPECT_EQ(window.font().pointSizeF(), 8.25);
  EXPECT_EQ(window.windowFlags() & ~Qt::WindowType_Mask,
            Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  EXPECT_TRUE(window.testAttribute(Qt::WA_OpaquePaintEvent));
  EXPECT_EQ(window.focusPolicy(), Qt::StrongFocus);
  EXPECT_EQ(TablePicture("btn_quit").size(), QSize(64, 40));
  EXPECT_EQ(TablePicture("btn_quit", 1.5).devicePixelRatio(), 1 / 1.5);
}

TEST(TableSounds, CardAndWinSoundsPlayOnlyWithTheSoundOn) {
  ProgramValues values;
  values.soundOn = 1;
  FakeSound sound;
  TableSounds sounds(values, sound);
  sounds.Card();
  sounds.Win();
  sounds.Toggle();
  EXPECT_FALSE(sounds.On());
  EXPECT_EQ(values.soundOn, 0);
  sounds.Card();
  sounds.Win();
  EXPECT_EQ(sound.played.join(' ').toStdString(), "SND2.WAV SND0.WAV");
  sounds.Toggle();
  EXPECT_EQ(values.soundOn, 1);
}

TEST(GameRecords, TheMachinesGameIsOneRowAndTheTrainersDealARowAHand) {
  Settlement machine;
  machine.game = kJokerWild;
  machine.coins = 4;
  machine.dealt = H("AS KS QS JS 2D");
  machine.held = HoldMask::FromBits(0b01111);
  machine.final = H("AS KS QS JS TS");
  machine.row = 1;
  machine.won = 200;
  machine.creditsAfter = 296;
  machine.demo = true;
  const std::vector<GameRecord> one = GameRecordsOf(DealOf(machine), nullptr);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].game, kJokerWild);
  EXPECT_EQ(one[0].coins, 4);
  EXPECT_EQ(one[0].dealt, machine.dealt);
  EXPECT_EQ(one[0].held, 0b01111);
  EXPECT_EQ(one[0].final, machine.final);
  EXPECT_EQ(one[0].row, 1);
  EXPECT_EQ(one[0].won, 200);
  EXPECT_EQ(one[0].creditsAfter, 296);
  EXPECT_TRUE(one[0].demo);
  EXPECT_EQ(one[0].hands, 1);
  EXPECT_TRUE(one[0].libraryGame.isEmpty());
  EXPECT_TRUE(one[0].payTable.isEmpty());
  EXPECT_FALSE(one[0].bestEv.has_value());

  const GameRules& bonus = *FindGame("double-double-bonus");
  TrainerSettlement trainer;
  trainer.rules = &bonus;
  trainer.table = "custom";
  trainer.pays = DefaultPays(bonus);
  trainer.hands = 3;
  trainer.coins = 2;
  trainer.dealt = H("9S 9H 4D 7C 2S");
  trainer.held = HoldMask::FromBits(0b00011);
  trainer.results = {{H("9S 9H 9D 7C 2C"), 6, 6, ""}, {H("9S 9H 4C 3C 2H"), -1, 0, ""},
                     {H("9S 9H 5D 5C 2H"), 8, 4, ""}};
  trainer.creditsAfterEach = {100, 100, 104};
  HoldVerdict verdict;
  verdict.bestEv = 3.5;
  verdict.heldEv = 3.25;
  verdict.bestHolds = "3,7";
  const std::vector<GameRecord> rows = GameRecordsOf(DealOf(trainer), &verdict);
  ASSERT_EQ(rows.size(), 3u);
  for (std::size_t h = 0; h < rows.size(); ++h) {
    EXPECT_EQ(rows[h].game, bonus.family);
    EXPECT_EQ(rows[h].coins, 2);
    EXPECT_EQ(rows[h].dealt, trainer.dealt);
    EXPECT_EQ(rows[h].held, 0b00011);
    EXPECT_EQ(rows[h].final, trainer.results[h].final);
    EXPECT_EQ(rows[h].row, trainer.results[h].row);
    EXPECT_EQ(rows[h].won, trainer.results[h].won);
    EXPECT_EQ(rows[h].creditsAfter, trainer.creditsAfterEach[h]);
    EXPECT_EQ(rows[h].hands, 3);
    EXPECT_FALSE(rows[h].demo);
    EXPECT_EQ(rows[h].libraryGame.toStdString(), "double-double-bonus");
    EXPECT_EQ(rows[h].payTable, RecordedTableName("custom", trainer.pays));
    EXPECT_EQ(rows[h].bestEv, 3.5);
    EXPECT_EQ(rows[h].heldEv, 3.25);
    EXPECT_EQ(rows[h].bestHolds.toStdString(), "3,7");
  }
}

}  // namespace
}  // namespace lynx
