#include "effects/voice_change_fft.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <new>
#include <optional>

#include "document/sample_codec.h"

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
  SampleEncoding encoding;
  int64_t frameBytes;    // 2N samples
  int64_t stride;        // bytes from index j to j + 1 within one half
  int64_t secondOffset;  // first byte of the second half's index 0
  double entryBias;
};

// 16-bit samples have always entered as their unsigned pattern (shifted up
// by 32768). The constant lands in bin 0 alone, which the mapping never
// copies, but it moves the rounding of every other bin: it stays, so that
// 16-bit results keep their bytes, and the other signed integers (G.711 at
// its 16-bit value) enter the same way. 8-bit samples and float enter as
// they are.
double EntryBias(SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::Signed16:
    case SampleEncoding::MuLaw:
    case SampleEncoding::ALaw: return 32768.0;
    case SampleEncoding::Signed24: return 8388608.0;
    case SampleEncoding::Signed32: return 2147483648.0;
    default: return 0.0;
  }
}

FrameLayout LayoutOf(int channels, SampleEncoding encoding, int n) {
  FrameLayout layout{};
  layout.encoding = encoding;
  const int64_t bytesPerSample = BytesPerSample(encoding);
  layout.frameBytes = 2 * static_cast<int64_t>(n) * bytesPerSample;
  if (channels == 2) {
    layout.stride = 2 * bytesPerSample;
    layout.secondOffset = bytesPerSample;
  } else {
    layout.stride = bytesPerSample;
    layout.secondOffset = static_cast<int64_t>(n) * bytesPerSample;
  }
  layout.entryBias = EntryBias(encoding);
  return layout;
}

// The highest bin to fill, as a double so that a ratio of any size (or
// NaN) cannot overflow an integer; below the ratio means no bin at all.
double FirstTargetBin(int n, double pitchRatio) {
  if (pitchRatio >= 1) return static_cast<double>(n / 2 - 1);
  return std::trunc(static_cast<double>(n) * pitchRatio / 2.0) - 1.0;
}

void ReadHalf(const uint8_t* first, const FrameLayout& layout, int n, double* values) {
  DecodeRun(first, layout.stride, n, layout.encoding, values);
  if (layout.entryBias != 0) {
    for (int j = 0; j < n; ++j) values[j] += layout.entryBias;
  }
}

// Only whole frames are touched. The tables must be prepared for n and the
// work arrays hold n doubles each.
void ShiftFrames(uint8_t* block, int64_t byteLength, int channels, SampleEncoding encoding,
                 double pitchRatio, int n, const TwiddleTables& tables, FftWork& work) {
  const FrameLayout layout = LayoutOf(channels, encoding, n);
  if (layout.frameBytes <= 0) return;
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
    ReadHalf(first, layout, n, inRe);
    ReadHalf(second, layout, n, inIm);
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
      outRe[j] /= size;
      outIm[j] /= size;
    }
    EncodeRunRounded(outRe, n, encoding, first, layout.stride);
    EncodeRunRounded(outIm, n, encoding, second, layout.stride);
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

// Grows the tables to hold N values each; false when memory runs short.
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

// The bytes after the last whole frame of a span are not left as they
// were: a range that is not a whole number of frames would keep the end of
// what was said (a last syllable, or all of a short name at a low rate).
// They come from one more frame, shifted like any other: the frame of the
// recording that ends where the span ends (or the data's first frame, when
// the span ends sooner), its missing end filled with silence. Only the
// tail is written back, so every whole frame keeps the bytes it had.
struct TailFrame {
  std::vector<uint8_t> shifted;  // one frame
  int64_t spanOffset = 0;        // where the tail starts, from the span's start
  int64_t frameOffset = 0;       // where it starts in the frame
  int64_t length = 0;            // 0: the span is whole frames
};

class FftVoiceMask final : public Mask {
 public:
  FftVoiceMask(const WaveFormat& format, double pitchRatio, int n, TwiddleTables& tables)
      : format_(format), pitchRatio_(pitchRatio), n_(n), tables_(tables) {}

  int64_t PieceUnit() const override { return FftFrameBytes(format_.Encoding, n_); }
  bool ReadsSamples() const override { return true; }
  // The tail's frame ends where the span ends, so it starts less than a
  // frame before the span.
  int64_t LookBehind() const override { return PieceUnit(); }

  // The work arrays, the tables' room and the tail come before the caller's
  // undo copy, so running short of memory changes nothing, and the tail is
  // made from the recording as it was.
  MaskOutcome Begin(const ByteSpan& span, int64_t, const Recording& original) override {
    try {
      work_.emplace(n_);
    } catch (const std::bad_alloc&) {
      return MaskOutcome::OutOfMemory;
    }
    if (!MakeRoomInTables(tables_, n_)) return MaskOutcome::OutOfMemory;
    tables_.Prepare(n_);
    if (!MakeTail(span, original)) return MaskOutcome::OutOfMemory;
    processed_ = 0;
    return MaskOutcome::Applied;
  }

