// The walk of a bankroll, deal after deal: for ever (LongRunRisk) and over a
// session (by dynamic programming over the balance).
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>

#include "engine/fft.h"
#include "engine/risk.h"

namespace lynx {

namespace {

using Complex = std::complex<double>;

// Chances below this at the top of a balance are left out (and counted).
constexpr double kNegligible = 1e-24;

// The totals a deal can pay back, with their chances: only those that occur.
struct Outcome {
  std::int64_t total = 0;
  double chance = 0;
};

std::vector<Outcome> OutcomesOf(const DealDistribution& d) {
  std::vector<Outcome> out;
  for (std::size_t t = 0; t < d.totals.size(); ++t)
    if (d.totals[t] > 0) out.push_back({static_cast<std::int64_t>(t), d.totals[t]});
  return out;
}

// h(z) = z^stake - E[z^total] and its derivative.
struct Characteristic {
  const std::vector<double>& totals;
  int stake;

  void At(Complex z, Complex& h, Complex& slope) const {
    Complex p(0), dp(0);
    for (std::size_t t = totals.size(); t-- > 0;) {
      dp = dp * z + p;
      p = p * z + totals[t];
    }
    h = std::pow(z, stake) - p;
    slope = static_cast<double>(stake) * std::pow(z, stake - 1) - dp;
  }
  double Real(double x) const {
    Complex h, s;
    At(Complex(x), h, s);
    return h.real();
  }
};

// The root of h in (0, 1) of a favourable game: h(0) < 0 and h is positive
// just below 1, where the walk's drift upward shows.
double RealRoot(const Characteristic& c) {
  double hi = 1;
  for (double gap = 1e-2; gap >= 1e-12; gap /= 10) {
    if (c.Real(1 - gap) > 0) {
      hi = 1 - gap;
      break;
    }
  }
  if (hi == 1) return std::numeric_limits<double>::quiet_NaN();
  double lo = 0;
  for (int i = 0; i < 200 && hi - lo > 1e-17; ++i) {
    const double mid = (lo + hi) / 2;
    (c.Real(mid) > 0 ? hi : lo) = mid;
  }
  return (lo + hi) / 2;
}

// The other stake - 1 roots inside the unit circle, found together by the
// Aberth iteration (Newton's steps kept apart from each other and from the
// real root), started where z = w^k E[z^total]^(1/stake) leads them.
bool OtherRoots(const Characteristic& c, std::vector<Complex>& roots) {
  const int s = c.stake;
  for (int k = 1; k < s; ++k) {
    const Complex turn = std::polar(1.0, 2 * std::numbers::pi * k / s);
    Complex z = turn * 0.5;
    for (int i = 0; i < 50; ++i) {
      Complex h, slope;
      c.At(z, h, slope);
      z = turn * std::pow(std::pow(z, s) - h, 1.0 / s);  // z^s - h = E[z^total]
    }
    roots.push_back(z);
  }
  for (int round = 0; round < 500; ++round) {
    double largest = 0;
    for (std::size_t k = 1; k < roots.size(); ++k) {
      Complex h, slope;
      c.At(roots[k], h, slope);
      const Complex newton = h / slope;
      Complex apart(0);
      for (std::size_t j = 0; j < roots.size(); ++j)
        if (j != k) apart += 1.0 / (roots[k] - roots[j]);
      const Complex step = newton / (1.0 - newton * apart);
      roots[k] -= step;
      largest = std::max(largest, std::abs(step));
    }
    if (largest < 1e-15) break;
  }
  for (std::size_t k = 0; k < roots.size(); ++k) {
    Complex h, slope;
    c.At(roots[k], h, slope);
    if (!(std::abs(roots[k]) < 1 - 1e-12) || std::abs(h) > 1e-10) return false;
    for (std::size_t j = 0; j < k; ++j)
      if (std::abs(roots[k] - roots[j]) < 1e-9) return false;
  }
  return true;
}

// Solves a x = b (complex, n x n, row-major) by elimination with pivoting.
bool Solve(std::vector<Complex> a, std::vector<Complex>& b) {
  const std::size_t n = b.size();
  for (std::size_t col = 0; col < n; ++col) {
    std::size_t pivot = col;
    for (std::size_t r = col + 1; r < n; ++r)
      if (std::abs(a[r * n + col]) > std::abs(a[pivot * n + col])) pivot = r;
    if (std::abs(a[pivot * n + col]) < 1e-300) return false;
    for (std::size_t k = 0; k < n; ++k) std::swap(a[col * n + k], a[pivot * n + k]);
    std::swap(b[col], b[pivot]);
    for (std::size_t r = col + 1; r < n; ++r) {
      const Complex f = a[r * n + col] / a[col * n + col];
      for (std::size_t k = col; k < n; ++k) a[r * n + k] -= f * a[col * n + k];
      b[r] -= f * b[col];
    }
  }
  for (std::size_t col = n; col-- > 0;) {
    for (std::size_t k = col + 1; k < n; ++k) b[col] -= a[col * n + k] * b[k];
    b[col] /= a[col * n + col];
  }
  return true;
}

// What a deal does to a whole balance at once: spreads each balance over
// the totals (forward, for the end balance) or gathers them (backward, for
// the ruin by bankroll). Few totals (one hand a deal) are summed directly;
// the many totals of several hands go through the transform, whose rounding
// (about 1e-16 of the largest chance) is cut off.
class Spreader {
 public:
  explicit Spreader(const DealDistribution& d) : totals(d.totals), outs(OutcomesOf(d)) {}

