#include "effects/mask_range.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "numtext/number_text.h"

namespace belmo {

int64_t SecondsToByteOffset(double seconds, const WaveFormat& format) {
  // Each step is its own double operation, in this order, so that offsets
  // come out the same on every build; an integer bits / 8 would lose the
  // half byte of odd widths.
  const double frames = std::trunc(static_cast<double>(format.SampleRate) * seconds);
  const double bytesPerSample = static_cast<double>(format.BitsPerSample) / 8.0;
  const double dataStart = static_cast<double>(format.DataTagOffset) + 8.0;
  const double frameBytes = frames * bytesPerSample;
  return RoundHalfEven(dataStart + frameBytes * static_cast<double>(format.Channels));
}

ByteSpan RangeToByteSpan(double startSeconds, double endSeconds, const WaveFormat& format) {
  return ByteSpan{SecondsToByteOffset(startSeconds, format),
                  SecondsToByteOffset(endSeconds, format)};
}

bool FitSpanToData(ByteSpan& span, const WaveFormat& format) {
  if (format.FrameBytes() <= 0) return false;
  if (span.start < format.DataStart()) return false;
  // A file cut short (or one whose data length field overstates it) must not
  // let a mask write past the data or leave half a frame rewritten.
  const int64_t end = std::min(span.end, format.WholeFramesEnd());
  if (span.start >= end) return false;
  span.end = end;
  return true;
}

bool MaskSpanOf(double startSeconds, double endSeconds, const WaveFormat& format, ByteSpan* span) {
  *span = RangeToByteSpan(startSeconds, endSeconds, format);
  WaveFormat reachable = format;
  reachable.DataEnd = std::min<int64_t>(format.DataEnd, std::numeric_limits<int32_t>::max());
  return FitSpanToData(*span, reachable);
}

}  // namespace belmo