  bool Process(uint8_t* block, int64_t length) override {
    if (!work_ || !TablesServe(tables_, n_)) return false;
    ShiftFrames(block, length, format_.Channels, format_.Encoding, pitchRatio_, n_, tables_, *work_);
    // The tail is written by the piece that holds it: the last one, when
    // the pieces are whole frames.
    const int64_t at = tail_.spanOffset - processed_;
    if (tail_.length > 0 && at >= 0 && at + tail_.length <= length) {
      std::memcpy(block + at, tail_.shifted.data() + tail_.frameOffset,
                  static_cast<size_t>(tail_.length));
    }
    processed_ += length;
    return true;
  }

 private:
  bool MakeTail(const ByteSpan& span, const Recording& original) {
    tail_ = TailFrame{};
    const int64_t frame = PieceUnit();
    if (frame <= 0) return true;
    const int64_t tailStart = span.start + (span.Length() / frame) * frame;
    if (tailStart >= span.end) return true;
    WaveFormat present = format_;
    present.DataEnd = std::min(format_.DataEnd, original.Size());
    const int64_t dataStart = present.DataStart();
    const int64_t dataEnd = present.WholeFramesEnd();
    const int64_t windowStart = span.end - frame >= dataStart ? span.end - frame : dataStart;
    const int64_t windowEnd = std::min(windowStart + frame, dataEnd);
    if (windowStart > tailStart || windowEnd < span.end) return true;  // not a span of this data
    try {
      tail_.shifted.resize(static_cast<size_t>(frame));
    } catch (const std::bad_alloc&) {
      return false;
    }
    original.Read(windowStart, tail_.shifted.data(), windowEnd - windowStart);
    FillSilence(tail_.shifted.data() + (windowEnd - windowStart), frame - (windowEnd - windowStart),
                format_.Encoding);
    ShiftFrames(tail_.shifted.data(), frame, format_.Channels, format_.Encoding, pitchRatio_, n_,
                tables_, *work_);
    tail_.spanOffset = tailStart - span.start;
    tail_.frameOffset = tailStart - windowStart;
    tail_.length = span.end - tailStart;
    return true;
  }

  WaveFormat format_;
  double pitchRatio_;
  int n_;
  TwiddleTables& tables_;
  std::optional<FftWork> work_;
  TailFrame tail_;
  int64_t processed_ = 0;
};

}  // namespace

int FftSizeOfIndex(unsigned fftSizeIndex) {
  if (fftSizeIndex > 4) return 0;
  return 1 << (fftSizeIndex + 9);
}

int FftIndexOfSize(double n) {
  for (unsigned index = 0; index <= 4; ++index) {
    if (n == FftSizeOfIndex(index)) return static_cast<int>(index);
  }
  return -1;
}

int64_t FftFrameBytes(SampleEncoding encoding, int n) {
  return 2 * static_cast<int64_t>(n) * BytesPerSample(encoding);
}

bool PitchShiftFft(uint8_t* block, int64_t byteLength, int channels, SampleEncoding encoding,
                   double pitchRatio, int n, const TwiddleTables& tables) {
  // Tables for another size would give a wrong transform, or be read past.
  if (!TablesServe(tables, n)) return false;
  try {
    FftWork work(n);
    ShiftFrames(block, byteLength, channels, encoding, pitchRatio, n, tables, work);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

MaskOutcome PlanVoiceChangeFft(const WaveFormat& format, double pitchRatio,
                               unsigned fftSizeIndex, TwiddleTables& tables,
                               std::unique_ptr<Mask>* mask) {
  // A ratio not above 0 would only silence the range; NaN is caught too.
  if (!(pitchRatio > 0)) return MaskOutcome::PitchRatioInvalid;
  const int n = FftSizeOfIndex(fftSizeIndex);
  if (n == 0) return MaskOutcome::FftSizeInvalid;
  *mask = std::make_unique<FftVoiceMask>(format, pitchRatio, n, tables);
  return MaskOutcome::Applied;
}

MaskOutcome ApplyVoiceChangeFft(ImageSpan image, const WaveFormat& format,
                                double startSeconds, double endSeconds, double pitchRatio,
                                unsigned fftSizeIndex, TwiddleTables& tables, UndoRecord& undo) {
  std::unique_ptr<Mask> mask;
  const MaskOutcome planned = PlanVoiceChangeFft(format, pitchRatio, fftSizeIndex, tables, &mask);
  if (planned != MaskOutcome::Applied) return planned;
  return ApplyMaskInPlace(*mask, image, format, startSeconds, endSeconds, undo, nullptr);
}

}  // namespace belmo
