// The trainer table's play cycle on the window thread: a ten-hand deal and
// its draw at the instant speed, the judgement of the deal included once the
// tables are built (built before timing), and the rows of the deal kept in a
// history file as the program keeps them.
//
//   build/release/bin/bench_trainer
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <memory>

#include "platform/sqlite_history.h"
#include "table/trainer_window.h"
#include "tests/support/fakes.h"

namespace {

using namespace lynx;

void BM_TrainerTenHandCycle(benchmark::State& state) {
  const GameRules& rules = *FindGame("double-double-bonus");
  FakeServices fakes;
  fakes.profile.values["trainer/speed"] = "instant";
  QTemporaryDir dir;
  SqliteHistory history(dir.filePath(QStringLiteral("history.sqlite")));
  ProgramValues values;
  values.credits = 1'000'000'000;
  values.soundOn = 0;
  TablesCache tables;
  tables.Wait(rules);
  TrainerWindow window(values, fakes.services, tables,
                       {&rules, "9/6", PaysOf(rules, *FindTable(rules, "9/6")), 10});
  std::int64_t change = 0;
  QObject::connect(&window, &TrainerWindow::HandChanged, [&](const TrainerHandInProgress& hand) {
    history.SaveTrainerHand(hand, values.credits, values.borrowed, ++change);
  });
  QObject::connect(&window, &TrainerWindow::GamesSettled, [&](const std::vector<GameRecord>& rows) {
    std::vector<GameRecord> games = rows;
    history.RecordGames(games, values.borrowed, ++change);
  });
  window.show();
  QApplication::processEvents();
  window.BetMax();
  window.DealOrDraw();
  for (auto _ : state) {
    window.BetMax();  // deals
    window.Hint();
    window.DealOrDraw();
    // What the window has to paint before the next key.
    window.repaint();
  }
  state.counters["hands"] = static_cast<double>(window.Session().hands);
}
BENCHMARK(BM_TrainerTenHandCycle)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
