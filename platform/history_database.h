#pragma once
// The inside of SqliteHistory, for platform's own history files only: the
// connection to the history file and everything kept about it. Its member
// functions are defined by concern:
//   history_connection.cpp  opening and closing the file, moving a damaged one
//                           aside, preparing statements
//   history_transactions.cpp  every write as one transaction, kept and tried
//                           again while another program holds a lock
//   history_schema.cpp      the schema, its upgrades, and the look at a file
//                           before it is opened
//   history_journal.cpp     sessions, the balance and the hands in progress
//   history_writes.cpp      the settled games
//   history_totals.cpp      the running totals and the balance series
//   history_reads.cpp       the games and sums read back
//   history_follow.cpp      a file deleted or replaced while the program runs

#include <sys/types.h>

#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/history_rows.h"
#include "platform/sqlite_history.h"
#include "platform/sqlite_statement.h"

struct sqlite3;
class QObject;
class QTimer;

namespace lynx {

class JournalSyncer;
class WalCheckpointer;

class HistoryDatabase {
 public:
  using State = SqliteHistory::State;
  using BuildProgress = SqliteHistory::BuildProgress;
  using StepHook = SqliteHistory::StepHook;

  HistoryDatabase(const QString& path, const QString& offBecause, BuildProgress progress,
                  MistakeRule olderRows);
  ~HistoryDatabase();
  HistoryDatabase(const HistoryDatabase&) = delete;
  HistoryDatabase& operator=(const HistoryDatabase&) = delete;

  // A column a history of some schema version must have.
  struct Column {
    const char* table;
    const char* name;
    int since;  // schema version
  };

  State CurrentState() const { return state; }
  const QString& Path() const { return path; }
  const QString& MovedAsideTo() const { return movedAsideTo; }
  const QString& Problem() const { return problem; }
  std::size_t KeptWrites() const { return kept.size(); }
  void RetryKeptWrites();
  void WhenOnDisk(QObject* context, std::function<void()> done);
  void WaitOnDisk();
  void SetStepHook(StepHook hook) { stepHook = std::move(hook); }
  int BackgroundCheckpoints() const;
  int BackgroundSyncs() const;

  // The journal (history_journal.cpp).
  void BeginSession();
  void MarkEnded(bool settingsSaved);
  std::optional<JournaledBalance> Balance();
  void SaveBalance(std::int32_t credits, std::int32_t borrowed, std::int64_t change);
  std::optional<HandInProgress> PendingHand(GameVariant game);
  void SaveHand(const HandInProgress& hand, std::int32_t credits, std::int32_t borrowed,
                std::int64_t change);
  void DropHands();
  std::optional<TrainerHandInProgress> PendingTrainerHand();
  void SaveTrainerHand(const TrainerHandInProgress& hand, std::int32_t credits,
                       std::int32_t borrowed, std::int64_t change);
  void DropTrainerHand();

  // Writes games in order in one transaction; with ledger (borrowed, change)
  // also the balance after the last and the end of the hands in progress
  // they came from (history_writes.cpp).
  void KeepGames(const std::vector<GameRecord*>& games,
                 std::optional<std::pair<std::int32_t, std::int64_t>> ledger);

  // Reads (history_reads.cpp).
  std::vector<GameRecord> Games(std::int64_t offset, int limit);
  std::int64_t GameCount();
  std::vector<GameRecord> Mistakes(int limit);
  GameStatistics Statistics(std::optional<GameVariant> game);
  std::vector<TableStatistics> TableTotals();
  std::vector<std::int32_t> BalanceSeries(int maxPoints);
  std::vector<SessionReturn> SessionReturns();

 private:
  // A read statement prepared once for the connection: a Reused takes it,
  // and gives it back reset, its bindings cleared, when it goes. Reads come
  // with every game kept; parsing their SQL each time cost more than running
  // it.
  struct Cached {
    Statement statement;
    bool taken = false;
  };
  class Reused {
   public:
    Reused() = default;
    Reused(const Reused&) = delete;
    Reused& operator=(const Reused&) = delete;
    ~Reused() { reset(); }
    sqlite3_stmt* get() const { return held; }
    void reset();

