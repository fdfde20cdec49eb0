#include "shell/history_recorder.h"

#include <algorithm>
#include <cstdint>

#include "coach/coach.h"
#include "shell/settings.h"
#include "table/table_window.h"
#include "table/trainer_window.h"

namespace lynx {

namespace {

// Every judged game is kept with the coach's verdict on its hold, given here
// where both tables' games pass: the store keeps what it is given and knows
// no rule of its own.
void GiveVerdict(GameRecord& game) {
  game.mistake = game.bestEv && game.heldEv && IsMistake(*game.bestEv, *game.heldEv);
}

}  // namespace

HistoryRecorder::HistoryRecorder(ProgramValues& values, Services& services, QObject* parent)
    : QObject(parent), values(values), services(services) {}

void HistoryRecorder::Start(QWidget* dialogParent) {
  HistoryStore& store = services.history;
  store.BeginSession();
  // Every hand left dealt, so that the stakes in play are known from the start.
  for (const GameVariant game : {kJacksOrBetter, kJokerWild, kDeucesWild})
    if (pending.find(game) == pending.end()) pending[game] = store.PendingHand(game);
  if (!trainerPending) trainerPending = store.PendingTrainerHand();
  CountStakes();
  store.SaveBalance(values.credits, values.borrowed, NextChange());
  AfterWrite(dialogParent);
}

void HistoryRecorder::CountStakes() {
  std::int64_t stakes = 0;
  for (const auto& [game, hand] : pending)
    if (hand) stakes += hand->coins;
  if (trainerPending && *trainerPending)
    stakes += std::int64_t{(*trainerPending)->coins} * (*trainerPending)->hands;
  values.stakesInPlay = static_cast<std::int32_t>(std::min<std::int64_t>(stakes, INT32_MAX));
}

void HistoryRecorder::AfterWrite(QWidget* parent) {
  if (services.history.WritesWaiting()) {
    // Only the memory holds what was written since the lock began: the
    // settings file keeps the balance too, so that a kill loses no credit.
    KeepBalanceWhileHistoryWaits(values, services);
    if (!toldWaiting) {
      toldWaiting = true;
      services.dialogs.Exclaim(
          parent, QString::fromStdString(values.programTitle),
          tr("Another program is using the game history file, so your games are kept in memory "
             "and written to it once that program lets go.  Meanwhile your balance is also saved "
             "in the settings file after every game."));
    }
  } else {
    toldWaiting = false;
  }
  TellProblemOnce(parent);
}

void HistoryRecorder::Attach(TableWindow& table) {
  HistoryStore& store = services.history;
  const GameVariant game = values.gameVariant;
  // Once this run has dealt or settled a game, the file may lag behind it
  // (its writes kept for a lock): only what this run knows counts then.
  std::optional<HandInProgress> left;
  if (const auto found = pending.find(game); found != pending.end())
    left = found->second;
  else
    left = store.PendingHand(game);
  if (left && !table.ResumeHand(*left)) {
    // Not a hand this table can take (a damaged record): it cannot be played.
    pending[game] = std::nullopt;
    CountStakes();
  }

  connect(&table, &TableWindow::HandChanged, this, [this, &table](const HandInProgress& hand) {
    pending[hand.game] = hand;
    CountStakes();
    services.history.SaveHand(hand, values.credits, values.borrowed, NextChange());
    AfterWrite(&table);
  });
  connect(&table, &TableWindow::GameSettled, this, [this, &table](const GameRecord& settled) {
    pending[settled.game] = std::nullopt;
    CountStakes();
    GameRecord game = settled;
    GiveVerdict(game);
    services.history.RecordGame(game, values.borrowed, NextChange());
    AfterWrite(&table);
    emit GameRecorded();
  });
  connect(&table, &TableWindow::CreditsAdded, this, [this, &table] {
    services.history.SaveBalance(values.credits, values.borrowed, NextChange());
    AfterWrite(&table);
  });
}

void HistoryRecorder::Attach(TrainerWindow& trainer) {
  const std::optional<TrainerHandInProgress> left =
      trainerPending ? *trainerPending : services.history.PendingTrainerHand();
  if (left && !trainer.ResumeHand(*left)) {
    trainerPending = std::nullopt;
    CountStakes();
  }

  connect(&trainer, &TrainerWindow::HandChanged, this,
          [this, &trainer](const TrainerHandInProgress& hand) {
            trainerPending = hand;
            CountStakes();
            services.history.SaveTrainerHand(hand, values.credits, values.borrowed, NextChange());
            AfterWrite(&trainer);
          });
  connect(&trainer, &TrainerWindow::GamesSettled, this,
          [this, &trainer](const std::vector<GameRecord>& settled) {
            trainerPending = std::optional<TrainerHandInProgress>();
            CountStakes();
            std::vector<GameRecord> games = settled;
            for (GameRecord& game : games) GiveVerdict(game);
            services.history.RecordGames(games, values.borrowed, NextChange());
            // The trainer shows its wins as soon as this returns.
            services.history.WaitOnDisk();
            AfterWrite(&trainer);
            emit GameRecorded();
          });
  connect(&trainer, &TrainerWindow::CreditsAdded, this, [this, &trainer] {
    services.history.SaveBalance(values.credits, values.borrowed, NextChange());
    AfterWrite(&trainer);
  });
}

void HistoryRecorder::DropHands() {
  for (const GameVariant game : {kJacksOrBetter, kJokerWild, kDeucesWild})
    pending[game] = std::nullopt;
  trainerPending = std::optional<TrainerHandInProgress>();
  CountStakes();
  services.history.DropHands();
}

void HistoryRecorder::Finish(bool settingsWritten) {
  // The save's own change number: the settings file holds the same balance.
  services.history.SaveBalance(values.credits, values.borrowed, values.ledgerChange);
  // A run whose balance is only in the journal did not end through the save.
  services.history.MarkEnded(settingsWritten);
}

void HistoryRecorder::TellProblemOnce(QWidget* parent) {
  const QString problem = services.history.Problem();
  if (problem.isEmpty() || problem == told) return;
  told = problem;
  services.dialogs.Exclaim(parent, QString::fromStdString(values.programTitle), problem);
}

}  // namespace lynx
