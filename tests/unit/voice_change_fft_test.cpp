#include "effects/voice_change_fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr double kPi = 3.141592653589793;

TwiddleTables TablesFor(int n) {
  TwiddleTables tables;
  tables.Prepare(n);
  return tables;
}

// Deterministic values in [-scale, scale).
std::vector<double> Noise(size_t count, uint32_t seed, double scale) {
  std::vector<double> values(count);
  for (double& v : values) {
    seed = seed * 1664525u + 1013904223u;
    v = (static_cast<double>(seed >> 8) / 8388608.0 - 1.0) * scale;
  }
  return values;
}

Bytes NoiseBytes(size_t count, uint32_t seed) {
  Bytes bytes(count);
  for (uint8_t& b : bytes) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(seed >> 24);
  }
  return bytes;
}

class FftDirectSumTest : public testing::TestWithParam<int> {};

TEST_P(FftDirectSumTest, ForwardIsPlusSignInverseIsMinusSign) {
  const int n = GetParam();
  const TwiddleTables tables = TablesFor(n);
  const std::vector<double> re0 = Noise(n, 1, 100), im0 = Noise(n, 2, 100);
  for (const double sign : {1.0, -1.0}) {
    std::vector<double> re = re0, im = im0;
    if (sign > 0)
      Fft(n, re.data(), im.data(), tables.ForwardCos.data(), tables.ForwardSin.data());
    else
      Fft(n, re.data(), im.data(), tables.InverseCos.data(), tables.InverseSin.data());
    for (int k = 0; k < n; ++k) {
      std::complex<double> z = 0;
      for (int j = 0; j < n; ++j) {
        z += std::complex<double>(re0[j], im0[j]) * std::polar(1.0, sign * 2 * kPi * j * k / n);
      }
      EXPECT_NEAR(re[k], z.real(), 1e-9) << "sign " << sign << " bin " << k;
      EXPECT_NEAR(im[k], z.imag(), 1e-9) << "sign " << sign << " bin " << k;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FftDirectSumTest, testing::Values(2, 4, 8, 16));

class FftRoundTripTest : public testing::TestWithParam<int> {};

TEST_P(FftRoundTripTest, InverseOfForwardOverNGivesInputBack) {
  const int n = GetParam();
  const TwiddleTables tables = TablesFor(n);
  const std::vector<double> re0 = Noise(n, 3, 32768), im0 = Noise(n, 4, 32768);
  std::vector<double> re = re0, im = im0;
  Fft(n, re.data(), im.data(), tables.ForwardCos.data(), tables.ForwardSin.data());
  Fft(n, re.data(), im.data(), tables.InverseCos.data(), tables.InverseSin.data());
  for (int j = 0; j < n; ++j) {
    ASSERT_NEAR(re[j] / n, re0[j], 1e-9) << j;
    ASSERT_NEAR(im[j] / n, im0[j], 1e-9) << j;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FftRoundTripTest, testing::Values(512, 1024, 2048, 4096, 8192));

// Where index j of each half of a frame sits, written out per format.
struct Format {
  const char* name;
  int16_t channels;
  int16_t bits;
  int bytesPerSample;
  int stride;      // bytes between index j and j + 1
  int secondPerN;  // the second half starts at secondPerN x N + secondExtra
  int secondExtra;
};

void PrintTo(const Format& f, std::ostream* os) { *os << f.name; }

const Format kFormats[] = {
    {"EightMono", 1, 8, 1, 1, 1, 0},
    {"EightStereo", 2, 8, 1, 2, 0, 1},
    {"SixteenMono", 1, 16, 2, 2, 2, 0},
    {"SixteenStereo", 2, 16, 2, 4, 0, 2},
};

void Put16(Bytes& block, size_t at, double value) {
  const auto bits = static_cast<uint16_t>(static_cast<int16_t>(std::lround(value)));
  block[at] = static_cast<uint8_t>(bits & 0xFF);
  block[at + 1] = static_cast<uint8_t>(bits >> 8);
}

int SampleAt(const Bytes& block, size_t at, int bytesPerSample) {
  if (bytesPerSample == 1) return block[at] - 128;
  return static_cast<int16_t>(block[at] | (block[at + 1] << 8));
}

class PitchShiftFftLayoutTest : public testing::TestWithParam<Format> {};

// Every processed frame is one real signal turned by half a bin: the real
// part vanishes at N/2 and the imaginary part at 0. Reading or writing the
// halves from the wrong bytes puts noise at one of those places.
TEST_P(PitchShiftFftLayoutTest, FramesFollowTheLayoutAndTheTailIsKept) {
  const Format& f = GetParam();
  constexpr int n = 512;
  const TwiddleTables tables = TablesFor(n);
  const size_t frame = 2 * n * f.bytesPerSample;
  const Bytes original = NoiseBytes(2 * frame + frame - 1, 7);
  Bytes block = original;
  ASSERT_TRUE(PitchShiftFft(block.data(), static_cast<int64_t>(block.size()), f.channels,
                            test::EncodingOfBits(f.bits),
                            1.5, n, tables));
  for (size_t start : {size_t{0}, frame}) {
    SCOPED_TRACE(start);
    const size_t second = start + f.secondPerN * n + f.secondExtra;
    EXPECT_EQ(SampleAt(block, start + (n / 2) * f.stride, f.bytesPerSample), 0);
    EXPECT_EQ(SampleAt(block, second, f.bytesPerSample), 0);
    EXPECT_NE(SampleAt(original, second, f.bytesPerSample), 0);
    // Not silence: the zeros above come from the layout, not from nothing.
    int loud = 0;
    for (int j = 0; j < n; ++j) {
      loud += SampleAt(block, start + j * f.stride, f.bytesPerSample) != 0;
      loud += SampleAt(block, second + j * f.stride, f.bytesPerSample) != 0;
    }
    EXPECT_GT(loud, n);
  }
  EXPECT_EQ(Bytes(block.begin() + 2 * frame, block.end()),
            Bytes(original.begin() + 2 * frame, original.end()));

  // Less than one frame: nothing to do.
  Bytes shortBlock(original.begin(), original.begin() + frame - 1);
  ASSERT_TRUE(PitchShiftFft(shortBlock.data(), static_cast<int64_t>(shortBlock.size()), f.channels,
                            test::EncodingOfBits(f.bits), 1.5, n, tables));
  EXPECT_EQ(shortBlock, Bytes(original.begin(), original.begin() + frame - 1));
}

INSTANTIATE_TEST_SUITE_P(Formats, PitchShiftFftLayoutTest, testing::ValuesIn(kFormats));

TEST(PitchShiftFft, ChannelCountsOtherThanTwoAreMono) {
  constexpr int n = 64;
  const TwiddleTables tables = TablesFor(n);
  const Bytes original = NoiseBytes(2 * n, 11);
  Bytes expected = original, odd = original;
  PitchShiftFft(expected.data(), 2 * n, 1, SampleEncoding::Unsigned8, 1.5, n, tables);
  PitchShiftFft(odd.data(), 2 * n, 3, SampleEncoding::Unsigned8, 1.5, n, tables);
  EXPECT_EQ(odd, expected);
}

TEST(PitchShiftFft, RatioOneIsNotIdentity) {
  constexpr int n = 512;
  const TwiddleTables tables = TablesFor(n);
  Bytes block(4 * n);
  for (int j = 0; j < 2 * n; ++j) Put16(block, 2 * j, 8000 * std::sin(2 * kPi * 10 * j / n));
  const Bytes original = block;
  PitchShiftFft(block.data(), static_cast<int64_t>(block.size()), 1, SampleEncoding::Signed16, 1.0, n, tables);
  EXPECT_NE(block, original);
}

// Outputs exactly half-way between two integers round to the even one: a
// lone 1 becomes halves that round to 0, a lone 2 gives back a 1.
TEST(PitchShiftFft, HalfWayOutputsRoundToEven) {
  constexpr int n = 4;
  const TwiddleTables tables = TablesFor(n);
  for (int value : {1, 2}) {
    SCOPED_TRACE(value);
    Bytes block(4 * n);
    Put16(block, 0, value);
    PitchShiftFft(block.data(), static_cast<int64_t>(block.size()), 1, SampleEncoding::Signed16, 1.0, n, tables);
    Bytes expected(4 * n);
    if (value == 2) Put16(expected, 0, 1);
    EXPECT_EQ(block, expected);
  }
}

TEST(PitchShiftFft, RefusesTablesPreparedForAnotherSize) {
  const TwiddleTables tables = TablesFor(512);
  Bytes block = NoiseBytes(4096, 5);
  const Bytes original = block;
  EXPECT_FALSE(PitchShiftFft(block.data(), 4096, 1, SampleEncoding::Signed16, 1.5, 1024, tables));
  EXPECT_FALSE(PitchShiftFft(block.data(), 4096, 1, SampleEncoding::Signed16, 1.5, 0, TwiddleTables{}));
  EXPECT_EQ(block, original);
}

// A cosine at bin 4 copied into the eight bins 32..39 (ratio 8) adds up to
// eight times its amplitude near the frame start, far beyond full scale.
TEST(PitchShiftFft, ClipsSymmetricallyToFullScale) {
  constexpr int n = 512;
  const TwiddleTables tables = TablesFor(n);
  for (const int16_t bits : {int16_t{8}, int16_t{16}}) {
    SCOPED_TRACE(bits);
    const int width = bits / 8;
    const int maxAmp = bits == 8 ? 127 : 32767;
    Bytes block(2 * n * width, bits == 8 ? 128 : 0);
    for (int j = 0; j < n; ++j) {
      const double s = 0.9 * maxAmp * std::cos(2 * kPi * 4 * j / n);
      if (bits == 8)
        block[j] = static_cast<uint8_t>(std::lround(s) + 128);
      else
        Put16(block, 2 * j, s);
    }
    PitchShiftFft(block.data(), static_cast<int64_t>(block.size()), 1, test::EncodingOfBits(bits),
                  8.0, n, tables);
    int low = 0, high = 0;
    for (size_t at = 0; at < block.size(); at += width) {
      const int v = SampleAt(block, at, width);
      low = std::min(low, v);
      high = std::max(high, v);
    }
    EXPECT_EQ(low, -maxAmp);
    EXPECT_EQ(high, maxAmp);
  }
}

TEST(PitchShiftFft, StereoToneMovesUpByTheRatio) {
  constexpr int n = 512, m = 40;
  const TwiddleTables tables = TablesFor(n);
  Bytes block(4 * n);
  for (int j = 0; j < n; ++j) {
    Put16(block, 4 * j, 8000 * std::sin(2 * kPi * m * j / n));
    Put16(block, 4 * j + 2, 8000 * std::sin(2 * kPi * m * j / n));
  }
  PitchShiftFft(block.data(), static_cast<int64_t>(block.size()), 2, SampleEncoding::Signed16, 1.5, n, tables);
  for (int c = 0; c < 2; ++c) {
    int peak = 0;
    double peakPower = 0;
    for (int k = 1; k < n / 2; ++k) {
      std::complex<double> z = 0;
      for (int j = 0; j < n; ++j) {
        z += static_cast<double>(SampleAt(block, 4 * j + 2 * c, 2)) *
             std::polar(1.0, -2 * kPi * j * k / n);
      }
      if (std::norm(z) > peakPower) peakPower = std::norm(z), peak = k;
    }
    EXPECT_NEAR(peak, m * 1.5, 2) << "channel " << c;
  }
}

uint64_t Fnv1a(const Bytes& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  return hash;
}

// Pinned outputs: any change to the order of the double operations moves
// some rounding and shows up here.
TEST(PitchShiftFft, GoldenOutputs) {
  const TwiddleTables tables8 = TablesFor(8);
  Bytes eight = {128, 200, 60, 90, 255, 0, 140, 128, 10, 250, 128, 128, 70, 190, 30, 220};
  PitchShiftFft(eight.data(), 16, 1, SampleEncoding::Unsigned8, 1.5, 8, tables8);
  EXPECT_EQ(eight,
            (Bytes{142, 121, 145, 110, 128, 133, 142, 103, 128, 125, 145, 85, 173, 116, 114, 139}));

  const TwiddleTables tables = TablesFor(512);
  Bytes stereo = NoiseBytes(2048, 21);
  PitchShiftFft(stereo.data(), 2048, 2, SampleEncoding::Signed16, 0.7, 512, tables);
  EXPECT_EQ(Fnv1a(stereo), 262250256467826291ull);

  Bytes mono = NoiseBytes(1024, 22);
  PitchShiftFft(mono.data(), 1024, 1, SampleEncoding::Unsigned8, 2.5, 512, tables);
  EXPECT_EQ(Fnv1a(mono), 8146605245170849061ull);
}

WaveFormat StereoLayout(const test::WaveBuilder& builder) {
  return test::Format(2, 8000, 16, static_cast<int64_t>(builder.DataTagOffset()));
}

TEST(ApplyVoiceChangeFft, ShiftsTheWholeSpanAndKeepsItsOldBytes) {
  // 2 frames of N = 512 and a tail; the range starts 80 sample frames in.
  const auto builder = test::WaveBuilder().Channels(2).SampleRate(8000).Bits(16).SampleBytes(4740);
  const Bytes original = builder.Build();
  Bytes image = original;
  TwiddleTables tables;
  UndoRecord undo;
  ASSERT_EQ(ApplyVoiceChangeFft(image, StereoLayout(builder), 0.01, 10.0, 1.5, 0, tables, undo),
            MaskOutcome::Applied);
  const size_t start = 44 + 320, end = 44 + 4740;
  EXPECT_EQ(undo.SpanStart, static_cast<int32_t>(start));
  EXPECT_EQ(undo.SpanEnd, static_cast<int32_t>(end));
  EXPECT_EQ(undo.SavedBytes, Bytes(original.begin() + start, original.begin() + end));

  // Whole frames from the span's start; the 324 bytes after them come from
  // the frame of the recording that ends where the span ends.
  const size_t frame = 2048, tail = end - start - 2 * frame;
  Bytes expected = original;
  const TwiddleTables shared = TablesFor(512);
  PitchShiftFft(expected.data() + start, 2 * frame, 2, SampleEncoding::Signed16, 1.5, 512, shared);
  Bytes last(original.begin() + end - frame, original.begin() + end);
  PitchShiftFft(last.data(), frame, 2, SampleEncoding::Signed16, 1.5, 512, shared);
  std::copy(last.end() - tail, last.end(), expected.begin() + end - tail);
  EXPECT_EQ(image, expected);
}

// A range that is not a whole number of frames is changed to its last
// sample: the end of a name masked over 0.45 s, or all of one masked over
// 0.8 s at 8 kHz, where a frame of N = 4096 lasts a second. On noise no
// sample of the last frame keeps its value.
TEST(ApplyVoiceChangeFft, ChangesTheRangeToItsLastSample) {
  struct Case {
    int channels, rate, bits;
    unsigned index;
    double start, end;
  };
  const Case cases[] = {
      {1, 8000, 16, 3, 0.1, 0.9},      // shorter than one frame
      {1, 8000, 8, 4, 0, 0.8},         // the data itself shorter than one frame
      {2, 44100, 16, 3, 0.5, 0.95},    // one whole frame and a tail
      {2, 22050, 8, 0, 0.013, 0.999},  // many frames of N = 512
      {1, 11025, 16, 2, 1.2, 1.25},    // a tail only, well inside the data
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << "-bit " << c.channels << " ch " << c.rate
                                    << " Hz, N index " << c.index << ", " << c.start << "-"
                                    << c.end << " s");
    const int frameBytes = c.channels * c.bits / 8;
    const auto builder = test::WaveBuilder()
                             .Channels(static_cast<uint16_t>(c.channels))
                             .SampleRate(static_cast<uint32_t>(c.rate))
                             .Bits(static_cast<uint16_t>(c.bits))
                             .SampleBytes(static_cast<size_t>(c.rate * 1.3) * frameBytes)
                             .After("LIST", "INFOtitle");
    Bytes original = builder.Build();
    const WaveFormat format = test::FormatOf(original);
    const Bytes noise = NoiseBytes(static_cast<size_t>(format.DataEnd - format.DataStart()), 5);
    std::copy(noise.begin(), noise.end(), original.begin() + format.DataStart());
    Bytes image = original;
    TwiddleTables tables;
    UndoRecord undo;
    ASSERT_EQ(ApplyVoiceChangeFft(image, format, c.start, c.end, 1.5, c.index, tables, undo),
              MaskOutcome::Applied);
    const auto end = static_cast<size_t>(undo.SpanEnd);
    for (size_t at = end - frameBytes; at < end; at += c.bits / 8) {
      EXPECT_NE(Bytes(image.begin() + at, image.begin() + at + c.bits / 8),
                Bytes(original.begin() + at, original.begin() + at + c.bits / 8))
          << "sample at " << at;
    }
    EXPECT_TRUE(std::equal(original.begin() + end, original.end(), image.begin() + end));
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + undo.SpanStart, image.begin()));
  }
}

