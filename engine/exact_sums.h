#pragma once
// Exact arithmetic shared by the return computations: sums over every deal
// are kept as 128-bit integers over a common denominator, and only the final
// figures become fractions or doubles.

#include <algorithm>
#include <cstdint>
#include <string>

namespace lynx {

__extension__ typedef unsigned __int128 UInt128;

// n over k, for the small n (at most 53) of a deck.
inline std::uint64_t Choose(std::uint64_t n, std::uint64_t k) {
  std::uint64_t c = 1;
  for (std::uint64_t i = 1; i <= k; ++i) c = c * (n - k + i) / i;
  return c;
}

// Decimal digits of v.
inline std::string ToString(UInt128 v) {
  if (v == 0) return "0";
  std::string s;
  while (v != 0) {
    s.push_back(static_cast<char>('0' + static_cast<int>(v % 10)));
    v /= 10;
  }
  std::reverse(s.begin(), s.end());
  return s;
}

// num/den in lowest terms, "n/d"; den must not be 0.
inline std::string Fraction(UInt128 num, UInt128 den) {
  UInt128 a = num, b = den;
  while (b != 0) {
    const UInt128 t = a % b;
    a = b;
    b = t;
  }
  if (a == 0) a = 1;
  return ToString(num / a) + "/" + ToString(den / a);
}

inline double Ratio(UInt128 num, UInt128 den) {
  return static_cast<double>(static_cast<long double>(num) / static_cast<long double>(den));
}

}  // namespace lynx
