// The history window: the list newest first with the texts of each row,
// paging through older games, the picked game's cards at full size, Refresh.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <ctime>

#include "platform/fakes.h"
#include "review/history_window.h"
#include "cards/card_painter.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::H;

const QDateTime kNoon(QDate(2024, 3, 5), QTime(12, 0), Qt::UTC);

class HistoryWindowTest : public ::testing::Test {
 protected:
  // Local time one hour ahead of UTC, so the list's times are known.
  static void SetUpTestSuite() {
    qputenv("TZ", "CET-1");
    tzset();
  }

  void Add(GameVariant game, int coins, const char* dealt, int held, const char* final, int row,
           int won, int credits, bool demo = false) {
    GameRecord record;
    record.playedAt = kNoon.addSecs(60 * static_cast<int>(history.games.size()));
    record.game = game;
    record.coins = coins;
    record.dealt = H(dealt);
    record.held = held;
    record.final = H(final);
    record.row = row;
    record.won = won;
    record.creditsAfter = credits;
    record.demo = demo;
    history.RecordGame(record, 0, 0);
  }

  void Open() {
    window = std::make_unique<HistoryWindow>(history);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  QStringList RowTexts(int row) const {
    QStringList texts;
    for (int c : {HistoryWindow::kGame, HistoryWindow::kPlayed, HistoryWindow::kBet,
                  HistoryWindow::kHand, HistoryWindow::kWon})
      texts << window->List()->item(row, c)->text();
    return texts;
  }

  // The Won column from the top of the list down.
  QStringList WonColumn() const {
    QStringList texts;
    for (int r = 0; r < window->List()->rowCount(); ++r)
      texts << window->List()->item(r, HistoryWindow::kWon)->text();
    return texts;
  }

  static QStringList Numbers(int from, int downTo) {
    QStringList texts;
    for (int n = from; n >= downTo; --n) texts << QString::number(n);
    return texts;
  }

  // The card drawn alone on the table's blue.
  static QImage Reference(CardCode code, GameVariant game) {
    QImage image(73, 98, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 255));
    DrawCardFace(image, 0, 0, code, game);
    return image;
  }

  ::testing::AssertionResult ShowsHand(bool afterDraw, const Hand& hand, GameVariant game) const {
    for (int i = 0; i < 5; ++i) {
      const QPoint at = HistoryWindow::DetailCardOrigin(afterDraw, i);
      if (window->Detail().copy(QRect(at, QSize(73, 98))) !=
          Reference(hand[static_cast<std::size_t>(i)], game))
        return ::testing::AssertionFailure() << (afterDraw ? "final" : "dealt") << " card " << i;
    }
    return ::testing::AssertionSuccess();
  }

  // Whether the "HELD" tag (yellow) is over dealt card index.
  bool TaggedHeld(int index) const {
    const QPoint at = HistoryWindow::DetailCardOrigin(false, index);
    const QImage tag = window->Detail().copy(at.x(), at.y() - 18, 73, 18);
    for (int y = 0; y < tag.height(); ++y)
      for (int x = 0; x < tag.width(); ++x)
        if (tag.pixelColor(x, y) == QColor(255, 255, 0)) return true;
    return false;
  }

  FakeHistory history;
  std::unique_ptr<HistoryWindow> window;
};

TEST_F(HistoryWindowTest, ListsTheGamesNewestFirstWithTheirTexts) {
  Add(kJacksOrBetter, 5, "AS KS QS JS 9D", 0b01111, "AS KS QS JS TS", 0, 4000, 4095);
  Add(kJokerWild, 1, "JK 7C 4D 9H 2S", 0b00001, "JK 3C 5D 8H TS", -1, 0, 4094, true);
  Add(kDeucesWild, 3, "2C 2H 9S 9D KC", 0b01111, "2C 2H 9S 9D 9C", 6, 9, 4100);
  Open();

  EXPECT_EQ(window->windowTitle(), "LYNX Video Poker -- History");
  ASSERT_EQ(window->List()->rowCount(), 3);
  EXPECT_EQ(RowTexts(0),
            QStringList({"Deuces Wild", "2024-03-05 13:02:00", "3", "Full House", "9"}));
  EXPECT_EQ(RowTexts(1),
            QStringList({"Joker Wild (demo)", "2024-03-05 13:01:00", "1", "No win", "0"}));
  EXPECT_EQ(RowTexts(2),
            QStringList({"Jacks or Better", "2024-03-05 13:00:00", "5", "Royal Flush", "4000"}));
  EXPECT_EQ(window->RangeLabel()->text(), "Games 1–3 of 3");
  EXPECT_FALSE(window->NewerButton()->isEnabled());
  EXPECT_FALSE(window->OlderButton()->isEnabled());
}

