// The chart's order of patterns: the ranking of every pattern that pays best
// over all deals, cut down to the line limit.

#include <algorithm>
#include <atomic>
#include <numeric>
#include <utility>
#include <vector>

#include "engine/strategy_chart_internal.h"

namespace lynx::chart_internal {

namespace {

// The order of the patterns, improved a pattern at a time. Every deal plays
// the hold of its best-ranked pattern; the chart is the patterns ranked above
// "Discard everything", which every deal has.
class Ranking {
 public:
  Ranking(const Prepared& p, const std::atomic<bool>* stop)
      : p(p), keys(static_cast<int>(p.codes.size())), stop(stop) {
    const std::size_t deals = p.weight.size();
    // Deals of each pattern.
    std::vector<std::uint32_t> count(static_cast<std::size_t>(keys) + 1, 0);
    for (const Entry& e : p.entries) ++count[e.key + 1];
    std::partial_sum(count.begin(), count.end(), count.begin());
    byKeyBegin = count;
    byKey.resize(p.entries.size());
    for (std::size_t d = 0; d < deals; ++d) {
      for (std::uint32_t i = p.begin[d]; i < p.begin[d + 1]; ++i) {
        const Entry& e = p.entries[i];
        byKey[count[e.key]++] = {static_cast<std::uint32_t>(d), e.value};
      }
    }
    // First order: by the mean value of the pattern's hold where it occurs.
    std::vector<double> sum(static_cast<std::size_t>(keys), 0), weight(sum);
    for (std::size_t d = 0; d < deals; ++d) {
      for (std::uint32_t i = p.begin[d]; i < p.begin[d + 1]; ++i) {
        sum[p.entries[i].key] += p.weight[d] * p.entries[i].value;
        weight[p.entries[i].key] += p.weight[d];
      }
    }
    cover = weight;
    order.resize(static_cast<std::size_t>(keys));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return sum[static_cast<std::size_t>(a)] / weight[static_cast<std::size_t>(a)] >
             sum[static_cast<std::size_t>(b)] / weight[static_cast<std::size_t>(b)];
    });
    rank.resize(static_cast<std::size_t>(keys));
    Reranked();
    top1.resize(deals);
    top2.resize(deals);
    v1.resize(deals);
    v2.resize(deals);
    for (std::size_t d = 0; d < deals; ++d) Retop(d);
    gainAt.resize(static_cast<std::size_t>(keys));
  }

  int ChartSize() const { return rank[static_cast<std::size_t>(p.nothing)]; }
  const std::vector<int>& Order() const { return order; }

  void SetOrder(const std::vector<int>& to) {
    order = to;
    Reranked();
    for (std::size_t d = 0; d < top1.size(); ++d) Retop(d);
  }

  double Total() const {
    double total = 0;
    for (std::size_t d = 0; d < v1.size(); ++d) total += p.weight[d] * v1[d];
    return total;
  }

  // The build was asked to stop.
  bool Stopped() const { return StopAsked(stop); }

  // Moves every pattern once to its best place; patterns outside the chart
  // enter it only while it has fewer than `limit` patterns. Returns the gain.
  double Sweep(int limit) {
    double gained = 0;
    const std::vector<int> snapshot = order;
    for (int k : snapshot) {
      if (Stopped()) break;
      if (k == p.nothing) continue;
      const bool inside = rank[static_cast<std::size_t>(k)] < ChartSize();
      const Place place = BestPlace(k, inside || ChartSize() < limit);
      if (place.gain > place.current + kEpsilon) {
        MoveTo(k, place.position);
        gained += place.gain - place.current;
      }
    }
    return gained;
  }

  // The chart pattern whose deals lose least by falling to their next
  // pattern, and that loss.
  std::pair<int, double> Cheapest() const {
    std::vector<double> loss(static_cast<std::size_t>(keys), 0);
    for (std::size_t d = 0; d < v1.size(); ++d)
      loss[static_cast<std::size_t>(top1[d])] += p.weight[d] * (v1[d] - v2[d]);
    int cheapest = -1;
    for (int i = 0; i < ChartSize(); ++i) {
      const int k = order[static_cast<std::size_t>(i)];
      if (k == p.nothing) continue;
      if (cheapest < 0 ||
          loss[static_cast<std::size_t>(k)] < loss[static_cast<std::size_t>(cheapest)])
        cheapest = k;
    }
    return {cheapest, cheapest < 0 ? 0.0 : loss[static_cast<std::size_t>(cheapest)]};
  }

  // Takes out the chart pattern that costs least.
  void DropCheapest() { Drop(Cheapest().first); }

