// How long the window thread stops while games are played with the History
// and Statistics windows and the coach shown, on a long history: a table, the
// history recorder, the review windows and the coach panel wired as the
// program wires them, on a copy of a history file (make_long_history), with
// the other services faked (no sound, no dialogs). A 1 ms timer notes the
// longest gap between its ticks while `draws` games are dealt and drawn, each
// step posted to the event loop as a player's key would be, 5 ms apart
// (LYNX_STALL_PACE_MS sets another pace).
//
//   build/release/bin/make_long_history /tmp/long.sqlite
//   QT_QPA_PLATFORM=offscreen build/release/bin/settle_stall /tmp/long.sqlite [draws]
//
// Prints the longest stall and how many gaps were over 5 ms, the longest single
// settle (the Draw call: reveal, record, the coach; the win is shown in a later
// turn, once the history's sync thread has the game on disk) and the mean
// settle, and the longest deal, in milliseconds; then the longest gap of the
// same timer over 3 s with nothing played just before: what the machine
// itself leaves. With
// LYNX_STALL_EVENTS=1 it also lists, for every gap over 5 ms, the events the
// window thread handled in it (receiver, event type, window), and the slowest
// events of the run: where a stall comes from.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

#include "coach/coach.h"
#include "common/program_values.h"
#include "platform/sqlite_history.h"
#include "shell/history_recorder.h"
#include "shell/review_windows.h"
#include "table/coach_panel.h"
#include "table/table_window.h"
#include "tests/support/fakes.h"

namespace {
// With LYNX_STALL_EVENTS set, the slowest events the window thread handled,
// by receiver and type: where a stall comes from.
struct TimedApplication : QApplication {
  using QApplication::QApplication;
  struct Slow {
    double ms;
    QString what;
    qint64 at = 0;
  };
  QElapsedTimer* clock = nullptr;
  std::vector<Slow> log;
  int depth = 0;
  std::vector<Slow> slowest;
  bool timing = false;
  bool notify(QObject* receiver, QEvent* event) override {
    if (!timing) return QApplication::notify(receiver, event);
    QElapsedTimer t;
    t.start();
    const int type = event->type();
    QString what =
        QStringLiteral("%1 (%2) event %3")
            .arg(QString::fromLatin1(receiver->metaObject()->className()), receiver->objectName())
            .arg(type);
    if (receiver->isWidgetType())
      what += QStringLiteral(" in ") +
              QString::fromLatin1(
                  static_cast<QWidget*>(receiver)->window()->metaObject()->className()) +
              QStringLiteral(" ") + QString::number(static_cast<QWidget*>(receiver)->width());
    const qint64 at = clock->elapsed();
    ++depth;
    const bool r = QApplication::notify(receiver, event);
    --depth;
    const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
    if (ms > 2.0) slowest.push_back({ms, what});
    if (ms > 0.3 && depth == 0) log.push_back({ms, what, at});
    return r;
  }
};
}  // namespace

