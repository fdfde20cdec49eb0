#pragma once
// The strategy chart of the game and stake on the table, in a window beside
// it (G on the table): the lines numbered as the coach cites them, the line
// the hand on the table falls under marked, what playing by the chart returns
// against best play, and what its words mean.

#include <QFutureWatcher>
#include <QString>
#include <QWidget>
#include <map>
#include <utility>

#include "engine/strategy_chart.h"

class QLabel;
class QTableWidget;

namespace lynx {

class TablesCache;

class StrategyChartWindow final : public QWidget {
  Q_OBJECT
 public:
  // tables must outlive the window; parent: the table it stands beside.
  StrategyChartWindow(TablesCache& tables, QWidget* parent);
  ~StrategyChartWindow() override;

  // Shows chart (null while it is still being worked out) for game and
  // coins, with line (0 is the top line; -1 for none) marked.
  void Show(const StrategyChart* chart, GameVariant game, int coins, int line);
  // The same for a game of the library (the trainer): its title and deck
  // named as given, the legend of its family.
  void Show(const StrategyChart* chart, const QString& title, const QString& deck,
            GameVariant family, int coins, int line);

  QTableWidget* Lines() const { return lines; }
  QLabel* Caption() const { return caption; }
  QLabel* Figures() const { return figures; }
  int MarkedLine() const { return marked; }

 private:
  void ShowFigures();

  TablesCache& tables;
  QLabel* caption = nullptr;
  QTableWidget* lines = nullptr;
  QLabel* figures = nullptr;
  const StrategyChart* shown = nullptr;
  int marked = -1;
  // The chart's return against best play, worked out once per chart.
  std::map<const StrategyChart*, PlayedReturn> played;
  QFutureWatcher<PlayedReturn> working;
  const StrategyChart* workingOn = nullptr;
};

}  // namespace lynx
