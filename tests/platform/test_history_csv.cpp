// The CSV export read straight from a history file on its own connection:
// the same file as the export through the store, from one snapshot, and
// never a partial file, whether cancelled or failing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <utility>
#include <vector>

#include "platform/history_csv.h"
#include "platform/sqlite_history.h"
#include "tests/support/fakes.h"
#include "tests/support/hand_text.h"
#include "tests/support/test_files.h"

namespace lynx {
namespace {

using testing_support::H;
using Outcome = HistoryStore::ExportOutcome;
using Report = std::pair<std::int64_t, std::int64_t>;

using testing_support::ReadAll;
using testing_support::WriteAll;

bool Exec(const QString& path, const char* sql) {
  sqlite3* db = nullptr;
  const bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
                  sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

// A game played at a fixed time, so that the files compare byte for byte.
GameRecord Game(GameVariant game, int coins, const char* dealt, int held, const char* final,
                int row, int won, int creditsAfter) {
  GameRecord record =
      testing_support::Game(game, coins, dealt, held, final, row, won, creditsAfter);
  record.playedAt = QDateTime::fromString("2026-12-08T22:31:05Z", Qt::ISODate);
  return record;
}

// Rows as another program may have left them (times in other forms, or
// none; an unknown game; hands that are no hands; flags beyond 1), then
// 12,000 plain ones: more than two pages of the store's export, more than a
// chunk of the file's, two progress reports between the first and the last.
constexpr std::int64_t kRows = 12'000 + 5;
constexpr const char* kAddRows = R"sql(
INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, credits_after, demo,
                   session, practice, library_game, pay_table, hands) VALUES
  ('2026-03-01T01:30:00+02:00', 'joker', 2, 'JK 2C', 40, 'xx', 3, 1, -5, 2, 9, 3, 'joker-kings',
   'a "wide", table', 3),
  ('2026-12-08T24:00:00Z', 'poker', 1, 'AS KD 7C JK 2H', 0, 'AS KD 7C JK 2H', -1, 0, 0, 0, 1, 0,
   NULL, NULL, 1),
  ('not a time', 'deuces', 1, 'AS,KD', 1, '"2C"', 0, 0, 0, 0, 1, 0, '', NULL, 10);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000)
INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, credits_after, demo,
                   session, practice)
  SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 1767225600 + i * 7, 'unixepoch'),
         CASE i % 3 WHEN 0 THEN 'jacks' WHEN 1 THEN 'joker' ELSE 'deuces' END, 1 + i % 5,
         'AS KD 7C 8H 2H', i % 32, 'AS KD 9C 3D 4S', i % 9 - 1, i % 7, 100 + i, i % 2,
         1 + i / 400, 0
  FROM n;
)sql";

class HistoryCsvFileTest : public testing::Test {
 protected:
  void SetUp() override {
    history = std::make_unique<SqliteHistory>(dir.filePath("history.sqlite"));
    history->BeginSession();
    GameRecord dealt = Game(kJokerWild, 5, "AS KD 7C JK 2H", 19, "AS KD 9S 8S JK", 10, 5, 1234);
    dealt.demo = true;
    history->RecordGame(dealt, 100, 0);
    GameRecord practice = Game(kDeucesWild, 1, "2C 2H 9S 9D KC", 15, "2C 2H 9S 9D 9H", 6, 0, 0);
    practice.demo = practice.practice = true;
    history->RecordPractice(practice);
    ASSERT_TRUE(Exec(history->Path(), kAddRows));
    ASSERT_EQ(history->GameCount(), kRows);
    ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
  }
  QString Out(const char* name = "games.csv") const { return dir.filePath("out/") + name; }
  QStringList OutFiles() const { return QDir(dir.filePath("out")).entryList(QDir::Files); }

  QTemporaryDir dir;
  std::unique_ptr<SqliteHistory> history;
};

TEST_F(HistoryCsvFileTest, EqualsTheStoreExportFromOneSnapshot) {
  ASSERT_TRUE(ExportHistoryCsv(*history, Out("store.csv")));
  std::vector<Report> reports;
  const Outcome outcome =
      ExportHistoryFileCsv(history->Path(), Out(), [&](std::int64_t done, std::int64_t total) {
        // A game settled while the export runs is not in it.
        if (reports.empty()) {
          GameRecord later =
              Game(kJacksOrBetter, 1, "AS AD 7C 8H 2H", 3, "AS AD 7C 9C 3D", 8, 1, 9);
          history->RecordGame(later, 100, 0);
        }
        reports.emplace_back(done, total);
        return true;
      });
  EXPECT_EQ(outcome, Outcome::Written);
  EXPECT_EQ(history->GameCount(), kRows + 1);
  const QByteArray csv = ReadAll(Out());
  EXPECT_EQ(csv, ReadAll(Out("store.csv")));
  EXPECT_EQ(csv.count('\n'), kRows + 1);
  EXPECT_TRUE(csv.startsWith(
      "id,played_at,game,coins,dealt,held,final,row,won,credits_after,demo,session,practice,"
      "library_game,pay_table,hands\r\n"
      "1,2026-12-08T22:31:05Z,joker,5,AS KD 7C JK 2H,19,AS KD 9S 8S JK,10,5,1234,1,1,0,,,1\r\n"
      "2,2026-12-08T22:31:05Z,deuces,1,2C 2H 9S 9D KC,15,2C 2H 9S 9D 9H,6,0,0,1,1,1,,,1\r\n"
      "3,2026-02-28T23:30:00Z,joker,2,JK 2C ?? ?? ??,40,?? ?? ?? ?? ??,3,1,-5,1,9,1,joker-kings,"
      "\"a \"\"wide\"\", table\",3\r\n"
      "4,2026-12-09T00:00:00Z,deuces,1,AS KD 7C JK 2H,0,AS KD 7C JK 2H,-1,0,0,0,1,0,,,1\r\n"
      "5,,deuces,1,?? ?? ?? ?? ??,1,?? ?? ?? ?? ??,0,0,0,0,1,0,,,10\r\n"))
      << csv.left(600).toStdString();
  // Now and then, every report with the count of the snapshot.
  EXPECT_EQ(reports,
            (std::vector<Report>{{0, kRows}, {4096, kRows}, {8192, kRows}, {kRows, kRows}}));
}

