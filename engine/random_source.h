#pragma once
// The uniform pseudo-random source the shuffle draws from.

#include <cstdint>
#include <random>

namespace lynx {

class UniformSource {
 public:
  virtual ~UniformSource() = default;
  // A value r with 0 <= r < 1.
  virtual float Next() = 0;
  // Re-seeds from the time of day.
  virtual void Reseed() = 0;
};

// std::mt19937 seeded from the time of day in nanoseconds, mixed with a count
// of re-seeds so that two re-seeds within one clock tick still give different
// sequences.
class TimeSeededSource final : public UniformSource {
 public:
  TimeSeededSource();
  float Next() override;
  void Reseed() override;

 private:
  std::mt19937 generator;
  std::uint64_t reseedCount = 0;
};

// A fixed-seed source for replays and tests: Reseed() does not touch the
// sequence, so a run is repeatable.
class SeededSource final : public UniformSource {
 public:
  explicit SeededSource(std::uint32_t seed) : generator(seed) {}
  float Next() override;
  void Reseed() override {}

 private:
  std::mt19937 generator;
};

}  // namespace lynx
