#pragma once
// The error log without its window: every hold of the whole history that was
// worth less than best play (machine and trainer), one per decision, with
// what it cost and the line of the game's strategy chart its hand falls on;
// filters, totals per chart line and the CSV of what is shown.

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <vector>

#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/strategy_chart.h"
#include "platform/history_store.h"

namespace lynx {

struct LoggedMistake {
  GameRecord game;                   // the decision's first row
  const GameRules* rules = nullptr;  // the game it was played on
  Pays pays;                         // and its pays
  QString gameTitle;                 // "Jacks or Better", "Double Double Bonus"
  QString table;                     // "machine", "9/6", "custom 250/50/..." as kept
  double cost = 0;                   // credits lost to best play, all its hands
  int line = -1;                     // its chart line (0 the top), -1 until known
  QString lineText;                  // that line's words, empty until known
};

// Every mistake the store keeps, newest first; the rows of one deal of
// several hands are one decision (its cost counts every hand). Rows of a
// game or table this version cannot read back are left out.
std::vector<LoggedMistake> ReadMistakes(HistoryStore& store);

// What a chart is made for: a game, its pays, the stake and the deck.
struct ChartKey {
  const GameRules* rules = nullptr;
  Pays pays;
  int coins = 5;
  JokerDeck deck = JokerDeck::kMachine;
  bool Matches(const LoggedMistake& m) const;
};
ChartKey ChartKeyOf(const LoggedMistake& m);
// The distinct keys of the mistakes, in order of first appearance.
std::vector<ChartKey> ChartKeys(const std::vector<LoggedMistake>& mistakes);
// Names the chart line of every mistake of chart's key.
void SetChartLines(std::vector<LoggedMistake>& mistakes, const ChartKey& key,
                   const StrategyChart& chart);

struct ErrorFilter {
  QString gameTitle;        // empty: every game
  QString table;            // empty: every table
  std::int64_t session = 0; // 0: every session
  QDate from, to;           // local dates played, either may be open (invalid)
  QString line;             // empty: every line
};

// The indexes of the mistakes the filter lets through, in their order.
std::vector<int> FilterMistakes(const std::vector<LoggedMistake>& mistakes,
                                const ErrorFilter& filter);

struct LineTotal {
  QString line;  // the line's words; "(not yet known)" while its chart is made
  int count = 0;
  double cost = 0;
};
// Totals of the shown mistakes per chart line, the costliest first (ties by
// count, then by the line's words).
std::vector<LineTotal> TotalsByLine(const std::vector<LoggedMistake>& mistakes,
                                    const std::vector<int>& shown);

// The shown mistakes as CSV, a header line first: date and time (UTC, ISO
// 8601), game, table, coins, hands, dealt, held, best holds, cost, chart line.
QString MistakesCsv(const std::vector<LoggedMistake>& mistakes, const std::vector<int>& shown);

// Practice by chart line, per line's words: decisions, how many were a best
// hold, and the time they took.
struct LinePractice {
  int decisions = 0;
  int right = 0;
  std::int64_t milliseconds = 0;
};
using LinePracticeStats = std::map<QString, LinePractice>;

// A fresh hand to practise on the game, pays and stake of `like`: dealt,
// never played (no hold, no time, no judgement).
GameRecord FreshHand(const GameRecord& like, const Hand& dealt);

// The lines to practise when asked for "the lines I miss most": those of
// the totals (costliest first) whose line is known, at most `count`.
QStringList CostliestLines(const std::vector<LineTotal>& totals, int count);

// The cards as the analyser writes them, "AS KS QS 7D 3C"; with a mask, the
// held ones only ("AS KS QS").
QString HandWords(const Hand& hand, unsigned mask = 31);

}  // namespace lynx
