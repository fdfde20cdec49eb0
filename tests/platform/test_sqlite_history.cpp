// The game history on real SQLite files: what the file holds, how it grows
// from older versions, and that no damaged, full or foreign file ever stops
// play or loses what was in it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <string>
#include <tuple>

#include "coach/coach.h"
#include "engine/card_text.h"
#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/random_source.h"
#include "platform/history_csv.h"
#include "platform/journal_syncer.h"
#include "platform/sqlite_history.h"
#include "platform/wal_checkpointer.h"
#include "tests/support/fakes.h"
#include "tests/support/hand_text.h"
#include "tests/support/test_files.h"
#include "tests/support/trainer_rows.h"

// Failures show text as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace lynx {
namespace {

using testing_support::H;

using testing_support::ReadAll;
using testing_support::WriteAll;

// Runs sql on the file with the plain SQLite library, as a player's sqlite3
// tool would; the rows come back with columns joined by '|', one per line.
QString Sql(const QString& path, const std::string& sql) {
  sqlite3* db = nullptr;
  QString rows;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK) {
    char* error = nullptr;
    auto collect = [](void* out, int n, char** values, char**) {
      auto* text = static_cast<QString*>(out);
      for (int i = 0; i < n; ++i) {
        if (i > 0) *text += QLatin1Char('|');
        *text += values[i] != nullptr ? QString::fromUtf8(values[i]) : QStringLiteral("NULL");
      }
      *text += QLatin1Char('\n');
      return 0;
    };
    if (sqlite3_exec(db, sql.c_str(), collect, &rows, &error) != SQLITE_OK) {
      rows = QStringLiteral("error: ") + QString::fromUtf8(error);
      sqlite3_free(error);
    }
  }
  sqlite3_close(db);
  return rows;
}

QDateTime Utc(const char* iso) {
  return QDateTime::fromString(iso, Qt::ISODate);
}

using testing_support::Game;

HandInProgress ShuffledHand(GameVariant game, int coins, int held, float seed) {
  HandInProgress hand;
  hand.game = game;
  hand.coins = coins;
  hand.held = held;
  SequenceSource random({seed, 0.9f, 0.1f, 0.6f, 0.3f});
  Shuffle(hand.deck, game, random);
  hand.dealt = DealHand(hand.deck);
  return hand;
}

// A trainer hand of a game of the library on one of its tables, dealt from a
// shuffle of the game's cards.
TrainerHandInProgress TrainerHand(const char* name, const char* table, int hands, int coins,
                                  int held, float seed) {
  const GameRules& rules = *FindGame(name);
  TrainerHandInProgress hand;
  hand.game = name;
  hand.table = table;
  hand.pays = PaysOf(rules, *FindTable(rules, table));
  hand.hands = hands;
  hand.coins = coins;
  hand.held = held;
  SequenceSource random({seed, 0.9f, 0.1f, 0.6f, 0.3f});
  ShuffleTrainerDeck(hand.deck, rules, random);
  std::copy_n(hand.deck.cards.begin(), 5, hand.dealt.begin());
  return hand;
}

const QString kGamesColumns =
    "id\nplayed_at\ngame\ncoins\ndealt\nheld\nfinal\nrow\nwon\ncredits_after\ndemo\nsession\n"
    "best_ev\nheld_ev\nbest_holds\npractice\nmistake\ncost\nlibrary_game\npay_table\nhands\n";
const QString kVersion = QString::number(kHistorySchemaVersion) + "\n";

class SqliteHistoryTest : public testing::Test {
 protected:
  QString File() const { return dir.filePath("data/lynx-video-poker/history.sqlite"); }
  QStringList FilesInFolder() const {
    QStringList files = QDir(QFileInfo(File()).absolutePath()).entryList(QDir::Files);
    files.sort();
    return files;
  }
  QTemporaryDir dir;
};

