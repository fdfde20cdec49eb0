// The history files earlier versions left (data/history_v<N>.sqlite, written
// by history_fixtures as each version wrote them): each is upgraded where it
// stands, and every game, the journal, the hands left dealt and the sessions
// come back as the file held them, with sums equal to those taken here from
// its rows.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "coach/coach.h"
#include "platform/history_rows.h"
#include "platform/sqlite_history.h"
#include "tests/support/fakes.h"
#include "tests/support/trainer_rows.h"

// Failures show text and times as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QDateTime& time, std::ostream* out) {
  *out << time.toString(Qt::ISODate).toStdString();
}

namespace lynx {
namespace {

constexpr int kFixtureVersions = 7;

QString FixturePath(int version) {
  return QStringLiteral(LYNX_HISTORY_FIXTURES "/history_v%1.sqlite").arg(version);
}

void EachRow(sqlite3* db, const std::string& sql, const std::function<void(sqlite3_stmt*)>& row) {
  sqlite3_stmt* statement = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) row(statement);
  EXPECT_EQ(code, SQLITE_DONE) << sql;
  sqlite3_finalize(statement);
}

std::string Text(sqlite3_stmt* row, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
  return text != nullptr
             ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(row, column)))
             : std::string();
}

QDateTime Time(sqlite3_stmt* row, int column) {
  return QDateTime::fromString(QString::fromStdString(Text(row, column)), Qt::ISODate).toUTC();
}

// What a file holds, read with the plain SQLite library before the store
// opens it. Columns its version lacks read as the upgrade fills them in: the
// games of version 1 form session 1, begun with the first of them.
struct Held {
  int version = 0;
  std::vector<GameRecord> games;  // oldest first; damaged as ValidRecord finds them
  std::optional<JournaledBalance> balance;
  std::vector<HandInProgress> hands;
  std::map<std::int64_t, QDateTime> sessions;  // their starts
};

Held Read(const QString& path) {
  Held held;
  sqlite3* db = nullptr;
  EXPECT_EQ(
      sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
      SQLITE_OK);
  EachRow(db, "PRAGMA user_version",
          [&](sqlite3_stmt* r) { held.version = sqlite3_column_int(r, 0); });
  const int v = held.version;
  EachRow(db,
          std::string("SELECT id, played_at, game, coins, dealt, held, final, row, won, "
                      "credits_after, demo, ") +
              (v >= 2 ? "session" : "1") +
              (v >= 3 ? ", best_ev, held_ev, best_holds" : ", NULL, NULL, NULL") +
              (v >= 4 ? ", practice" : ", 0") +
              (v >= 7 ? ", library_game, pay_table" : ", NULL, NULL") +
              (v >= 8 ? ", hands" : ", 1") + " FROM games ORDER BY id",
          [&](sqlite3_stmt* r) {
            GameRecord g;
            g.id = sqlite3_column_int64(r, 0);
            g.playedAt = Time(r, 1);
            g.game = GameFromName(Text(r, 2));
            g.coins = sqlite3_column_int(r, 3);
            ParseHandText(Text(r, 4), g.dealt);
            g.held = sqlite3_column_int(r, 5);
            ParseHandText(Text(r, 6), g.final);
            g.row = sqlite3_column_int(r, 7);
            g.won = sqlite3_column_int(r, 8);
            g.creditsAfter = sqlite3_column_int(r, 9);
            g.demo = sqlite3_column_int(r, 10) != 0;
            g.session = sqlite3_column_int64(r, 11);
            if (sqlite3_column_type(r, 12) != SQLITE_NULL) g.bestEv = sqlite3_column_double(r, 12);
            if (sqlite3_column_type(r, 13) != SQLITE_NULL) g.heldEv = sqlite3_column_double(r, 13);
            g.bestHolds = QString::fromStdString(Text(r, 14));
            g.practice = sqlite3_column_int(r, 15) != 0;
            g.libraryGame = QString::fromStdString(Text(r, 16));
            g.payTable = QString::fromStdString(Text(r, 17));
            g.hands = sqlite3_column_int(r, 18);
            g.damaged = !ValidRecord(g);
            // No version before 6 kept a verdict, and these files were
            // written without one: the upgrade judges every judged game by
            // the coach's rule, which the store is given.
            g.mistake = !g.demo && g.bestEv && g.heldEv && IsMistake(*g.bestEv, *g.heldEv);
            held.games.push_back(g);
          });
  EachRow(db,
          std::string("SELECT credits, borrowed, running, ") + (v >= 5 ? "ledger_change" : "0") +
              " FROM journal WHERE id = 1",
          [&](sqlite3_stmt* r) {
            const int running = sqlite3_column_int(r, 2);
            held.balance = JournaledBalance{sqlite3_column_int(r, 0), sqlite3_column_int(r, 1),
                                            running == 0, sqlite3_column_int64(r, 3), running == 2};
          });
  EachRow(db, "SELECT game, coins, dealt, held, deck, demo FROM hands", [&](sqlite3_stmt* r) {
    HandInProgress hand;
    hand.game = GameFromName(Text(r, 0));
    hand.coins = sqlite3_column_int(r, 1);
    ParseHandText(Text(r, 2), hand.dealt);
    hand.held = sqlite3_column_int(r, 3);
    std::array<CardCode, Deck::kSize> deck{};
    EXPECT_TRUE(ParseCardsText(Text(r, 4), deck.data(), Deck::kSize));
    for (int p = 1; p <= Deck::kSize; ++p) hand.deck.Set(p, deck[static_cast<std::size_t>(p - 1)]);
    hand.demo = sqlite3_column_int(r, 5) != 0;
    held.hands.push_back(hand);
  });
  if (v >= 2) {
    EachRow(db, "SELECT id, started_at FROM sessions",
            [&](sqlite3_stmt* r) { held.sessions[sqlite3_column_int64(r, 0)] = Time(r, 1); });
  } else if (!held.games.empty()) {
    held.sessions[1] = held.games.front().playedAt;
  }
  sqlite3_close(db);
  return held;
}

