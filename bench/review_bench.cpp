// The review windows on a long history file: opening the History and
// Statistics windows, what a game kept costs each while it is shown, and
// scrolling the history down a page. The file comes from make_long_history
// (a million games by default):
//
//   build/release/bin/make_long_history /tmp/long.sqlite
//   LYNX_LONG_HISTORY=/tmp/long.sqlite build/release/bin/bench_review
//
// The benchmarks work on a copy of it, since keeping games writes into it.
// Best play is left out (an analysis that answers at once): it is worked out
// once per run in the background, whatever the history.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "coach/coach.h"
#include "platform/qt_dialogs.h"
#include "platform/sqlite_history.h"
#include "review/best_play_cache.h"
#include "review/error_log_window.h"
#include "review/history_window.h"
#include "review/statistics_window.h"
#include "tests/support/hand_text.h"

namespace {

using namespace lynx;

// The copy of the long history, made once; empty when there is none.
const QString& HistoryCopy() {
  static QTemporaryDir dir;
  static const QString path = [] {
    const QString source = qEnvironmentVariable("LYNX_LONG_HISTORY");
    const QString copy = dir.filePath(QStringLiteral("history.sqlite"));
    return !source.isEmpty() && QFile::copy(source, copy) ? copy : QString();
  }();
  return path;
}

// The store on the copy and the best-play figures, made in main() after the
// application and gone before it.
std::unique_ptr<SqliteHistory> store;
std::unique_ptr<BestPlayCache> cache;

SqliteHistory* Store(benchmark::State& state) {
  if (!store) state.SkipWithError("set LYNX_LONG_HISTORY to a file make_long_history wrote");
  return store.get();
}

BestPlayCache& Cache() {
  return *cache;
}

// A game as the table keeps one: every card held, no win.
void KeepGame(SqliteHistory& history) {
  static std::int64_t change = 1'000'000;
  GameRecord game;
  game.game = kJacksOrBetter;
  game.coins = 1;
  game.dealt = game.final = testing_support::H("2C 3D 4H 5S 7C");
  game.held = 31;
  game.creditsAfter = 100;
  history.RecordGame(game, 0, ++change);
}

void Settle() {
  QCoreApplication::processEvents();
}

void BM_OpenStatistics(benchmark::State& state) {
  SqliteHistory* history = Store(state);
  if (history == nullptr) return;
  QtDialogs dialogs;
  for (auto _ : state) {
    StatisticsWindow window(*history, dialogs, Cache());
    window.show();
    Settle();
  }
}
BENCHMARK(BM_OpenStatistics)->Unit(benchmark::kMillisecond);

// A game kept with Statistics open, each in a session of its own when
// newSession (its bar moves the others along).
void TimeGamesKept(benchmark::State& state, bool newSession) {
  SqliteHistory* history = Store(state);
  if (history == nullptr) return;
  QtDialogs dialogs;
  StatisticsWindow window(*history, dialogs, Cache());
  window.show();
  Settle();
  for (auto _ : state) {
    state.PauseTiming();
    if (newSession) history->BeginSession();
    KeepGame(*history);
    state.ResumeTiming();
    window.Refresh();
    Settle();
  }
}

void BM_StatisticsGameKept(benchmark::State& state) {
  TimeGamesKept(state, false);
}
BENCHMARK(BM_StatisticsGameKept)->Unit(benchmark::kMillisecond);

// The first game of a run.
void BM_StatisticsSessionBegun(benchmark::State& state) {
  TimeGamesKept(state, true);
}
BENCHMARK(BM_StatisticsSessionBegun)->Unit(benchmark::kMillisecond);

void BM_OpenHistory(benchmark::State& state) {
  SqliteHistory* history = Store(state);
  if (history == nullptr) return;
  for (auto _ : state) {
    HistoryWindow window(*history);
    window.show();
    Settle();
  }
}
BENCHMARK(BM_OpenHistory)->Unit(benchmark::kMillisecond);

// The error log: every mistake read and shown (the charts' lines come later,
// in the background, and are not waited for).
void BM_OpenErrorLog(benchmark::State& state) {
  SqliteHistory* history = Store(state);
  if (history == nullptr) return;
  QtDialogs dialogs;
  TablesCache tables;
  for (auto _ : state) {
    ErrorLogWindow window(*history, dialogs, tables);
    window.Reload();
    window.show();
    Settle();
    state.counters["mistakes"] = static_cast<double>(window.Mistakes().size());
  }
}
BENCHMARK(BM_OpenErrorLog)->Unit(benchmark::kMillisecond);

void BM_ReadMistakes(benchmark::State& state) {
  SqliteHistory* history = Store(state);
  if (history == nullptr) return;
  for (auto _ : state) benchmark::DoNotOptimize(ReadMistakes(*history));
}
BENCHMARK(BM_ReadMistakes)->Unit(benchmark::kMillisecond);

void BM_StoreMistakes(benchmark::State& state) {
  SqliteHistory* history = Store(state);
  if (history == nullptr) return;
  for (auto _ : state) benchmark::DoNotOptimize(history->Mistakes(1 << 30));
}
BENCHMARK(BM_StoreMistakes)->Unit(benchmark::kMillisecond);

// One filter changed: the list, the totals per line and the summary again.
void BM_ErrorLogFilters(benchmark::State& state) {
  SqliteHistory* history = Store(state);
  if (history == nullptr) return;
  QtDialogs dialogs;
  TablesCache tables;
  ErrorLogWindow window(*history, dialogs, tables);
  window.Reload();
  window.show();
  Settle();
  int pick = 0;
  for (auto _ : state) {
    window.GameChoice()->setCurrentIndex(pick++ % window.GameChoice()->count());
    Settle();
  }
}
BENCHMARK(BM_ErrorLogFilters)->Unit(benchmark::kMillisecond);

void BM_HistoryGameKept(benchmark::State& state) {
  SqliteHistory* history = Store(state);
  if (history == nullptr) return;
  HistoryWindow window(*history);
  window.show();
  Settle();
  for (auto _ : state) {
    state.PauseTiming();
    KeepGame(*history);
    state.ResumeTiming();
    window.Refresh();
    Settle();
  }
}
BENCHMARK(BM_HistoryGameKept)->Unit(benchmark::kMillisecond);

// The list scrolled to its end: the next older page is read and shown.
void BM_HistoryScrollsAPage(benchmark::State& state) {
  SqliteHistory* history = Store(state);
  if (history == nullptr) return;
  HistoryWindow window(*history);
  window.show();
  Settle();
  for (auto _ : state) {
    window.List()->scrollToBottom();
    Settle();
  }
  state.counters["rows"] = window.Games()->rowCount();
}
BENCHMARK(BM_HistoryScrollsAPage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Opening it builds the store's sums once when they are missing; not timed.
  if (!HistoryCopy().isEmpty()) store = std::make_unique<SqliteHistory>(HistoryCopy(), &IsMistake);
  cache = std::make_unique<BestPlayCache>([](GameVariant game) {
    StakeReturns figures;
    for (GameReturn& f : figures) f.variant = game;
    return figures;
  });
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  cache.reset();
  store.reset();
  return 0;
}
