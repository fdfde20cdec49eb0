// The credit ledger through many crashes: the game, on a private X server, is played with random
// keys and SIGKILLed at random moments. After every kill and restart the history must account for
// every credit, settle no deal twice, and bring back each hand left dealt with its cards and deck,
// to be drawn from that deck. LYNX_SOAK_KILLS sets the kills (at least 10; a long soak runs the
// program itself, past CTest's time limit); LYNX_SOAK_SEED replays a seed.
#include <gmock/gmock.h>
#include <sqlite3.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <iostream>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/x_session.h"

namespace {

using namespace lynx::e2e;
using namespace testing;

// A game played (cards: the final hand) or a hand left dealt (cards: its deck).
struct Row {
  std::string game;
  int coins = 0;
  std::string dealt;
  int held = 0;
  std::string cards;
  int won = 0;
};

struct Ledger {
  std::string problem;        // why the file could not be read; empty when it was
  std::int64_t credits = -1;  // the journal's balance, -1 when it holds none
  std::int64_t sessions = 0;
  std::vector<Row> hands;
  std::vector<Row> played;  // no practice
};

// Read-only, so that nothing is changed or upgraded; one statement, so that the totals, the hands
// left dealt and the games played are read at one moment.
Ledger ReadLedger(const QString& path) {
  Ledger ledger;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr))
    ledger.problem = sqlite3_errmsg(db);
  const std::unique_ptr<sqlite3, int (*)(sqlite3*)> owner(db, sqlite3_close);
  sqlite3_busy_timeout(db, 2000);
  const char* sql =
      "SELECT 'totals', ifnull((SELECT credits FROM journal WHERE id = 1), -1), "
      "(SELECT count(*) FROM sessions), '', 0, '', 0 "
      "UNION ALL SELECT 'hand', game, coins, dealt, held, deck, 0 FROM hands "
      "UNION ALL SELECT 'game', game, coins, dealt, held, final, won FROM games WHERE practice = 0";
  const auto add = [](void* to, int, char** text, char**) {  // no column is NULL
    Ledger& ledger = *static_cast<Ledger*>(to);
    const std::string kind = text[0];
    if (kind == "totals") {
      ledger.credits = std::stoll(text[1]);
      ledger.sessions = std::stoll(text[2]);
      return 0;
    }
    (kind == "hand" ? ledger.hands : ledger.played)
        .push_back({text[1], std::stoi(text[2]), text[3], std::stoi(text[4]), text[5],
                    std::stoi(text[6])});
    return 0;
  };
  if (ledger.problem.empty() && sqlite3_exec(db, sql, add, &ledger, nullptr) != SQLITE_OK)
    ledger.problem = sqlite3_errmsg(db);
  return ledger;
}

std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << row.game << " [" << row.dealt << "] " << row.coins << " coins, held " << row.held;
}

// The journal's balance is the start plus every game's win less its stake, less the stakes of the
// hands left dealt; no deal is settled twice, or left once settled.
void ExpectBalanced(const Ledger& ledger) {
  ASSERT_EQ(ledger.problem, "") << "unreadable history";
  std::int64_t balance = 100000;
  std::set<std::string> settled;  // game and dealt cards
  for (const Row& game : ledger.played) {
    balance += game.won - game.coins;
    ASSERT_TRUE(settled.insert(game.game + " " + game.dealt).second) << "twice: " << game;
  }
  for (const Row& hand : ledger.hands) {
    balance -= hand.coins;
    ASSERT_FALSE(settled.count(hand.game + " " + hand.dealt)) << "settled yet left: " << hand;
  }
  ASSERT_EQ(ledger.credits, balance) << "the journal's balance (-1: none)";
}

// "waiting" while the hand is left dealt as it was; "played" once the game settling its deal had
// its coins and drew from its deck (held cards stay, the rest come after the deck's first five).
std::string FateOf(const Row& hand, const Ledger& ledger) {
  for (const Row& now : ledger.hands)
    if (now.game == hand.game && now.dealt == hand.dealt && now.cards == hand.cards &&
        now.coins == hand.coins)
      return "waiting";
  for (const Row& game : ledger.played) {
    if (game.game != hand.game || game.dealt != hand.dealt) continue;
    std::istringstream deck(hand.cards), dealt(hand.dealt);
    std::string card, drawn;
    for (int i = 0; i < 5; ++i) deck >> card;
    for (int i = 0; i < 5; ++i) {
      dealt >> card;
      if ((game.held >> i & 1) == 0) deck >> card;
      drawn += (i > 0 ? " " : "") + card;
    }
    if (game.coins == hand.coins && game.cards == drawn) return "played";
    return "played with " + std::to_string(game.coins) + " coins, held " +
           std::to_string(game.held) + ", giving [" + game.cards + "], not [" + drawn + "]";
  }
  return "neither left dealt nor played";
}

