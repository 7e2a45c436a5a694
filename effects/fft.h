// An in-place radix-2 complex FFT with caller-owned twiddle tables: each
// caller (the main window's masks, a preview on another thread) keeps its
// own tables, so no two threads ever share scratch state.
#pragma once

#include <vector>

namespace belmo {

constexpr int kMaxFftSize = 8192;

// cos and sin of k x 2pi/N (forward) and k x (-2pi/N) (inverse) for
// k = 0 .. N-1, the angle step computed once as (2 x pi) / N.
struct TwiddleTables {
  std::vector<double> ForwardCos = std::vector<double>(kMaxFftSize);
  std::vector<double> ForwardSin = std::vector<double>(kMaxFftSize);
  std::vector<double> InverseCos = std::vector<double>(kMaxFftSize);
  std::vector<double> InverseSin = std::vector<double>(kMaxFftSize);
  int PreparedSize = 0;

  // n must be a power of two from 2 to kMaxFftSize.
  void Prepare(int n);
};

// Z[k] = sum over n of (re[n] + i im[n]) e^(+2 pi i nk/N) with the forward
// tables, e^(-2 pi i nk/N) with the inverse ones; unscaled, natural order.
// Reads table entries 0 .. N/2-1 only.
void Fft(int n, double* re, double* im, const double* cosTable, const double* sinTable);

}  // namespace belmo