struct RefusalCase {
  const char* name;
  double start, end, ratio;
  unsigned index;
  MaskOutcome outcome;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class ApplyVoiceChangeFftRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(ApplyVoiceChangeFftRefusalTest, LeavesImageAndUndoRecordAlone) {
  const RefusalCase& c = GetParam();
  const auto builder = test::WaveBuilder().Channels(2).SampleRate(8000).Bits(16).SampleBytes(4096);
  const Bytes original = builder.Build();
  Bytes image = original;
  TwiddleTables tables;
  UndoRecord undo;
  RecordUndo(image, 44, 48, undo);
  const UndoRecord before = undo;
  EXPECT_EQ(ApplyVoiceChangeFft(image, StereoLayout(builder), c.start, c.end, c.ratio, c.index,
                                tables, undo),
            c.outcome);
  EXPECT_EQ(image, original);
  EXPECT_EQ(undo.SavedBytes, before.SavedBytes);
  EXPECT_EQ(undo.SpanStart, before.SpanStart);
  EXPECT_EQ(undo.SpanEnd, before.SpanEnd);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplyVoiceChangeFftRefusalTest,
    testing::Values(RefusalCase{"ZeroRatio", 0, 1, 0, 0, MaskOutcome::PitchRatioInvalid},
                    RefusalCase{"NegativeRatio", 0, 1, -2, 0, MaskOutcome::PitchRatioInvalid},
                    RefusalCase{"NaNRatio", 0, 1, kNaN, 0, MaskOutcome::PitchRatioInvalid},
                    RefusalCase{"IndexFive", 0, 1, 1.5, 5, MaskOutcome::FftSizeInvalid},
                    // Checked before the range, which is bad here too.
                    RefusalCase{"RatioFirst", 1, 0, 0, 9, MaskOutcome::PitchRatioInvalid},
                    RefusalCase{"Reversed", 0.1, 0.05, 1.5, 0, MaskOutcome::RangeInvalid},
                    RefusalCase{"PastData", 1, 2, 1.5, 0, MaskOutcome::RangeInvalid}));

}  // namespace
}  // namespace belmo
