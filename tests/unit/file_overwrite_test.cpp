#include "effects/file_overwrite.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/unit/memory_files.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kSource[] = "C:\\voice\\over.wav";


// A canonical WAVE file whose sample bytes are exactly these.
Bytes WaveFile(uint16_t bits, uint16_t channels, uint32_t rate, const Bytes& samples) {
  Bytes file = test::WaveBuilder()
                   .Bits(bits)
                   .Channels(channels)
                   .SampleRate(rate)
                   .SampleBytes(samples.size())
                   .Build();
  std::copy(samples.begin(), samples.end(), file.end() - static_cast<std::ptrdiff_t>(samples.size()));
  return file;
}

WaveFormat Target(uint16_t bits, uint16_t channels, uint32_t rate) {
  return test::Format(channels, static_cast<int>(rate), bits);
}

Bytes Repeat(const Bytes& unit, int times) {
  Bytes out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), unit.begin(), unit.end());
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST(OverwriteTargetFormat, RoundsBlockAlignToEven) {
  const WaveFormat stereo = Target(16, 2, 44100);
  EXPECT_EQ(stereo.BlockAlign(), 4);
  EXPECT_EQ(stereo.AvgBytesPerSec(), 176400u);
  EXPECT_EQ(Target(8, 1, 11025).AvgBytesPerSec(), 11025u);
  EXPECT_EQ(Target(12, 1, 8000).BlockAlign(), 2);  // 1.5
  EXPECT_EQ(Target(4, 1, 8000).BlockAlign(), 0);   // 0.5
  EXPECT_EQ(Target(4, 5, 8000).BlockAlign(), 2);   // 2.5
}

struct ConvertCase {
  const char* name;
  Bytes file;
  WaveFormat target;
  Bytes expected;
};

void PrintTo(const ConvertCase& c, std::ostream* os) { *os << c.name; }

class LoadOverwriteSourceTest : public testing::TestWithParam<ConvertCase> {};

