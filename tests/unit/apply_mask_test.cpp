#include "effects/apply_mask.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "effects/voice_change_fft.h"
#include "effects/voice_change_simple.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

// The masks here read no overwrite file; each test's FFT tables are its own.
StdFileStore files;
TwiddleTables tables;

struct UsableCase {
  uint32_t start;
  uint32_t end;
  int32_t lengthMs;
  bool usable;
};

class RangeUsableTest : public testing::TestWithParam<UsableCase> {};

TEST_P(RangeUsableTest, StartBeforeEndWithinLength) {
  const UsableCase& c = GetParam();
  EXPECT_EQ(RangeIsUsable(SampleRange{c.start, c.end}, c.lengthMs), c.usable);
}

INSTANTIATE_TEST_SUITE_P(Ranges, RangeUsableTest,
                         testing::Values(UsableCase{0, 1, 1, true}, UsableCase{0, 10, 10, true},
                                         UsableCase{9, 10, 10, true}, UsableCase{0, 11, 10, false},
                                         UsableCase{5, 5, 10, false}, UsableCase{6, 5, 10, false},
                                         UsableCase{0, 0, 0, false}, UsableCase{0, 1, 0, false},
                                         UsableCase{0, 0xFFFFFFFF, -1, false}));

// 16-bit stereo at 44100 Hz with a chunk before the data, so that the data
// does not start at the canonical offset.
WavDocument OpenDocument(int32_t lengthMs) {
  const auto builder = test::WaveBuilder()
                           .Channels(2)
                           .SampleRate(44100)
                           .Bits(16)
                           .Chunk("LIST", "abcd")
                           .SampleBytes(4 * 44100 * lengthMs / 1000 + 40);
  WavDocument document;
  document.Image = builder.Build();
  document.Format = test::FormatOf(document.Image.ToVector());
  document.LengthMs = lengthMs;
  document.ChangeCount = 5;
  return document;
}

struct SpanCase {
  uint32_t start;
  uint32_t end;
  int64_t firstFrame;
  int64_t frames;
};

class SineSpanTest : public testing::TestWithParam<SpanCase> {};

TEST_P(SineSpanTest, MasksFramesOfTheRangeOnly) {
  const SpanCase& c = GetParam();
  WavDocument document = OpenDocument(20);
  ASSERT_EQ(document.Format.DataTagOffset, 48);
  const Bytes original = document.Image.ToVector();
  UndoRecord undo;
  undo.UndoToggle = 1;
  ASSERT_EQ(RunMask(MaskKind::Sine, SampleRange{c.start, c.end}, MaskSettings{}, document, undo, files, tables),
            MaskOutcome::Applied);
  const int64_t start = 56 + 4 * c.firstFrame;
  const int64_t end = start + 4 * c.frames;
  EXPECT_EQ(undo.SpanStart, start);
  EXPECT_EQ(undo.SpanEnd, end);
  EXPECT_EQ(Bytes(document.Image.begin(), document.Image.begin() + start),
            Bytes(original.begin(), original.begin() + start));
  EXPECT_EQ(Bytes(document.Image.begin() + end, document.Image.end()),
            Bytes(original.begin() + end, original.end()));
  // The default tone (1000 Hz, -10 dB) starts at the span: the second
  // channel of its first frame is floor(0.316 x sin(2 pi / 88) x 32767) = 739.
  EXPECT_EQ(Bytes(document.Image.begin() + start, document.Image.begin() + start + 4),
            (Bytes{0, 0, 0xE3, 0x02}));
  // Counting the change is the shell's, after its messages.
  EXPECT_EQ(document.ChangeCount, 5);
  EXPECT_EQ(undo.UndoToggle, 1);
}

INSTANTIATE_TEST_SUITE_P(Ranges, SineSpanTest,
                         testing::Values(SpanCase{0, 20, 0, 882}, SpanCase{0, 1, 0, 44},
                                         SpanCase{9, 10, 396, 45}));

TEST(RunMask, SineUsesSettings) {
  WavDocument document = OpenDocument(20);
  UndoRecord undo;
  MaskSettings settings;
  settings.SindB = 0;
  settings.SinHz = 44100 * 4 / 8.0;  // period 8 bytes: two frames
  ASSERT_EQ(RunMask(MaskKind::Sine, SampleRange{0, 1}, settings, document, undo, files, tables),
            MaskOutcome::Applied);
  EXPECT_EQ(Bytes(document.Image.begin() + 56, document.Image.begin() + 64),
            (Bytes{0, 0, 0xFF, 0x7F, 0, 0, 0x01, 0x80}));
  settings.SinHz = 1e6;
  EXPECT_EQ(RunMask(MaskKind::Sine, SampleRange{0, 1}, settings, document, undo, files, tables),
            MaskOutcome::FrequencyTooHigh);
}

