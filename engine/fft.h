#pragma once
// A plain radix-2 fast Fourier transform, for the risk figures' sums of
// powers and their convolutions.

#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <utility>
#include <vector>

namespace lynx {

// The transform of one size (a power of two), its roots worked out once.
class Fourier {
 public:
  explicit Fourier(std::size_t size) : n(size), roots(size / 2), order(size) {
    for (std::size_t k = 0; k < n / 2; ++k)
      roots[k] = std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(k) /
                                     static_cast<double>(n));
    for (std::size_t i = 1, j = 0; i < n; ++i) {
      std::size_t bit = n >> 1;
      for (; (j & bit) != 0; bit >>= 1) j ^= bit;
      j ^= bit;
      order[i] = j;
    }
  }

  std::size_t Size() const { return n; }

  // a (Size() values) in place: out[k] = sum a[j] w^(jk) with w = exp(-2 pi i / n),
  // or for the inverse with w = exp(+2 pi i / n), divided by n.
  void Transform(std::vector<std::complex<double>>& a, bool inverse) const {
    for (std::size_t i = 1; i < n; ++i)
      if (i < order[i]) std::swap(a[i], a[order[i]]);
    for (std::size_t len = 2; len <= n; len <<= 1) {
      const std::size_t half = len / 2, stride = n / len;
      for (std::size_t i = 0; i < n; i += len) {
        for (std::size_t k = 0; k < half; ++k) {
          const std::complex<double> w = inverse ? std::conj(roots[k * stride]) : roots[k * stride];
          const std::complex<double> u = a[i + k], v = a[i + k + half] * w;
          a[i + k] = u + v;
          a[i + k + half] = u - v;
        }
      }
    }
    if (inverse)
      for (auto& x : a) x /= static_cast<double>(n);
  }

 private:
  std::size_t n;
  std::vector<std::complex<double>> roots;  // exp(-2 pi i k / n), k < n / 2
  std::vector<std::size_t> order;           // bit-reversed index
};

}  // namespace lynx