  void Drop(int k) {
    MoveTo(k, ChartSize());  // just below "Discard everything"
  }

  // While some pattern outside the chart gains more than the cheapest
  // pattern in it costs, swaps the two. Returns the number of swaps.
  int Swaps(int rounds) {
    int swaps = 0;
    for (; swaps < rounds && !Stopped(); ++swaps) {
      const auto [cheapest, loss] = Cheapest();
      if (cheapest < 0) break;
      int entrant = -1;
      double gain = 0;
      for (int i = ChartSize() + 1; i < keys; ++i) {
        const int k = order[static_cast<std::size_t>(i)];
        const Place place = BestPlace(k, true);
        if (place.gain > gain) {
          gain = place.gain;
          entrant = k;
        }
      }
      if (entrant < 0 || gain <= loss + kEpsilon) break;
      Drop(cheapest);
      MoveTo(entrant, BestPlace(entrant, true).position);
    }
    return swaps;
  }

  // Patterns outside the chart can make several inside it needless (a coarse
  // pattern that covers the deals of finer ones) while gaining little
  // themselves. Tries each of the `tries` most common: put it in, take out
  // the cheapest, swap while that pays; keeps the change if the total grew.
  void TryCoarser(int limit, int tries) {
    std::vector<std::pair<double, int>> common;
    for (int i = ChartSize() + 1; i < keys; ++i) {
      const int k = order[static_cast<std::size_t>(i)];
      common.push_back({cover[static_cast<std::size_t>(k)], k});
    }
    std::sort(common.rbegin(), common.rend());
    if (static_cast<int>(common.size()) > tries) common.resize(static_cast<std::size_t>(tries));
    for (const auto& [weight, k] : common) {
      if (Stopped()) break;
      if (rank[static_cast<std::size_t>(k)] < ChartSize()) continue;
      const Place place = BestPlace(k, true, true);
      const double before = Total();
      const std::vector<int> saved = order;
      touched.clear();
      tracking = true;
      MoveTo(k, place.position);
      while (ChartSize() > limit) DropCheapest();
      Swaps(8);
      tracking = false;
      if (Total() > before + kEpsilon) continue;
      order = saved;
      Reranked();
      for (int moved : touched) RetopDealsOf(moved);
    }
  }

  // Chart patterns that some deal plays, in order.
  std::vector<int> UsedChart() const {
    std::vector<char> used(static_cast<std::size_t>(keys), 0);
    for (int k : top1) used[static_cast<std::size_t>(k)] = 1;
    std::vector<int> chart;
    for (int i = 0; i < ChartSize(); ++i) {
      const int k = order[static_cast<std::size_t>(i)];
      if (used[static_cast<std::size_t>(k)]) chart.push_back(k);
    }
    return chart;
  }

 private:
  static constexpr double kEpsilon = 1e-9;
  struct Place {
    int position = 0;  // index in the order without the pattern
    double gain = 0, current = 0;
  };
  struct DealValue {
    std::uint32_t deal;
    float value;
  };