TEST_P(LoadOverwriteSourceTest, ConvertsToTargetFormat) {
  const ConvertCase& c = GetParam();
  test::MemoryFiles files;
  files.files[kSource] = c.file;
  Bytes converted;
  ASSERT_EQ(LoadOverwriteSource(kSource, c.target, files, &converted), MaskOutcome::Applied);
  EXPECT_EQ(converted, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LoadOverwriteSourceTest,
    testing::Values(
        // Widened with the sign bit flipped into the high byte, put on both
        // channels, then each frame four times.
        ConvertCase{"Mono8At11025ToStereo16At44100", WaveFile(8, 1, 11025, {0x80, 0x81, 0x00, 0xFF}),
                    Target(16, 2, 44100),
                    Concat({Repeat({0, 0x00, 0, 0x00}, 4), Repeat({0, 0x01, 0, 0x01}, 4),
                            Repeat({0, 0x80, 0, 0x80}, 4), Repeat({0, 0x7F, 0, 0x7F}, 4)})},
        // High bytes, sign flipped; left channel only; every second frame.
        ConvertCase{"Stereo16At44100ToMono8At22050",
                    WaveFile(16, 2, 44100,
                             {0x34, 0x12, 0x00, 0x55, 0x00, 0x80, 0x00, 0x66, 0xFF, 0x7F, 0x00,
                              0x77, 0x00, 0x00, 0x00, 0x88}),
                    Target(8, 1, 22050), {0x92, 0xFF}},
        ConvertCase{"EqualFormats", WaveFile(16, 2, 8000, {1, 2, 3, 4, 5, 6, 7, 8}),
                    Target(16, 2, 8000), {1, 2, 3, 4, 5, 6, 7, 8}},
        // r = 1.5: frames trunc(i / 1.5) = 0, 0, 1, 2 of trunc(4.5) = 4 bytes.
        ConvertCase{"FractionalRate", WaveFile(8, 1, 2000, {10, 20, 30}), Target(8, 1, 3000),
                    {10, 10, 20, 30}},
        // trunc(0.75 x 8) = 6 bytes is one and a half 16-bit stereo frames:
        // the half frame is left out.
        ConvertCase{"RateCutToWholeFrames", WaveFile(16, 2, 4000, {1, 2, 3, 4, 5, 6, 7, 8}),
                    Target(16, 2, 3000), {1, 2, 3, 4}},
        // The half sample at the end of a 16-bit file is dropped, with or
        // without a width conversion.
        ConvertCase{"OddLength16", WaveFile(16, 1, 8000, {1, 2, 3, 4, 5}), Target(16, 1, 8000),
                    {1, 2, 3, 4}},
        ConvertCase{"OddLength16To8", WaveFile(16, 1, 8000, {1, 0x02, 3, 0x84, 5}),
                    Target(8, 1, 8000), {0x82, 0x04}},
        // A wider source loses its low bits, a narrower one gains zero ones.
        ConvertCase{"Width24To16", WaveFile(24, 1, 8000, {1, 2, 3, 4, 5, 0x86}),
                    Target(16, 1, 8000), {2, 3, 5, 0x86}},
        ConvertCase{"Width8To24", WaveFile(8, 1, 8000, {0x80, 0xFF}), Target(24, 1, 8000),
                    {0, 0, 0, 0, 0, 0x7F}}));

// The samples are those of the data chunk, found by walking the chunks: a
// "data" in the text of an earlier chunk, and a chunk after the data, are
// never played into the recording.
TEST(LoadOverwriteSource, SamplesAreTheDataChunksOnly) {
  const Bytes file = test::WaveBuilder()
                         .Bits(8)
                         .Channels(1)
                         .Chunk("note", "see data below")
                         .SampleBytes(4)
                         .After("LIST", "INFOtitle")
                         .Build();
  test::MemoryFiles files;
  files.files[kSource] = file;
  Bytes converted;
  ASSERT_EQ(LoadOverwriteSource(kSource, Target(8, 1, 8000), files, &converted),
            MaskOutcome::Applied);
  EXPECT_EQ(converted, Bytes(file.begin() + 66, file.begin() + 70));
}

// --- copying into the destination ---

Bytes Source(int64_t size) {
  Bytes bytes(static_cast<size_t>(size));
  for (int64_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i % 251);
  return bytes;
}

// source[from, from + count)
Bytes Slice(const Bytes& source, int64_t from, int64_t count) {
  return Bytes(source.begin() + from, source.begin() + from + count);
}

struct CopyCase {
  const char* name;
  uint8_t mode;
  int64_t sourceSize;
  int64_t length;
  uint32_t positionIn;
  int result;
  uint32_t positionOut;
  std::vector<std::pair<int64_t, int64_t>> runs;  // then zeros up to length
};

void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.name; }

class CopyOverwriteDataTest : public testing::TestWithParam<CopyCase> {};

TEST_P(CopyOverwriteDataTest, FillsExactlyTheDestination) {
  const CopyCase& c = GetParam();
  const Bytes source = Source(c.sourceSize);
  Bytes expected;
  for (const auto& run : c.runs) {
    const Bytes part = Slice(source, run.first, run.second);
    expected.insert(expected.end(), part.begin(), part.end());
  }
  expected.resize(static_cast<size_t>(c.length), 0);

  Bytes dest(static_cast<size_t>(c.length) + 4, 0xEE);
  uint32_t position = c.positionIn;
  EXPECT_EQ(CopyOverwriteData(source, c.mode, SampleEncoding::Signed16, dest.data(), c.length,
                              position),
            c.result);
  EXPECT_EQ(position, c.positionOut);
  EXPECT_EQ(Bytes(dest.begin(), dest.end() - 4), expected);
  EXPECT_EQ(Bytes(dest.end() - 4, dest.end()), Bytes(4, 0xEE));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CopyOverwriteDataTest,
    testing::Values(
        CopyCase{"OnceShorter", 0, 10, 16, 0, 1, 0, {{0, 10}}},
        CopyCase{"OnceEqual", 0, 16, 16, 0, 1, 0, {{0, 16}}},
        CopyCase{"OnceLonger", 0, 20, 16, 0, 0, 16, {{0, 16}}},
        CopyCase{"OnceEndsWithinBlock", 2, 20, 8, 15, 1, 0, {{15, 5}}},
        CopyCase{"OncePositionPastEnd", 0, 10, 4, 12, 0, 4, {{0, 4}}},
        CopyCase{"Continuous", 1, 1000, 2500, 0, 0, 500, {{0, 1000}, {0, 1000}, {0, 500}}},
        // The preview's next buffer goes on where the last one stopped.
        CopyCase{"ContinuousFromPosition", 1, 1000, 2500, 700, 0, 200,
                 {{700, 300}, {0, 1000}, {0, 1000}, {0, 200}}},
        CopyCase{"ContinuousEndsWithSource", 1, 10, 20, 0, 0, 0, {{0, 10}, {0, 10}}},
        CopyCase{"ContinuousPositionPastEnd", 1, 10, 12, 10, 0, 2, {{0, 10}, {0, 2}}},
        CopyCase{"NothingToFill", 1, 10, 0, 3, 0, 3, {}}));

