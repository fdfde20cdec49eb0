// The credit ledger through many crashes: the built game on a private X server
// (Xvfb) is played with random keys and killed (SIGKILL) at a random moment,
// again and again. After every kill and restart the history file must account
// for every credit: the journal's balance is the starting balance plus every
// game's win less its stake, less the stakes of the hands left dealt; no hand
// is settled twice; and every hand left dealt at a kill comes back with its
// cards and deck, and is drawn from that deck when it is played.
//
// LYNX_SOAK_KILLS sets the number of kills (10 unless it asks for more: a
// long soak is run as the program itself, past CTest's time limit);
// LYNX_SOAK_SEED replays the run of a seed printed before.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/x_session.h"

namespace {

using lynx::e2e::GameProcess;
using lynx::e2e::Installed;
using lynx::e2e::PollUntil;
using lynx::e2e::ReadFile;
using lynx::e2e::WriteFile;
using lynx::e2e::XServer;

constexpr std::int64_t kStartCredits = 100000;

struct HandRow {
  std::string game;
  int coins = 0;
  std::string dealt;
  int held = 0;
  std::string deck;
};

struct GameRow {
  std::int64_t id = 0;
  std::string game;
  int coins = 0;
  std::string dealt;
  int held = 0;
  std::string final;
};

// One consistent look at the history file.
struct Ledger {
  std::string problem;  // why the file could not be read; empty when it was
  bool exists = false;
  std::optional<std::int64_t> credits;  // the journal's balance
  std::int64_t net = 0;                 // wins less stakes of the games played
  std::int64_t staked = 0;              // stakes of the hands left dealt
  std::int64_t games = 0;
  std::int64_t distinctDeals = 0;   // games told apart by game and dealt cards
  std::int64_t settledYetLeft = 0;  // hands left dealt that a game already settled
  std::int64_t sessions = 0;
  std::int64_t lastGameId = 0;
  std::vector<HandRow> hands;
  std::vector<GameRow> played;  // every game played, in order
};

std::string Text(sqlite3_stmt* row, int column) {
  const unsigned char* text = sqlite3_column_text(row, column);
  return text == nullptr ? std::string() : reinterpret_cast<const char*>(text);
}

// Reads the file through a read-only connection (nothing in it is changed or
// upgraded), in one read transaction; waits up to two seconds for a lock.
Ledger ReadLedger(const QString& path) {
  Ledger ledger;
  if (!QFile::exists(path)) return ledger;
  ledger.exists = true;
  sqlite3* db = nullptr;
  const QByteArray name = QFile::encodeName(path);
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> owner(nullptr, sqlite3_close);
  if (sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ledger.problem = db != nullptr ? sqlite3_errmsg(db) : "cannot open";
    sqlite3_close(db);
    return ledger;
  }
  owner.reset(db);
  sqlite3_busy_timeout(db, 2000);
  const auto each = [&](const char* sql, const std::function<void(sqlite3_stmt*)>& row) {
    if (!ledger.problem.empty()) return;
    sqlite3_stmt* statement = nullptr;
    int code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (code == SQLITE_OK) {
      while ((code = sqlite3_step(statement)) == SQLITE_ROW) row(statement);
    }
    if (code != SQLITE_DONE) ledger.problem = std::string(sqlite3_errmsg(db)) + " in " + sql;
    sqlite3_finalize(statement);
  };
  each("BEGIN", [](sqlite3_stmt*) {});
  each(
      "SELECT (SELECT credits FROM journal WHERE id = 1), "
      "(SELECT coalesce(sum(won - coins), 0) FROM games WHERE practice = 0), "
      "(SELECT coalesce(sum(coins), 0) FROM hands), "
      "(SELECT count(*) FROM games WHERE practice = 0), "
      "(SELECT count(DISTINCT game || ' ' || dealt) FROM games WHERE practice = 0), "
      "(SELECT count(*) FROM hands JOIN games USING (game, dealt) WHERE practice = 0), "
      "(SELECT count(*) FROM sessions), (SELECT coalesce(max(id), 0) FROM games)",
      [&](sqlite3_stmt* s) {
        if (sqlite3_column_type(s, 0) != SQLITE_NULL) ledger.credits = sqlite3_column_int64(s, 0);
        ledger.net = sqlite3_column_int64(s, 1);
        ledger.staked = sqlite3_column_int64(s, 2);
        ledger.games = sqlite3_column_int64(s, 3);
        ledger.distinctDeals = sqlite3_column_int64(s, 4);
        ledger.settledYetLeft = sqlite3_column_int64(s, 5);
        ledger.sessions = sqlite3_column_int64(s, 6);
        ledger.lastGameId = sqlite3_column_int64(s, 7);
      });
  each("SELECT game, coins, dealt, held, deck FROM hands ORDER BY game", [&](sqlite3_stmt* s) {
    ledger.hands.push_back(
        {Text(s, 0), sqlite3_column_int(s, 1), Text(s, 2), sqlite3_column_int(s, 3), Text(s, 4)});
  });
  each("SELECT id, game, coins, dealt, held, final FROM games WHERE practice = 0 ORDER BY id",
       [&](sqlite3_stmt* s) {
         ledger.played.push_back({sqlite3_column_int64(s, 0), Text(s, 1), sqlite3_column_int(s, 2),
                                  Text(s, 3), sqlite3_column_int(s, 4), Text(s, 5)});
       });
  each("COMMIT", [](sqlite3_stmt*) {});
  return ledger;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The five cards a draw from deck gives: the held cards of dealt stay, each
// other one is replaced by the next card of the deck after the first five.
std::string DrawnFrom(const std::string& deck, const std::string& dealt, int held) {
  const std::vector<std::string> cards = Words(deck);
  std::vector<std::string> hand = Words(dealt);
  if (cards.size() < 10 || hand.size() != 5) return "<no deck>";
  std::size_t next = 5;
  std::string text;
  for (int i = 0; i < 5; ++i) {
    if ((held >> i & 1) == 0) hand[static_cast<std::size_t>(i)] = cards[next++];
    text += (i > 0 ? " " : "") + hand[static_cast<std::size_t>(i)];
  }
  return text;
}

std::string Describe(const HandRow& hand) {
  return hand.game + " [" + hand.dealt + "] " + std::to_string(hand.coins) + " coins, held " +
         std::to_string(hand.held);
}

// Empty when the file accounts for every credit and no deal was settled twice.
std::string LedgerProblem(const Ledger& ledger) {
  if (!ledger.problem.empty()) return "unreadable history: " + ledger.problem;
  if (!ledger.credits) return "the journal holds no balance";
  std::ostringstream out;
  const std::int64_t expected = kStartCredits + ledger.net - ledger.staked;
  if (*ledger.credits != expected)
    out << "journal balance " << *ledger.credits << ", but the games and hands make " << expected
        << " (" << kStartCredits << " + " << ledger.net << " won less staked - " << ledger.staked
        << " in hands left dealt); ";
  if (ledger.distinctDeals != ledger.games)
    out << ledger.games - ledger.distinctDeals << " deal(s) settled more than once; ";
  if (ledger.settledYetLeft != 0)
    out << ledger.settledYetLeft << " hand(s) left dealt that a game already settled; ";
  return out.str();
}

// A hand that was left dealt at a kill, followed until it is played.
struct Followed {
  HandRow hand;
  std::int64_t lastGameAtKill = 0;
  bool seenAgain = false;  // found left dealt after the restart
};

enum class Fate { Waiting, Played, Lost };

// Where a hand left dealt at a kill is now: still left dealt with the same
// deck, or played (a game after the kill with its dealt cards, drawn from its
// deck); anything else loses it. why tells what was found.
Fate FateOf(const Followed& followed, const Ledger& ledger, std::string* why) {
  const HandRow& hand = followed.hand;
  for (const HandRow& now : ledger.hands) {
    if (now.game != hand.game) continue;
    if (now.dealt == hand.dealt && now.deck == hand.deck && now.coins == hand.coins)
      return Fate::Waiting;
    *why = "in its place: " + Describe(now);
  }
  for (const GameRow& game : ledger.played) {
    if (game.id <= followed.lastGameAtKill || game.game != hand.game || game.dealt != hand.dealt)
      continue;
    const std::string drawn = DrawnFrom(hand.deck, hand.dealt, game.held);
    if (game.coins == hand.coins && game.final == drawn) return Fate::Played;
    *why = "played as game " + std::to_string(game.id) + " with " + std::to_string(game.coins) +
           " coins, giving [" + game.final + "] where its deck gives [" + drawn + "]";
    return Fate::Lost;
  }
  return Fate::Lost;
}

int FromEnvironment(const char* name, int fallback) {
  bool ok = false;
  const int value = qEnvironmentVariableIntValue(name, &ok);
  return ok ? value : fallback;
}

class CreditSoak : public testing::Test {
 protected:
  const QString kTitlePattern = QStringLiteral("^LYNX Video Poker$");
  const QString kTablePattern =
      QStringLiteral("^LYNX Video Poker -- (Jacks or Better|Joker Wild|Deuces Wild)$");
  const QString kQuestionPattern = QStringLiteral("^Resume Saved Game\\?$");
  const QString kHelpPattern = QStringLiteral("^LYNX Video Poker Help$");

  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool"}) {
      if (!Installed(QLatin1String(tool)))
        GTEST_SKIP() << tool << " is not installed (scripts/install-deps installs it)";
    }
    ASSERT_TRUE(config.isValid() && runtime.isValid());
    savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    x = std::make_unique<XServer>();
    ASSERT_FALSE(x->Display().isEmpty()) << "Xvfb did not start";
  }
  void TearDown() override { qputenv("XDG_RUNTIME_DIR", savedRuntime); }

