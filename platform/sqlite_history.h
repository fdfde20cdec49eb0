#pragma once
// The game history in an SQLite file that players may also read with the
// sqlite3 tool: table games holds one row per settled game, in order of play.

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

#include "platform/history_store.h"

struct sqlite3;
struct sqlite3_stmt;
class QTimer;

namespace lynx {

class JournalSyncer;
class WalCheckpointer;

// The history file of the user: $XDG_DATA_HOME/lynx-video-poker/history.sqlite
// when that variable holds an absolute path, else
// ~/.local/share/lynx-video-poker/history.sqlite.
QString DefaultHistoryPath();

// The written forms of the games table, also used by the CSV export.
// "jacks", "joker" or "deuces".
QString GameText(GameVariant game);
// The variant a game name stands for, 0 for a name that is none of the three.
GameVariant GameFromText(const QString& text);
// Cards by their names, space separated: "AS KD 7C JK 2H"; "??" for a code
// that is no card.
QString CardsText(const CardCode* cards, int count);
QString HandText(const Hand& hand);
// UTC to the second: "2026-12-08T22:31:05Z".
QString TimeText(const QDateTime& time);

// The schema version this program writes (PRAGMA user_version).
inline constexpr int kHistorySchemaVersion = 8;
// The schema's migrations in order: entry i brings a file of version i to
// version i + 1 (entry 0 makes a new file's first version). For tools and
// tests that make files as earlier versions left them.
std::string_view HistoryMigration(int index);

// Opening the file (in the constructor):
//  - A missing file, and its folder, are made. An older schema is brought up to
//    date in one transaction.
//  - A file of a newer schema is only read: Problem() says so and nothing is
//    ever written into it.
//  - A damaged file (not a database, or failing SQLite's structure check, or a
//    database that is not a game history) is first looked at through a
//    read-only connection, so nothing is written into it; it is then renamed,
//    with its -wal and -shm files, to history.sqlite.corrupt-<yyyyMMddTHHmmssZ>
//    (UTC; "-2", "-3" ... added when that name is taken) and a new history is
//    started in its place. Problem() tells where it went while the new history
//    works. Damage first found later, by a query, is handled the same way; the
//    write that found it is then made in the new history.
//  - When the file cannot be opened or written (no permission, disk full, a
//    folder in its way) history is off: Problem() says why, writes do nothing,
//    reads give what can still be read, and play goes on.
// Every write is one transaction, in WAL mode with synchronous=FULL: once a
// write has returned, it survives a crash of the program or a power cut; a
// write that fails leaves the file as it was before it. After a failed write
// (disk full) history is off for the rest of the run: no later write is tried,
// so the journal in the file stays at the last write that succeeded. The
// write-ahead journal is copied into the file on a thread of its own
// (WalCheckpointer), not by the writes.
// The object never waits on another program's lock for longer than a few
// milliseconds (it is used from the window thread): a write that meets a lock
// (or a file that cannot be opened for writing because of one) is kept, and
// the kept writes are retried in order on a timer until the lock goes; reads
// go on meanwhile. Whatever is still kept when the object goes is tried once
// more, waiting up to two seconds.
// A file deleted or renamed away while the program runs is noticed at the
// next write: a new file is started at the path (or the file now there is
// used), the journal and the hands in progress are carried over, and
// Problem() says so.
// One object is used from one thread; another program may read and write the
// same file meanwhile.
// Hands read back by PendingHand are checked: a row with a stake outside 1..5,
// a hold mask outside 0..31 or a word that is not a card reads as no hand.
// So is the trainer's (PendingTrainerHand): a game the library does not
// have, a count of hands other than 1, 3, 5 and 10, pays that are not the
// game's row count of numbers (or not those of the table named, when this
// version knows it), or a deck that is not the game's cards with the hand
// dealt as its first five read as no hand.
class SqliteHistory final : public HistoryStore {
 public:
  enum class State {
    Working,   // reads and writes go to the file
    Waiting,   // another program holds the file's write lock: writes are kept
    ReadOnly,  // reads only: a newer schema, or writes failed
    Off,       // no file to read or write
  };

  // With offBecause not empty the file is not opened at all: history is off,
  // and Problem() says why ("The game history is off: <path>: offBecause.").
  // Building the running totals from the rows (after an upgrade, or after
  // another program changed the games) reports progress(done, total) now and
  // then; the caller may show it when it takes more than a moment.
  using BuildProgress = std::function<void(std::int64_t done, std::int64_t total)>;
  explicit SqliteHistory(const QString& path, const QString& offBecause = {},
                         BuildProgress progress = {});
  SqliteHistory(const QString& path, BuildProgress progress)
      : SqliteHistory(path, QString(), std::move(progress)) {}
  ~SqliteHistory() override;
  SqliteHistory(const SqliteHistory&) = delete;
  SqliteHistory& operator=(const SqliteHistory&) = delete;

  State CurrentState() const { return state; }
  const QString& Path() const { return path; }
  // Where a damaged file was moved this run; empty when none was.
  const QString& MovedAsideTo() const { return movedAsideTo; }
  // Writes kept while a lock is held, not yet in the file.
  std::size_t KeptWrites() const { return kept.size(); }
  bool WritesWaiting() const override { return !kept.empty(); }
  // Tries the kept writes now, in order (the timer calls it; so may tests).
  void RetryKeptWrites();