// Once mode ends the range in the recording's own silence, not in zero
// bytes, which are the loudest negative sample of 8-bit and a click of
// G.711.
TEST(CopyOverwriteData, OnceModeEndsInTheSilenceOfTheFormat) {
  const Bytes source{1, 2, 3, 4};
  const std::pair<SampleEncoding, uint8_t> silences[] = {
      {SampleEncoding::Unsigned8, 0x80}, {SampleEncoding::Signed16, 0x00},
      {SampleEncoding::Signed24, 0x00},  {SampleEncoding::Float32, 0x00},
      {SampleEncoding::MuLaw, 0xFF},     {SampleEncoding::ALaw, 0xD5}};
  for (const auto& [encoding, silence] : silences) {
    Bytes dest(12, 0xEE);
    uint32_t position = 0;
    EXPECT_EQ(CopyOverwriteData(source, 0, encoding, dest.data(), 12, position), 1);
    EXPECT_EQ(dest, (Bytes{1, 2, 3, 4, silence, silence, silence, silence, silence, silence,
                           silence, silence}))
        << static_cast<int>(encoding);
  }
}

// --- the block routine and the range entry ---

TEST(OverwriteFromFile, KeepsPositionBetweenBuffers) {
  test::MemoryFiles files;
  files.files[kSource] = WaveFile(8, 1, 8000, Source(10));
  Bytes first(6);
  Bytes second(6);
  uint32_t position = 0;
  MaskOutcome refusal = MaskOutcome::NoDocument;
  const WaveFormat target = Target(8, 1, 8000);
  EXPECT_EQ(OverwriteFromFile(first.data(), target, kSource, 1, 6, position, files, &refusal), 0);
  EXPECT_EQ(refusal, MaskOutcome::Applied);
  EXPECT_EQ(OverwriteFromFile(second.data(), target, kSource, 1, 6, position, files, &refusal), 0);
  EXPECT_EQ(first, Slice(Source(10), 0, 6));
  EXPECT_EQ(second, Concat({Slice(Source(10), 6, 4), Slice(Source(10), 0, 2)}));
  EXPECT_EQ(position, 2u);
}

struct ApplyCase {
  const char* name;
  uint8_t mode;
  Bytes expectedSpan;
};

void PrintTo(const ApplyCase& c, std::ostream* os) { *os << c.name; }

class ApplyFileOverwriteTest : public testing::TestWithParam<ApplyCase> {
 protected:
  // A 16-bit stereo document at 4000 Hz (16 bytes per ms) and a three-sample
  // 8-bit mono file at 2000 Hz: six frames once converted.
  ApplyFileOverwriteTest()
      : builder(test::WaveBuilder().Bits(16).Channels(2).SampleRate(4000).SampleBytes(64)),
        original(builder.Build()),
        format(test::FormatOf(original)),
        image(original) {
    files.files[kSource] = WaveFile(8, 1, 2000, {0x90, 0x70, 0x81});
  }

  test::WaveBuilder builder;
  Bytes original;
  WaveFormat format;
  Bytes image;
  test::MemoryFiles files;
  UndoRecord undo;
};

TEST_P(ApplyFileOverwriteTest, OverwritesOnlyTheSpanAndRecordsUndo) {
  const ApplyCase& c = GetParam();
  ASSERT_EQ(ApplyFileOverwrite(image, format, 0.001, 0.003, kSource, c.mode, files, undo),
            MaskOutcome::Applied);
  Bytes expected = original;
  std::copy(c.expectedSpan.begin(), c.expectedSpan.end(), expected.begin() + 60);
  EXPECT_EQ(image, expected);
  EXPECT_EQ(undo.SpanStart, 60);
  EXPECT_EQ(undo.SpanEnd, 92);
  EXPECT_EQ(undo.SavedBytes, Bytes(original.begin() + 60, original.begin() + 92));
}

