// The statistics window: the figures of a known history, updated in place and
// only while shown; best play worked out once per game in the background at
// every stake and weighed by the stakes played; the charts' data; the CSV
// export.
#include <gtest/gtest.h>

#include <QChart>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <limits>
#include <memory>
#include <numeric>

#include "coach/coach.h"
#include "review/best_play_cache.h"
#include "review/statistics_model.h"
#include "review/statistics_window.h"
#include "table/table_controls.h"
#include "tests/support/fakes.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::H;
using W = StatisticsWindow;
using S = SummaryModel;
using P = PayRowsModel;

// Made-up best-play figures, different at every stake (coins 1..5).
double Ratio(GameVariant game, int coins) {
  return (game == kJacksOrBetter ? 0.95 : game == kJokerWild ? 0.97 : 0.99) + 0.01 * (coins - 1);
}
StakeReturns Figures(GameVariant game) {
  StakeReturns figures;
  for (int coins = 1; coins <= 5; ++coins) {
    GameReturn& f = figures[static_cast<std::size_t>(coins - 1)];
    f.variant = game;
    f.coins = coins;
    f.returnRatio = Ratio(game, coins);
    f.rowProbability[0] = 0.0000248;
    f.rowProbability[8] = 0.20 + 0.01 * (coins - 1);
    f.noWinProbability = 0.50 + 0.02 * (coins - 1);
  }
  return figures;
}

void Add(FakeHistory& history, GameVariant game, int coins, int row, int won, int credits) {
  GameRecord record;
  record.game = game;
  record.coins = coins;
  record.dealt = record.final = H("AS KS QS JS 9D");
  record.row = row;
  record.won = won;
  record.creditsAfter = credits;
  history.RecordGame(record, 0, 0);
}

QString Cell(const QTableView* view, int row, int column) {
  return view->model()->index(row, column).data().toString();
}

