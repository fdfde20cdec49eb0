// The history window: the list newest first with the texts of each row, older
// games read a page at a time as the list scrolls, card strips painted only
// for the rows shown, the picked game's cards at full size, and a game kept
// since put in at the top without reading the list again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <ctime>
#include <utility>

#include "cards/card_painter.h"
#include "review/history_window.h"
#include "tests/support/fakes.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::H;
using M = HistoryModel;

const QDateTime kNoon(QDate(2024, 3, 5), QTime(12, 0), Qt::UTC);

// The fake history, noting every page the window asks for.
class CountingHistory final : public HistoryStore {
 public:
  std::vector<GameRecord> Games(std::int64_t offset, int limit) override {
    reads.emplace_back(offset, limit);
    return fake.Games(offset, limit);
  }
  std::int64_t GameCount() override { return fake.GameCount(); }
  QString Problem() const override { return fake.Problem(); }
  void BeginSession() override { fake.BeginSession(); }
  void MarkEnded(bool saved) override { fake.MarkEnded(saved); }
  std::optional<JournaledBalance> Balance() override { return fake.Balance(); }
  void SaveBalance(std::int32_t credits, std::int32_t borrowed, std::int64_t change) override {
    fake.SaveBalance(credits, borrowed, change);
  }
  std::optional<HandInProgress> PendingHand(GameVariant game) override {
    return fake.PendingHand(game);
  }
  void SaveHand(const HandInProgress& hand, std::int32_t credits, std::int32_t borrowed,
                std::int64_t change) override {
    fake.SaveHand(hand, credits, borrowed, change);
  }
  void DropHands() override { fake.DropHands(); }
  void RecordGame(GameRecord& game, std::int32_t borrowed, std::int64_t change) override {
    fake.RecordGame(game, borrowed, change);
  }
  void RecordGames(std::vector<GameRecord>& games, std::int32_t borrowed,
                   std::int64_t change) override {
    fake.RecordGames(games, borrowed, change);
  }
  std::optional<TrainerHandInProgress> PendingTrainerHand() override {
    return fake.PendingTrainerHand();
  }
  void SaveTrainerHand(const TrainerHandInProgress& hand, std::int32_t credits,
                       std::int32_t borrowed, std::int64_t change) override {
    fake.SaveTrainerHand(hand, credits, borrowed, change);
  }
  void DropTrainerHand() override { fake.DropTrainerHand(); }
  void RecordPractice(GameRecord& game) override { fake.RecordPractice(game); }
  std::vector<GameRecord> Mistakes(int limit) override { return fake.Mistakes(limit); }
  GameStatistics Statistics(std::optional<GameVariant> game) override {
    return fake.Statistics(game);
  }
  std::vector<TableStatistics> TableTotals() override { return fake.TableTotals(); }
  std::vector<std::int32_t> BalanceSeries(int maxPoints) override {
    return fake.BalanceSeries(maxPoints);
  }
  std::vector<SessionReturn> SessionReturns() override { return fake.SessionReturns(); }
  ExportOutcome ExportCsv(const QString& path, const ExportProgress& progress) override {
    return fake.ExportCsv(path, progress);
  }

