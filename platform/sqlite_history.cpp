#include "platform/sqlite_history.h"

#include <QDateTime>
#include <QDir>
#include <string>
#include <string_view>

#include "engine/card_text.h"
#include "platform/history_csv.h"
#include "platform/history_database.h"

namespace lynx {

QString DefaultHistoryPath() {
  const QString data = qEnvironmentVariable("XDG_DATA_HOME");
  const QString base = !data.isEmpty() && QDir::isAbsolutePath(data)
                           ? data
                           : QDir::homePath() + QStringLiteral("/.local/share");
  return QDir::cleanPath(base) + QStringLiteral("/lynx-video-poker/history.sqlite");
}

QString GameText(GameVariant game) {
  const std::string_view name = GameName(game);
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

GameVariant GameFromText(const QString& text) {
  return GameFromName(text.toStdString());
}

QString CardsText(const CardCode* cards, int count) {
  QString text;
  text.reserve(count * 3);
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += QLatin1Char(' ');
    text += QString::fromStdString(CardName(cards[i]));
  }
  return text;
}

QString HandText(const Hand& hand) {
  return CardsText(hand.data(), static_cast<int>(hand.size()));
}

QString TimeText(const QDateTime& time) {
  return time.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

// ---------------------------------------------------------------------------
// The store's face: each call goes to the file's inside (history_database.h).

SqliteHistory::SqliteHistory(const QString& path, const QString& offBecause, BuildProgress progress,
                             MistakeRule olderRows)
    : file(std::make_unique<HistoryDatabase>(path, offBecause, std::move(progress), olderRows)) {}

SqliteHistory::~SqliteHistory() = default;

SqliteHistory::State SqliteHistory::CurrentState() const {
  return file->CurrentState();
}
const QString& SqliteHistory::Path() const {
  return file->Path();
}
const QString& SqliteHistory::MovedAsideTo() const {
  return file->MovedAsideTo();
}
std::size_t SqliteHistory::KeptWrites() const {
  return file->KeptWrites();
}
void SqliteHistory::RetryKeptWrites() {
  file->RetryKeptWrites();
}
QString SqliteHistory::Problem() const {
  return file->Problem();
}

void SqliteHistory::BeginSession() {
  file->BeginSession();
}
void SqliteHistory::MarkEnded(bool settingsSaved) {
  file->MarkEnded(settingsSaved);
}
std::optional<JournaledBalance> SqliteHistory::Balance() {
  return file->Balance();
}
void SqliteHistory::SaveBalance(std::int32_t credits, std::int32_t borrowed, std::int64_t change) {
  file->SaveBalance(credits, borrowed, change);
}
std::optional<HandInProgress> SqliteHistory::PendingHand(GameVariant game) {
  return file->PendingHand(game);
}
void SqliteHistory::SaveHand(const HandInProgress& hand, std::int32_t credits,
                             std::int32_t borrowed, std::int64_t change) {
  file->SaveHand(hand, credits, borrowed, change);
}
void SqliteHistory::DropHands() {
  file->DropHands();
}
std::optional<TrainerHandInProgress> SqliteHistory::PendingTrainerHand() {
  return file->PendingTrainerHand();
}
void SqliteHistory::SaveTrainerHand(const TrainerHandInProgress& hand, std::int32_t credits,
                                    std::int32_t borrowed, std::int64_t change) {
  file->SaveTrainerHand(hand, credits, borrowed, change);
}
void SqliteHistory::DropTrainerHand() {
  file->DropTrainerHand();
}

void SqliteHistory::RecordGame(GameRecord& game, std::int32_t borrowed, std::int64_t change) {
  file->KeepGames({&game}, std::pair{borrowed, change});
}

void SqliteHistory::RecordGames(std::vector<GameRecord>& games, std::int32_t borrowed,
                                std::int64_t change) {
  std::vector<GameRecord*> kept;
  for (GameRecord& game : games) kept.push_back(&game);
  file->KeepGames(kept, std::pair{borrowed, change});
}

void SqliteHistory::RecordPractice(GameRecord& game) {
  game.demo = true;
  game.practice = true;
  game.won = 0;
  file->KeepGames({&game}, std::nullopt);
}

void SqliteHistory::WhenOnDisk(QObject* context, std::function<void()> done) {
  file->WhenOnDisk(context, std::move(done));
}
void SqliteHistory::WaitOnDisk() {
  file->WaitOnDisk();
}

std::vector<GameRecord> SqliteHistory::Games(std::int64_t offset, int limit) {
  return file->Games(offset, limit);
}
std::int64_t SqliteHistory::GameCount() {
  return file->GameCount();
}
std::vector<GameRecord> SqliteHistory::Mistakes(int limit) {
  return file->Mistakes(limit);
}
GameStatistics SqliteHistory::Statistics(std::optional<GameVariant> game) {
  return file->Statistics(game);
}
std::vector<TableStatistics> SqliteHistory::TableTotals() {
  return file->TableTotals();
}
std::vector<std::int32_t> SqliteHistory::BalanceSeries(int maxPoints) {
  return file->BalanceSeries(maxPoints);
}
std::vector<SessionReturn> SqliteHistory::SessionReturns() {
  return file->SessionReturns();
}

HistoryStore::ExportOutcome SqliteHistory::ExportCsv(const QString& out,
                                                     const ExportProgress& progress) {
  return ExportHistoryFileCsv(file->Path(), out, progress);
}

void SqliteHistory::SetStepHookForTests(StepHook hook) {
  file->SetStepHook(std::move(hook));
}
int SqliteHistory::BackgroundCheckpointsForTests() const {
  return file->BackgroundCheckpoints();
}
int SqliteHistory::BackgroundSyncsForTests() const {
  return file->BackgroundSyncs();
}

}  // namespace lynx
