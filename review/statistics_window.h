#pragma once
// The statistics window: for each game and for all games the hands played,
// coins bet, credits won, the return and the biggest win; how often each pay
// row came up against how often it comes up with best play; the credit
// balance over the games played and the return of each session. The history
// can be exported as a CSV file from here. Non-modal: it may stay open beside
// the table. Every figure comes from the sums the store keeps, so the window
// costs the same whatever the number of games.

#include <QWidget>
#include <array>
#include <vector>

#include "engine/card.h"
#include "platform/history_store.h"
#include "platform/services.h"
#include "review/session_bars.h"

class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QShowEvent;
class QTabWidget;
class QTableView;
class QTableWidget;
class QVBoxLayout;

namespace lynx {

class BestPlayCache;
class CsvExport;
class PayRowsModel;
class SummaryModel;

class StatisticsWindow : public QWidget {
  Q_OBJECT
 public:
  // Every reference must outlive the window. The best-play figures missing
  // from bestPlay for a game played are asked for at once and shown when they
  // come. A top-level window even with a parent.
  StatisticsWindow(HistoryStore& store, Dialogs& dialogs, BestPlayCache& bestPlay,
                   QWidget* parent = nullptr);

  // The summary: the three games, then all games (SummaryModel's rows and
  // columns).
  QTableView* Summary() const { return summary; }
  // The trainer's figures, one row per game, pay table and hand count played
  // (the last tab beside the games' hand counts).
  QTableWidget* TrainerTables() const { return trainerTables; }
  // The pay-row table of game 1..3 (PayRowsModel's rows and columns).
  QTableView* Rows(GameVariant game) const { return rows[static_cast<std::size_t>(game - 1)]; }
  // Says how the best-play figures are worked out.
  QLabel* BestPlayNote() const { return note; }
  QTabWidget* RowTabs() const { return rowTabs; }
  QPushButton* ExportButton() const { return exportButton; }
  // Enabled while there are hands held worse than best play to practise.
  QPushButton* PractiseButton() const { return practiseButton; }
  // The strategy coach's figures over all games.
  QLabel* CoachFigures() const { return coachLine; }
  static constexpr int kPracticeHands = 50;
  // The credits after each game, x the number of the game.
  QLineSeries* BalanceLine() const { return balanceLine; }
  // The return in percent of each session shown (the last kSessionBars),
  // oldest first, with the session's number.
  SessionBars* Sessions() const { return sessionBars; }
  // The views of the two charts. To assistive technology each is one chart,
  // named by its title, whose description says in words what it shows.
  QChartView* BalanceView() const { return balanceView; }
  QWidget* SessionView() const { return sessionBars; }

  static constexpr int kBalancePoints = 300;
  static constexpr int kSessionBars = 30;

 signals:
  // "Practise my mistakes" was pressed.
  void PractiseRequested();
  // "Error log" was pressed.
  void ErrorLogRequested();

 public slots:
  // A game was kept: reads every figure again now while the window is shown,
  // else when it is next shown.
  void Refresh();
  // The same, a part in each turn of the event loop: the figures at once,
  // then the balance chart, the sessions chart and the trainer tables, each
  // laid out and painted before the next is read. What the window does after
  // a game kept during play, so the window thread never stops for all of it.
  void RefreshInTurns();
  // Asks for a file name and writes the whole history there as CSV.
  void ExportCsv();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The parts of the window, made in this order (which is the order Tab
  // takes).
  void MakeSummary(QVBoxLayout* left);
  void MakeRowTabs(QVBoxLayout* left);
  void MakeNoteAndButtons(QVBoxLayout* left);
  void MakeBalanceChart(QVBoxLayout* right);
  void MakeSessionBars(QVBoxLayout* right);
  // The tip over session bar index, or none (index -1).
  void ShowSessionTip(int index);

  void Read();
  void ReadFigures();
  void ShowBestPlay();
  void ShowBalance();
  void ShowSessions();
  void ShowCoachFigures();

  HistoryStore& store;
  Dialogs& dialogs;
  BestPlayCache& bestPlay;
  std::array<GameStatistics, 4> figures{};  // the three games, then all games
  std::vector<SessionReturn> sessionsShown;
  bool stale = false;  // a game was kept while the window was hidden

  QLabel* problem = nullptr;
  SummaryModel* summaryFigures = nullptr;
  QTableWidget* trainerTables = nullptr;
  void ShowTrainerTables();
  std::vector<TableStatistics> trainerShown;
  // The trainer's tables summed, counted in all games.
  GameStatistics trainerAll;
  QTableView* summary = nullptr;
  QTabWidget* rowTabs = nullptr;
  std::array<PayRowsModel*, 3> rowFigures{};
  std::array<QTableView*, 3> rows{};
  QLabel* note = nullptr;
  QPushButton* exportButton = nullptr;
  QPushButton* practiseButton = nullptr;
  QLabel* coachLine = nullptr;
  QChart* balanceChart = nullptr;
  QLineSeries* balanceLine = nullptr;
  SessionBars* sessionBars = nullptr;
  QChartView* balanceView = nullptr;
  CsvExport* csvExport = nullptr;  // the export running, a child of the window
};

}  // namespace lynx