TEST_F(SqliteHistoryTest, NewFileHasTheSchemaInWalMode) {
  {
    SqliteHistory history(File());
    EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
    EXPECT_EQ(history.Problem(), "");
  }
  EXPECT_EQ(Sql(File(), "SELECT name FROM pragma_table_info('games')"), kGamesColumns);
  EXPECT_EQ(Sql(File(), "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
            "games\nhands\njournal\nsession_totals\nsessions\ntable_totals\ntotals\ntotals_state\n"
            "trainer_hand\n");
  EXPECT_EQ(Sql(File(), "PRAGMA user_version"), kVersion);
  EXPECT_EQ(Sql(File(), "PRAGMA journal_mode"), "wal\n");
}

TEST_F(SqliteHistoryTest, EveryColumnRoundTrips) {
  GameRecord first = Game(kJokerWild, 5, "AS KD 7C JK 2H", 0b01011, "AS KD 9S JK 8S", 10, 5, 1234);
  first.playedAt = Utc("2026-12-08T22:31:05.678Z");
  first.demo = true;
  first.bestEv = 99.5;
  first.heldEv = 7.25;
  first.bestHolds = "15,31";
  GameRecord second =
      Game(kDeucesWild, 1, "2C 2H 9S 9D KC", 0b01111, "2C 2H 9S 9D 9H", 3, 16, 1239);
  second.libraryGame = "deuces-nsu";
  second.payTable = "not so ugly";
  second.hands = 3;
  const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
  {
    SqliteHistory history(File());
    history.BeginSession();
    history.RecordGame(first, 100, 0);
    history.RecordGame(second, 90, 0);
  }
  const QDateTime after = QDateTime::currentDateTimeUtc();
  EXPECT_EQ(first.id, 1);
  EXPECT_EQ(first.session, 1);
  EXPECT_EQ(first.playedAt, Utc("2026-12-08T22:31:05Z"));  // kept to the second
  EXPECT_EQ(second.id, 2);
  EXPECT_EQ(second.session, 1);
  EXPECT_TRUE(second.playedAt >= before && second.playedAt <= after);

  EXPECT_EQ(
      Sql(File(), "SELECT * FROM games WHERE id = 1"),
      "1|2026-12-08T22:31:05Z|joker|5|AS KD 7C JK 2H|11|AS KD 9S JK 8S|10|5|1234|1|1|99.5|7.25|"
      "15,31|0|NULL|NULL|NULL|NULL|1\n");
  EXPECT_EQ(Sql(File(), "SELECT library_game, pay_table, hands FROM games WHERE id = 2"),
            "deuces-nsu|not so ugly|3\n");
  // A game the coach did not judge keeps NULLs.
  EXPECT_EQ(Sql(File(),
                "SELECT quote(best_ev), quote(held_ev), quote(best_holds) FROM games "
                "WHERE id = 2"),
            "NULL|NULL|NULL\n");
  SqliteHistory history(File());
  EXPECT_EQ(history.GameCount(), 2);
  EXPECT_EQ(history.Games(0, 10), (std::vector<GameRecord>{second, first}));
  EXPECT_EQ(history.Games(1, 10), std::vector<GameRecord>{first});
  EXPECT_EQ(history.Games(0, 1), std::vector<GameRecord>{second});
  EXPECT_TRUE(history.Games(2, 10).empty());
}

TEST_F(SqliteHistoryTest, JournalKeepsTheBalanceAndWhetherTheRunEnded) {
  {
    SqliteHistory history(File());
    EXPECT_EQ(history.Balance(), std::nullopt);
    history.BeginSession();
    EXPECT_EQ(history.Balance(), std::nullopt);  // running, but no balance yet
    history.SaveBalance(245, 100, 0);
    EXPECT_EQ(history.Balance(), (JournaledBalance{245, 100, false}));
  }
  {
    SqliteHistory history(File());  // a run that ended without its save
    EXPECT_EQ(history.Balance(), (JournaledBalance{245, 100, false}));
    history.MarkEnded(true);
  }
  SqliteHistory history(File());
  EXPECT_EQ(history.Balance(), (JournaledBalance{245, 100, true}));
  history.BeginSession();
  EXPECT_EQ(history.Balance(), (JournaledBalance{245, 100, false}));
}

TEST_F(SqliteHistoryTest, HandsInProgressOnePerGame) {
  const HandInProgress jacks = ShuffledHand(kJacksOrBetter, 3, 0, 0.25f);
  HandInProgress deuces = ShuffledHand(kDeucesWild, 5, 0, 0.75f);
  deuces.demo = true;
  {
    SqliteHistory history(File());
    history.SaveHand(jacks, 97, 100, 0);
    history.SaveHand(deuces, 92, 100, 0);
    deuces.held = 0b10101;  // new holds replace the row
    history.SaveHand(deuces, 92, 100, 0);
  }
  {
    SqliteHistory history(File());
    EXPECT_EQ(history.PendingHand(kJacksOrBetter), jacks);
    EXPECT_EQ(history.PendingHand(kDeucesWild), deuces);
    EXPECT_EQ(history.PendingHand(kJokerWild), std::nullopt);
    EXPECT_EQ(history.Balance(), (JournaledBalance{92, 100, true}));

    // Settling a game ends its own hand only, and journals the balance.
    GameRecord game = Game(kDeucesWild, 5, "2C 2H 9S 9D KC", 0, "2C 2H 9S 9D 9H", 6, 25, 117);
    history.RecordGame(game, 90, 0);
    EXPECT_EQ(history.PendingHand(kDeucesWild), std::nullopt);
    EXPECT_EQ(history.PendingHand(kJacksOrBetter), jacks);
    EXPECT_EQ(history.Balance(), (JournaledBalance{117, 90, true}));
  }
  // A hand row that no longer reads as one (edited by hand) is no hand.
  ASSERT_EQ(Sql(File(), "UPDATE hands SET deck = replace(deck, ' ', ' ZZ ') WHERE game = 'jacks'"),
            "");
  SqliteHistory history(File());
  EXPECT_EQ(history.PendingHand(kJacksOrBetter), std::nullopt);
  history.SaveHand(jacks, 97, 100, 0);
  history.DropHands();
  EXPECT_EQ(history.PendingHand(kJacksOrBetter), std::nullopt);
  EXPECT_EQ(Sql(File(), "SELECT count(*) FROM hands"), "0\n");
}

// The trainer's one hand in progress: kept with the balance, replaced by the
// next, read back only as a hand of its game (a row edited by hand is none),
// and ended by DropTrainerHand, DropHands and the settle of its deal.
TEST_F(SqliteHistoryTest, TheTrainersHandIsJournaledAndADoctoredRowIsNone) {
  const TrainerHandInProgress joker = TrainerHand("joker-kings", "20/7/5", 5, 2, 0b00011, 0.3f);
  TrainerHandInProgress custom = TrainerHand("deuces-nsu", "not so ugly", 10, 1, 0b10011, 0.6f);
  custom.table = "custom";
  custom.pays.perCoin[3] = 20;
  {
    SqliteHistory history(File());
    EXPECT_EQ(history.PendingTrainerHand(), std::nullopt);
    history.SaveTrainerHand(joker, 90, 100, 4);
    history.SaveTrainerHand(custom, 80, 100, 5);
  }
  SqliteHistory history(File());
  EXPECT_EQ(history.PendingTrainerHand(), custom);
  EXPECT_EQ(history.Balance(), (JournaledBalance{80, 100, true, 5}));

  // A card from deep in each deck, and the one after it.
  const auto card = [](const TrainerHandInProgress& hand, std::size_t p) {
    return std::string(CardName(hand.deck.cards[p]));
  };
  const struct {
    const TrainerHandInProgress& hand;
    std::string sql;
  } kDoctored[] = {
      {joker, "UPDATE trainer_hand SET game = 'pai-gow'"},
      {joker, "UPDATE trainer_hand SET hands = 4"},
      {joker, "UPDATE trainer_hand SET held = 'all'"},
      {joker, "UPDATE trainer_hand SET pays = '250 200 100 50 20 7 5 3 2 1'"},    // a row short
      {joker, "UPDATE trainer_hand SET pays = '250 200 100 50 20 9 5 3 2 1 1'"},  // not 20/7/5
      {joker, "UPDATE trainer_hand SET deck = replace(deck, '" + card(joker, 20) + "', '" +
                  card(joker, 21) + "')"},  // a card twice
      {custom, "UPDATE trainer_hand SET deck = replace(deck, '" + card(custom, 20) + "', 'JK')"},
      {custom, "UPDATE trainer_hand SET dealt = substr(deck, 4, 14)"},
  };
  for (const auto& doctored : kDoctored) {
    SCOPED_TRACE(doctored.sql);
    history.SaveTrainerHand(doctored.hand, 90, 100, 6);
    ASSERT_EQ(history.PendingTrainerHand(), doctored.hand);
    ASSERT_EQ(Sql(File(), doctored.sql), "");
    EXPECT_EQ(history.PendingTrainerHand(), std::nullopt);
  }

  history.SaveTrainerHand(joker, 90, 100, 7);
  history.DropTrainerHand();
  EXPECT_EQ(history.PendingTrainerHand(), std::nullopt);
  EXPECT_EQ(history.Balance(), (JournaledBalance{90, 100, true, 7}));
  history.SaveTrainerHand(joker, 90, 100, 8);
  history.DropHands();
  EXPECT_EQ(history.PendingTrainerHand(), std::nullopt);
  // A game of the machine settles the machine's hand only.
  history.SaveTrainerHand(joker, 90, 100, 9);
  GameRecord game = Game(kJacksOrBetter, 1, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 1, 91);
  history.RecordGame(game, 100, 10);
  EXPECT_EQ(history.PendingTrainerHand(), joker);
}

// A trainer deal of three hands: three rows in order, each with its own
// meter, written with the balance and the end of the deal's hand in one
// transaction; the machine's hand is left as it was.
TEST_F(SqliteHistoryTest, ATrainerDealIsItsHandsInOrderInOneTransaction) {
  const TrainerHandInProgress hand = TrainerHand("double-double-bonus", "9/6", 3, 5, 0b00111, 0.2f);
  const HandInProgress machine = ShuffledHand(kJacksOrBetter, 2, 0, 0.4f);
  std::vector<GameRecord> deal = testing_support::TrainerRows(hand, 85);
  deal[1].bestEv = 3.25;
  deal[1].heldEv = 1.5;
  deal[1].mistake = true;
  {
    // The write fails at the third row: nothing of the deal is in the file.
    SqliteHistory history(File());
    history.BeginSession();
    history.SaveHand(machine, 90, 100, 1);
    history.SaveTrainerHand(hand, 85, 100, 2);
    int rows = 0;
    history.SetStepHookForTests(
        [&rows](std::string_view step) { return step != "game" || ++rows < 3; });
    std::vector<GameRecord> failed = deal;
    history.RecordGames(failed, 100, 3);
    EXPECT_EQ(failed[0].id, 0);
  }
  SqliteHistory history(File());
  EXPECT_EQ(history.GameCount(), 0);
  EXPECT_EQ(history.PendingTrainerHand(), hand);
  EXPECT_EQ(history.Balance(), (JournaledBalance{85, 100, false, 2}));

  history.BeginSession();
  history.RecordGames(deal, 100, 3);
  EXPECT_EQ(std::make_tuple(deal[0].id, deal[2].id, deal[2].session), std::make_tuple(1, 3, 2));
  EXPECT_EQ(history.PendingTrainerHand(), std::nullopt);
  EXPECT_EQ(history.PendingHand(kJacksOrBetter), machine);
  EXPECT_EQ(history.Balance(), (JournaledBalance{deal[2].creditsAfter, 100, false, 3}));
  std::vector<GameRecord> read = history.Games(0, 10);
  std::reverse(read.begin(), read.end());
  EXPECT_EQ(read, deal);
  const TableStatistics table{
      "double-double-bonus", "9/6", 3, 3, 15, deal[2].creditsAfter - 85, 3.25, 1.5, 1, 1, 1.75};
  EXPECT_EQ(history.TableTotals(), std::vector<TableStatistics>{table});
  // The machine's sums leave the trainer's games out.
  EXPECT_EQ(history.Statistics(std::nullopt), GameStatistics{});
  // The drill practises the trainer's mistake too.
  const std::vector<GameRecord> mistakes = history.Mistakes(10);
  ASSERT_EQ(mistakes.size(), 1u);
  EXPECT_EQ(mistakes[0].libraryGame, "double-double-bonus");
}

TEST_F(SqliteHistoryTest, StatisticsBalanceSeriesAndSessionReturns) {
  // Two runs: jacks and joker games in the first, deuces in the second.
  std::vector<GameRecord> games = {
      Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100),
      Game(kJacksOrBetter, 1, "AS AD 7C 8H 2H", 3, "AS AD AC 9C 3D", 6, 3, 102),
      Game(kJokerWild, 2, "JK QS QH 7D 3C", 7, "JK QS QH 9D 9C", 5, 14, 114),
      Game(kJacksOrBetter, 5, "AS KS QS JS TS", 31, "AS KS QS JS TS", 0, 4000, 4109),
      Game(kDeucesWild, 3, "2C 5H 9S 9D KC", 13, "2C 5H 9S 9D 3C", -1, 0, 4106),
      Game(kDeucesWild, 3, "2C 2H 9S 9D KC", 15, "2C 2H 9S 9D 9H", 6, 15, 4118),
      Game(kDeucesWild, 4, "2C 2H 9S 9D KC", 15, "2C 2H 9S 9D 4H", 7, 12, 4126),
  };
  SqliteHistory history(File());
  history.BeginSession();
  for (int i = 0; i < 4; ++i) history.RecordGame(games[static_cast<std::size_t>(i)], 100, 0);
  history.BeginSession();
  for (int i = 4; i < 7; ++i) history.RecordGame(games[static_cast<std::size_t>(i)], 100, 0);

  GameStatistics all;
  all.hands = 7;
  all.coinsBet = 23;
  all.won = 4049;
  all.biggestWin = 4000;
  all.rowCounts = {1, 0, 0, 0, 0, 1, 2, 1, 1, 0, 0};
  all.coinsByStake = {1, 2, 6, 4, 10};
  EXPECT_EQ(history.Statistics(std::nullopt), all);
  GameStatistics jacks;
  jacks.hands = 3;
  jacks.coinsBet = 11;
  jacks.won = 4008;
  jacks.biggestWin = 4000;
  jacks.rowCounts = {1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0};
  jacks.coinsByStake = {1, 0, 0, 0, 10};
  EXPECT_EQ(history.Statistics(kJacksOrBetter), jacks);

  const std::vector<SessionReturn> sessions = history.SessionReturns();
  ASSERT_EQ(sessions.size(), 2u);
  EXPECT_EQ(sessions[0].session, 1);
  EXPECT_EQ(sessions[1].session, 2);
  EXPECT_TRUE(sessions[0].startedAt.isValid() && sessions[0].startedAt <= games[0].playedAt);
  EXPECT_EQ((std::array{sessions[0].hands, sessions[0].coinsBet, sessions[0].won}),
            (std::array<std::int64_t, 3>{4, 13, 4022}));
  EXPECT_EQ((std::array{sessions[1].hands, sessions[1].coinsBet, sessions[1].won}),
            (std::array<std::int64_t, 3>{3, 10, 27}));

  // Seven games thinned to three: the oldest, the middle one, the newest.
  EXPECT_EQ(history.BalanceSeries(3), (std::vector<std::int32_t>{100, 4109, 4126}));
  EXPECT_EQ(history.BalanceSeries(4), (std::vector<std::int32_t>{100, 114, 4106, 4126}));
  EXPECT_EQ(history.BalanceSeries(1), std::vector<std::int32_t>{4126});
  EXPECT_EQ(history.BalanceSeries(0), std::vector<std::int32_t>{});
  EXPECT_EQ(history.BalanceSeries(100),
            (std::vector<std::int32_t>{100, 102, 114, 4109, 4106, 4118, 4126}));
}

