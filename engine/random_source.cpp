#include "engine/random_source.h"

#include <chrono>

namespace lynx {

namespace {

// A float in [0, 1) from 24 random bits: every value is exactly representable,
// so the result can never round up to 1.
float ToUnit(std::uint32_t bits) {
  return static_cast<float>(bits >> 8) * (1.0f / 16777216.0f);
}

}  // namespace

TimeSeededSource::TimeSeededSource() {
  Reseed();
}

float TimeSeededSource::Next() {
  return ToUnit(static_cast<std::uint32_t>(generator()));
}

void TimeSeededSource::Reseed() {
  // Time of day to the nanosecond; the re-seed count keeps two re-seeds in
  // the same clock tick apart.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto nanos =
      static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
  ++reseedCount;
  std::seed_seq seq{static_cast<std::uint32_t>(nanos), static_cast<std::uint32_t>(nanos >> 32),
                    static_cast<std::uint32_t>(reseedCount),
                    static_cast<std::uint32_t>(reseedCount >> 32)};
  generator.seed(seq);
}

float SeededSource::Next() {
  return ToUnit(static_cast<std::uint32_t>(generator()));
}

}  // namespace lynx
