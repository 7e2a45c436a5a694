#include "effects/sine_overwrite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace belmo {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// Sample values are clipped rather than wrapped: a level above 0 dB must
// sound loud, not turn into noise. A level so high that infinity meets a
// zero sine gives NaN; that sample is written as the zero level.
double ClipSample(double value, double low, double high, double zeroLevel) {
  if (std::isnan(value)) return zeroLevel;
  return std::min(std::max(value, low), high);
}

}  // namespace

int32_t SinePeriodBytes(int32_t sampleRate, int16_t channels, int16_t bitsPerSample, double sinHz) {
  if (!(sinHz > 0)) return 0;  // also NaN
  const int64_t bitsPerSecond = static_cast<int64_t>(sampleRate) * channels * bitsPerSample;
  const double quotient = static_cast<double>(bitsPerSecond) / 8.0 / sinHz;
  if (!(quotient >= 2)) return 0;
  // A tiny frequency would give a period longer than any image; the largest
  // even int32 is then as good as the true period, since no span reaches
  // even one period's end either way.
  constexpr int32_t kLongestPeriod = std::numeric_limits<int32_t>::max() - 1;
  if (quotient >= static_cast<double>(kLongestPeriod)) return kLongestPeriod;
  int32_t period = static_cast<int32_t>(std::trunc(quotient));
  // Even, so that a 16-bit sample is never split at a period boundary.
  if (period % 2 != 0) --period;
  return period;
}

void FillSine(uint8_t* block, int32_t periodBytes, double levelDb, int64_t length,
              int16_t bitsPerSample) {
  if (periodBytes < 2 || length <= 0) return;
  const double amplitude = std::pow(10.0, levelDb / 20.0);
  // Only the part of the period that the block reaches is computed; the
  // phase still follows the whole period. One spare byte takes the high
  // byte of a 16-bit sample cut by an odd block length.
  const int64_t used = std::min<int64_t>(periodBytes, length);
  std::vector<uint8_t> period(static_cast<size_t>(used) + 1, 0);
  const double periodLength = static_cast<double>(periodBytes);

  if (bitsPerSample == 8) {
    for (int64_t i = 0; i < used; ++i) {
      const double theta = (static_cast<double>(i) / periodLength) * kTwoPi;
      const double value = std::trunc(amplitude * (std::sin(theta) * 127) + 128);
      period[i] = static_cast<uint8_t>(ClipSample(value, 0, 255, 128));
    }
  } else {
    for (int64_t i = 0; i < used; i += 2) {
      const double theta = (static_cast<double>(i) / periodLength) * kTwoPi;
      const double value = std::floor(amplitude * (std::sin(theta) * 32767));
      const auto sample = static_cast<int16_t>(ClipSample(value, -32768, 32767, 0));
      const auto bits = static_cast<uint16_t>(sample);
      period[i] = static_cast<uint8_t>(bits & 0xFF);
      period[i + 1] = static_cast<uint8_t>(bits >> 8);
    }
  }

  for (int64_t offset = 0; offset < length; offset += periodBytes) {
    const int64_t count = std::min<int64_t>(periodBytes, length - offset);
    std::memcpy(block + offset, period.data(), static_cast<size_t>(count));
  }
}

MaskOutcome PlanSineOverwrite(size_t imageSize, const PcmLayout& layout, double startSeconds,
                              double endSeconds, double sinHz, SinePlan* plan) {
  plan->period = SinePeriodBytes(layout.SampleRate, layout.Channels, layout.BitsPerSample, sinHz);
  if (plan->period < 2) return MaskOutcome::FrequencyTooHigh;
  if (!MaskSpanOf(startSeconds, endSeconds, layout, imageSize, &plan->span)) {
    return MaskOutcome::RangeInvalid;
  }
  return MaskOutcome::Applied;
}

MaskOutcome ApplySineOverwrite(std::vector<uint8_t>& image, const PcmLayout& layout,
                               double startSeconds, double endSeconds, double sindB, double sinHz,
                               UndoRecord& undo) {
  SinePlan plan;
  const MaskOutcome checked =
      PlanSineOverwrite(image.size(), layout, startSeconds, endSeconds, sinHz, &plan);
  if (checked != MaskOutcome::Applied) return checked;
  const ByteSpan span = plan.span;
  if (!RecordUndo(image, static_cast<int32_t>(span.start), static_cast<int32_t>(span.end), undo)) {
    return MaskOutcome::OutOfMemory;
  }
  FillSine(image.data() + span.start, plan.period, sindB, span.end - span.start,
           layout.BitsPerSample);
  return MaskOutcome::Applied;
}

}  // namespace belmo