  QString HistoryPath() const {
    return config.filePath(QStringLiteral("data/lynx-video-poker/history.sqlite"));
  }

  // The visible windows whose titles match pattern (an extended expression).
  QStringList Windows(const QString& pattern) const {
    QStringList ids;
    const QByteArray out = x->Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), pattern});
    for (const QByteArray& line : out.split('\n'))
      if (!line.trimmed().isEmpty()) ids << QString::fromLatin1(line.trimmed());
    return ids;
  }

  // The boxes in front of the title window or a table: refusals, messages.
  QStringList Boxes() const {
    QStringList boxes = Windows(kTitlePattern);
    boxes.removeAll(titleWindow);
    return boxes;
  }

  // The history's name of the game a table window plays.
  std::string GameOfTable(const QString& table) const {
    const QByteArray name = x->Xdotool({QStringLiteral("getwindowname"), table}).trimmed();
    if (name.endsWith("Joker Wild")) return "joker";
    if (name.endsWith("Deuces Wild")) return "deuces";
    return "jacks";
  }

  // Starts the game and answers the start-up boxes: the message about a run
  // that did not end normally, then the resume question (Yes). Ready once the
  // run's session is in the history; empty (and the game ended) when it never
  // got there.
  std::string StartUntilReady(std::int64_t sessionsBefore) {
    game = std::make_unique<GameProcess>(config.path(), x->Display());
    if (!game->Started()) return "the game did not start";
    bool answered = false;
    const bool ready = PollUntil(
        [&] {
          if (answered) return ReadLedger(HistoryPath()).sessions > sessionsBefore;
          if (const QStringList question = Windows(kQuestionPattern); !question.isEmpty()) {
            answered = x->Keys(question.front(), {QStringLiteral("Return")});
          } else if (const QStringList message = Windows(kTitlePattern); !message.isEmpty()) {
            // Before the question nothing else has this title.
            x->Keys(message.front(), {QStringLiteral("Return")});
          }
          return false;
        },
        60000, 50);
    if (!ready)
      return std::string(answered ? "no new session" : "no resume question") +
             " (game: " + game->WaitForEnd(0) + ")";
    QStringList titles;
    PollUntil([&] { return (titles = Windows(kTitlePattern)).size() == 1; }, 10000, 50);
    if (titles.size() != 1)
      return "expected the title window alone, found " + std::to_string(titles.size()) +
             " windows with its title";
    titleWindow = titles.front();
    return {};
  }

  // Opens the table of a random game from the title window, mostly the game
  // left last (where a hand may be waiting); its window id, or empty when it
  // did not come.
  QString OpenRandomTable() {
    if (!Windows(kTitlePattern).contains(titleWindow)) return {};
    if (lastGame == 0 || std::uniform_int_distribution<int>(0, 3)(random) == 0)
      lastGame = std::uniform_int_distribution<int>(1, 3)(random);
    x->Keys(titleWindow, {QString::number(lastGame)});
    QStringList tables;
    PollUntil([&] { return !(tables = Windows(kTablePattern)).isEmpty(); }, 10000, 50);
    return tables.isEmpty() ? QString() : tables.front();
  }

  // One random act of a player: a box in the way is answered, a closed table
  // opened, else a key of the machine pressed (never the one that adds credits).
  void RandomStep() {
    if (const QStringList boxes = Boxes(); !boxes.isEmpty()) {
      x->Keys(boxes.front(), {QStringLiteral("Return")});
      return;
    }
    const QStringList tables = Windows(kTablePattern);
    if (tables.isEmpty()) {
      OpenRandomTable();
      return;
    }
    const int pick = std::uniform_int_distribution<int>(0, 99)(random);
    QString key;
    if (pick < 30)
      key = QStringLiteral("Return");
    else if (pick < 45)
      key = QStringLiteral("b");
    else if (pick < 53)
      key = QStringLiteral("m");
    else if (pick < 90)
      key = QString::number(1 + pick % 5);
    else
      key = QStringLiteral("Escape");
    x->Keys(tables.front(), {key});
  }

  // Leaves a hand known to the test on a table. The table open is left
  // (Escape: once it has closed, every key sent before has been acted on)
  // and the same game opened again, which brings back a hand left dealt
  // there; then max bet (deals unless a hand is dealt), a draw, max bet again
  // (a fresh deal) and the first and third cards held. The help window,
  // opened last, comes up once all of it has been done. The game of that
  // hand, or empty when boxes kept taking the keys.
  std::string DealKnownHand() {
    for (int attempt = 0; attempt < 3; ++attempt) {
      for (const QString& box : Boxes()) x->Keys(box, {QStringLiteral("Return")});
      if (const QStringList open = Windows(kTablePattern); !open.isEmpty()) {
        x->Keys(open.front(), {QStringLiteral("Escape")});
        if (!PollUntil([&] { return Windows(kTitlePattern).contains(titleWindow); }, 15000, 50))
          continue;
      }
      if (lastGame == 0) lastGame = std::uniform_int_distribution<int>(1, 3)(random);
      x->Keys(titleWindow, {QString::number(lastGame)});
      QStringList tables;
      if (!PollUntil([&] { return (tables = Windows(kTablePattern)).size() == 1; }, 10000, 50))
        continue;
      const QString table = tables.front();
      const std::string game = GameOfTable(table);
      x->Keys(table, {QStringLiteral("m"), QStringLiteral("Return"), QStringLiteral("m"),
                      QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("F1")});
      if (PollUntil([&] { return !Windows(kHelpPattern).isEmpty(); }, 15000, 50))
        return Windows(kTablePattern) == QStringList{table} ? game : std::string();
    }
    return {};
  }

  QTemporaryDir config;
  QTemporaryDir runtime;
  QByteArray savedRuntime;
  std::unique_ptr<XServer> x;
  std::unique_ptr<GameProcess> game;
  QString titleWindow;
  int lastGame = 0;  // the key of the game opened last, 0 before the first
  std::mt19937 random;
};

