#pragma once
// Fakes of the platform services for tests: they record what the program
// asked for and answer from a script.

#include <QMap>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/history_csv.h"
#include "platform/history_store.h"
#include "platform/services.h"

namespace lynx {

struct ShownDialog {
  DialogIcon icon;
  QString title;
  QString text;
  bool operator==(const ShownDialog&) const = default;
};

class FakeDialogs final : public Dialogs {
 public:
  void Info(QWidget*, const QString& title, const QString& text) override {
    shown.push_back({DialogIcon::Information, title, text});
  }
  void Exclaim(QWidget*, const QString& title, const QString& text) override {
    shown.push_back({DialogIcon::Exclamation, title, text});
  }
  bool Ask(QWidget*, const QString& title, const QString& text) override {
    shown.push_back({DialogIcon::Question, title, text});
    if (answers.empty()) return defaultAnswer;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString AskSaveFileName(QWidget*, const QString& title, const QString& suggestedName) override {
    saveAsked.push_back({title, suggestedName});
    return saveFileName;
  }

  std::vector<ShownDialog> shown;
  std::deque<bool> answers;                            // answers to Ask, in order
  bool defaultAnswer = false;                          // once the script has run out
  std::vector<std::pair<QString, QString>> saveAsked;  // (title, suggested name) of each ask
  QString saveFileName;  // the answer to AskSaveFileName; empty = cancelled
};

class FakeSound final : public SoundPlayer {
 public:
  void PlaySync(const QString& fileName) override {
    played.push_back(fileName);
    if (onPlay) onPlay(fileName);
  }
  QStringList played;
  // Called at each play, e.g. to look at the drawing surface at that moment.
  std::function<void(const QString&)> onPlay;
};

class FakeProfile final : public ProfileFile {
 public:
  QString ReadString(const QString& section, const QString& key,
                     const QString& defaultValue) override {
    reads.push_back(key);
    const auto it = values.find(Key(section, key));
    return it == values.end() ? defaultValue : *it;
  }
  bool WriteSections(const Sections& sections) override {
    ++saves;
    for (const auto& [section, entries] : sections) {
      if (section.compare(QStringLiteral("Ledger"), Qt::CaseInsensitive) == 0) continue;
      for (const auto& [key, value] : entries) writes.push_back({key, value});
    }
    if (readOnly) return false;
    for (const auto& [section, entries] : sections)
      for (const auto& [key, value] : entries) values[Key(section, key)] = value;
    return true;
  }
  QString WriteProblem() const override {
    return readOnly ? QStringLiteral("read-only file system") : QString();
  }
  static QString Key(const QString& section, const QString& key) {
    return section.toLower() + QLatin1Char('/') + key.toLower();
  }

