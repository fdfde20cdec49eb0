// Every window of the program inside the work area, on four screens at four
// asked scales: the program runs each at the whole factor it would choose
// (this test starts itself once per screen and scale, on Qt's offscreen
// screen of that size), and there the machine table with its coach, All
// Holds and chart, the trainer at each hand count with its coach, setup, All
// Holds and chart, History, Statistics, the drill, Game facts, help and a
// message box must stand inside the screen, All Holds and the chart clear of
// each other.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "coach/tables_cache.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_help.h"
#include "platform/window_place.h"
#include "review/drill_window.h"
#include "review/game_facts_window.h"
#include "review/history_window.h"
#include "review/statistics_window.h"
#include "shell/pixel_scaling.h"
#include "shell/review_windows.h"
#include "table/chart_window.h"
#include "table/coach_panel.h"
#include "table/pay_editor.h"
#include "table/table_controls.h"
#include "table/table_window.h"
#include "table/trainer_window.h"
#include "tests/support/fakes.h"

namespace lynx {
namespace {

// Set for the run on one screen: the scales asked there, all of which the
// program runs at the same whole factor.
constexpr char kAskedVariable[] = "LYNX_PLACEMENT_ASKED";

std::string Text(const QRect& r) {
  return QStringLiteral("%1x%2+%3+%4")
      .arg(r.width())
      .arg(r.height())
      .arg(r.x())
      .arg(r.y())
      .toStdString();
}

class OnOneScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty(kAskedVariable))
      GTEST_SKIP() << "run for each screen by EveryScreenAndScale";
    area = WorkArea(nullptr);
    run.panelShown = true;
    fakes.screen.width = area.width();
    fakes.screen.height = area.height();
    values.credits = 1000;
  }
  void TearDown() override { SetStandardZoom(1); }

  // Shown and inside the work area.
  void ExpectInside(QWidget* window, const std::string& name) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << name;
    EXPECT_TRUE(area.contains(window->frameGeometry()))
        << name << " at " << Text(window->frameGeometry()) << " on " << Text(area);
  }
  // Clear of each other where the work area holds both, side by side or one
  // above the other.
  void ExpectApart(const QWidget* a, const QWidget* b, const std::string& name) {
    const QRect one = a->frameGeometry();
    const QRect other = b->frameGeometry();
    if (one.width() + other.width() > area.width() && one.height() + other.height() > area.height())
      return;
    EXPECT_FALSE(one.intersects(other))
        << name << ": " << Text(a->frameGeometry()) << " and " << Text(b->frameGeometry());
  }

  void EveryWindowStandsInsideTheWorkArea();

  QRect area;
  FakeServices fakes;
  ProgramValues values;
  TablesCache tables;
  CoachRun run;  // the machine's coach: its tables and charts are built once
};

TEST_F(OnOneScreen, EveryWindowAtEachScaleStandsInsideTheWorkArea) {
  for (const QString& asked : qEnvironmentVariable(kAskedVariable).split(QLatin1Char(','))) {
    SCOPED_TRACE(asked.toStdString());
    SetStandardZoom(asked.toDouble() / ScreenFactor(nullptr));
    EveryWindowStandsInsideTheWorkArea();
  }
}

