#pragma once
// The error log: every mistake of the whole history with its date, game,
// pays, hand, hold, best hold, cost and chart line; filters; totals per
// chart line, the costliest first; the shown mistakes as CSV, or dealt again
// in the drill. Reading and the charts are worked out in the background.

#include <QFutureWatcher>
#include <QThreadPool>
#include <QWidget>
#include <atomic>
#include <memory>
#include <vector>

#include "coach/tables_cache.h"
#include "platform/services.h"
#include "review/error_log.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;

namespace lynx {

class MistakeListModel;

class ErrorLogWindow final : public QWidget {
  Q_OBJECT
 public:
  // Every reference must outlive the window. A top-level window even with a
  // parent.
  ErrorLogWindow(HistoryStore& store, Dialogs& dialogs, TablesCache& tables,
                 QWidget* parent = nullptr);
  ~ErrorLogWindow() override;

  // Reads the mistakes again (in the background) and shows them.
  void Reload();

  const std::vector<LoggedMistake>& Mistakes() const { return mistakes; }
  const std::vector<int>& Shown() const { return shown; }
  ErrorFilter Filter() const;
  QComboBox* GameChoice() const { return gameChoice; }
  QComboBox* TableChoice() const { return tableChoice; }
  QComboBox* SessionChoice() const { return sessionChoice; }
  QComboBox* LineChoice() const { return lineChoice; }
  QDateEdit* FromDate() const { return fromDate; }
  QDateEdit* ToDate() const { return toDate; }
  QTableView* List() const { return list; }
  QTableWidget* Totals() const { return totals; }
  QLabel* Summary() const { return summary; }
  // Writes the shown mistakes to path; false (and a box) on failure.
  bool ExportTo(const QString& path);
  // A hand of line practice was drawn: counted beside the line's mistakes.
  void NoteLineDecision(const QString& line, bool right, qint64 milliseconds);
  const LinePracticeStats& Practice() const { return practice; }
  // Deals `hands` fresh hands for the lines (round in turn), on the game,
  // pays and stake of the newest shown mistake of each; they come with
  // LinePractiseRequested once worked out (in the background).
  void PractiseLines(const QStringList& lines, int hands = kLineHands);
  static constexpr int kLineHands = 20;

 signals:
  // "Practise these": the shown mistakes, oldest first.
  void PractiseRequested(std::vector<GameRecord> oldestFirst);
  // "Practise this line" and "Practise my costliest lines": fresh hands,
  // each with its line.
  void LinePractiseRequested(std::vector<GameRecord> fresh, std::vector<QString> lines);
  // A row was opened: its hand, game and pays.
  void AnalyseRequested(LoggedMistake mistake);
  // The mistakes were read (and shown); charts may still be on their way.
  void Loaded();

 private:
  void Show(std::vector<LoggedMistake> read);
  void FillChoices();
  void Apply();
  void MakeCharts();
  void Export();

  HistoryStore& store;
  Dialogs& dialogs;
  TablesCache& tables;
  std::vector<LoggedMistake> mistakes;
  std::vector<int> shown;
  LinePracticeStats practice;
  bool filling = false;  // the choices are being refilled: no filtering yet
  int generation = 0;    // of the mistakes read, so a late chart is dropped
  // Charts and line deals take seconds and spread over every core by
  // themselves: they run here, one at a time, and never take the threads of
  // Qt's global pool, which its painting of large pictures waits for.
  QThreadPool pool;
  std::vector<std::unique_ptr<QFutureWatcher<void>>> work;
  std::shared_ptr<std::atomic<bool>> stopCharts = std::make_shared<std::atomic<bool>>(false);

  QComboBox* gameChoice = nullptr;
  QComboBox* tableChoice = nullptr;
  QComboBox* sessionChoice = nullptr;
  QComboBox* lineChoice = nullptr;
  QDateEdit* fromDate = nullptr;
  QDateEdit* toDate = nullptr;
  QTableView* list = nullptr;
  MistakeListModel* model = nullptr;
  QTableWidget* totals = nullptr;
  QLabel* summary = nullptr;
  QPushButton* practise = nullptr;
  QPushButton* exportButton = nullptr;
  QPushButton* practiseLine = nullptr;
  QPushButton* practiseCostliest = nullptr;
};

}  // namespace lynx
