#include "effects/mask_range.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "numtext/number_text.h"

namespace belmo {

int64_t SecondsToByteOffset(double seconds, const PcmLayout& layout) {
  // Each step is its own double operation, in this order, so that offsets
  // come out the same on every build; an integer bits / 8 would lose the
  // half byte of odd widths.
  const double frames = std::trunc(static_cast<double>(layout.SampleRate) * seconds);
  const double bytesPerSample = static_cast<double>(layout.BitsPerSample) / 8.0;
  const double dataStart = static_cast<double>(layout.DataTagOffset) + 8.0;
  const double frameBytes = frames * bytesPerSample;
  return RoundHalfEven(dataStart + frameBytes * static_cast<double>(layout.Channels));
}

ByteSpan RangeToByteSpan(double startSeconds, double endSeconds, const PcmLayout& layout) {
  return ByteSpan{SecondsToByteOffset(startSeconds, layout),
                  SecondsToByteOffset(endSeconds, layout)};
}

bool FitSpanToImage(ByteSpan& span, const PcmLayout& layout, size_t imageSize) {
  const int64_t frame = layout.FrameBytes();
  if (frame <= 0) return false;
  const int64_t dataStart = static_cast<int64_t>(layout.DataTagOffset) + 8;
  if (span.start < dataStart) return false;
  // A file cut short (or one whose data length field overstates it) must not
  // let a mask write past the image or leave half a frame rewritten.
  int64_t dataEnd = dataStart;
  if (imageSize > static_cast<uint64_t>(dataStart)) {
    const uint64_t available = imageSize - static_cast<uint64_t>(dataStart);
    dataEnd += static_cast<int64_t>(available / static_cast<uint64_t>(frame)) * frame;
  }
  const int64_t end = span.end < dataEnd ? span.end : dataEnd;
  if (span.start >= end) return false;
  span.end = end;
  return true;
}

bool MaskSpanOf(double startSeconds, double endSeconds, const PcmLayout& layout,
                size_t imageSize, ByteSpan* span) {
  *span = RangeToByteSpan(startSeconds, endSeconds, layout);
  const size_t reachable =
      std::min<size_t>(imageSize, static_cast<size_t>(std::numeric_limits<int32_t>::max()));
  return FitSpanToImage(*span, layout, reachable);
}

}  // namespace belmo
