// Rows of the history that are no game this program could have played: read
// back as damaged, and left out of every sum and of the mistakes, by the
// SQLite store and the in-memory one alike.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <tuple>

#include "platform/fakes.h"
#include "platform/sqlite_history.h"
#include "tests/support/damaged_history.h"

namespace lynx {
namespace {

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
  SqliteHistory history(path);
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

}  // namespace
}  // namespace lynx