  QMap<QString, QString> values;  // "section/key" in lower case -> value
  QStringList reads;
  // (key, value) in order, of every section but [Ledger] (its change number
  // is read from values).
  std::vector<std::pair<QString, QString>> writes;
  int saves = 0;  // calls that wrote, each all at once
  bool readOnly = false;
};

class FakeHelp final : public HelpViewer {
 public:
  void Open(const QString& file, int topic) override { opened.push_back({file, topic}); }
  std::vector<std::pair<QString, int>> opened;
};

class FakeScreen final : public ScreenInfo {
 public:
  FakeScreen(int w = 1024, int h = 768) : width(w), height(h) {}
  int Width() const override { return width; }
  int Height() const override { return height; }
  int AvailableHeight() const override { return availableHeight > 0 ? availableHeight : height; }
  int width;
  int height;
  int availableHeight = 0;  // 0: all of the height
};

// Returns the scripted values in turn, then starts over; counts re-seeds.
class SequenceSource final : public UniformSource {
 public:
  explicit SequenceSource(std::vector<float> v = {0.5f}) : values(std::move(v)) {}
  float Next() override {
    const float r = values[next % values.size()];
    ++next;
    return r;
  }
  void Reseed() override { ++reseeds; }
  std::vector<float> values;
  std::size_t next = 0;
  int reseeds = 0;
};

// The game history in memory. With failWrites every write is counted but
// keeps nothing, and problem is set (as a full disk would).
class FakeHistory final : public HistoryStore {
 public:
  QString Problem() const override { return problem; }
  bool WritesWaiting() const override { return waiting; }
  void BeginSession() override {
    if (!Writable()) return;
    session = ++sessions;
    running = true;
  }
  void MarkEnded(bool settingsSaved) override {
    if (!Writable()) return;
    running = !settingsSaved;
    unsaved = !settingsSaved;
  }
  // As the SQLite store: a journal that cannot be written from the start
  // (readOnly) is no ledger.
  std::optional<JournaledBalance> Balance() override {
    if (!balance || readOnly) return std::nullopt;
    return JournaledBalance{balance->credits, balance->borrowed, !running, balance->change,
                            unsaved};
  }
  void SaveBalance(std::int32_t credits, std::int32_t borrowed, std::int64_t change) override {
    ++balancesSaved;
    if (Writable()) balance = JournaledBalance{credits, borrowed, true, change};
  }
  std::optional<HandInProgress> PendingHand(GameVariant game) override {
    const auto it = hands.find(game);
    if (failWrites || it == hands.end()) return std::nullopt;
    return it->second;
  }
  void SaveHand(const HandInProgress& hand, std::int32_t credits, std::int32_t borrowed,
                std::int64_t change) override {
    ++handsSaved;
    if (!Writable()) return;
    hands[hand.game] = hand;
    balance = JournaledBalance{credits, borrowed, true, change};
  }
  void DropHands() override {
    if (!Writable()) return;
    hands.clear();
    trainerHand.reset();
  }
  std::optional<TrainerHandInProgress> PendingTrainerHand() override {
    if (failWrites) return std::nullopt;
    return trainerHand;
  }
  void SaveTrainerHand(const TrainerHandInProgress& hand, std::int32_t credits,
                       std::int32_t borrowed, std::int64_t change) override {
    ++handsSaved;
    if (!Writable()) return;
    trainerHand = hand;
    balance = JournaledBalance{credits, borrowed, true, change};
  }
  void DropTrainerHand() override {
    if (Writable()) trainerHand.reset();
  }
  void RecordGame(GameRecord& game, std::int32_t borrowed, std::int64_t change) override {
    std::vector<GameRecord> one{game};
    RecordGames(one, borrowed, change);
    game = one.front();
  }
  void RecordGames(std::vector<GameRecord>& played, std::int32_t borrowed,
                   std::int64_t change) override {
    gamesRecorded += static_cast<int>(played.size());
    for (GameRecord& game : played) {
      if (!game.playedAt.isValid()) game.playedAt = QDateTime::currentDateTimeUtc();
    }
    if (!Writable() || played.empty()) return;
    for (GameRecord& game : played) {
      game.id = static_cast<std::int64_t>(games.size()) + 1;
      game.session = session;
      games.push_back(game);
      // The end of the hand in progress it came from.
      if (game.libraryGame.isEmpty())
        hands.erase(game.game);
      else
        trainerHand.reset();
    }
    balance = JournaledBalance{played.back().creditsAfter, borrowed, true, change};
  }
  // With holdDisk, what WhenOnDisk is given waits for LandOnDisk, as it
  // waits for a sync on a thread of its own.
  void WhenOnDisk(QObject* context, std::function<void()> done) override {
    if (holdDisk)
      onDisk.push_back({context, std::move(done)});
    else
      done();
  }
  void LandOnDisk() {
    auto due = std::move(onDisk);
    onDisk.clear();
    for (auto& waiting : due) waiting.second();
  }
  bool holdDisk = false;
  std::vector<std::pair<QObject*, std::function<void()>>> onDisk;