QString Percent(double ratio) {
  return QString::number(ratio * 100, 'f', 2) + "%";
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
    gate.release(3);          // lets any analysis still waiting end
    exportGate.release(100);  // and any export
    window.reset();
  }

  void Add(GameVariant game, int coins, int row, int won, int credits) {
    lynx::Add(history, game, coins, row, won, credits);
  }

  void Open() {
    window = std::make_unique<W>(history, dialogs, cache);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  QStringList SummaryRow(int row) const {
    QStringList texts;
    for (int c = S::kHands; c < S::kColumnCount; ++c) texts << Cell(window->Summary(), row, c);
    return texts;
  }
  QStringList RowLine(GameVariant game, int row) const {
    QStringList texts;
    for (int c = P::kRowName; c < P::kColumnCount; ++c) texts << Cell(window->Rows(game), row, c);
    return texts;
  }
  QString BestPlay(int row) const { return Cell(window->Summary(), row, S::kBestPlay); }

  QSemaphore gate;
  QSemaphore exportGate;
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

TEST_F(StatisticsWindowTest, ShowsTheFiguresOfEachGameAndOfAllGamesInPlaceWhileShown) {
  Open();
  EXPECT_EQ(window->windowTitle(), "LYNX Video Poker -- Statistics");
  // Hands, coins bet, won, return, best play, biggest win.
  EXPECT_EQ(SummaryRow(0), QStringList({"3", "11", "55", "500.00%", "computing…", "50"}));
  EXPECT_EQ(SummaryRow(1), QStringList({"2", "7", "5", "71.43%", "computing…", "5"}));
  EXPECT_EQ(SummaryRow(2), QStringList({"2", "10", "4005", "40050.00%", "computing…", "4000"}));
  EXPECT_EQ(SummaryRow(S::kAllGamesRow),
            QStringList({"7", "28", "4065", "14517.86%", "computing…", "4000"}));
  EXPECT_EQ(Cell(window->Summary(), S::kAllGamesRow, S::kGame), "All games");

  ASSERT_EQ(window->Rows(kJacksOrBetter)->model()->rowCount(), 10);
  EXPECT_EQ(RowLine(kJacksOrBetter, 0), QStringList({"Royal Flush", "0", "0.00%", "computing…"}));
  EXPECT_EQ(RowLine(kJacksOrBetter, 1),
            QStringList({"Straight Flush", "1", "33.33%", "computing…"}));
  EXPECT_EQ(RowLine(kJacksOrBetter, 8),
            QStringList({"Jacks or Better", "1", "33.33%", "computing…"}));
  EXPECT_EQ(RowLine(kJacksOrBetter, 9), QStringList({"No win", "1", "33.33%", "computing…"}));
  EXPECT_EQ(window->Rows(kJokerWild)->model()->rowCount(), 12);
  EXPECT_EQ(RowLine(kJokerWild, 10), QStringList({"Kings or Better", "1", "50.00%", "computing…"}));
  EXPECT_EQ(window->Rows(kDeucesWild)->model()->rowCount(), 11);
  EXPECT_EQ(RowLine(kDeucesWild, 0),
            QStringList({"Royal Flush (Natural)", "1", "50.00%", "computing…"}));

  // A game kept since: the cells change where they stand.
  QSignalSpy resets(window->Summary()->model(), &QAbstractItemModel::modelReset);
  QSignalSpy changes(window->Summary()->model(), &QAbstractItemModel::dataChanged);
  Add(kJokerWild, 5, -1, 0, 4137);
  window->Refresh();
  EXPECT_EQ(SummaryRow(1), QStringList({"3", "12", "5", "41.67%", "computing…", "5"}));
  EXPECT_EQ(Cell(window->Summary(), S::kAllGamesRow, S::kHands), "8");
  EXPECT_EQ(resets.count(), 0);
  EXPECT_GE(changes.count(), 1);

  // Hidden, the window reads nothing until it is shown again.
  window->hide();
  Add(kJokerWild, 1, -1, 0, 4136);
  window->Refresh();
  EXPECT_EQ(Cell(window->Summary(), 1, S::kHands), "3");
  window->show();
  EXPECT_EQ(Cell(window->Summary(), 1, S::kHands), "4");
  EXPECT_EQ(Cell(window->Summary(), S::kAllGamesRow, S::kBet), "34");
}

// Sums no valid history gives (nothing bet, values that are no numbers)
// show dashes, never "inf" or "nan"; with nothing bet there is no best play
// to work out.
// A hand of a trainer deal of Double Double Bonus 9/6 dealt two pair (row 11).
GameRecord TrainerHand(int hands, int coins, int held, int won, double bestEv, double heldEv) {
  GameRecord hand;
  hand.libraryGame = "double-double-bonus";
  hand.payTable = "9/6";
  hand.hands = hands;
  hand.coins = coins;
  hand.dealt = hand.final = H("AS AH KD KC 3S");
  hand.held = held;
  hand.row = 11;
  hand.won = won;
  hand.bestEv = bestEv;
  hand.heldEv = heldEv;
  hand.mistake = IsMistake(bestEv, heldEv);  // as the recorder gives it
  hand.bestHolds = "15";
  return hand;
}

// The trainer's tables: one line each for game, pay table and hand count,
// the coach's figures only where it judged every hand.
TEST_F(StatisticsWindowTest, ListsEachTrainerTableWithItsOwnFigures) {
  const GameRecord pair = TrainerHand(10, 5, 31, 5, 6, 5);
  std::vector<GameRecord> deal{pair, pair};
  history.RecordGames(deal, 0, 0);
  GameRecord jacks = pair;
  jacks.libraryGame = "jacks-96";
  jacks.hands = 1;
  jacks.row = 7;  // 2 Pair
  jacks.won = 10;
  jacks.bestEv.reset();
  jacks.heldEv.reset();
  jacks.bestHolds.clear();
  std::vector<GameRecord> single{jacks};
  history.RecordGames(single, 0, 0);
  Open();
  const QTableWidget* tables = window->TrainerTables();
  ASSERT_EQ(tables->rowCount(), 2);
  const auto line = [tables](int row) {
    QStringList texts;
    for (int c = 0; c < tables->columnCount(); ++c) texts << tables->item(row, c)->text();
    return texts;
  };
  EXPECT_EQ(line(0), QStringList({"Double Double Bonus", "9/6", "10", "2", "10", "10", "100.00%",
                                  "100.00%", "120.00%"}));
  EXPECT_EQ(line(1),
            QStringList({"Jacks or Better 9/6", "9/6", "1", "1", "5", "10", "200.00%", "—", "—"}));
  // All games counts the trainer's hands beside the machine's 7: without best
  // play, since the coach did not judge the Jacks or Better hand.
  EXPECT_EQ(SummaryRow(S::kAllGamesRow),
            QStringList({"10", "43", "4085", "9500.00%", "—", "4000"}));
  EXPECT_EQ(SummaryRow(0).front(), "3");

  // Another deal at a table listed: the same rows, new figures.
  history.RecordGames(deal, 0, 0);
  window->Refresh();
  ASSERT_EQ(tables->rowCount(), 2);
  EXPECT_EQ(line(0).mid(3, 3), QStringList({"4", "20", "20"}));
}

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
  EXPECT_EQ(SummaryRow(0), QStringList({"3", "0", "5", "—", "—", "0"}));
  EXPECT_EQ(BestPlay(S::kAllGamesRow), "—");
  EXPECT_EQ(RowLine(kJacksOrBetter, 9), QStringList({"No win", "3", "100.00%", "—"}));
  EXPECT_EQ(window->CoachFigures()->text(),
            "Strategy coach, all games: 6 hands judged. Expected return of your holds —, of best "
            "play on the same deals —. Mistakes 3, costing — credits.");
  // The whole text shows, in the room the window keeps for it.
  const QLabel* coach = window->CoachFigures();
  EXPECT_GE(coach->height(), coach->heightForWidth(coach->width()));
  gate.release(3);
  cache.WaitForAll();
  EXPECT_EQ(analyses.load(), 0);
}