void OnOneScreen::EveryWindowStandsInsideTheWorkArea() {
  for (const std::int16_t large : {0, 1}) {
    SCOPED_TRACE(large ? "large cards" : "small cards");
    values.largeCards = large;
    TableWindow table(values, fakes.services);
    auto* panel = new CoachPanel(table, kJacksOrBetter, run, fakes.services);
    table.ShowSidePanel(true);
    ExpectInside(&table, "table with the coach");
    panel->ShowAnalysis();
    panel->ShowChart();
    ExpectInside(panel->Analysis(), "All Holds");
    ExpectInside(panel->Chart(), "chart");
    ExpectApart(panel->Analysis(), panel->Chart(), "All Holds and chart");
  }

  const GameRules* rules = FindGame("double-double-bonus");
  const TrainerChoice choice{rules, "9/6", PaysOf(*rules, *FindTable(*rules, "9/6")), 1};
  TrainerWindow trainer(values, fakes.services, tables, choice);
  ExpectInside(&trainer, "trainer");
  const QSize size = trainer.size();
  for (const int hands : {3, 5, 10}) {
    TrainerChoice more = choice;
    more.hands = hands;
    ASSERT_TRUE(trainer.Choose(more));
    EXPECT_EQ(trainer.size(), size) << hands << " hands";
    ExpectInside(&trainer, std::to_string(hands) + " hands");
  }
  trainer.ShowCoach(true);
  ExpectInside(&trainer, "trainer with the coach");
  trainer.ShowCoach(false);
  trainer.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&trainer));

  TrainerSetupDialog setup(fakes.profile, tables, &trainer);
  ExpectInside(&setup, "setup");
  setup.close();
  trainer.ShowAllHolds();
  trainer.ShowChart();
  ExpectInside(trainer.AllHolds()->window(), "trainer's All Holds");
  ExpectInside(trainer.Chart(), "trainer's chart");
  ExpectApart(trainer.AllHolds()->window(), trainer.Chart(), "trainer's All Holds and chart");
  trainer.AllHolds()->window()->close();
  trainer.Chart()->close();

  ReviewWindows review(fakes.services, tables, [] { return 1000; });
  review.ShowHistory();
  ExpectInside(review.History(), "History");
  review.ShowStatistics();
  ExpectInside(review.Statistics(), "Statistics");
  review.ShowDrill();
  ExpectInside(review.Drill(), "drill");
  // Asked for from the trainer, beside it.
  trainer.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&trainer));
  review.ShowGameFacts(FactsChoiceOf(choice, 5));
  ExpectInside(review.GameFacts(), "Game facts");

  QtHelpViewer help;
  help.Open(QDir::temp().filePath(QStringLiteral("no-such-help.hlp")), 1);
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == QLatin1String("HelpWindow")) ExpectInside(window, "help");

  QtDialogs dialogs;
  bool boxSeen = false;
  QTimer::singleShot(0, &trainer, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    boxSeen = true;
    EXPECT_TRUE(area.contains(box->frameGeometry()))
        << "message box at " << Text(box->frameGeometry());
    box->close();
  });
  dialogs.Info(&trainer, QStringLiteral("LYNX Video Poker -- Trainer session"),
               SessionSummaryText(TrainerSession{}));
  EXPECT_TRUE(boxSeen);
}

// The run above once on each screen and whole factor the program takes there
// for the scales asked.
TEST(WindowPlacement, EveryScreenAndScale) {
  if (!qEnvironmentVariableIsEmpty(kAskedVariable)) GTEST_SKIP();
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  struct Run {
    QString name;
    std::unique_ptr<QProcess> process;
  };
  std::vector<Run> runs;
  for (const QSize screen :
       {QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080), QSize(2560, 1440)}) {
    const QString config =
        folder.filePath(QStringLiteral("%1x%2.json").arg(screen.width()).arg(screen.height()));
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral(R"({"synchronousWindowSystemEvents": true,
      "windowFrameMargins": false, "screens": [{"name": "screen", "x": 0, "y": 0,
      "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(screen.width())
                   .arg(screen.height())
                   .toUtf8());
    file.close();
    // 1.25, 1.5 and 2 all run at the whole factor 2 or, where the table does
    // not fit at it, 1.
    const std::pair<const char*, const char*> scales[] = {{"1", "1"}, {"1.25,1.5,2", "1.25"}};
    for (const auto& [asked, first] : scales) {
      const int whole = WholeFactorOnScreen(WholeScaleFactor(first).toInt(), screen);
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                         QStringLiteral("offscreen:configfile=") + config);
      environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(whole));
      environment.insert(QString::fromLatin1(kAskedVariable), QString::fromLatin1(asked));
      Run run{QStringLiteral("%1x%2 at %3 (whole %4)")
                  .arg(screen.width())
                  .arg(screen.height())
                  .arg(QLatin1String(asked))
                  .arg(whole),
              std::make_unique<QProcess>()};
      run.process->setProcessEnvironment(environment);
      run.process->setProcessChannelMode(QProcess::MergedChannels);
      runs.push_back(std::move(run));
    }
  }
  // Two at a time: the machine has two cores.
  for (std::size_t i = 0; i < runs.size(); i += 2) {
    for (std::size_t j = i; j < std::min(i + 2, runs.size()); ++j)
      runs[j].process->start(QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--gtest_filter=OnOneScreen.*")});
    for (std::size_t j = i; j < std::min(i + 2, runs.size()); ++j) {
      QProcess& p = *runs[j].process;
      ASSERT_TRUE(p.waitForFinished(300000)) << runs[j].name.toStdString();
      EXPECT_EQ(p.exitCode(), 0) << runs[j].name.toStdString() << "\n" << p.readAll().toStdString();
    }
  }
}

}  // namespace
}  // namespace lynx
