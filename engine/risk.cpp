#include "engine/risk.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "engine/fft.h"
#include "engine/parallel.h"
#include "engine/strategy_classes.h"

namespace lynx {

namespace {

// A totals chance below this is rounding left by the transform, not a chance.
constexpr double kTotalsFloor = 1e-16;

// What one deal's hold can end in: draws ending in each distinct number of
// units paid (index into the distinct values), reduced by their common
// divisor so alike holds meet under one key.
using DrawKey = std::vector<std::int64_t>;  // counts..., then draws

struct DealParts {
  std::map<DrawKey, double> holds;  // each distinct draw with the weight of its deals
  double meanSquared = 0;  // weight * (expected credits of the hold)^2
  double noRoyal = 0;      // weight * chance that no hand of the deal is a royal
  double weight = 0;
};

int UnitOf(const Pays& pays, int rowCount, int coins) {
  std::int64_t unit = coins;
  for (int r = 0; r < rowCount; ++r) unit = std::gcd(unit, PayoutOf(pays, r, coins));
  return static_cast<int>(std::max<std::int64_t>(unit, 1));
}

// The distinct positive numbers of units the rows pay, ascending.
std::vector<std::int64_t> PaidValues(const DealDistribution& d, int rowCount) {
  std::vector<std::int64_t> values;
  for (int r = 0; r < rowCount; ++r)
    if (d.rowUnits[static_cast<std::size_t>(r)] > 0)
      values.push_back(d.rowUnits[static_cast<std::size_t>(r)]);
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

DrawKey KeyOf(const RowVector& rows, std::int64_t draws, const DealDistribution& d, int rowCount,
              const std::vector<std::int64_t>& values) {
  DrawKey key(values.size() + 1, 0);
  for (int r = 0; r < rowCount; ++r) {
    const auto units = d.rowUnits[static_cast<std::size_t>(r)];
    if (units <= 0) continue;
    const auto at = std::lower_bound(values.begin(), values.end(), units) - values.begin();
    key[static_cast<std::size_t>(at)] += rows[static_cast<std::size_t>(r)];
  }
  key.back() = draws;
  std::int64_t g = 0;
  for (const auto k : key) g = std::gcd(g, k);
  if (g > 1)
    for (auto& k : key) k /= g;
  return key;
}

// sum over the distinct holds of weight * (sum_v p_v x^v)^hands, at the
// roots of unity of the transform, turned back into the chance of each total.
std::vector<double> DealTotals(const std::map<DrawKey, double>& holds,
                               const std::vector<std::int64_t>& values, int hands,
                               double weight) {
  const std::int64_t top = values.empty() ? 0 : values.back() * hands;
  std::size_t n = 1;
  while (n < static_cast<std::size_t>(top) + 1) n <<= 1;
  std::vector<std::complex<double>> root(n);
  for (std::size_t j = 0; j < n; ++j)
    root[j] = std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(n));
  std::vector<std::complex<double>> sum(n);
  for (const auto& [key, w] : holds) {
    const double draws = static_cast<double>(key.back());
    std::vector<double> p(values.size());
    double paying = 0;
    for (std::size_t v = 0; v < values.size(); ++v) {
      p[v] = static_cast<double>(key[v]) / draws;
      paying += p[v];
    }
    const double nothing = 1 - paying;
    for (std::size_t j = 0; j <= n / 2; ++j) {
      std::complex<double> q(nothing);
      for (std::size_t v = 0; v < values.size(); ++v)
        if (p[v] != 0) q += p[v] * root[(j * static_cast<std::size_t>(values[v])) & (n - 1)];
      std::complex<double> power(1), base = q;
      for (int e = hands; e > 0; e >>= 1) {
        if ((e & 1) != 0) power = Times(power, base);
        base = Times(base, base);
      }
      sum[j] += w * power;
    }
  }
  for (std::size_t j = n / 2 + 1; j < n; ++j) sum[j] = std::conj(sum[n - j]);
  Fourier(n).Transform(sum, true);
  std::vector<double> totals(static_cast<std::size_t>(top) + 1);
  double kept = 0;
  for (std::size_t t = 0; t < totals.size(); ++t) {
    const double chance = sum[t].real() / weight;
    totals[t] = chance < kTotalsFloor ? 0 : chance;
    kept += totals[t];
  }
  for (auto& c : totals) c /= kept;
  return totals;
}

void SetHandFigures(DealDistribution& d, int rowCount, const DealParts& parts) {
  const GameReturn& g = d.ret;
  const double perBet = static_cast<double>(d.unit) / d.coins;  // bets in a unit
  double mean = 0, square = 0;
  for (int r = 0; r < rowCount; ++r) {
    const auto ru = static_cast<std::size_t>(r);
    const double bets = static_cast<double>(d.rowUnits[ru]) * perBet;
    mean += g.rowProbability[ru] * bets;
    square += g.rowProbability[ru] * bets * bets;
  }
  d.variance = square - mean * mean;
  d.deviation = std::sqrt(d.variance);
  const double meanSquared =
      parts.meanSquared / parts.weight / (d.coins * d.coins);
  d.covariance = meanSquared - mean * mean;
  const double hands = d.hands;
  d.dealVariance = hands * d.variance + hands * (hands - 1) * d.covariance;
  d.dealDeviation = std::sqrt(d.dealVariance);
  d.royalCycle = g.rowProbability[0] > 0 ? 1 / g.rowProbability[0] : 0;
  d.payingChance = 1 - g.noWinProbability;
  d.dealRoyalChance = 1 - parts.noRoyal / parts.weight;
}

}  // namespace

DealDistribution ComputeDealDistribution(const StrategyTables& tables, const Pays& pays, int coins,
                                         int hands, JokerDeck deck, int threads,
                                         const ProgressCallback& progress) {
  return ComputeDealDistribution(tables, DealClasses(tables.Variant()), pays, coins, hands, deck,
                                 threads, progress);
}

DealDistribution ComputeDealDistribution(const StrategyTables& tables,
                                         const std::vector<DealClass>& deals, const Pays& pays,
                                         int coins, int hands, JokerDeck deck, int threads,
                                         const ProgressCallback& progress) {
  DealDistribution d;
  const int rowCount = tables.RowCount();
  d.coins = coins;
  d.hands = std::max(1, hands);
  d.unit = UnitOf(pays, rowCount, coins);
  d.stake = d.hands * coins / d.unit;
  std::array<std::int64_t, kMaxPayRows> credits{};
  for (int r = 0; r < rowCount; ++r) {
    credits[static_cast<std::size_t>(r)] = PayoutOf(pays, r, coins);
    d.rowUnits[static_cast<std::size_t>(r)] = credits[static_cast<std::size_t>(r)] / d.unit;
  }
  const std::vector<std::int64_t> values = PaidValues(d, rowCount);

  std::vector<DealParts> parts(static_cast<std::size_t>(WorkerCount(threads)));
  const auto visit = [&](int worker, const HoldCounts& counts, unsigned held,
                         std::uint64_t weight) {
    DealParts& p = parts[static_cast<std::size_t>(worker)];
    const RowVector& rows = counts.rows[held];
    const auto draws = static_cast<double>(counts.draws[held]);
    std::int64_t payout = 0;
    for (int r = 0; r < rowCount; ++r)
      payout += rows[static_cast<std::size_t>(r)] * credits[static_cast<std::size_t>(r)];
    const double w = static_cast<double>(weight), mean = static_cast<double>(payout) / draws;
    const double missRoyal = 1 - rows[0] / draws;
    p.meanSquared += w * mean * mean;
    p.noRoyal += w * (d.hands == 1 ? missRoyal : std::pow(missRoyal, d.hands));
    p.weight += w;
    if (d.hands > 1) p.holds[KeyOf(rows, counts.draws[held], d, rowCount, values)] += weight;
  };
  d.ret = ComputeReturn(tables, deals, pays, coins, deck, ReturnPolicy::kOptimal, threads, progress,
                        visit);
  DealParts all;
  for (DealParts& p : parts) {
    all.meanSquared += p.meanSquared;
    all.noRoyal += p.noRoyal;
    all.weight += p.weight;
    for (const auto& [key, w] : p.holds) all.holds[key] += w;
  }
  if (all.weight == 0) return d;
  SetHandFigures(d, rowCount, all);

  if (d.hands == 1) {
    d.totals.assign(values.empty() ? 1 : static_cast<std::size_t>(values.back()) + 1, 0.0);
    d.totals[0] = d.ret.noWinProbability;
    for (int r = 0; r < rowCount; ++r)
      d.totals[static_cast<std::size_t>(d.rowUnits[static_cast<std::size_t>(r)])] +=
          d.ret.rowProbability[static_cast<std::size_t>(r)];
  } else {
    d.totals = DealTotals(all.holds, values, d.hands, all.weight);
  }
  return d;
}

}  // namespace lynx