// Best play in each game on the coins bet at each stake; all games on the
// same mix of games and stakes; the pay rows' frequencies on the hands
// played at each stake.
TEST_F(StatisticsWindowTest, WeighsBestPlayAtEachStakeByWhatWasBetThere) {
  Add(kJacksOrBetter, 3, -1, 0, 4139);
  Add(kJacksOrBetter, 4, -1, 0, 4135);
  QSignalSpy ready(&cache, &BestPlayCache::Ready);
  Open();
  EXPECT_EQ(BestPlay(0), "computing…");
  gate.release(3);
  while (ready.count() < 3) ASSERT_TRUE(ready.wait(10000));

  // Jacks or Better: 1 coin at one coin, 3 at three, 4 at four, 10 at five.
  const double jacks = 1 * Ratio(kJacksOrBetter, 1) + 3 * Ratio(kJacksOrBetter, 3) +
                       4 * Ratio(kJacksOrBetter, 4) + 10 * Ratio(kJacksOrBetter, 5);
  const double joker = 2 * Ratio(kJokerWild, 2) + 5 * Ratio(kJokerWild, 5);
  const double deuces = 10 * Ratio(kDeucesWild, 5);
  EXPECT_EQ(BestPlay(0), Percent(jacks / 18));
  EXPECT_EQ(BestPlay(0), "98.22%");
  EXPECT_EQ(BestPlay(1), Percent(joker / 7));
  EXPECT_EQ(BestPlay(2), Percent(deuces / 10));
  EXPECT_EQ(BestPlay(S::kAllGamesRow), Percent((jacks + joker + deuces) / 35));
  EXPECT_EQ(BestPlay(S::kAllGamesRow), "99.97%");
  // One hand at each of one, three and four coins, two at five.
  EXPECT_EQ(RowLine(kJacksOrBetter, 8)[P::kRowBestPlay],
            Percent((0.20 + 0.22 + 0.23 + 2 * 0.24) / 5));
  EXPECT_EQ(RowLine(kJacksOrBetter, 9)[P::kRowBestPlay],
            Percent((0.50 + 0.54 + 0.56 + 2 * 0.58) / 5));
  EXPECT_EQ(RowLine(kJacksOrBetter, 0)[P::kRowBestPlay], "0.00248%");
  EXPECT_TRUE(window->BestPlayNote()->text().contains("weighed by what you bet"));

  // A trainer deal the coach judged adds its coins and best play's credits.
  std::vector<GameRecord> deal(3, TrainerHand(3, 4, 15, 4, 7, 7));
  history.RecordGames(deal, 0, 0);
  window->Refresh();
  EXPECT_EQ(BestPlay(S::kAllGamesRow), Percent((jacks + joker + deuces + 21) / 47));

  // A second window uses what is known; each game was analysed once.
  W second(history, dialogs, cache);
  EXPECT_EQ(Cell(second.Summary(), 2, S::kBestPlay), Percent(deuces / 10));
  cache.WaitForAll();
  EXPECT_EQ(analyses.load(), 3);
}

