// The running totals of the history: after any play (the machine's and the
// trainer's), after the file was closed and opened again, and after another
// program changed the games, every sum equals the sums worked out from the
// rows themselves (here: the fake store, which adds up the games it holds).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "coach/coach.h"
#include "engine/deck.h"
#include "engine/evaluate.h"
#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/paytable.h"
#include "platform/sqlite_history.h"
#include "tests/support/fakes.h"
#include "tests/support/history_file.h"
#include "tests/support/test_files.h"
#include "tests/support/trainer_rows.h"

namespace lynx {
namespace {

std::string Sql(const QString& path, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string rows;
  if (sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK) {
    auto collect = [](void* out, int n, char** values, char**) {
      auto* text = static_cast<std::string*>(out);
      for (int i = 0; i < n; ++i) {
        if (i > 0) *text += '|';
        *text += values[i] ? values[i] : "NULL";
      }
      *text += '\n';
      return 0;
    };
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), collect, &rows, &error) != SQLITE_OK) {
      rows = std::string("error: ") + error;
      sqlite3_free(error);
    }
  }
  sqlite3_close(db);
  return rows;
}

// The plan SQLite makes for query: the detail of each step.
std::string Plan(const QString& path, const std::string& query) {
  sqlite3* db = nullptr;
  std::string steps;
  if (sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK) {
    auto collect = [](void* out, int n, char** values, char**) {
      if (n >= 4) *static_cast<std::string*>(out) += std::string(values[3]) + '\n';
      return 0;
    };
    sqlite3_exec(db, ("EXPLAIN QUERY PLAN " + query).c_str(), collect, &steps, nullptr);
  }
  sqlite3_close(db);
  return steps;
}

void ExpectSameSums(HistoryStore& store, FakeHistory& rows) {
  for (const std::optional<GameVariant> game :
       {std::optional<GameVariant>(), std::optional<GameVariant>(kJacksOrBetter),
        std::optional<GameVariant>(kJokerWild), std::optional<GameVariant>(kDeucesWild)}) {
    SCOPED_TRACE(game ? *game : 0);
    GameStatistics kept = store.Statistics(game);
    const GameStatistics summed = rows.Statistics(game);
    // Sums of doubles in another order: equal to the last bits.
    EXPECT_NEAR(kept.heldEv, summed.heldEv, 1e-9 * std::max(1.0, summed.heldEv));
    EXPECT_NEAR(kept.bestEv, summed.bestEv, 1e-9 * std::max(1.0, summed.bestEv));
    EXPECT_NEAR(kept.mistakeCost, summed.mistakeCost, 1e-9 * std::max(1.0, summed.mistakeCost));
    kept.heldEv = summed.heldEv;
    kept.bestEv = summed.bestEv;
    kept.mistakeCost = summed.mistakeCost;
    EXPECT_EQ(kept, summed);
  }
  const auto sessions = store.SessionReturns();
  const auto expected = rows.SessionReturns();
  ASSERT_EQ(sessions.size(), expected.size());
  for (std::size_t i = 0; i < sessions.size(); ++i) {
    EXPECT_EQ(sessions[i].session, expected[i].session);
    EXPECT_EQ(sessions[i].hands, expected[i].hands);
    EXPECT_EQ(sessions[i].coinsBet, expected[i].coinsBet);
    EXPECT_EQ(sessions[i].won, expected[i].won);
  }
  testing_support::ExpectSameTables(store.TableTotals(), rows.TableTotals());
  EXPECT_EQ(store.BalanceSeries(100000), rows.BalanceSeries(100000));
  EXPECT_EQ(store.GameCount(), rows.GameCount());
  std::vector<std::int64_t> mistakes, expectedMistakes;
  for (const GameRecord& g : store.Mistakes(100000)) mistakes.push_back(g.id);
  for (const GameRecord& g : rows.Mistakes(100000)) expectedMistakes.push_back(g.id);
  EXPECT_EQ(mistakes, expectedMistakes);
}

