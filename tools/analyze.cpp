#include "tools/analyze.h"

#include <algorithm>
#include <iomanip>
#include <istream>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>

#include "engine/evaluate.h"
#include "engine/paytable.h"
#include "tools/card_parse.h"

namespace lynx {

namespace {

constexpr int kBadInput = 2;

constexpr const char* kHelp = R"(lynx-analyze: the rules of LYNX Video Poker from the command line.

Usage:
  lynx-analyze evaluate --game G [--coins N] CARD CARD CARD CARD CARD
  lynx-analyze evaluate --game G [--coins N]          (hands from standard input)
  lynx-analyze paytable --game G
  lynx-analyze --help

Verbs:
  evaluate   Classifies a five-card hand and prints, tab-separated on one line:
             the pay-table row (-1 for no win), the row's caption, the credits
             won and the machine's message. With no cards on the command line it
             reads one hand a line from standard input and answers each line in
             order; a bad line is reported with its line number on standard error
             and the run goes on (the exit status is then 2).
  paytable   Prints the game's pay table as the machine shows it.

Options:
  --game G   jacks (Jacks or Better), joker (Joker Wild) or deuces (Deuces Wild).
  --coins N  coins bet, 1 to 5 (default 5; five coins on a royal flush pay 4000).

Cards: a rank A 2 3 4 5 6 7 8 9 T J Q K (or 10) followed by a suit C H D S in
either case, e.g. AS, 10h, td; the joker as JK or X (Joker Wild only); or a plain
card code 1 to 53 (1-13 clubs, 14-26 hearts, 27-39 diamonds, 40-52 spades, 53 joker).

Exit status: 0 on success, 2 on bad input.
)";

struct Options {
  std::string verb;
  std::optional<GameVariant> game;
  int coins = kMaxCoins;
  std::vector<std::string> words;  // the operands (cards)
};

// Parses the options after the verb. On a problem writes one line to err and
// returns nothing.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err) {
  Options o;
  o.verb = args[0];
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* name) -> std::optional<std::string> {
      if (i + 1 >= args.size()) {
        err << "lynx-analyze: option " << name << " needs a value\n";
        return std::nullopt;
      }
      return args[++i];
    };
    if (a == "--game") {
      const auto v = value("--game");
      if (!v) return std::nullopt;
      o.game = ParseGame(*v);
      if (!o.game) {
        err << "lynx-analyze: unknown game '" << *v << "' (use jacks, joker or deuces)\n";
        return std::nullopt;
      }
    } else if (a == "--coins") {
      const auto v = value("--coins");
      if (!v) return std::nullopt;
      if (v->size() != 1 || (*v)[0] < '1' || (*v)[0] > '5') {
        err << "lynx-analyze: coins '" << *v << "' must be 1 to 5\n";
        return std::nullopt;
      }
      o.coins = (*v)[0] - '0';
    } else if (a.size() > 1 && a[0] == '-' && !ParseCard(a)) {
      err << "lynx-analyze: unknown option '" << a << "'\n";
      return std::nullopt;
    } else {
      o.words.push_back(a);
    }
  }
  if (!o.game) {
    err << "lynx-analyze: " << o.verb << " needs --game jacks|joker|deuces\n";
    return std::nullopt;
  }
  return o;
}

// Parses five card words for the game. On a problem returns the message.
std::optional<Hand> ParseHand(const std::vector<std::string>& words, GameVariant game,
                              std::string& problem) {
  if (words.size() != 5) {
    problem = "a hand is five cards, got " + std::to_string(words.size());
    return std::nullopt;
  }
  Hand hand{};
  std::set<CardCode> seen;
  for (std::size_t i = 0; i < 5; ++i) {
    const auto card = ParseCard(words[i]);
    if (!card) {
      problem = "'" + words[i] + "' is not a card";
      return std::nullopt;
    }
    if (*card == kJoker && game != kJokerWild) {
      problem = "'" + words[i] + "': the joker is only in Joker Wild";
      return std::nullopt;
    }
    if (!seen.insert(*card).second) {
      problem = "'" + words[i] + "' is repeated";
      return std::nullopt;
    }
    hand[i] = *card;
  }
  return hand;
}

void PrintEvaluation(const Hand& hand, GameVariant game, int coins, std::ostream& out) {
  HandTable table = HandTable::FromHand(hand);
  const Evaluation e = EvaluateHand(table, game, coins);
  std::string_view caption;
  if (e.winRow >= 0) caption = PayTableFor(game).rows[static_cast<std::size_t>(e.winRow)].caption;
  out << e.winRow << '\t' << caption << '\t' << e.winAmount << '\t' << e.message << '\n';
}

int Evaluate(const Options& o, std::istream& in, std::ostream& out, std::ostream& err) {
  std::string problem;
  if (!o.words.empty()) {
    const auto hand = ParseHand(o.words, *o.game, problem);
    if (!hand) {
      err << "lynx-analyze: " << problem << '\n';
      return kBadInput;
    }
    PrintEvaluation(*hand, *o.game, o.coins, out);
    return 0;
  }
  int status = 0;
  std::string line;
  for (int lineNo = 1; std::getline(in, line); ++lineNo) {
    std::istringstream words(line);
    std::vector<std::string> cards;
    for (std::string w; words >> w;) cards.push_back(w);
    const auto hand = ParseHand(cards, *o.game, problem);
    if (!hand) {
      err << "lynx-analyze: line " << lineNo << ": " << problem << '\n';
      status = kBadInput;
      continue;
    }
    PrintEvaluation(*hand, *o.game, o.coins, out);
  }
  return status;
}

int PrintPayTable(const Options& o, std::ostream& out, std::ostream& err) {
  if (!o.words.empty()) {
    err << "lynx-analyze: paytable takes no operand, got '" << o.words[0] << "'\n";
    return kBadInput;
  }
  const PayTable& table = PayTableFor(*o.game);
  out << GameTitle(*o.game) << '\n';
  out << std::left << std::setw(24) << "Coins In";
  for (int c = 1; c <= kMaxCoins; ++c) out << std::right << std::setw(6) << c;
  out << '\n';
  for (int row = 0; row < table.rowCount; ++row) {
    out << std::left << std::setw(24) << table.rows[static_cast<std::size_t>(row)].caption;
    for (int c = 1; c <= kMaxCoins; ++c) out << std::right << std::setw(6) << CellText(*o.game, row, c);
    out << '\n';
  }
  return 0;
}

}  // namespace

int RunAnalyzer(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err) {
  if (args.empty()) {
    err << "lynx-analyze: no verb given; try lynx-analyze --help\n";
    return kBadInput;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << kHelp;
    return 0;
  }
  if (args[0] != "evaluate" && args[0] != "paytable") {
    err << "lynx-analyze: unknown verb '" << args[0] << "'; try lynx-analyze --help\n";
    return kBadInput;
  }
  const auto options = ParseOptions(args, err);
  if (!options) return kBadInput;
  if (options->verb == "evaluate") return Evaluate(*options, in, out, err);
  return PrintPayTable(*options, out, err);
}

}  // namespace lynx
