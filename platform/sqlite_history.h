#pragma once
// The game history in an SQLite file that players may also read with the
// sqlite3 tool: table games holds one row per settled game, in order of play.

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/history_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace lynx {

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
inline constexpr int kHistorySchemaVersion = 4;

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
// so the journal in the file stays at the last write that succeeded.
// One object is used from one thread; another program (or a second copy of
// this one) may read and write the same file meanwhile.
// Hands read back by PendingHand are checked: a row with a stake outside 1..5,
// a hold mask outside 0..31 or a word that is not a card reads as no hand.
class SqliteHistory final : public HistoryStore {
 public:
  enum class State {
    Working,   // reads and writes go to the file
    ReadOnly,  // reads only: a newer schema, or writes failed
    Off,       // no file to read or write
  };

  explicit SqliteHistory(const QString& path);
  ~SqliteHistory() override;
  SqliteHistory(const SqliteHistory&) = delete;
  SqliteHistory& operator=(const SqliteHistory&) = delete;

  State CurrentState() const { return state; }
  const QString& Path() const { return path; }
  // Where a damaged file was moved this run; empty when none was.
  const QString& MovedAsideTo() const { return movedAsideTo; }

  QString Problem() const override { return problem; }
  void BeginSession() override;
  void MarkEndedCleanly() override;
  std::optional<JournaledBalance> Balance() override;
  void SaveBalance(std::int32_t credits, std::int32_t borrowed) override;
  std::optional<HandInProgress> PendingHand(GameVariant game) override;
  void SaveHand(const HandInProgress& hand, std::int32_t credits, std::int32_t borrowed) override;
  void DropHands() override;
  // A game played before BeginSession starts a session of its own.
  void RecordGame(GameRecord& game, std::int32_t borrowed) override;
  void RecordPractice(GameRecord& game) override;
  std::vector<GameRecord> Games(std::int64_t offset, int limit) override;
  std::int64_t GameCount() override;
  std::vector<GameRecord> Mistakes(int limit) override;
  GameStatistics Statistics(std::optional<GameVariant> game) override;
  std::vector<std::int32_t> BalanceSeries(int maxPoints) override;
  std::vector<SessionReturn> SessionReturns() override;

  // For tests only: called inside every write transaction after each of its
  // statements with the statement's name ("session", "running", "ended",
  // "balance", "hand", "drop-hand", "drop-hands", "game"), before COMMIT with
  // "commit" and once it has returned with "committed". Returning false before
  // the commit fails the write there, as a failing disk would.
  using StepHook = std::function<bool(std::string_view step)>;
  void SetStepHookForTests(StepHook hook) { stepHook = std::move(hook); }

 private:
  struct Finalize {
    void operator()(sqlite3_stmt* statement) const;
  };
  using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;
  enum class Verdict { Missing, Usable, Newer, Damaged, Foreign, Unreadable };

  void Open();
  Verdict Examine(QString* why);
  bool OpenReadWrite(QString* why);
  bool OpenReadOnly(QString* why);
  bool Prepare(Statement& statement, const char* sql);
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
  bool Write(const std::function<bool()>& body);
  bool StartSession(std::int64_t* started);
  // Writes game; with borrowed also the balance after it and the end of its
  // game's hand in progress.
  void Keep(GameRecord& game, const std::int32_t* borrowed);
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
  bool damaged = false;  // a statement found the file damaged
  int lastCode = 0;      // of the last failed statement
  StepHook stepHook;

  Statement begin, commit, rollback;
  Statement insertSession, setRunning, setEnded, saveBalance, saveHand, dropHand, dropHands,
      insertGame;
};

}  // namespace lynx
