#pragma once
// Keeps every game: a table window's reports go to the history store, and the
// hands left dealt are kept here too, so that a hand comes back on the next
// visit to its game in this run even when the history file cannot be written.

#include <QObject>
#include <map>

#include "common/program_values.h"
#include "platform/history_store.h"
#include "platform/services.h"

class QWidget;

namespace lynx {

class TableWindow;
class TrainerWindow;

class HistoryRecorder final : public QObject {
  Q_OBJECT
 public:
  // values and services must outlive the recorder.
  HistoryRecorder(ProgramValues& values, Services& services, QObject* parent = nullptr);

  // The start of a run, after the settings were loaded: a new session, the
  // balance in memory journaled, and the player told once when history is
  // off. dialogParent may be null.
  void Start(QWidget* dialogParent);
  // Connects a freshly made table and puts back the hand left dealt in its
  // game, if any.
  void Attach(TableWindow& table);
  // The same for a trainer table: its hands go to the history, a deal of
  // several hands as one row each, and the hand it left dealt comes back.
  void Attach(TrainerWindow& trainer);
  // Forgets every hand left dealt: the balance they were bet from was not
  // resumed.
  void DropHands();
  // The end of a run, once the settings file has been saved: the balance as
  // saved, and, when the file was written, the run marked as ended cleanly.
  void Finish(bool settingsWritten);

 signals:
  // A settled game has been kept; windows that show the history refresh.
  void GameRecorded();

 private:
  void TellProblemOnce(QWidget* parent);
  // After every write: while the history's writes wait for a lock, the
  // balance goes to the settings file too, and the player is told once.
  void AfterWrite(QWidget* parent);
  // values.stakesInPlay from the hands left dealt.
  void CountStakes();
  // The number of the next change of the balance.
  std::int64_t NextChange() { return NextLedgerChange(values); }

  ProgramValues& values;
  Services& services;
  // The hand left dealt of each game this run has dealt, settled or dropped
  // (none once settled); the file is asked only about the other games.
  std::map<GameVariant, std::optional<HandInProgress>> pending;
  // The trainer's hand left dealt, once this run has dealt or settled one.
  std::optional<std::optional<TrainerHandInProgress>> trainerPending;
  QString told;              // the last problem told; each is told once
  bool toldWaiting = false;  // of the writes now waiting for a lock
};

}  // namespace lynx