  // to[i + t] += from[i] * chance(t) for i in 0..count-1; returns the chance
  // cut off as rounding.
  double Forward(const double* from, std::size_t count, std::vector<double>& to) {
    const std::size_t top = totals.size() - 1;
    if (to.size() < count + top) to.resize(count + top, 0.0);
    const std::size_t n = TransformSize(count + top + 1);
    if (n == 0) {
      for (const Outcome& o : outs) {
        double* out = to.data() + o.total;
        const double c = o.chance;
        for (std::size_t i = 0; i < count; ++i) out[i] += c * from[i];
      }
      return 0;
    }
    work.assign(n, 0.0);
    for (std::size_t i = 0; i < count; ++i) work[i] = from[i];
    return Convolve(Spectrum(forward, n, false), count + top, to.data());
  }

  // to[i] = sum over t of chance(t) * from[i + t] (from is 0 past its end),
  // for i in 0..count-1.
  void Backward(const std::vector<double>& from, std::size_t count, double* to) {
    const std::size_t top = totals.size() - 1;
    const std::size_t n = TransformSize(std::max(count, from.size()) + top + 1);
    if (n == 0) {
      for (std::size_t i = 0; i < count; ++i) to[i] = 0;
      for (const Outcome& o : outs) {
        const auto t = static_cast<std::size_t>(o.total);
        const std::size_t end = from.size() > t ? std::min(count, from.size() - t) : 0;
        for (std::size_t i = 0; i < end; ++i) to[i] += o.chance * from[i + t];
      }
      return;
    }
    work.assign(n, 0.0);
    for (std::size_t i = 0; i < from.size(); ++i) work[i] = from[i];
    std::vector<double> gathered(count + top, 0.0);
    Convolve(Spectrum(backward, n, true), count + top, gathered.data());
    for (std::size_t i = 0; i < count; ++i) to[i] = gathered[i + top];
  }

 private:
  // The transform's size for a result of `length`, or 0 when summing
  // directly costs less.
  std::size_t TransformSize(std::size_t length) const {
    std::size_t n = 1, log = 0;
    while (n < length) {
      n <<= 1;
      ++log;
    }
    const double direct = static_cast<double>(length - totals.size() + 1) * outs.size();
    return direct > 8.0 * static_cast<double>(n * std::max<std::size_t>(log, 1)) ? n : 0;
  }