  FakeHistory fake;
  std::vector<std::pair<std::int64_t, int>> reads;
};
using Reads = std::vector<std::pair<std::int64_t, int>>;

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
    record.playedAt = kNoon.addSecs(60 * static_cast<int>(history.fake.games.size()));
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
  void AddNoWin(int won) {
    Add(kJacksOrBetter, 1, "AS KS QS JS 9D", 0, "AS KS QS JS 9D", -1, won, 100);
  }

  void Open() {
    window = std::make_unique<HistoryWindow>(history);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  QString Cell(int row, int column) const {
    return window->Games()->index(row, column).data().toString();
  }
  QStringList RowTexts(int row) const {
    QStringList texts;
    for (int c : {M::kGame, M::kPlayed, M::kBet, M::kHand, M::kWon}) texts << Cell(row, c);
    return texts;
  }
  QIcon Strip(int row, int column) const {
    return window->Games()->index(row, column).data(Qt::DecorationRole).value<QIcon>();
  }
  int CurrentRow() const { return window->List()->currentIndex().row(); }

  // The Won column from the top of the list down.
  QStringList WonColumn() const {
    QStringList texts;
    for (int r = 0; r < window->Games()->rowCount(); ++r) texts << Cell(r, M::kWon);
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

  CountingHistory history;
  std::unique_ptr<HistoryWindow> window;
};

TEST_F(HistoryWindowTest, ListsTheGamesNewestFirstWithTheirTexts) {
  Add(kJacksOrBetter, 5, "AS KS QS JS 9D", 0b01111, "AS KS QS JS TS", 0, 4000, 4095);
  Add(kJokerWild, 1, "JK 7C 4D 9H 2S", 0b00001, "JK 3C 5D 8H TS", -1, 0, 4094, true);
  Add(kDeucesWild, 3, "2C 2H 9S 9D KC", 0b01111, "2C 2H 9S 9D 9C", 6, 9, 4100);
  Open();

  EXPECT_EQ(window->windowTitle(), "LYNX Video Poker -- History");
  ASSERT_EQ(window->Games()->rowCount(), 3);
  EXPECT_EQ(RowTexts(0),
            QStringList({"Deuces Wild", "2024-03-05 13:02:00", "3", "Full House", "9"}));
  EXPECT_EQ(RowTexts(1),
            QStringList({"Joker Wild (demo)", "2024-03-05 13:01:00", "1", "No win", "0"}));
  EXPECT_EQ(RowTexts(2),
            QStringList({"Jacks or Better", "2024-03-05 13:00:00", "5", "Royal Flush", "4000"}));
  EXPECT_EQ(window->CountLabel()->text(), "3 games, newest first");
  EXPECT_EQ(CurrentRow(), 0);
}

// A trainer hand names its own game, table and hand count, and its row by
// the game's own captions.
TEST_F(HistoryWindowTest, ListsATrainerHandByItsOwnGameTableAndRows) {
  Add(kJacksOrBetter, 5, "AS AH AD AC 3S", 0b01111, "AS AH AD AC 3S", 2, 2000, 2050);
  GameRecord& trainer = history.fake.games.back();
  trainer.libraryGame = "double-double-bonus";
  trainer.payTable = "9/6";
  trainer.hands = 10;
  Add(kJacksOrBetter, 1, "AS AH AD AC 3S", 0b01111, "AS AH AD AC 3S", 2, 25, 100);
  Open();
  EXPECT_EQ(RowTexts(1), QStringList({"Double Double Bonus 9/6, 10 hands", "2024-03-05 13:00:00",
                                      "5", "4 Aces + 2-4", "2000"}));
  EXPECT_EQ(RowTexts(0),
            QStringList({"Jacks or Better", "2024-03-05 13:01:00", "1", "4 of a Kind", "25"}));
}

// Only what the player scrolls to is read, and only the rows on screen get
// their cards painted.
TEST_F(HistoryWindowTest, ReadsOlderGamesAPageAtATimeAsTheListScrolls) {
  for (int n = 1; n <= 250; ++n) AddNoWin(n);
  Open();
  QTableView* list = window->List();
  list->viewport()->repaint();
  EXPECT_EQ(history.reads, (Reads{{0, 100}}));
  EXPECT_EQ(WonColumn(), Numbers(250, 151));
  int onScreen = 0;
  for (int r = 0; r < window->Games()->rowCount(); ++r)
    if (list->rowViewportPosition(r) < list->viewport()->height()) ++onScreen;
  ASSERT_GT(onScreen, 0);
  EXPECT_EQ(window->Games()->StripsPainted(), 2 * onScreen);

  list->scrollToBottom();
  EXPECT_EQ(history.reads, (Reads{{0, 100}, {100, 100}}));
  EXPECT_EQ(WonColumn(), Numbers(250, 51));
  list->scrollToBottom();
  list->scrollToBottom();
  EXPECT_EQ(history.reads, (Reads{{0, 100}, {100, 100}, {200, 100}}));
  EXPECT_EQ(WonColumn(), Numbers(250, 1));
  EXPECT_FALSE(window->Games()->canFetchMore({}));
  EXPECT_EQ(window->CountLabel()->text(), "250 games, newest first");
}

TEST_F(HistoryWindowTest, ShowsThePickedGamesCardsAtFullSizeWithTheHeldOnesMarked) {
  Add(kDeucesWild, 5, "2C 2H 9S 9D KC", 0b01011, "2C 2H 7S 9D 9C", 9, 5, 105);
  Add(kJokerWild, 2, "JK QS QH 4D 7C", 0b00111, "JK QS QH 5C 8D", 8, 4, 109);
  Open();
  EXPECT_TRUE(ShowsHand(false, H("JK QS QH 4D 7C"), kJokerWild));
  EXPECT_TRUE(ShowsHand(true, H("JK QS QH 5C 8D"), kJokerWild));

  QTableView* list = window->List();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualRect(window->Games()->index(1, M::kHand)).center());
  EXPECT_TRUE(ShowsHand(false, H("2C 2H 9S 9D KC"), kDeucesWild));
  EXPECT_TRUE(ShowsHand(true, H("2C 2H 7S 9D 9C"), kDeucesWild));
  EXPECT_EQ(window->GameLabel()->text(),
            "Game 1: Deuces Wild, 2024-03-05 13:00:00, bet 5 — 3 of a Kind, won 5; credits 105");
  // Held: positions 1, 2 and 4.
  EXPECT_EQ((std::array{TaggedHeld(0), TaggedHeld(1), TaggedHeld(2), TaggedHeld(3), TaggedHeld(4)}),
            (std::array{true, true, false, true, false}));
  // The list puts a yellow bar over the same cards (each shows 30 pixels).
  const QImage strip = Strip(1, M::kDealt)
                           .pixmap(HistoryModel::StripSize())
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
  std::array<bool, 5> marked{};
  for (int i = 0; i < 5; ++i)
    marked[static_cast<std::size_t>(i)] = strip.pixelColor(i * 30 + 15, 1) == QColor(255, 255, 0);
  EXPECT_EQ(marked, (std::array{true, true, false, true, false}));
  // A screen reader hears the same cards by name, the held ones said so.
  EXPECT_EQ(window->Games()->index(1, M::kDealt).data(Qt::AccessibleTextRole).toString(),
            "Two of Clubs (held), Two of Hearts (held), Nine of Spades, Nine of Diamonds (held), "
            "King of Clubs");
  EXPECT_EQ(window->Games()->index(1, M::kFinal).data(Qt::AccessibleTextRole).toString(),
            "Two of Clubs, Two of Hearts, Seven of Spades, Nine of Diamonds, Nine of Clubs");
  const auto* picture = window->findChild<QLabel*>(QStringLiteral("Detail"));
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(
      picture->accessibleName().startsWith("Dealt: Two of Clubs (held), Two of Hearts "
                                           "(held), Nine of Spades"))
      << picture->accessibleName().toStdString();
}