bool Counted(const GameRecord& g) {
  return !g.damaged && !g.practice;
}
bool Judged(const GameRecord& g) {
  return Counted(g) && !g.demo && g.bestEv && g.heldEv;
}
bool Mistaken(const GameRecord& g) {
  return Judged(g) && IsMistake(*g.bestEv, *g.heldEv);
}

// What the rows add up to, as the fake store sums the games it holds
// (damaged and practice ones left out), on its own code path.
GameStatistics Sums(const std::vector<GameRecord>& games, std::optional<GameVariant> only) {
  FakeHistory recount;
  recount.games = games;
  return recount.Statistics(only);
}

std::vector<SessionReturn> Sessions(const Held& held) {
  std::map<std::int64_t, SessionReturn> sums;
  for (const GameRecord& g : held.games) {
    if (!Counted(g)) continue;
    SessionReturn& s = sums[g.session];
    s.session = g.session;
    s.startedAt = held.sessions.at(g.session);
    ++s.hands;
    s.coinsBet += g.coins;
    s.won += g.won;
  }
  std::vector<SessionReturn> list;
  for (const auto& [id, s] : sums) list.push_back(s);
  return list;
}

// Every field a game of these versions has, so that fields later versions
// add do not matter here.
auto Fields(const GameRecord& g) {
  return std::make_tuple(g.id, g.playedAt, g.game, g.coins, g.dealt, g.held, g.final, g.row, g.won,
                         g.creditsAfter, g.demo, g.session, g.bestEv, g.heldEv, g.bestHolds,
                         g.practice, g.libraryGame, g.payTable, g.hands, g.damaged, g.mistake);
}

void ExpectSums(const GameStatistics& actual, const GameStatistics& expected) {
  EXPECT_EQ(std::make_tuple(actual.hands, actual.coinsBet, actual.coinsByStake, actual.won,
                            actual.biggestWin, actual.rowCounts, actual.judged, actual.judgedCoins,
                            actual.mistakes),
            std::make_tuple(expected.hands, expected.coinsBet, expected.coinsByStake, expected.won,
                            expected.biggestWin, expected.rowCounts, expected.judged,
                            expected.judgedCoins, expected.mistakes));
  // Summed in another order: equal up to rounding.
  EXPECT_NEAR(actual.heldEv, expected.heldEv, 1e-9 * expected.heldEv);
  EXPECT_NEAR(actual.bestEv, expected.bestEv, 1e-9 * expected.bestEv);
  EXPECT_NEAR(actual.mistakeCost, expected.mistakeCost, 1e-9 * expected.mistakeCost);
}

std::int64_t Count(const Held& held, const std::function<bool(const GameRecord&)>& which) {
  return std::count_if(held.games.begin(), held.games.end(), which);
}

