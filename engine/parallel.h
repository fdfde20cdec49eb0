#pragma once
// The program's own threads, outside the windows: work spread over workers
// (RunWorkers and the loops on it), and one piece of work run in the
// background (RunInBackground). For spread work the calling thread is always
// worker 0 and takes its share, so one worker starts no thread at all.
// Results are kept per worker and added up by the caller afterwards: the
// engine's sums are exact integers, so they do not depend on which worker
// took which index.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <future>
#include <thread>
#include <type_traits>
#include <utility>
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

// Runs fn() on a thread of its own and returns at once. The future gives
// what fn returned (or throws what it threw) once that thread has ended, its
// thread-local objects gone too, so whoever has waited for it knows that no
// code of the work runs any more: an object that starts such work waits for
// it before it goes.
template <typename Fn>
std::future<std::invoke_result_t<Fn&>> RunInBackground(Fn fn) {
  std::packaged_task<std::invoke_result_t<Fn&>()> task(std::move(fn));
  std::future<std::invoke_result_t<Fn&>> result = task.get_future();
  std::thread([task = std::move(task)]() mutable { task.make_ready_at_thread_exit(); }).detach();
  return result;
}

}  // namespace lynx