int main(int argc, char** argv) {
  TimedApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: settle_stall HISTORY [DRAWS]\n");
    return 2;
  }
  const int draws = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
  // LYNX_STALL_IN_PLACE=1 plays into the file itself (to keep the totals
  // built by a first run); LYNX_STALL_WITHOUT=review,coach (or statistics,
  // history) leaves those out.
  const QByteArray without = qgetenv("LYNX_STALL_WITHOUT");
  QTemporaryDir dir;
  const QString copy = qEnvironmentVariableIsSet("LYNX_STALL_IN_PLACE")
                           ? QString::fromLocal8Bit(argv[1])
                           : dir.filePath(QStringLiteral("history.sqlite"));
  if (copy != QString::fromLocal8Bit(argv[1]) &&
      !QFile::copy(QString::fromLocal8Bit(argv[1]), copy)) {
    std::fprintf(stderr, "settle_stall: cannot copy %s\n", argv[1]);
    return 1;
  }
  {
    // The copy's pages on their way to the disk would lengthen the first
    // syncs of the play timed below (the file system writes them first).
    QFile written(copy);
    if (written.open(QIODevice::ReadOnly)) ::fsync(written.handle());
  }
  QElapsedTimer opening;
  opening.start();
  lynx::SqliteHistory history(copy, &lynx::IsMistake);
  std::printf("open the history: %lld ms (%s)\n", static_cast<long long>(opening.elapsed()),
              qPrintable(history.Problem().isEmpty() ? QStringLiteral("ok") : history.Problem()));

  lynx::FakeServices fakes;
  fakes.random.values = {0.13f, 0.71f, 0.42f, 0.05f, 0.88f, 0.3f, 0.61f};
  lynx::Services services{fakes.dialogs, fakes.sound,  fakes.profile, fakes.help,
                          fakes.screen,  fakes.random, history};
  lynx::ProgramValues values;
  // The balance the history journaled, as a start that resumes it takes it
  // (the balance chart goes on from its last game); enough for the draws.
  const std::optional<lynx::JournaledBalance> journaled = history.Balance();
  values.credits = std::max(journaled ? journaled->credits : 0, 5 * draws + 100);
  lynx::HistoryRecorder recorder(values, services);
  lynx::CoachRun coach;
  coach.panelShown = true;
  // Every Draw draws: no warning first for the costly holds of this play.
  coach.warn = false;
  lynx::ReviewWindows review(services, coach.tables, [&values] { return values.credits; });
  recorder.Start(nullptr);
  QObject::connect(&recorder, &lynx::HistoryRecorder::GameRecorded, &review,
                   &lynx::ReviewWindows::Refresh);

  lynx::TableWindow table(values, services);
  if (!without.contains("coach")) new lynx::CoachPanel(table, values.gameVariant, coach, services);
  recorder.Attach(table);
  table.show();
  QElapsedTimer windows;
  windows.start();
  if (!without.contains("review")) {
    if (!without.contains("statistics")) review.ShowStatistics();
    if (!without.contains("history")) review.ShowHistory();
  }
  std::printf("open Statistics and History: %lld ms\n", static_cast<long long>(windows.elapsed()));

  // The longest gap between ticks of a 1 ms timer.
  QElapsedTimer clock;
  clock.start();
  qint64 lastTick = clock.elapsed();
  qint64 longestGap = 0;
  int gapsOver5 = 0;
  QTimer ticker;
  ticker.setInterval(1);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    longestGap = std::max(longestGap, now - lastTick);
    if (now - lastTick > 5) ++gapsOver5;
    if (app.timing && now - lastTick > 5) {
      std::printf(" gap %lld ms at %lld:\n", now - lastTick, lastTick);
      for (const auto& e : app.log)
        if (e.at >= lastTick - 1)
          std::printf("    +%lld %.2f ms %s\n", e.at - lastTick, e.ms, qPrintable(e.what));
    }
    app.log.clear();
    lastTick = now;
  });

  // A step every 5 ms, 200 keys a second, unless LYNX_STALL_PACE_MS says
  // otherwise (40 is a key held down at the usual repeat of 25 a second).
  const int pace = qEnvironmentVariableIsSet("LYNX_STALL_PACE_MS")
                       ? std::max(0, qEnvironmentVariableIntValue("LYNX_STALL_PACE_MS"))
                       : 5;
  int played = 0;
  double longestSettle = 0;
  double longestDeal = 0;
  double settles = 0;
  // A deal or a draw whose rest waits for the disk takes the key after it
  // only then; the step waits for the table to show the last one's cards.
  bool dealNext = true;
  std::function<void()> step = [&] {
    if (played == draws) {
      app.quit();
      return;
    }
    if (table.State().dealt == dealNext) {
      QTimer::singleShot(pace, step);
      return;
    }
    dealNext = !dealNext;
    if (!dealNext) {
      QElapsedTimer deal;
      deal.start();
      table.BetMax();  // the fifth coin deals
      longestDeal = std::max(longestDeal, static_cast<double>(deal.nsecsElapsed()) / 1e6);
    } else {
      QElapsedTimer settle;
      settle.start();
      table.DealOrDraw();
      const double ms = static_cast<double>(settle.nsecsElapsed()) / 1e6;
      longestSettle = std::max(longestSettle, ms);
      if (app.timing && ms > 5) std::printf("  draw %d: %.2f ms\n", played, ms);
      settles += ms;
      ++played;
    }
    QTimer::singleShot(pace, step);
  };
  // The analyses the windows start in the background (best play of each
  // stake, the coach's tables) are given time to end first, unless
  // LYNX_STALL_WAIT_MS says otherwise: the figure is the steady play.
  const int wait = qEnvironmentVariableIsSet("LYNX_STALL_WAIT_MS")
                       ? qEnvironmentVariableIntValue("LYNX_STALL_WAIT_MS")
                       : 20000;
  // The same timer first ticks for a while with nothing played: the gaps
  // the machine itself leaves (other programs, the virtual machine's host).
  const int idle = 3000;
  qint64 idleGap = 0;
  int idleOver5 = 0;
  QElapsedTimer playing;
  QTimer::singleShot(std::max(0, wait - idle), [&] {
    lastTick = clock.elapsed();
    ticker.start();
  });
  QTimer::singleShot(wait, [&] {
    idleGap = longestGap;
    idleOver5 = gapsOver5;
    longestGap = 0;
    gapsOver5 = 0;
    lastTick = clock.elapsed();
    app.timing = qEnvironmentVariableIsSet("LYNX_STALL_EVENTS");
    app.clock = &clock;
    playing.start();
    step();
  });
  app.exec();
  std::printf(
      "%d draws: longest window-thread stall %lld ms (%d over 5 ms), longest settle %.2f ms, "
      "mean %.2f ms; longest deal %.2f ms\n",
      played, static_cast<long long>(longestGap), gapsOver5, longestSettle, settles / played,
      longestDeal);
  std::printf("idle for %d ms before: longest gap %lld ms (%d over 5 ms); the draws took %lld ms\n",
              std::min(idle, wait), static_cast<long long>(idleGap), idleOver5,
              static_cast<long long>(playing.elapsed()));
  std::sort(app.slowest.begin(), app.slowest.end(),
            [](const auto& a, const auto& b) { return a.ms > b.ms; });
  for (size_t i = 0; i < std::min<size_t>(app.slowest.size(), 25); ++i)
    std::printf("  %.2f ms %s\n", app.slowest[i].ms, qPrintable(app.slowest[i].what));
  return 0;
}
