// Writes a long game history for timing the store on it (opening, upgrading,
// the history window's first view) or for trying the program with one:
//
//   make_long_history [--games N] [--schema V] FILE
//
// N rows (default 1,000,000) in the games table: runs of a few hundred to a
// few thousand games, each run at one of the three games and mostly one
// stake, dealt from the machine's shuffle, held as the coach advises or now
// and then worse, the coach's judgement kept for most runs; a demonstration
// deal now and then, practice hands after some mistakes, a hand left dealt
// and the journal. The file is made through the store's own migrations as
// schema version V left it (default: the current one; an earlier one to time
// the upgrade), in one transaction. A fixed seed: the same arguments give the
// same file. FILE must not exist yet.
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTimeZone>
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string_view>

#include "coach/coach.h"
#include "engine/evaluate.h"
#include "engine/paytable.h"
#include "tests/support/history_file.h"

namespace {

using namespace lynx;
using testing_support::HistoryFileWriter;

struct Options {
  std::int64_t games = 1'000'000;
  int schema = kHistorySchemaVersion;
  QString path;
};

bool Number(const char* text, std::int64_t& value) {
  const std::string_view s(text);
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  return error == std::errc() && end == s.data() + s.size();
}

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    std::int64_t value = 0;
    if ((arg == "--games" || arg == "--schema") && i + 1 < argc && Number(argv[i + 1], value)) {
      if (arg == "--games") {
        if (value < 1) return false;
        options.games = value;
      } else {
        if (value < 1 || value > kHistorySchemaVersion) return false;
        options.schema = static_cast<int>(value);
      }
      ++i;
    } else if (options.path.isEmpty() && !arg.starts_with("-")) {
      options.path = QString::fromLocal8Bit(argv[i]);
    } else {
      return false;
    }
  }
  return !options.path.isEmpty();
}

using Picks = std::mt19937;

// A pick in [0, n), n > 0 (the modulo's bias is far below anything measured).
int Pick(Picks& picks, int n) {
  return static_cast<int>(picks() % static_cast<std::uint32_t>(n));
}

// A deck whose top ten cards (the deal and the draw read no further) are as
// the machine's shuffle leaves them, uniformly random, in Joker Wild with the
// joker standing in for one ordinary card; the rest stays in code order. The
// machine's own shuffle takes twenty passes over the whole deck, more than
// everything else here together.
Deck DealingDeck(GameVariant game, Picks& picks) {
  Deck deck;
  if (game == kJokerWild) deck.Set(1 + Pick(picks, Deck::kSize), kJoker);
  for (int p = 1; p <= 10; ++p) deck.Swap(p, p + Pick(picks, Deck::kSize + 1 - p));
  return deck;
}

// A hold the coach does not count as best: mostly the next best one, as a
// player's slips usually are, now and then any.
unsigned WorseHold(const HandJudgement& judgement, Picks& picks) {
  if (judgement.bestCount == kHoldCount) return judgement.bestMask;
  if (Pick(picks, 4) != 0) {
    unsigned next = judgement.bestMask;
    double nextEv = -1;
    for (unsigned mask = 0; mask < kHoldCount; ++mask) {
      if (!judgement.IsBest(mask) && judgement.ev[mask] > nextEv) {
        next = mask;
        nextEv = judgement.ev[mask];
      }
    }
    return next;
  }
  for (;;) {
    const auto mask = static_cast<unsigned>(Pick(picks, kHoldCount));
    if (!judgement.IsBest(mask)) return mask;
  }
}

class LongHistory {
 public:
  LongHistory(HistoryFileWriter& file, std::int64_t games) : file(file), games(games) {
    for (const GameVariant game : {kJacksOrBetter, kJokerWild, kDeucesWild})
      tables[static_cast<std::size_t>(game - 1)] = std::make_unique<StrategyTables>(game);
  }

  bool Write() {
    while (written < games) {
      NewRun();
      for (int n = 0; n < runLength && written < games; ++n) {
        if (!Play()) return false;
      }
    }
    return LeaveHandDealt();
  }
  std::int64_t Sessions() const { return session; }

 private:
  static constexpr std::array<int, 5> kStakes{5, 5, 5, 1, 3};
  const StrategyTables& Tables(GameVariant game) const {
    return *tables[static_cast<std::size_t>(game - 1)];
  }

  void NewRun() {
    ++session;
    // Runs a few hours to a couple of days apart.
    at = at.addSecs(3 * 3600 + Pick(picks, 45 * 3600));
    if (file.Version() >= testing_support::kSessionsSince) file.Session(session, at);
    runLength = 200 + Pick(picks, 2800);
    // Jacks or Better half the time, Deuces Wild and Joker Wild the rest.
    static constexpr std::array<GameVariant, 6> kGames{
        kJacksOrBetter, kJacksOrBetter, kJacksOrBetter, kDeucesWild, kDeucesWild, kJokerWild};
    game = kGames[static_cast<std::size_t>(Pick(picks, static_cast<int>(kGames.size())))];
    coins = kStakes[static_cast<std::size_t>(Pick(picks, static_cast<int>(kStakes.size())))];
    coach = file.Version() >= testing_support::kCoachSince && Pick(picks, 8) != 0;
  }