// Each file holds what its version could hold, so that the checks below
// meet every kind of row.
void ExpectEveryKindOfRow(const Held& held, int version) {
  EXPECT_EQ(held.version, version);
  // Version 7 also names a game the library does not have.
  EXPECT_EQ(Count(held, [](const GameRecord& g) { return g.damaged; }), version >= 7 ? 2 : 1);
  const auto library = [](const GameRecord& g) { return Counted(g) && !g.libraryGame.isEmpty(); };
  EXPECT_EQ(Count(held, library) > 0, version >= 7);
  EXPECT_EQ(Count(held, [&](const GameRecord& g) { return library(g) && Mistaken(g); }) > 0,
            version >= 7);
  EXPECT_GE(Count(held, [](const GameRecord& g) { return Counted(g) && g.demo; }), 1);
  for (const GameVariant game : {kJacksOrBetter, kJokerWild, kDeucesWild})
    EXPECT_GE(Count(held, [&](const GameRecord& g) { return Counted(g) && g.game == game; }), 10);
  const bool coach = version >= 3;
  EXPECT_EQ(Count(held, Judged) > 0, coach);
  EXPECT_EQ(Count(held, Mistaken) > 0, coach);
  EXPECT_EQ(Count(held,
                  [](const GameRecord& g) {
                    return Judged(g) && !Mistaken(g) && *g.heldEv != *g.bestEv;
                  }) > 0,
            coach);  // a tie by the coach's rule
  EXPECT_GE(Count(held, [](const GameRecord& g) { return Counted(g) && !g.demo && !g.bestEv; }), 1);
  EXPECT_EQ(Count(held, [](const GameRecord& g) { return g.practice; }) > 0, version >= 4);
  EXPECT_TRUE(held.balance.has_value());
  EXPECT_FALSE(held.hands.empty());
  // A run without a counted game: listed nowhere in the session returns.
  if (version >= 2) {
    EXPECT_GT(held.sessions.size(), Sessions(held).size());
  }
}

TEST(HistoryUpgrades, EveryEarlierVersionComesBackWhole) {
  for (int version = 1; version <= kFixtureVersions; ++version) {
    SCOPED_TRACE("version " + std::to_string(version));
    const Held held = Read(FixturePath(version));
    ExpectEveryKindOfRow(held, version);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    ASSERT_TRUE(QFile::copy(FixturePath(version), path));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    // Read once right after the upgrade, and again from the upgraded file.
    for (int open = 1; open <= 2; ++open) {
      SCOPED_TRACE("open " + std::to_string(open));
      SqliteHistory history(path, IsMistake);
      EXPECT_EQ(history.Problem(), "");
      EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
      EXPECT_EQ(history.MovedAsideTo(), "");

      const auto count = static_cast<int>(held.games.size());
      EXPECT_EQ(history.GameCount(), count);
      std::vector<GameRecord> games = history.Games(0, count + 1);
      ASSERT_EQ(games.size(), held.games.size());
      std::reverse(games.begin(), games.end());
      for (std::size_t i = 0; i < games.size(); ++i)
        EXPECT_EQ(Fields(games[i]), Fields(held.games[i])) << "game " << held.games[i].id;

      EXPECT_EQ(history.Balance(), held.balance);
      for (const GameVariant game : {kJacksOrBetter, kJokerWild, kDeucesWild}) {
        const auto hand = std::find_if(held.hands.begin(), held.hands.end(),
                                       [&](const HandInProgress& h) { return h.game == game; });
        EXPECT_EQ(history.PendingHand(game),
                  hand != held.hands.end() ? std::optional(*hand) : std::nullopt)
            << "game " << game;
      }
      EXPECT_EQ(history.SessionReturns(), Sessions(held));
      std::vector<std::int32_t> series;
      for (const GameRecord& g : held.games) {
        if (Counted(g)) series.push_back(g.creditsAfter);
      }
      EXPECT_EQ(history.BalanceSeries(count), series);
      ExpectSums(history.Statistics(std::nullopt), Sums(held.games, std::nullopt));
      FakeHistory recount;
      recount.games = held.games;
      testing_support::ExpectSameTables(history.TableTotals(), recount.TableTotals());
      for (const GameVariant game : {kJacksOrBetter, kJokerWild, kDeucesWild}) {
        SCOPED_TRACE("game " + std::to_string(game));
        ExpectSums(history.Statistics(game), Sums(held.games, game));
      }
    }
    int upgradedTo = 0;
    sqlite3* db = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr),
        SQLITE_OK);
    EachRow(db, "PRAGMA user_version",
            [&](sqlite3_stmt* r) { upgradedTo = sqlite3_column_int(r, 0); });
    sqlite3_close(db);
    EXPECT_EQ(upgradedTo, kHistorySchemaVersion);
  }
}

}  // namespace
}  // namespace lynx
