// The recorder between the table and a real history file: what a table gets
// back when it opens again, also while another program holds the file's lock.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "platform/ini_profile.h"
#include "platform/sqlite_history.h"
#include "shell/history_recorder.h"
#include "shell/settings.h"
#include "table/table_window.h"
#include "table/trainer_window.h"
#include "tests/support/fakes.h"
#include "tests/support/test_files.h"

namespace lynx {
namespace {

class RecorderTest : public testing::Test {
 protected:
  void SetUp() override {
    values.credits = 500;
    recorder.Start(nullptr);
  }
  std::unique_ptr<TableWindow> OpenTable() {
    auto table = std::make_unique<TableWindow>(values, services);
    recorder.Attach(*table);
    table->show();
    return table;
  }
  // A click, and the rest of the deal or draw it started: the cards and the
  // win come once the history has them on disk.
  void Click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton);
    store.WaitOnDisk();
    QCoreApplication::processEvents();
  }
  // A deal of five coins and its draw, holding nothing.
  void DealAndDraw(TableWindow& table) {
    Click(table.Image11);
    Click(table.Image8);
  }

  QTemporaryDir dir;
  FakeServices fake;
  SqliteHistory store{dir.filePath(QStringLiteral("history.sqlite"))};
  Services services{fake.dialogs, fake.sound,  fake.profile, fake.help,
                    fake.screen,  fake.random, store};
  ProgramValues values;
  HistoryRecorder recorder{values, services};
};

TEST_F(RecorderTest, AHandSettledWhileTheFileIsLockedDoesNotComeBack) {
  auto table = OpenTable();
  Click(table->Image11);  // dealt and journaled
  ASSERT_TRUE(store.PendingHand(kJacksOrBetter).has_value());

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(store.Path()).constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  Click(table->Image8);  // drawn: its record waits for the lock
  EXPECT_EQ(store.KeptWrites(), 1u);
  const int afterDraw = values.credits;
  table.reset();

  // The file still holds the hand as dealt; the table must not get it back.
  table = OpenTable();
  DealAndDraw(*table);
  EXPECT_EQ(values.credits, afterDraw - 5 + table->State().winAmount);
  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  store.RetryKeptWrites();
  EXPECT_EQ(store.GameCount(), 2);
  EXPECT_EQ(store.PendingHand(kJacksOrBetter), std::nullopt);
}

// True once another connection has the file's write lock: ours cannot take it.
bool LockedByAnother(const QString& path) {
  sqlite3* db = nullptr;
  sqlite3_open(QFile::encodeName(path).constData(), &db);
  const int code = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (code == SQLITE_OK) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return code == SQLITE_BUSY;
}

// The sqlite3 tool holds the history's write lock while the player plays on,
// and the program is killed: the next start offers the balance of the kill
// with the stake of the hand left dealt given back, and drops the hands the
// file still holds (one of them was settled meanwhile).
TEST(RecorderLockTest, AKillWhileAnotherProgramHoldsTheLockLosesNoCredit) {
  if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
    GTEST_SKIP() << "the sqlite3 tool is not installed (scripts/install-deps installs it)";
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("ZEB.INI"));
  const QString file = dir.filePath(QStringLiteral("history.sqlite"));
  QProcess holder;
  std::int32_t atKill = 0;
  {
    FakeServices fake;
    IniProfileFile profile(ini);
    SqliteHistory store(file);
    Services services{fake.dialogs, fake.sound,  profile, fake.help,
                      fake.screen,  fake.random, store};
    ProgramValues values;
    values.credits = 500;
    HistoryRecorder recorder(values, services);
    recorder.Start(nullptr);
    TableWindow table(values, services);
    recorder.Attach(table);
    table.show();
    const auto click = [&](QWidget* control) {
      QTest::mouseClick(control, Qt::LeftButton);
      store.WaitOnDisk();
      QCoreApplication::processEvents();
    };
    click(table.Image11);  // dealt, in the file
    ASSERT_TRUE(store.PendingHand(kJacksOrBetter).has_value());

    holder.start(QStringLiteral("sqlite3"), {file});
    ASSERT_TRUE(holder.waitForStarted(10000));
    holder.write("BEGIN IMMEDIATE;\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return LockedByAnother(file); }, 10000));
    click(table.Image8);   // the dealt hand settled: kept
    click(table.Image11);  // a second game
    click(table.Image8);
    click(table.Image11);  // a third, left dealt
    EXPECT_TRUE(store.WritesWaiting());
    atKill = values.credits;
    EXPECT_EQ(values.stakesInPlay, 5);
    // Said once, whatever the number of writes waiting.
    ASSERT_EQ(fake.dialogs.shown.size(), 1u);
    EXPECT_TRUE(fake.dialogs.shown[0].text.startsWith(
        QStringLiteral("Another program is using the game history file")));
    // Killed: no save at the end, and the writes kept are lost (the store's
    // last try on closing still meets the lock).
  }
  holder.closeWriteChannel();  // the tool ends; its transaction is rolled back
  ASSERT_TRUE(holder.waitForFinished(10000));

  FakeServices fake;
  IniProfileFile profile(ini);
  SqliteHistory store(file);
  Services services{fake.dialogs, fake.sound, profile, fake.help, fake.screen, fake.random, store};
  ProgramValues values;
  fake.dialogs.defaultAnswer = true;
  EXPECT_TRUE(store.PendingHand(kJacksOrBetter).has_value());  // as dealt before the lock
  EXPECT_TRUE(LoadSettings(values, services, nullptr));        // drop the hands
  EXPECT_EQ(values.credits, atKill + 5);
  // A clean end then clears the mark: the next start keeps its hands.
  HistoryRecorder recorder(values, services);
  recorder.DropHands();
  recorder.Start(nullptr);
  EXPECT_TRUE(SaveSettings(values, services, nullptr, false));
  recorder.Finish(true);
  EXPECT_EQ(profile.ReadString(kLedgerSection, kHistoryBehindKey, QString()), QStringLiteral("0"));
  ProgramValues next;
  EXPECT_FALSE(LoadSettings(next, services, nullptr));
  EXPECT_EQ(next.credits, atKill + 5);
}

