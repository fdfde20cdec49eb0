// The engine's thread fan-out: every index once, in whole chunks, each
// worker number once and in range.

#include <gtest/gtest.h>

#include <atomic>
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

}  // namespace
}  // namespace lynx
