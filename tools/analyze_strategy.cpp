#include "tools/analyze_strategy.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "engine/hold_mask.h"
#include "engine/paytable.h"
#include "engine/risk.h"
#include "engine/strategy_chart.h"
#include "engine/strategy_return.h"
#include "tools/card_parse.h"
#include "tools/format.h"

namespace lynx {

std::string_view DeckName(const StrategyRequest& r) {
  const GameRules& rules = r.pays.Rules();
  if (rules.wilds != Wilds::kJoker && rules.machine == 0) return "standard52";
  return r.deck == JokerDeck::kStandard53 ? "standard53" : "machine";
}

namespace {

bool HasJoker(const Hand& hand) {
  for (CardCode c : hand) {
    if (c == kJoker) return true;
  }
  return false;
}

// One line on how the draws of a hold are counted.
std::string DrawsLine(const StrategyRequest& r) {
  if (r.game != kJokerWild) {
    return "Deck: 52 cards; each set of replacements from the 47 unseen cards is one draw.";
  }
  if (r.deck == JokerDeck::kStandard53) {
    return "Deck: 53 cards (52 and the joker); each set of replacements from the 48 unseen cards "
           "is one draw.";
  }
  if (HasJoker(r.hand)) {
    return "Deck: the machine's (the joker replaced one unknown card); with the joker dealt, each "
           "set of "
           "replacements from the 48 unseen cards is one draw.";
  }
  return "Deck: the machine's (the joker replaced one unknown card); each set of replacements "
         "counts once "
         "for every unseen card that may be the missing one, 47 x C(47,k) draws for k cards.";
}

std::string HeldText(const Hand& hand, unsigned mask) {
  const HoldMask held = HoldMask::FromBits(mask);
  std::string text;
  for (std::size_t i = 0; i < 5; ++i) {
    if (i > 0) text += ' ';
    text += held.Holds(static_cast<int>(i)) ? CardName(hand[i]) : "--";
  }
  return text;
}

double Probability(std::int64_t count, std::int64_t draws) {
  return static_cast<double>(count) / static_cast<double>(draws);
}

void PrintAdviceText(const StrategyRequest& r, const HandAdvice& a, std::ostream& out) {
  const GameRules& table = r.pays.Rules();
  out << r.pays.Rules().title << ", " << r.coins << (r.coins == 1 ? " coin" : " coins") << ": "
      << HeldText(r.hand, 31) << '\n';
  out << DrawsLine(r) << '\n';
  out << "EV: expected credits for the bet; EV/coin: EV / " << r.coins
      << "; then the probability of each paying row.\n";
  out << "Rows:";
  for (int row = 0; row < table.rowCount; ++row) {
    out << (row == 0 ? " " : ", ") << 'R' << row << ' '
        << table.rows[static_cast<std::size_t>(row)].caption;
  }
  out << '\n';
  out << "Best: " << a.bestCount << (a.bestCount == 1 ? " hold" : " holds of equal value")
      << " (marked *; equal values in ascending order of hold mask, bit i for card i)\n";
  out << " #   held                    EV      EV/coin      draws";
  for (int row = 0; row < table.rowCount; ++row)
    out << Format("%9s%d", "R", row).substr(row >= 10 ? 1 : 0);
  out << "    no win\n";
  for (int i = 0; i < r.top; ++i) {
    const HoldValue& h = a.holds[static_cast<std::size_t>(i)];
    out << Format("%2d%c  ", i + 1, i < a.bestCount ? '*' : ' ') << HeldText(r.hand, h.mask)
        << Format("%14.6f %12.6f %10lld", h.ev, h.evPerCoin, static_cast<long long>(h.draws));
    for (int row = 0; row < table.rowCount; ++row) {
      out << Format("%10.6f", Probability(h.counts[static_cast<std::size_t>(row)], h.draws));
    }
    out << Format("%10.6f", Probability(h.noWin, h.draws)) << '\n';
  }
}

std::string JsonCards(const Hand& hand, unsigned mask) {
  std::string text = "[";
  const HoldMask held = HoldMask::FromBits(mask);
  bool first = true;
  for (std::size_t i = 0; i < 5; ++i) {
    if (!held.Holds(static_cast<int>(i))) continue;
    if (!first) text += ',';
    text += '"';
    text += CardName(hand[i]);
    text += '"';
    first = false;
  }
  return text + "]";
}

void PrintAdviceJson(const StrategyRequest& r, const HandAdvice& a, std::ostream& out) {
  const GameRules& table = r.pays.Rules();
  out << "{\"game\":\"" << r.pays.Rules().name << "\",\"coins\":" << r.coins << ",\"deck\":\""
      << DeckName(r) << "\",\"hand\":" << JsonCards(r.hand, 31) << ",\"rows\":[";
  for (int row = 0; row < table.rowCount; ++row) {
    out << (row ? "," : "") << '"' << table.rows[static_cast<std::size_t>(row)].caption << '"';
  }
  out << "],\"bestCount\":" << a.bestCount << ",\"holds\":[\n";
  for (int i = 0; i < r.top; ++i) {
    const HoldValue& h = a.holds[static_cast<std::size_t>(i)];
    out << "{\"rank\":" << i + 1 << ",\"mask\":" << h.mask
        << ",\"best\":" << (i < a.bestCount ? "true" : "false")
        << ",\"held\":" << JsonCards(r.hand, h.mask)
        << Format(",\"ev\":%.6f,\"evPerCoin\":%.6f", h.ev, h.evPerCoin) << ",\"draws\":" << h.draws
        << ",\"counts\":[";
    for (int row = 0; row < table.rowCount; ++row)
      out << (row ? "," : "") << h.counts[static_cast<std::size_t>(row)];
    out << "],\"noWin\":" << h.noWin << ",\"probabilities\":[";
    for (int row = 0; row < table.rowCount; ++row) {
      out << (row ? "," : "")
          << Format("%.6f", Probability(h.counts[static_cast<std::size_t>(row)], h.draws));
    }
    out << "],\"noWinProbability\":" << Format("%.6f", Probability(h.noWin, h.draws)) << '}'
        << (i + 1 < r.top ? "," : "") << '\n';
  }
  out << "]}\n";
}

}  // namespace

const StrategyTables& TablesFor(const GameRules& game) {
  static std::mutex guard;
  static std::map<const GameRules*, std::unique_ptr<const StrategyTables>> built;
  const std::lock_guard<std::mutex> hold(guard);
  auto& slot = built[&game];
  if (!slot) slot = std::make_unique<const StrategyTables>(game);
  return *slot;
}

namespace {

// Row r's part of the return in percent of the whole. A table that pays
// nothing returns 0, and every row's share of that is 0 too.
double SharePercent(const GameReturn& g, std::size_t r) {
  return g.returnRatio > 0 ? g.rowReturn[r] / g.returnRatio * 100 : 0;
}

// Hands per hand of chance p ("1 in 40,391"); 0 for a hand that never comes.
double OneIn(double p) { return p > 0 ? 1 / p : 0; }

}  // namespace

std::string Grouped(double value) {
  if (!(value > 0)) return "never";
  const std::string digits = Format("%.0f", value);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

namespace {

double Seconds(std::chrono::steady_clock::time_point from,
               std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

}  // namespace

int PrintAdvice(const StrategyRequest& request, std::ostream& out) {
  const StrategyTables& tables = TablesFor(request.pays.Rules());
  const HandAdvice advice =
      AdviseHand(tables, request.hand, request.coins, request.deck, request.pays);
  if (request.json) {
    PrintAdviceJson(request, advice, out);
  } else {
    PrintAdviceText(request, advice, out);
  }
  return 0;
}

int PrintGameReturn(const StrategyRequest& request, std::ostream& out, std::ostream& err) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const StrategyTables& tables = TablesFor(request.pays.Rules());
  const auto built = Clock::now();
  bool shown = false;
  auto lastShown = start;
  const auto progress = [&](double fraction) {
    const auto now = Clock::now();
    if (Seconds(start, now) < 1.0 || (shown && Seconds(lastShown, now) < 0.25 && fraction < 1.0))
      return;
    err << Format("\rlynx-analyze: return: %3d%% of the deals solved",
                  static_cast<int>(fraction * 100))
        << std::flush;
    shown = true;
    lastShown = now;
  };
  const DealDistribution d =
      ComputeDealDistribution(tables, request.pays, request.coins, 1, request.deck, 0, progress);
  const GameReturn& g = d.ret;
  const auto end = Clock::now();
  if (shown) err << '\n';

  const GameRules& table = request.pays.Rules();
  const double total = Seconds(start, end), tableTime = Seconds(start, built),
               solveTime = Seconds(built, end);
  if (request.json) {
    out << "{\"game\":\"" << request.pays.Rules().name << "\",\"coins\":" << request.coins
        << ",\"deck\":\"" << DeckName(request) << "\","
        << Format("\"returnPercent\":%.6f", g.returnRatio * 100) << ",\"exactReturn\":\""
        << g.exactReturn << "\",\"deals\":" << g.deals << ",\"classes\":" << g.classes
        << ",\"rows\":[\n";
    for (int row = 0; row < table.rowCount; ++row) {
      const auto r = static_cast<std::size_t>(row);
      out << "{\"row\":" << row << ",\"caption\":\"" << table.rows[r].caption << '"'
          << Format(",\"probability\":%.12f,\"returnPercent\":%.6f,\"sharePercent\":%.6f",
                    g.rowProbability[r], g.rowReturn[r] * 100, SharePercent(g, r))
          << Format(",\"oneIn\":%.2f}", OneIn(g.rowProbability[r]))
          << (row + 1 < table.rowCount ? "," : "") << '\n';
    }
    out << "]," << Format("\"noWinProbability\":%.12f,", g.noWinProbability)
        << Format("\"variance\":%.6f,\"standardDeviation\":%.6f,", d.variance, d.deviation)
        << Format("\"royalCycle\":%.2f,\"payingProbability\":%.12f,", d.royalCycle,
                  d.payingChance)
        << Format("\"seconds\":%.3f}", total) << '\n';
    return 0;
  }
  out << request.pays.Rules().title << ", " << request.coins
      << (request.coins == 1 ? " coin" : " coins");
  if (request.game == kJokerWild) {
    out << (request.deck == JokerDeck::kMachine
                ? ", machine deck (the joker replaced one unknown card)"
                : ", 53-card deck");
  }
  out << ", best play on every deal\n";
  out << "Return: " << Format("%.6f%%", g.returnRatio * 100) << " (exactly " << g.exactReturn
      << " of the bet)\n";
  out << "Deals: " << g.deals << " in " << g.classes
      << " suit classes, weighted as the deck deals them\n";
  out << Format("%-24s%14s%12s%10s%14s\n", "Row", "Probability", "Return %", "Share %",
                "1 in");
  for (int row = 0; row < table.rowCount; ++row) {
    const auto r = static_cast<std::size_t>(row);
    out << Format("%-24s%14.9f%12.6f%10.4f%14s\n", std::string(table.rows[r].caption).c_str(),
                  g.rowProbability[r], g.rowReturn[r] * 100, SharePercent(g, r),
                  Grouped(OneIn(g.rowProbability[r])).c_str());
  }
  out << Format("%-24s%14.9f%36s\n", "No win", g.noWinProbability,
                Grouped(OneIn(g.noWinProbability)).c_str());
  out << Format("Variance: %.6f a hand in bets squared; standard deviation %.6f bets\n",
                d.variance, d.deviation);
  out << "Royal cycle: " << table.rows[0].caption << " once in "
      << Grouped(d.royalCycle) << " hands; a hand pays " << Format("%.4f%%", d.payingChance * 100)
      << " of the time\n";
  out << Format("Time: %.3f s (tables %.3f s, deals %.3f s)\n", total, tableTime, solveTime);
  return 0;
}

int PrintOtherPayTable(const StrategyRequest& request, std::ostream& out) {
  const GameRules& table = request.pays.Rules();
  const Pays& pays = request.pays;
  if (request.table != nullptr) {
    out << table.title << ", " << request.table->name << '\n';
  } else {
    out << table.title << " (pay table as given)\n";
  }
  out << Format("%-24s", "Coins In");
  for (int c = 1; c <= kMaxCoins; ++c) out << Format("%8d", c);
  out << '\n';
  for (int row = 0; row < pays.rowCount; ++row) {
    out << Format("%-24s", std::string(table.rows[static_cast<std::size_t>(row)].caption).c_str());
    for (int c = 1; c <= kMaxCoins; ++c)
      out << Format("%8lld", static_cast<long long>(PayoutOf(pays, row, c)));
    out << '\n';
  }
  const GameReturn g =
      ComputeReturn(TablesFor(request.pays.Rules()), pays, request.coins, request.deck);
  out << "Return with best play, " << request.coins << (request.coins == 1 ? " coin" : " coins")
      << ": " << Format("%.6f%%", g.returnRatio * 100) << " (exactly " << g.exactReturn
      << " of the bet)\n";
  if (request.table != nullptr && !request.table->published.empty() && request.coins == kMaxCoins)
    out << "Published: " << request.table->published << " (" << request.table->source << ")\n";
  return 0;
}

int PrintStrategyChart(const StrategyRequest& request, std::ostream& out) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const StrategyTables& tables = TablesFor(request.pays.Rules());
  ChartOptions options;
  options.maxLines = request.lines;
  const StrategyChart chart =
      BuildChart(tables, request.pays, request.coins, request.deck, options);
  const auto built = Clock::now();
  const PlayedReturn played = ComputeChartReturn(tables, chart);
  const auto end = Clock::now();
  const ChartTimes times{Seconds(start, built), Seconds(built, end)};
  PrintChart(request, chart, played, times, out);
  return 0;
}

void PrintChart(const StrategyRequest& request, const StrategyChart& chart,
                const PlayedReturn& played, const ChartTimes& times, std::ostream& out) {
  const double difference = (played.optimalRatio - played.returnRatio) * 100;
  if (request.json) {
    out << "{\"game\":\"" << request.pays.Rules().name << "\",\"coins\":" << request.coins
        << ",\"deck\":\"" << DeckName(request) << "\",\"pays\":[";
    for (int row = 0; row < request.pays.rowCount; ++row)
      out << (row ? "," : "") << request.pays.perCoin[static_cast<std::size_t>(row)];
    out << "],\"royal5\":" << request.pays.royalFiveCoins << ",\"lines\":[\n";
    for (std::size_t i = 0; i < chart.lines.size(); ++i) {
      out << '"' << chart.lines[i].text << '"' << (i + 1 < chart.lines.size() ? "," : "") << '\n';
    }
    out << "],"
        << Format("\"chartReturn\":%.6f,\"optimalReturn\":%.6f", played.returnRatio * 100,
                  played.optimalRatio * 100)
        << ",\"exactChartReturn\":\"" << played.exactReturn << "\",\"exactOptimalReturn\":\""
        << played.exactOptimal << '"'
        << Format(",\"difference\":%.6f,\"differentShare\":%.6f,\"seconds\":%.3f}", difference,
                  played.differentShare, times.chart + times.returns)
        << '\n';
    return;
  }
  out << request.pays.Rules().title << ", " << request.coins
      << (request.coins == 1 ? " coin" : " coins");
  if (request.game == kJokerWild) {
    out << (request.deck == JokerDeck::kMachine ? ", machine deck" : ", 53-card deck");
  }
  out << ": strategy chart\n";
  out << "Hold the cards of the first line the hand fits; of several sets of cards that fit one\n"
         "line, hold the one with the highest cards.\n";
  for (std::size_t i = 0; i < chart.lines.size(); ++i)
    out << Format("%3d  ", static_cast<int>(i + 1)) << chart.lines[i].text << '\n';
  out << "Chart return:   " << Format("%.6f%%", played.returnRatio * 100) << " (exactly "
      << played.exactReturn << ")\n";
  out << "Best play:      " << Format("%.6f%%", played.optimalRatio * 100) << " (exactly "
      << played.exactOptimal << ")\n";
  out << "Difference:     " << Format("%.6f", difference) << " percentage points\n";
  out << "Chart's hold worth less than a best hold: "
      << Format("%.4f%%", played.differentShare * 100) << " of the deals\n";
  out << Format("Time: %.3f s (chart %.3f s, returns %.3f s)\n", times.chart + times.returns,
                times.chart, times.returns);
}

}  // namespace lynx
