#pragma once
// The game history: every settled game, and the journal that lets a game in
// progress and the credit balance survive any end of the program. Windows
// reach it only through this interface; the SQLite file behind it lives in
// platform/, and tests use a fake.

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/card.h"
#include "engine/deck.h"
#include "records/hand_in_progress.h"
#include "records/trainer_hand.h"

class QObject;

namespace lynx {

// One settled game (a draw that was paid), as stored. On the trainer table
// each hand of a deal is a game of its own, in the order the hands were
// drawn.
struct GameRecord {
  std::int64_t id = 0;  // given by the store, in order of play
  QDateTime playedAt;   // UTC; the store stamps it when left invalid
  // The machine's game; for a game of the library (libraryGame), its family
  // (GameRules::family).
  GameVariant game = kJacksOrBetter;
  int coins = 1;             // 1..5
  Hand dealt{};              // positions 1..5
  int held = 0;              // bit i set when position i+1 was held
  Hand final{};              // after the draw, positions 1..5
  int row = -1;              // pay-table row of the final hand, -1 for none
  int won = 0;               // credits paid
  int creditsAfter = 0;      // the credit meter once the game was settled
  bool demo = false;         // the deal was a demonstration hand
  std::int64_t session = 0;  // the run of the program it was played in
  // The coach's judgement of the deal, when there was one: the expected
  // credits for the stake of the best hold and of the hold played, and every
  // best hold mask in ascending order, comma-separated ("15,31").
  std::optional<double> bestEv;
  std::optional<double> heldEv;
  QString bestHolds;  // empty when the deal was not judged
  // The coach's verdict on the hold played, given with bestEv and heldEv by
  // whoever judged the deal: worth less than best play beyond the coach's tie
  // rule (its cost is then bestEv - heldEv). The store keeps it as given and
  // never works it out; a game that was not judged (a demonstration hand, or
  // bestEv or heldEv missing) has none and reads back false.
  bool mistake = false;
  // A practice hand of the mistake drill (demo is set too): nothing was bet
  // or paid, so the sums over play (Statistics, BalanceSeries,
  // SessionReturns) leave it out.
  bool practice = false;
  // The game of the library and its named pay table it was played on (as
  // lynx-analyze games names them: "double-double-bonus", "9/6"); both empty
  // for the machine's own game and table.
  // A table edited by the player is "custom".
  QString libraryGame;
  QString payTable;
  // The hands dealt at once from the same cards (1, 3, 5 or 10), each kept
  // as a row of its own; always 1 on the machine's own table.
  int hands = 1;
  // Set by the store on a row read back that is no game this program could
  // have played (see ValidRecord; the SQLite store also finds fields of the
  // wrong type). Such a row is listed as damaged and left out of every sum,
  // of Mistakes and of the drill.
  bool damaged = false;
  bool operator==(const GameRecord&) const = default;
};

// True when game holds what a game of this program can hold: game 1..3,
// coins 1..5, held 0..31, row -1 or one of the game's pay rows, dealt and
// final as ValidDraw checks them, and bestEv and heldEv (when there) from 0
// to the top prize for the stake. The damaged flag is not looked at.
// A game of the library (libraryGame not empty) is checked against that game
// (FindGame; an unknown one is no game): game its family, hands 1, 3, 5 or
// 10 (1 on the machine's table), a pay table named, dealt and final cards of
// the game's deck with the held ones kept, row the one ClassifyRules gives
// the final hand, bestEv and heldEv finite, from 0 and, on a table this
// version knows (FindTable), up to its top prize for the stake; a "custom"
// table (or one a later version added) bounds them by nothing.
bool ValidRecord(const GameRecord& game);

// The credit meter as last journaled.
struct JournaledBalance {
  std::int32_t credits = 0;
  std::int32_t borrowed = 0;
  // False when the run that wrote it ended without its normal save (a kill,
  // a crash, a power cut, a settings file that could not be written).
  bool endedCleanly = true;
  // The number of the balance change this is (ProgramValues::ledgerChange);
  // 0 in journals written before the number was kept.
  std::int64_t change = 0;
  // The run ended, but its save of the settings file failed.
  bool settingsUnsaved = false;
  bool operator==(const JournaledBalance&) const = default;
};

// Sums over settled games.
struct GameStatistics {
  std::int64_t hands = 0;
  std::int64_t coinsBet = 0;
  std::int64_t won = 0;
  int biggestWin = 0;
  std::array<std::int64_t, 11> rowCounts{};  // how often each pay row came up
  // Coins bet at each stake: [0] on one-coin games .. [4] on five-coin games.
  std::array<std::int64_t, 5> coinsByStake{};
  // The coach's sums over the games it judged (bestEv and heldEv known),
  // demonstration hands left out: coins bet on them, the expected credits
  // of the holds played and of best play, and the holds its verdict found
  // worse than best play (GameRecord::mistake) with the expected credits
  // they gave up.
  std::int64_t judged = 0;
  std::int64_t judgedCoins = 0;
  double heldEv = 0;
  double bestEv = 0;
  std::int64_t mistakes = 0;
  double mistakeCost = 0;
  bool operator==(const GameStatistics&) const = default;
};

// Sums over the games of the library played on one pay table with one count
// of hands per deal; each hand is a game. The coach's sums are taken as in
// GameStatistics.
struct TableStatistics {
  QString libraryGame, payTable;
  int hands = 1;
  std::int64_t games = 0, coinsBet = 0, won = 0;
  double bestEv = 0, heldEv = 0;
  std::int64_t judged = 0, mistakes = 0;
  double mistakeCost = 0;
  bool operator==(const TableStatistics&) const = default;
};

// What one run of the program bet and won.
struct SessionReturn {
  std::int64_t session = 0;
  QDateTime startedAt;  // UTC
  std::int64_t hands = 0;
  std::int64_t coinsBet = 0;
  std::int64_t won = 0;
  bool operator==(const SessionReturn&) const = default;
};

class HistoryStore {
 public:
  virtual ~HistoryStore() = default;

