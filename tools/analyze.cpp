#include "tools/analyze.h"

#include <algorithm>
#include <iomanip>
#include <istream>
#include <limits>
#include <optional>
#include <ostream>
#include <sstream>

#include "engine/evaluate.h"
#include "engine/pays.h"
#include "engine/paytable.h"
#include "tools/analyze_strategy.h"
#include "tools/card_parse.h"

namespace lynx {

namespace {

constexpr int kWriteFailed = 1;
constexpr int kBadInput = 2;

// evaluate reads standard input a line at a time and never keeps more than
// this many bytes of one line: a longer line is a bad line.
constexpr std::size_t kMaxLineBytes = 4096;

constexpr const char* kHelp = R"(lynx-analyze: the rules of LYNX Video Poker from the command line.

Usage:
  lynx-analyze evaluate --game G [--coins N] CARD CARD CARD CARD CARD
  lynx-analyze evaluate --game G [--coins N]          (hands from standard input)
  lynx-analyze paytable --game G [--pays P [--royal5 N]] [--coins N]
  lynx-analyze advise --game G [--coins N] [--deck D] [--pays P] [--top K] [--json] CARD x5
  lynx-analyze return --game G [--coins N] [--deck D] [--pays P] [--json]
  lynx-analyze strategy --game G [--coins N] [--deck D] [--pays P] [--lines L] [--json]
  lynx-analyze risk --game G [--coins N] [--deck D] [--pays P] [--hands N] [--bankroll C]
                    [--session H] [--simulate D [--seed S]] [--json]
  lynx-analyze games [--json]
  lynx-analyze --help

Verbs:
  evaluate   Classifies a five-card hand and prints, tab-separated on one line:
             the pay-table row (-1 for no win), the row's caption, the credits
             won and the machine's message. With no cards on the command line it
             reads one hand a line from standard input and answers each line in
             order; a bad line is reported with its line number on standard error
             and the run goes on (the exit status is then 2). Blank lines are
             skipped; a line longer than 4096 bytes is a bad line.
  paytable   Prints the game's pay table as the machine shows it; with --pays,
             that table instead and its return with best play.
  advise     Values all 32 ways to hold the dealt hand and lists them best
             first: the cards held (-- for a card drawn), the expected credits
             for the bet (EV, six decimals), EV per coin bet, the number of
             equally likely draws and the probability of each paying row.
             Holds of exactly equal value are all marked best (*) and keep
             ascending order of their hold mask (bit i for card i).
  return     The game's return with the best hold on every possible deal,
             each deal weighted as this machine deals it: the return in
             percent of the bet (six decimals, and as an exact fraction), the
             probability of every pay row, its part of the return and how
             many hands it comes once in, the variance and standard deviation
             of a hand in bets, the royal cycle, and the time taken. Progress
             goes to standard error after one second.
  strategy   A strategy chart for the game: hold patterns best first; play a
             hand by holding the cards of the first line it fits (of several
             sets of cards that fit one line, the one with the highest cards).
             Then the return when every deal is played by the chart, the
             return with best play, the difference, and the share of deals
             where the chart's hold is worth less than a best hold.
  risk       How the game rides with best play, worked out exactly (no
             sampling): the variance and standard deviation of a hand and of
             a deal of --hands hands from one hold; for a bankroll, the chance
             of ever losing it (for a game over 100%) and of losing it within a
             session, of ending the session ahead, of a royal in it, the
             session's end balance at its 5th to 95th percentiles, and the
             bankroll needed for a risk of 1%, 5% and 10%, for the session and
             for the long run. --simulate adds a sampled check beside them.
  games      Lists every game: its name for --game, its rows, its named pay
             tables with the pay of each row, and each table's return with
             best play as published.

Options:
  --game G   jacks (Jacks or Better), joker (Joker Wild) or deuces (Deuces Wild),
             this machine's games, or a game of the library: jacks-96, jacks-85,
             tens, bonus, bonus-deluxe, double-bonus, double-double-bonus,
             triple-double-bonus, aces-faces, deuces-full, deuces-nsu,
             bonus-deuces, loose-deuces, joker-kings, joker-two-pair.
  --table T  a named pay table of a library game (see games; default its
             first), e.g. --game double-double-bonus --table 10/6.
  --coins N  coins bet, 1 to 5 (default 5; five coins on a royal flush pay 4000).
  --deck D   advise, return, strategy, risk: the deck the draws come from. machine
             (default) is this machine's: for Joker Wild 52 positions where the joker
             replaced one random card the player never sees. standard53 is the
             classic 52 cards plus the joker, Joker Wild only (Jacks or Better
             and Deuces Wild always deal the plain 52 cards). The library's
             joker games deal the 53 cards unless --deck machine is given.
  --pays P   paytable, advise, return, strategy, risk: another pay table, the
             one-coin pay of every row, top row first, separated by commas
             (as many as the game has rows: Jacks or Better 9, Joker Wild 11,
             Deuces Wild 10, Double Double Bonus 13; see games), e.g.
             --pays 250,50,25,9,6,4,3,2,1. Five coins on the top row still pay
             4000 unless --royal5 says otherwise; when that is not five times
             the top row's one-coin pay, a note on standard error says so.
  --royal5 N what the top row pays for five coins (default 4000).
  --lines L  strategy: at most L lines in the chart, 2 to 999 (default 40).
  --top K    advise: list only the K best holds, 1 to 32 (default 32).
  --hands N  risk: hands dealt from one hold, 1 to 100 (default 1).
  --bankroll C  risk: the bankroll in credits (default a thousand bets of a
             deal: 1000 x coins x hands).
  --session H   risk: hands in a session, 1 to 1000000 (default 2000); a deal
             of N hands counts N.
  --simulate D  risk: also deal D random deals (1 to 10000000) with best play
             and give the mean and variance found, with their 99.9% intervals.
  --seed S   risk: the seed of --simulate, 0 to 4294967295 (default 1).
  --json     advise, return, strategy, risk, games: the same results as one JSON document.

Cards: a rank A 2 3 4 5 6 7 8 9 T J Q K (or 10) followed by a suit C H D S in
either case, e.g. AS, 10h, td; the joker as JK or X (Joker Wild only); or a plain
card code 1 to 53 (1-13 clubs, 14-26 hearts, 27-39 diamonds, 40-52 spades, 53 joker).

Exit status: 0 on success, 1 when the results cannot be written (a full disk,
a closed pipe), 2 on bad input.
)";

struct Options {
  std::string verb;
  std::optional<GameVariant> game;    // the game's family
  const GameRules* rules = nullptr;   // the game
  const NamedTable* table = nullptr;  // --table, or the library game's first
  bool deckGiven = false;
  int coins = kMaxCoins;
  JokerDeck deck = JokerDeck::kMachine;
  bool standard53 = false;  // --deck standard53 asked for
  int top = kHoldCount;
  int lines = 40;
  bool json = false;
  std::optional<std::string> pays;    // --pays as given
  std::optional<std::string> royal5;  // --royal5 as given
  std::vector<std::string> words;     // the operands (cards)
  int hands = 1;                      // risk
  long long bankroll = -1;
  long long session = 2000;
  long long simulate = 0;
  unsigned seed = 1;
};

bool IsStrategyVerb(const std::string& verb) {
  return verb == "advise" || verb == "return" || verb == "strategy" || verb == "risk";
}

bool TakesPays(const std::string& verb) {
  return IsStrategyVerb(verb) || verb == "paytable";
}

// "Royal Flush, Straight Flush, ..." of a game.
std::string RowNames(const GameRules& rules) {
  std::string names;
  for (int r = 0; r < rules.rowCount; ++r) {
    if (r > 0) names += ", ";
    names += rules.rows[static_cast<std::size_t>(r)].caption;
  }
  return names;
}

// Largest pay accepted, per coin or for the five-coin top row: any larger
// and the exact sums could overflow.
constexpr long kMaxPay = 1000000;

// A pay of 0 to kMaxPay written in decimal digits; on a problem writes one
// line to err naming `what` and the word.
std::optional<int> ParsePay(const std::string& word, const char* what, std::ostream& err) {
  const bool digits = !word.empty() && std::all_of(word.begin(), word.end(),
                                                   [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) {
    if (word.size() > 1 && word[0] == '-' &&
        std::all_of(word.begin() + 1, word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      err << "lynx-analyze: " << what << ' ' << QuoteWord(word) << " is negative\n";
    } else {
      err << "lynx-analyze: " << what << ' ' << QuoteWord(word) << " is not a number\n";
    }
    return std::nullopt;
  }
  const std::size_t first = std::min(word.find_first_not_of('0'), word.size());
  if (word.size() - first > 7 || std::stol(word) > kMaxPay) {
    err << "lynx-analyze: " << what << ' ' << QuoteWord(word) << " is more than " << kMaxPay
        << '\n';
    return std::nullopt;
  }
  return static_cast<int>(std::stol(word));
}

// The pay table of --pays and --royal5 for the game (the machine's without
// them).
std::optional<Pays> ParsePays(const Options& o, std::ostream& err) {
  const GameRules& rules = *o.rules;
  Pays pays = rules.machine != 0 ? MachinePays(rules.machine) : PaysOf(rules, *o.table);
  if (o.pays) {
    std::vector<std::string> values;
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = o.pays->find(',', start);
      values.push_back(o.pays->substr(start, comma == std::string::npos ? comma : comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    if (o.pays->empty()) {
      err << "lynx-analyze: pays '' gives no value; " << rules.title << " has " << pays.rowCount
          << " rows: " << RowNames(rules) << '\n';
      return std::nullopt;
    }
    if (static_cast<int>(values.size()) != pays.rowCount) {
      err << "lynx-analyze: pays " << QuoteWord(*o.pays) << " has " << values.size()
          << (values.size() == 1 ? " value" : " values") << "; " << rules.title << " has "
          << pays.rowCount << " rows: " << RowNames(rules) << '\n';
      return std::nullopt;
    }
    for (std::size_t r = 0; r < values.size(); ++r) {
      const auto pay = ParsePay(values[r], "pay", err);
      if (!pay) return std::nullopt;
      pays.perCoin[r] = *pay;
    }
  }
  if (o.royal5) {
    const auto pay = ParsePay(*o.royal5, "royal5", err);
    if (!pay) return std::nullopt;
    pays.royalFiveCoins = *pay;
  }
  return pays;
}

// A count of one to maxDigits decimal digits from low to high (--top,
// --lines); on a problem writes one line to err naming `what` and the word.
std::optional<int> ParseCount(const std::string& word, std::size_t maxDigits, int low, int high,
                              const char* what, std::ostream& err) {
  const bool digits =
      !word.empty() && word.size() <= maxDigits &&
      std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
  const int count = digits ? std::stoi(word) : 0;
  if (count < low || count > high) {
    err << "lynx-analyze: " << what << ' ' << QuoteWord(word) << " must be " << low << " to "
        << high << '\n';
    return std::nullopt;
  }
  return count;
}

// A whole number of up to `maxDigits` digits from low to high, as a long.
std::optional<long long> ParseAmount(const std::string& word, std::size_t maxDigits,
                                     long long low, long long high, const char* what,
                                     std::ostream& err) {
  const bool digits =
      !word.empty() && word.size() <= maxDigits &&
      std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
  const long long value = digits ? std::stoll(word) : -1;
  if (value < low || value > high) {
    err << "lynx-analyze: " << what << ' ' << QuoteWord(word) << " must be " << low << " to "
        << high << '\n';
    return std::nullopt;
  }
  return value;
}

// The risk verb's numbers: --hands, --bankroll, --session, --simulate, --seed.
bool TakeRiskValue(const std::string& a, const std::string& v, Options& o, std::ostream& err) {
  std::optional<long long> value;
  if (a == "--hands") {
    value = ParseAmount(v, 3, 1, 100, "hands", err);
    if (value) o.hands = static_cast<int>(*value);
  } else if (a == "--bankroll") {
    value = ParseAmount(v, 10, 0, 1000000000, "bankroll", err);
    if (value) o.bankroll = *value;
  } else if (a == "--session") {
    value = ParseAmount(v, 7, 1, 1000000, "session", err);
    if (value) o.session = *value;
  } else if (a == "--simulate") {
    value = ParseAmount(v, 8, 1, 10000000, "simulate", err);
    if (value) o.simulate = *value;
  } else {
    value = ParseAmount(v, 10, 0, 4294967295LL, "seed", err);
    if (value) o.seed = static_cast<unsigned>(*value);
  }
  return value.has_value();
}

bool TakeGame(const std::string& name, Options& o, std::ostream& err) {
  o.rules = FindGame(name);
  if (o.rules == nullptr) {
    err << "lynx-analyze: unknown game " << QuoteWord(name)
        << " (use jacks, joker or deuces, or a game that lynx-analyze games lists)\n";
    return false;
  }
  o.game = o.rules->family;
  return true;
}

bool TakeCoins(const std::string& word, Options& o, std::ostream& err) {
  if (word.size() != 1 || word[0] < '1' || word[0] > '5') {
    err << "lynx-analyze: coins " << QuoteWord(word) << " must be 1 to 5\n";
    return false;
  }
  o.coins = word[0] - '0';
  return true;
}

bool TakeDeck(const std::string& name, Options& o, std::ostream& err) {
  o.deckGiven = true;
  if (name == "machine") {
    o.deck = JokerDeck::kMachine;
    o.standard53 = false;
  } else if (name == "standard53") {
    o.deck = JokerDeck::kStandard53;
    o.standard53 = true;
  } else {
    err << "lynx-analyze: unknown deck " << QuoteWord(name) << " (use machine or standard53)\n";
    return false;
  }
  return true;
}

// Whether option a takes the argument after it as its value with verb.
bool TakesValue(const std::string& a, const std::string& verb) {
  if (a == "--game" || a == "--coins") return true;
  if (a == "--table" || a == "--pays" || a == "--royal5") return TakesPays(verb);
  if (a == "--deck") return IsStrategyVerb(verb);
  if (a == "--top") return verb == "advise";
  if (a == "--hands" || a == "--bankroll" || a == "--session" || a == "--simulate" ||
      a == "--seed")
    return verb == "risk";
  return a == "--lines" && verb == "strategy";
}

// Takes value v of option a (one that TakesValue) into o. On a problem
// writes one line to err and returns false.
bool TakeValue(const std::string& a, const std::string& v, Options& o, std::string& tableName,
               std::ostream& err) {
  if (a == "--game") return TakeGame(v, o, err);
  if (a == "--coins") return TakeCoins(v, o, err);
  if (a == "--deck") return TakeDeck(v, o, err);
  if (a == "--table") {
    tableName = v;
  } else if (a == "--pays") {
    o.pays = v;
  } else if (a == "--royal5") {
    o.royal5 = v;
  } else if (a == "--hands" || a == "--bankroll" || a == "--session" || a == "--simulate" ||
             a == "--seed") {
    return TakeRiskValue(a, v, o, err);
  } else {
    const bool top = a == "--top";
    const std::optional<int> count =
        top ? ParseCount(v, 2, 1, kHoldCount, "top", err) : ParseCount(v, 3, 2, 999, "lines", err);
    if (!count) return false;
    (top ? o.top : o.lines) = *count;
  }
  return true;
}

// Takes the option or operand args[i] into o, with the value after it (i
// then moves on to the value). On a problem writes one line to err and
// returns false.
bool TakeArgument(const std::vector<std::string>& args, std::size_t& i, Options& o,
                  std::string& tableName, std::ostream& err) {
  const std::string& a = args[i];
  if (a == "--json" && IsStrategyVerb(o.verb)) {
    o.json = true;
    return true;
  }
  if (TakesValue(a, o.verb)) {
    if (i + 1 >= args.size()) {
      err << "lynx-analyze: option " << a << " needs a value\n";
      return false;
    }
    return TakeValue(a, args[++i], o, tableName, err);
  }
  if (a.size() > 1 && a[0] == '-' && !ParseCard(a)) {
    err << "lynx-analyze: unknown option " << QuoteWord(a) << '\n';
    return false;
  }
  o.words.push_back(a);
  return true;
}

// What holds once every argument is read: a game, a deck it deals, and the
// pay table named (a library game's first when none is). On a problem writes
// one line to err and returns false.
bool SettleGame(Options& o, const std::string& tableName, std::ostream& err) {
  if (!o.game) {
    err << "lynx-analyze: " << o.verb << " needs --game jacks|joker|deuces\n";
    return false;
  }
  if (o.standard53 && *o.game != kJokerWild) {
    err << "lynx-analyze: deck 'standard53' is for Joker Wild only; " << o.rules->title
        << " deals the plain 52 cards\n";
    return false;
  }
  // The library's games are published on their own decks (the joker games
  // on the 53 cards).
  if (o.rules->machine == 0 && !o.deckGiven) o.deck = o.rules->deck;
  if (!tableName.empty()) {
    o.table = FindTable(*o.rules, tableName);
    if (o.table == nullptr) {
      std::string names;
      for (const NamedTable& t : o.rules->tables)
        names += (names.empty() ? "" : ", ") + std::string(t.name);
      err << "lynx-analyze: " << o.rules->title << " has no table " << QuoteWord(tableName)
          << " (its tables: " << names << ")\n";
      return false;
    }
  } else if (o.rules->machine == 0) {
    o.table = &o.rules->tables.front();
  }
  return true;
}

// Parses the options after the verb. On a problem writes one line to err and
// returns nothing.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err) {
  Options o;
  std::string tableName;
  o.verb = args[0];
  for (std::size_t i = 1; i < args.size(); ++i)
    if (!TakeArgument(args, i, o, tableName, err)) return std::nullopt;
  if (!SettleGame(o, tableName, err)) return std::nullopt;
  return o;
}

void PrintEvaluation(const Hand& hand, const Options& o, std::ostream& out) {
  const GameVariant game = *o.game;
  const int coins = o.coins;
  if (o.rules->machine == 0) {
    const GameRules& rules = *o.rules;
    const int row = ClassifyRules(hand, rules);
    const auto won = PayoutOf(PaysOf(rules, *o.table), row, coins);
    std::string_view caption;
    if (row >= 0) caption = rules.rows[static_cast<std::size_t>(row)].caption;
    out << row << '\t' << caption << '\t' << won << '\t'
        << RulesWinMessage(rules, row, static_cast<int>(won)) << '\n';
    return;
  }
  HandTable table = HandTable::FromHand(hand);
  const Evaluation e = EvaluateHand(table, game, coins);
  std::string_view caption;
  if (e.winRow >= 0) caption = PayTableFor(game).rows[static_cast<std::size_t>(e.winRow)].caption;
  out << e.winRow << '\t' << caption << '\t' << e.winAmount << '\t' << e.message << '\n';
}

enum class LineRead { kLine, kTooLong, kEnd };

// Reads the next line of in into line, without its end. A line longer than
// kMaxLineBytes is read to its end but only its first kMaxLineBytes bytes are
// kept, so memory stays bounded however long the line is.
LineRead ReadLine(std::istream& in, std::string& line) {
  line.clear();
  for (;;) {
    const int c = in.get();
    if (c == std::char_traits<char>::eof()) return line.empty() ? LineRead::kEnd : LineRead::kLine;
    if (c == '\n') return LineRead::kLine;
    if (line.size() == kMaxLineBytes) {
      in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
      return LineRead::kTooLong;
    }
    line.push_back(static_cast<char>(c));
  }
}

int Evaluate(const Options& o, std::istream& in, std::ostream& out, std::ostream& err) {
  std::string problem;
  if (!o.words.empty()) {
    const auto hand = ParseHand(o.words, *o.game, problem);
    if (!hand) {
      err << "lynx-analyze: " << problem << '\n';
      return kBadInput;
    }
    PrintEvaluation(*hand, o, out);
    return 0;
  }
  int status = 0;
  std::string line;
  // Stops early once a write has failed: nothing more would be seen.
  for (int lineNo = 1; out; ++lineNo) {
    const LineRead read = ReadLine(in, line);
    if (read == LineRead::kEnd) break;
    if (read == LineRead::kTooLong) {
      err << "lynx-analyze: line " << lineNo << ": the line is longer than " << kMaxLineBytes
          << " bytes\n";
      status = kBadInput;
      continue;
    }
    std::istringstream words(line);
    std::vector<std::string> cards;
    for (std::string w; words >> w;) cards.push_back(w);
    if (cards.empty()) continue;  // a blank line
    const auto hand = ParseHand(cards, *o.game, problem);
    if (!hand) {
      err << "lynx-analyze: line " << lineNo << ": " << problem << '\n';
      status = kBadInput;
      continue;
    }
    PrintEvaluation(*hand, o, out);
  }
  return status;
}

// With --pays and no --royal5 the top row keeps the machine's five-coin pay,
// which need not be five times the one-coin pay given: says so once on err
// when it is not. Called once a verb's operands have been accepted.
void NoteFiveCoinTopRow(const Options& o, const Pays& pays, std::ostream& err) {
  if (!o.pays || o.royal5) return;
  const long long fiveTimes = static_cast<long long>(pays.perCoin[0]) * kMaxCoins;
  if (fiveTimes == pays.royalFiveCoins) return;
  err << "lynx-analyze: note: with --pays and no --royal5, the top row pays " << pays.royalFiveCoins
      << " for five coins (not " << kMaxCoins << " x " << pays.perCoin[0] << " = " << fiveTimes
      << "); give --royal5 to change it\n";
}

StrategyRequest RequestOf(const Options& o, const Pays& pays) {
  StrategyRequest r;
  r.game = *o.game;
  r.coins = o.coins;
  r.deck = o.deck;
  r.top = o.top;
  r.json = o.json;
  r.lines = o.lines;
  r.pays = pays;
  r.table = o.pays || o.royal5 ? nullptr : o.table;
  r.hands = o.hands;
  r.bankroll = o.bankroll;
  r.session = o.session;
  r.simulate = o.simulate;
  r.seed = o.seed;
  return r;
}

int PrintPayTable(const Options& o, const Pays& pays, std::ostream& out, std::ostream& err) {
  if (!o.words.empty()) {
    err << "lynx-analyze: paytable takes no operand, got " << QuoteWord(o.words[0]) << '\n';
    return kBadInput;
  }
  NoteFiveCoinTopRow(o, pays, err);
  if (o.pays || o.royal5 || o.rules->machine == 0)
    return PrintOtherPayTable(RequestOf(o, pays), out);
  const PayTable& table = PayTableFor(*o.game);
  out << GameTitle(*o.game) << '\n';
  out << std::left << std::setw(24) << "Coins In";
  for (int c = 1; c <= kMaxCoins; ++c) out << std::right << std::setw(6) << c;
  out << '\n';
  for (int row = 0; row < table.rowCount; ++row) {
    out << std::left << std::setw(24) << table.rows[static_cast<std::size_t>(row)].caption;
    for (int c = 1; c <= kMaxCoins; ++c)
      out << std::right << std::setw(6) << CellText(*o.game, row, c);
    out << '\n';
  }
  return 0;
}

int Advise(const Options& o, const Pays& pays, std::ostream& out, std::ostream& err) {
  std::string problem;
  const auto hand = ParseHand(o.words, *o.game, problem);
  if (!hand) {
    err << "lynx-analyze: " << problem << '\n';
    return kBadInput;
  }
  NoteFiveCoinTopRow(o, pays, err);
  StrategyRequest r = RequestOf(o, pays);
  r.hand = *hand;
  return PrintAdvice(r, out);
}

int Return(const Options& o, const Pays& pays, std::ostream& out, std::ostream& err) {
  if (!o.words.empty()) {
    err << "lynx-analyze: " << o.verb << " takes no operand, got " << QuoteWord(o.words[0]) << '\n';
    return kBadInput;
  }
  NoteFiveCoinTopRow(o, pays, err);
  if (o.verb == "strategy") return PrintStrategyChart(RequestOf(o, pays), out);
  if (o.verb == "risk") return PrintRisk(RequestOf(o, pays), out, err);
  return PrintGameReturn(RequestOf(o, pays), out, err);
}

std::string_view DeckOf(const GameRules& g) {
  if (g.wilds != Wilds::kJoker) return "52";
  return g.deck == JokerDeck::kMachine ? "machine" : "53";
}

// The library: every game, its rows and its named tables.
int PrintGames(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool json = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] != "--json") {
      err << "lynx-analyze: games takes only --json, got " << QuoteWord(args[i]) << '\n';
      return kBadInput;
    }
    json = true;
  }
  if (json) out << "[\n";
  bool firstGame = true;
  for (const GameRules& g : GameLibrary()) {
    if (json) {
      out << (firstGame ? "" : ",\n") << "{\"name\":\"" << g.name << "\",\"title\":\"" << g.title
          << "\",\"machine\":" << (g.machine != 0 ? "true" : "false") << ",\"deck\":\"" << DeckOf(g)
          << "\",\"rows\":[";
      for (int r = 0; r < g.rowCount; ++r)
        out << (r ? "," : "") << '"' << g.rows[static_cast<std::size_t>(r)].caption << '"';
      out << "],\"tables\":[";
      bool firstTable = true;
      for (const NamedTable& t : g.tables) {
        out << (firstTable ? "" : ",") << "{\"name\":\"" << t.name << "\",\"pays\":[";
        for (int r = 0; r < g.rowCount; ++r)
          out << (r ? "," : "") << t.perCoin[static_cast<std::size_t>(r)];
        out << "],\"royal5\":" << t.royalFiveCoins << ",\"published\":";
        if (t.published.empty()) {
          out << "null";
        } else {
          out << '"' << t.published << "\",\"source\":\"" << t.source << '"';
        }
        out << '}';
        firstTable = false;
      }
      out << "]}";
    } else {
      out << g.name << ": " << g.title << (g.machine != 0 ? " (this machine's)" : "") << ", "
          << (DeckOf(g) == "machine" ? "this machine's deck" : std::string(DeckOf(g)) + " cards")
          << '\n';
      out << "  Rows: " << RowNames(g) << '\n';
      for (const NamedTable& t : g.tables) {
        out << "  " << t.name << ':';
        for (int r = 0; r < g.rowCount; ++r) out << ' ' << t.perCoin[static_cast<std::size_t>(r)];
        if (t.royalFiveCoins != t.perCoin[0] * kMaxCoins)
          out << " (top row " << t.royalFiveCoins << " for five coins)";
        if (!t.published.empty()) out << "; published " << t.published << " (" << t.source << ')';
        out << '\n';
      }
    }
    firstGame = false;
  }
  if (json) out << "\n]\n";
  return 0;
}

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
  if (args.empty()) {
    err << "lynx-analyze: no verb given; try lynx-analyze --help\n";
    return kBadInput;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << kHelp;
    return 0;
  }
  if (args[0] == "games") return PrintGames(args, out, err);
  if (args[0] != "evaluate" && args[0] != "paytable" && !IsStrategyVerb(args[0])) {
    err << "lynx-analyze: unknown verb " << QuoteWord(args[0]) << "; try lynx-analyze --help\n";
    return kBadInput;
  }
  const auto options = ParseOptions(args, err);
  if (!options) return kBadInput;
  if (options->verb == "evaluate") return Evaluate(*options, in, out, err);
  const auto pays = ParsePays(*options, err);
  if (!pays) return kBadInput;
  if (options->verb == "advise") return Advise(*options, *pays, out, err);
  if (options->verb == "return" || options->verb == "strategy" || options->verb == "risk")
    return Return(*options, *pays, out, err);
  return PrintPayTable(*options, *pays, out, err);
}

}  // namespace

int RunAnalyzer(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err) {
  const int status = Run(args, in, out, err);
  // Results that did not all reach their reader are a failure, whatever
  // else happened.
  out.flush();
  if (!out) {
    err << "lynx-analyze: cannot write to standard output\n";
    return kWriteFailed;
  }
  return status;
}

}  // namespace lynx
