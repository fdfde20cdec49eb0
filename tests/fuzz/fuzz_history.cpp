// The history file as a disk, a copy or another program may leave it: any
// bytes open without a crash and every read answers; bytes the store finds
// damaged are moved aside exactly as they were (nothing was written into
// them first); a file of a newer version is never changed.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/sqlite_history.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll();
}

// Memory-backed when the system has it: the store syncs every write.
QString Scratch() {
  const QFileInfo shm(QStringLiteral("/dev/shm"));
  return (shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath()) +
         QStringLiteral("/lynx-fuzz-history-XXXXXX");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QTemporaryDir dir(Scratch());
  Check(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("history.sqlite"));
  {
    QFile file(path);
    Check(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
  }

  QString aside;
  bool newer = false;
  {
    lynx::SqliteHistory history(path);
    Check(history.CurrentState() == lynx::SqliteHistory::State::Working ||
          !history.Problem().isEmpty());
    newer = history.Problem().contains(QStringLiteral("newer version"));
    history.Balance();
    for (const lynx::GameVariant game : {lynx::kJacksOrBetter, lynx::kJokerWild, lynx::kDeucesWild})
      history.PendingHand(game);
    const std::int64_t count = history.GameCount();
    Check(history.Games(0, 5).size() <= 5);
    history.Games(count > 3 ? count - 3 : 0, 10);
    history.Statistics(std::nullopt);
    history.Statistics(lynx::kJokerWild);
    Check(history.BalanceSeries(7).size() <= 7);
    history.SessionReturns();
    aside = history.MovedAsideTo();
  }
  // Checked once the store is closed, so that closing did not write either.
  if (!aside.isEmpty()) Check(ReadAll(aside) == bytes);
  if (newer && aside.isEmpty()) Check(ReadAll(path) == bytes);
  return 0;
}