  const std::vector<std::complex<double>>& Spectrum(
      std::map<std::size_t, std::vector<std::complex<double>>>& cache, std::size_t n,
      bool reversed) {
    auto& s = cache[n];
    if (s.empty()) {
      s.assign(n, 0.0);
      const std::size_t top = totals.size() - 1;
      for (std::size_t t = 0; t <= top; ++t) s[reversed ? top - t : t] = totals[t];
      Plan(n).Transform(s, false);
    }
    return s;
  }

  // work (filled from 0) convolved with the spectrum's totals, added into
  // out[0..length-1]; returns what was cut off as rounding.
  double Convolve(const std::vector<std::complex<double>>& spectrum, std::size_t length,
                  double* out) {
    const Fourier& plan = Plan(work.size());
    plan.Transform(work, false);
    for (std::size_t k = 0; k < work.size(); ++k) work[k] *= spectrum[k];
    plan.Transform(work, true);
    double cut = 0;
    for (std::size_t i = 0; i < length; ++i) {
      const double v = work[i].real();
      if (v > kRounding) {
        out[i] += v;
      } else if (v > 0) {
        cut += v;
      }
    }
    return cut;
  }

  const Fourier& Plan(std::size_t n) {
    auto& p = plans[n];
    if (!p) p = std::make_unique<Fourier>(n);
    return *p;
  }

  static constexpr double kRounding = 1e-15;
  std::map<std::size_t, std::unique_ptr<Fourier>> plans;
  const std::vector<double>& totals;
  std::vector<Outcome> outs;
  std::vector<std::complex<double>> work;
  std::map<std::size_t, std::vector<std::complex<double>>> forward, backward;
};

// Drops the top of v while it is negligible; returns the chance dropped.
double TrimTop(std::vector<double>& v, std::size_t keep) {
  double dropped = 0;
  while (v.size() > keep && v.back() < kNegligible) {
    dropped += v.back();
    v.pop_back();
  }
  return dropped;
}

}  // namespace

LongRunRisk::LongRunRisk(const DealDistribution& deal) : stake(deal.stake) {
  double mean = 0;
  for (std::size_t t = 0; t < deal.totals.size(); ++t) mean += static_cast<double>(t) * deal.totals[t];
  favourable = mean > stake * (1 + 1e-12);
  if (!favourable) return;
  const Characteristic c{deal.totals, stake};
  const double real = RealRoot(c);
  if (std::isnan(real)) return;
  roots.push_back(real);
  if (!OtherRoots(c, roots)) return;
  // psi(b) = sum_i w_i z_i^b with psi = 1 on the balances 0..stake-1, where no
  // deal can be played.
  const auto n = roots.size();
  std::vector<Complex> powers(n * n);
  for (std::size_t b = 0; b < n; ++b)
    for (std::size_t i = 0; i < n; ++i) powers[b * n + i] = std::pow(roots[i], static_cast<int>(b));
  weights.assign(n, Complex(1));
  solved = Solve(powers, weights);
}

double LongRunRisk::RuinChance(std::int64_t bankroll) const {
  if (!favourable || bankroll < stake) return 1;
  if (!solved) return std::numeric_limits<double>::quiet_NaN();
  Complex sum(0);
  for (std::size_t i = 0; i < roots.size(); ++i)
    sum += weights[i] * std::pow(roots[i], static_cast<double>(bankroll));
  return std::clamp(sum.real(), 0.0, 1.0);
}

std::int64_t LongRunRisk::BankrollFor(double risk) const {
  if (!favourable || !solved || !(risk > 0 && risk < 1)) return -1;
  std::int64_t lo = stake - 1, hi = stake;  // ruin(lo) > risk >= ruin(hi)
  while (RuinChance(hi) > risk) {
    lo = hi;
    if (hi > (std::int64_t{1} << 50)) return -1;
    hi *= 2;
  }
  while (hi - lo > 1) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    (RuinChance(mid) > risk ? lo : hi) = mid;
  }
  return hi;
}

