// How every mask turns the range in seconds into byte offsets of the image:
// whole frames from the start of the sample data (8 bytes after "data"),
// each end truncated on its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace belmo {

struct ByteSpan {
  int64_t start = 0;  // offset in the image of the first byte
  int64_t end = 0;    // offset just past the last byte
};

struct PcmLayout {
  int32_t DataTagOffset = 0;
  int16_t Channels = 0;
  int32_t SampleRate = 0;
  int16_t BitsPerSample = 0;

  int32_t FrameBytes() const { return Channels * (BitsPerSample / 8); }
};

// frames = trunc(rate x seconds); offset = round-half-even(DataTagOffset + 8
// + frames x (bits / 8) x channels), in double precision.
int64_t SecondsToByteOffset(double seconds, const PcmLayout& layout);

ByteSpan RangeToByteSpan(double startSeconds, double endSeconds, const PcmLayout& layout);

// Keeps the span inside the sample bytes the image really holds: the end is
// cut back to the last whole frame within imageSize. False when no byte of
// the span is left (or the span is reversed), and then no mask may run.
bool FitSpanToImage(ByteSpan& span, const PcmLayout& layout, size_t imageSize);

// The span a mask may change: the range's span fitted to the image, within
// the first 2^31 - 1 bytes (the undo record holds 32-bit offsets; an image
// never grows beyond them). False when nothing of it is left.
bool MaskSpanOf(double startSeconds, double endSeconds, const PcmLayout& layout,
                size_t imageSize, ByteSpan* span);

}  // namespace belmo
