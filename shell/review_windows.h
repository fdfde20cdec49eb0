#pragma once
// The History and Statistics windows of a run: made when first asked for,
// shown beside the title or table window (never modal), refreshed whenever a
// game has been kept.

#include <QObject>
#include <memory>

#include "platform/history_store.h"
#include "platform/services.h"

namespace lynx {

class BestPlayCache;
class HistoryWindow;
class StatisticsWindow;

class ReviewWindows final : public QObject {
  Q_OBJECT
 public:
  // services must outlive this object.
  explicit ReviewWindows(Services& services, QObject* parent = nullptr);
  ~ReviewWindows() override;

  void ShowHistory();
  void ShowStatistics();
  // Re-reads the history into the windows that are open.
  void Refresh();

  HistoryWindow* History() const { return history.get(); }
  StatisticsWindow* Statistics() const { return statistics.get(); }

 private:
  Services& services;
  std::unique_ptr<BestPlayCache> bestPlay;
  std::unique_ptr<HistoryWindow> history;
  std::unique_ptr<StatisticsWindow> statistics;
};

}  // namespace lynx