TEST_F(StatisticsWindowTest, ChartsTheBalanceAndTheReturnOfEachSession) {
  Open();
  const QList<QPointF> balance = window->BalanceLine()->points();
  EXPECT_EQ(balance, (QList<QPointF>{
                         {1, 105}, {2, 100}, {3, 149}, {4, 149}, {5, 4144}, {6, 4142}, {7, 4142}}));
  const std::vector<SessionBars::Bar>& bars = window->Sessions()->Bars();
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_EQ(bars[0].number, 1);
  EXPECT_DOUBLE_EQ(bars[0].percent, 4060.0 * 100 / 21);
  EXPECT_EQ(bars[1].number, 2);
  EXPECT_DOUBLE_EQ(bars[1].percent, 5.0 * 100 / 7);
  EXPECT_EQ(window->Sessions()->Title(), "Return by session");
}

// On a long history a game moves the thinned line by less than a pixel: the
// chart is left as it stands until a change can be seen.
TEST_F(StatisticsWindowTest, DrawsTheBalanceAgainOnlyWhenItMovesVisibly) {
  for (int i = 0; i < 6000; ++i) Add(kJacksOrBetter, 1, -1, 0, 1000 + i % 3);
  Open();
  const QList<QPointF> before = window->BalanceLine()->points();
  ASSERT_EQ(before.size(), 300);
  EXPECT_EQ(before.back(), QPointF(6007, 1000 + 5999 % 3));

  Add(kJacksOrBetter, 1, -1, 0, 1001);
  window->Refresh();
  EXPECT_EQ(window->BalanceLine()->points(), before);

  Add(kJacksOrBetter, 1, -1, 0, 1100);
  window->Refresh();
  EXPECT_EQ(window->BalanceLine()->points().back(), QPointF(6009, 1100));
}

// The bars as shown: each session's number and return.
QStringList Bars(const W& window) {
  QStringList bars;
  for (const SessionBars::Bar& bar : window.Sessions()->Bars())
    bars << QStringLiteral("%1:%2").arg(bar.number).arg(bar.percent);
  return bars;
}

// The session chart: a scale that holds the highest bar and 100% in at most
// four steps, yellow bars for sessions that won at least the bet and white for
// the others, the bar under the pointer, and as many session numbers as fit.
TEST(SessionBarsTest, ScalesColoursAndFindsEachBar) {
  using Scale = SessionBars::Scale;
  EXPECT_EQ(SessionBars::ScaleFor(0), (Scale{150, 50}));
  EXPECT_EQ(SessionBars::ScaleFor(142), (Scale{150, 50}));
  EXPECT_EQ(SessionBars::ScaleFor(143), (Scale{200, 50}));
  EXPECT_EQ(SessionBars::ScaleFor(190.5), (Scale{300, 100}));
  EXPECT_EQ(SessionBars::ScaleFor(80000), (Scale{100000, 50000}));

  SessionBars chart;
  chart.resize(380, 250);
  chart.SetBars({{603, 100}, {604, 57.5}, {605, 142}}, QStringLiteral("Return by session"));
  chart.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
  EXPECT_EQ(chart.Shown(), (Scale{150, 50}));
  const QImage shown = chart.grab().toImage();
  QSignalSpy hovered(&chart, &SessionBars::Hovered);
  for (int i = 0; i < 3; ++i) {
    const QRectF bar = chart.BarRect(i);
    const QPoint middle = bar.center().toPoint();
    EXPECT_EQ(chart.BarAt(middle), i);
    EXPECT_EQ(shown.pixelColor(middle), i == 1 ? QColor(Qt::white) : QColor(Qt::yellow));
    QTest::mouseMove(&chart, middle);
    if (hovered.count() < i + 1) hovered.wait(1000);
    ASSERT_EQ(hovered.count(), i + 1);
    EXPECT_EQ(hovered.last().at(0).toInt(), i);
  }
  // Bars stand on one line, as high as their share of the scale.
  EXPECT_DOUBLE_EQ(chart.BarRect(0).bottom(), chart.BarRect(2).bottom());
  EXPECT_NEAR(chart.BarRect(2).height() / chart.BarRect(0).height(), 1.42, 0.01);
  EXPECT_EQ(chart.BarAt(QPoint(chart.BarRect(0).right() + 3, 100)), -1);
  EXPECT_EQ(chart.NumberEvery(), 1);

  std::vector<SessionBars::Bar> many;
  for (int n = 603; n <= 632; ++n) many.push_back({n, 60});
  chart.SetBars(many, QStringLiteral("Return by session (the last 30 of 632)"));
  const int every = chart.NumberEvery();
  EXPECT_GT(every, 1);
  // Every number written has the room of its bars.
  EXPECT_GE(chart.BarRect(every).center().x() - chart.BarRect(0).center().x(),
            QFontMetrics(ClassicFont(8.25, false)).horizontalAdvance(QStringLiteral("632")));
  // The same bars under a new title (a session more before them) take it.
  chart.SetBars(many, QStringLiteral("Return by session (the last 30 of 633)"));
  EXPECT_EQ(chart.Title(), "Return by session (the last 30 of 633)");
}

