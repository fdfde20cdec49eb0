#pragma once
// The game history in an SQLite file that players may also read with the
// sqlite3 tool: table games holds one row per settled game, in order of play.
// This is the store's face; its inside (platform/history_database.h) is split
// by concern over platform/history_*.cpp.

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/history_rows.h"
#include "platform/history_store.h"

namespace lynx {

class HistoryDatabase;

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
  // Every game is recorded with its verdict (GameRecord::mistake); rows kept
  // without one (written before verdicts were kept, or by another program)
  // are judged by olderRows, the coach's rule as the program gives it, when
  // the totals are built and when a file this run cannot write is summed.
  // Without it such a row counts as judged and not a mistake.
  using BuildProgress = std::function<void(std::int64_t done, std::int64_t total)>;
  explicit SqliteHistory(const QString& path, const QString& offBecause = {},
                         BuildProgress progress = {}, MistakeRule olderRows = nullptr);
  SqliteHistory(const QString& path, BuildProgress progress, MistakeRule olderRows = nullptr)
      : SqliteHistory(path, QString(), std::move(progress), olderRows) {}
  SqliteHistory(const QString& path, MistakeRule olderRows)
      : SqliteHistory(path, QString(), BuildProgress(), olderRows) {}
  ~SqliteHistory() override;
  SqliteHistory(const SqliteHistory&) = delete;
  SqliteHistory& operator=(const SqliteHistory&) = delete;

  State CurrentState() const;
  const QString& Path() const;
  // Where a damaged file was moved this run; empty when none was.
  const QString& MovedAsideTo() const;
  // Writes kept while a lock is held, not yet in the file.
  std::size_t KeptWrites() const;
  bool WritesWaiting() const override { return KeptWrites() != 0; }
  // Tries the kept writes now, in order (the timer calls it; so may tests).
  void RetryKeptWrites();

  QString Problem() const override;
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
  void SetStepHookForTests(StepHook hook);
  // For tests only: checkpoints of the journal made off this thread since the
  // file was last opened.
  int BackgroundCheckpointsForTests() const;
  // For tests only: syncs of the journal made off this thread since the file
  // was last opened (0 when the writer syncs its own commits).
  int BackgroundSyncsForTests() const;

 private:
  std::unique_ptr<HistoryDatabase> file;
};

}  // namespace lynx