  // Empty while history works; else one sentence for the player saying why it
  // is off (cannot be opened, read-only, disk full, damaged and moved aside).
  // Once history is off, writes are ignored and the game goes on.
  virtual QString Problem() const = 0;

  // Starts a run: later games belong to a new session, and the journal says
  // the program is running (endedCleanly false until MarkEnded(true)).
  virtual void BeginSession() = 0;
  // Called by the normal save at the end of a run. With settingsSaved false
  // the settings file could not be written: the run does not count as ended
  // cleanly, and the journal says why.
  virtual void MarkEnded(bool settingsSaved) = 0;

  // The balance last journaled, or nothing when none was ever written or
  // the file is not one this program can write (a newer version's, a
  // read-only one): such a journal is not the player's ledger. After writes
  // failed during the run it is what the file holds for the next start.
  virtual std::optional<JournaledBalance> Balance() = 0;
  // Journals the credit meter (a bet taken, credits added, a loan paid off)
  // as balance change number change.
  virtual void SaveBalance(std::int32_t credits, std::int32_t borrowed, std::int64_t change) = 0;

  // The hand in progress of a game, if one was left dealt; nothing, like
  // Balance(), from a file this program cannot write.
  virtual std::optional<HandInProgress> PendingHand(GameVariant game) = 0;
  // Journals a hand just dealt (with the balance after its bet, as change
  // number change), or its new holds; one transaction.
  virtual void SaveHand(const HandInProgress& hand, std::int32_t credits, std::int32_t borrowed,
                        std::int64_t change) = 0;
  // Forgets every hand in progress, the trainer's too (the balance they were
  // bet from was not resumed).
  virtual void DropHands() = 0;