  void RecordPractice(GameRecord& game) override {
    ++gamesRecorded;
    game.demo = true;
    game.practice = true;
    game.won = 0;
    if (!game.playedAt.isValid()) game.playedAt = QDateTime::currentDateTimeUtc();
    if (!Writable()) return;
    game.id = static_cast<std::int64_t>(games.size()) + 1;
    game.session = session;
    games.push_back(game);
  }
  std::vector<GameRecord> Mistakes(int limit) override {
    std::vector<GameRecord> found;
    for (auto it = games.rbegin(); it != games.rend() && static_cast<int>(found.size()) < limit;
         ++it)
      if (!Damaged(*it) && Mistaken(*it)) found.push_back(*it);
    return found;
  }
  // A row read back as damaged, as the SQLite store finds it: one a test
  // marked so, or one that is no game (ValidRecord).
  static bool Damaged(const GameRecord& g) { return g.damaged || !ValidRecord(g); }
  static bool Judged(const GameRecord& g) { return !g.demo && g.bestEv && g.heldEv; }
  // The verdict the game was recorded with, as the SQLite store keeps it.
  static bool Mistaken(const GameRecord& g) { return Judged(g) && g.mistake; }
  std::vector<GameRecord> Games(std::int64_t offset, int limit) override {
    std::vector<GameRecord> page;
    for (auto it = games.rbegin() + std::clamp<std::int64_t>(offset, 0, GameCount());
         it != games.rend() && static_cast<int>(page.size()) < limit; ++it) {
      page.push_back(*it);
      page.back().damaged = Damaged(*it);
    }
    return page;
  }
  std::int64_t GameCount() override { return static_cast<std::int64_t>(games.size()); }
  GameStatistics Statistics(std::optional<GameVariant> game) override {
    if (cannedStatistics) return *cannedStatistics;
    GameStatistics sums;
    for (const GameRecord& g : games) {
      if (g.practice || Damaged(g) || !g.libraryGame.isEmpty() || (game && g.game != *game))
        continue;
      ++sums.hands;
      sums.coinsBet += g.coins;
      if (g.coins >= 1 && g.coins <= 5)
        sums.coinsByStake[static_cast<std::size_t>(g.coins - 1)] += g.coins;
      sums.won += g.won;
      sums.biggestWin = std::max(sums.biggestWin, g.won);
      if (g.row >= 0 && g.row < 11) ++sums.rowCounts[static_cast<std::size_t>(g.row)];
      if (!Judged(g)) continue;
      ++sums.judged;
      sums.judgedCoins += g.coins;
      sums.heldEv += *g.heldEv;
      sums.bestEv += *g.bestEv;
      if (Mistaken(g)) {
        ++sums.mistakes;
        sums.mistakeCost += *g.bestEv - *g.heldEv;
      }
    }
    return sums;
  }
  std::vector<TableStatistics> TableTotals() override {
    std::map<std::tuple<QString, QString, int>, TableStatistics> sums;
    for (const GameRecord& g : games) {
      if (g.practice || Damaged(g) || g.libraryGame.isEmpty()) continue;
      TableStatistics& t = sums[{g.libraryGame, g.payTable, g.hands}];
      t.libraryGame = g.libraryGame;
      t.payTable = g.payTable;
      t.hands = g.hands;
      ++t.games;
      t.coinsBet += g.coins;
      t.won += g.won;
      if (!Judged(g)) continue;
      ++t.judged;
      t.bestEv += *g.bestEv;
      t.heldEv += *g.heldEv;
      if (Mistaken(g)) {
        ++t.mistakes;
        t.mistakeCost += *g.bestEv - *g.heldEv;
      }
    }
    std::vector<TableStatistics> list;
    for (const auto& [key, t] : sums) list.push_back(t);
    return list;
  }
  // Thinned as the SQLite store does: the games at k * (n - 1) / (m - 1).
  std::vector<std::int32_t> BalanceSeries(int maxPoints) override {
    std::vector<GameRecord> games;
    for (const GameRecord& g : this->games)
      if (!g.practice && !Damaged(g)) games.push_back(g);
    const auto n = static_cast<std::int64_t>(games.size());
    const std::int64_t m = std::min<std::int64_t>(std::max(maxPoints, 0), n);
    std::vector<std::int32_t> series;
    for (std::int64_t k = 0; k < m; ++k)
      series.push_back(
          games[static_cast<std::size_t>(m == 1 ? n - 1 : k * (n - 1) / (m - 1))].creditsAfter);
    return series;
  }
  std::vector<SessionReturn> SessionReturns() override {
    std::map<std::int64_t, SessionReturn> sums;
    for (const GameRecord& g : games) {
      if (g.practice || Damaged(g)) continue;
      SessionReturn& s = sums[g.session];
      s.session = g.session;
      ++s.hands;
      s.coinsBet += g.coins;
      s.won += g.won;
    }
    std::vector<SessionReturn> list;
    for (const auto& [id, s] : sums) list.push_back(s);
    return list;
  }

  // Written from the games held, on the calling thread; progress is asked
  // once before and once after. exportGate, when set, runs first.
  ExportOutcome ExportCsv(const QString& path, const ExportProgress& progress) override {
    if (exportGate) exportGate();
    const auto total = static_cast<std::int64_t>(games.size());
    if (progress && !progress(0, total)) return ExportOutcome::Cancelled;
    if (!ExportHistoryCsv(*this, path)) return ExportOutcome::Failed;
    if (progress) progress(total, total);
    return ExportOutcome::Written;
  }

  bool Writable() {
    if (failWrites && problem.isEmpty()) problem = QStringLiteral("The game history is off.");
    return !failWrites;
  }

  std::vector<GameRecord> games;  // oldest first
  // When set, what Statistics answers for every game instead of the sums
  // (figures no history of valid games gives, which windows must still show).
  std::optional<GameStatistics> cannedStatistics;
  std::optional<JournaledBalance> balance;  // endedCleanly unused: see running
  std::map<GameVariant, HandInProgress> hands;
  std::optional<TrainerHandInProgress> trainerHand;
  bool running = false;
  bool unsaved = false;  // ended, with the settings file not written
  std::int64_t session = 0;
  std::int64_t sessions = 0;
  QString problem;
  bool waiting = false;  // WritesWaiting(): writes as if kept for a lock
  bool failWrites = false;
  std::function<void()> exportGate;  // holds an export where a test wants it
  bool readOnly = false;
  int gamesRecorded = 0;  // games asked to be recorded, whether or not they were kept
  int handsSaved = 0;
  int balancesSaved = 0;
};

// All fakes together, with a Services view of them.
struct FakeServices {
  FakeDialogs dialogs;
  FakeSound sound;
  FakeProfile profile;
  FakeHelp help;
  FakeScreen screen;
  SequenceSource random;
  FakeHistory history;
  Services services{dialogs, sound, profile, help, screen, random, history};
};

}  // namespace lynx