const Bytes kConvertedSource = Concat({Repeat({0, 0x10, 0, 0x10}, 2), Repeat({0, 0xF0, 0, 0xF0}, 2),
                                       Repeat({0, 0x01, 0, 0x01}, 2)});

INSTANTIATE_TEST_SUITE_P(
    Modes, ApplyFileOverwriteTest,
    testing::Values(ApplyCase{"Once", 0, Concat({kConvertedSource, Bytes(8, 0)})},
                    ApplyCase{"Continuous", 1,
                              Concat({kConvertedSource, Slice(kConvertedSource, 0, 8)})}));

struct RefusalCase {
  const char* name;
  bool present;
  Bytes file;
  MaskOutcome outcome;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

Bytes Spoiled(Bytes file, size_t offset, const std::string& bytes) {
  test::Poke(file, offset, bytes);
  return file;
}

Bytes Cut(Bytes file, size_t size) {
  file.resize(size);
  return file;
}

class OverwriteRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(OverwriteRefusalTest, LeavesEverythingAsItWas) {
  const RefusalCase& c = GetParam();
  test::MemoryFiles files;
  if (c.present) files.files[kSource] = c.file;

  const auto builder = test::WaveBuilder().Bits(16).Channels(1).SampleRate(8000).SampleBytes(32);
  const Bytes original = builder.Build();
  Bytes image = original;
  const WaveFormat format = test::FormatOf(original);
  UndoRecord undo;
  ASSERT_TRUE(RecordUndo(image, 44, 48, undo));
  EXPECT_EQ(ApplyFileOverwrite(image, format, 0, 0.001, kSource, 1, files, undo), c.outcome);
  EXPECT_EQ(image, original);
  EXPECT_EQ(undo.SavedBytes, Bytes(original.begin() + 44, original.begin() + 48));
  EXPECT_EQ(undo.SpanStart, 44);
  EXPECT_EQ(undo.SpanEnd, 48);

  Bytes dest(8, 0xEE);
  uint32_t position = 3;
  MaskOutcome refusal = MaskOutcome::Applied;
  EXPECT_EQ(OverwriteFromFile(dest.data(), format, kSource, 0, 8, position, files,
                              &refusal),
            1);
  EXPECT_EQ(refusal, c.outcome);
  EXPECT_EQ(dest, Bytes(8, 0xEE));
  EXPECT_EQ(position, 3u);
}

const Bytes kGoodFile = WaveFile(16, 1, 8000, Source(8));

INSTANTIATE_TEST_SUITE_P(
    Files, OverwriteRefusalTest,
    testing::Values(
        RefusalCase{"Unreadable", false, {}, MaskOutcome::SourceUnreadable},
        RefusalCase{"Under40Bytes", true, Cut(kGoodFile, 39), MaskOutcome::SourceTooShort},
        RefusalCase{"FloatTag", true, Spoiled(kGoodFile, 20, "\x03"), MaskOutcome::SourceNotPcm},
        RefusalCase{"NoDataTag", true, Spoiled(kGoodFile, 36, "DATA"), MaskOutcome::SourceNoData},
        RefusalCase{"NothingAfterTag", true, Cut(kGoodFile, 44), MaskOutcome::SourceNoData},
        RefusalCase{"RateZero", true, Spoiled(kGoodFile, 24, std::string(4, '\0')),
                    MaskOutcome::SourceNotPcm},
        // Half a sample is no sample at all.
        RefusalCase{"EmptyAfterCut", true, Cut(kGoodFile, 45), MaskOutcome::SourceEmpty},
        // 8 bytes recorded at 16.8 MHz, taken at 8000 Hz: trunc(0.004) bytes.
        RefusalCase{"EmptyAfterRate", true, Spoiled(kGoodFile, 24, std::string("\x40\x1F\x00\x01", 4)),
                    MaskOutcome::SourceEmpty}));

}  // namespace
}  // namespace belmo
