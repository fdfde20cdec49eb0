// The recorder between the table and a real history file: what a table gets
// back when it opens again, also while another program holds the file's lock.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "platform/fakes.h"
#include "platform/sqlite_history.h"
#include "shell/history_recorder.h"
#include "table/table_window.h"

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
  // A deal of five coins and its draw, holding nothing.
  static void DealAndDraw(TableWindow& table) {
    QTest::mouseClick(table.Image11, Qt::LeftButton);
    QTest::mouseClick(table.Image8, Qt::LeftButton);
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
  QTest::mouseClick(table->Image11, Qt::LeftButton);  // dealt and journaled
  ASSERT_TRUE(store.PendingHand(kJacksOrBetter).has_value());

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(store.Path()).constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  QTest::mouseClick(table->Image8, Qt::LeftButton);  // drawn: its record waits for the lock
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

TEST_F(RecorderTest, HandsOfADeclinedGameStayDroppedWhileTheDropWaits) {
  {
    auto table = OpenTable();
    QTest::mouseClick(table->Image11, Qt::LeftButton);
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

}  // namespace
}  // namespace lynx
