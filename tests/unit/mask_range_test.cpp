#include "effects/mask_range.h"

#include <gtest/gtest.h>

#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

struct OffsetCase {
  const char* name;
  WaveFormat layout;
  double seconds;
  int64_t offset;
};

void PrintTo(const OffsetCase& c, std::ostream* os) { *os << c.name; }

class OffsetTest : public testing::TestWithParam<OffsetCase> {};

TEST_P(OffsetTest, TruncatesFramesThenRoundsBytes) {
  const OffsetCase& c = GetParam();
  EXPECT_EQ(SecondsToByteOffset(c.seconds, c.layout), c.offset);
}

const WaveFormat kMono16 = test::Format(1, 44100, 16);
const WaveFormat kStereo16 = test::Format(2, 44100, 16);

// The same formats with their data ending where an image of size bytes ends.
WaveFormat EndingAt(WaveFormat format, size_t size) {
  format.DataEnd = static_cast<int64_t>(size);
  return format;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, OffsetTest,
    testing::Values(
        OffsetCase{"Zero", kStereo16, 0.0, 44},
        OffsetCase{"OneMsIs44Frames", kStereo16, 1 / 1000.0, 44 + 44 * 4},
        OffsetCase{"NineMsTruncates396_9", kMono16, 9 / 1000.0, 44 + 396 * 2},
        OffsetCase{"TenMsIsExactly441", kMono16, 10 / 1000.0, 44 + 441 * 2},
        OffsetCase{"LaterDataTag", test::Format(1, 8000, 8, 100), 0.5, 108 + 4000},
        // Beyond 32 bits: the largest millisecond count at 44.1 kHz stereo.
        OffsetCase{"LongestRange", kStereo16, 4294967295 / 1000.0, 44 + 4 * 189408057709LL},
        // Half bytes of an odd width: bits / 8 is a double division, and the
        // sum is rounded half to even.
        OffsetCase{"TwelveBitOneFrameRoundsUp", test::Format(1, 1000, 12, 36), 0.001, 46},
        OffsetCase{"TwelveBitThreeFramesRoundsDown", test::Format(1, 1000, 12, 36), 0.003, 48},
        OffsetCase{"FourBitOneFrameRoundsDown", test::Format(1, 1000, 4, 36), 0.001, 44}));

TEST(RangeToByteSpan, TruncatesBothEndsSeparately) {
  const ByteSpan span = RangeToByteSpan(9 / 1000.0, 10 / 1000.0, kMono16);
  EXPECT_EQ(span.start, 44 + 396 * 2);
  EXPECT_EQ((span.end - span.start) / 2, 45);
}

struct FitCase {
  const char* name;
  WaveFormat layout;
  ByteSpan span;
  size_t imageSize;
  bool fits;
  int64_t end;  // checked when fits
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class FitTest : public testing::TestWithParam<FitCase> {};

TEST_P(FitTest, KeepsSpanInsideWholeFramesOfImage) {
  const FitCase& c = GetParam();
  ByteSpan span = c.span;
  ASSERT_EQ(FitSpanToData(span, EndingAt(c.layout, c.imageSize)), c.fits);
  if (c.fits) {
    EXPECT_EQ(span.start, c.span.start);
    EXPECT_EQ(span.end, c.end);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Spans, FitTest,
    testing::Values(FitCase{"Inside", kStereo16, {44, 60}, 100, true, 60},
                    FitCase{"EndsAtImageEnd", kStereo16, {44, 100}, 100, true, 100},
                    FitCase{"CutToTruncatedImage", kStereo16, {48, 400}, 44 + 10, true, 52},
                    FitCase{"CutDropsHalfSample", kMono16, {44, 400}, 44 + 7, true, 50},
                    FitCase{"StartsBeyondImage", kStereo16, {60, 80}, 44 + 10, false, 0},
                    FitCase{"StartsInCutFrame", kStereo16, {52, 80}, 44 + 10, false, 0},
                    FitCase{"StartsInHeader", kStereo16, {40, 80}, 100, false, 0},
                    FitCase{"Empty", kStereo16, {48, 48}, 100, false, 0},
                    FitCase{"Reversed", kStereo16, {60, 48}, 100, false, 0},
                    FitCase{"ImageShorterThanHeader", kStereo16, {44, 48}, 40, false, 0},
                    FitCase{"NoFrameSize", test::Format(0, 44100, 16, 36), {44, 48}, 100, false, 0}));

}  // namespace
}  // namespace belmo
