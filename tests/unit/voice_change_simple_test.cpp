#include "effects/voice_change_simple.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// One period of an 8-bit wave: two zero crossings, between 128 and 106
// and between 106 and 128.
Bytes Wave8(int periods) {
  const Bytes period{128, 150, 170, 150, 128, 106, 86, 106};
  Bytes block;
  for (int p = 0; p < periods; ++p) block.insert(block.end(), period.begin(), period.end());
  return block;
}

// 16-bit samples that tell their own index: low byte x, high byte 0x10 + x,
// all positive, so there is no crossing.
Bytes Samples16(std::initializer_list<int> indexes) {
  Bytes block;
  for (int x : indexes) {
    block.push_back(static_cast<uint8_t>(x));
    block.push_back(static_cast<uint8_t>(0x10 + x));
  }
  return block;
}

struct ShiftCase {
  const char* name;
  Bytes block;
  double ratio;
  int16_t bits;
  double voiceSample;
  Bytes expected;
};

void PrintTo(const ShiftCase& c, std::ostream* os) { *os << c.name; }

class PitchShiftSimpleTest : public testing::TestWithParam<ShiftCase> {};

TEST_P(PitchShiftSimpleTest, RewritesBlockInPlace) {
  const ShiftCase& c = GetParam();
  Bytes block = c.block;
  block.push_back(0xEE);  // must survive: outside the block
  EXPECT_TRUE(PitchShiftSimple(block.data(), static_cast<int64_t>(c.block.size()), c.ratio,
                               test::EncodingOfBits(c.bits), c.voiceSample));
  EXPECT_EQ(block.back(), 0xEE);
  block.pop_back();
  EXPECT_EQ(block, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, PitchShiftSimpleTest,
    testing::Values(
        // Segments of four resampled samples, each written twice; the last,
        // shorter segment leaves the two bytes after its copies alone.
        ShiftCase{"Up2", Wave8(4), 2, 8, 2,
                  {128, 170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 86,
                   128, 170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 128, 170, 128, 86, 106}},
        // Every sample read twice, each segment cut to half its length.
        ShiftCase{"Down2", Wave8(4), 0.5, 8, 2,
                  {128, 128, 150, 150, 170, 170, 150, 150, 128, 128, 150, 150, 170, 170, 150, 150,
                   128, 128, 150, 150, 170, 170, 150, 150, 128, 128, 150, 150, 170, 170, 150,
                   106}},
        // A fractional ratio: whole copies, then part of one more; gaps the
        // truncations leave keep the old samples.
        ShiftCase{"Up1_5", Wave8(4), 1.5, 8, 2,
                  {128, 150, 150, 128, 86, 106, 128, 150, 150, 150, 170, 128, 106, 106, 150, 170,
                   128, 170, 150, 106, 86, 128, 170, 106, 128, 150, 150, 128, 128, 150, 86, 106}},
        // No whole count equals 99.5: one segment up to the limit, written
        // twice, without the last resampled sample.
        ShiftCase{"OneSegment", Wave8(4), 2, 8, 99.5,
                  {128, 170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 128,
                   170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 86, 106}},
        // A count the crossings can never equal exactly, not rounded down.
        ShiftCase{"HalfCountNeverCloses", Wave8(4), 2, 8, 2.5,
                  {128, 170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 128,
                   170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 86, 128, 170, 128, 86, 106}},
        ShiftCase{"Identity8", Wave8(3), 1, 8, 2, Wave8(3)},
        ShiftCase{"Identity16", Samples16({0, 1, 2, 3, 4}), 1, 16, 2, Samples16({0, 1, 2, 3, 4})},
        // Stereo is one sequence: samples 0, 1, 3, 4 are left, right, right,
        // left. Then half of the segment again, and the three samples past
        // the limit keep their values.
        ShiftCase{"Stereo16",
                  Samples16({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}), 1.5, 16, 99.5,
                  Samples16({0, 1, 3, 4, 6, 7, 9, 10, 12, 0, 1, 3, 4, 13, 14, 15})},
        ShiftCase{"UndecodedWidthUntouched", Wave8(2), 2, 12, 2, Wave8(2)},
        // Too short for one resampled sample.
        ShiftCase{"ShorterThanLimit", {100, 200, 50}, 4, 8, 2, {100, 200, 50}}));

TEST(PitchShiftSimple, SignClassOf16BitSamplesIsTheHighByte) {
  // Read at ratio 2: 0x00FF, 0xFF00, 0x8000, 0x7F00, 0x0100, 0x9000. By the
  // high byte the crossings end a segment after the third and the fifth;
  // judged by the low byte there would be a single crossing.
  Bytes block{0xFF, 0x00, 0x11, 0x11, 0x00, 0xFF, 0x11, 0x11, 0x00, 0x80, 0x11, 0x11,
              0x00, 0x7F, 0x11, 0x11, 0x00, 0x01, 0x11, 0x11, 0x00, 0x90, 0x11, 0x11};
  ASSERT_TRUE(PitchShiftSimple(block.data(), 24, 2, SampleEncoding::Signed16, 2));
  EXPECT_EQ(block, (Bytes{0xFF, 0x00, 0x00, 0xFF, 0x00, 0x80, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x80,
                          0x00, 0x7F, 0x00, 0x01, 0x00, 0x7F, 0x00, 0x01, 0x00, 0x90, 0x11, 0x11}));
}

// Whatever the settings hold, the shift ends and touches only its block.
TEST(PitchShiftSimple, HostileSettingsStayInsideBlock) {
  const double ratios[] = {kNaN, -1, 0, 1e-300, 5e-324, 0.001, 0.5, 0.3, 1, 1.5, 7.3,
                           1000.5, 1e300, kInf};
  const double voiceSamples[] = {0, -1, 1, 2, 99.5, 1e300, kNaN, kInf, -kInf};
  for (const int16_t bits : {8, 16}) {
    for (const int64_t length : {int64_t{0}, int64_t{1}, int64_t{9}, int64_t{64}}) {
      for (const double ratio : ratios) {
        for (const double voiceSample : voiceSamples) {
          SCOPED_TRACE(testing::Message() << bits << " bits, " << length << " bytes, ratio "
                                          << ratio << ", voiceSample " << voiceSample);
          Bytes memory(8, 0xEE);
          const Bytes wave = Wave8(8);
          memory.insert(memory.end(), wave.begin(), wave.begin() + length);
          memory.insert(memory.end(), 8, 0xEE);
          const bool done =
              PitchShiftSimple(memory.data() + 8, length, ratio, test::EncodingOfBits(bits),
                               voiceSample);
          EXPECT_EQ(Bytes(memory.begin(), memory.begin() + 8), Bytes(8, 0xEE));
          EXPECT_EQ(Bytes(memory.end() - 8, memory.end()), Bytes(8, 0xEE));
          // The half sample at the end of an odd 16-bit block is never
          // written either.
          if (bits == 16 && length % 2 != 0) {
            EXPECT_EQ(memory[8 + length - 1], wave[length - 1]);
          }
          // Only a buffer beyond any allocation is refused.
          EXPECT_EQ(done, !(ratio > 0 && ratio < 1e-200 && length >= bits / 8));
        }
      }
    }
  }
}

// --- the range entry ---

class ApplyVoiceChangeSimpleTest : public testing::Test {
 protected:
  // 8-bit mono at 8000 Hz: 1 ms is 8 bytes.
  ApplyVoiceChangeSimpleTest()
      : builder(test::WaveBuilder().Channels(1).SampleRate(8000).Bits(8).SampleBytes(48)),
        layout(test::Format(1, 8000, 8, static_cast<int64_t>(builder.DataTagOffset()))) {
    original = builder.Build();
    const Bytes wave = Wave8(6);
    std::copy(wave.begin(), wave.end(), original.begin() + 44);
    image = original;
  }

  test::WaveBuilder builder;
  WaveFormat layout;
  Bytes original;
  Bytes image;
  UndoRecord undo;
};

TEST_F(ApplyVoiceChangeSimpleTest, ShiftsTheSpanAsItsOwnBlockAndRecordsUndo) {
  ASSERT_EQ(ApplyVoiceChangeSimple(image, layout, 0.001, 0.004, 2, 2, undo),
            MaskOutcome::Applied);
  Bytes block = Wave8(3);
  ASSERT_TRUE(PitchShiftSimple(block.data(), 24, 2, SampleEncoding::Unsigned8, 2));
  Bytes expected = original;
  std::copy(block.begin(), block.end(), expected.begin() + 52);
  EXPECT_EQ(image, expected);
  EXPECT_EQ(undo.SpanStart, 52);
  EXPECT_EQ(undo.SpanEnd, 76);
  EXPECT_EQ(undo.SavedBytes, Bytes(original.begin() + 52, original.begin() + 76));
}

struct VoiceRefusal {
  const char* name;
  double start;
  double end;
  double ratio;
  MaskOutcome outcome;
};

void PrintTo(const VoiceRefusal& c, std::ostream* os) { *os << c.name; }

class ApplyVoiceChangeSimpleRefusalTest : public ApplyVoiceChangeSimpleTest,
                         public testing::WithParamInterface<VoiceRefusal> {};

TEST_P(ApplyVoiceChangeSimpleRefusalTest, LeavesImageAndUndoRecordAlone) {
  const VoiceRefusal& c = GetParam();
  ASSERT_TRUE(RecordUndo(image, 44, 48, undo));
  const UndoRecord before = undo;
  EXPECT_EQ(ApplyVoiceChangeSimple(image, layout, c.start, c.end, c.ratio, 2, undo), c.outcome);
  EXPECT_EQ(image, original);
  EXPECT_EQ(undo.SavedBytes, before.SavedBytes);
  EXPECT_EQ(undo.SpanStart, before.SpanStart);
  EXPECT_EQ(undo.SpanEnd, before.SpanEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ApplyVoiceChangeSimpleRefusalTest,
    testing::Values(VoiceRefusal{"ZeroRatio", 0, 0.004, 0, MaskOutcome::PitchRatioInvalid},
                    VoiceRefusal{"NegativeRatio", 0, 0.004, -2, MaskOutcome::PitchRatioInvalid},
                    VoiceRefusal{"NaNRatio", 0, 0.004, kNaN, MaskOutcome::PitchRatioInvalid},
                    // The ratio is judged before the range.
                    VoiceRefusal{"BadRatioAndRange", 1, 0, 0, MaskOutcome::PitchRatioInvalid},
                    VoiceRefusal{"Reversed", 0.004, 0.001, 2, MaskOutcome::RangeInvalid},
                    VoiceRefusal{"PastTheData", 0.01, 0.02, 2, MaskOutcome::RangeInvalid},
                    // The resampled buffer could never be allocated.
                    VoiceRefusal{"TinyRatio", 0, 0.004, 1e-300, MaskOutcome::OutOfMemory}));

}  // namespace
}  // namespace belmo