  QString Problem() const override { return problem; }
  void BeginSession() override;
  void MarkEnded(bool settingsSaved) override;
  std::optional<JournaledBalance> Balance() override;
  void SaveBalance(std::int32_t credits, std::int32_t borrowed, std::int64_t change) override;
  std::optional<HandInProgress> PendingHand(GameVariant game) override;
  void SaveHand(const HandInProgress& hand, std::int32_t credits, std::int32_t borrowed,
                std::int64_t change) override;
  void DropHands() override;
  std::optional<TrainerHandInProgress> PendingTrainerHand() override;
  void SaveTrainerHand(const TrainerHandInProgress& hand, std::int32_t credits,
                       std::int32_t borrowed, std::int64_t change) override;
  void DropTrainerHand() override;
  // A game played before BeginSession starts a session of its own.
  void RecordGame(GameRecord& game, std::int32_t borrowed, std::int64_t change) override;
  void RecordGames(std::vector<GameRecord>& games, std::int32_t borrowed,
                   std::int64_t change) override;
  void RecordPractice(GameRecord& game) override;
  std::vector<GameRecord> Games(std::int64_t offset, int limit) override;
  std::int64_t GameCount() override;
  void WhenOnDisk(QObject* context, std::function<void()> done) override;
  void WaitOnDisk() override;
  std::vector<GameRecord> Mistakes(int limit) override;
  GameStatistics Statistics(std::optional<GameVariant> game) override;
  std::vector<TableStatistics> TableTotals() override;
  std::vector<std::int32_t> BalanceSeries(int maxPoints) override;
  std::vector<SessionReturn> SessionReturns() override;
  ExportOutcome ExportCsv(const QString& path, const ExportProgress& progress) override;

  // For tests only: called inside every write transaction after each of its
  // statements with the statement's name ("session", "running", "ended",
  // "balance", "hand", "drop-hand", "drop-hands", "trainer-hand",
  // "drop-trainer-hand", "game", "totals", "table-totals", "session-totals",
  // "rows"), before COMMIT with "commit" and once it has returned with
  // "committed". Returning false before
  // the commit fails the write there, as a failing disk would.
  using StepHook = std::function<bool(std::string_view step)>;
  void SetStepHookForTests(StepHook hook) { stepHook = std::move(hook); }
  // For tests only: checkpoints of the journal made off this thread since the
  // file was last opened.
  int BackgroundCheckpointsForTests() const;
  // For tests only: syncs of the journal made off this thread since the file
  // was last opened (0 when the writer syncs its own commits).
  int BackgroundSyncsForTests() const;

 private:
  struct Finalize {
    void operator()(sqlite3_stmt* statement) const;
  };
  using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;
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
    friend class SqliteHistory;
    SqliteHistory* owner = nullptr;
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

  void Open();
  Verdict Examine(QString* why);
  bool OpenReadWrite(QString* why);
  bool OpenReadOnly(QString* why);
  bool Prepare(Statement& statement, const char* sql);
  bool Prepare(Reused& statement, const char* sql);
  bool PrepareWrites();
  void Close(bool checkpoint);
  bool MoveAside(QString* why);
  void Recover();
  void TurnOff(const QString& sentence);
  void StopWrites(const QString& sentence);

  bool Run(sqlite3_stmt* statement);
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
  // True while the file is the player's ledger: one this object writes (or
  // will write once a lock goes).
  bool Ledger() const;
  bool JournalBalance(std::int32_t credits, std::int32_t borrowed, std::int64_t change);
  void RememberFile();
  bool SameFileAsOpened() const;
  void FollowMovedFile();
  bool StartSession(std::int64_t* started);
  // A game to be written, with its written forms.
  struct KeptGame {
    GameRecord game;
    QString playedAt, name, dealt, final;
  };
  // Writes games in order in one transaction; with ledger (borrowed, change)
  // also the balance after the last and the end of the hands in progress
  // they came from.
  void KeepGames(const std::vector<GameRecord*>& games,
                 std::optional<std::pair<std::int32_t, std::int64_t>> ledger);
  // The games row and the totals it adds to; id is the row's.
  bool InsertGame(const KeptGame& kept, std::int64_t gameSession, std::int64_t* id);
  // The trainer_hand row read by PendingTrainerHand, when it is a hand.
  static std::optional<TrainerHandInProgress> TrainerHandOf(sqlite3_stmt* row);
  // True when the running totals are there and up to date; with mayBuild, a
  // stale set is built first. False means: sum the rows themselves.
  bool TotalsReady(bool mayBuild);
  bool BuildTotals();
  // BalanceSeries of a history long enough to be thinned by id; nothing for
  // a short one or one without totals.
  std::optional<std::vector<std::int32_t>> SampledBalance(int maxPoints);
  // Ends the kept series of SampledBalance with a game written as id.
  void Kept(const GameRecord& game, std::int64_t id);
  struct BalanceCache {
    int maxPoints = 0;
    std::int64_t through = 0;         // the last id the series has seen
    std::int64_t sampledThrough = 0;  // the last id when the points were looked up
    std::int64_t spacing = 1;         // ids between two points then
    std::vector<std::int32_t> series;
  };
  std::optional<BalanceCache> balanceCache;
  // TotalsReady for a read: built only in a file this run writes.
  bool UseTotals() { return TotalsReady(state == State::Working && !readOnlyFromStart); }
  static GameRecord GameOf(sqlite3_stmt* row);
  template <typename Result, typename Query>
  Result Read(Query query);

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

}  // namespace lynx
