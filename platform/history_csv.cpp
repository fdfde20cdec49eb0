#include "platform/history_csv.h"

#include <sqlite3.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <charconv>
#include <memory>
#include <string>
#include <string_view>

#include "engine/card_text.h"
#include "engine/paytable.h"
#include "platform/history_rows.h"
#include "platform/sqlite_history.h"
#include "platform/sqlite_statement.h"

namespace lynx {

namespace {

// Games read from the store at a time.
constexpr int kPage = 5000;
// Bytes gathered before each write to the file.
constexpr qsizetype kChunk = qsizetype{1} << 20;
// Rows between two progress reports of the file export: a few milliseconds.
constexpr std::int64_t kReportEvery = 4096;

constexpr std::string_view kHeader =
    "id,played_at,game,coins,dealt,held,final,row,won,credits_after,demo,session,practice,"
    "library_game,pay_table,hands\r\n";

// The fields a spreadsheet would split or end are quoted, as RFC 4180 says.
void AppendField(QByteArray& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(text.data(), static_cast<qsizetype>(text.size()));
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendNumber(QByteArray& out, std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end - digits);
}

void AppendTwo(char* at, int value) {
  at[0] = static_cast<char>('0' + value / 10);
  at[1] = static_cast<char>('0' + value % 10);
}

// TimeText's form, written without QLocale for the years it gives four digits.
void AppendTime(QByteArray& out, const QDateTime& time) {
  const QDateTime utc = time.toUTC();
  const QDate day = utc.date();
  if (!utc.isValid() || day.year() < 1 || day.year() > 9999) {
    AppendField(out, TimeText(time).toStdString());
    return;
  }
  const QTime clock = utc.time();
  char text[] = "yyyy-MM-ddTHH:mm:ssZ";
  AppendTwo(text, day.year() / 100);
  AppendTwo(text + 2, day.year() % 100);
  AppendTwo(text + 5, day.month());
  AppendTwo(text + 8, day.day());
  AppendTwo(text + 11, clock.hour());
  AppendTwo(text + 14, clock.minute());
  AppendTwo(text + 17, clock.second());
  out.append(text, 20);
}

// HandText's form.
void AppendHand(QByteArray& out, const Hand& hand) {
  std::string text;
  for (const CardCode card : hand) {
    if (!text.empty()) text += ' ';
    text += CardName(card);
  }
  AppendField(out, text);
}

// The one place that says what a row of the file holds.
void AppendRow(QByteArray& out, const GameRecord& game) {
  AppendNumber(out, game.id);
  out += ',';
  AppendTime(out, game.playedAt);
  out += ',';
  AppendField(out, GameName(game.game));
  out += ',';
  AppendNumber(out, game.coins);
  out += ',';
  AppendHand(out, game.dealt);
  out += ',';
  AppendNumber(out, game.held);
  out += ',';
  AppendHand(out, game.final);
  for (const std::int64_t value :
       {std::int64_t{game.row}, std::int64_t{game.won}, std::int64_t{game.creditsAfter},
        std::int64_t{game.demo}, game.session, std::int64_t{game.practice}}) {
    out += ',';
    AppendNumber(out, value);
  }
  for (const QString* text : {&game.libraryGame, &game.payTable}) {
    out += ',';
    AppendField(out, text->toStdString());
  }
  out += ',';
  AppendNumber(out, game.hands);
  out += "\r\n";
}

// The file being written: rows are gathered and written in large chunks,
// unbuffered by Qt, so that every failed write (a full disk) is seen here
// and the new file replaces an old one only once all of it has been written.
// A file that is neither committed nor kept leaves nothing behind.
class CsvFile {
 public:
  explicit CsvFile(const QString& path) : save(path) {
    ok = save.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    chunk.reserve(kChunk + 1024);
    chunk.append(kHeader.data(), static_cast<qsizetype>(kHeader.size()));
  }
  // False once anything failed: nothing more is written.
  bool Ok() const { return ok; }
  void Add(const GameRecord& game) {
    AppendRow(chunk, game);
    if (chunk.size() >= kChunk) Flush();
  }
  // Writes the rest and puts the file in place; false, with any old file
  // left as it was, when any of it could not be written.
  bool Commit() {
    Flush();
    if (!ok) {
      save.cancelWriting();
      return false;
    }
    return save.commit();
  }

 private:
  void Flush() {
    if (ok && !chunk.isEmpty())
      ok = save.write(chunk) == chunk.size() && save.error() == QFileDevice::NoError;
    chunk.resize(0);
  }