TEST_F(HistoryCsvFileTest, CancelledLeavesNoFileAndAnOldOneAsItWas) {
  for (const std::int64_t cancelAt : {std::int64_t{0}, std::int64_t{4096}, kRows}) {
    for (const bool oldFile : {true, false}) {
      SCOPED_TRACE(testing::Message() << "cancelled at " << cancelAt << ", old file " << oldFile);
      QFile::remove(Out());
      if (oldFile) WriteAll(Out(), "old\r\n");
      std::int64_t reports = 0;
      EXPECT_EQ(ExportHistoryFileCsv(history->Path(), Out(),
                                     [&](std::int64_t done, std::int64_t) {
                                       ++reports;
                                       return done < cancelAt;
                                     }),
                Outcome::Cancelled);
      EXPECT_EQ(reports, cancelAt == 0 ? 1 : cancelAt == 4096 ? 2 : 4);
      EXPECT_EQ(ReadAll(Out()), oldFile ? "old\r\n" : "<missing>");
      EXPECT_EQ(OutFiles(), oldFile ? QStringList{"games.csv"} : QStringList{});
    }
  }
}

TEST_F(HistoryCsvFileTest, FailsOnAnUnreadableHistoryOrTargetKeepingTheOldFile) {
  WriteAll(Out(), "old\r\n");
  WriteAll(dir.filePath("garbage.sqlite"), QByteArray(4096, 'x'));
  const QString missing = dir.filePath("missing.sqlite");
  EXPECT_EQ(ExportHistoryFileCsv(missing, Out(), {}), Outcome::Failed);
  EXPECT_FALSE(QFile::exists(missing));
  EXPECT_EQ(ExportHistoryFileCsv(dir.filePath("garbage.sqlite"), Out(), {}), Outcome::Failed);
  EXPECT_EQ(ExportHistoryFileCsv(history->Path(), dir.filePath("none/games.csv"), {}),
            Outcome::Failed);
  // Never over the history itself.
  EXPECT_EQ(ExportHistoryFileCsv(history->Path(), history->Path(), {}), Outcome::Failed);
  EXPECT_EQ(history->GameCount(), kRows);

  // A full disk, as a file size limit gives it: the export is about 1 MB.
  struct sigaction ignore {};
  struct sigaction old {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &old), 0);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit saved = limit;
  limit.rlim_cur = 100'000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const Outcome full = ExportHistoryFileCsv(history->Path(), Out(), {});
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_EQ(full, Outcome::Failed);

  EXPECT_EQ(ReadAll(Out()), "old\r\n");
  EXPECT_EQ(OutFiles(), QStringList{"games.csv"});
}

// The time written without Qt's formatter is TimeText's, in every year.
TEST(HistoryCsvTest, WritesTimesAsTheHistoryFileDoes) {
  const QDateTime times[] = {
      QDateTime(QDate(1, 1, 1), QTime(0, 0, 0), Qt::UTC),
      QDateTime(QDate(999, 7, 4), QTime(9, 5, 7, 999), Qt::UTC),
      QDateTime(QDate(2026, 12, 8), QTime(22, 31, 5), Qt::OffsetFromUTC, -5 * 3600),
      QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC),
      QDateTime(QDate(10'000, 1, 1), QTime(0, 0, 0), Qt::UTC),
      QDateTime(QDate(-5, 3, 1), QTime(12, 0, 0), Qt::UTC),
      QDateTime(),
  };
  FakeHistory history;
  for (const QDateTime& time : times) {
    GameRecord game;
    game.id = static_cast<std::int64_t>(history.games.size()) + 1;
    game.playedAt = time;
    history.games.push_back(game);
  }
  QTemporaryDir dir;
  ASSERT_TRUE(ExportHistoryCsv(history, dir.filePath("games.csv")));
  const QList<QByteArray> lines = ReadAll(dir.filePath("games.csv")).split('\n');
  ASSERT_EQ(lines.size(), std::ssize(times) + 2);
  for (std::size_t i = 0; i < std::size(times); ++i) {
    EXPECT_EQ(lines[static_cast<qsizetype>(i) + 1].split(',')[1], TimeText(times[i]).toUtf8()) << i;
  }
}

}  // namespace
}  // namespace lynx
