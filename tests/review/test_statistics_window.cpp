// The statistics window: the figures of a known history, the best-play
// figures computed once in the background, the charts' data, the CSV export.
#include <gtest/gtest.h>

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <limits>
#include <memory>

#include "platform/fakes.h"
#include "review/best_play_cache.h"
#include "review/statistics_window.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::H;
using W = StatisticsWindow;

// Made-up best-play figures: each game's analysis waits at the gate.
GameReturn Figures(GameVariant game) {
  GameReturn figures;
  figures.variant = game;
  figures.returnRatio = game == kJacksOrBetter ? 0.97 : game == kJokerWild ? 1.01 : 1.0;
  figures.rowProbability[0] = 0.0000248;
  figures.rowProbability[8] = 0.2146;
  figures.noWinProbability = 0.5453;
  return figures;
}

class StatisticsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Session 1: bet 21, won 4060; session 2: bet 7, won 5.
    history.BeginSession();
    Add(kJacksOrBetter, 5, 8, 5, 105);   // Jacks or Better
    Add(kJacksOrBetter, 5, -1, 0, 100);  // no win
    Add(kJacksOrBetter, 1, 1, 50, 149);  // Straight Flush
    Add(kJokerWild, 5, 10, 5, 149);      // Kings or Better
    Add(kDeucesWild, 5, 0, 4000, 4144);  // Royal Flush (Natural)
    history.BeginSession();
    Add(kJokerWild, 2, -1, 0, 4142);  // no win
    Add(kDeucesWild, 5, 9, 5, 4142);  // 3 of a Kind
  }
  void TearDown() override {
    gate.release(3);  // lets any analysis still waiting end
    window.reset();
  }

  void Add(GameVariant game, int coins, int row, int won, int credits) {
    GameRecord record;
    record.game = game;
    record.coins = coins;
    record.dealt = record.final = H("AS KS QS JS 9D");
    record.row = row;
    record.won = won;
    record.creditsAfter = credits;
    history.RecordGame(record, 0, 0);
  }

  void Open() {
    window = std::make_unique<W>(history, dialogs, cache);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  QStringList SummaryRow(int row) const {
    QStringList texts;
    for (int c = W::kHands; c < W::kSummaryColumns; ++c)
      texts << window->Summary()->item(row, c)->text();
    return texts;
  }
  QStringList RowLine(GameVariant game, int row) const {
    QStringList texts;
    for (int c = W::kRowName; c < W::kRowColumns; ++c)
      texts << window->Rows(game)->item(row, c)->text();
    return texts;
  }

  QSemaphore gate;
  std::atomic<int> analyses{0};
  FakeHistory history;
  FakeDialogs dialogs;
  BestPlayCache cache{[this](GameVariant game) {
    ++analyses;
    gate.acquire();
    return Figures(game);
  }};
  std::unique_ptr<W> window;
};

