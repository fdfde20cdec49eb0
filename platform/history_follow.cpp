// A history file deleted or renamed away while the program runs: noticed at
// the next write, as the file at the path is no longer the one opened (by
// device and inode). The journal and the hands in progress are read from the
// still open old file and carried into the file at the path, new or found
// there, with a new session.

#include <sqlite3.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>

#include "platform/history_database.h"

namespace lynx {

// The journal and the hands in progress, column by column as the file holds
// them.
struct HistoryDatabase::Carried {
  struct Hand {
    QString game, dealt, deck;
    int coins = 0, held = 0, demo = 0;
  };
  struct TrainerHand {
    QString game, table, pays, dealt, deck;
    std::int64_t royal = 0, hands = 0, coins = 0, held = 0;
  };
  bool journal = false;
  std::int64_t credits = 0, borrowed = 0, running = 0, change = 0;
  bool creditsNull = true;
  std::vector<Hand> hands;
  std::optional<TrainerHand> trainer;
};

void HistoryDatabase::RememberFile() {
  struct stat info {};
  fileKnown = ::stat(QFile::encodeName(path).constData(), &info) == 0;
  fileDevice = info.st_dev;
  fileInode = info.st_ino;
}

bool HistoryDatabase::SameFileAsOpened() const {
  if (!fileKnown) return true;
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 && info.st_dev == fileDevice &&
         info.st_ino == fileInode;
}

// The connection still reads the file as it was opened.
std::shared_ptr<HistoryDatabase::Carried> HistoryDatabase::ReadCarried() {
  auto carried = std::make_shared<Carried>();
  Statement journal;
  if (Prepare(journal,
              "SELECT credits, borrowed, running, ledger_change FROM journal WHERE id = 1") &&
      sqlite3_step(journal.get()) == SQLITE_ROW) {
    sqlite3_stmt* row = journal.get();
    carried->journal = true;
    carried->creditsNull = sqlite3_column_type(row, 0) == SQLITE_NULL;
    carried->credits = sqlite3_column_int64(row, 0);
    carried->borrowed = sqlite3_column_int64(row, 1);
    carried->running = sqlite3_column_int64(row, 2);
    carried->change = sqlite3_column_int64(row, 3);
  }
  Statement hands;
  if (Prepare(hands, "SELECT game, coins, dealt, held, deck, demo FROM hands")) {
    sqlite3_stmt* row = hands.get();
    while (sqlite3_step(row) == SQLITE_ROW) {
      carried->hands.push_back({ColumnText(row, 0), ColumnText(row, 2), ColumnText(row, 4),
                                sqlite3_column_int(row, 1), sqlite3_column_int(row, 3),
                                sqlite3_column_int(row, 5)});
    }
  }
  Statement trainer;
  if (Prepare(trainer,
              "SELECT game, pay_table, pays, royal_five_coins, hands, coins, dealt, held, deck "
              "FROM trainer_hand WHERE id = 1") &&
      sqlite3_step(trainer.get()) == SQLITE_ROW) {
    sqlite3_stmt* row = trainer.get();
    carried->trainer = Carried::TrainerHand{
        ColumnText(row, 0),           ColumnText(row, 1),           ColumnText(row, 2),
        ColumnText(row, 6),           ColumnText(row, 8),           sqlite3_column_int64(row, 3),
        sqlite3_column_int64(row, 4), sqlite3_column_int64(row, 5), sqlite3_column_int64(row, 7)};
  }
  return carried;
}

// The statements of the write that carries them into the new file.
bool HistoryDatabase::WriteCarried(const Carried& carried, std::int64_t* started) {
  if (carried.journal) {
    Statement journal;
    if (!Prepare(journal,
                 "INSERT OR REPLACE INTO journal (id, credits, borrowed, running, ledger_change) "
                 "VALUES (1, ?1, ?2, ?3, ?4)"))
      return false;
    sqlite3_stmt* s = journal.get();
    if (carried.creditsNull) {
      sqlite3_bind_null(s, 1);
      sqlite3_bind_null(s, 2);
    } else {
      sqlite3_bind_int64(s, 1, carried.credits);
      sqlite3_bind_int64(s, 2, carried.borrowed);
    }
    sqlite3_bind_int64(s, 3, carried.running);
    sqlite3_bind_int64(s, 4, carried.change);
    if (!Run(s)) return false;
  }
  for (const Carried::Hand& hand : carried.hands) {
    sqlite3_stmt* s = saveHand.get();
    BindText(s, 1, hand.game);
    sqlite3_bind_int(s, 2, hand.coins);
    BindText(s, 3, hand.dealt);
    sqlite3_bind_int(s, 4, hand.held);
    BindText(s, 5, hand.deck);
    sqlite3_bind_int(s, 6, hand.demo);
    if (!Run(s)) return false;
  }
  if (const auto& trainer = carried.trainer) {
    sqlite3_stmt* s = saveTrainerHand.get();
    BindText(s, 1, trainer->game);
    BindText(s, 2, trainer->table);
    BindText(s, 3, trainer->pays);
    sqlite3_bind_int64(s, 4, trainer->royal);
    sqlite3_bind_int64(s, 5, trainer->hands);
    sqlite3_bind_int64(s, 6, trainer->coins);
    BindText(s, 7, trainer->dealt);
    sqlite3_bind_int64(s, 8, trainer->held);
    BindText(s, 9, trainer->deck);
    if (!Run(s)) return false;
  }
  return !sessionBegun || StartSession(started);
}

// The file was deleted or another took its name.
void HistoryDatabase::FollowMovedFile() {
  const std::shared_ptr<Carried> carried = ReadCarried();
  const bool deleted = !QFileInfo::exists(path) && !QFileInfo(path).isSymLink();
  Close(true);
  fileKnown = false;
  state = State::Off;
  problem.clear();
  movedAsideTo.clear();
  session = 0;
  Open();
  const QString opened = problem;
  problem = (deleted ? QStringLiteral("The game history %1 was deleted while the game ran: a new "
                                      "history was started, and your balance and any hand in "
                                      "play were carried over.")
                     : QStringLiteral("The game history %1 was replaced while the game ran: the "
                                      "game goes on in the file now there, and your balance and "
                                      "any hand in play were carried over."))
                .arg(Shown(path));
  if (!opened.isEmpty()) problem += QLatin1Char(' ') + opened;
  if (state != State::Working && state != State::Waiting) return;

  auto started = std::make_shared<std::int64_t>(0);
  KeptWrite carry{[this, carried, started] { return WriteCarried(*carried, started.get()); },
                  [this, started] { session = *started; }};
  if (state == State::Waiting) {
    kept.push_front(std::move(carry));
    return;
  }
  if (Transaction(carry.body)) {
    carry.done();
  } else if (Locked()) {
    state = State::Waiting;
    kept.push_front(std::move(carry));
    ScheduleRetry();
  } else {
    StopWrites(QStringLiteral("The game history is off: the file %1 cannot be written (%2).")
                   .arg(Shown(path), FailureReason()));
  }
}

}  // namespace lynx
