#include "document/sample_codec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace belmo {
namespace {

// --- G.711 ---

constexpr int kMuLawBias = 0x84;
constexpr int kMuLawClip = 32635;

int16_t MuLawToLinear(uint8_t code) {
  const int u = ~code & 0xFF;
  const int exponent = (u >> 4) & 0x07;
  const int mantissa = u & 0x0F;
  const int magnitude = (((mantissa << 3) + kMuLawBias) << exponent) - kMuLawBias;
  return static_cast<int16_t>((u & 0x80) != 0 ? -magnitude : magnitude);
}

int16_t ALawToLinear(uint8_t code) {
  const int a = code ^ 0x55;
  int magnitude = (a & 0x0F) << 4;
  const int segment = (a & 0x70) >> 4;
  if (segment == 0) {
    magnitude += 8;
  } else {
    magnitude = (magnitude + 0x108) << (segment - 1);
  }
  return static_cast<int16_t>((a & 0x80) != 0 ? magnitude : -magnitude);
}

// Both decoders as tables: the masks decode every sample of a range.
template <int16_t (*Decode)(uint8_t)>
const std::array<int16_t, 256>& DecodeTable() {
  static const std::array<int16_t, 256> table = [] {
    std::array<int16_t, 256> t{};
    for (int code = 0; code < 256; ++code) t[code] = Decode(static_cast<uint8_t>(code));
    return t;
  }();
  return table;
}

// --- integers of each width ---

// The integer width a value is held at: G.711 at its 16-bit linear value.
int IntegerBits(SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::Unsigned8: return 8;
    case SampleEncoding::Signed16:
    case SampleEncoding::MuLaw:
    case SampleEncoding::ALaw: return 16;
    case SampleEncoding::Signed24: return 24;
    case SampleEncoding::Signed32: return 32;
    case SampleEncoding::Float32:
    case SampleEncoding::Other: break;
  }
  return 0;
}

int32_t ReadInteger(const uint8_t* s, SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::Unsigned8: return static_cast<int32_t>(s[0]) - 128;
    case SampleEncoding::Signed16: return static_cast<int16_t>(static_cast<uint16_t>(s[0] | (s[1] << 8)));
    case SampleEncoding::Signed24: {
      const uint32_t bits = static_cast<uint32_t>(s[0]) | static_cast<uint32_t>(s[1]) << 8 |
                            static_cast<uint32_t>(s[2]) << 16;
      return static_cast<int32_t>(bits << 8) / 256;  // sign-extended
    }
    case SampleEncoding::Signed32:
      return static_cast<int32_t>(static_cast<uint32_t>(s[0]) | static_cast<uint32_t>(s[1]) << 8 |
                                  static_cast<uint32_t>(s[2]) << 16 |
                                  static_cast<uint32_t>(s[3]) << 24);
    case SampleEncoding::MuLaw: return DecodeTable<MuLawToLinear>()[s[0]];
    case SampleEncoding::ALaw: return DecodeTable<ALawToLinear>()[s[0]];
    case SampleEncoding::Float32:
    case SampleEncoding::Other: break;
  }
  return 0;
}

// value must lie in the encoding's integer range.
void WriteInteger(int32_t value, SampleEncoding encoding, uint8_t* s) {
  const auto bits = static_cast<uint32_t>(value);
  switch (encoding) {
    case SampleEncoding::Unsigned8: s[0] = static_cast<uint8_t>(value + 128); return;
    case SampleEncoding::Signed32: s[3] = static_cast<uint8_t>(bits >> 24); [[fallthrough]];
    case SampleEncoding::Signed24: s[2] = static_cast<uint8_t>(bits >> 16); [[fallthrough]];
    case SampleEncoding::Signed16:
      s[1] = static_cast<uint8_t>(bits >> 8);
      s[0] = static_cast<uint8_t>(bits);
      return;
    case SampleEncoding::MuLaw: s[0] = EncodeMuLaw(value); return;
    case SampleEncoding::ALaw: s[0] = EncodeALaw(value); return;
    case SampleEncoding::Float32:
    case SampleEncoding::Other: return;
  }
}

float ReadFloat(const uint8_t* s) {
  const uint32_t bits = static_cast<uint32_t>(s[0]) | static_cast<uint32_t>(s[1]) << 8 |
                        static_cast<uint32_t>(s[2]) << 16 | static_cast<uint32_t>(s[3]) << 24;
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void WriteFloat(double value, uint8_t* s) {
  const auto narrow = static_cast<float>(value);
  uint32_t bits;
  std::memcpy(&bits, &narrow, sizeof bits);
  for (int i = 0; i < 4; ++i) s[i] = static_cast<uint8_t>(bits >> (8 * i));
}

// The largest and smallest integers of a width.
int64_t HighestOf(int bits) { return (int64_t{1} << (bits - 1)) - 1; }
int64_t LowestOf(int bits) { return -(int64_t{1} << (bits - 1)); }

// RoundHalfEven followed by the clip to +-limit, with the same results,
// but without its library calls: this runs for every sample of a range.
// What lies beyond the clip needs no rounding, and what lies within it is
// small enough for an exact conversion to an integer.
int64_t RoundAndClip(double value, int64_t limit) {
  const auto bound = static_cast<double>(limit);
  if (value >= bound) return limit;
  if (value <= -bound) return -limit;
  if (std::isnan(value)) return 0;
  // Sums of comparisons rather than branches: which way a sample rounds is
  // as good as random, and a mispredicted branch costs more than the sum.
  int64_t below = static_cast<int64_t>(value);  // toward zero
  below -= static_cast<double>(below) > value;
  const double fraction = value - static_cast<double>(below);
  return below + ((fraction > 0.5) | ((fraction == 0.5) & ((below & 1) != 0)));
}

// A level so high that infinity meets a zero sine gives NaN; that sample
// is written as the zero level.
double Clip(double value, double low, double high, double zeroLevel) {
  if (std::isnan(value)) return zeroLevel;
  return std::min(std::max(value, low), high);
}

// One sample from one encoding to another (neither Other).
void ConvertOne(const uint8_t* in, SampleEncoding from, SampleEncoding to, uint8_t* out) {
  const int fromBits = IntegerBits(from);
  const int toBits = IntegerBits(to);
  if (from == SampleEncoding::Float32) {
    const double scaled = std::floor(static_cast<double>(ReadFloat(in)) *
                                     static_cast<double>(int64_t{1} << (toBits - 1)));
    const double value = Clip(scaled, static_cast<double>(LowestOf(toBits)),
                              static_cast<double>(HighestOf(toBits)), 0);
    WriteInteger(static_cast<int32_t>(value), to, out);
    return;
  }
  const int64_t value = ReadInteger(in, from);
  if (to == SampleEncoding::Float32) {
    WriteFloat(static_cast<double>(value) / static_cast<double>(int64_t{1} << (fromBits - 1)), out);
    return;
  }
  // Down by whole bits drops the low ones (toward minus infinity).
  const int64_t moved =
      toBits >= fromBits ? value * (int64_t{1} << (toBits - fromBits)) : value >> (fromBits - toBits);
  WriteInteger(static_cast<int32_t>(moved), to, out);
}

}  // namespace

int16_t DecodeMuLaw(uint8_t code) { return DecodeTable<MuLawToLinear>()[code]; }
int16_t DecodeALaw(uint8_t code) { return DecodeTable<ALawToLinear>()[code]; }