  QSaveFile save;
  QByteArray chunk;
  bool ok = false;
};

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
Statement Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  return Statement(statement);
}

// The columns RowOf reads, in its order.
constexpr const char* kSelectGames =
    "SELECT id, played_at, game, coins, dealt, held, final, row, won, credits_after, demo, "
    "session, practice, library_game, pay_table, hands FROM games ORDER BY id";

std::string_view ColumnView(sqlite3_stmt* row, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
  if (text == nullptr) return {};
  return {text, static_cast<std::size_t>(sqlite3_column_bytes(row, column))};
}

// A stored time as the store reads it: ISO 8601 to UTC, invalid when it is
// none. The form this program writes ("2026-12-08T22:31:05Z") is read
// without Qt's general parser, which would take most of the export's time.
QDateTime TimeOf(std::string_view text) {
  const auto number = [text](std::size_t at, std::size_t length) {
    int value = 0;
    for (std::size_t i = at; i < at + length; ++i) {
      if (text[i] < '0' || text[i] > '9') return -1;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  if (text.size() == 20 && text[4] == '-' && text[7] == '-' && text[10] == 'T' && text[13] == ':' &&
      text[16] == ':' && text[19] == 'Z') {
    const QDate day(number(0, 4), number(5, 2), number(8, 2));
    const QTime clock(number(11, 2), number(14, 2), number(17, 2));
    if (day.isValid() && clock.isValid()) return QDateTime(day, clock, Qt::UTC);
  }
  const QDateTime time = QDateTime::fromString(
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), Qt::ISODate);
  return time.isValid() ? time.toUTC() : QDateTime();
}

// A row of kSelectGames read as SqliteHistory::Games reads it, in the fields
// the file holds.
GameRecord RowOf(sqlite3_stmt* row) {
  GameRecord game;
  game.id = sqlite3_column_int64(row, 0);
  game.playedAt = TimeOf(ColumnView(row, 1));
  game.game = GameFromName(ColumnView(row, 2));
  game.coins = sqlite3_column_int(row, 3);
  ParseHandText(ColumnView(row, 4), game.dealt);
  game.held = sqlite3_column_int(row, 5);
  ParseHandText(ColumnView(row, 6), game.final);
  game.row = sqlite3_column_int(row, 7);
  game.won = sqlite3_column_int(row, 8);
  game.creditsAfter = sqlite3_column_int(row, 9);
  game.demo = sqlite3_column_int(row, 10) != 0;
  game.session = sqlite3_column_int64(row, 11);
  game.practice = sqlite3_column_int(row, 12) != 0;
  const auto text = [row](int column) {
    const std::string_view view = ColumnView(row, column);
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
  };
  game.libraryGame = text(13);
  game.payTable = text(14);
  game.hands = sqlite3_column_int(row, 15);
  return game;
}

// True when out names the history file itself or one of SQLite's files
// beside it: replacing it would lose the history.
bool IsHistoryFile(const QString& historyFile, const QString& out) {
  const QString history = QFileInfo(historyFile).canonicalFilePath();
  const QString target = QFileInfo(out).canonicalFilePath();
  if (history.isEmpty() || target.isEmpty()) return false;
  return target == history || target == history + QStringLiteral("-wal") ||
         target == history + QStringLiteral("-shm") ||
         target == history + QStringLiteral("-journal");
}

}  // namespace

bool ExportHistoryCsv(HistoryStore& store, const QString& path) {
  CsvFile file(path);
  // Games come newest first: the pages are read from the oldest end and each
  // is written back to front.
  std::int64_t remaining = store.GameCount();
  while (file.Ok() && remaining > 0) {
    const std::int64_t take = std::min<std::int64_t>(kPage, remaining);
    const std::vector<GameRecord> games = store.Games(remaining - take, static_cast<int>(take));
    for (auto it = games.rbegin(); it != games.rend(); ++it) file.Add(*it);
    remaining -= take;
  }
  return file.Commit();
}

HistoryStore::ExportOutcome ExportHistoryFileCsv(const QString& historyFile, const QString& out,
                                                 const HistoryStore::ExportProgress& progress) {
  using Outcome = HistoryStore::ExportOutcome;
  if (IsHistoryFile(historyFile, out)) return Outcome::Failed;
  sqlite3* opened = nullptr;
  const int code = sqlite3_open_v2(QFile::encodeName(historyFile).constData(), &opened,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
  const std::unique_ptr<sqlite3, CloseDatabase> db(opened);
  if (code != SQLITE_OK) return Outcome::Failed;
  // The game's writes are short; a reader only meets one while WAL recovers.
  sqlite3_busy_timeout(db.get(), 2000);
  // One read transaction: the count and the rows come from one snapshot,
  // whatever the game writes meanwhile. Its end is the connection's close.
  if (sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
    return Outcome::Failed;
  const Statement count = Prepare(db.get(), "SELECT count(*) FROM games");
  const Statement rows = Prepare(db.get(), kSelectGames);
  if (!count || !rows || sqlite3_step(count.get()) != SQLITE_ROW) return Outcome::Failed;
  const std::int64_t total = sqlite3_column_int64(count.get(), 0);

  CsvFile file(out);
  if (!file.Ok()) return Outcome::Failed;
  const auto goOn = [&progress, total](std::int64_t done) {
    return !progress || progress(done, total);
  };
  // Not committed, the file leaves nothing behind and any old one as it was.
  if (!goOn(0)) return Outcome::Cancelled;
  std::int64_t done = 0;
  int step = SQLITE_ROW;
  while (file.Ok() && (step = sqlite3_step(rows.get())) == SQLITE_ROW) {
    file.Add(RowOf(rows.get()));
    if (++done % kReportEvery == 0 && !goOn(done)) return Outcome::Cancelled;
  }
  if (step != SQLITE_DONE) return Outcome::Failed;
  if (!goOn(done)) return Outcome::Cancelled;
  return file.Commit() ? Outcome::Written : Outcome::Failed;
}

}  // namespace lynx