// What the coach reads back: its sums (judged, non-demonstration games only;
// a hold equal to best play up to rounding is no mistake), the newest
// mistakes first, and practice hands that leave the balance and the hand in
// progress alone.
TEST_F(SqliteHistoryTest, CoachSumsMistakesAndPracticeHands) {
  SqliteHistory history(File());
  history.BeginSession();
  // Judged as the recorder judges a game: with the coach's verdict.
  auto judged = [](GameRecord g, double best, double held, bool demo = false) {
    g.bestEv = best;
    g.heldEv = held;
    g.mistake = IsMistake(best, held);
    g.demo = demo;
    return g;
  };
  std::vector<GameRecord> games = {
      judged(Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100), 7.5, 2.5),
      Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100),  // not judged
      judged(Game(kJacksOrBetter, 1, "AS AD 7C 8H 2H", 3, "AS AD AC 9C 3D", 6, 3, 102), 1.5,
             1.5 - 1e-12),
      judged(Game(kJacksOrBetter, 2, "AS AD 7C 8H 2H", 1, "AS 2D AC 9C 3D", 8, 2, 104), 3.0, 1.0,
             true),
      judged(Game(kDeucesWild, 3, "2C 5H 9S 9D KC", 13, "2C 5H 9S 9D 3C", -1, 0, 101), 4.0, 3.0),
  };
  for (GameRecord& g : games) history.RecordGame(g, 100, 0);

  const GameStatistics all = history.Statistics(std::nullopt);
  EXPECT_EQ(all.hands, 5);
  EXPECT_EQ(all.judged, 3);
  EXPECT_EQ(all.judgedCoins, 9);
  EXPECT_DOUBLE_EQ(all.heldEv, 2.5 + 1.5 - 1e-12 + 3.0);
  EXPECT_DOUBLE_EQ(all.bestEv, 7.5 + 1.5 + 4.0);
  EXPECT_EQ(all.mistakes, 2);
  EXPECT_DOUBLE_EQ(all.mistakeCost, 5.0 + 1.0);
  EXPECT_EQ(history.Statistics(kDeucesWild).mistakes, 1);

  const std::vector<GameRecord> wrong = history.Mistakes(50);
  ASSERT_EQ(wrong.size(), 2u);
  EXPECT_EQ(wrong[0].id, games[4].id);
  EXPECT_EQ(wrong[1].id, games[0].id);
  EXPECT_EQ(history.Mistakes(1).size(), 1u);

  HandInProgress pending = ShuffledHand(kJacksOrBetter, 5, 0, 0.2f);
  history.SaveHand(pending, 95, 100, 0);
  GameRecord practice = games[0];
  practice.won = 800;
  history.RecordPractice(practice);
  EXPECT_EQ(history.PendingHand(kJacksOrBetter), pending);
  EXPECT_EQ(history.Balance(), (JournaledBalance{95, 100, false}));
  const GameRecord kept = history.Games(0, 1).front();
  EXPECT_TRUE(kept.demo && kept.practice);
  EXPECT_EQ(kept.won, 0);
  EXPECT_EQ(history.Mistakes(50).size(), 2u);
  // Nothing was bet on it: the sums over play are as they were.
  EXPECT_EQ(history.Statistics(std::nullopt), all);
  EXPECT_EQ(history.SessionReturns().front().hands, 5);
  EXPECT_EQ(history.BalanceSeries(100).size(), 5u);
}