TEST_F(StatisticsWindowTest, ShowsTheFiguresOfEachGameAndOfAllGames) {
  Open();
  EXPECT_EQ(window->windowTitle(), "LYNX Video Poker -- Statistics");
  // Hands, coins bet, won, return, best play, biggest win.
  EXPECT_EQ(SummaryRow(0), QStringList({"3", "11", "55", "500.00%", "computing…", "50"}));
  EXPECT_EQ(SummaryRow(1), QStringList({"2", "7", "5", "71.43%", "computing…", "5"}));
  EXPECT_EQ(SummaryRow(2), QStringList({"2", "10", "4005", "40050.00%", "computing…", "4000"}));
  EXPECT_EQ(SummaryRow(W::kAllGamesRow),
            QStringList({"7", "28", "4065", "14517.86%", "computing…", "4000"}));

  QTableWidget* jacks = window->Rows(kJacksOrBetter);
  ASSERT_EQ(jacks->rowCount(), 10);
  EXPECT_EQ(RowLine(kJacksOrBetter, 0), QStringList({"Royal Flush", "0", "0.00%", "computing…"}));
  EXPECT_EQ(RowLine(kJacksOrBetter, 1),
            QStringList({"Straight Flush", "1", "33.33%", "computing…"}));
  EXPECT_EQ(RowLine(kJacksOrBetter, 8),
            QStringList({"Jacks or Better", "1", "33.33%", "computing…"}));
  EXPECT_EQ(RowLine(kJacksOrBetter, 9), QStringList({"No win", "1", "33.33%", "computing…"}));
  EXPECT_EQ(window->Rows(kJokerWild)->rowCount(), 12);
  EXPECT_EQ(RowLine(kJokerWild, 10), QStringList({"Kings or Better", "1", "50.00%", "computing…"}));
  EXPECT_EQ(window->Rows(kDeucesWild)->rowCount(), 11);
  EXPECT_EQ(RowLine(kDeucesWild, 0),
            QStringList({"Royal Flush (Natural)", "1", "50.00%", "computing…"}));

  // A game settled since: Refresh reads it.
  Add(kJokerWild, 5, -1, 0, 4137);
  window->Refresh();
  EXPECT_EQ(SummaryRow(1), QStringList({"3", "12", "5", "41.67%", "computing…", "5"}));
  EXPECT_EQ(window->Summary()->item(W::kAllGamesRow, W::kHands)->text(), "8");
}

// Sums no valid history gives (nothing bet, values that are no numbers)
// show dashes, never "inf" or "nan".
TEST_F(StatisticsWindowTest, ShowsDashesForFiguresThatAreNoNumbers) {
  GameStatistics odd;
  odd.hands = 3;
  odd.won = 5;
  odd.judged = 2;
  odd.heldEv = std::numeric_limits<double>::infinity();
  odd.bestEv = std::numeric_limits<double>::quiet_NaN();
  odd.mistakes = 1;
  odd.mistakeCost = std::numeric_limits<double>::infinity();
  history.cannedStatistics = odd;
  Open();
  EXPECT_EQ(SummaryRow(0), QStringList({"3", "0", "5", "—", "computing…", "0"}));
  EXPECT_EQ(RowLine(kJacksOrBetter, 9), QStringList({"No win", "3", "100.00%", "computing…"}));
  EXPECT_EQ(window->CoachFigures()->text(),
            "Strategy coach, all games: 6 hands judged. Expected return of your holds —, of best "
            "play —. Mistakes 3, costing — credits.");
}

TEST_F(StatisticsWindowTest, ShowsBestPlayWhenComputedOncePerGame) {
  QSignalSpy ready(&cache, &BestPlayCache::Ready);
  Open();
  EXPECT_EQ(window->Summary()->item(0, W::kBestPlay)->text(), "computing…");
  gate.release(3);
  while (ready.count() < 3) ASSERT_TRUE(ready.wait(10000));

  EXPECT_EQ(window->Summary()->item(0, W::kBestPlay)->text(), "97.00%");
  EXPECT_EQ(window->Summary()->item(1, W::kBestPlay)->text(), "101.00%");
  // All games: (11 * 0.97 + 7 * 1.01 + 10 * 1.00) / 28 of the bet.
  EXPECT_EQ(window->Summary()->item(W::kAllGamesRow, W::kBestPlay)->text(), "99.07%");
  EXPECT_EQ(RowLine(kJacksOrBetter, 0), QStringList({"Royal Flush", "0", "0.00%", "0.00248%"}));
  EXPECT_EQ(RowLine(kJacksOrBetter, 8), QStringList({"Jacks or Better", "1", "33.33%", "21.46%"}));
  EXPECT_EQ(RowLine(kJacksOrBetter, 9), QStringList({"No win", "1", "33.33%", "54.53%"}));

  // A second window and a refresh use what is known.
  W second(history, dialogs, cache);
  second.Refresh();
  EXPECT_EQ(second.Summary()->item(2, W::kBestPlay)->text(), "100.00%");
  cache.WaitForAll();
  EXPECT_EQ(analyses.load(), 3);
}

