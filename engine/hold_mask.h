#pragma once
// Which of the five hand positions a hold keeps. Everything that carries a
// hold (the markers, the draw, the coach's 32 holds, the stored games) goes
// through this one type; the stored form is Bits(), bit i for position i+1.

#include <array>
#include <bit>
#include <cstdint>

namespace lynx {

class HoldMask {
 public:
  // Every hold of a five-card hand: masks 0..31.
  static constexpr int kCount = 32;

  constexpr HoldMask() = default;
  // Bits above the fifth are dropped.
  static constexpr HoldMask FromBits(unsigned bits) { return HoldMask(bits & 31u); }
  static constexpr HoldMask FromFlags(const std::array<bool, 5>& flags) {
    unsigned bits = 0;
    for (unsigned i = 0; i < 5; ++i)
      if (flags[i]) bits |= 1u << i;
    return HoldMask(bits);
  }
  static constexpr HoldMask All() { return HoldMask(31u); }

  constexpr unsigned Bits() const { return bits; }
  // The stored form of a game or a hand in progress.
  constexpr int Stored() const { return static_cast<int>(bits); }
  // index 0..4; any other index holds nothing.
  constexpr bool Holds(int index) const {
    return index >= 0 && index < 5 && (bits >> static_cast<unsigned>(index) & 1u) != 0;
  }
  constexpr HoldMask With(int index, bool hold) const {
    if (index < 0 || index > 4) return *this;
    const unsigned bit = 1u << static_cast<unsigned>(index);
    return HoldMask(hold ? bits | bit : bits & ~bit);
  }
  constexpr HoldMask Toggled(int index) const { return With(index, !Holds(index)); }
  constexpr std::array<bool, 5> Flags() const {
    std::array<bool, 5> flags{};
    for (int i = 0; i < 5; ++i) flags[static_cast<std::size_t>(i)] = Holds(i);
    return flags;
  }
  // How many positions are kept, 0..5.
  constexpr int Count() const { return std::popcount(bits); }

  constexpr bool operator==(const HoldMask&) const = default;

 private:
  constexpr explicit HoldMask(unsigned bits) : bits(bits) {}
  unsigned bits = 0;
};

}  // namespace lynx
