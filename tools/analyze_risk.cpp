// The analyser's `risk` verb: how a game rides, for a bankroll and a session.
#include <chrono>
#include <cmath>
#include <ostream>
#include <string>

#include "engine/risk.h"
#include "tools/analyze_strategy.h"
#include "tools/format.h"

namespace lynx {

namespace {

constexpr double kRisks[] = {0.01, 0.05, 0.10};

struct RiskFigures {
  DealDistribution deal;
  long long bankroll = 0;  // credits
  long long deals = 0;     // deals of the session
  double longRunRuin = 1;
  bool longRunKnown = true;
  std::array<long long, 3> longRunBankroll{};  // credits, -1: none is enough
  SessionFigures session;
  std::array<long long, 3> sessionBankroll{};  // credits
  double seconds = 0;
};

long long Credits(const DealDistribution& d, std::int64_t units) {
  return units < 0 ? -1 : static_cast<long long>(units) * d.unit;
}

RiskFigures Work(const StrategyRequest& r) {
  const auto start = std::chrono::steady_clock::now();
  RiskFigures f;
  f.deal = ComputeDealDistribution(TablesFor(r.pays.Rules()), r.pays, r.coins, r.hands, r.deck);
  const DealDistribution& d = f.deal;
  f.bankroll = r.bankroll >= 0 ? r.bankroll : 1000LL * r.coins * r.hands;
  f.deals = (r.session + r.hands - 1) / r.hands;
  const std::int64_t units = f.bankroll / d.unit;

  const LongRunRisk longRun(d);
  f.longRunKnown = !longRun.Favourable() || longRun.Solved();
  f.longRunRuin = longRun.RuinChance(units);
  for (std::size_t i = 0; i < 3; ++i) f.longRunBankroll[i] = Credits(d, longRun.BankrollFor(kRisks[i]));

  f.session = ComputeSession(d, units, static_cast<int>(f.deals));
  const std::vector<double> ruin = SessionRuinByBankroll(d, static_cast<int>(f.deals));
  for (std::size_t i = 0; i < 3; ++i)
    f.sessionBankroll[i] = Credits(d, SessionBankrollFor(ruin, kRisks[i]));
  f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return f;
}

std::string Percent(double p) { return Format("%.4f%%", p * 100); }

std::string CreditsText(long long credits, int coins) {
  if (credits < 0) return "none is enough";
  return Grouped(static_cast<double>(credits)) + " credits (" +
         Grouped(static_cast<double>(credits) / coins) + " bets)";
}

void PrintJson(const StrategyRequest& r, const RiskFigures& f, const SampledDeals* sample,
               std::ostream& out) {
  const DealDistribution& d = f.deal;
  const SessionFigures& s = f.session;
  out << "{\"game\":\"" << r.pays.Rules().name << "\",\"coins\":" << r.coins
      << ",\"hands\":" << r.hands << ",\"deck\":\"" << DeckName(r) << "\","
      << Format("\"returnPercent\":%.6f,", d.ret.returnRatio * 100)
      << Format("\"variance\":%.6f,\"standardDeviation\":%.6f,", d.variance, d.deviation)
      << Format("\"dealVariance\":%.6f,\"dealStandardDeviation\":%.6f,", d.dealVariance,
                d.dealDeviation)
      << Format("\"covariance\":%.6f,\"royalCycle\":%.2f,", d.covariance, d.royalCycle)
      << "\"bankroll\":" << f.bankroll << ",\"longRun\":{\"ruinProbability\":";
  if (f.longRunKnown) {
    out << Format("%.9f", f.longRunRuin);
  } else {
    out << "null";
  }
  out << ",\"bankrollFor\":{";
  for (std::size_t i = 0; i < 3; ++i)
    out << (i ? "," : "") << "\"" << std::lround(kRisks[i] * 100) << "\":"
        << (f.longRunBankroll[i] < 0 ? std::string("null") : std::to_string(f.longRunBankroll[i]));
  out << "}},\"session\":{\"hands\":" << r.session << ",\"deals\":" << f.deals
      << Format(",\"ruinProbability\":%.9f,\"aheadProbability\":%.9f,", s.ruinChance, s.aheadChance)
      << Format("\"evenProbability\":%.9f,\"royalProbability\":%.9f,", s.evenChance, s.royalChance)
      << "\"percentiles\":{";
  for (std::size_t i = 0; i < kPercentiles.size(); ++i)
    out << (i ? "," : "") << "\"" << kPercentiles[i] << "\":" << Credits(d, s.percentiles[i]);
  out << "},\"bankrollFor\":{";
  for (std::size_t i = 0; i < 3; ++i)
    out << (i ? "," : "") << "\"" << std::lround(kRisks[i] * 100) << "\":" << f.sessionBankroll[i];
  out << "}}";
  if (sample != nullptr) {
    out << ",\"simulated\":{\"deals\":" << sample->deals << ",\"seed\":" << r.seed
        << Format(",\"meanBets\":%.6f,\"meanHalfWidth\":%.6f,", sample->meanBets,
                  sample->meanHalfWidth)
        << Format("\"varianceBets\":%.6f,\"varianceHalfWidth\":%.6f}", sample->varianceBets,
                  sample->varianceHalfWidth);
  }
  out << Format(",\"seconds\":%.3f}", f.seconds) << '\n';
}

void PrintText(const StrategyRequest& r, const RiskFigures& f, const SampledDeals* sample,
               std::ostream& out) {
  const DealDistribution& d = f.deal;
  const SessionFigures& s = f.session;
  const GameRules& rules = r.pays.Rules();
  out << rules.title << ", " << r.coins << (r.coins == 1 ? " coin, " : " coins, ") << r.hands
      << (r.hands == 1 ? " hand a deal\n" : " hands a deal from one hold\n");
  out << "Return: " << Format("%.6f%%", d.ret.returnRatio * 100) << "; variance "
      << Format("%.6f", d.variance) << " a hand, standard deviation "
      << Format("%.6f", d.deviation) << " bets\n";
  if (r.hands > 1) {
    out << "A deal: variance " << Format("%.4f", d.dealVariance) << ", standard deviation "
        << Format("%.4f", d.dealDeviation) << " bets (two hands of one deal: covariance "
        << Format("%.6f", d.covariance) << ")\n";
  }
  out << "Royal cycle: once in " << Grouped(d.royalCycle) << " hands\n";
  out << "Bankroll: " << CreditsText(f.bankroll, r.coins) << '\n';
  out << "Long run: ";
  if (!f.longRunKnown) {
    out << "could not be worked out\n";
  } else if (d.ret.returnRatio <= 1) {
    out << "the bankroll is lost for certain; the game returns 100% or less\n";
  } else {
    out << "chance of losing the bankroll " << Percent(f.longRunRuin) << '\n';
    for (std::size_t i = 0; i < 3; ++i)
      out << "  bankroll for a risk of " << std::lround(kRisks[i] * 100) << "%: "
          << CreditsText(f.longRunBankroll[i], r.coins) << '\n';
  }
  out << "Session of " << Grouped(static_cast<double>(r.session)) << " hands ("
      << Grouped(static_cast<double>(f.deals)) << (f.deals == 1 ? " deal" : " deals") << "):\n";
  out << "  chance of losing the bankroll: " << Percent(s.ruinChance) << '\n';
  out << "  chance of ending ahead: " << Percent(s.aheadChance) << ", even: "
      << Percent(s.evenChance) << '\n';
  out << "  chance of at least one royal, the session played out: " << Percent(s.royalChance)
      << '\n';
  out << "  balance at the end, in credits:";
  for (std::size_t i = 0; i < kPercentiles.size(); ++i)
    out << (i ? ", " : " ") << kPercentiles[i] << "% " << Grouped(static_cast<double>(Credits(d, s.percentiles[i])));
  out << '\n';
  for (std::size_t i = 0; i < 3; ++i)
    out << "  bankroll for a risk of " << std::lround(kRisks[i] * 100) << "%: "
        << CreditsText(f.sessionBankroll[i], r.coins) << '\n';
  if (sample != nullptr) {
    out << "Sampled check, " << Grouped(sample->deals) << " deals (seed " << r.seed
        << "), 99.9% intervals: mean " << Format("%.4f +- %.4f", sample->meanBets, sample->meanHalfWidth)
        << " bets a deal (exact " << Format("%.4f", d.ret.returnRatio * r.hands) << "), variance "
        << Format("%.3f +- %.3f", sample->varianceBets, sample->varianceHalfWidth) << " (exact "
        << Format("%.3f", d.dealVariance) << ")\n";
  }
  out << Format("Time: %.3f s\n", f.seconds);
}

}  // namespace

int PrintRisk(const StrategyRequest& request, std::ostream& out, std::ostream& err) {
  const bool machineJoker =
      request.pays.Rules().wilds == Wilds::kJoker && request.deck == JokerDeck::kMachine;
  if (request.simulate > 0 && machineJoker) {
    err << "lynx-analyze: --simulate deals from the 53-card deck; give --deck standard53\n";
    return 2;
  }
  const RiskFigures f = Work(request);
  SampledDeals sample;
  if (request.simulate > 0)
    sample = SampleDeals(TablesFor(request.pays.Rules()), request.pays, request.coins,
                         request.hands, static_cast<int>(request.simulate), request.seed);
  const SampledDeals* shown = request.simulate > 0 ? &sample : nullptr;
  if (request.json) {
    PrintJson(request, f, shown, out);
  } else {
    PrintText(request, f, shown, out);
  }
  return 0;
}

}  // namespace lynx
