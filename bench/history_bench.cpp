// The game history on a real file in /tmp: the writes of one game (each a
// synchronous transaction), opening a history of 100,000 games with what
// the history window reads first (the newest page, the sums, the balance
// curve and the sessions), and the CSV export of 250,000 games.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

#include "engine/deck.h"
#include "engine/evaluate.h"
#include "engine/paytable.h"
#include "platform/history_csv.h"
#include "platform/sqlite_history.h"

namespace {

using namespace lynx;

constexpr int kLongHistory = 100'000;
constexpr int kExportedHistory = 250'000;
constexpr int kGamesPerSession = 400;

QString BenchFolder() {
  return QStringLiteral("/tmp/lynx-history-bench-XXXXXX");
}

GameRecord SampleGame() {
  GameRecord game;
  game.game = kJacksOrBetter;
  game.coins = 5;
  game.dealt = {1, 14, 7, 21, 2};
  game.held = 0b00011;
  game.final = {1, 14, 9, 29, 42};
  game.row = 8;
  game.won = 5;
  game.creditsAfter = 100;
  return game;
}

// A settled game kept: /0 until RecordGame returns (the window thread's
// part), /1 until the game is on disk, the sync done by the journal's own
// thread (the time before its win is shown).
void BM_RecordGame(benchmark::State& state) {
  const bool onDisk = state.range(0) != 0;
  QTemporaryDir dir(BenchFolder());
  SqliteHistory history(dir.filePath("history.sqlite"));
  history.BeginSession();
  for (auto _ : state) {
    GameRecord game = SampleGame();
    history.RecordGame(game, 100, 0);
    if (onDisk) history.WaitOnDisk();
  }
  if (!history.Problem().isEmpty()) state.SkipWithError(history.Problem().toUtf8().constData());
}
BENCHMARK(BM_RecordGame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SaveHand(benchmark::State& state) {
  QTemporaryDir dir(BenchFolder());
  SqliteHistory history(dir.filePath("history.sqlite"));
  HandInProgress hand;
  SeededSource random(7);
  Shuffle(hand.deck, kJacksOrBetter, random);
  hand.dealt = DealHand(hand.deck);
  for (auto _ : state) history.SaveHand(hand, 95, 100, 0);
  if (!history.Problem().isEmpty()) state.SkipWithError(history.Problem().toUtf8().constData());
}
BENCHMARK(BM_SaveHand)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A history of games games of all three kinds, dealt and drawn from
// real shuffles, in sessions of kGamesPerSession; made once, with the store's
// own schema and one bulk transaction.
class LongHistory {
 public:
  explicit LongHistory(int games) : dir(BenchFolder()), path(dir.filePath("history.sqlite")) {
    { SqliteHistory schema(path); }
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* session = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO sessions (id, started_at) VALUES (?1, ?2)", -1, &session,
                       nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, "
                       "credits_after, demo, session) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, 0, ?10)",
                       -1, &insert, nullptr);
    SeededSource random(2024);
    Deck deck;
    QDateTime time = QDateTime::fromString("2026-01-01T12:00:00Z", Qt::ISODate);
    std::int64_t credits = 100;
    auto text = [](sqlite3_stmt* s, int index, const QString& value) {
      const QByteArray bytes = value.toUtf8();
      sqlite3_bind_text(s, index, bytes.constData(), static_cast<int>(bytes.size()),
                        SQLITE_TRANSIENT);
    };
    for (int i = 0; i < games; ++i) {
      const int sessionId = i / kGamesPerSession + 1;
      time = time.addSecs(7);
      if (i % kGamesPerSession == 0) {
        sqlite3_bind_int(session, 1, sessionId);
        text(session, 2, TimeText(time));
        sqlite3_step(session);
        sqlite3_reset(session);
      }
      const auto game = static_cast<GameVariant>(i % 3 + 1);
      Shuffle(deck, game, random);
      const Hand dealt = DealHand(deck);
      const int held = static_cast<int>(random.Next() * 32);
      const Hand final = DrawHand(deck, dealt, HoldMask::FromBits(static_cast<unsigned>(held)));
      const int coins = 1 + static_cast<int>(random.Next() * 5);
      const int row = ClassifyHand(final, game);
      const int won = Payout(game, row, coins);
      credits += won - coins;
      text(insert, 1, TimeText(time));
      text(insert, 2, GameText(game));
      sqlite3_bind_int(insert, 3, coins);
      text(insert, 4, HandText(dealt));
      sqlite3_bind_int(insert, 5, held);
      text(insert, 6, HandText(final));
      sqlite3_bind_int(insert, 7, row);
      sqlite3_bind_int(insert, 8, won);
      sqlite3_bind_int64(insert, 9, credits);
      sqlite3_bind_int(insert, 10, sessionId);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(session);
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  const QString& Path() const { return path; }

 private:
  QTemporaryDir dir;
  QString path;
};

const LongHistory& Long() {
  static const LongHistory history(kLongHistory);
  return history;
}

// Everything the history window needs before it shows: open (with the
// structure check), the first page, the sums, the curve and the sessions.
void BM_OpenLongHistoryAndFirstView(benchmark::State& state) {
  const QString path = Long().Path();
  for (auto _ : state) {
    SqliteHistory history(path);
    const auto page = history.Games(0, 100);
    const auto sums = history.Statistics(std::nullopt);
    const auto series = history.BalanceSeries(1000);
    const auto sessions = history.SessionReturns();
    if (page.size() != 100 || sums.hands != kLongHistory || series.size() != 1000 ||
        sessions.size() != kLongHistory / kGamesPerSession) {
      state.SkipWithError("the long history does not read back");
      break;
    }
  }
}
BENCHMARK(BM_OpenLongHistoryAndFirstView)->Unit(benchmark::kMillisecond);

// The parts of it, each on a history already open.
void BM_OpenLongHistory(benchmark::State& state) {
  const QString path = Long().Path();
  for (auto _ : state) SqliteHistory history(path);
}
BENCHMARK(BM_OpenLongHistory)->Unit(benchmark::kMillisecond);

template <typename Query>
void OnLongHistory(benchmark::State& state, Query query) {
  SqliteHistory history(Long().Path());
  for (auto _ : state) benchmark::DoNotOptimize(query(history));
}

void BM_FirstPage(benchmark::State& state) {
  OnLongHistory(state, [](SqliteHistory& h) { return h.Games(0, 100); });
}
BENCHMARK(BM_FirstPage)->Unit(benchmark::kMillisecond);

void BM_StatisticsAll(benchmark::State& state) {
  OnLongHistory(state, [](SqliteHistory& h) { return h.Statistics(std::nullopt); });
}
BENCHMARK(BM_StatisticsAll)->Unit(benchmark::kMillisecond);

void BM_StatisticsOneGame(benchmark::State& state) {
  OnLongHistory(state, [](SqliteHistory& h) { return h.Statistics(kJokerWild); });
}
BENCHMARK(BM_StatisticsOneGame)->Unit(benchmark::kMillisecond);

void BM_BalanceSeries(benchmark::State& state) {
  OnLongHistory(state, [](SqliteHistory& h) { return h.BalanceSeries(1000); });
}
BENCHMARK(BM_BalanceSeries)->Unit(benchmark::kMillisecond);

void BM_SessionReturns(benchmark::State& state) {
  OnLongHistory(state, [](SqliteHistory& h) { return h.SessionReturns(); });
}
BENCHMARK(BM_SessionReturns)->Unit(benchmark::kMillisecond);

// The whole CSV export of a history, as the statistics window runs it; the
// rate in wall-clock time, as the file is synced to disk at the end.
void BM_ExportCsv(benchmark::State& state) {
  static const LongHistory history(kExportedHistory);
  QTemporaryDir dir(BenchFolder());
  const QString csv = dir.filePath("games.csv");
  std::int64_t rows = 0;
  for (auto _ : state) {
    const auto outcome =
        ExportHistoryFileCsv(history.Path(), csv, [&rows](std::int64_t done, std::int64_t) {
          rows = done;
          return true;
        });
    if (outcome != HistoryStore::ExportOutcome::Written || rows != kExportedHistory) {
      state.SkipWithError("the export was not written");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kExportedHistory);
  state.counters["bytes"] = static_cast<double>(QFileInfo(csv).size());
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace
