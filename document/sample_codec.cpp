#include "document/sample_codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace belmo {
namespace {

int32_t ReadInteger(const uint8_t* sample, SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::Unsigned8: return static_cast<int32_t>(sample[0]) - 128;
    case SampleEncoding::Signed16:
      return static_cast<int16_t>(static_cast<uint16_t>(sample[0] | (sample[1] << 8)));
    case SampleEncoding::Other: break;
  }
  return 0;
}

void WriteInteger(int32_t value, SampleEncoding encoding, uint8_t* sample) {
  switch (encoding) {
    case SampleEncoding::Unsigned8: sample[0] = static_cast<uint8_t>(value + 128); return;
    case SampleEncoding::Signed16: {
      const auto bits = static_cast<uint16_t>(static_cast<int16_t>(value));
      sample[0] = static_cast<uint8_t>(bits & 0xFF);
      sample[1] = static_cast<uint8_t>(bits >> 8);
      return;
    }
    case SampleEncoding::Other: return;
  }
}

// RoundHalfEven followed by the clip to +-limit, with the same results,
// but without its library calls: this runs for every sample of a range.
// What lies beyond the clip needs no rounding, and what lies within it is
// small enough for an exact conversion to an integer.
int32_t RoundAndClip(double value, int32_t limit) {
  const auto bound = static_cast<double>(limit);
  if (value >= bound) return limit;
  if (value <= -bound) return -limit;
  if (std::isnan(value)) return 0;
  // Sums of comparisons rather than branches: which way a sample rounds is
  // as good as random, and a mispredicted branch costs more than the sum.
  int64_t below = static_cast<int64_t>(value);  // toward zero
  below -= static_cast<double>(below) > value;
  const double fraction = value - static_cast<double>(below);
  return static_cast<int32_t>(below + ((fraction > 0.5) | ((fraction == 0.5) & ((below & 1) != 0))));
}

// A level so high that infinity meets a zero sine gives NaN; that sample
// is written as the zero level.
double Clip(double value, double low, double high, double zeroLevel) {
  if (std::isnan(value)) return zeroLevel;
  return std::min(std::max(value, low), high);
}

}  // namespace

int BytesPerSample(SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::Unsigned8: return 1;
    case SampleEncoding::Signed16: return 2;
    case SampleEncoding::Other: break;
  }
  return 0;
}

double FullScale(SampleEncoding encoding) {
  return encoding == SampleEncoding::Unsigned8 ? 127.0 : 32767.0;
}

void FillSilence(uint8_t* dest, int64_t length, SampleEncoding encoding) {
  if (length <= 0) return;
  const int value = encoding == SampleEncoding::Unsigned8 ? 128 : 0;
  std::memset(dest, value, static_cast<size_t>(length));
}

void DecodeRun(const uint8_t* first, int64_t stride, int count, SampleEncoding encoding,
               double* values) {
  // One loop per encoding: this runs for every sample of a range.
  if (encoding == SampleEncoding::Signed16) {
    for (int j = 0; j < count; ++j) {
      const uint8_t* at = first + j * stride;
      values[j] = static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8)));
    }
  } else if (encoding == SampleEncoding::Unsigned8) {
    for (int j = 0; j < count; ++j) values[j] = static_cast<double>(first[j * stride]) - 128.0;
  } else {
    std::fill(values, values + count, 0.0);
  }
}

void EncodeRunRounded(const double* values, int count, SampleEncoding encoding, uint8_t* first,
                      int64_t stride) {
  if (encoding == SampleEncoding::Signed16) {
    for (int j = 0; j < count; ++j) {
      const auto bits = static_cast<uint16_t>(static_cast<int16_t>(RoundAndClip(values[j], 32767)));
      uint8_t* at = first + j * stride;
      at[0] = static_cast<uint8_t>(bits & 0xFF);
      at[1] = static_cast<uint8_t>(bits >> 8);
    }
  } else if (encoding == SampleEncoding::Unsigned8) {
    for (int j = 0; j < count; ++j) {
      first[j * stride] = static_cast<uint8_t>(RoundAndClip(values[j], 127) + 128);
    }
  }
}

void EncodeToneSample(double amplitude, double sine, SampleEncoding encoding, uint8_t* dest) {
  if (encoding == SampleEncoding::Unsigned8) {
    const double value = std::trunc(amplitude * (sine * 127) + 128);
    dest[0] = static_cast<uint8_t>(Clip(value, 0, 255, 128));
    return;
  }
  const double value = std::floor(amplitude * (sine * 32767));
  WriteInteger(static_cast<int32_t>(Clip(value, -32768, 32767, 0)), SampleEncoding::Signed16,
               dest);
}

void ConvertSamples(const uint8_t* in, SampleEncoding from, int64_t count, SampleEncoding to,
                    uint8_t* out) {
  const int inWidth = BytesPerSample(from);
  const int outWidth = BytesPerSample(to);
  if (inWidth == 0 || outWidth == 0 || count <= 0) return;
  if (from == to) {
    std::memcpy(out, in, static_cast<size_t>(count * inWidth));
    return;
  }
  // Between integer widths the value moves by whole bits: up exactly, down
  // by dropping the low bits (toward minus infinity).
  const int shift = 8 * (outWidth - inWidth);
  for (int64_t i = 0; i < count; ++i) {
    const int32_t value = ReadInteger(in + i * inWidth, from);
    const int32_t moved = shift >= 0 ? value * (1 << shift) : value >> -shift;
    WriteInteger(moved, to, out + i * outWidth);
  }
}

}  // namespace belmo
