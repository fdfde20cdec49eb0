// Rows of the history that are no game this program could have played: read
// back as damaged, and left out of every sum and of the mistakes, by the
// SQLite store and the in-memory one alike.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <tuple>

#include "coach/coach.h"
#include "platform/sqlite_history.h"
#include "tests/support/damaged_history.h"
#include "tests/support/fakes.h"
#include "tests/support/test_files.h"

namespace lynx {
namespace {

using testing_support::Card;
using testing_support::kHistoryRows;
using testing_support::kTypedRowId;

// What every store must answer for the rows of kHistoryRows: the sums of the
// four valid games only.
void ExpectTheValidGamesOnly(HistoryStore& store) {
  GameStatistics all;
  all.hands = 4;
  all.coinsBet = 11;
  all.won = 8;
  all.biggestWin = 5;
  all.rowCounts = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1};
  all.coinsByStake = {1, 2, 3, 0, 5};
  all.judged = 3;
  all.judgedCoins = 8;
  all.heldEv = 95.75;
  all.bestEv = 97.5;
  all.mistakes = 2;
  all.mistakeCost = 1.75;
  EXPECT_EQ(store.Statistics(std::nullopt), all);
  GameStatistics jacks;
  jacks.hands = 2;
  jacks.coinsBet = 8;
  jacks.won = 5;
  jacks.biggestWin = 5;
  jacks.rowCounts[8] = 1;
  jacks.coinsByStake = {0, 0, 3, 0, 5};
  jacks.judged = 1;
  jacks.judgedCoins = 5;
  jacks.heldEv = 92.5;
  jacks.bestEv = 92.5;
  EXPECT_EQ(store.Statistics(kJacksOrBetter), jacks);

