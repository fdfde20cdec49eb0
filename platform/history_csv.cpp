#include "platform/history_csv.h"

#include <QByteArray>
#include <QSaveFile>
#include <algorithm>

#include "platform/sqlite_history.h"

namespace lynx {

namespace {

// Games read from the store at a time.
constexpr int kPage = 5000;

QByteArray Field(const QString& text) {
  QByteArray bytes = text.toUtf8();
  if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')) {
    bytes.replace("\"", "\"\"");
    bytes = '"' + bytes + '"';
  }
  return bytes;
}

void AppendRow(QByteArray& out, const GameRecord& game) {
  const QString fields[] = {
      QString::number(game.id),
      TimeText(game.playedAt),
      GameText(game.game),
      QString::number(game.coins),
      HandText(game.dealt),
      QString::number(game.held),
      HandText(game.final),
      QString::number(game.row),
      QString::number(game.won),
      QString::number(game.creditsAfter),
      QString::number(game.demo ? 1 : 0),
      QString::number(game.session),
      QString::number(game.practice ? 1 : 0),
  };
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    if (i > 0) out += ',';
    out += Field(fields[i]);
  }
  out += "\r\n";
}

}  // namespace

bool ExportHistoryCsv(HistoryStore& store, const QString& path) {
  // Unbuffered, so that every failed write (a full disk) is seen here and the
  // new file never replaces the old one unless all of it has been written.
  QSaveFile save(path);
  if (!save.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
  auto write = [&](const QByteArray& bytes) {
    return save.write(bytes) == bytes.size() && save.error() == QFileDevice::NoError;
  };
  bool ok =
      write("id,played_at,game,coins,dealt,held,final,row,won,credits_after,demo,session,"
            "practice\r\n");
  // Games come newest first: the pages are read from the oldest end and each
  // is written back to front.
  std::int64_t remaining = store.GameCount();
  while (ok && remaining > 0) {
    const std::int64_t take = std::min<std::int64_t>(kPage, remaining);
    const std::vector<GameRecord> games = store.Games(remaining - take, static_cast<int>(take));
    QByteArray chunk;
    for (auto it = games.rbegin(); it != games.rend(); ++it) AppendRow(chunk, *it);
    ok = write(chunk);
    remaining -= take;
  }
  if (!ok) {
    save.cancelWriting();
    return false;
  }
  return save.commit();
}

HistoryStore::ExportOutcome ExportHistoryFileCsv(const QString& historyFile, const QString& out,
                                                 const HistoryStore::ExportProgress& progress) {
  // Placeholder until the streaming exporter lands: not thread-safe.
  (void)historyFile;
  (void)out;
  (void)progress;
  return HistoryStore::ExportOutcome::Failed;
}

}  // namespace lynx