TEST_F(HistoryWindowTest, PagesThroughOlderGamesAHundredAtATime) {
  for (int n = 1; n <= 250; ++n)
    Add(kJacksOrBetter, 1, "AS KS QS JS 9D", 0, "AS KS QS JS 9D", -1, n, 100);
  Open();
  EXPECT_EQ(window->RangeLabel()->text(), "Games 1–100 of 250");
  EXPECT_EQ(WonColumn(), Numbers(250, 151));
  EXPECT_FALSE(window->NewerButton()->isEnabled());

  QTest::mouseClick(window->OlderButton(), Qt::LeftButton);
  EXPECT_EQ(window->RangeLabel()->text(), "Games 101–200 of 250");
  EXPECT_EQ(WonColumn(), Numbers(150, 51));
  EXPECT_TRUE(window->NewerButton()->isEnabled());
  EXPECT_TRUE(window->OlderButton()->isEnabled());

  QTest::mouseClick(window->OlderButton(), Qt::LeftButton);
  EXPECT_EQ(window->RangeLabel()->text(), "Games 201–250 of 250");
  EXPECT_EQ(WonColumn(), Numbers(50, 1));
  EXPECT_FALSE(window->OlderButton()->isEnabled());

  QTest::mouseClick(window->NewerButton(), Qt::LeftButton);
  EXPECT_EQ(window->RangeLabel()->text(), "Games 101–200 of 250");
  EXPECT_EQ(WonColumn(), Numbers(150, 51));
}

TEST_F(HistoryWindowTest, ShowsThePickedGamesCardsAtFullSizeWithTheHeldOnesMarked) {
  Add(kDeucesWild, 5, "2C 2H 9S 9D KC", 0b01011, "2C 2H 7S 9D 9C", 9, 5, 105);
  Add(kJokerWild, 2, "JK QS QH 4D 7C", 0b00111, "JK QS QH 5C 8D", 8, 4, 109);
  Open();
  EXPECT_TRUE(ShowsHand(false, H("JK QS QH 4D 7C"), kJokerWild));
  EXPECT_TRUE(ShowsHand(true, H("JK QS QH 5C 8D"), kJokerWild));

  QTableWidget* list = window->List();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(list->item(1, HistoryWindow::kHand)).center());
  EXPECT_TRUE(ShowsHand(false, H("2C 2H 9S 9D KC"), kDeucesWild));
  EXPECT_TRUE(ShowsHand(true, H("2C 2H 7S 9D 9C"), kDeucesWild));
  EXPECT_EQ(window->GameLabel()->text(),
            "Game 1: Deuces Wild, 2024-03-05 13:00:00, bet 5 — 3 of a Kind, won 5; credits 105");
  // Held: positions 1, 2 and 4.
  EXPECT_EQ((std::array{TaggedHeld(0), TaggedHeld(1), TaggedHeld(2), TaggedHeld(3), TaggedHeld(4)}),
            (std::array{true, true, false, true, false}));
  // The list puts a yellow bar over the same cards (each shows 30 pixels).
  const QImage strip = list->item(1, HistoryWindow::kDealt)
                           ->icon()
                           .pixmap(list->iconSize())
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
  std::array<bool, 5> marked{};
  for (int i = 0; i < 5; ++i)
    marked[static_cast<std::size_t>(i)] = strip.pixelColor(i * 30 + 15, 1) == QColor(255, 255, 0);
  EXPECT_EQ(marked, (std::array{true, true, false, true, false}));
}

// A joker in Jacks or Better: no game, listed as damaged with no cards.
TEST_F(HistoryWindowTest, ListsADamagedRowAsSuchWithoutPaintingItsCards) {
  Add(kJacksOrBetter, 5, "JK KS QS JS 9D", 0b01111, "JK KS QS JS TS", 0, 4000, 4095);
  Add(kJacksOrBetter, 1, "AS KS QS JS 9D", 0, "AS KS QS JS 9D", -1, 0, 4094);
  Open();
  EXPECT_EQ(RowTexts(1), QStringList({"Damaged record", "2024-03-05 13:00:00", "5", "—", "4000"}));
  EXPECT_TRUE(window->List()->item(1, HistoryWindow::kDealt)->icon().isNull());
  EXPECT_TRUE(window->List()->item(1, HistoryWindow::kFinal)->icon().isNull());
  EXPECT_FALSE(window->List()->item(0, HistoryWindow::kDealt)->icon().isNull());

  window->List()->setCurrentCell(1, HistoryWindow::kGame);
  EXPECT_TRUE(window->GameLabel()->text().startsWith(
      "Game 1: damaged record, 2024-03-05 13:00:00. This row of the history file is no game"))
      << window->GameLabel()->text().toStdString();
  QImage blank(73, 98, QImage::Format_RGB32);
  blank.fill(QColor(0, 0, 255));
  for (const bool afterDraw : {false, true}) {
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(window->Detail().copy(
                    QRect(HistoryWindow::DetailCardOrigin(afterDraw, i), QSize(73, 98))),
                blank);
  }
  EXPECT_FALSE(TaggedHeld(0));
}

TEST_F(HistoryWindowTest, RefreshAddsTheNewGameAndKeepsThePickedOne) {
  Add(kJacksOrBetter, 1, "AS KS QS JS 9D", 0, "AS KS QS JS 9D", -1, 0, 99);
  Add(kJacksOrBetter, 1, "AS KS QS JS 9D", 0, "AS KS QS JS 9D", -1, 0, 98);
  Open();
  window->List()->setCurrentCell(1, HistoryWindow::kGame);  // game 1
  Add(kJokerWild, 5, "JK QS QH 4D 7C", 0b00111, "JK QS QH QC 8D", 4, 100, 193);

  window->Refresh();
  EXPECT_EQ(window->RangeLabel()->text(), "Games 1–3 of 3");
  EXPECT_EQ(window->List()->item(0, HistoryWindow::kHand)->text(), "4 of a Kind");
  EXPECT_EQ(window->List()->currentRow(), 2);
  EXPECT_TRUE(window->GameLabel()->text().startsWith("Game 1: "));
}

}  // namespace
}  // namespace lynx