// The verdict on a hold is the caller's: the store keeps it as given, in the
// file, its sums, its mistakes and what it reads back, whatever the values
// say and whatever rule it was given. That rule judges only the rows kept
// without a verdict (by another program, or before verdicts were kept):
// when the totals are built, and when a file this run cannot write is
// summed; without a rule such a row is no mistake.
TEST_F(SqliteHistoryTest, TheVerdictIsTheCallersAndTheRuleJudgesOnlyRowsWithoutOne) {
  constexpr MistakeRule kAlways = [](double, double) { return true; };
  constexpr MistakeRule kNever = [](double, double) { return false; };
  GameRecord tie = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
  tie.bestEv = 7.5;
  tie.heldEv = 7.5;
  tie.mistake = true;
  GameRecord worse = Game(kDeucesWild, 3, "2C 5H 9S 9D KC", 13, "2C 5H 9S 9D 3C", -1, 0, 97);
  worse.bestEv = 4.0;
  worse.heldEv = 1.0;
  // Another program copies the game held worse, without its verdict.
  const std::string copyWorse =
      "INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, credits_after, "
      "demo, session, best_ev, held_ev, practice) SELECT played_at, game, coins, dealt, held, "
      "final, row, won, credits_after, demo, session, best_ev, held_ev, practice FROM games "
      "WHERE id = 2";
  const auto mistakes = [](SqliteHistory& history) {
    std::vector<std::int64_t> ids;
    for (const GameRecord& g : history.Mistakes(10)) ids.push_back(g.id);
    return std::make_tuple(history.Statistics(std::nullopt).mistakes,
                           history.Statistics(std::nullopt).mistakeCost, ids);
  };
  {
    SqliteHistory history(File(), kAlways);
    history.RecordGame(tie, 100, 1);
    history.RecordGame(worse, 100, 2);
    EXPECT_EQ(mistakes(history), std::make_tuple(1, 0.0, std::vector<std::int64_t>{1}));
    const std::vector<GameRecord> read = history.Games(0, 10);
    EXPECT_EQ(read, (std::vector<GameRecord>{worse, tie}));
  }
  ASSERT_EQ(Sql(File(), copyWorse), "");
  {
    SqliteHistory history(File(), kAlways);
    EXPECT_EQ(mistakes(history), std::make_tuple(2, 3.0, std::vector<std::int64_t>{3, 1}));
    EXPECT_TRUE(history.Games(0, 1).front().mistake);
  }
  ASSERT_EQ(Sql(File(), copyWorse), "");
  {
    SqliteHistory history(File());
    EXPECT_EQ(mistakes(history), std::make_tuple(2, 3.0, std::vector<std::int64_t>{3, 1}));
  }
  EXPECT_EQ(Sql(File(), "SELECT id, mistake, cost FROM games ORDER BY id"),
            "1|1|0.0\n2|0|0.0\n3|1|3.0\n4|0|0.0\n");
  // A file of a newer version is summed from its rows: the verdicts kept,
  // and the rule for a row without one.
  ASSERT_EQ(Sql(File(),
                copyWorse + "; PRAGMA user_version = " + std::to_string(kHistorySchemaVersion + 1)),
            "");
  SqliteHistory newer(File(), kNever);
  ASSERT_EQ(newer.CurrentState(), SqliteHistory::State::ReadOnly);
  EXPECT_EQ(mistakes(newer), std::make_tuple(2, 3.0, std::vector<std::int64_t>{3, 1}));
  SqliteHistory always(File(), kAlways);
  EXPECT_EQ(mistakes(always), std::make_tuple(3, 6.0, std::vector<std::int64_t>{5, 3, 1}));
}

// A file as the first version of the program left it: no sessions yet.
TEST_F(SqliteHistoryTest, UpgradesAVersionOneFile) {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(File()).absolutePath()));
  const HandInProgress pending = ShuffledHand(kJokerWild, 2, 0b00110, 0.4f);
  QString deck;
  for (int p = 1; p <= Deck::kSize; ++p) {
    if (p > 1) deck += ' ';
    deck += QString::fromStdString(CardName(pending.deck.At(p)));
  }
  const QString made = Sql(
      File(),
      "PRAGMA journal_mode = WAL;"
      "CREATE TABLE games (id INTEGER PRIMARY KEY, played_at TEXT NOT NULL, game TEXT NOT NULL,"
      "  coins INTEGER NOT NULL, dealt TEXT NOT NULL, held INTEGER NOT NULL, final TEXT NOT NULL,"
      "  row INTEGER NOT NULL, won INTEGER NOT NULL, credits_after INTEGER NOT NULL,"
      "  demo INTEGER NOT NULL);"
      "CREATE TABLE journal (id INTEGER PRIMARY KEY CHECK (id = 1), credits INTEGER,"
      "  borrowed INTEGER, running INTEGER NOT NULL DEFAULT 0);"
      "CREATE TABLE hands (game TEXT PRIMARY KEY, coins INTEGER NOT NULL, dealt TEXT NOT NULL,"
      "  held INTEGER NOT NULL, deck TEXT NOT NULL, demo INTEGER NOT NULL);"
      "INSERT INTO games VALUES (1, '2026-01-02T10:00:00Z', 'jacks', 5, 'AS AD 7C 8H 2H', 3,"
      "  'AS AD 7C 9C 3D', 8, 5, 100, 0);"
      "INSERT INTO games VALUES (2, '2026-01-02T10:00:09Z', 'joker', 1, 'JK QS QH 7D 3C', 7,"
      "  'JK QS QH 9D 9C', 5, 7, 106, 0);"
      "INSERT INTO journal VALUES (1, 104, 100, 1);"
      "INSERT INTO hands VALUES ('joker', 2, '" +
          HandText(pending.dealt).toStdString() + "', 6, '" + deck.toStdString() +
          "', 0);"
          "PRAGMA user_version = 1;");
  ASSERT_EQ(made, "wal\n");
  {
    SqliteHistory history(File());
    EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
    EXPECT_EQ(history.Problem(), "");
    EXPECT_EQ(history.Balance(), (JournaledBalance{104, 100, false}));
    EXPECT_EQ(history.PendingHand(kJokerWild), pending);
    const std::vector<GameRecord> games = history.Games(0, 10);
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[1].playedAt, Utc("2026-01-02T10:00:00Z"));
    EXPECT_EQ(games[0].final, H("JK QS QH 9D 9C"));
    // The games before sessions were kept form the first one.
    EXPECT_EQ(history.SessionReturns(),
              (std::vector<SessionReturn>{{1, Utc("2026-01-02T10:00:00Z"), 2, 6, 12}}));
    history.BeginSession();
    GameRecord next = Game(kJacksOrBetter, 1, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 1, 104);
    history.RecordGame(next, 100, 0);
    EXPECT_EQ(next.session, 2);
  }
  EXPECT_EQ(Sql(File(), "PRAGMA user_version"), kVersion);
  EXPECT_EQ(Sql(File(), "SELECT name FROM pragma_table_info('games')"), kGamesColumns);
  EXPECT_EQ(Sql(File(), "SELECT id, session FROM games ORDER BY id"), "1|1\n2|1\n3|2\n");
  // Games from before the coach's columns have none of its values.
  EXPECT_EQ(Sql(File(),
                "SELECT count(*) FROM games WHERE best_ev IS NULL AND held_ev IS NULL "
                "AND best_holds IS NULL"),
            "3\n");
}

TEST_F(SqliteHistoryTest, NewerVersionIsReadButNeverWritten) {
  {
    SqliteHistory history(File());
    GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
    history.RecordGame(game, 100, 0);
    // Left running with hands dealt, as a newer version killed would leave it.
    history.BeginSession();
    history.SaveHand(ShuffledHand(kJacksOrBetter, 5, 0, 0.5f), 5000, 100, 9);
    history.SaveTrainerHand(TrainerHand("tens", "6/5", 1, 5, 0, 0.5f), 4995, 100, 10);
  }
  ASSERT_EQ(Sql(File(), "PRAGMA user_version = " + std::to_string(kHistorySchemaVersion + 1)), "");
  const QByteArray before = ReadAll(File());
  {
    SqliteHistory history(File());
    EXPECT_EQ(history.CurrentState(), SqliteHistory::State::ReadOnly);
    EXPECT_EQ(history.Problem(),
              "The game history " + File() +
                  " comes from a newer version of LYNX Video Poker: it is shown, but no game is "
                  "added to it.");
    EXPECT_EQ(history.GameCount(), 1);
    // Not this program's ledger: neither its balance nor its hand is offered.
    EXPECT_EQ(history.Balance(), std::nullopt);
    EXPECT_EQ(history.PendingHand(kJacksOrBetter), std::nullopt);
    EXPECT_EQ(history.PendingTrainerHand(), std::nullopt);
    history.BeginSession();
    history.SaveBalance(1, 2, 0);
    history.SaveHand(ShuffledHand(kJacksOrBetter, 1, 0, 0.5f), 1, 2, 0);
    GameRecord game = Game(kJacksOrBetter, 1, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 1, 1);
    history.RecordGame(game, 2, 0);
    history.DropHands();
    history.MarkEnded(true);
    EXPECT_EQ(game.id, 0);
    EXPECT_EQ(history.GameCount(), 1);
  }
  EXPECT_EQ(ReadAll(File()), before);
}