   private:
    friend class HistoryDatabase;
    HistoryDatabase* owner = nullptr;
    Cached* cached = nullptr;
    std::uint64_t generation = 0;
    sqlite3_stmt* held = nullptr;
    Statement own;  // when the cached one is taken already
  };
  enum class Verdict { Missing, Usable, Newer, Damaged, Foreign, Unreadable };
  enum class Outcome { Written, Locked, Failed };
  // A write: its statements (run inside one transaction) and what to do once
  // it is in the file. Both own everything they use, since a write may be
  // kept and run later.
  struct KeptWrite {
    std::function<bool()> body;
    std::function<void()> done;
  };
  // A game to be written, with its written forms.
  struct KeptGame {
    GameRecord game;
    QString playedAt, name, dealt, final;
  };
  // What a game adds to the coach's sums: the verdict it was recorded with,
  // when it was judged.
  struct GameVerdict {
    bool judged = false;
    bool mistake = false;
    double heldEv = 0, bestEv = 0, cost = 0;
  };
  // The journal and hands in progress of a file that went away (history_follow.cpp).
  struct Carried;
  // The series BalanceSeries worked out last, for a long history.
  struct BalanceCache {
    int maxPoints = 0;
    std::int64_t through = 0;         // the last id the series has seen
    std::int64_t sampledThrough = 0;  // the last id when the points were looked up
    std::int64_t spacing = 1;         // ids between two points then
    std::vector<std::int32_t> series;
  };

  // history_connection.cpp
  // Result codes of SQLite by what they mean here.
  static int PrimaryCode(int code);
  static bool DamageCode(int code);
  static bool LockCode(int code);
  // Why a statement failed, in a few words for the player.
  static QString Reason(int code);
  // A path as the player's system writes it.
  static QString Shown(const QString& path);
  // What every connection to the file is set up with, the rule for rows
  // kept without a verdict among it.
  void Configure(sqlite3* connection);
  void Open();
  bool OpenReadWrite(QString* why);
  bool OpenReadOnly(QString* why);
  bool Prepare(Statement& statement, const char* sql);
  bool Prepare(Reused& statement, const char* sql);
  void Close(bool checkpoint);
  bool MoveAside(QString* why);
  void Recover();
  void TurnOff(const QString& sentence);
  void StopWrites(const QString& sentence);

  // history_schema.cpp
  static bool HasColumn(sqlite3* connection, const Column& column);
  Verdict Examine(QString* why);
  // Brings the open file's schema up to date in one transaction.
  bool Upgrade();

  // history_transactions.cpp
  bool Run(sqlite3_stmt* statement);
  // Runs sql on the connection (no result rows).
  bool Exec(const char* sql);
  bool Step(std::string_view name);
  bool Failed(int code);
  QString FailureReason() const;
  bool Transaction(const std::function<bool()>& body);
  // Writes now, or keeps the write when the file is locked; true once written.
  bool Write(std::function<bool()> body, std::function<void()> done = {});
  Outcome Attempt(const std::function<bool()>& body);
  void Keep(KeptWrite write);
  bool Locked() const;
  void ScheduleRetry();
  template <typename Result, typename Query>
  Result Read(Query query);

  // history_journal.cpp
  // True while the file is the player's ledger: one this object writes (or
  // will write once a lock goes).
  bool Ledger() const;
  bool JournalBalance(std::int32_t credits, std::int32_t borrowed, std::int64_t change);
  bool StartSession(std::int64_t* started);
  // The trainer_hand row read by PendingTrainerHand, when it is a hand.
  static std::optional<TrainerHandInProgress> TrainerHandOf(sqlite3_stmt* row);

