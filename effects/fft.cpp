#include "effects/fft.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace belmo {
namespace {

// Written out rather than M_PI, which standard C++ does not promise.
constexpr double kPi = 3.141592653589793;

bool IsUsableSize(int n) { return n >= 2 && n <= kMaxFftSize && (n & (n - 1)) == 0; }

// The angle of entry k is k times one step, never a running sum, so that
// rounding does not creep along the table and every build gets the same
// doubles.
void FillTables(int n, double twoPi, std::vector<double>& cosTable, std::vector<double>& sinTable) {
  const double step = twoPi / static_cast<double>(n);
  for (int k = 0; k < n; ++k) {
    const double angle = static_cast<double>(k) * step;
    cosTable[static_cast<size_t>(k)] = std::cos(angle);
    sinTable[static_cast<size_t>(k)] = std::sin(angle);
  }
}

}  // namespace

void TwiddleTables::Prepare(int n) {
  if (!IsUsableSize(n)) return;
  // The vectors are open to the caller; one that was shrunk is grown back
  // rather than written past.
  const auto size = static_cast<size_t>(n);
  for (std::vector<double>* table : {&ForwardCos, &ForwardSin, &InverseCos, &InverseSin}) {
    if (table->size() < size) table->resize(size);
  }
  FillTables(n, 2.0 * kPi, ForwardCos, ForwardSin);
  FillTables(n, -2.0 * kPi, InverseCos, InverseSin);
  PreparedSize = n;
}

void Fft(int n, double* re, double* im, const double* cosTable, const double* sinTable) {
  // Bit-reversal permutation: r runs through the bit-reversed counts by
  // adding 1 from the top bit down (a reverse carry), so no bit tricks per
  // index are needed.
  int r = 0;
  for (int i = 1; i <= n - 2; ++i) {
    int h = n / 2;
    r ^= h;
    while (h > r) {
      h /= 2;
      r ^= h;
    }
    if (i < r) {
      std::swap(re[i], re[r]);
      std::swap(im[i], im[r]);
    }
  }

  // One twiddle per group, the groups taking them in bit-reversed order:
  // the same reverse carry, over the N/2 table entries.
  for (int half = 1, span = 2; span <= n; half = span, span *= 2) {
    int t = 0;
    for (int p = 0; p <= n - 1; p += span) {
      const double wr = cosTable[t];
      const double wi = sinTable[t];
      int h = n / 4;
      t ^= h;
      while (h > t) {
        h /= 2;
        t ^= h;
      }
      for (int q = p; q < p + half; ++q) {
        const int s = q + half;
        const double xr = re[q] - re[s];
        const double xi = im[q] - im[s];
        re[q] = re[q] + re[s];
        im[q] = im[q] + im[s];
        re[s] = xr * wr - xi * wi;
        im[s] = xi * wr + xr * wi;
      }
    }
  }
}

}  // namespace belmo
