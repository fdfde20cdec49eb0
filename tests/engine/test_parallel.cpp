// The engine's thread fan-out: every index once, in whole chunks, each
// worker number once and in range. Background work: on a thread of its own,
// its result or its exception in the future, ready once the thread is done.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

#include "engine/parallel.h"

namespace lynx {
namespace {

TEST(Parallel, ChunksCoverEveryIndexOnce) {
  EXPECT_EQ(WorkerCount(3), 3);
  EXPECT_GE(WorkerCount(0), 1);
  for (const int threads : {1, 3}) {
    for (const std::size_t count : {0u, 99u, 100u, 101u, 1001u}) {
      std::vector<std::atomic<int>> hits(count);
      std::atomic<int> badRanges{0}, badWorkers{0};
      ParallelChunks(count, threads, 100, [&](std::size_t begin, std::size_t end, int worker) {
        if (begin % 100 != 0 || end - begin != std::min<std::size_t>(100, count - begin))
          ++badRanges;
        if (worker < 0 || worker >= threads) ++badWorkers;
        for (std::size_t i = begin; i < end; ++i) ++hits[i];
      });
      EXPECT_EQ(badRanges, 0) << threads << " " << count;
      EXPECT_EQ(badWorkers, 0) << threads << " " << count;
      int wrong = 0;
      for (const auto& h : hits) wrong += h != 1;
      EXPECT_EQ(wrong, 0) << threads << " " << count;
    }
  }
  std::vector<std::atomic<int>> runs(4);
  RunWorkers(4, [&](int worker) { ++runs[static_cast<std::size_t>(worker)]; });
  for (const auto& r : runs) EXPECT_EQ(r, 1);
}

// Set by the destructor of a thread's object, a moment after the work has
// returned.
std::atomic<bool> threadObjectGone{false};
struct ThreadObject {
  ~ThreadObject() {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    threadObjectGone = true;
  }
};

TEST(Parallel, BackgroundWorkRunsOnItsOwnThreadAndIsReadyWhenTheThreadIsDone) {
  // The work waits for the caller, which goes on only once RunInBackground
  // has returned: work run on the caller's thread would give up waiting.
  std::promise<void> go;
  std::shared_future<void> started = go.get_future().share();
  const std::thread::id caller = std::this_thread::get_id();
  auto work = RunInBackground([started, caller] {
    thread_local ThreadObject object;
    (void)object;
    const bool waited = started.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    return waited && std::this_thread::get_id() != caller ? 42 : -1;
  });
  go.set_value();
  EXPECT_EQ(work.get(), 42);
  EXPECT_TRUE(threadObjectGone);

  auto failing = RunInBackground([]() -> int { throw std::runtime_error("no tables"); });
  EXPECT_THROW(failing.get(), std::runtime_error);
}

}  // namespace
}  // namespace lynx