  // history_writes.cpp
  // The statements every write is made of, prepared once for each
  // connection that writes.
  struct WriteSql {
    Statement HistoryDatabase::*statement;
    const char* sql;
  };
  static const WriteSql kWrites[18];
  bool PrepareWrites();
  void ResetWrites();
  // The games row and the totals it adds to; id is the row's.
  bool InsertGame(const KeptGame& kept, std::int64_t gameSession, std::int64_t* id);
  void BindGame(const KeptGame& kept, std::int64_t gameSession, const GameVerdict& verdict);

  // history_totals.cpp
  static GameVerdict VerdictOf(const GameRecord& game);
  // Adds a game just written to the running totals.
  bool AddToTotals(const KeptGame& kept, std::int64_t gameSession, const GameVerdict& verdict);
  // True when the running totals are there and up to date; with mayBuild, a
  // stale set is built first. False means: sum the rows themselves.
  bool TotalsReady(bool mayBuild);
  bool BuildTotals();
  // TotalsReady for a read: built only in a file this run writes.
  bool UseTotals() { return TotalsReady(state == State::Working && !readOnlyFromStart); }
  // BalanceSeries of a history long enough to be thinned by id; nothing for
  // a short one or one without totals.
  std::optional<std::vector<std::int32_t>> SampledBalance(int maxPoints);
  // Ends the kept series of SampledBalance with a game written as id.
  void Kept(const GameRecord& game, std::int64_t id);

  // history_reads.cpp
  static GameRecord GameOf(sqlite3_stmt* row);

  // history_follow.cpp
  void RememberFile();
  bool SameFileAsOpened() const;
  void FollowMovedFile();
  std::shared_ptr<Carried> ReadCarried();
  bool WriteCarried(const Carried& carried, std::int64_t* started);

  QString path;
  QString problem;
  QString movedAsideTo;
  State state = State::Off;
  sqlite3* db = nullptr;
  std::int64_t session = 0;
  bool sessionBegun = false;
  bool damaged = false;            // a statement found the file damaged
  int lastCode = 0;                // of the last failed statement
  bool reopen = false;             // opened for reading only because of a lock
  bool finalTry = false;           // the last try of the kept writes, at the end
  bool readOnlyFromStart = false;  // opened for reading only: not the ledger
  std::deque<KeptWrite> kept;
  std::unique_ptr<QTimer> retryTimer;
  bool fileKnown = false;  // the file's identity, as opened
  dev_t fileDevice = 0;
  ino_t fileInode = 0;
  StepHook stepHook;
  BuildProgress buildProgress;
  MistakeRule olderRows = nullptr;
  std::optional<BalanceCache> balanceCache;
  // The journal is copied into the file off this thread while the file is
  // open for writing.
  std::unique_ptr<WalCheckpointer> checkpointer;
  // And synced to the disk off this thread, when the journal can be opened.
  std::unique_ptr<JournalSyncer> syncer;

  // Read statements by their SQL, for as long as db is open; the
  // generation counts the connections, so that a Reused outliving one
  // leaves the next alone.
  std::unordered_map<std::string, Cached> reused;
  std::uint64_t generation = 0;
  bool totalsColumn = false;  // totals_state.stale seen in this connection

  Statement begin, commit, rollback;
  Statement insertSession, setRunning, setEnded, setUnsaved, saveBalance, saveHand, dropHand,
      dropHands, saveTrainerHand, dropTrainerHand, insertGame, addTotals, addTableTotals,
      addSessionTotals, countRow;
};

template <typename Result, typename Query>
Result HistoryDatabase::Read(Query query) {
  Result result{};
  if (db == nullptr) return result;
  damaged = false;
  if (query(result)) return result;
  if (damaged) {
    Recover();
  } else if (state == State::Working && !Locked()) {
    StopWrites(QStringLiteral("The game history is off: the file %1 cannot be read (%2).")
                   .arg(Shown(path), FailureReason()));
  }
  return Result{};
}

}  // namespace lynx