// A joker in Jacks or Better: no game, listed as damaged with no cards.
TEST_F(HistoryWindowTest, ListsADamagedRowAsSuchWithoutPaintingItsCards) {
  Add(kJacksOrBetter, 5, "JK KS QS JS 9D", 0b01111, "JK KS QS JS TS", 0, 4000, 4095);
  Add(kJacksOrBetter, 1, "AS KS QS JS 9D", 0, "AS KS QS JS 9D", -1, 0, 4094);
  Open();
  EXPECT_EQ(RowTexts(1), QStringList({"Damaged record", "2024-03-05 13:00:00", "5", "—", "4000"}));
  EXPECT_EQ(Cell(1, M::kDealt), "—");
  EXPECT_TRUE(Strip(1, M::kDealt).isNull());
  EXPECT_TRUE(Strip(1, M::kFinal).isNull());
  EXPECT_FALSE(Strip(0, M::kDealt).isNull());

  window->List()->setCurrentIndex(window->Games()->index(1, M::kGame));
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

// A game kept is read alone and inserted at the top; a hidden window reads
// it when shown; a history that changed otherwise is read from the top.
TEST_F(HistoryWindowTest, PutsAGameKeptAtTheTopAndKeepsThePickedOne) {
  AddNoWin(1);
  AddNoWin(2);
  Open();
  window->List()->setCurrentIndex(window->Games()->index(1, M::kGame));  // game 1
  QSignalSpy inserted(window->Games(), &QAbstractItemModel::rowsInserted);
  QSignalSpy resets(window->Games(), &QAbstractItemModel::modelReset);
  history.reads.clear();
  Add(kJokerWild, 5, "JK QS QH 4D 7C", 0b00111, "JK QS QH QC 8D", 4, 100, 193);

  window->Refresh();
  EXPECT_EQ(history.reads, (Reads{{0, 2}}));  // the new game and the newest one held
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted[0][1].toInt(), 0);
  EXPECT_EQ(inserted[0][2].toInt(), 0);
  EXPECT_EQ(Cell(0, M::kHand), "4 of a Kind");
  EXPECT_EQ(WonColumn(), QStringList({"100", "2", "1"}));
  EXPECT_EQ(CurrentRow(), 2);
  EXPECT_TRUE(window->GameLabel()->text().startsWith("Game 1: "));
  EXPECT_EQ(window->CountLabel()->text(), "3 games, newest first");

  window->hide();
  AddNoWin(4);
  AddNoWin(5);
  window->Refresh();
  EXPECT_EQ(history.reads.size(), 1u);
  window->show();
  EXPECT_EQ(history.reads, (Reads{{0, 2}, {0, 3}}));
  EXPECT_EQ(WonColumn(), QStringList({"5", "4", "100", "2", "1"}));
  EXPECT_EQ(CurrentRow(), 4);
  EXPECT_EQ(resets.count(), 0);

  // Another file with one game more, its games other games.
  history.fake.games.clear();
  for (int n = 11; n <= 16; ++n) AddNoWin(n);
  window->Refresh();
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(WonColumn(), Numbers(16, 11));
  EXPECT_EQ(CurrentRow(), 0);
  EXPECT_TRUE(window->GameLabel()->text().startsWith("Game 6: "));
}

// By keyboard: Esc and Ctrl+W close the window.
TEST_F(HistoryWindowTest, EscOrCtrlWCloses) {
  Open();
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_Escape, Qt::KeyboardModifiers()}, {Qt::Key_W, Qt::ControlModifier}}) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), key, modifiers);
    EXPECT_FALSE(window->isVisible()) << key;
  }
}

}  // namespace
}  // namespace lynx
