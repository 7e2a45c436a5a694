#include "selection/sample_peaks.h"

#include <algorithm>

namespace belmo {
namespace {

constexpr int kMaxChannels = 2;

// Integer minima and maxima per channel first, one conversion at the end:
// the inner loop stays a plain comparison the compiler can vectorise.
template <int Channels>
void MeasureUnsigned8(const uint8_t* bytes, size_t frames, Peak* out) {
  uint8_t low[Channels];
  uint8_t high[Channels];
  std::fill(low, low + Channels, uint8_t{255});
  std::fill(high, high + Channels, uint8_t{0});
  for (size_t f = 0; f < frames; ++f) {
    for (int c = 0; c < Channels; ++c) {
      const uint8_t v = bytes[f * Channels + c];
      low[c] = std::min(low[c], v);
      high[c] = std::max(high[c], v);
    }
  }
  for (int c = 0; c < Channels; ++c) {
    out[c] = {(low[c] - 128) / 128.0f, (high[c] - 128) / 128.0f};
  }
}

template <int Channels>
void MeasureSigned16(const uint8_t* bytes, size_t frames, Peak* out) {
  int16_t low[Channels];
  int16_t high[Channels];
  std::fill(low, low + Channels, int16_t{32767});
  std::fill(high, high + Channels, int16_t{-32768});
  for (size_t f = 0; f < frames; ++f) {
    for (int c = 0; c < Channels; ++c) {
      const uint8_t* sample = bytes + (f * Channels + c) * 2;
      const int16_t v = static_cast<int16_t>(sample[0] | (sample[1] << 8));
      low[c] = std::min(low[c], v);
      high[c] = std::max(high[c], v);
    }
  }
  for (int c = 0; c < Channels; ++c) out[c] = {low[c] / 32768.0f, high[c] / 32768.0f};
}

}  // namespace

bool CanMeasurePeaks(const SampleLayout& layout) {
  return layout.Channels >= 1 && layout.Channels <= kMaxChannels &&
         (layout.BitsPerSample == 8 || layout.BitsPerSample == 16);
}

void MeasurePeaks(const uint8_t* bytes, size_t frames, const SampleLayout& layout,
                  Peak* perChannel) {
  if (frames == 0 || !CanMeasurePeaks(layout)) {
    std::fill(perChannel, perChannel + std::max(layout.Channels, 0), Peak{});
    return;
  }
  const bool stereo = layout.Channels == 2;
  if (layout.BitsPerSample == 8) {
    stereo ? MeasureUnsigned8<2>(bytes, frames, perChannel)
           : MeasureUnsigned8<1>(bytes, frames, perChannel);
  } else {
    stereo ? MeasureSigned16<2>(bytes, frames, perChannel)
           : MeasureSigned16<1>(bytes, frames, perChannel);
  }
}

}  // namespace belmo
