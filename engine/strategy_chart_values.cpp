// The optimiser's input: for every deal, the value of the hold a chart would
// play for each pattern the deal has.

#include <array>
#include <cstdint>
#include <vector>

#include "engine/parallel.h"
#include "engine/strategy_chart.h"
#include "engine/strategy_chart_internal.h"

namespace lynx::chart_internal {

Prepared Prepare(const StrategyTables& tables, const std::vector<DealClass>& deals,
                 const Pays& pays, int coins, JokerDeck deck, int threads,
                 const std::atomic<bool>* stop) {
  const GameVariant variant = tables.Variant();
  const bool machineJoker = MachineJoker(variant, deck);
  std::array<std::int64_t, kMaxPayRows> pay{};
  for (int r = 0; r < tables.RowCount(); ++r)
    pay[static_cast<std::size_t>(r)] = PayoutOf(pays, r, coins);

  // Each worker takes one slice of the deals, in order, so the slices join up.
  const int workers = WorkerCount(threads);
  std::vector<std::vector<Entry>> sliceEntries(static_cast<std::size_t>(workers));
  std::vector<std::vector<std::uint32_t>> sliceCounts(static_cast<std::size_t>(workers));
  RunWorkers(workers, [&](int worker) {
    const std::size_t from =
        deals.size() * static_cast<std::size_t>(worker) / static_cast<std::size_t>(workers);
    const std::size_t to =
        deals.size() * static_cast<std::size_t>(worker + 1) / static_cast<std::size_t>(workers);
    auto& out = sliceEntries[static_cast<std::size_t>(worker)];
    auto& sizes = sliceCounts[static_cast<std::size_t>(worker)];
    std::vector<std::uint32_t> stamp(kCodeSpace, 0);
    std::vector<std::uint8_t> slotOf(kCodeSpace, 0);
    HoldCounts counts;
    HoldPatternList patterns;
    struct Candidate {
      PatternCode code;
      std::uint32_t score;
      unsigned mask;
    };
    std::vector<Candidate> found;
    for (std::size_t i = from; i < to; ++i) {
      if ((i & 255u) == 0 && StopAsked(stop)) return;
      const Hand& hand = deals[i].hand;
      tables.CountHolds(hand, deck, counts);
      const int row = tables.RowOf(hand);
      const auto dealStamp = static_cast<std::uint32_t>(i + 1);
      found.clear();
      for (unsigned m = 0; m < kHoldCount; ++m) {
        const int count = HoldPatterns(tables.Rules(), hand, m, row, patterns);
        if (count == 0) continue;
        const std::uint32_t score = HighCardsScore(variant, hand, m);
        for (int j = 0; j < count; ++j) {
          const PatternCode p = patterns[static_cast<std::size_t>(j)];
          if (stamp[p] != dealStamp) {
            stamp[p] = dealStamp;
            slotOf[p] = static_cast<std::uint8_t>(found.size());
            found.push_back({p, score, m});
          } else {
            Candidate& c = found[slotOf[p]];
            if (TieBefore(score, m, c.score, c.mask)) c = {p, score, m};
          }
        }
      }
      for (const Candidate& c : found) {
        std::int64_t payout = 0;
        for (std::size_t r = 0; r < kMaxPayRows; ++r) payout += counts.rows[c.mask][r] * pay[r];
        const double ev = static_cast<double>(payout) / static_cast<double>(counts.draws[c.mask]) /
                          static_cast<double>(coins);
        out.push_back({c.code, static_cast<float>(ev)});
      }
      sizes.push_back(static_cast<std::uint32_t>(found.size()));
    }
  });

  Prepared prepared;
  std::vector<std::int32_t> keyOf(kCodeSpace, -1);
  prepared.begin.push_back(0);
  for (int w = 0; w < workers; ++w) {
    for (std::uint32_t size : sliceCounts[static_cast<std::size_t>(w)])
      prepared.begin.push_back(prepared.begin.back() + size);
    for (Entry e : sliceEntries[static_cast<std::size_t>(w)]) {
      if (keyOf[e.key] < 0) {
        keyOf[e.key] = static_cast<std::int32_t>(prepared.codes.size());
        prepared.codes.push_back(e.key);
      }
      e.key = static_cast<std::uint32_t>(keyOf[e.key]);
      prepared.entries.push_back(e);
    }
    sliceEntries[static_cast<std::size_t>(w)] = {};
  }
  for (const DealClass& d : deals)
    prepared.weight.push_back(static_cast<double>(DealWeight(d, machineJoker)));
  prepared.nothing = keyOf[DiscardEverything()];
  return prepared;
}

}  // namespace lynx::chart_internal
