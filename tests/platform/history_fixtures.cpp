// Writes the history files of the earlier schema versions that
// test_history_upgrades opens: history_v<N>.sqlite for N = 1..7 in the folder
// given (tests/platform/data). Each holds what its version wrote: three dozen
// games of the three games dealt from real shuffles and valued by the coach,
// one demonstration deal, one row another program damaged, a journal and a
// hand left dealt; sessions from version 2 on (one run without a game), the
// coach's judgement from version 3 on (some games unjudged, some held worse
// than best play, one a rounding error below it), practice hands from
// version 4 on (one run of practice only), the journal's change number in
// version 5, games of the library on named and custom pay tables in version
// 7 (one of a game the library does not have). Fixed seeds and times: a
// second run writes the same bytes with the same SQLite library.
//   history_fixtures <folder>
#include <QDir>
#include <QFile>
#include <QTimeZone>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "coach/coach.h"
#include "engine/evaluate.h"
#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/paytable.h"
#include "machine/trainer_machine.h"
#include "tests/support/history_file.h"

namespace {

using namespace lynx;
using testing_support::HistoryFileWriter;

constexpr int kLastVersion = 7;
constexpr int kGames = 36;

const StrategyTables& Tables(GameVariant game) {
  static std::array<std::unique_ptr<StrategyTables>, 3> built;
  auto& slot = built[static_cast<std::size_t>(game - 1)];
  if (!slot) slot = std::make_unique<StrategyTables>(game);
  return *slot;
}

const StrategyTables& LibraryTables(const GameRules& rules) {
  static std::vector<std::pair<const GameRules*, std::unique_ptr<StrategyTables>>> built;
  for (const auto& [game, tables] : built) {
    if (game == &rules) return *tables;
  }
  built.emplace_back(&rules, std::make_unique<StrategyTables>(rules));
  return *built.back().second;
}

// The first hold, by the fewest changes to best play, that is not as good.
unsigned WorseHold(const HandJudgement& judgement) {
  for (unsigned change = 1; change < 32; ++change) {
    if (!judgement.IsBest(judgement.bestMask ^ change)) return judgement.bestMask ^ change;
  }
  return judgement.bestMask;
}

void Judge(GameRecord& game, const HandJudgement& judgement) {
  const HoldVerdict verdict = JudgeHold(judgement, static_cast<unsigned>(game.held));
  game.bestEv = verdict.bestEv;
  game.heldEv = verdict.heldEv;
  game.bestHolds = QString::fromStdString(verdict.bestHolds);
}

std::string Write(const QString& path, int version) {
  HistoryFileWriter file(path, version);
  SeededSource random(static_cast<std::uint32_t>(9000 + version));
  const QDateTime start(QDate(2026, 3, version), QTime(18, 0), QTimeZone::utc());
  const bool sessions = version >= testing_support::kSessionsSince;
  const bool coach = version >= testing_support::kCoachSince;
  const bool practice = version >= testing_support::kPracticeSince;
  // Runs 1 and 2 play, run 3 ends without a game, run 4 only practises.
  if (sessions) {
    for (int run = 1; run <= (practice ? 4 : 3); ++run)
      file.Session(run, start.addSecs((run - 1) * 7200));
  }

  int credits = 100;  // a loan of 100 to start with
  const int borrowed = 100;
  QDateTime at = start;
  std::vector<GameRecord> mistakes;
  auto practise = [&](const GameRecord& mistake, std::int64_t session, bool best) {
    GameRecord hand = mistake;
    const Deck deck = PracticeDeck(hand.dealt, hand.game, random);
    const HandJudgement judgement = JudgeHand(Tables(hand.game), hand.dealt, hand.coins);
    hand.held = static_cast<int>(best ? judgement.bestMask : WorseHold(judgement));
    hand.final = DrawHand(deck, hand.dealt, HoldMask::FromBits(static_cast<unsigned>(hand.held)));
    hand.row = ClassifyHand(hand.final, hand.game);
    hand.won = 0;
    hand.creditsAfter = credits;
    hand.demo = true;
    hand.practice = true;
    hand.session = session;
    at = at.addSecs(5);
    hand.playedAt = at;
    Judge(hand, judgement);
    file.Game(hand);
  };

  static constexpr int kCoins[] = {5, 5, 1, 3, 5, 2, 5, 4};
  for (int i = 0; i < kGames; ++i) {
    if (i == kGames / 2) at = start.addSecs(7200);
    at = at.addSecs(9 + i % 5);
    GameRecord game;
    game.game = static_cast<GameVariant>(i % 3 + 1);
    game.coins = kCoins[i % 8];
    game.playedAt = at;
    game.session = sessions ? (i < kGames / 2 ? 1 : 2) : 0;
    Deck deck;
    Shuffle(deck, game.game, random);
    game.demo = i == 7;  // a demonstration deal: the royal stacked on top
    if (game.demo) StackDemoHand(deck, game.game, kDemoRoyal);
    game.dealt = DealHand(deck);
    const HandJudgement judgement = JudgeHand(Tables(game.game), game.dealt, game.coins);
    // Every fourth game is held worse than best play.
    game.held = static_cast<int>(i % 4 == 2 ? WorseHold(judgement) : judgement.bestMask);
    game.final = DrawHand(deck, game.dealt, HoldMask::FromBits(static_cast<unsigned>(game.held)));
    game.row = ClassifyHand(game.final, game.game);
    game.won = Payout(game.game, game.row, game.coins);
    credits += game.won - game.coins;
    game.creditsAfter = credits;
    // The coach was off for every sixth game.
    if (coach && i % 6 != 5) {
      Judge(game, judgement);
      // A best hold whose value came out a rounding error below best play.
      if (i == 9) game.heldEv = std::nextafter(*game.bestEv, 0.0);
      if (i % 4 == 2) mistakes.push_back(game);
    }
    // Another program's change: every card held, yet the last one replaced
    // (by a card from deep in the deck, so the hand is still five cards).
    if (i == 20) {
      game.held = 31;
      game.final = game.dealt;
      game.final[4] = deck.At(11);
    }
    file.Game(game);
    if (practice && i == 25) practise(mistakes.front(), 2, true);
  }
  // Games of the library in run 2, each a deal of one hand: (game, table,
  // coins, held worse than best play, judged). Bonus Poker on pays the
  // player edited; the last names a game the library does not have.
  struct LibraryGame {
    const char* game;
    const char* table;
    int coins;
    bool worse;
    bool judged;
  };
  static constexpr LibraryGame kLibraryGames[] = {
      {"double-double-bonus", "9/6", 5, false, true},
      {"double-double-bonus", "9/6", 1, true, true},
      {"double-double-bonus", "9/6", 5, false, false},
      {"deuces-nsu", "not so ugly", 3, true, true},
      {"deuces-nsu", "not so ugly", 5, false, true},
      {"joker-kings", "20/7/5", 2, false, true},
      {"joker-kings", "20/7/5", 5, true, true},
      {"jacks", "machine", 4, false, true},
      {"bonus", "custom", 5, true, true},
      {"bonus", "custom", 2, false, false},
      {"pai-gow", "9/6", 5, false, true},
  };
  for (const LibraryGame& played : version >= testing_support::kLibrarySince
                                       ? std::span<const LibraryGame>(kLibraryGames)
                                       : std::span<const LibraryGame>()) {
    const bool known = FindGame(played.game) != nullptr;
    const GameRules& rules = known ? *FindGame(played.game) : *FindGame("double-double-bonus");
    Pays pays = DefaultPays(rules);
    if (const NamedTable* table = FindTable(rules, played.table)) pays = PaysOf(rules, *table);
    if (std::string_view(played.table) == "custom") pays.perCoin[6] += 1;  // a better flush
    TrainerDeck deck;
    ShuffleTrainerDeck(deck, rules, random);
    GameRecord game;
    game.game = rules.family;
    game.libraryGame = QString::fromLatin1(played.game);
    game.payTable = QString::fromLatin1(played.table);
    game.coins = played.coins;
    game.session = 2;
    at = at.addSecs(11);
    game.playedAt = at;
    std::copy_n(deck.cards.begin(), 5, game.dealt.begin());
    const HandJudgement judgement =
        JudgeHand(LibraryTables(rules), game.dealt, game.coins, pays, rules.deck);
    game.held = static_cast<int>(played.worse ? WorseHold(judgement) : judgement.bestMask);
    game.final = game.dealt;
    int next = 5;
    for (std::size_t i = 0; i < 5; ++i) {
      if ((game.held >> i & 1) == 0) game.final[i] = deck.cards[static_cast<std::size_t>(next++)];
    }
    game.row = ClassifyRules(game.final, rules);
    game.won = static_cast<int>(PayoutOf(pays, game.row, game.coins));
    credits += game.won - game.coins;
    game.creditsAfter = credits;
    if (played.judged) Judge(game, judgement);
    file.Game(game);
  }

  if (practice) {
    at = start.addSecs(3 * 7200);
    for (std::size_t m = 1; m <= 3; ++m) practise(mistakes[m], 4, m != 2);
  }

  // Left with a hand dealt (version 5 on: two), its stake already taken.
  for (int h = 0; h < (version >= 5 ? 2 : 1); ++h) {
    HandInProgress hand;
    hand.game = static_cast<GameVariant>((version + h) % 3 + 1);
    hand.coins = 3 + h;
    Shuffle(hand.deck, hand.game, random);
    hand.demo = version == 2;
    if (hand.demo) StackDemoHand(hand.deck, hand.game, kDemoSecond);
    hand.dealt = DealHand(hand.deck);
    hand.held = h == 0 ? 0 : 0b10110;
    credits -= hand.coins;
    file.Hand(hand);
  }
  // Runs that crashed, ended cleanly, or whose save failed (version 5).
  static constexpr int kRunning[] = {0, 1, 0, 1, 0, 2, 1, 0};
  file.Journal(credits, borrowed, kRunning[version], 4217);
  file.Finish();
  return file.Error();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: history_fixtures <folder>\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  for (int version = 1; version <= kLastVersion; ++version) {
    const QString path = folder.filePath(QStringLiteral("history_v%1.sqlite").arg(version));
    QFile::remove(path);
    const std::string error = Write(path, version);
    if (!error.empty()) {
      std::fprintf(stderr, "%s: %s\n", qPrintable(path), error.c_str());
      QFile::remove(path);
      return 1;
    }
    std::printf("%s\n", qPrintable(path));
  }
  return 0;
}