TEST_F(StatisticsWindowTest, ChartsTheBalanceAndTheReturnOfEachSession) {
  Open();
  const QList<QPointF> balance = window->BalanceLine()->points();
  EXPECT_EQ(balance, (QList<QPointF>{
                         {1, 105}, {2, 100}, {3, 149}, {4, 149}, {5, 4144}, {6, 4142}, {7, 4142}}));
  ASSERT_EQ(window->SessionAxis()->categories(), QStringList({"1", "2"}));
  EXPECT_DOUBLE_EQ(window->SessionsAhead()->at(0), 4060.0 * 100 / 21);
  EXPECT_DOUBLE_EQ(window->SessionsAhead()->at(1), 0);
  EXPECT_DOUBLE_EQ(window->SessionsBehind()->at(0), 0);
  EXPECT_DOUBLE_EQ(window->SessionsBehind()->at(1), 5.0 * 100 / 7);
}

TEST_F(StatisticsWindowTest, ShowsOnlyTheLastSessions) {
  for (int s = 0; s < 33; ++s) {
    history.BeginSession();
    Add(kJacksOrBetter, 1, -1, 0, 100);
  }
  Open();
  QStringList numbers;
  for (int n = 6; n <= 35; ++n) numbers << QString::number(n);
  EXPECT_EQ(window->SessionAxis()->categories(), numbers);
  EXPECT_EQ(window->SessionChart()->title(), "Return by session (the last 30 of 35)");
}

TEST_F(StatisticsWindowTest, ExportsTheChosenFileOrNothingWhenCancelled) {
  QTemporaryDir folder;
  Open();

  dialogs.saveFileName.clear();  // cancelled
  QTest::mouseClick(window->ExportButton(), Qt::LeftButton);
  ASSERT_EQ(dialogs.saveAsked.size(), 1u);
  EXPECT_EQ(dialogs.saveAsked[0].first, "Export the game history");
  EXPECT_TRUE(dialogs.saveAsked[0].second.endsWith("/lynx-video-poker-history.csv"));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(QDir(folder.path()).isEmpty());

  const QString path = folder.filePath("games.csv");
  dialogs.saveFileName = path;
  QTest::mouseClick(window->ExportButton(), Qt::LeftButton);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  EXPECT_EQ(lines.size(), 9);  // the header, seven games, nothing after the last CRLF
  EXPECT_TRUE(lines[0].startsWith("id,played_at,game,"));
  EXPECT_EQ(dialogs.shown, (std::vector<ShownDialog>{{DialogIcon::Information, "LYNX Video Poker",
                                                      "7 games were written to " + path + "."}}));

  dialogs.shown.clear();
  dialogs.saveFileName = folder.filePath("missing/games.csv");
  QTest::mouseClick(window->ExportButton(), Qt::LeftButton);
  EXPECT_EQ(dialogs.shown, (std::vector<ShownDialog>{{DialogIcon::Exclamation, "LYNX Video Poker",
                                                      "The history could not be written to " +
                                                          folder.path() + "/missing/games.csv."}}));
}

// The engine's own analysis: this machine's Joker Wild deck, five coins bet.
TEST(BestPlayCacheTest, AnalysesJokerWildOnTheMachinesDeckWithFiveCoins) {
  BestPlayCache cache;
  QSignalSpy ready(&cache, &BestPlayCache::Ready);
  EXPECT_EQ(cache.Find(kJokerWild), nullptr);
  ASSERT_TRUE(ready.wait(120000));
  const GameReturn* figures = cache.Find(kJokerWild);
  ASSERT_NE(figures, nullptr);
  EXPECT_EQ(figures->exactReturn, "87542093690551/86377332241200");
}

}  // namespace
}  // namespace lynx
