#include "effects/voice_change_fft.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>
#include <optional>

namespace belmo {
namespace {

// The four arrays of one run, had before anything is changed so that a
// failed allocation can still leave the image alone.
struct FftWork {
  explicit FftWork(int n)
      : inRe(static_cast<size_t>(n)),
        inIm(static_cast<size_t>(n)),
        outRe(static_cast<size_t>(n)),
        outIm(static_cast<size_t>(n)) {}
  std::vector<double> inRe, inIm, outRe, outIm;
};

// Where the two halves of a frame live. Mono: two runs of N samples one
// after the other. Stereo: left and right of N interleaved sample frames.
struct FrameLayout {
  bool sixteenBit;
  int64_t bytesPerSample;
  int64_t frameBytes;    // 2N samples
  int64_t stride;        // bytes from index j to j + 1 within one half
  int64_t secondOffset;  // first byte of the second half's index 0
  int64_t maxAmp;
};

FrameLayout LayoutOf(int16_t channels, int16_t bitsPerSample, int n) {
  FrameLayout layout{};
  layout.sixteenBit = bitsPerSample == 16;
  layout.bytesPerSample = layout.sixteenBit ? 2 : 1;
  layout.maxAmp = layout.sixteenBit ? 32767 : 127;
  layout.frameBytes = 2 * static_cast<int64_t>(n) * layout.bytesPerSample;
  if (channels == 2) {
    layout.stride = 2 * layout.bytesPerSample;
    layout.secondOffset = layout.bytesPerSample;
  } else {
    layout.stride = layout.bytesPerSample;
    layout.secondOffset = static_cast<int64_t>(n) * layout.bytesPerSample;
  }
  return layout;
}

// 16-bit samples enter shifted up by 32768 (the top bit inverted), 8-bit
// ones shifted down by 128; either constant lands in bin 0 alone, which the
// spectrum mapping never copies.
double ReadSample(const uint8_t* at, bool sixteenBit) {
  if (!sixteenBit) return static_cast<double>(at[0]) - 128.0;
  const unsigned bits = static_cast<unsigned>(at[0]) | (static_cast<unsigned>(at[1]) << 8);
  return static_cast<double>(bits ^ 0x8000u);
}

// RoundHalfEven followed by the clip to +-maxAmp, with the same results,
// but without its library calls: this runs for every sample of the range.
// What lies beyond the clip needs no rounding, and what lies within it is
// small enough for an exact conversion to an integer.
int64_t RoundAndClip(double scaled, int64_t maxAmp) {
  const auto limit = static_cast<double>(maxAmp);
  if (scaled >= limit) return maxAmp;
  if (scaled <= -limit) return -maxAmp;
  if (std::isnan(scaled)) return 0;
  // Sums of comparisons rather than branches: which way a sample rounds is
  // as good as random, and a mispredicted branch costs more than the sum.
  int64_t below = static_cast<int64_t>(scaled);  // toward zero
  below -= static_cast<double>(below) > scaled;
  const double fraction = scaled - static_cast<double>(below);
  return below + ((fraction > 0.5) | ((fraction == 0.5) & ((below & 1) != 0)));
}

// The clip is symmetric: -32768 (or the byte 0) is never written, so a
// masked recording never holds a value its negation cannot match.
void WriteSample(uint8_t* at, double scaled, const FrameLayout& layout) {
  const int64_t value = RoundAndClip(scaled, layout.maxAmp);
  if (!layout.sixteenBit) {
    at[0] = static_cast<uint8_t>(value + 128);
    return;
  }
  const auto bits = static_cast<uint16_t>(static_cast<int16_t>(value));
  at[0] = static_cast<uint8_t>(bits & 0xFF);
  at[1] = static_cast<uint8_t>(bits >> 8);
}

// The highest bin to fill, as a double so that a ratio of any size (or
// NaN) cannot overflow an integer; below the ratio means no bin at all.
double FirstTargetBin(int n, double pitchRatio) {
  if (pitchRatio >= 1) return static_cast<double>(n / 2 - 1);
  return std::trunc(static_cast<double>(n) * pitchRatio / 2.0) - 1.0;
}

// Only whole frames are touched. The tables must be prepared for n and the
// work arrays hold n doubles each.
void ShiftFrames(uint8_t* block, int64_t byteLength, int16_t channels, int16_t bitsPerSample,
                 double pitchRatio, int n, const TwiddleTables& tables, FftWork& work) {
  const FrameLayout layout = LayoutOf(channels, bitsPerSample, n);
  const double kStart = FirstTargetBin(n, pitchRatio);
  // kStart >= ratio holds only for a ratio above 0 (and not NaN): then
  // every k is at least 1 and every m = k / ratio stays below N/2.
  const bool anyBin = kStart >= pitchRatio;
  const double size = static_cast<double>(n);
  double* inRe = work.inRe.data();
  double* inIm = work.inIm.data();
  double* outRe = work.outRe.data();
  double* outIm = work.outIm.data();

  for (int64_t frameStart = 0; byteLength - frameStart >= layout.frameBytes;
       frameStart += layout.frameBytes) {
    uint8_t* first = block + frameStart;
    uint8_t* second = first + layout.secondOffset;
    for (int j = 0; j < n; ++j) {
      inRe[j] = ReadSample(first + j * layout.stride, layout.sixteenBit);
      inIm[j] = ReadSample(second + j * layout.stride, layout.sixteenBit);
    }
    Fft(n, inRe, inIm, tables.ForwardCos.data(), tables.ForwardSin.data());

    std::fill(outRe, outRe + n, 0.0);
    std::fill(outIm, outIm + n, 0.0);
    if (anyBin) {
      // Mirrored at N - 1 - k rather than N - k: the result is a real
      // signal turned by half a bin, part of the mask's rough sound.
      for (int k = static_cast<int>(kStart); static_cast<double>(k) >= pitchRatio; --k) {
        const int m = static_cast<int>(std::trunc(static_cast<double>(k) / pitchRatio));
        outRe[k] = inRe[m];
        outIm[k] = inIm[m];
        outRe[n - 1 - k] = inRe[m];
        outIm[n - 1 - k] = -inIm[m];
      }
    }
    Fft(n, outRe, outIm, tables.InverseCos.data(), tables.InverseSin.data());

    for (int j = 0; j < n; ++j) {
      WriteSample(first + j * layout.stride, outRe[j] / size, layout);
      WriteSample(second + j * layout.stride, outIm[j] / size, layout);
    }
  }
}

// The table vectors are open to the caller, so their length is checked as
// well as the size they were prepared for.
bool TablesServe(const TwiddleTables& tables, int n) {
  if (n < 2 || n > kMaxFftSize || (n & (n - 1)) != 0 || tables.PreparedSize != n) return false;
  const auto half = static_cast<size_t>(n / 2);
  return tables.ForwardCos.size() >= half && tables.ForwardSin.size() >= half &&
         tables.InverseCos.size() >= half && tables.InverseSin.size() >= half;
}

}  // namespace

int FftSizeOfIndex(unsigned fftSizeIndex) {
  if (fftSizeIndex > 4) return 0;
  return 1 << (fftSizeIndex + 9);
}

bool PitchShiftFft(uint8_t* block, int64_t byteLength, int16_t channels, int16_t bitsPerSample,
                   double pitchRatio, int n, const TwiddleTables& tables) {
  // Tables for another size would give a wrong transform, or be read past.
  if (!TablesServe(tables, n)) return false;
  try {
    FftWork work(n);
    ShiftFrames(block, byteLength, channels, bitsPerSample, pitchRatio, n, tables, work);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int64_t FftFrameBytes(int16_t bitsPerSample, int n) {
  return LayoutOf(2, bitsPerSample, n).frameBytes;
}

MaskOutcome PlanVoiceChangeFft(size_t imageSize, const PcmLayout& layout, double startSeconds,
                               double endSeconds, double pitchRatio, unsigned fftSizeIndex,
                               ByteSpan* span, int* n) {
  // A ratio not above 0 would only silence the range; NaN is caught too.
  if (!(pitchRatio > 0)) return MaskOutcome::PitchRatioInvalid;
  *n = FftSizeOfIndex(fftSizeIndex);
  if (*n == 0) return MaskOutcome::FftSizeInvalid;
  if (!MaskSpanOf(startSeconds, endSeconds, layout, imageSize, span)) {
    return MaskOutcome::RangeInvalid;
  }
  return MaskOutcome::Applied;
}

bool MakeRoomInTables(TwiddleTables& tables, int n) {
  try {
    for (std::vector<double>* table :
         {&tables.ForwardCos, &tables.ForwardSin, &tables.InverseCos, &tables.InverseSin}) {
      if (table->size() < static_cast<size_t>(n)) table->resize(static_cast<size_t>(n));
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

MaskOutcome ApplyVoiceChangeFft(std::vector<uint8_t>& image, const PcmLayout& layout,
                                double startSeconds, double endSeconds, double pitchRatio,
                                unsigned fftSizeIndex, TwiddleTables& tables, UndoRecord& undo) {
  ByteSpan span;
  int n = 0;
  const MaskOutcome checked = PlanVoiceChangeFft(image.size(), layout, startSeconds, endSeconds,
                                                 pitchRatio, fftSizeIndex, &span, &n);
  if (checked != MaskOutcome::Applied) return checked;

  // Everything that can fail for want of memory comes before the undo copy,
  // and the undo copy before the first byte is changed.
  std::optional<FftWork> work;
  try {
    work.emplace(n);
  } catch (const std::bad_alloc&) {
    return MaskOutcome::OutOfMemory;
  }
  if (!MakeRoomInTables(tables, n)) return MaskOutcome::OutOfMemory;
  if (!RecordUndo(image, static_cast<int32_t>(span.start), static_cast<int32_t>(span.end), undo)) {
    return MaskOutcome::OutOfMemory;
  }

  tables.Prepare(n);
  ShiftFrames(image.data() + span.start, span.end - span.start, layout.Channels,
              layout.BitsPerSample, pitchRatio, n, tables, *work);
  return MaskOutcome::Applied;
}

}  // namespace belmo
