#pragma once
// The analyser's strategy verbs: `advise` (every hold of one hand), `return`
// (the whole game with best play), `strategy` (a strategy chart and its
// return) and `paytable` with a pay table of the user's.

#include <iosfwd>
#include <string>
#include <string_view>

#include "engine/deck.h"
#include "engine/pays.h"
#include "engine/strategy.h"
#include "engine/strategy_chart.h"

namespace lynx {

struct StrategyRequest {
  GameVariant game = kJacksOrBetter;
  int coins = kMaxCoins;                    // 1..5
  JokerDeck deck = JokerDeck::kMachine;     // kStandard53 only with Joker Wild
  int top = kHoldCount;                     // advise: how many holds to list, 1..32
  int lines = 40;                           // strategy: lines of the chart at most
  bool json = false;                        // JSON instead of text
  Hand hand{};                              // advise: five distinct cards of the game
  Pays pays = MachinePays(kJacksOrBetter);  // the pay table; pays.variant is game
  const NamedTable* table = nullptr;        // the named table chosen, if any
  // risk:
  int hands = 1;                    // hands a deal, from one hold
  long long bankroll = -1;          // credits; -1: a thousand bets of a deal
  long long session = 2000;         // hands a session
  long long simulate = 0;           // deals of a sampled check, 0 for none
  unsigned seed = 1;                // of the sampled check
};

// The tables of a game, built on first use and kept for the rest of the run
// (one analyser process answers one command, but its tests run many).
const StrategyTables& TablesFor(const GameRules& game);

// The deck's name in the output: standard52, standard53 or machine.
std::string_view DeckName(const StrategyRequest& r);

// A whole number with thousands grouped, "40,391"; "never" for 0.
std::string Grouped(double value);

// Prints the risk figures of the request's game, pays, coins and hands: the
// variance, the long run and a session (request.bankroll, request.session),
// and with request.simulate a sampled check beside them. Returns 0, or 2
// when the figures cannot be had (a sampled check of the machine's joker
// deck).
int PrintRisk(const StrategyRequest& request, std::ostream& out, std::ostream& err);

// Prints the holds of request.hand, best first. Returns 0.
int PrintAdvice(const StrategyRequest& request, std::ostream& out);

// Computes and prints the game's return with best play, its row frequencies
// and the time taken; shows progress on err once it has run for a second.
// Returns 0.
int PrintGameReturn(const StrategyRequest& request, std::ostream& out, std::ostream& err);

// Prints request.pays as a pay table (one column per coin) and its return
// with best play. Returns 0.
int PrintOtherPayTable(const StrategyRequest& request, std::ostream& out);

// Makes and prints the strategy chart of the request's game, deck, pays and
// coins (at most request.lines lines), then its return over every deal
// against best play. Returns 0.
int PrintStrategyChart(const StrategyRequest& request, std::ostream& out);

struct ChartTimes {
  double chart = 0;    // seconds to make the chart
  double returns = 0;  // seconds for its return and the best-play return
};

// Prints a chart made for the request and its returns, as text or JSON
// (request.json): what PrintStrategyChart writes.
void PrintChart(const StrategyRequest& request, const StrategyChart& chart,
                const PlayedReturn& played, const ChartTimes& times, std::ostream& out);

}  // namespace lynx