// Random play of every kind of row: stakes 1-5 in the three games, judged
// games (best play, near-ties, mistakes), demonstration and practice hands,
// rows that are no game (a pay row out of range), and trainer deals of 1, 3,
// 5 and 10 hands of every game of the library on its tables or on pays of
// the player's own.
TEST(HistoryTotals, EqualTheSumsOfTheRowsThroughPlayReopeningAndOtherPrograms) {
  QTemporaryDir dir;
  const QString path = dir.filePath("history.sqlite");
  FakeHistory rows;
  std::mt19937 random(20261209);
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  SeededSource shuffle(7);
  // The coach's values of a deal for coins: best play, a tie within the
  // rule, or a mistake; none for a deal it did not judge.
  auto judge = [&](GameRecord& g) {
    if (pick(0, 2) == 0) return;
    const double best = pick(0, 4000) / 100.0 * g.coins / 5;
    const int kind = pick(0, 2);
    g.bestEv = best;
    g.heldEv = kind == 0 ? best : kind == 1 ? best * (1 - 1e-12) : best * pick(0, 99) / 100.0;
    g.mistake = IsMistake(best, *g.heldEv);
  };
  const std::span<const GameRules> library = GameLibrary();
  auto deal = [&](SqliteHistory& history, int change) {
    const GameRules& rules =
        library[static_cast<std::size_t>(pick(0, static_cast<int>(library.size()) - 1))];
    const NamedTable& table =
        rules.tables[static_cast<std::size_t>(pick(0, static_cast<int>(rules.tables.size()) - 1))];
    TrainerHandInProgress hand;
    hand.game = rules.name;
    hand.table = pick(0, 4) == 0 ? "custom" : table.name;
    hand.pays = PaysOf(rules, table);
    if (hand.table == "custom") hand.pays.perCoin[1] += 7;
    hand.hands = kTrainerHandCounts[static_cast<std::size_t>(pick(0, 3))];
    hand.coins = pick(1, 5);
    hand.held = pick(0, 31);
    ShuffleTrainerDeck(hand.deck, rules, shuffle);
    std::copy_n(hand.deck.cards.begin(), 5, hand.dealt.begin());
    std::vector<GameRecord> played = testing_support::TrainerRows(hand, 2000);
    for (GameRecord& g : played) {
      judge(g);
      if (pick(0, 30) == 0) g.row = 42;  // no game this program could play
    }
    std::vector<GameRecord> copy = played;
    history.RecordGames(played, 100, change);
    rows.RecordGames(copy, 100, change);
    for (std::size_t h = 0; h < played.size(); ++h) ASSERT_EQ(played[h].id, copy[h].id);
  };
  auto play = [&](SqliteHistory& history, int count) {
    for (int i = 0; i < count; ++i) {
      if (pick(0, 40) == 0) {
        history.BeginSession();
        rows.BeginSession();
      }
      if (pick(0, 3) == 0) {
        deal(history, i);
        continue;
      }
      GameRecord g;
      g.game = static_cast<GameVariant>(pick(1, 3));
      g.coins = pick(1, 5);
      Deck deck;
      Shuffle(deck, g.game, shuffle);
      g.dealt = DealHand(deck);
      const HoldMask held = HoldMask::FromBits(static_cast<unsigned>(pick(0, 31)));
      g.held = held.Stored();
      g.final = DrawHand(deck, g.dealt, held);
      g.row = ClassifyHand(g.final, g.game);
      g.won = Payout(g.game, g.row, g.coins);
      g.creditsAfter = 1000 + i;
      g.demo = pick(0, 9) == 0;
      judge(g);
      if (pick(0, 30) == 0) g.row = 42;  // no game this program could play
      GameRecord copy = g;
      if (pick(0, 15) == 0) {
        history.RecordPractice(g);
        rows.RecordPractice(copy);
      } else {
        history.RecordGame(g, 100, i);
        rows.RecordGame(copy, 100, i);
      }
      ASSERT_EQ(g.id, copy.id);
    }
  };
  {
    SqliteHistory history(path);
    history.BeginSession();
    rows.BeginSession();
    play(history, 400);
    ASSERT_EQ(history.Problem(), "");
    ExpectSameSums(history, rows);
  }
  {
    SqliteHistory reopened(path);
    ExpectSameSums(reopened, rows);
    reopened.BeginSession();
    rows.BeginSession();
    play(reopened, 100);
    ExpectSameSums(reopened, rows);
  }
  // Another program copies a game and spoils another's pay row: the totals
  // are stale, and the next start builds them again from the rows.
  ASSERT_EQ(Sql(path,
                "INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, "
                "credits_after, demo, session, best_ev, held_ev, best_holds, practice) "
                "SELECT played_at, game, coins, dealt, held, final, row, won, credits_after, "
                "demo, session, best_ev, held_ev, best_holds, practice FROM games WHERE id = 3; "
                "UPDATE games SET row = 77 WHERE id = 5; SELECT stale FROM totals_state"),
            "1\n");
  GameRecord copied = rows.games[2];
  rows.games.push_back(copied);
  rows.games.back().id = static_cast<std::int64_t>(rows.games.size());
  rows.games[4].row = 77;
  int progressCalls = 0;
  SqliteHistory rebuilt(
      path,
      [&progressCalls](std::int64_t done, std::int64_t total) {
        ++progressCalls;
        EXPECT_LE(done, total);
      },
      IsMistake);
  EXPECT_GE(progressCalls, 1);
  EXPECT_EQ(Sql(path, "SELECT stale FROM totals_state"), "0\n");
  ExpectSameSums(rebuilt, rows);

  // Games on the edges of the rebuild's batches of ids are counted once.
  ASSERT_EQ(Sql(path,
                "CREATE TEMP TABLE edge AS SELECT * FROM games WHERE id IN (3, 4, 6); "
                "UPDATE edge SET id = CASE id WHEN 3 THEN 50000 WHEN 4 THEN 50001 ELSE 100000 END; "
                "INSERT INTO games SELECT * FROM edge ORDER BY id; SELECT stale FROM totals_state"),
            "1\n");
  for (const auto& [id, from] : {std::pair{50000, 3}, {50001, 4}, {100000, 6}}) {
    GameRecord edge = rows.games[static_cast<std::size_t>(from - 1)];
    edge.id = id;
    rows.games.push_back(edge);
  }
  progressCalls = 0;
  SqliteHistory edges(path, [&progressCalls](std::int64_t, std::int64_t) { ++progressCalls; });
  EXPECT_EQ(progressCalls, 2);  // two batches, the second holding the last id
  ExpectSameSums(edges, rows);
}