// Kept during play, a game reaches the figures at once and the charts over
// the next turns of the event loop; hidden, the window reads it when shown.
TEST_F(StatisticsWindowTest, RefreshInTurnsShowsTheFiguresFirstAndTheChartsAfter) {
  Open();
  const QStringList before = Bars(*window);
  history.BeginSession();
  Add(kDeucesWild, 5, 0, 4000, 8142);
  window->RefreshInTurns();
  EXPECT_EQ(Cell(window->Summary(), S::kAllGamesRow, S::kHands), "8");
  EXPECT_EQ(Bars(*window), before);
  EXPECT_EQ(window->BalanceLine()->points().size(), 7);
  EXPECT_TRUE(QTest::qWaitFor([this] { return window->Sessions()->Bars().size() == 3; }, 2000));
  EXPECT_EQ(window->BalanceLine()->points().back(), QPointF(8, 8142));
  EXPECT_EQ(Bars(*window).back(), "3:80000");

  window->hide();
  Add(kDeucesWild, 5, -1, 0, 8137);
  window->RefreshInTurns();
  QTest::qWait(50);
  EXPECT_EQ(Cell(window->Summary(), S::kAllGamesRow, S::kHands), "8");
  window->show();
  EXPECT_EQ(Cell(window->Summary(), S::kAllGamesRow, S::kHands), "9");
  EXPECT_EQ(Bars(*window).back(), "3:40000");
}

TEST_F(StatisticsWindowTest, ShowsOnlyTheLastSessions) {
  for (int s = 0; s < 33; ++s) {
    history.BeginSession();
    Add(kJacksOrBetter, 1, -1, 0, 100);
  }
  Open();
  std::vector<std::int64_t> numbers;
  for (const SessionBars::Bar& bar : window->Sessions()->Bars()) numbers.push_back(bar.number);
  std::vector<std::int64_t> last(30);
  std::iota(last.begin(), last.end(), 6);
  EXPECT_EQ(numbers, last);
  EXPECT_EQ(window->Sessions()->Title(), "Return by session (the last 30 of 35)");
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
  // The export runs on a thread of its own; the outcome is said once it ends.
  ASSERT_TRUE(QTest::qWaitFor([this] { return !dialogs.shown.empty(); }));
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
  ASSERT_TRUE(QTest::qWaitFor([this] { return !dialogs.shown.empty(); }));
  EXPECT_EQ(dialogs.shown, (std::vector<ShownDialog>{{DialogIcon::Exclamation, "LYNX Video Poker",
                                                      "The history could not be written to " +
                                                          folder.path() + "/missing/games.csv."}}));
}

// An export held at the gate: the progress dialog shows, the window still
// answers (a second press asks for nothing), and Cancel or closing the window
// stops the export, which then leaves no file and says nothing.
TEST_F(StatisticsWindowTest, ExportShowsProgressAndStopsOnCancelOrClose) {
  QTemporaryDir folder;
  history.exportGate = [this] { exportGate.acquire(); };
  dialogs.saveFileName = folder.filePath("games.csv");
  Open();
  for (const bool closeWindow : {false, true}) {
    SCOPED_TRACE(closeWindow ? "closing the window" : "Cancel");
    QTest::mouseClick(window->ExportButton(), Qt::LeftButton);
    QProgressDialog* progress = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
      progress = window->findChild<QProgressDialog*>();
      return progress != nullptr && progress->isVisible();
    }));
    EXPECT_EQ(progress->labelText(), "Exporting the game history…");
    QTest::mouseClick(window->ExportButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs.saveAsked.size(), closeWindow ? 2u : 1u);

    if (closeWindow) {
      window->close();
    } else {
      auto* cancel = progress->findChild<QPushButton*>();
      ASSERT_NE(cancel, nullptr);
      EXPECT_EQ(cancel->text(), "Cancel");
      QTest::mouseClick(cancel, Qt::LeftButton);
    }
    EXPECT_FALSE(progress->isVisible());
    exportGate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->findChild<QProgressDialog*>() == nullptr; }));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
  }
}

