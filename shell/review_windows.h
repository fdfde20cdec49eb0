#pragma once
// The History and Statistics windows of a run, the mistake drill started
// from Statistics and the Game facts window: made when first asked for,
// shown beside the title or table window (never modal), History and
// Statistics brought up to date whenever a game has been kept: at once while
// shown, else when next shown.

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "engine/card.h"
#include "platform/history_store.h"
#include "platform/services.h"
#include "review/game_facts.h"

namespace lynx {

class BestPlayCache;
class ChartCache;
class DrillWindow;
class ErrorLogWindow;
class GameFactsWindow;
class HistoryWindow;
class StatisticsWindow;
class TablesCache;
struct TrainerChoice;

// The Game facts of a trainer table's game, pays and hands at coins a hand,
// and of the machine's own game at five coins.
GameFactsChoice FactsChoiceOf(const TrainerChoice& choice, int coins);
GameFactsChoice MachineFactsChoice(GameVariant game);

class ReviewWindows final : public QObject {
  Q_OBJECT
 public:
  // The coach's charts, whose lines the drill names; must outlive this.
  void UseCharts(ChartCache* cache) { charts = cache; }
  // services and tables must outlive this object; credits gives the credit
  // meter now.
  ReviewWindows(Services& services, TablesCache& tables, std::function<int()> credits,
                QObject* parent = nullptr);
  ~ReviewWindows() override;

  void ShowHistory();
  void ShowStatistics();
  // Deals the last mistakes again (the Statistics window's button).
  void ShowDrill();
  // Deals these hands in the drill (as DrillHands gives them, oldest first).
  void PractiseHands(std::vector<GameRecord> oldestFirst);
  // Every mistake of the history (the title menu, Statistics' button).
  void ShowErrorLog();
  // The facts of choice. over: a modal window the request came from (the
  // trainer's setup), which must leave the facts window free to use.
  void ShowGameFacts(const GameFactsChoice& choice, QWidget* over = nullptr);
  // A game was kept: the windows made read it (a hidden one when shown).
  // They read it a moment later, History first and Statistics after it, each
  // in a turn of the event loop of its own: the table shows the game first,
  // and no turn of the window thread does the work of all three windows.
  // Games kept in that moment are read together.
  void Refresh();
  // How long after a kept game History and Statistics read it, in ms.
  static constexpr int kHistoryDelayMs = 15;
  static constexpr int kStatisticsDelayMs = 30;

  HistoryWindow* History() const { return history.get(); }
  StatisticsWindow* Statistics() const { return statistics.get(); }
  DrillWindow* Drill() const { return drill.get(); }
  ErrorLogWindow* ErrorLog() const { return errorLog.get(); }
  GameFactsWindow* GameFacts() const { return facts.get(); }

 private:
  // Makes the drill unless it is there; true when it was made now.
  bool MakeDrill();

  Services& services;
  TablesCache& tables;
  ChartCache* charts = nullptr;
  std::function<int()> credits;
  std::unique_ptr<BestPlayCache> bestPlay;
  std::unique_ptr<HistoryWindow> history;
  std::unique_ptr<StatisticsWindow> statistics;
  std::unique_ptr<DrillWindow> drill;
  std::unique_ptr<ErrorLogWindow> errorLog;
  std::unique_ptr<GameFactsWindow> facts;
  bool historyDue = false;
  bool statisticsDue = false;
};

}  // namespace lynx
