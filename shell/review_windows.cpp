#include "shell/review_windows.h"

#include "review/best_play_cache.h"
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

ReviewWindows::ReviewWindows(Services& services, QObject* parent)
    : QObject(parent), services(services), bestPlay(std::make_unique<BestPlayCache>()) {}

// The windows go before the cache whose figures they may still wait for.
ReviewWindows::~ReviewWindows() {
  statistics.reset();
  history.reset();
}

void ReviewWindows::ShowHistory() {
  if (!history) {
    history = std::make_unique<HistoryWindow>(services.history);
    history->setAttribute(Qt::WA_QuitOnClose, false);
  } else {
    history->Refresh();
  }
  Raise(*history);
}

void ReviewWindows::ShowStatistics() {
  if (!statistics) {
    statistics = std::make_unique<StatisticsWindow>(services.history, services.dialogs, *bestPlay);
    statistics->setAttribute(Qt::WA_QuitOnClose, false);
  } else {
    statistics->Refresh();
  }
  Raise(*statistics);
}

void ReviewWindows::Refresh() {
  if (history && history->isVisible()) history->Refresh();
  if (statistics && statistics->isVisible()) statistics->Refresh();
}

}  // namespace lynx
