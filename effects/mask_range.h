// How every mask turns the range in seconds into byte offsets of the image:
// whole frames from the start of the sample data (8 bytes after "data"),
// each end truncated on its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/wave_format.h"

namespace belmo {

struct ByteSpan {
  int64_t start = 0;  // offset in the image of the first byte
  int64_t end = 0;    // offset just past the last byte

  int64_t Length() const { return end - start; }
};

// frames = trunc(rate x seconds); offset = round-half-even(DataTagOffset + 8
// + frames x (bits / 8) x channels), in double precision.
int64_t SecondsToByteOffset(double seconds, const WaveFormat& format);

ByteSpan RangeToByteSpan(double startSeconds, double endSeconds, const WaveFormat& format);

// Keeps the span inside the sample bytes the data really holds: the end is
// cut back to the last whole frame before the format's DataEnd. False when
// no byte of the span is left (or the span is reversed), and then no mask
// may run.
bool FitSpanToData(ByteSpan& span, const WaveFormat& format);

// The span a mask may change: the range's span fitted to the data, within
// the first 2^31 - 1 bytes (the undo record holds 32-bit offsets; an image
// never grows beyond them). False when nothing of it is left.
bool MaskSpanOf(double startSeconds, double endSeconds, const WaveFormat& format, ByteSpan* span);

}  // namespace belmo
