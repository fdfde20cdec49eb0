#include "engine/strategy_return.h"

#include <atomic>
#include <numeric>
#include <vector>

#include "engine/exact_sums.h"
#include "engine/parallel.h"
#include "engine/strategy_classes.h"

namespace lynx {

namespace {

constexpr std::size_t kChunk = 256;  // deal classes taken by a thread at a time

// Exact sums over the deals, each scaled so that every hold's draws become
// the common denominator `scale` (the least common multiple of the possible
// numbers of draws).
struct Sums {
  std::array<UInt128, kMaxPayRows> rows{};
  UInt128 noWin = 0;
  UInt128 payout = 0;
  std::uint64_t weight = 0;  // sum of the deal weights
};

// True when row distribution a (counts over draws) beats b: greater
// probability at the first row where they differ, from row 0 down.
bool RowsBefore(const RowVector& a, std::int64_t drawsA, const RowVector& b, std::int64_t drawsB) {
  for (std::size_t r = 0; r < kMaxPayRows; ++r) {
    const std::int64_t left = a[r] * drawsB, right = b[r] * drawsA;  // below 2^31 * 2^27
    if (left != right) return left > right;
  }
  return false;
}

// What every deal is weighed with: the pays for the stake, the common
// denominator of the holds' draws, and the deck.
struct Weighing {
  std::array<std::int64_t, kMaxPayRows> pay{};
  std::uint64_t scale = 1;
  bool machineJoker = false;
};

Weighing WeighingFor(const StrategyTables& tables, const Pays& pays, int coins, JokerDeck deck) {
  Weighing w;
  w.machineJoker = tables.Variant() == kJokerWild && deck == JokerDeck::kMachine;
  for (int r = 0; r < tables.RowCount(); ++r)
    w.pay[static_cast<std::size_t>(r)] = PayoutOf(pays, r, coins);
  // Every number of draws a hold can have, and their least common multiple.
  for (std::uint64_t k = 0; k <= 5; ++k) {
    const auto unseen = static_cast<std::uint64_t>(tables.CardCount() - 5);
    w.scale = std::lcm(w.scale, Choose(unseen, k));
    if (w.machineJoker) w.scale = std::lcm(w.scale, 47 * Choose(47, k));
  }
  return w;
}

// Holds all five: the dealt hand's own row, one draw with no card replaced.
unsigned StandPat(const StrategyTables& tables, const Hand& hand, HoldCounts& counts) {
  const unsigned all = kHoldCount - 1;
  counts.rows[all] = RowVector{};
  counts.draws[all] = 1;
  const int row = tables.RowOf(hand);
  if (row >= 0) counts.rows[all][static_cast<std::size_t>(row)] = 1;
  return all;
}

}  // namespace

unsigned ReturnHold(const HoldCounts& counts, const std::array<std::int64_t, kMaxPayRows>& pay) {
  unsigned best = kHoldCount - 1;
  std::int64_t bestPayout = -1, bestDraws = 1;
  for (unsigned m = 0; m < kHoldCount; ++m) {
    std::int64_t payout = 0;
    for (std::size_t r = 0; r < kMaxPayRows; ++r) payout += counts.rows[m][r] * pay[r];
    const std::int64_t draws = counts.draws[m];
    const UInt128 left = static_cast<UInt128>(payout) * static_cast<UInt128>(bestDraws);
    const UInt128 right =
        static_cast<UInt128>(bestPayout < 0 ? 0 : bestPayout) * static_cast<UInt128>(draws);
    if (bestPayout < 0 || left > right ||
        (left == right && RowsBefore(counts.rows[m], draws, counts.rows[best], bestDraws))) {
      best = m;
      bestPayout = payout;
      bestDraws = draws;
    }
  }
  return best;
}

namespace {

// Adds deal d played with hold `held` of counts to sums.
std::uint64_t DealWeight(const DealClass& d, const Weighing& w) {
  return w.machineJoker ? d.deals * std::uint64_t{d.joker ? 48u : 47u} : d.deals;
}

void AddDeal(const DealClass& d, const HoldCounts& counts, unsigned held, const Weighing& w,
             Sums& sums) {
  const std::uint64_t weight = DealWeight(d, w);
  const auto draws = static_cast<std::uint64_t>(counts.draws[held]);
  const UInt128 factor = static_cast<UInt128>(weight) * (w.scale / draws);
  std::int64_t paying = 0, payout = 0;
  for (std::size_t r = 0; r < kMaxPayRows; ++r) {
    const std::int64_t c = counts.rows[held][r];
    sums.rows[r] += factor * static_cast<std::uint64_t>(c);
    paying += c;
    payout += c * w.pay[r];
  }
  sums.noWin += factor * static_cast<std::uint64_t>(static_cast<std::int64_t>(draws) - paying);
  sums.payout += factor * static_cast<std::uint64_t>(payout);
  sums.weight += weight;
}

Sums AddUp(const std::vector<Sums>& partial) {
  Sums total;
  for (const Sums& s : partial) {
    for (std::size_t r = 0; r < kMaxPayRows; ++r) total.rows[r] += s.rows[r];
    total.noWin += s.noWin;
    total.payout += s.payout;
    total.weight += s.weight;
  }
  return total;
}

// The figures of the deals from their sums: returns and probabilities as
// fractions of what was bet and of the weight of every draw.
void SetFigures(const Sums& total, const Weighing& w, int coins, GameReturn& result) {
  const UInt128 chance =
      static_cast<UInt128>(total.weight) * w.scale;  // denominator of a probability
  const UInt128 bet = chance * static_cast<unsigned>(coins);
  result.returnRatio = Ratio(total.payout, bet);
  result.exactReturn = Fraction(total.payout, bet);
  for (std::size_t r = 0; r < kMaxPayRows; ++r) {
    result.rowProbability[r] = Ratio(total.rows[r], chance);
    result.rowReturn[r] = Ratio(total.rows[r] * static_cast<std::uint64_t>(w.pay[r]), bet);
  }
  result.noWinProbability = Ratio(total.noWin, chance);
}

}  // namespace

GameReturn ComputeReturn(const StrategyTables& tables, int coins, JokerDeck deck,
                         ReturnPolicy policy, int threads, const ProgressCallback& progress) {
  return ComputeReturn(tables, DealClasses(tables.Variant()), coins, deck, policy, threads,
                       progress);
}

GameReturn ComputeReturn(const StrategyTables& tables, const std::vector<DealClass>& deals,
                         int coins, JokerDeck deck, ReturnPolicy policy, int threads,
                         const ProgressCallback& progress) {
  return ComputeReturn(tables, deals, DefaultPays(tables.Rules()), coins, deck, policy, threads,
                       progress);
}

GameReturn ComputeReturn(const StrategyTables& tables, const Pays& pays, int coins, JokerDeck deck,
                         ReturnPolicy policy, int threads, const ProgressCallback& progress) {
  return ComputeReturn(tables, DealClasses(tables.Variant()), pays, coins, deck, policy, threads,
                       progress);
}

GameReturn ComputeReturn(const StrategyTables& tables, const std::vector<DealClass>& deals,
                         const Pays& pays, int coins, JokerDeck deck, ReturnPolicy policy,
                         int threads, const ProgressCallback& progress) {
  return ComputeReturn(tables, deals, pays, coins, deck, policy, threads, progress, {});
}

GameReturn ComputeReturn(const StrategyTables& tables, const std::vector<DealClass>& deals,
                         const Pays& pays, int coins, JokerDeck deck, ReturnPolicy policy,
                         int threads, const ProgressCallback& progress, const DealVisitor& visit) {
  const Weighing weighing = WeighingFor(tables, pays, coins, deck);
  const int workers = WorkerCount(threads);
  std::vector<Sums> partial(static_cast<std::size_t>(workers));
  std::vector<HoldCounts> counts(static_cast<std::size_t>(workers));
  std::atomic<std::size_t> done{0};
  ParallelChunks(deals.size(), workers, kChunk,
                 [&](std::size_t begin, std::size_t end, int worker) {
                   const auto w = static_cast<std::size_t>(worker);
                   for (std::size_t i = begin; i < end; ++i) {
                     const DealClass& d = deals[i];
                     unsigned held;
                     if (policy == ReturnPolicy::kNeverDraw) {
                       held = StandPat(tables, d.hand, counts[w]);
                     } else {
                       tables.CountHolds(d.hand, deck, counts[w]);
                       held = ReturnHold(counts[w], weighing.pay);
                     }
                     AddDeal(d, counts[w], held, weighing, partial[w]);
                     if (visit) visit(worker, counts[w], held, DealWeight(d, weighing));
                   }
                   const std::size_t finished = done.fetch_add(end - begin) + (end - begin);
                   if (worker == 0 && progress)
                     progress(static_cast<double>(finished) / static_cast<double>(deals.size()));
                 });
  if (progress) progress(1.0);
  if (deals.empty()) return {};

  GameReturn result;
  result.variant = tables.Variant();
  result.coins = coins;
  result.deck = deck;
  result.policy = policy;
  result.classes = deals.size();
  for (const DealClass& d : deals) result.deals += d.deals;
  SetFigures(AddUp(partial), weighing, coins, result);
  return result;
}

}  // namespace lynx