struct RefusalCase {
  const char* name;
  MaskKind kind;
  bool open;
  const char* overwritePath;
  SampleRange range;
  MaskOutcome outcome;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RunMaskRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RunMaskRefusalTest, ChangesNothing) {
  const RefusalCase& c = GetParam();
  WavDocument document = OpenDocument(20);
  if (!c.open) document = WavDocument{};
  const Bytes original = document.Image.ToVector();
  MaskSettings settings;
  settings.OverWriteFilePath = c.overwritePath;
  UndoRecord undo;
  EXPECT_EQ(RunMask(c.kind, c.range, settings, document, undo, files, tables), c.outcome);
  EXPECT_EQ(document.Image, original);
  EXPECT_TRUE(undo.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunMaskRefusalTest,
    testing::Values(
        RefusalCase{
            "NoDocument", MaskKind::FileOverwrite, false, "", {0, 1}, MaskOutcome::NoDocument},
        RefusalCase{"NoFileBeforeBadRange",
                    MaskKind::FileOverwrite,
                    true,
                    "",
                    {5, 5},
                    MaskOutcome::NoOverwriteFile},
        RefusalCase{"SineEmptyRange", MaskKind::Sine, true, "", {5, 5}, MaskOutcome::RangeInvalid},
        RefusalCase{"SinePastLength", MaskKind::Sine, true, "", {0, 21}, MaskOutcome::RangeInvalid},
        RefusalCase{"OverwriteFileMissing",
                    MaskKind::FileOverwrite,
                    true,
                    "/nonexistent/belmo/source.wav",
                    {0, 1},
                    MaskOutcome::SourceUnreadable}));

// Any PitchUpType other than 0 picks the FFT method; 0 the simple one.
TEST(RunMask, VoiceChangeMethodFollowsPitchUpType) {
  for (uint8_t type : {0, 1, 5}) {
    SCOPED_TRACE(static_cast<int>(type));
    WavDocument document = OpenDocument(1000);
    MaskSettings settings;
    settings.PitchUpType = type;
    settings.FFTSample = 0;
    UndoRecord undo;
    ASSERT_EQ(RunMask(MaskKind::VoiceChange, SampleRange{0, 1000}, settings, document, undo,
                      files, tables),
              MaskOutcome::Applied);

    Bytes expected = OpenDocument(1000).Image.ToVector();
    const WaveFormat format = document.Format;
    UndoRecord directUndo;
    TwiddleTables directTables;
    if (type == 0) {
      ApplyVoiceChangeSimple(expected, format, 0, 1.0, 2, 100, directUndo);
    } else {
      ApplyVoiceChangeFft(expected, format, 0, 1.0, 2, 0, directTables, directUndo);
    }
    EXPECT_EQ(document.Image, expected);
  }
}

}  // namespace
}  // namespace belmo

namespace belmo {
namespace {

// The list of places masks its merged ranges as one edit; each range must
// come out as its own run would leave it (the FFT reads what the range
// before it wrote), and one exchange must put back every span at once.
class MaskOverRangesTest : public testing::TestWithParam<std::pair<MaskKind, uint8_t>> {};

TEST_P(MaskOverRangesTest, IsEachRunInTurnAndOneUndoPutsEverySpanBack) {
  MaskSettings settings;
  settings.PitchUpType = GetParam().second;
  settings.FFTSample = 0;
  const std::vector<SampleRange> ranges = {{1, 4}, {5, 9}, {12, 19}};
  WavDocument oneByOne = OpenDocument(20);
  const Bytes original = oneByOne.Image.ToVector();
  UndoRecord single;
  for (const SampleRange& range : ranges) {
    ASSERT_EQ(RunMask(GetParam().first, range, settings, oneByOne, single, files, tables),
              MaskOutcome::Applied);
  }

  WavDocument batch = OpenDocument(20);
  UndoRecord undo;
  size_t done = 0;
  ASSERT_EQ(RunMaskOverRanges(GetParam().first, ranges, settings, batch, undo, files, tables,
                              &done),
            MaskOutcome::Applied);
  EXPECT_EQ(done, 3u);
  EXPECT_TRUE(batch.Image == oneByOne.Image);
  EXPECT_EQ(UndoSpans(undo).size(), 3u);
  ASSERT_TRUE(ExchangeUndoBytes(batch.Image, undo));
  EXPECT_TRUE(batch.Image == original);
  ASSERT_TRUE(ExchangeUndoBytes(batch.Image, undo));
  EXPECT_TRUE(batch.Image == oneByOne.Image);

  // A record one of whose spans no longer fits is refused before any span
  // is exchanged.
  batch.Image = Bytes(batch.Image.begin(), batch.Image.begin() + undo.SpanStart);
  const Bytes shortened = batch.Image.ToVector();
  EXPECT_FALSE(ExchangeUndoBytes(batch.Image, undo));
  EXPECT_TRUE(batch.Image == shortened);
}

INSTANTIATE_TEST_SUITE_P(Masks, MaskOverRangesTest,
                         testing::Values(std::make_pair(MaskKind::Sine, uint8_t{0}),
                                         std::make_pair(MaskKind::VoiceChange, uint8_t{0}),
                                         std::make_pair(MaskKind::VoiceChange, uint8_t{1}),
                                         std::make_pair(MaskKind::Silence, uint8_t{0})));

}  // namespace
}  // namespace belmo
