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

// The product of two complex numbers, without the checks for infinities
// that std::complex's own product makes (they slow a transform several
// times over and the risk figures never meet an infinity).
inline std::complex<double> Times(std::complex<double> a, std::complex<double> b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// The transform of one size (a power of two), its roots worked out once.
class Fourier {
 public:
  explicit Fourier(std::size_t size) : n(size), forward(size), backward(size), order(size) {
    // The roots of the stage of length 2h sit at h .. 2h-1, in order.
    for (std::size_t half = 1; half < n; half <<= 1)
      for (std::size_t k = 0; k < half; ++k) {
        forward[half + k] = std::polar(1.0, -std::numbers::pi * static_cast<double>(k) /
                                                static_cast<double>(half));
        backward[half + k] = std::conj(forward[half + k]);
      }
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
    const std::complex<double>* roots = inverse ? backward.data() : forward.data();
    for (std::size_t half = 1; half < n; half <<= 1) {
      const std::complex<double>* w = roots + half;
      for (std::size_t i = 0; i < n; i += 2 * half) {
        std::complex<double>* lo = a.data() + i;
        std::complex<double>* hi = lo + half;
        for (std::size_t k = 0; k < half; ++k) {
          const std::complex<double> u = lo[k], v = Times(hi[k], w[k]);
          lo[k] = u + v;
          hi[k] = u - v;
        }
      }
    }
    if (inverse)
      for (auto& x : a) x /= static_cast<double>(n);
  }

 private:
  std::size_t n;
  std::vector<std::complex<double>> forward, backward;  // stage roots, see above
  std::vector<std::size_t> order;                       // bit-reversed index
};

}  // namespace lynx
