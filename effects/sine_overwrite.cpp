#include "effects/sine_overwrite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "document/sample_codec.h"

namespace belmo {
namespace {

constexpr double kTwoPi = 6.283185307179586;

class ToneMask final : public Mask {
 public:
  ToneMask(int32_t period, double levelDb, SampleEncoding encoding)
      : period_(period), levelDb_(levelDb), encoding_(encoding) {}
  int64_t PieceUnit() const override { return period_; }
  bool ReadsSamples() const override { return false; }
  MaskOutcome Begin(const ByteSpan&, int64_t, const Recording&) override {
    startByte_ = 0;
    return MaskOutcome::Applied;
  }
  bool Process(uint8_t* block, int64_t length) override {
    FillSine(block, period_, levelDb_, length, encoding_, startByte_);
    startByte_ = (startByte_ + length) % period_;
    return true;
  }

 private:
  int32_t period_;
  double levelDb_;
  SampleEncoding encoding_;
  int64_t startByte_ = 0;  // where in the period the next piece begins
};

}  // namespace

int32_t SinePeriodBytes(const WaveFormat& format, double sinHz) {
  if (!(sinHz > 0)) return 0;  // also NaN
  const int64_t bitsPerSecond =
      static_cast<int64_t>(format.SampleRate) * format.Channels * format.BitsPerSample;
  const double quotient = static_cast<double>(bitsPerSecond) / 8.0 / sinHz;
  if (!(quotient >= 2)) return 0;
  // A tiny frequency would give a period longer than any image; the largest
  // even int32 is then as good as the true period, since no span reaches
  // even one period's end either way.
  constexpr int32_t kLongestPeriod = std::numeric_limits<int32_t>::max() - 1;
  if (quotient >= static_cast<double>(kLongestPeriod)) return kLongestPeriod;
  int32_t period = static_cast<int32_t>(std::trunc(quotient));
  // Even, and a whole number of samples, so that no sample is ever split
  // at a period boundary: 2 bytes for 8- and 16-bit, 6 for 24-bit, 4 for
  // 32-bit. It is not made a multiple of the frame.
  const int width = std::max(BytesPerSample(format.Encoding), 1);
  const int32_t unit = width % 2 == 0 ? width : 2 * width;
  return period - period % unit;
}

void FillSine(uint8_t* block, int32_t periodBytes, double levelDb, int64_t length,
              SampleEncoding encoding, int64_t startByte) {
  if (periodBytes < 2 || length <= 0 || startByte < 0 || startByte >= periodBytes) return;
  const double amplitude = std::pow(10.0, levelDb / 20.0);
  // Only the part of the period that the block reaches is computed; the
  // phase still follows the whole period. Spare bytes take the high bytes
  // of a sample cut by the block's end.
  const int width = std::max(BytesPerSample(encoding), 1);
  const int64_t used = std::min<int64_t>(periodBytes, startByte + length);
  std::vector<uint8_t> period(static_cast<size_t>(used) + static_cast<size_t>(width), 0);
  const double periodLength = static_cast<double>(periodBytes);
  // The phase advances by byte index, so in a stereo block the second
  // channel's sample carries the phase half a frame later than the first's.
  for (int64_t i = 0; i < used; i += width) {
    const double theta = (static_cast<double>(i) / periodLength) * kTwoPi;
    EncodeToneSample(amplitude, std::sin(theta), encoding, &period[static_cast<size_t>(i)]);
  }

  int64_t from = startByte;
  for (int64_t offset = 0; offset < length; from = 0) {
    const int64_t count = std::min<int64_t>(periodBytes - from, length - offset);
    std::memcpy(block + offset, period.data() + from, static_cast<size_t>(count));
    offset += count;
  }
}

MaskOutcome PlanTone(const WaveFormat& format, double sinHz, double sindB,
                     std::unique_ptr<Mask>* mask) {
  const int32_t period = SinePeriodBytes(format, sinHz);
  // A frequency of 0 or below (from a settings.ini written by hand) is no
  // tone at all, not one too high.
  if (!(sinHz > 0)) return MaskOutcome::FrequencyInvalid;
  if (period < 2) return MaskOutcome::FrequencyTooHigh;
  *mask = std::make_unique<ToneMask>(period, sindB, format.Encoding);
  return MaskOutcome::Applied;
}

MaskOutcome ApplySineOverwrite(ImageSpan image, const WaveFormat& format,
                               double startSeconds, double endSeconds, double sindB, double sinHz,
                               UndoRecord& undo) {
  std::unique_ptr<Mask> mask;
  const MaskOutcome planned = PlanTone(format, sinHz, sindB, &mask);
  if (planned != MaskOutcome::Applied) return planned;
  return ApplyMaskInPlace(*mask, image, format, startSeconds, endSeconds, undo, nullptr);
}

}  // namespace belmo