  // The trainer table's hand in progress, if one was left dealt (there is
  // one at most); nothing for a journal row that is no hand of a game of the
  // library, and, like Balance(), from a file this program cannot write.
  virtual std::optional<TrainerHandInProgress> PendingTrainerHand() = 0;
  // Journals the trainer's hand just dealt (with the balance after its
  // stake, as change number change), or its new holds, in place of any
  // before; one transaction.
  virtual void SaveTrainerHand(const TrainerHandInProgress& hand, std::int32_t credits,
                               std::int32_t borrowed, std::int64_t change) = 0;
  virtual void DropTrainerHand() = 0;

  // Records a settled game in one transaction (on disk once WhenOnDisk says
  // so; the system's cache has it when this returns): the
  // games row, the balance after it (as change number change), and the end
  // of its hand in progress (the trainer's for a game of the library). Fills
  // in playedAt (when invalid) and, once written, id and session of game.
  virtual void RecordGame(GameRecord& game, std::int32_t borrowed, std::int64_t change) = 0;
  // Records the hands of one deal as RecordGame does, in one transaction and
  // in order: each row with its own creditsAfter (the meter after its own
  // pay), the balance after the last, the end of the hands in progress they
  // came from. Fills in playedAt, id and session of each.
  virtual void RecordGames(std::vector<GameRecord>& games, std::int32_t borrowed,
                           std::int64_t change) = 0;

  // Runs done once every write so far is on disk: at once when it is (a
  // store that syncs each write before it returns), else later from the event
  // loop of context's thread, and never when context is gone by then.
  virtual void WhenOnDisk(QObject* context, std::function<void()> done) {
    static_cast<void>(context);
    done();
  }
  // Returns once every write so far is on disk.
  virtual void WaitOnDisk() {}
  // True while writes wait for another program's lock on the file: they are
  // kept in memory until it lets go, and a kill of the program meanwhile
  // loses them.
  virtual bool WritesWaiting() const { return false; }

  // Records a practice hand (demo and practice set, paying nothing): the
  // games row only, leaving the balance and every hand in progress as they
  // are.
  virtual void RecordPractice(GameRecord& game) = 0;

  // Settled games, newest first: at most limit of them after skipping offset.
  virtual std::vector<GameRecord> Games(std::int64_t offset, int limit) = 0;
  virtual std::int64_t GameCount() = 0;
  // The newest (at most limit) games, the machine's and the trainer's, that
  // were not demonstration hands and were held worse than best play, by the
  // verdict they were recorded with; newest first.
  virtual std::vector<GameRecord> Mistakes(int limit) = 0;
  // Sums over one of the machine's games, or over all three for nothing;
  // games of the library are summed by TableTotals.
  virtual GameStatistics Statistics(std::optional<GameVariant> game) = 0;
  // Sums over the games of the library, one entry per game, pay table and
  // count of hands played, ordered by those.
  virtual std::vector<TableStatistics> TableTotals() = 0;
  // The credit meter after each game (of the library too), oldest first,
  // thinned evenly to at most maxPoints values (the newest always kept).
  virtual std::vector<std::int32_t> BalanceSeries(int maxPoints) = 0;
  // Every session with at least one game (of any table), oldest first.
  virtual std::vector<SessionReturn> SessionReturns() = 0;

  // Writes every settled game, oldest first, as CSV to path (the columns and
  // forms of ExportHistoryCsv). Safe on a thread of its own while the store is
  // used elsewhere: it reads through a connection of its own. progress(done,
  // total) is called from that thread now and then; when it returns false the
  // export stops and no file is left at path. A file already at path is
  // replaced only by a whole export.
  enum class ExportOutcome { Written, Cancelled, Failed };
  using ExportProgress = std::function<bool(std::int64_t done, std::int64_t total)>;
  virtual ExportOutcome ExportCsv(const QString& path, const ExportProgress& progress) = 0;
};

}  // namespace lynx