TEST_F(CreditSoak, KillsAtAnyMomentNeitherMakeNorLoseACredit) {
  const auto seed = static_cast<std::uint32_t>(
      FromEnvironment("LYNX_SOAK_SEED", static_cast<int>(std::random_device{}() & 0x7fffffff)));
  const int kills = std::max(10, FromEnvironment("LYNX_SOAK_KILLS", 10));
  random.seed(seed);
  std::cout << "credit soak: seed " << seed << " (LYNX_SOAK_SEED=" << seed << " replays it), "
            << kills << " kills" << std::endl;
  SCOPED_TRACE("LYNX_SOAK_SEED=" + std::to_string(seed));

  ASSERT_TRUE(WriteFile(config.filePath(QStringLiteral("ZEB.INI")),
                        "[Settings]\nCredits=100000\nBorrowed=100\nLargeCards=0\n"
                        "[Coach]\nWarn=0\n"));

  std::vector<Followed> followed;
  int restarts = 0, handsAtKills = 0, handsBack = 0, handsPlayed = 0, knownKills = 0;
  std::int64_t sessions = 0;
  for (int cycle = 0; cycle <= kills; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    ASSERT_EQ(StartUntilReady(sessions), "");
    if (cycle > 0) ++restarts;

    // The run as the last kill left it, and the start's own writes.
    const Ledger ready = ReadLedger(HistoryPath());
    ASSERT_EQ(LedgerProblem(ready), "");
    ASSERT_EQ(ready.sessions, sessions + 1);
    sessions = ready.sessions;
    for (Followed& hand : followed) {
      std::string why;
      const Fate fate = FateOf(hand, ready, &why);
      ASSERT_EQ(fate, Fate::Waiting) << "after the restart, the hand " << Describe(hand.hand)
                                     << " left dealt at the kill is gone; " << why;
      if (!hand.seenAgain) ++handsBack;
      hand.seenAgain = true;
    }
    if (cycle == kills) {
      // The end: a normal close saves the journal's balance in the settings.
      game->Terminate();
      ASSERT_EQ(game->WaitForEnd(20000), "0");
      const Ledger closed = ReadLedger(HistoryPath());
      ASSERT_EQ(LedgerProblem(closed), "");
      EXPECT_EQ(closed.credits, ready.credits);
      EXPECT_NE(ReadFile(config.filePath(QStringLiteral("ZEB.INI")))
                    .find("\nCredits=" + std::to_string(ready.credits.value_or(-1)) + "\n"),
                std::string::npos)
          << ReadFile(config.filePath(QStringLiteral("ZEB.INI")));
      std::cout << "credit soak: " << kills << " kills, " << restarts << " restarts, "
                << closed.games << " games played, " << handsAtKills
                << " hands found dealt at a kill, " << handsBack << " came back after the restart ("
                << handsPlayed << " then played from their decks), " << knownKills
                << " kills with a hand the test dealt, final balance "
                << closed.credits.value_or(-1) << std::endl;
      break;
    }

    // Random play for 0.3 s to 4 s; every other kill then waits for a hand
    // it dealt itself, so that a hand is certainly left at the kill.
    const int playMs = std::uniform_int_distribution<int>(300, 4000)(random);
    const bool dealKnown = std::uniform_int_distribution<int>(0, 1)(random) == 0;
    const QDeadlineTimer playing(playMs);
    while (!playing.hasExpired()) {
      RandomStep();
      QThread::msleep(std::uniform_int_distribution<unsigned long>(0, 120)(random));
    }
    const std::string knownGame = dealKnown ? DealKnownHand() : std::string();
    // SIGKILL, unless the game has already ended by itself (a crash).
    ASSERT_EQ(game->WaitForEnd(0), "did not end") << "the game ended before the kill";

    const Ledger killed = ReadLedger(HistoryPath());
    ASSERT_EQ(LedgerProblem(killed), "");
    if (!knownGame.empty()) {
      ++knownKills;
      const auto known = std::find_if(killed.hands.begin(), killed.hands.end(),
                                      [&](const HandRow& h) { return h.game == knownGame; });
      ASSERT_NE(known, killed.hands.end())
          << "the " << knownGame << " hand dealt before the kill is not in the history";
      EXPECT_EQ(known->coins, 5);
      EXPECT_EQ(known->held, 0b00101) << Describe(*known);
    }
    // The hands followed before are played or still waiting; the ones left
    // now are followed from here.
    std::vector<Followed> still;
    for (const Followed& hand : followed) {
      std::string why;
      const Fate fate = FateOf(hand, killed, &why);
      ASSERT_NE(fate, Fate::Lost) << "the hand " << Describe(hand.hand) << " is lost; " << why;
      if (fate == Fate::Played)
        ++handsPlayed;
      else
        still.push_back(hand);
    }
    for (const HandRow& hand : killed.hands) {
      const bool known = std::any_of(still.begin(), still.end(), [&](const Followed& f) {
        return f.hand.game == hand.game && f.hand.dealt == hand.dealt;
      });
      if (known) continue;
      ++handsAtKills;
      still.push_back({hand, killed.lastGameId, false});
    }
    followed = std::move(still);
  }
}

}  // namespace