SessionFigures ComputeSession(const DealDistribution& deal, std::int64_t bankroll, int deals) {
  SessionFigures f;
  f.bankroll = std::max<std::int64_t>(bankroll, 0);
  f.deals = std::max(deals, 0);
  Spreader spread(deal);
  const auto stake = static_cast<std::size_t>(deal.stake);
  std::vector<double> balance(static_cast<std::size_t>(f.bankroll) + 1, 0.0), next;
  balance.back() = 1;
  std::vector<double> stopped(stake, 0.0);  // ruined sessions by what they kept
  for (int k = 0; k < f.deals; ++k) {
    for (std::size_t b = 0; b < std::min(stake, balance.size()); ++b) {
      f.ruinChance += balance[b];
      stopped[b] += balance[b];
      balance[b] = 0;
    }
    // A balance b >= stake goes to b - stake + total.
    next.assign(balance.size(), 0.0);
    if (balance.size() > stake)
      f.dropped += spread.Forward(balance.data() + stake, balance.size() - stake, next);
    balance.swap(next);
    f.dropped += TrimTop(balance, stake);
  }
  if (balance.size() < stake) balance.resize(stake, 0.0);
  for (std::size_t b = 0; b < stake; ++b) balance[b] += stopped[b];
  const auto start = static_cast<std::size_t>(f.bankroll);
  double cumulative = 0;
  std::size_t next_percentile = 0;
  for (std::size_t b = 0; b < balance.size(); ++b) {
    if (b > start) f.aheadChance += balance[b];
    cumulative += balance[b];
    while (next_percentile < kPercentiles.size() &&
           cumulative >= kPercentiles[next_percentile] / 100.0 - 1e-12)
      f.percentiles[next_percentile++] = static_cast<std::int64_t>(b);
  }
  for (; next_percentile < kPercentiles.size(); ++next_percentile)
    f.percentiles[next_percentile] = static_cast<std::int64_t>(balance.size()) - 1;
  if (start < balance.size()) f.evenChance = balance[start];
  f.royalChance = 1 - std::pow(1 - deal.dealRoyalChance, f.deals);
  f.endBalance = std::move(balance);
  return f;
}

std::vector<double> SessionRuinByBankroll(const DealDistribution& deal, int deals) {
  Spreader spread(deal);
  const std::size_t stake = static_cast<std::size_t>(deal.stake);
  std::vector<double> ruin, next;  // ruin[b] within the deals so far; 0 past the end
  for (int k = 0; k < deals; ++k) {
    // From b >= stake a deal leads to b - stake + total.
    next.assign(ruin.size() + stake, 1.0);
    spread.Backward(ruin, ruin.size(), next.data() + stake);
    while (next.size() > stake && next.back() < 1e-18) next.pop_back();
    ruin.swap(next);
  }
  return ruin;
}

std::int64_t SessionBankrollFor(const std::vector<double>& ruinByBankroll, double risk) {
  for (std::size_t b = 0; b < ruinByBankroll.size(); ++b)
    if (ruinByBankroll[b] <= risk) return static_cast<std::int64_t>(b);
  return static_cast<std::int64_t>(ruinByBankroll.size());
}

double ShareOfSessionsBelow(const DealDistribution& deal, int deals, std::int64_t result) {
  // With a bankroll of a stake per deal the session can always be played out.
  const std::int64_t bankroll = static_cast<std::int64_t>(deal.stake) * std::max(deals, 0);
  const SessionFigures f = ComputeSession(deal, bankroll, deals);
  double below = 0;
  for (std::size_t b = 0; b < f.endBalance.size(); ++b)
    if (static_cast<std::int64_t>(b) - bankroll < result) below += f.endBalance[b];
  return below;
}

}  // namespace lynx