// What damage looks like on disk, each moved aside whole.
struct Damage {
  const char* name;
  std::function<QByteArray(const QString& path)> make;  // the damaged file's bytes
};

class DamagedFileTest : public SqliteHistoryTest, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedFileTest, IsMovedAsideWholeAndANewHistoryStarts) {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(File()).absolutePath()));
  const QByteArray bytes = GetParam().make(File());
  ASSERT_FALSE(bytes.isEmpty());
  WriteAll(File(), bytes);
  const QByteArray wal = "not a write-ahead log";
  WriteAll(File() + "-wal", wal);

  SqliteHistory history(File());
  EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
  const QString aside = history.MovedAsideTo();
  EXPECT_TRUE(
      QRegularExpression("^" + QRegularExpression::escape(File()) + "\\.corrupt-\\d{8}T\\d{6}Z$")
          .match(aside)
          .hasMatch())
      << aside.toStdString();
  EXPECT_TRUE(history.Problem().endsWith("it was moved aside to " + aside +
                                         " and a new history was started."))
      << history.Problem().toStdString();
  EXPECT_EQ(ReadAll(aside), bytes);
  EXPECT_EQ(ReadAll(aside + "-wal"), wal);

  GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
  history.RecordGame(game, 100, 0);
  EXPECT_EQ(game.id, 1);
  EXPECT_EQ(SqliteHistory(File()).Problem(), "");
}

QByteArray RandomBytes(const QString&) {
  QByteArray bytes(8192, '\0');
  QRandomGenerator random(42);
  for (char& c : bytes) c = static_cast<char>(random.bounded(256));
  return bytes;
}

// A real history cut off in the middle, as a failing copy leaves it.
QByteArray TruncatedHistory(const QString& path) {
  const QString whole = path + ".whole";
  { SqliteHistory history(whole); }
  Sql(whole,
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
      "INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, credits_after, "
      "demo, session) SELECT '2026-01-02T10:00:00Z', 'jacks', 5, 'AS AD 7C 8H 2H', 3, "
      "'AS AD 7C 9C 3D', 8, 5, 100 + i, 0, 1 FROM n");
  const QByteArray bytes = ReadAll(whole);
  QFile::remove(whole);
  return bytes.left(bytes.size() / 2);
}

QByteArray OtherProgramsDatabase(const QString& path) {
  const QString other = path + ".other";
  Sql(other, "CREATE TABLE notes (id INTEGER PRIMARY KEY, text TEXT)");
  const QByteArray bytes = ReadAll(other);
  QFile::remove(other);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedFileTest,
                         testing::Values(Damage{"RandomBytes", RandomBytes},
                                         Damage{"Truncated", TruncatedHistory},
                                         Damage{"OtherProgram", OtherProgramsDatabase}),
                         [](const auto& info) { return std::string(info.param.name); });

// A long history is not read through at every start: a file the last run
// closed normally is opened at once, and damage in it is met when a read finds
// it. After a run that did not end normally the file is checked first.
TEST_F(SqliteHistoryTest, OnlyAFileNotClosedNormallyIsCheckedAtTheStart) {
  struct Case {
    bool closedNormally;
    bool cutShort;  // else the last pages spoilt, the file as long as before
    bool checked;   // damage found at the start
  };
  for (const Case c :
       {Case{true, false, false}, Case{false, false, true}, Case{true, true, true}}) {
    SCOPED_TRACE(std::to_string(c.closedNormally) + std::to_string(c.cutShort));
    ASSERT_TRUE(QDir(QFileInfo(File()).absolutePath()).removeRecursively());
    {
      SqliteHistory history(File());
      history.BeginSession();
      for (int i = 0; i < 400; ++i) {
        GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
        history.RecordGame(game, 100, i);
      }
      if (c.closedNormally) history.MarkEnded(true);
    }
    QByteArray bytes = ReadAll(File());
    ASSERT_GT(bytes.size(), 8 * 4096);
    if (c.cutShort)
      bytes.chop(4096);
    else
      bytes.replace(bytes.size() - 2 * 4096, 2 * 4096, QByteArray(2 * 4096, '\xA5'));
    WriteAll(File(), bytes);

    SqliteHistory history(File());
    EXPECT_EQ(history.MovedAsideTo().isEmpty(), !c.checked);
    history.Games(0, 1000);  // a read that meets the damage, if still there
    EXPECT_FALSE(history.MovedAsideTo().isEmpty());
    EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
  }
}

// Damage that appears while the file is open (a disk failing under it) is met
// by the next write, which then goes to a new history.
TEST_F(SqliteHistoryTest, DamageFoundByAWriteMovesTheFileAsideAndKeepsTheGame) {
  {
    SqliteHistory history(File());
    for (int i = 0; i < 3; ++i) {
      GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
      history.RecordGame(game, 100, 0);
    }
  }
  SqliteHistory history(File());
  ASSERT_EQ(history.CurrentState(), SqliteHistory::State::Working);
  history.BeginSession();
  QByteArray bytes = ReadAll(File());
  const qsizetype pageSize = 4096;
  ASSERT_GT(bytes.size(), 2 * pageSize);
  bytes.replace(pageSize, bytes.size() - pageSize, QByteArray(bytes.size() - pageSize, '\xff'));
  {
    QFile file(File());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  GameRecord game = Game(kJokerWild, 1, "JK QS QH 7D 3C", 7, "JK QS QH 9D 9C", 5, 7, 106);
  history.RecordGame(game, 100, 0);
  ASSERT_FALSE(history.MovedAsideTo().isEmpty());
  EXPECT_EQ(ReadAll(history.MovedAsideTo()), bytes);
  EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
  EXPECT_EQ(game.id, 1);
  EXPECT_EQ(history.Games(0, 10), std::vector<GameRecord>{game});
  EXPECT_EQ(history.Balance(), (JournaledBalance{106, 100, false}));
}

TEST_F(SqliteHistoryTest, FolderThatIsAFileTurnsHistoryOff) {
  const QString blocker = dir.filePath("data");
  WriteAll(blocker, "in the way");
  SqliteHistory history(File());
  EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Off);
  EXPECT_EQ(history.Problem(), "The game history is off: the folder " +
                                   QFileInfo(File()).absolutePath() + " cannot be made.");
  // Everything stays callable and does nothing.
  history.BeginSession();
  history.SaveBalance(10, 0, 0);
  history.SaveHand(ShuffledHand(kJacksOrBetter, 1, 0, 0.5f), 9, 0, 0);
  GameRecord game = Game(kJacksOrBetter, 1, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 1, 10);
  history.RecordGame(game, 0, 0);
  history.DropHands();
  history.MarkEnded(true);
  EXPECT_EQ(game.id, 0);
  EXPECT_EQ(history.Balance(), std::nullopt);
  EXPECT_EQ(history.PendingHand(kJacksOrBetter), std::nullopt);
  EXPECT_TRUE(history.Games(0, 100).empty());
  EXPECT_EQ(history.GameCount(), 0);
  EXPECT_EQ(history.Statistics(std::nullopt), GameStatistics{});
  EXPECT_TRUE(history.BalanceSeries(100).empty());
  EXPECT_TRUE(history.SessionReturns().empty());
  EXPECT_EQ(ReadAll(blocker), "in the way");
}