uint8_t EncodeMuLaw(int32_t linear) {
  int sign = 0;
  int magnitude = linear;
  if (magnitude < 0) {
    sign = 0x80;
    magnitude = -magnitude;
  }
  magnitude = std::min(magnitude, kMuLawClip) + kMuLawBias;
  int exponent = 7;
  for (int mask = 0x4000; exponent > 0 && (magnitude & mask) == 0; mask >>= 1) --exponent;
  const int mantissa = (magnitude >> (exponent + 3)) & 0x0F;
  return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

uint8_t EncodeALaw(int32_t linear) {
  // 13 bits of magnitude; a negative value's magnitude is one less, so
  // that the two sides of zero mirror each other.
  int value = linear >> 3;
  int mask = 0xD5;
  if (value < 0) {
    mask = 0x55;
    value = -value - 1;
  }
  static const int kSegmentEnd[8] = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
  int segment = 0;
  while (segment < 8 && value > kSegmentEnd[segment]) ++segment;
  if (segment >= 8) return static_cast<uint8_t>(0x7F ^ mask);
  int code = segment << 4;
  code |= segment < 2 ? (value >> 1) & 0x0F : (value >> segment) & 0x0F;
  return static_cast<uint8_t>(code ^ mask);
}

int BytesPerSample(SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::Unsigned8:
    case SampleEncoding::MuLaw:
    case SampleEncoding::ALaw: return 1;
    case SampleEncoding::Signed16: return 2;
    case SampleEncoding::Signed24: return 3;
    case SampleEncoding::Signed32:
    case SampleEncoding::Float32: return 4;
    case SampleEncoding::Other: break;
  }
  return 0;
}

double FullScale(SampleEncoding encoding) {
  if (encoding == SampleEncoding::Float32) return 1.0;
  const int bits = IntegerBits(encoding);
  return bits > 0 ? static_cast<double>(HighestOf(bits)) : 0.0;
}

void FillSilence(uint8_t* dest, int64_t length, SampleEncoding encoding) {
  if (length <= 0) return;
  int value = 0;
  if (encoding == SampleEncoding::Unsigned8) value = 128;
  if (encoding == SampleEncoding::MuLaw) value = EncodeMuLaw(0);
  if (encoding == SampleEncoding::ALaw) value = EncodeALaw(0);
  std::memset(dest, value, static_cast<size_t>(length));
}

void DecodeRun(const uint8_t* first, int64_t stride, int count, SampleEncoding encoding,
               double* values) {
  // One loop per common encoding: this runs for every sample of a range.
  if (encoding == SampleEncoding::Signed16) {
    for (int j = 0; j < count; ++j) {
      const uint8_t* at = first + j * stride;
      values[j] = static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8)));
    }
  } else if (encoding == SampleEncoding::Unsigned8) {
    for (int j = 0; j < count; ++j) values[j] = static_cast<double>(first[j * stride]) - 128.0;
  } else if (encoding == SampleEncoding::Float32) {
    for (int j = 0; j < count; ++j) values[j] = ReadFloat(first + j * stride);
  } else if (encoding == SampleEncoding::Other) {
    std::fill(values, values + count, 0.0);
  } else {
    for (int j = 0; j < count; ++j) values[j] = ReadInteger(first + j * stride, encoding);
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
  } else if (encoding == SampleEncoding::Float32) {
    for (int j = 0; j < count; ++j) WriteFloat(Clip(values[j], -1.0, 1.0, 0.0), first + j * stride);
  } else if (encoding != SampleEncoding::Other) {
    const int64_t limit = HighestOf(IntegerBits(encoding));
    for (int j = 0; j < count; ++j) {
      WriteInteger(static_cast<int32_t>(RoundAndClip(values[j], limit)), encoding,
                   first + j * stride);
    }
  }
}

void EncodeToneSample(double amplitude, double sine, SampleEncoding encoding, uint8_t* dest) {
  switch (encoding) {
    case SampleEncoding::Unsigned8: {
      const double value = std::trunc(amplitude * (sine * 127) + 128);
      dest[0] = static_cast<uint8_t>(Clip(value, 0, 255, 128));
      return;
    }
    case SampleEncoding::Float32:
      WriteFloat(Clip(amplitude * sine, -1.0, 1.0, 0.0), dest);
      return;
    case SampleEncoding::Other: return;
    default: {
      const int bits = IntegerBits(encoding);
      const double value = std::floor(amplitude * (sine * static_cast<double>(HighestOf(bits))));
      WriteInteger(static_cast<int32_t>(Clip(value, static_cast<double>(LowestOf(bits)),
                                             static_cast<double>(HighestOf(bits)), 0)),
                   encoding, dest);
      return;
    }
  }
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
  for (int64_t i = 0; i < count; ++i) ConvertOne(in + i * inWidth, from, to, out + i * outWidth);
}

}  // namespace belmo
