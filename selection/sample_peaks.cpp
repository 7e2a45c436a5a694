#include "selection/sample_peaks.h"

#include <algorithm>

#include "document/sample_codec.h"

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

// Full scale of each encoding in its own units, as the 8- and 16-bit loops
// take it: 2^(bits - 1) for integers, G.711 at its 16-bit value, 1 for
// float.
double Unity(SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::Float32: return 1.0;
    case SampleEncoding::MuLaw:
    case SampleEncoding::ALaw: return 32768.0;
    default: return FullScale(encoding) + 1.0;
  }
}

// Any other encoding through the sample codec, a piece at a time, scaled
// so that full scale is 1 (G.711 at its 16-bit linear scale).
void MeasureDecoded(const uint8_t* bytes, size_t frames, const WaveFormat& format, Peak* out) {
  constexpr int kPieceFrames = 1024;
  const SampleEncoding encoding = format.Encoding;
  const int channels = format.Channels;
  const int width = BytesPerSample(encoding);
  const double scale = 1.0 / Unity(encoding);
  double values[kPieceFrames];
  for (int c = 0; c < channels; ++c) {
    double low = 1e300;
    double high = -1e300;
    for (size_t done = 0; done < frames; done += kPieceFrames) {
      const int count = static_cast<int>(std::min<size_t>(kPieceFrames, frames - done));
      DecodeRun(bytes + (done * channels + c) * width, static_cast<int64_t>(channels) * width,
                count, encoding, values);
      for (int i = 0; i < count; ++i) {
        low = std::min(low, values[i]);
        high = std::max(high, values[i]);
      }
    }
    // Float samples may lie beyond full scale, be infinite or not numbers at
    // all: the strip draws within full scale, and nothing for no number.
    if (!(low <= high)) low = high = 0;
    out[c] = {static_cast<float>(std::clamp(low * scale, -1.0, 1.0)),
              static_cast<float>(std::clamp(high * scale, -1.0, 1.0))};
  }
}

}  // namespace

bool CanMeasurePeaks(const WaveFormat& format) {
  return format.Channels >= 1 && format.Channels <= kMaxChannels &&
         BytesPerSample(format.Encoding) > 0;
}

void MeasurePeaks(const uint8_t* bytes, size_t frames, const WaveFormat& format,
                  Peak* perChannel) {
  if (frames == 0 || !CanMeasurePeaks(format)) {
    std::fill(perChannel, perChannel + std::max<int>(format.Channels, 0), Peak{});
    return;
  }
  // 8- and 16-bit, what most recordings are, have loops of their own.
  const bool stereo = format.Channels == 2;
  if (format.Encoding == SampleEncoding::Unsigned8) {
    stereo ? MeasureUnsigned8<2>(bytes, frames, perChannel)
           : MeasureUnsigned8<1>(bytes, frames, perChannel);
  } else if (format.Encoding == SampleEncoding::Signed16) {
    stereo ? MeasureSigned16<2>(bytes, frames, perChannel)
           : MeasureSigned16<1>(bytes, frames, perChannel);
  } else {
    MeasureDecoded(bytes, frames, format, perChannel);
  }
}

}  // namespace belmo