// In a folder that cannot be written SQLite cannot keep the WAL index
// beside the file, so history is off; the file is left alone.
TEST_F(SqliteHistoryTest, ReadOnlyFolderTurnsHistoryOff) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
  {
    SqliteHistory history(File());
    GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
    history.RecordGame(game, 100, 0);
  }
  const QString folder = QFileInfo(File()).absolutePath();
  const QByteArray before = ReadAll(File());
  ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
  QString problem;
  {
    SqliteHistory history(File());
    GameRecord game = Game(kJacksOrBetter, 1, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 1, 1);
    history.RecordGame(game, 0, 0);
    problem = history.Problem();
  }
  const QStringList files = FilesInFolder();
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(problem,
            "The game history is off: the file " + File() + " cannot be opened (read-only).");
  EXPECT_EQ(files, QStringList{"history.sqlite"});
  EXPECT_EQ(ReadAll(File()), before);
}

// A file-size limit makes writes fail as a full disk does, even for the
// superuser.
TEST_F(SqliteHistoryTest, WritesThatFailTurnHistoryOffAndKeepTheFileWhole) {
  SqliteHistory history(File());
  history.BeginSession();
  GameRecord first = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
  history.RecordGame(first, 100, 0);
  history.SaveHand(ShuffledHand(kJokerWild, 1, 7, 0.2f), 105, 100, 0);

  struct sigaction ignore {};
  struct sigaction old {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &old), 0);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit saved = limit;
  limit.rlim_cur = 1;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  GameRecord second = Game(kJokerWild, 1, "JK QS QH 7D 3C", 7, "JK QS QH 9D 9C", 5, 7, 106);
  history.RecordGame(second, 100, 0);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &old, nullptr);

  EXPECT_EQ(second.id, 0);
  EXPECT_EQ(history.CurrentState(), SqliteHistory::State::ReadOnly);
  EXPECT_EQ(history.Problem(),
            "The game history is off: the file " + File() + " cannot be written (disk I/O error).");
  // Later writes are not tried, even with room again; reads go on, and the
  // journal is what the next start finds, but no hand comes from it: this
  // run's hands are newer than the file.
  history.SaveBalance(1, 1, 0);
  EXPECT_EQ(history.Games(0, 10), std::vector<GameRecord>{first});
  EXPECT_EQ(history.Balance(), (JournaledBalance{105, 100, false}));
  EXPECT_EQ(history.PendingHand(kJokerWild), std::nullopt);

  SqliteHistory reopened(File());
  EXPECT_EQ(reopened.Problem(), "");
  EXPECT_EQ(reopened.Games(0, 10), std::vector<GameRecord>{first});
}

