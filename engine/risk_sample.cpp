// The Monte Carlo check of the exact figures: real deals, real draws.
#include <cmath>
#include <numeric>
#include <random>

#include "engine/risk.h"

namespace lynx {

SampledDeals SampleDeals(const StrategyTables& tables, const Pays& pays, int coins, int hands,
                         int deals, std::uint32_t seed) {
  std::mt19937_64 random(seed);
  std::array<std::int64_t, kMaxPayRows> pay{};
  for (int r = 0; r < tables.RowCount(); ++r)
    pay[static_cast<std::size_t>(r)] = PayoutOf(pays, r, coins);
  std::vector<CardCode> deck(static_cast<std::size_t>(tables.CardCount()));
  std::iota(deck.begin(), deck.end(), CardCode{1});
  HoldCounts counts;
  // Running sums of the totals in bets: Welford's mean and central moments.
  double mean = 0, m2 = 0, m3 = 0, m4 = 0;
  for (int n = 1; n <= deals; ++n) {
    // The deal: the first five cards of a partial shuffle.
    for (std::size_t i = 0; i < 5; ++i)
      std::swap(deck[i], deck[std::uniform_int_distribution<std::size_t>(i, deck.size() - 1)(random)]);
    const Hand dealt{deck[0], deck[1], deck[2], deck[3], deck[4]};
    tables.CountHolds(dealt, JokerDeck::kStandard53, counts);
    const unsigned held = ReturnHold(counts, pay);
    std::int64_t won = 0;
    for (int h = 0; h < hands; ++h) {
      // Each hand draws from its own copy of the 47 (or 48) unseen cards.
      Hand hand = dealt;
      std::size_t next = 5;
      for (std::size_t i = 0; i < 5; ++i) {
        if ((held >> i & 1u) != 0) continue;
        std::swap(deck[next],
                  deck[std::uniform_int_distribution<std::size_t>(next, deck.size() - 1)(random)]);
        hand[i] = deck[next++];
      }
      const int row = tables.RowOf(hand);
      if (row >= 0) won += pay[static_cast<std::size_t>(row)];
    }
    const double x = static_cast<double>(won) / coins, count = n;
    const double delta = x - mean, term = delta / count, term2 = term * term,
                 spread = delta * term * (count - 1);
    mean += term;
    m4 += spread * term2 * (count * count - 3 * count + 3) + 6 * term2 * m2 - 4 * term * m3;
    m3 += spread * term * (count - 2) - 3 * term * m2;
    m2 += spread;
  }
  SampledDeals s;
  s.deals = deals;
  if (deals < 2) return s;
  const double n = deals, z = 3.2905;  // 99.9% two-sided
  s.meanBets = mean;
  s.varianceBets = m2 / (n - 1);
  const double fourth = m4 / n, var = m2 / n;
  s.meanHalfWidth = z * std::sqrt(s.varianceBets / n);
  s.varianceHalfWidth = z * std::sqrt(std::max(0.0, fourth - var * var) / n);
  return s;
}

}  // namespace lynx
