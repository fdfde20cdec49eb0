#include "shell/review_windows.h"

#include "review/best_play_cache.h"
#include "review/drill_window.h"
#include "review/history_window.h"
#include "review/statistics_window.h"

namespace lynx {

namespace {

void Raise(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace

ReviewWindows::ReviewWindows(Services& services, TablesCache& tables, std::function<int()> credits,
                             QObject* parent)
    : QObject(parent),
      services(services),
      tables(tables),
      credits(std::move(credits)),
      bestPlay(std::make_unique<BestPlayCache>()) {}

// The windows go before the cache whose figures they may still wait for.
ReviewWindows::~ReviewWindows() {
  drill.reset();
  statistics.reset();
  history.reset();
}

void ReviewWindows::ShowHistory() {
  if (!history) {
    history = std::make_unique<HistoryWindow>(services.history);
    history->setAttribute(Qt::WA_QuitOnClose, false);
  }
  // A window shown again reads what was kept while it was hidden.
  Raise(*history);
}

void ReviewWindows::ShowStatistics() {
  if (!statistics) {
    statistics = std::make_unique<StatisticsWindow>(services.history, services.dialogs, *bestPlay);
    statistics->setAttribute(Qt::WA_QuitOnClose, false);
    connect(statistics.get(), &StatisticsWindow::PractiseRequested, this,
            &ReviewWindows::ShowDrill);
  }
  Raise(*statistics);
}

void ReviewWindows::ShowDrill() {
  if (!drill) {
    drill = std::make_unique<DrillWindow>(services.history, tables, services.random, credits);
    drill->UseCharts(charts);
    drill->setAttribute(Qt::WA_QuitOnClose, false);
    connect(drill.get(), &DrillWindow::Practised, this, &ReviewWindows::Refresh);
  }
  drill->Start();
  Raise(*drill);
}

// A window that is shown reads at once; a hidden one when it is next shown.
void ReviewWindows::Refresh() {
  if (history) history->Refresh();
  if (statistics) statistics->Refresh();
}

}  // namespace lynx