double Fraction(const char* exact) {
  const QStringList parts = QString::fromLatin1(exact).split('/');
  return parts[0].toDouble() / parts[1].toDouble();
}

// The engine's own analysis at every stake. Jacks or Better pays in
// proportion to the coins but for the five-coin royal flush: one to four
// coins share one return, five coins have their own, and a history of mixed
// stakes is shown on the coins bet at each.
TEST(BestPlayCacheTest, WorksOutEveryStakeAndTheWindowWeighsThem) {
  FakeHistory history;
  FakeDialogs dialogs;
  for (const int coins : {1, 1, 1, 3, 3, 5}) Add(history, kJacksOrBetter, coins, -1, 0, 100);
  BestPlayCache cache;
  QSignalSpy ready(&cache, &BestPlayCache::Ready);
  W window(history, dialogs, cache);
  ASSERT_TRUE(ready.wait(120000));
  const StakeReturns* stakes = cache.Find(kJacksOrBetter);
  ASSERT_NE(stakes, nullptr);
  const char* oneCoin = "106380935519/110740169540";
  const char* fiveCoins = "1616226757427/1661102543100";
  for (int coins = 1; coins <= 5; ++coins) {
    const GameReturn& stake = (*stakes)[static_cast<std::size_t>(coins - 1)];
    EXPECT_EQ(stake.coins, coins);
    EXPECT_EQ(stake.exactReturn, coins < 5 ? oneCoin : fiveCoins);
  }
  const double expected =
      (3 * Fraction(oneCoin) + 6 * Fraction(oneCoin) + 5 * Fraction(fiveCoins)) / 14;
  EXPECT_EQ(Cell(window.Summary(), 0, S::kBestPlay), Percent(expected));
  EXPECT_EQ(Cell(window.Summary(), 0, S::kBestPlay), "96.50%");
  EXPECT_EQ(Cell(window.Summary(), 1, S::kBestPlay), "—");  // not played, not analysed
  EXPECT_EQ(cache.Find(kJokerWild), nullptr);
  cache.WaitForAll();
}

// Joker Wild on this machine's deck, where the joker takes an unseen card's
// place.
TEST(BestPlayCacheTest, AnalysesJokerWildOnTheMachinesDeck) {
  BestPlayCache cache;
  QSignalSpy ready(&cache, &BestPlayCache::Ready);
  EXPECT_EQ(cache.Find(kJokerWild), nullptr);
  ASSERT_TRUE(ready.wait(120000));
  const StakeReturns* figures = cache.Find(kJokerWild);
  ASSERT_NE(figures, nullptr);
  EXPECT_EQ((*figures)[0].exactReturn, "848705473401/846836590600");
  EXPECT_EQ((*figures)[4].exactReturn, "87542093690551/86377332241200");
}

// Tab walks out of the tables of figures to the buttons, a step a table.
TEST_F(StatisticsWindowTest, TabReachesTheButtons) {
  Open();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  window->Summary()->setFocus();
  auto* exportButton = window->findChild<QPushButton*>(QStringLiteral("ExportCsv"));
  ASSERT_NE(exportButton, nullptr);
  int tabs = 0;
  while (!exportButton->hasFocus() && tabs < 6) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ++tabs;
  }
  EXPECT_TRUE(exportButton->hasFocus());
  EXPECT_LE(tabs, 4);
}

// Before the first game the balance chart says so and shows no scale.
TEST_F(StatisticsWindowTest, NoGamesNoAxes) {
  FakeHistory empty;
  W none(empty, dialogs, cache);
  const QChart* chart = none.BalanceLine()->chart();
  EXPECT_EQ(chart->title(), "Credits after each game: no games yet");
  for (const QAbstractAxis* axis : chart->axes()) EXPECT_FALSE(axis->isVisible());
  Open();
  EXPECT_EQ(window->BalanceLine()->chart()->title(), "Credits after each game");
  for (const QAbstractAxis* axis : window->BalanceLine()->chart()->axes())
    EXPECT_TRUE(axis->isVisible());
}

}  // namespace
}  // namespace lynx