  void Reranked() {
    for (int i = 0; i < keys; ++i)
      rank[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])] = i;
  }

  void Retop(std::size_t d) {
    int best = -1, second = -1;
    float bestValue = 0, secondValue = 0;
    for (std::uint32_t i = p.begin[d]; i < p.begin[d + 1]; ++i) {
      const auto k = static_cast<int>(p.entries[i].key);
      const float value = p.entries[i].value;
      if (best < 0 || rank[static_cast<std::size_t>(k)] < rank[static_cast<std::size_t>(best)]) {
        second = best;
        secondValue = bestValue;
        best = k;
        bestValue = value;
      } else if (second < 0 ||
                 rank[static_cast<std::size_t>(k)] < rank[static_cast<std::size_t>(second)]) {
        second = k;
        secondValue = value;
      }
    }
    top1[d] = best;
    v1[d] = bestValue;
    top2[d] = second < 0 ? best : second;
    v2[d] = second < 0 ? bestValue : secondValue;
  }

  // The best place for pattern k given the order of the others. Placed at
  // position q of the order without k, a deal plays k when its best other
  // pattern sits at q or below.
  // With inChart the place is the highest in the chart among the best there,
  // even when that loses.
  Place BestPlace(int k, bool mayEnter, bool inChart = false) {
    std::fill(gainAt.begin(), gainAt.end(), 0.0);
    const int rk = rank[static_cast<std::size_t>(k)];
    for (std::uint32_t i = byKeyBegin[static_cast<std::size_t>(k)];
         i < byKeyBegin[static_cast<std::size_t>(k) + 1]; ++i) {
      const DealValue& dv = byKey[i];
      const bool first = top1[dv.deal] == k;
      const int other = first ? top2[dv.deal] : top1[dv.deal];
      const float otherValue = first ? v2[dv.deal] : v1[dv.deal];
      if (other == k) continue;
      const int ro = rank[static_cast<std::size_t>(other)];
      gainAt[static_cast<std::size_t>(ro - (ro > rk ? 1 : 0))] +=
          p.weight[dv.deal] * (static_cast<double>(dv.value) - otherValue);
    }
    const int rn = rank[static_cast<std::size_t>(p.nothing)];
    const int nothingAt = rn - (rn > rk ? 1 : 0);
    Place place;
    double suffix = 0;
    place.position = keys - 1;
    place.gain = 0;
    if (inChart) {
      for (int q = keys - 2; q > nothingAt; --q) suffix += gainAt[static_cast<std::size_t>(q)];
      place.gain = -1e300;
      for (int q = nothingAt; q >= 0; --q) {
        suffix += gainAt[static_cast<std::size_t>(q)];
        if (suffix >= place.gain - kEpsilon) {
          place.gain = std::max(place.gain, suffix);
          place.position = q;
        }
      }
      return place;
    }
    for (int q = keys - 2; q >= 0; --q) {
      suffix += gainAt[static_cast<std::size_t>(q)];
      if (q == rk) place.current = suffix;
      if (!mayEnter && q <= nothingAt) continue;
      if (suffix > place.gain + kEpsilon) {
        place.gain = suffix;
        place.position = q;
      }
    }
    return place;
  }

  void MoveTo(int k, int position) {
    order.erase(order.begin() + rank[static_cast<std::size_t>(k)]);
    order.insert(order.begin() + position, k);
    Reranked();
    RetopDealsOf(k);
    if (tracking) touched.push_back(k);
  }

  void RetopDealsOf(int k) {
    for (std::uint32_t i = byKeyBegin[static_cast<std::size_t>(k)];
         i < byKeyBegin[static_cast<std::size_t>(k) + 1]; ++i)
      Retop(byKey[i].deal);
  }

  const Prepared& p;
  int keys;
  const std::atomic<bool>* stop;
  std::vector<std::uint32_t> byKeyBegin;
  std::vector<DealValue> byKey;
  std::vector<int> order, rank;
  std::vector<int> top1, top2;
  std::vector<float> v1, v2;
  std::vector<double> gainAt;
  std::vector<double> cover;  // weight of the deals where the pattern occurs
  bool tracking = false;      // note the patterns moved in touched
  std::vector<int> touched;
};

}  // namespace

// The chart's patterns above "Discard everything", best first.
std::vector<PatternCode> RankPatterns(const Prepared& prepared, int maxLines,
                                      const std::atomic<bool>* stop) {
  Ranking ranking(prepared, stop);
  const int limit = std::max(0, maxLines - 1);  // patterns above "Discard everything"
  const int unlimited = static_cast<int>(prepared.codes.size());
  for (int i = 0; i < 30 && ranking.Sweep(unlimited) > 0; ++i) {
  }
  // Local improvements for a chart of at most `lines` patterns.
  const auto improve = [&ranking](int lines) {
    while (ranking.ChartSize() > lines && !ranking.Stopped()) ranking.DropCheapest();
    for (int round = 0; round < 3; ++round) {
      const double before = ranking.Total();
      ranking.Swaps(lines);
      ranking.TryCoarser(lines, 60);
      for (int i = 0; i < 30 && ranking.Sweep(lines) > 0; ++i) {
      }
      if (ranking.Total() <= before) break;
    }
  };
  // Two ways down to the limit, the better kept: straight there, and in
  // stages with improvements on the way (each ends in a different local
  // optimum, and neither is always the better).
  const std::vector<int> start = ranking.Order();
  improve(limit);
  const std::vector<int> direct = ranking.Order();
  const double directTotal = ranking.Total();
  ranking.SetOrder(start);
  for (const int lines : {limit * 2, limit * 3 / 2, limit * 5 / 4}) {
    if (lines < ranking.ChartSize()) improve(lines);
  }
  improve(limit);
  if (ranking.Total() < directTotal) ranking.SetOrder(direct);
  if (ranking.Stopped()) return {};

  std::vector<PatternCode> codes;
  for (int k : ranking.UsedChart()) codes.push_back(prepared.codes[static_cast<std::size_t>(k)]);
  return codes;
}

}  // namespace lynx::chart_internal
