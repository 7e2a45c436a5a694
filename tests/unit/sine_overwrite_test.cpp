#include "effects/sine_overwrite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

struct PeriodCase {
  int32_t rate;
  int16_t channels;
  int16_t bits;
  double hz;
  int32_t period;
};

class PeriodTest : public testing::TestWithParam<PeriodCase> {};

TEST_P(PeriodTest, TruncatesAndLowersToEven) {
  const PeriodCase& c = GetParam();
  EXPECT_EQ(SinePeriodBytes(test::Format(c.channels, c.rate, c.bits), c.hz), c.period);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PeriodTest,
    testing::Values(PeriodCase{44100, 1, 16, 1000, 88}, PeriodCase{44100, 2, 16, 1000, 176},
                    PeriodCase{11025, 1, 8, 1000, 10},  // 11.025 -> 11 -> 10
                    PeriodCase{22050, 1, 16, 1000, 44}, PeriodCase{8000, 1, 8, 1000, 8},
                    PeriodCase{8000, 1, 8, 4000, 2},
                    // Too high a tone, or none: no period to tile.
                    PeriodCase{8000, 1, 8, 4001, 0}, PeriodCase{8000, 1, 8, 0, 0},
                    PeriodCase{8000, 1, 8, -1000, 0},
                    PeriodCase{8000, 1, 8, std::numeric_limits<double>::quiet_NaN(), 0},
                    PeriodCase{8000, 1, 8, std::numeric_limits<double>::infinity(), 0},
                    // Too low a tone stays a valid, even int32.
                    PeriodCase{44100, 2, 16, 1e-9, 2147483646}));

struct FillCase {
  const char* name;
  int32_t period;
  double levelDb;
  int16_t bits;
  Bytes expected;
};

void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

class FillTest : public testing::TestWithParam<FillCase> {};

TEST_P(FillTest, WritesExactBytesAndNothingBeyond) {
  const FillCase& c = GetParam();
  Bytes block(c.expected.size() + 2, 0xEE);
  FillSine(block.data(), c.period, c.levelDb, static_cast<int64_t>(c.expected.size()),
           test::EncodingOfBits(c.bits));
  EXPECT_EQ(Bytes(block.begin(), block.end() - 2), c.expected);
  EXPECT_EQ(block[c.expected.size()], 0xEE);
  EXPECT_EQ(block[c.expected.size() + 1], 0xEE);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, FillTest,
    testing::Values(
        FillCase{"Eight0dB", 8, 0, 8, {128, 217, 255, 217, 128, 38, 1, 38}},
        FillCase{"EightMinus10dB", 8, -10, 8, {128, 156, 168, 156, 128, 99, 87, 99}},
        FillCase{"EightPlus6dBClips", 8, 6, 8, {128, 255, 255, 255, 128, 0, 0, 0}},
        // Not a whole number of periods: ends with the period's first bytes.
        FillCase{"EightTiledWithTail",
                 8,
                 0,
                 8,
                 {128, 217, 255, 217, 128, 38, 1, 38, 128, 217, 255, 217, 128, 38, 1, 38, 128, 217,
                  255}},
        FillCase{"Sixteen0dB", 8, 0, 16, {0, 0, 0xFF, 0x7F, 0, 0, 0x01, 0x80}},
        FillCase{"SixteenPlus6dBClips", 8, 6, 16, {0, 0, 0xFF, 0x7F, 0, 0, 0x00, 0x80}},
        // floor, not trunc: 23169.77 -> 23169 but -23169.77 -> -23170.
        FillCase{
            "SixteenFloorsNegatives",
            16,
            0,
            16,
            {0, 0, 0x81, 0x5A, 0xFF, 0x7F, 0x81, 0x5A, 0, 0, 0x7E, 0xA5, 0x01, 0x80, 0x7E, 0xA5}},
        // The phase advances by byte index: in stereo the second channel of
        // the first frame is already past zero.
        FillCase{"StereoPhasePerByte", 176, 0, 16, {0, 0, 0x21, 0x09, 0x37, 0x12, 0x35, 0x1B}},
        FillCase{"PeriodTwoIsSilence", 2, 0, 16, Bytes(10, 0)}, FillCase{"Nothing", 8, 0, 8, {}}));

WaveFormat LayoutOf(const test::WaveBuilder& builder, int16_t channels, int32_t rate, int16_t bits) {
  return test::Format(channels, rate, bits, static_cast<int64_t>(builder.DataTagOffset()));
}

TEST(ApplySineOverwrite, FillsSpanFromItsOwnStartAndRecordsUndo) {
  const auto builder = test::WaveBuilder().Channels(1).SampleRate(8000).Bits(8).SampleBytes(32);
  const Bytes original = builder.Build();
  Bytes image = original;
  UndoRecord undo;
  undo.UndoToggle = 1;
  // 1 ms to 3 ms: bytes 8 to 24 of the data, the phase starting again at 8.
  ASSERT_EQ(ApplySineOverwrite(image, LayoutOf(builder, 1, 8000, 8), 0.001, 0.003, 0, 1000, undo),
            MaskOutcome::Applied);
  const Bytes period{128, 217, 255, 217, 128, 38, 1, 38};
  Bytes expected = original;
  for (int i = 0; i < 16; ++i) expected[52 + i] = period[i % 8];
  EXPECT_EQ(image, expected);
  EXPECT_EQ(undo.SpanStart, 52);
  EXPECT_EQ(undo.SpanEnd, 68);
  EXPECT_EQ(undo.SavedBytes, Bytes(original.begin() + 52, original.begin() + 68));
  EXPECT_EQ(undo.UndoToggle, 1);  // the caller's to reset
}

struct RefusalCase {
  const char* name;
  double start;
  double end;
  double hz;
  MaskOutcome outcome;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, LeavesImageAndUndoRecordAlone) {
  const RefusalCase& c = GetParam();
  const auto builder = test::WaveBuilder().Channels(1).SampleRate(8000).Bits(8).SampleBytes(16);
  const Bytes original = builder.Build();
  Bytes image = original;
  UndoRecord undo;
  RecordUndo(image, 44, 48, undo);
  const UndoRecord before = undo;
  EXPECT_EQ(ApplySineOverwrite(image, LayoutOf(builder, 1, 8000, 8), c.start, c.end, 0, c.hz, undo),
            c.outcome);
  EXPECT_EQ(image, original);
  EXPECT_EQ(undo.SavedBytes, before.SavedBytes);
  EXPECT_EQ(undo.SpanStart, before.SpanStart);
  EXPECT_EQ(undo.SpanEnd, before.SpanEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalTest,
    testing::Values(RefusalCase{"FrequencyTooHigh", 0, 0.001, 4001, MaskOutcome::FrequencyTooHigh},
                    // No tone at all is not a tone too high.
                    RefusalCase{"FrequencyZero", 0, 0.001, 0, MaskOutcome::FrequencyInvalid},
                    RefusalCase{"FrequencyNegative", 0, 0.001, -440, MaskOutcome::FrequencyInvalid},
                    RefusalCase{"PastData", 0.003, 0.004, 1000, MaskOutcome::RangeInvalid},
                    RefusalCase{"NoWholeFrame", 0, 0.0001, 1000, MaskOutcome::RangeInvalid},
                    RefusalCase{"Reversed", 0.001, 0, 1000, MaskOutcome::RangeInvalid}));

}  // namespace
}  // namespace belmo