class CreditSoak : public testing::Test {
 protected:
  const QString kTitle = QStringLiteral("^LYNX Video Poker$");
  const QString kTable = QStringLiteral("^LYNX Video Poker -- ");

  void SetUp() override {
    if (!Installed(QStringLiteral("Xvfb")) || !Installed(QStringLiteral("xdotool")))
      GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/install-deps installs them)";
    ASSERT_TRUE(config.isValid() && runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    x = std::make_unique<XServer>();
    ASSERT_FALSE(x->Display().isEmpty()) << "Xvfb did not start";
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
  bool Press(const QString& id, const QString& keys) { return x->Keys(id, keys.split(' ')); }
  QStringList Windows(const QString& pattern) const {
    const QStringList search = QStringLiteral("search --onlyvisible --name").split(' ') << pattern;
    return QString::fromLatin1(x->Xdotool(search)).split('\n', Qt::SkipEmptyParts);
  }
  // Answers the boxes in front of the title window or a table (refusals, messages); false if none.
  bool AnswerBoxes() {
    QStringList boxes = Windows(kTitle);
    boxes.removeAll(titleWindow);
    for (const QString& box : boxes) Press(box, QStringLiteral("Return"));
    return !boxes.isEmpty();
  }

  // Starts the game, answers the resume question (Yes) and any box before it (a run that did not
  // end normally); empty once the run's session is in the history and the title window is alone.
  std::string StartUntilReady(std::int64_t before) {
    game = std::make_unique<GameProcess>(config.path(), x->Display());
    titleWindow.clear();
    QStringList windows;
    const auto question = [&] {
      AnswerBoxes();
      return !(windows = Windows(QStringLiteral("^Resume Saved Game\\?$"))).isEmpty();
    };
    const auto ready = [&] {
      return ReadLedger(history).sessions > before && (windows = Windows(kTitle)).size() == 1;
    };
    if (!game->Started() || !PollUntil(question, 60000, 50) ||
        !Press(windows.front(), QStringLiteral("Return")) || !PollUntil(ready, 30000, 50))
      return "not ready: " + windows.join(' ').toStdString() + ", game " + game->WaitForEnd(0);
    titleWindow = windows.front();
    return {};
  }

  // The table of the game played last (where a hand may be waiting) or of another, opened from the
  // title window once it shows; empty when none came.
  QString OpenTable(bool anyGame) {
    if (!PollUntil([&] { return Windows(kTitle).contains(titleWindow); }, 15000, 50)) return {};
    if (anyGame || lastGame == 0) lastGame = Pick(1, 3);
    x->Keys(titleWindow, {QString::number(lastGame)});
    QStringList tables;
    PollUntil([&] { return (tables = Windows(kTable)).size() == 1; }, 10000, 50);
    return tables.size() == 1 ? tables.front() : QString();
  }

  // A box answered, else a table opened or a key of the machine (never the one adding credits).
  void RandomStep() {
    if (AnswerBoxes()) return;
    const QStringList tables = Windows(kTable);
    const int pick = Pick(0, 99);
    if (tables.isEmpty())
      OpenTable(pick < 25);
    else
      Press(tables.front(), pick < 30   ? QStringLiteral("Return")
                            : pick < 45 ? QStringLiteral("b")
                            : pick < 53 ? QStringLiteral("m")
                            : pick < 90 ? QString::number(1 + pick % 5)
                                        : QStringLiteral("Escape"));
  }

  // Leaves a hand known to the test dealt, in the game it names. Closing and reopening the table
  // acts on every key sent before; then max bet (deals unless a hand waits), a draw, max bet, holds
  // 1 and 3, and help, which shows once all of it is done.
  std::string DealKnownHand() {
    AnswerBoxes();
    for (const QString& open : Windows(kTable)) Press(open, QStringLiteral("Escape"));
    const QString table = OpenTable(false);
    const bool done = !table.isEmpty() && Press(table, QStringLiteral("m Return m 1 3 F1")) &&
                      !x->WaitForWindow(QStringLiteral("LYNX Video Poker Help"), 15000).isEmpty();
    return done && Windows(kTable) == QStringList{table} ? kGames[lastGame - 1] : std::string();
  }

  const std::string kGames[3] = {"jacks", "joker", "deuces"};  // by key, as the history names them
  QTemporaryDir config;
  const QString history = config.filePath(QStringLiteral("data/lynx-video-poker/history.sqlite"));
  QTemporaryDir runtime;
  std::unique_ptr<XServer> x;
  std::unique_ptr<GameProcess> game;
  QString titleWindow;
  int lastGame = 0;  // the key of the game opened last
  std::mt19937 random;
};

TEST_F(CreditSoak, KillsAtAnyMomentNeitherMakeNorLoseACredit) {
  auto seed = static_cast<std::uint32_t>(qEnvironmentVariableIntValue("LYNX_SOAK_SEED"));
  if (!qEnvironmentVariableIsSet("LYNX_SOAK_SEED")) seed = std::random_device{}() >> 1;
  const int kills = qMax(10, qEnvironmentVariableIntValue("LYNX_SOAK_KILLS"));
  random.seed(seed);
  std::cout << "credit soak: seed " << seed << " (LYNX_SOAK_SEED=" << seed << " replays it), "
            << kills << " kills" << std::endl;
  const QString ini = config.filePath(QStringLiteral("ZEB.INI"));
  ASSERT_TRUE(
      WriteFile(ini, "[Settings]\nCredits=100000\nBorrowed=100\nLargeCards=0\n[Coach]\nWarn=0\n"));

  std::vector<Row> followed;  // the hands left dealt at the last kill
  int handsAtKills = 0, handsPlayed = 0, knownKills = 0;
  Ledger ready;
  for (int cycle = 0;; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    ASSERT_EQ(StartUntilReady(cycle), "");
    ready = ReadLedger(history);
    ASSERT_NO_FATAL_FAILURE(ExpectBalanced(ready));
    ASSERT_EQ(ready.sessions, cycle + 1);
    for (const Row& hand : followed)
      ASSERT_EQ(FateOf(hand, ready), "waiting") << "after the restart: " << hand;
    if (cycle == kills) break;

    // Random play; then, every other time, a hand the test deals, so that one is surely left.
    for (const QDeadlineTimer playing(Pick(300, 4000)); !playing.hasExpired();) {
      RandomStep();
      QThread::msleep(static_cast<unsigned long>(Pick(0, 120)));
    }
    const std::string knownGame = Pick(0, 1) == 0 ? DealKnownHand() : std::string();
    ASSERT_EQ(game->WaitForEnd(0), "did not end") << "the game ended by itself";  // SIGKILL

    const Ledger killed = ReadLedger(history);
    ASSERT_NO_FATAL_FAILURE(ExpectBalanced(killed));
    if (!knownGame.empty()) {
      ++knownKills;
      ASSERT_THAT(killed.hands, Contains(AllOf(Field(&Row::game, knownGame), Field(&Row::coins, 5),
                                               Field(&Row::held, 0b00101))));
    }
    int waiting = 0;
    for (const Row& hand : followed) {
      const std::string fate = FateOf(hand, killed);
      ASSERT_THAT(fate, AnyOf("waiting", "played")) << hand;
      (fate == "played" ? handsPlayed : waiting) += 1;
    }
    handsAtKills += static_cast<int>(killed.hands.size()) - waiting;
    followed = killed.hands;
  }

  ASSERT_EQ(game->RunUntilSigterm(20000), "0");  // a normal close: the balance into the settings
  const Ledger closed = ReadLedger(history);
  ASSERT_NO_FATAL_FAILURE(ExpectBalanced(closed));
  EXPECT_EQ(closed.credits, ready.credits);
  EXPECT_THAT(ReadFile(ini), HasSubstr("\nCredits=" + std::to_string(ready.credits) + "\n"));
  std::cout << "credit soak: " << kills << " kills, each restarted; " << closed.played.size()
            << " games played; " << handsAtKills << " hands found dealt at a kill, all back after "
            << "the restart (" << handsPlayed << " then played from their decks); " << knownKills
            << " kills with a hand the test dealt; final balance " << closed.credits << std::endl;
}

}  // namespace