TEST_F(RecorderTest, HandsOfADeclinedGameStayDroppedWhileTheDropWaits) {
  {
    auto table = OpenTable();
    Click(table->Image11);
  }
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(store.Path()).constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  recorder.DropHands();
  auto table = OpenTable();
  EXPECT_FALSE(table->State().dealt);  // no hand put back on the table
  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
}

// Each judged game reaches the store with the coach's verdict on its hold,
// from the machine's table and from the trainer alike: a hold a rounding
// error below best play is none, one worth less is, a game not judged has
// none.
TEST_F(RecorderTest, JudgedGamesAreKeptWithTheCoachsVerdict) {
  const auto judged = [](double best, double held) {
    GameRecord game =
        testing_support::Game(kJacksOrBetter, 5, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 5, 500);
    game.bestEv = best;
    game.heldEv = held;
    return game;
  };
  auto table = OpenTable();
  emit table->GameSettled(judged(7.5, 7.5 * (1 - 1e-12)));
  emit table->GameSettled(judged(7.5, 2.5));
  GameRecord unjudged = judged(7.5, 2.5);
  unjudged.bestEv.reset();
  unjudged.heldEv.reset();
  emit table->GameSettled(unjudged);
  const GameRules& rules = *FindGame("double-double-bonus");
  TablesCache tables;
  TrainerWindow trainer(values, services, tables,
                        {&rules, "9/6", PaysOf(rules, *FindTable(rules, "9/6")), 3});
  recorder.Attach(trainer);
  GameRecord hand = judged(12.0, 9.0);
  hand.libraryGame = "double-double-bonus";
  hand.payTable = "9/6";
  hand.hands = 3;
  emit trainer.GamesSettled({hand, hand, hand});
  std::vector<bool> verdicts;
  for (const GameRecord& game : store.Games(0, 10)) verdicts.insert(verdicts.begin(), game.mistake);
  EXPECT_EQ(verdicts, (std::vector<bool>{false, true, false, true, true, true}));
  EXPECT_EQ(store.Statistics(std::nullopt).mistakes, 1);
}

// A thousand ten-hand deals at the trainer, kept through the recorder in a
// real file: the rows read back chain the balance exactly, hand by hand,
// and the journal holds the meter.
TEST_F(RecorderTest, ATrainerSoakOfAThousandTenHandDealsKeepsTheCreditChain) {
  values.credits = 1'000'000;
  values.soundOn = 0;
  fake.profile.values["trainer/speed"] = "instant";
  const GameRules& rules = *FindGame("double-double-bonus");
  SeededSource random(20261209);
  Services seeded{fake.dialogs, fake.sound, fake.profile, fake.help, fake.screen, random, store};
  TablesCache tables;
  TrainerWindow trainer(values, seeded, tables,
                        {&rules, "9/6", PaysOf(rules, *FindTable(rules, "9/6")), 10});
  recorder.Attach(trainer);
  constexpr int kDeals = 1000;
  for (int d = 0; d < kDeals; ++d) {
    trainer.BetMax();
    trainer.ToggleHold(d % 5);
    trainer.DealOrDraw();
  }
  ASSERT_EQ(store.GameCount(), kDeals * 10);
  const std::vector<GameRecord> rows = store.Games(0, kDeals * 10);
  std::int64_t balance = 1'000'000;
  for (auto row = rows.rbegin(); row != rows.rend(); row += 10) {
    balance -= 50;  // the deal's stake, taken before its first row
    for (int h = 0; h < 10; ++h) {
      const GameRecord& game = *(row + h);
      ASSERT_FALSE(game.damaged);
      ASSERT_EQ(game.hands, 10);
      ASSERT_EQ(game.dealt, row->dealt);
      balance += game.won;
      ASSERT_EQ(game.creditsAfter, balance)
          << "deal " << (row - rows.rbegin()) / 10 << " hand " << h;
    }
  }
  EXPECT_EQ(values.credits, balance);
  const auto journal = store.Balance();
  ASSERT_TRUE(journal.has_value());
  EXPECT_EQ(journal->credits, balance);
  EXPECT_FALSE(store.PendingTrainerHand().has_value());
}

}  // namespace
}  // namespace lynx