  bool Play() {
    at = at.addSecs(5 + Pick(picks, 12));
    if (Pick(picks, 3000) == 0) coins = 1 + Pick(picks, kMaxCoins);  // a change of stake
    if (credits < coins) {
      credits += 500;  // a loan
      borrowed += 500;
    }
    GameRecord record;
    record.game = game;
    record.coins = coins;
    record.playedAt = at;
    record.session = session;
    Deck deck = DealingDeck(game, picks);
    record.demo = Pick(picks, 50000) == 0;
    if (record.demo) {
      static constexpr std::array<int, 3> kCodes{kDemoRoyal, kDemoSecond, kDemoThird};
      StackDemoHand(deck, game, kCodes[static_cast<std::size_t>(Pick(picks, 3))]);
    }
    record.dealt = DealHand(deck);
    const HandJudgement judgement = JudgeHand(Tables(game), record.dealt, coins);
    // Best play nine times in ten.
    const bool mistake = Pick(picks, 10) == 0;
    const unsigned mask = mistake ? WorseHold(judgement, picks) : judgement.bestMask;
    record.held = static_cast<int>(mask);
    record.final = DrawHand(deck, record.dealt, HoldMask::FromBits(mask));
    record.row = Tables(game).RowOf(record.final);
    record.won = Payout(game, record.row, coins);
    credits += record.won - coins;
    record.creditsAfter = credits;
    if (coach) Judge(record, judgement, mask);
    if (!file.Game(record)) return false;
    ++written;
    // Some mistakes are practised at once.
    if (mistake && coach && file.Version() >= testing_support::kPracticeSince &&
        Pick(picks, 5) == 0 && written < games) {
      GameRecord practice = record;
      const Deck again = PracticeDeck(record.dealt, game, random);
      practice.held = static_cast<int>(judgement.bestMask);
      practice.final = DrawHand(again, record.dealt, HoldMask::FromBits(judgement.bestMask));
      practice.row = Tables(game).RowOf(practice.final);
      practice.won = 0;
      practice.demo = true;
      practice.practice = true;
      at = at.addSecs(4);
      practice.playedAt = at;
      Judge(practice, judgement, judgement.bestMask);
      if (!file.Game(practice)) return false;
      ++written;
    }
    return true;
  }

  static void Judge(GameRecord& record, const HandJudgement& judgement, unsigned mask) {
    const HoldVerdict verdict = JudgeHold(judgement, mask);
    record.bestEv = verdict.bestEv;
    record.heldEv = verdict.heldEv;
    record.bestHolds = QString::fromLatin1(verdict.bestHolds.data(),
                                           static_cast<qsizetype>(verdict.bestHolds.size()));
  }

  // The last run was left with a hand dealt, its stake taken.
  bool LeaveHandDealt() {
    HandInProgress hand;
    hand.game = game;
    hand.coins = coins;
    Shuffle(hand.deck, game, random);
    hand.dealt = DealHand(hand.deck);
    hand.held = 0b00110;
    credits = std::max(credits - coins, 0);
    return file.Hand(hand) && file.Journal(credits, borrowed, 0, written);
  }

  HistoryFileWriter& file;
  const std::int64_t games;
  std::array<std::unique_ptr<StrategyTables>, 3> tables;
  Picks picks{20261209};
  SeededSource random{20261209};  // for the practice decks and the hand left dealt
  QDateTime at{QDate(2024, 1, 5), QTime(19, 0), QTimeZone::utc()};
  std::int64_t written = 0;
  std::int64_t session = 0;
  int runLength = 0;
  GameVariant game = kJacksOrBetter;
  int coins = 5;
  bool coach = false;
  int credits = 0;
  int borrowed = 0;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) {
    std::fprintf(stderr, "usage: make_long_history [--games N] [--schema 1..%d] FILE\n",
                 kHistorySchemaVersion);
    return 2;
  }
  if (QFile::exists(options.path)) {
    std::fprintf(stderr, "%s: the file is already there\n", qPrintable(options.path));
    return 1;
  }
  const auto start = std::chrono::steady_clock::now();
  HistoryFileWriter file(options.path, options.schema);
  LongHistory history(file, options.games);
  if (!history.Write() || !file.Finish()) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(options.path), file.Error().c_str());
    QFile::remove(options.path);
    return 1;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%s: %lld games in %lld sessions, schema version %d, %.1f s\n",
              qPrintable(options.path), static_cast<long long>(options.games),
              static_cast<long long>(history.Sessions()), options.schema, took.count());
  return 0;
}