// The settle is one transaction: a program killed anywhere inside it leaves
// the game, its balance and its hand all as before or all as after.
TEST_F(SqliteHistoryTest, SettleKilledMidwayLeavesTheOldStateOrTheNew) {
  const HandInProgress hand = ShuffledHand(kJacksOrBetter, 5, 0b00011, 0.3f);
  for (const char* step : {"session", "game", "balance", "drop-hand", "commit", "committed"}) {
    SCOPED_TRACE(step);
    for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(File() + suffix);
    {
      SqliteHistory history(File());
      history.SaveHand(hand, 95, 100, 0);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      SqliteHistory history(File());
      history.SetStepHookForTests([step](std::string_view name) {
        if (name == step) ::raise(SIGKILL);
        return true;
      });
      GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
      history.RecordGame(game, 100, 0);
      ::_exit(3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

    SqliteHistory history(File());
    EXPECT_EQ(history.Problem(), "");
    const bool settled = std::string_view(step) == "committed";
    EXPECT_EQ(history.GameCount(), settled ? 1 : 0);
    EXPECT_EQ(history.Balance(), (JournaledBalance{settled ? 100 : 95, 100, true}));
    EXPECT_EQ(history.PendingHand(kJacksOrBetter), settled ? std::nullopt : std::optional(hand));
    EXPECT_EQ(Sql(File(), "SELECT count(*) FROM sessions"), settled ? "1\n" : "0\n");
  }
}

TEST_F(SqliteHistoryTest, FailedSettleIsRolledBackInTheSameRun) {
  SqliteHistory history(File());
  history.SaveBalance(95, 100, 0);
  history.SetStepHookForTests([](std::string_view name) { return name != "balance"; });
  GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
  history.RecordGame(game, 100, 0);
  EXPECT_EQ(game.id, 0);
  EXPECT_EQ(history.Problem(),
            "The game history is off: the file " + File() + " cannot be written (disk I/O error).");
  EXPECT_EQ(history.GameCount(), 0);
  EXPECT_EQ(Sql(File(), "SELECT credits, borrowed FROM journal"), "95|100\n");
}

TEST_F(SqliteHistoryTest, CsvExportHasTheHeaderAndOneRowPerGame) {
  SqliteHistory history(File());
  history.BeginSession();
  GameRecord first = Game(kJokerWild, 5, "AS KD 7C JK 2H", 19, "AS KD 9S 8S JK", 10, 5, 1234);
  first.playedAt = Utc("2026-12-08T22:31:05Z");
  first.demo = true;
  GameRecord second = Game(kDeucesWild, 1, "2C 2H 9S 9D KC", 15, "2C 2H 9S 9D 9H", 3, 16, 1239);
  second.playedAt = Utc("2026-12-08T22:31:09Z");
  second.libraryGame = "deuces-nsu";
  second.payTable = "25/15/11, then edited";
  second.hands = 5;
  history.RecordGame(first, 100, 0);
  history.RecordGame(second, 100, 0);
  const QString csv = dir.filePath("games.csv");
  ASSERT_TRUE(ExportHistoryCsv(history, csv));
  EXPECT_EQ(
      ReadAll(csv),
      "id,played_at,game,coins,dealt,held,final,row,won,credits_after,demo,session,"
      "practice,library_game,pay_table,hands\r\n"
      "1,2026-12-08T22:31:05Z,joker,5,AS KD 7C JK 2H,19,AS KD 9S 8S JK,10,5,1234,1,1,0,,,1\r\n"
      "2,2026-12-08T22:31:09Z,deuces,1,2C 2H 9S 9D KC,15,2C 2H 9S 9D 9H,3,16,1239,0,1,0,"
      "deuces-nsu,\"25/15/11, then edited\",5\r\n");
  EXPECT_FALSE(ExportHistoryCsv(history, dir.filePath("games.csv/x.csv")));
  EXPECT_EQ(QDir(dir.path()).entryList({"games.csv*"}, QDir::AllEntries), QStringList{"games.csv"});
}

TEST(HistoryCsvTest, LongHistoriesComeOutOldestFirst) {
  FakeHistory history;
  for (int i = 0; i < 12'345; ++i) {
    GameRecord game;
    history.RecordGame(game, 0, 0);
  }
  QTemporaryDir dir;
  const QString csv = dir.filePath("games.csv");
  ASSERT_TRUE(ExportHistoryCsv(history, csv));
  const QList<QByteArray> lines = ReadAll(csv).split('\n');
  ASSERT_EQ(lines.size(), 12'347);  // header, games, and the empty end
  for (int i = 1; i <= 12'345; ++i) {
    ASSERT_TRUE(lines[i].startsWith(QByteArray::number(i) + ',')) << i;
  }
}

TEST(DefaultHistoryPathTest, FollowsXdgDataHome) {
  const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
  const QByteArray old = qgetenv("XDG_DATA_HOME");
  const QString fallback = QDir::homePath() + "/.local/share/lynx-video-poker/history.sqlite";
  qputenv("XDG_DATA_HOME", "/srv/data/");
  EXPECT_EQ(DefaultHistoryPath(), "/srv/data/lynx-video-poker/history.sqlite");
  qputenv("XDG_DATA_HOME", "relative/data");
  EXPECT_EQ(DefaultHistoryPath(), fallback);
  qunsetenv("XDG_DATA_HOME");
  EXPECT_EQ(DefaultHistoryPath(), fallback);
  if (wasSet) qputenv("XDG_DATA_HOME", old);
}

}  // namespace
}  // namespace lynx

namespace lynx {
namespace {

// Another program's connection holding the file's write lock until Release.
class WriteLock {
 public:
  explicit WriteLock(const QString& path) {
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    held = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~WriteLock() {
    Release();
    sqlite3_close(db);
  }
  bool Held() const { return held; }
  void Release() {
    if (held) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    held = false;
  }

 private:
  sqlite3* db = nullptr;
  bool held = false;
};

TEST_F(SqliteHistoryTest, WritesThatMeetALockAreKeptInOrderUntilItGoes) {
  const HandInProgress hand = ShuffledHand(kJacksOrBetter, 5, 0, 0.4f);
  GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
  SqliteHistory history(File());
  history.BeginSession();
  history.SaveBalance(100, 100, 1);
  {
    WriteLock lock(File());
    ASSERT_TRUE(lock.Held());
    // The deal and its settle: in the file the settle must come second, or
    // the hand it ends would stay behind as dealt.
    history.SaveHand(hand, 95, 100, 2);
    history.RecordGame(game, 100, 3);
    EXPECT_EQ(history.KeptWrites(), 2u);
    EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Waiting);
    EXPECT_EQ(history.Problem(), "");
    EXPECT_EQ(game.id, 0);
    // Reads go on meanwhile, from what is in the file.
    EXPECT_EQ(history.Balance(), (JournaledBalance{100, 100, false, 1}));
    history.RetryKeptWrites();  // still locked: nothing changes
    EXPECT_EQ(history.KeptWrites(), 2u);
  }
  history.RetryKeptWrites();
  EXPECT_EQ(history.KeptWrites(), 0u);
  EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
  EXPECT_EQ(history.Balance(), (JournaledBalance{100, 100, false, 3}));
  EXPECT_EQ(history.PendingHand(kJacksOrBetter), std::nullopt);
  EXPECT_EQ(Sql(File(), "SELECT id, session, credits_after FROM games"), "1|1|100\n");
}

TEST_F(SqliteHistoryTest, AFileLockedAtTheStartIsReadAndWrittenOnceTheLockGoes) {
  {
    SqliteHistory history(File());
    history.BeginSession();
    history.SaveBalance(250, 100, 4);
  }
  WriteLock lock(File());
  ASSERT_TRUE(lock.Held());
  SqliteHistory history(File());
  EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Waiting);
  EXPECT_EQ(history.Balance(), (JournaledBalance{250, 100, false, 4}));
  history.BeginSession();
  history.SaveBalance(240, 100, 5);
  history.RetryKeptWrites();
  EXPECT_EQ(history.KeptWrites(), 2u);
  lock.Release();
  history.RetryKeptWrites();
  EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
  EXPECT_EQ(history.Balance(), (JournaledBalance{240, 100, false, 5}));
  EXPECT_EQ(Sql(File(), "SELECT count(*) FROM sessions"), "2\n");
}

TEST_F(SqliteHistoryTest, AFileDeletedOrReplacedWhileRunningGetsTheJournalAndHandsCarriedOver) {
  const HandInProgress hand = ShuffledHand(kDeucesWild, 2, 0b101, 0.7f);
  for (const bool replaced : {false, true}) {
    SCOPED_TRACE(replaced ? "replaced" : "deleted");
    QDir(QFileInfo(File()).absolutePath()).removeRecursively();
    const QString other = dir.filePath("other.sqlite");
    QFile::remove(other);
    {
      SqliteHistory another(other);  // a valid history of its own
      GameRecord game = Game(kJacksOrBetter, 1, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 1, 7);
      another.RecordGame(game, 0, 1);
    }
    SqliteHistory history(File());
    history.BeginSession();
    history.SaveHand(hand, 98, 100, 6);
    const TrainerHandInProgress trainer = TrainerHand("bonus", "7/5", 10, 1, 0b01000, 0.5f);
    history.SaveTrainerHand(trainer, 98, 100, 6);
    for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(File() + suffix);
    if (replaced) {
      ASSERT_TRUE(QFile::rename(other, File()));
    }

    history.SaveBalance(198, 100, 7);
    EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
    EXPECT_EQ(history.Problem(),
              replaced ? "The game history " + File() +
                             " was replaced while the game ran: the game goes on in the file now "
                             "there, and your balance and any hand in play were carried over."
                       : "The game history " + File() +
                             " was deleted while the game ran: a new history was started, and "
                             "your balance and any hand in play were carried over.");
    EXPECT_EQ(Sql(File(), "SELECT credits, borrowed, running, ledger_change FROM journal"),
              "198|100|1|7\n");
    EXPECT_EQ(history.PendingHand(kDeucesWild), hand);
    EXPECT_EQ(history.PendingTrainerHand(), trainer);
    EXPECT_EQ(history.GameCount(), replaced ? 1 : 0);
    // The run goes on as a session of the file now written.
    GameRecord game = Game(kDeucesWild, 2, "2C 2H 9S 9D KC", 0b01111, "2C 2H 9S 9D 9H", 6, 10, 208);
    history.RecordGame(game, 100, 8);
    EXPECT_EQ(game.session, replaced ? 2 : 1);
  }
}

}  // namespace
}  // namespace lynx