  std::vector<std::int64_t> mistakes;
  for (const GameRecord& g : store.Mistakes(50)) mistakes.push_back(g.id);
  EXPECT_EQ(mistakes, (std::vector<std::int64_t>{22, 8}));
  EXPECT_EQ(store.BalanceSeries(100), (std::vector<std::int32_t>{100, 101, 102, 99}));
  std::vector<std::tuple<std::int64_t, std::int64_t, std::int64_t, std::int64_t>> sessions;
  for (const SessionReturn& s : store.SessionReturns())
    sessions.emplace_back(s.session, s.hands, s.coinsBet, s.won);
  EXPECT_EQ(sessions, (decltype(sessions){{1, 2, 7, 7}, {2, 2, 4, 1}}));
}

TEST(HistoryRowsTest, DamagedRowsAreListedAsSuchAndLeftOutOfEverySum) {
  QTemporaryDir dir;
  const QString path = dir.filePath("history.sqlite");
  ASSERT_TRUE(testing_support::WriteDamagedHistory(path));
  // Written by another program: the rows have no verdict, and the rule the
  // program gives judges them.
  SqliteHistory history(path, IsMistake);
  ASSERT_EQ(history.Problem(), "");

  const std::vector<GameRecord> games = history.Games(0, 100);
  ASSERT_EQ(games.size(), std::size(kHistoryRows));
  for (std::size_t i = 0; i < games.size(); ++i) {
    const GameRecord& g = games[games.size() - 1 - i];
    EXPECT_EQ(g.id, static_cast<std::int64_t>(i + 1));
    EXPECT_EQ(g.damaged, kHistoryRows[i].damaged) << kHistoryRows[i].values;
  }
  ExpectTheValidGamesOnly(history);

  // The same rows in memory: the fake finds the damage itself, but for the
  // value of the wrong type, which reads as a number and only the store's
  // mark tells.
  FakeHistory fake;
  for (auto it = games.rbegin(); it != games.rend(); ++it) {
    fake.games.push_back(*it);
    fake.games.back().damaged = it->id == kTypedRowId;
  }
  ExpectTheValidGamesOnly(fake);
  EXPECT_EQ(fake.Games(0, 100), games);
}

// Games of the library are checked against their game: each change below
// makes a row no game (or keeps it one), for ValidRecord, for the store's
// own check in SQL, and so for the trainer's totals.
TEST(HistoryRowsTest, GamesOfTheLibraryAreCheckedAgainstTheirGame) {
  // Joker Poker (kings or better), 20/7/5: the joker and a king held, three
  // kings drawn (3 of a Kind, row 8).
  GameRecord base =
      testing_support::Game(kJokerWild, 5, "JK KS 7H 3D 9C", 0b00011, "JK KS KD 4C 8H", 8, 15, 100);
  base.libraryGame = "joker-kings";
  base.payTable = "20/7/5";
  base.bestEv = 12.5;
  base.heldEv = 10.0;
  const struct {
    const char* name;
    std::function<void(GameRecord&)> change;
    bool valid;
  } kCases[] = {
      {"as played", [](GameRecord&) {}, true},
      {"3 hands", [](GameRecord& g) { g.hands = 3; }, true},
      {"2 hands", [](GameRecord& g) { g.hands = 2; }, false},
      {"the machine's joker wild", [](GameRecord& g) { g.libraryGame.clear(); }, true},
      {"the machine's, 3 hands", [](GameRecord& g) { g.libraryGame.clear(), g.hands = 3; }, false},
      {"a game the library lacks", [](GameRecord& g) { g.libraryGame = "pai-gow"; }, false},
      {"another family", [](GameRecord& g) { g.game = kJacksOrBetter; }, false},
      {"no table", [](GameRecord& g) { g.payTable.clear(); }, false},
      {"not the row of the cards", [](GameRecord& g) { g.row = 9; }, false},
      // The joker pairs the king: Kings or Better.
      {"a held card replaced", [](GameRecord& g) { g.final[1] = Card("QS"), g.row = 10; }, false},
      {"a card twice", [](GameRecord& g) { g.final[3] = g.final[2]; }, false},
      {"the joker in a game without it",
       [](GameRecord& g) {
         g.libraryGame = "double-double-bonus", g.payTable = "9/6", g.game = kJacksOrBetter;
       },
       false},
      {"the top prize", [](GameRecord& g) { g.bestEv = 4000; }, true},
      {"above it", [](GameRecord& g) { g.bestEv = 4000.5; }, false},
      {"above it, custom pays", [](GameRecord& g) { g.payTable = "custom", g.bestEv = 4000.5; },
       true},
      {"above it, a later table", [](GameRecord& g) { g.payTable = "8/7", g.heldEv = 9e3; }, true},
      {"infinite, custom pays", [](GameRecord& g) { g.payTable = "custom", g.bestEv = HUGE_VAL; },
       false},
      {"below 0", [](GameRecord& g) { g.heldEv = -0.25; }, false},
  };

  QTemporaryDir dir;
  const QString path = dir.filePath("history.sqlite");
  SqliteHistory history(path);
  std::int64_t libraryGames = 0;
  for (const auto& c : kCases) {
    GameRecord g = base;
    c.change(g);
    EXPECT_EQ(ValidRecord(g), c.valid) << c.name;
    history.RecordGame(g, 0, 0);
    if (c.valid && !g.libraryGame.isEmpty()) ++libraryGames;
  }
  // A value of the wrong type, which reads back as a number: only the
  // store's check in SQL sees it.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, "
                         "credits_after, demo, session, best_ev, held_ev, library_game, "
                         "pay_table, hands) SELECT played_at, game, coins, dealt, held, final, "
                         "row, won, credits_after, demo, session, '12.5 credits', held_ev, "
                         "library_game, pay_table, hands FROM games WHERE id = 1",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);

  const std::vector<GameRecord> games = history.Games(0, 100);
  ASSERT_EQ(games.size(), std::size(kCases) + 1);
  EXPECT_TRUE(games.front().damaged);
  EXPECT_EQ(games.front().bestEv, 12.5);
  for (std::size_t i = 0; i < std::size(kCases); ++i)
    EXPECT_EQ(games[games.size() - 1 - i].damaged, !kCases[i].valid) << kCases[i].name;
  std::int64_t counted = 0;
  for (const TableStatistics& t : history.TableTotals()) counted += t.games;
  EXPECT_EQ(counted, libraryGames);
  EXPECT_EQ(history.Statistics(std::nullopt).hands, 1);
}

}  // namespace
}  // namespace lynx
