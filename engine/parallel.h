#pragma once
// The engine's one way of spreading work over threads. The calling thread is
// always worker 0 and takes its share, so one worker starts no thread at all.
// Results are kept per worker and added up by the caller afterwards: the
// engine's sums are exact integers, so they do not depend on which worker
// took which index.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace lynx {

// Workers for a `threads` setting: threads itself when positive, else one per
// core (at least 1).
inline int WorkerCount(int threads) {
  return threads > 0 ? threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// Runs fn(worker) once for every worker 0..WorkerCount(threads)-1, each on a
// thread of its own (worker 0 on the caller), and returns when all are done.
template <typename Fn>
void RunWorkers(int threads, const Fn& fn) {
  const int workers = WorkerCount(threads);
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(workers - 1));
  for (int w = 1; w < workers; ++w) pool.emplace_back([&fn, w] { fn(w); });
  fn(0);
  for (auto& t : pool) t.join();
}

// Runs fn(begin, end, worker) over the indexes 0..count-1 cut into ranges
// [begin, end) of `chunk` indexes (the last may be shorter; chunk >= 1). The
// ranges are handed out in order to whichever worker is free, so fn of one
// worker sees its ranges in increasing order.
template <typename Fn>
void ParallelChunks(std::size_t count, int threads, std::size_t chunk, const Fn& fn) {
  std::atomic<std::size_t> next{0};
  RunWorkers(threads, [&](int worker) {
    for (;;) {
      const std::size_t begin = next.fetch_add(chunk);
      if (begin >= count) break;
      fn(begin, std::min(begin + chunk, count), worker);
    }
  });
}

// Runs fn(index, worker) for every index 0..count-1, in chunks of 256.
template <typename Fn>
void ParallelFor(std::size_t count, int threads, const Fn& fn) {
  ParallelChunks(count, threads, 256, [&fn](std::size_t begin, std::size_t end, int worker) {
    for (std::size_t i = begin; i < end; ++i) fn(i, worker);
  });
}

}  // namespace lynx
