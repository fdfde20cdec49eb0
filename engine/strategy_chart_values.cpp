// The optimiser's input: for every deal, the value of the hold a chart would
// play for each pattern the deal has.

#include <array>
#include <cstdint>
#include <vector>

#include "engine/parallel.h"
#include "engine/strategy_chart.h"
#include "engine/strategy_chart_internal.h"

namespace lynx::chart_internal {

namespace {

// One worker's share of the value table: its deals' entries in deal order,
// and how many entries each deal has.
struct Slice {
  std::vector<Entry> entries;
  std::vector<std::uint32_t> sizes;
};

// Reads deals into a slice, one after another. Each worker has its own: the
// reader keeps, from deal to deal, which patterns the deal being read has
// met and where their holds are.
class SliceReader {
 public:
  SliceReader(const StrategyTables& tables, const Pays& pays, int coins, JokerDeck deck)
      : tables(tables), coins(coins), deck(deck), stamp(kCodeSpace, 0), slotOf(kCodeSpace, 0) {
    for (int r = 0; r < tables.RowCount(); ++r)
      pay[static_cast<std::size_t>(r)] = PayoutOf(pays, r, coins);
  }

  // Deals from..to-1 (their index i in the whole list) into slice; stops
  // early once stop is set.
  void Read(const std::vector<DealClass>& deals, std::size_t from, std::size_t to,
            const std::atomic<bool>* stop, Slice& slice) {
    for (std::size_t i = from; i < to; ++i) {
      if ((i & 255u) == 0 && StopAsked(stop)) return;
      const Hand& hand = deals[i].hand;
      tables.CountHolds(hand, deck, counts);
      FindHolds(hand, static_cast<std::uint32_t>(i + 1));
      for (const Candidate& c : found) slice.entries.push_back({c.code, Value(c.mask)});
      slice.sizes.push_back(static_cast<std::uint32_t>(found.size()));
    }
  }

 private:
  struct Candidate {
    PatternCode code;
    std::uint32_t score;  // HighCardsScore of the hold
    unsigned mask;
  };

  // found: for each pattern some hold of the hand fits, the hold the chart
  // would play for it (the first by the tie rule). dealStamp tells this
  // deal's patterns from those of the deals before.
  void FindHolds(const Hand& hand, std::uint32_t dealStamp) {
    const int row = tables.RowOf(hand);
    found.clear();
    for (unsigned m = 0; m < kHoldCount; ++m) {
      const int count = HoldPatterns(tables.Rules(), hand, m, row, patterns);
      if (count == 0) continue;
      const std::uint32_t score = HighCardsScore(tables.Variant(), hand, m);
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
  }

  // The EV per coin of hold mask of the deal counted last.
  float Value(unsigned mask) const {
    std::int64_t payout = 0;
    for (std::size_t r = 0; r < kMaxPayRows; ++r) payout += counts.rows[mask][r] * pay[r];
    const double ev = static_cast<double>(payout) / static_cast<double>(counts.draws[mask]) /
                      static_cast<double>(coins);
    return static_cast<float>(ev);
  }

  const StrategyTables& tables;
  const int coins;
  const JokerDeck deck;
  std::array<std::int64_t, kMaxPayRows> pay{};
  std::vector<std::uint32_t> stamp;  // per pattern: the stamp of the deal that met it last
  std::vector<std::uint8_t> slotOf;  // per pattern: its hold's place in found
  HoldCounts counts;
  HoldPatternList patterns;
  std::vector<Candidate> found;
};

// The slices joined in order into one table, each pattern numbered at its
// first appearance; the slices are emptied on the way.
Prepared Join(std::vector<Slice>& slices, const std::vector<DealClass>& deals, bool machineJoker) {
  Prepared prepared;
  std::vector<std::int32_t> keyOf(kCodeSpace, -1);
  prepared.begin.push_back(0);
  for (Slice& slice : slices) {
    for (std::uint32_t size : slice.sizes) prepared.begin.push_back(prepared.begin.back() + size);
    for (Entry e : slice.entries) {
      if (keyOf[e.key] < 0) {
        keyOf[e.key] = static_cast<std::int32_t>(prepared.codes.size());
        prepared.codes.push_back(e.key);
      }
      e.key = static_cast<std::uint32_t>(keyOf[e.key]);
      prepared.entries.push_back(e);
    }
    slice.entries = {};
  }
  for (const DealClass& d : deals)
    prepared.weight.push_back(static_cast<double>(DealWeight(d, machineJoker)));
  prepared.nothing = keyOf[DiscardEverything()];
  return prepared;
}

}  // namespace

Prepared Prepare(const StrategyTables& tables, const std::vector<DealClass>& deals,
                 const Pays& pays, int coins, JokerDeck deck, int threads,
                 const std::atomic<bool>* stop) {
  // Each worker takes one slice of the deals, in order, so the slices join up.
  const int workers = WorkerCount(threads);
  std::vector<Slice> slices(static_cast<std::size_t>(workers));
  RunWorkers(workers, [&](int worker) {
    const auto w = static_cast<std::size_t>(worker);
    const std::size_t from = deals.size() * w / static_cast<std::size_t>(workers);
    const std::size_t to = deals.size() * (w + 1) / static_cast<std::size_t>(workers);
    SliceReader(tables, pays, coins, deck).Read(deals, from, to, stop, slices[w]);
  });
  return Join(slices, deals, MachineJoker(tables.Variant(), deck));
}

}  // namespace lynx::chart_internal