namespace lynx {
namespace {

// The files earlier releases left (versions 2 to 7, made here by taking a
// current file back to them): each is upgraded where it stands, its games and
// its journal kept (a journal without change numbers counts as number 0), and
// nothing is moved aside.
TEST_F(SqliteHistoryTest, FilesOfEveryEarlierReleaseAreUpgradedWithTheirGamesAndJournal) {
  // Back to 7: no trainer table; to 6: no game of the library named; to 5:
  // no totals, no stored verdicts, the sums' indexes of version 2.
  const std::string kTo7 =
      "ALTER TABLE games DROP COLUMN hands; DROP TABLE trainer_hand; DROP TABLE table_totals; ";
  const std::string kTo6 =
      kTo7 +
      "ALTER TABLE games DROP COLUMN library_game; ALTER TABLE games DROP COLUMN pay_table; ";
  const std::string kTo5 =
      kTo6 +
      "DROP TRIGGER games_added; DROP TRIGGER games_changed; DROP TRIGGER games_removed; "
      "DROP TABLE totals; DROP TABLE session_totals; DROP TABLE totals_state; "
      "DROP INDEX games_mistakes; ALTER TABLE games DROP COLUMN mistake; "
      "ALTER TABLE games DROP COLUMN cost; "
      "CREATE INDEX games_by_game ON games (game, row, coins, won); "
      "CREATE INDEX games_by_session ON games (session, coins, won); "
      "CREATE INDEX games_by_balance ON games (id, credits_after); ";
  const std::string kBackTo[] = {
      // Version 7 counted a game of the library with the machine's.
      kTo7 + "UPDATE totals SET hands = 2, won = 10; PRAGMA user_version = 7",
      kTo6 + "PRAGMA user_version = 6",
      kTo5 + "PRAGMA user_version = 5",
      // to 4: no change numbers
      kTo5 + "ALTER TABLE journal DROP COLUMN ledger_change; PRAGMA user_version = 4",
      // to 3: no practice hands
      kTo5 +
          "ALTER TABLE journal DROP COLUMN ledger_change; ALTER TABLE games DROP COLUMN "
          "practice; PRAGMA user_version = 3",
      // to 2: no coach's judgement
      kTo5 +
          "ALTER TABLE journal DROP COLUMN ledger_change; ALTER TABLE games DROP COLUMN "
          "practice; ALTER TABLE games DROP COLUMN best_ev; ALTER TABLE games DROP COLUMN "
          "held_ev; ALTER TABLE games DROP COLUMN best_holds; PRAGMA user_version = 2",
  };
  for (const std::string& back : kBackTo) {
    SCOPED_TRACE(back);
    ASSERT_TRUE(QDir(QFileInfo(File()).absolutePath()).removeRecursively());
    GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
    const bool library = &back == &kBackTo[0];
    {
      SqliteHistory history(File());
      history.BeginSession();
      history.RecordGame(game, 100, 1);
      if (library) {
        GameRecord trainer = game;
        trainer.libraryGame = "jacks";
        trainer.payTable = "machine";
        history.RecordGame(trainer, 100, 1);
      }
      history.SaveBalance(321, 100, 0);
    }
    ASSERT_EQ(Sql(File(), back), "");
    SqliteHistory history(File());
    EXPECT_EQ(history.Problem(), "");
    EXPECT_EQ(history.CurrentState(), SqliteHistory::State::Working);
    EXPECT_EQ(history.Balance(), (JournaledBalance{321, 100, false, 0}));
    ASSERT_EQ(history.GameCount(), library ? 2 : 1);
    // The totals are built from the rows kept.
    EXPECT_EQ(history.Statistics(kJacksOrBetter).coinsByStake,
              (std::array<std::int64_t, 5>{0, 0, 0, 0, 5}));
    EXPECT_EQ(history.TableTotals().size(), library ? 1u : 0u);
    EXPECT_EQ(history.SessionReturns().size(), 1u);
    const GameRecord kept = history.Games(0, 1).front();
    EXPECT_EQ(kept.final, game.final);
    EXPECT_EQ(kept.won, 5);
    EXPECT_EQ(Sql(File(), "PRAGMA user_version"), kVersion);
    EXPECT_EQ(history.MovedAsideTo(), "");
  }
}

// A file in WAL mode with a table of 1,000-byte rows: each row written in
// its own transaction adds a page or so to the journal.
struct JournalFile {
  explicit JournalFile(const QString& path) : path(path) {
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL; CREATE TABLE t (b BLOB)", nullptr, nullptr,
                 nullptr);
  }
  ~JournalFile() { sqlite3_close_v2(db); }
  bool Write(int rows, bool oneCommit = false) {
    const auto run = [this](const char* sql) {
      return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    if (oneCommit && !run("BEGIN")) return false;
    for (int i = 0; i < rows; ++i)
      if (!run("INSERT INTO t VALUES (randomblob(1000))")) return false;
    return !oneCommit || run("COMMIT");
  }
  qint64 JournalBytes() const { return QFileInfo(path + "-wal").size(); }
  QString path;
  sqlite3* db = nullptr;
};

TEST_F(SqliteHistoryTest, TheJournalIsCopiedIntoTheFileOffTheWritersThread) {
  const QString path = dir.filePath("journal.sqlite");
  JournalFile file(path);
  {
    WalCheckpointer checkpointer(file.db, path, 20);
    for (int round = 0; round < 10; ++round) {
      // Each round, one commit, passes the 20 pages: the thread is woken and
      // copies them (woken by a commit of its own, rows written one at a time
      // could go on while it copies).
      const int before = checkpointer.Done();
      ASSERT_TRUE(file.Write(120, true));
      EXPECT_TRUE(QTest::qWaitFor([&] { return checkpointer.Done() > before; }, 5000)) << round;
    }
    EXPECT_EQ(checkpointer.DoneByWriter(), 0);
    // Copied journals are written over from the start: it stays near the
    // pages of one round however many rounds are written.
    EXPECT_LT(file.JournalBytes(), 150 * 4120);
  }
  EXPECT_EQ(Sql(path, "SELECT count(*), sum(length(b)) FROM t"), "1200|1200000\n");

  // Without the thread (it cannot open the file), the writer copies the
  // journal itself at ten times the pages, as SQLite does without one.
  const QString gone = dir.filePath("gone.sqlite");
  JournalFile other(gone);
  {
    WalCheckpointer checkpointer(other.db, dir.filePath("missing/none.sqlite"), 20);
    ASSERT_TRUE(other.Write(1000));
    EXPECT_EQ(checkpointer.Done(), 0);
    EXPECT_GE(checkpointer.DoneByWriter(), 4);
    EXPECT_LT(other.JournalBytes(), 240 * 4120);
  }
  // Once it has gone, SQLite's own checkpoint after 1,000 pages is back.
  const qint64 before = other.JournalBytes();
  ASSERT_TRUE(other.Write(3000));
  EXPECT_LT(other.JournalBytes(), before + 1100 * 4120);
}

TEST_F(SqliteHistoryTest, AHistoryCopiesItsJournalOffTheWindowThread) {
  SqliteHistory history(File());
  history.BeginSession();
  // Every settle adds the row, its indexes and the totals: a few pages.
  for (int i = 0; i < 400 && history.BackgroundCheckpointsForTests() == 0; ++i) {
    GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
    history.RecordGame(game, 100, i + 1);
    QTest::qWait(0);
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return history.BackgroundCheckpointsForTests() > 0; }, 5000));
  EXPECT_EQ(history.Problem(), "");
}

TEST_F(SqliteHistoryTest, CommitsAreSyncedOnAThreadAndThoseWaitingHearOfItAfter) {
  const QString path = dir.filePath("synced.sqlite");
  JournalFile file(path);
  ASSERT_TRUE(file.Write(1));
  EXPECT_FALSE(JournalSyncer(dir.filePath("missing.sqlite-wal")).Usable());

  JournalSyncer syncer(path + "-wal");
  ASSERT_TRUE(syncer.Usable());
  // Nothing committed since: at once.
  int told = 0;
  syncer.WhenSynced(nullptr, [&] { ++told; });
  EXPECT_EQ(told, 1);

  QObject context;
  int syncsWhenTold = -1;
  for (int round = 0; round < 20; ++round) {
    ASSERT_TRUE(file.Write(1));
    syncer.HoldSyncsForTests(true);
    syncer.Committed();
    syncer.WhenSynced(&context, [&] {
      ++told;
      syncsWhenTold = syncer.Syncs();
    });
    // Never before the sync of this commit has ended.
    QCoreApplication::processEvents();
    EXPECT_EQ(told, round + 1) << round;
    syncer.HoldSyncsForTests(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return told == round + 2; }, 5000)) << round;
    EXPECT_EQ(syncsWhenTold, round + 1);
  }
  // One waiting without its context is forgotten; WaitSynced returns once
  // the sync is done.
  auto gone = std::make_unique<QObject>();
  ASSERT_TRUE(file.Write(1));
  syncer.HoldSyncsForTests(true);
  syncer.Committed();
  syncer.WhenSynced(gone.get(), [&] { ++told; });
  gone.reset();
  syncer.HoldSyncsForTests(false);
  syncer.WaitSynced();
  EXPECT_EQ(syncer.Syncs(), 21);
  // The delivery posted by that sync finds no one to tell.
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(told, 21);
  EXPECT_FALSE(syncer.Failed());

  // A file the system cannot sync (a device) is told as a failure.
  JournalSyncer device("/dev/null");
  ASSERT_TRUE(device.Usable());
  device.Committed();
  device.WaitSynced();
  EXPECT_TRUE(device.Failed());
}

TEST_F(SqliteHistoryTest, AHistorySyncsItsCommitsOffTheWindowThread) {
  SqliteHistory history(File());
  history.BeginSession();
  GameRecord game = Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 100);
  history.RecordGame(game, 100, 1);
  history.WaitOnDisk();
  const int syncs = history.BackgroundSyncsForTests();
  EXPECT_GE(syncs, 1);
  QObject context;
  bool told = false;
  history.WhenOnDisk(&context, [&] { told = true; });
  EXPECT_TRUE(told);  // nothing written since the wait
  told = false;
  history.RecordGame(game, 100, 2);
  history.WhenOnDisk(&context, [&] { told = history.BackgroundSyncsForTests() > syncs; });
  EXPECT_TRUE(QTest::qWaitFor([&] { return told; }, 5000));
  EXPECT_EQ(history.Problem(), "");
}

}  // namespace
}  // namespace lynx
