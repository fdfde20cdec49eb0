// The history file as a disk, a copy or another program may leave it: any
// bytes open without a crash and every read answers; bytes the store finds
// damaged are moved aside exactly as they were (nothing was written into
// them first); a file of a newer version is never changed. Every row read
// back goes through the drill's preparation, and what survives it through
// the solver; the sums leave out exactly the rows listed as damaged, as the
// in-memory store does, and are finite.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "coach/coach.h"
#include "coach/tables_cache.h"
#include "platform/sqlite_history.h"
#include "review/drill_deals.h"
#include "tests/support/fakes.h"

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

// Rows read in full; fuzzed files hold far fewer.
constexpr int kRows = 500;
// Practice hands valued per input: the solver takes a while for each.
constexpr std::size_t kDrilled = 12;

bool Close(double a, double b) {
  return std::isfinite(a) && std::isfinite(b) &&
         std::abs(a - b) <= 1e-9 * std::max({1.0, std::abs(a), std::abs(b)});
}

// The sums both stores take from the same rows. The credits won are left
// out: that column is not checked, and SQL adds values of another type in
// it differently.
void CheckSameSums(const lynx::GameStatistics& a, const lynx::GameStatistics& b) {
  Check(a.hands == b.hands && a.coinsBet == b.coinsBet && a.rowCounts == b.rowCounts);
  Check(a.judged == b.judged && a.judgedCoins == b.judgedCoins && a.mistakes == b.mistakes);
  Check(Close(a.heldEv, b.heldEv) && Close(a.bestEv, b.bestEv) &&
        Close(a.mistakeCost, b.mistakeCost));
}

std::vector<std::int64_t> Ids(const std::vector<lynx::GameRecord>& games) {
  std::vector<std::int64_t> ids;
  for (const lynx::GameRecord& g : games) ids.push_back(g.id);
  return ids;
}

// A practice deal: the hand in positions 1..5, then cards of its game, no
// two the same.
bool DealtFrom(const lynx::Deck& deck, const lynx::GameRecord& game) {
  std::vector<lynx::CardCode> seen;
  for (int p = 1; p <= lynx::Deck::kSize; ++p) {
    const lynx::CardCode c = deck.At(p);
    if (p <= 5 && c != game.dealt[static_cast<std::size_t>(p - 1)]) return false;
    if (c < 1 || c > (game.game == lynx::kJokerWild ? lynx::kJoker : 52)) return false;
    if (std::find(seen.begin(), seen.end(), c) != seen.end()) return false;
    seen.push_back(c);
  }
  return true;
}

void CheckRows(lynx::SqliteHistory& history) {
  static lynx::TablesCache tables;
  const QString problem = history.Problem();
  const std::vector<lynx::GameRecord> games = history.Games(0, kRows);

  // The drill's preparation of every row, damaged or not.
  lynx::SeededSource random(7);
  const std::vector<lynx::GameRecord> hands = lynx::DrillHands(games);
  for (std::size_t i = 0; i < hands.size() && i < kDrilled; ++i) {
    const lynx::GameRecord& g = hands[i];
    Check(!g.damaged && lynx::ValidRecord(g));
    const lynx::Deck deck = lynx::PracticeDeck(g.dealt, g.game, random);
    Check(DealtFrom(deck, g));
    const lynx::HandJudgement j = lynx::JudgeHand(tables.Wait(g.game), g.dealt, g.coins);
    Check(std::isfinite(j.bestEv));
    Check(lynx::ValidRecord(lynx::PracticeRecord(g, deck, static_cast<unsigned>(g.held), j, 0)));
  }

  const std::vector<lynx::GameRecord> mistakes = history.Mistakes(50);
  for (const lynx::GameRecord& g : mistakes) Check(!g.damaged && lynx::ValidRecord(g));
  Check(lynx::DrillHands(mistakes).size() == mistakes.size());

  std::array<lynx::GameStatistics, 4> sums{};
  sums[0] = history.Statistics(std::nullopt);
  for (const lynx::GameVariant game : {lynx::kJacksOrBetter, lynx::kJokerWild, lynx::kDeucesWild})
    sums[static_cast<std::size_t>(game)] = history.Statistics(game);
  for (const lynx::GameStatistics& s : sums)
    Check(std::isfinite(s.heldEv) && std::isfinite(s.bestEv) && std::isfinite(s.mistakeCost));
  const std::vector<std::int32_t> series = history.BalanceSeries(7);
  // A read that failed (a sum of credits won too large for SQL, say) gives
  // nothing and says so: no sums to compare. Nor are they when the ids do not
  // read back in the order SQL sorts them (a table made by another program,
  // with ids of other types or the same id twice).
  if (history.Problem() != problem ||
      history.GameCount() != static_cast<std::int64_t>(games.size()))
    return;
  for (std::size_t i = 1; i < games.size(); ++i) {
    if (games[i].id >= games[i - 1].id) return;
  }

  // The same rows in the in-memory store, oldest first, damaged ones still
  // marked: those the SQL check alone finds (a field of the wrong type) are
  // only known by the mark.
  lynx::FakeHistory fake;
  fake.games.assign(games.rbegin(), games.rend());
  CheckSameSums(sums[0], fake.Statistics(std::nullopt));
  for (const lynx::GameVariant game : {lynx::kJacksOrBetter, lynx::kJokerWild, lynx::kDeucesWild})
    CheckSameSums(sums[static_cast<std::size_t>(game)], fake.Statistics(game));
  Check(Ids(mistakes) == Ids(fake.Mistakes(50)));
  Check(series == fake.BalanceSeries(7));
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
    CheckRows(history);
    aside = history.MovedAsideTo();
  }
  // Checked once the store is closed, so that closing did not write either.
  if (!aside.isEmpty()) Check(ReadAll(aside) == bytes);
  if (newer && aside.isEmpty()) Check(ReadAll(path) == bytes);
  return 0;
}