// What is still read from the games themselves goes through an index.
TEST(HistoryTotals, WhatIsReadFromTheGamesUsesAnIndex) {
  QTemporaryDir dir;
  const QString path = dir.filePath("history.sqlite");
  { SqliteHistory made(path); }
  EXPECT_EQ(Plan(path, "SELECT * FROM games WHERE mistake = 1 ORDER BY id DESC LIMIT 50"),
            "SCAN games USING INDEX games_mistakes\n");
  EXPECT_EQ(Plan(path,
                 "SELECT credits_after FROM games WHERE id >= 7 AND practice = 0 "
                 "ORDER BY id LIMIT 1"),
            "SEARCH games USING INTEGER PRIMARY KEY (rowid>?)\n");
  EXPECT_EQ(Plan(path, "SELECT * FROM totals WHERE game = 'jacks'"),
            "SEARCH totals USING PRIMARY KEY (game=?)\n");
}

// A history long enough to be thinned: the series keeps its points as games
// are kept, the newest last, and is looked up again once the newest is a
// spacing past the points, as a fresh read of the file gives it.
TEST(HistoryTotals, TheThinnedBalanceKeepsItsPointsAsGamesAreKept) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("long.sqlite"));
  {
    testing_support::HistoryFileWriter file(path, kHistorySchemaVersion);
    for (int i = 0; i < 24'000; ++i) {
      GameRecord game = testing_support::Game(kJacksOrBetter, 1, "2C 5D 9H JS KC", 0,
                                              "2C 5D 9H JS KC", 0, 0, 1000 + i % 997);
      game.playedAt = QDateTime::fromSecsSinceEpoch(1'700'000'000 + i);
      file.Game(game);
    }
    ASSERT_TRUE(file.Finish()) << file.Error();
  }
  SqliteHistory history(path);
  ASSERT_EQ(history.Problem(), "");
  const std::vector<std::int32_t> before = history.BalanceSeries(300);
  ASSERT_EQ(before.size(), 300u);
  EXPECT_EQ(before.back(), 1000 + 23'999 % 997);

  GameRecord next =
      testing_support::Game(kJacksOrBetter, 1, "2C 5D 9H JS KC", 0, "2C 5D 9H JS KC", 0, 0, 7);
  for (int i = 0; i < 79; ++i) {
    next.creditsAfter = 7 + i;
    history.RecordGame(next, 0, 0);
  }
  std::vector<std::int32_t> kept = history.BalanceSeries(300);
  ASSERT_EQ(kept.size(), 300u);
  EXPECT_EQ(kept.back(), 85);
  kept.back() = before.back();
  EXPECT_EQ(kept, before);

  // 23,999 ids over 299 gaps when looked up: a spacing is 80 ids.
  next.creditsAfter = 5;
  history.RecordGame(next, 0, 0);
  const std::vector<std::int32_t> resampled = history.BalanceSeries(300);
  EXPECT_NE(resampled, before);
  EXPECT_EQ(resampled.back(), 5);
  SqliteHistory fresh(path);
  EXPECT_EQ(fresh.BalanceSeries(300), resampled);
}

}  // namespace
}  // namespace lynx
