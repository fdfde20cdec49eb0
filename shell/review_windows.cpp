#include "shell/review_windows.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include "look/widget_look.h"
#include "platform/window_place.h"
#include "review/best_play_cache.h"
#include "review/drill_window.h"
#include "review/error_log_window.h"
#include "review/game_facts_window.h"
#include "review/history_window.h"
#include "review/statistics_window.h"
#include "table/pay_editor.h"
#include "table/table_controls.h"

namespace lynx {

namespace {

// A window opened for the first time stands beside the window it was asked
// from (the table, the title window), not over it, and inside the screen;
// no smaller than least where it must cover some of it.
void Raise(QWidget& window, bool first, QSize least = QSize(Zoomed(480), Zoomed(360))) {
  const QWidget* from = QApplication::activeWindow();
  if (first && from != nullptr && from != &window) {
    PlaceBeside(&window, *from, least);
  } else if (first) {
    PlaceInside(&window, nullptr);
  }
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace

GameFactsChoice FactsChoiceOf(const TrainerChoice& choice, int coins) {
  GameFactsChoice facts;
  facts.rules = choice.rules;
  facts.pays = choice.pays;
  facts.table = choice.table;
  facts.coins = coins;
  facts.hands = choice.hands;
  return facts;
}

GameFactsChoice MachineFactsChoice(GameVariant game) {
  GameFactsChoice facts;
  facts.rules = &MachineRules(game);
  facts.pays = MachinePays(game);
  facts.table = "machine";
  facts.coins = kMaxCoins;
  facts.hands = 1;
  return facts;
}

ReviewWindows::ReviewWindows(Services& services, TablesCache& tables, std::function<int()> credits,
                             QObject* parent)
    : QObject(parent),
      services(services),
      tables(tables),
      credits(std::move(credits)),
      bestPlay(std::make_unique<BestPlayCache>()) {}

// The windows go before the cache whose figures they may still wait for.
ReviewWindows::~ReviewWindows() {
  errorLog.reset();
  facts.reset();
  drill.reset();
  statistics.reset();
  history.reset();
}

void ReviewWindows::ShowHistory() {
  const bool first = !history;
  if (first) {
    history = std::make_unique<HistoryWindow>(services.history);
    history->setAttribute(Qt::WA_QuitOnClose, false);
  }
  // A window shown again reads what was kept while it was hidden.
  Raise(*history, first);
}

void ReviewWindows::ShowStatistics() {
  const bool first = !statistics;
  if (first) {
    statistics = std::make_unique<StatisticsWindow>(services.history, services.dialogs, *bestPlay);
    statistics->setAttribute(Qt::WA_QuitOnClose, false);
    connect(statistics.get(), &StatisticsWindow::PractiseRequested, this,
            &ReviewWindows::ShowDrill);
    connect(statistics.get(), &StatisticsWindow::ErrorLogRequested, this,
            &ReviewWindows::ShowErrorLog);
  }
  Raise(*statistics, first);
}

void ReviewWindows::ShowDrill() {
  const bool first = MakeDrill();
  drill->Start();
  Raise(*drill, first);
}

void ReviewWindows::PractiseHands(std::vector<GameRecord> oldestFirst) {
  const bool first = MakeDrill();
  drill->StartWith(std::move(oldestFirst));
  Raise(*drill, first);
}

bool ReviewWindows::MakeDrill() {
  if (drill) return false;
  drill = std::make_unique<DrillWindow>(services.history, tables, services.random, credits);
  drill->UseCharts(charts);
  drill->setAttribute(Qt::WA_QuitOnClose, false);
  connect(drill.get(), &DrillWindow::Practised, this, &ReviewWindows::Refresh);
  connect(drill.get(), &DrillWindow::LineDecided, this,
          [this](const QString& line, bool right, qint64 milliseconds) {
            if (errorLog) errorLog->NoteLineDecision(line, right, milliseconds);
          });
  return true;
}

void ReviewWindows::ShowErrorLog() {
  const bool first = !errorLog;
  if (first) {
    errorLog = std::make_unique<ErrorLogWindow>(services.history, services.dialogs, tables);
    errorLog->setAttribute(Qt::WA_QuitOnClose, false);
    connect(errorLog.get(), &ErrorLogWindow::PractiseRequested, this,
            &ReviewWindows::PractiseHands);
    connect(errorLog.get(), &ErrorLogWindow::LinePractiseRequested, this,
            [this](std::vector<GameRecord> fresh, std::vector<QString> lines) {
              const bool made = MakeDrill();
              drill->StartLines(std::move(fresh), std::move(lines));
              Raise(*drill, made);
            });
  }
  // Read afresh each time it is asked for: mistakes may have been made since.
  errorLog->Reload();
  Raise(*errorLog, first);
}

void ReviewWindows::ShowGameFacts(const GameFactsChoice& choice, QWidget* over) {
  const bool first = !facts;
  if (first) {
    facts = std::make_unique<GameFactsWindow>(tables);
    facts->setAttribute(Qt::WA_QuitOnClose, false);
  }
  facts->ShowChoice(choice);
  // A window made the transient child of a modal one takes input beside it;
  // opened from anywhere else it stands on its own again.
  facts->winId();
  if (QWindow* window = facts->windowHandle())
    window->setTransientParent(over != nullptr ? over->window()->windowHandle() : nullptr);
  // Its figures side by side read only at about their full size.
  Raise(*facts, first, facts->size());
}

// A window that is shown reads the game; a hidden one when it is next shown.
void ReviewWindows::Refresh() {
  if (!historyDue) {
    historyDue = true;
    QTimer::singleShot(kHistoryDelayMs, this, [this] {
      historyDue = false;
      if (history) history->Refresh();
    });
  }
  if (!statisticsDue) {
    statisticsDue = true;
    QTimer::singleShot(kStatisticsDelayMs, this, [this] {
      statisticsDue = false;
      if (statistics) statistics->RefreshInTurns();
    });
  }
}

}  // namespace lynx
