#include "effects/streamed_mask.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "document/wav_document.h"
#include "document/sample_codec.h"
#include "effects/file_overwrite.h"
#include "tests/unit/memory_files.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kSourcePath[] = "source.wav";

using test::MemoryFiles;

// Takes appends until `room` bytes have gone, then refuses.
class FailingWriter : public FileWriter {
 public:
  explicit FailingWriter(size_t room) : room_(room) {}
  bool Append(const uint8_t*, size_t size) override {
    if (size > room_) return false;
    room_ -= size;
    return true;
  }
  bool Commit() override { return true; }

 private:
  size_t room_;
};

struct Format {
  uint16_t bits;
  uint16_t channels;
  uint32_t rate;
  uint16_t tag = 1;  // PCM; 3 float, 7 mu-law
};

SampleEncoding EncodingOf(const Format& f) {
  if (f.tag == 3) return SampleEncoding::Float32;
  if (f.tag == 7) return SampleEncoding::MuLaw;
  if (f.bits == 8) return SampleEncoding::Unsigned8;
  return f.bits == 24 ? SampleEncoding::Signed24 : SampleEncoding::Signed16;
}

// About a second of a voice-like signal, with a chunk before the data and
// half a frame after it, so that neither end of the data is where a
// canonical file has it. A chunk after the data, as recorders write
// titles, may follow.
Bytes Recording(const Format& f, double seconds, const std::string& after = "") {
  const size_t width = f.bits / 8u;
  const size_t frameBytes = f.channels * width;
  const auto frames = static_cast<size_t>(seconds * f.rate);
  const size_t halfFrame = f.channels == 2 ? width : 0;
  auto builder = test::WaveBuilder()
                     .FormatTag(f.tag)
                     .Bits(f.bits)
                     .Channels(f.channels)
                     .SampleRate(f.rate)
                     .Chunk("LIST", "odd")
                     .SampleBytes(frames * frameBytes + halfFrame);
  if (!after.empty()) builder.After("LIST", after);
  Bytes image = builder.Build();
  const size_t first = builder.DataTagOffset() + 8;
  const size_t samples = frames * f.channels + (halfFrame > 0 ? 1 : 0);
  for (size_t i = 0; i < samples; ++i) {
    const double v = 0.5 * std::sin(i * 0.031) + 0.3 * std::sin(i * 0.17 + 1) +
                     0.05 * std::sin(i * 1.3);
    const int16_t value = static_cast<int16_t>(std::lround(v * 30000));
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    ConvertSamples(bytes, SampleEncoding::Signed16, 1, EncodingOf(f), image.data() + first + i * width);
  }
  return image;
}

WavDocument DocumentOf(const Bytes& image) {
  WavDocument document;
  EXPECT_EQ(InspectWaveImage(image.data(), image.size(), &document.Format), WaveCheck::Ok);
  document.Image = image;
  document.LengthMs =
      static_cast<int32_t>(LengthMsByChunks(image.data(), image.size(), document.Format));
  return document;
}

struct Job {
  const char* name;
  MaskKind kind;
  MaskSettings settings;
};

MaskSettings With(void (*change)(MaskSettings&)) {
  MaskSettings settings;
  settings.OverWriteFilePath = kSourcePath;
  change(settings);
  return settings;
}

std::vector<Job> Jobs() {
  return {
      {"tone", MaskKind::Sine, With([](MaskSettings&) {})},
      {"loud low tone", MaskKind::Sine, With([](MaskSettings& s) { s.SinHz = 37; s.SindB = 6; })},
      {"simple up", MaskKind::VoiceChange, With([](MaskSettings& s) { s.VoicePitch = 2; })},
      {"simple down", MaskKind::VoiceChange,
       With([](MaskSettings& s) { s.VoicePitch = 0.5; s.VoiceSample = 6; })},
      {"simple odd", MaskKind::VoiceChange,
       With([](MaskSettings& s) { s.VoicePitch = 1.7; s.VoiceSample = 3; })},
      // No count equals 99.5: one segment runs over the whole range.
      {"simple one segment", MaskKind::VoiceChange,
       With([](MaskSettings& s) { s.VoicePitch = 1.5; s.VoiceSample = 99.5; })},
      {"fft 512 up", MaskKind::VoiceChange,
       With([](MaskSettings& s) { s.PitchUpType = 1; s.FFTSample = 0; })},
      {"fft 1024 down", MaskKind::VoiceChange,
       With([](MaskSettings& s) { s.PitchUpType = 1; s.FFTSample = 1; s.VoicePitch = 0.6; })},
      {"source looped", MaskKind::FileOverwrite,
       With([](MaskSettings& s) { s.OverWriteType = kOverwriteContinuous; })},
      {"source once", MaskKind::FileOverwrite, With([](MaskSettings& s) { s.OverWriteType = 0; })},
  };
}

// What the command-line tool writes for the mask, or the outcome refusing it.
MaskOutcome Streamed(const Job& job, const SampleRange& range, const Bytes& image,
                     MemoryFiles& files, size_t pieceBytes, Bytes* written) {
  files.files["in.wav"] = image;
  std::unique_ptr<FileView> view = files.OpenView("in.wav");
  const WavDocument d = DocumentOf(image);
  TwiddleTables tables;
  StreamedMask mask(pieceBytes);
  const MaskOutcome outcome =
      mask.Prepare(job.kind, range, job.settings, *view, d.Format, d.LengthMs, files, tables);
  if (outcome != MaskOutcome::Applied) return outcome;
  files.files.erase("out.wav");
  std::unique_ptr<FileWriter> writer = files.BeginReplace("out.wav");
  EXPECT_EQ(mask.Write(*writer), StreamResult::Written);
  EXPECT_TRUE(writer->Commit());
  *written = files.files["out.wav"];
  return outcome;
}

MaskOutcome InMemory(const Job& job, const SampleRange& range, const Bytes& image,
                     MemoryFiles& files, Bytes* result) {
  WavDocument document = DocumentOf(image);
  UndoRecord undo;
  TwiddleTables tables;
  const MaskOutcome outcome =
      RunMask(job.kind, range, job.settings, document, undo, files, tables);
  *result = document.Image.ToVector();
  return outcome;
}

// The tool must write exactly the bytes the program leaves in its image,
// whatever the format, the range, the mask and the size of the pieces.
TEST(StreamedMask, WritesWhatTheProgramLeavesInTheImage) {
  const Format formats[] = {{16, 2, 44100},   {8, 1, 8000},       {16, 1, 11025},
                            {8, 2, 22050},    {24, 2, 48000},     {32, 1, 22050, 3},
                            {8, 1, 8000, 7}};
  const SampleRange ranges[] = {{0, 1000}, {100, 350}, {200, 201}, {999, 1000}};
  const size_t pieces[] = {kStreamPieceBytes, 1000, 1};
  MemoryFiles files;
  // A source in a format of its own, so that it is converted, and short
  // enough that once mode runs out inside the longer ranges.
  files.files[kSourcePath] = Recording({8, 1, 11025}, 0.1);
  for (const Format& format : formats) {
    const Bytes image = Recording(format, 1.0);
    for (const Job& job : Jobs()) {
      for (const SampleRange& range : ranges) {
        Bytes expected;
        const MaskOutcome want = InMemory(job, range, image, files, &expected);
        ASSERT_EQ(want, MaskOutcome::Applied);
        for (size_t piece : pieces) {
          SCOPED_TRACE(testing::Message() << job.name << ", " << format.bits << "-bit "
                                          << format.channels << " ch " << format.rate << " Hz, "
                                          << range.start << "-" << range.end << " ms, pieces of "
                                          << piece);
          Bytes written;
          ASSERT_EQ(Streamed(job, range, image, files, piece, &written), want);
          ASSERT_TRUE(written == expected);
        }
      }
    }
  }
}

// Several ranges in one pass must write what masking each range in turn,
// earliest first, leaves in the image: for every mask, also where a
// range's FFT tail reaches back over the ranges before it (already masked
// when their turn came), where the spans of two ranges meet at a low rate,
// and whatever the size of the pieces.
TEST(StreamedMask, SeveralRangesWriteWhatOneRunPerRangeLeaves) {
  const Format formats[] = {{16, 2, 44100}, {8, 1, 8000}, {24, 2, 48000}, {32, 1, 22050, 3},
                            {16, 2, 900}};
  const std::vector<std::vector<SampleRange>> rangeSets = {
      {{0, 10}, {11, 13}, {14, 400}, {700, 1000}},
      {{100, 150}, {160, 170}, {175, 180}, {181, 182}, {990, 1000}},
      {{80, 100}, {101, 150}, {300, 999}},
  };
  MemoryFiles files;
  files.files[kSourcePath] = Recording({8, 1, 11025}, 0.1);
  for (const Format& format : formats) {
    const Bytes image = Recording(format, 1.0);
    for (const Job& job : Jobs()) {
      for (const std::vector<SampleRange>& ranges : rangeSets) {
        WavDocument oneByOne = DocumentOf(image);
        UndoRecord undo;
        TwiddleTables tables;
        for (const SampleRange& range : ranges) {
          ASSERT_EQ(RunMask(job.kind, range, job.settings, oneByOne, undo, files, tables),
                    MaskOutcome::Applied);
        }
        for (size_t piece : {kStreamPieceBytes, size_t{1000}}) {
          SCOPED_TRACE(testing::Message() << job.name << ", " << format.bits << "-bit "
                                          << format.channels << " ch " << format.rate << " Hz, "
                                          << ranges.size() << " ranges from " << ranges[0].start
                                          << " ms, pieces of " << piece);
          files.files["in.wav"] = image;
          std::unique_ptr<FileView> view = files.OpenView("in.wav");
          const WavDocument d = DocumentOf(image);
          TwiddleTables streamTables;
          StreamedMask mask(piece);
          ASSERT_EQ(mask.Prepare(job.kind, ranges, job.settings, *view, d.Format, d.LengthMs,
                                 files, streamTables),
                    MaskOutcome::Applied);
          files.files.erase("out.wav");
          std::unique_ptr<FileWriter> writer = files.BeginReplace("out.wav");
          ASSERT_EQ(mask.Write(*writer), StreamResult::Written);
          ASSERT_TRUE(writer->Commit());
          ASSERT_TRUE(files.files["out.wav"] == oneByOne.Image);
        }
      }
    }
  }
}

// Ranges out of order, overlapping or touching are the caller's to merge;
// handed over as they are, they are refused before anything is written.
TEST(StreamedMask, RangesMustComeMergedInTimeOrder) {
  const Bytes image = Recording({16, 1, 8000}, 1.0);
  MemoryFiles files;
  files.files["in.wav"] = image;
  const WavDocument d = DocumentOf(image);
  const std::vector<std::vector<SampleRange>> refused = {
      {}, {{500, 600}, {100, 200}}, {{100, 300}, {200, 400}}, {{100, 200}, {200, 300}},
      {{100, 200}, {300, 1001}}};
  for (const std::vector<SampleRange>& ranges : refused) {
    std::unique_ptr<FileView> view = files.OpenView("in.wav");
    TwiddleTables tables;
    StreamedMask mask;
    EXPECT_EQ(mask.Prepare(MaskKind::Sine, ranges, MaskSettings(), *view, d.Format, d.LengthMs,
                           files, tables),
              MaskOutcome::RangeInvalid)
        << ranges.size() << " ranges";
  }
}

// A range reaching the length the device reports (rounded up to a whole
// millisecond) stops at the last whole frame of the data chunk: the chunk
// after it (a title) and the header keep every byte, in the window and in
// the tool alike.
TEST(StreamedMask, ChunksAroundTheDataKeepEveryByte) {
  const std::string title = "INFOINAMInterview 2026-12-07";
  const Format formats[] = {{16, 2, 44100}, {8, 1, 8000}, {16, 1, 11025}, {24, 2, 44100},
                            {32, 2, 44100, 3}};
  MemoryFiles files;
  files.files[kSourcePath] = Recording({8, 1, 11025}, 0.1);
  for (const Format& format : formats) {
    // 44127 frames at 44.1 kHz measure 1000.6 ms, which the device calls 1001.
    const Bytes image = Recording(format, 44127.0 / 44100, title);
    const WavDocument d = DocumentOf(image);
    const int64_t dataEnd = d.Format.DataEnd;
    ASSERT_LT(dataEnd, static_cast<int64_t>(image.size()));
    for (const Job& job : Jobs()) {
      for (const SampleRange& range :
           {SampleRange{0, static_cast<uint32_t>(d.LengthMs)},
            SampleRange{900, static_cast<uint32_t>(d.LengthMs)}}) {
        SCOPED_TRACE(testing::Message() << job.name << ", " << format.bits << "-bit "
                                        << format.channels << " ch, " << range.start << "-"
                                        << range.end << " ms");
        Bytes masked;
        ASSERT_EQ(InMemory(job, range, image, files, &masked), MaskOutcome::Applied);
        EXPECT_TRUE(std::equal(image.begin() + dataEnd, image.end(), masked.begin() + dataEnd));
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + d.Format.DataStart(),
                               masked.begin()));
        Bytes written;
        ASSERT_EQ(Streamed(job, range, image, files, 1000, &written), MaskOutcome::Applied);
        EXPECT_TRUE(written == masked);
      }
    }
  }
}

// Every refusal is the program's own, in the program's order, and nothing
// is written for it.
TEST(StreamedMask, RefusesWhatTheProgramRefuses) {
  const Bytes image = Recording({16, 2, 44100}, 1.0);
  struct Case {
    const char* name;
    MaskKind kind;
    SampleRange range;
    void (*change)(MaskSettings&);
  };
  const Case cases[] = {
      {"range past the end", MaskKind::Sine, {0, 1001}, [](MaskSettings&) {}},
      {"empty range", MaskKind::Sine, {500, 500}, [](MaskSettings&) {}},
      {"tone too high", MaskKind::Sine, {0, 1000}, [](MaskSettings& s) { s.SinHz = 1e9; }},
      {"tone not positive", MaskKind::Sine, {0, 1000}, [](MaskSettings& s) { s.SinHz = -5; }},
      {"ratio 0", MaskKind::VoiceChange, {0, 1000}, [](MaskSettings& s) { s.VoicePitch = 0; }},
      {"ratio NaN fft", MaskKind::VoiceChange, {0, 1000},
       [](MaskSettings& s) { s.PitchUpType = 1; s.VoicePitch = std::nan(""); }},
      {"fft size 7", MaskKind::VoiceChange, {0, 1000},
       [](MaskSettings& s) { s.PitchUpType = 1; s.FFTSample = 7; }},
      {"no source named", MaskKind::FileOverwrite, {0, 1001},
       [](MaskSettings& s) { s.OverWriteFilePath.clear(); }},
      {"source missing", MaskKind::FileOverwrite, {0, 1000},
       [](MaskSettings& s) { s.OverWriteFilePath = "missing.wav"; }},
      {"source not PCM", MaskKind::FileOverwrite, {0, 1000},
       [](MaskSettings& s) { s.OverWriteFilePath = "float.wav"; }},
      {"ratio near 0 asks too much", MaskKind::VoiceChange, {0, 1000},
       [](MaskSettings& s) { s.VoicePitch = 1e-300; }},
  };
  MemoryFiles files;
  files.files[kSourcePath] = Recording({8, 1, 11025}, 0.1);
  files.files["float.wav"] = test::WaveBuilder().FormatTag(3).SampleBytes(64).Build();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MaskSettings settings;
    settings.OverWriteFilePath = kSourcePath;
    c.change(settings);
    const Job job{c.name, c.kind, settings};
    Bytes expected;
    const MaskOutcome want = InMemory(job, c.range, image, files, &expected);
    EXPECT_NE(want, MaskOutcome::Applied);

    files.files["in.wav"] = image;
    std::unique_ptr<FileView> view = files.OpenView("in.wav");
    const WavDocument d = DocumentOf(image);
    TwiddleTables tables;
    StreamedMask mask;
    MaskOutcome got =
        mask.Prepare(c.kind, c.range, settings, *view, d.Format, d.LengthMs, files, tables);
    // The simple method finds out it cannot have its buffers only when it
    // runs, which is before it writes the span.
    if (got == MaskOutcome::Applied) {
      FailingWriter writer(std::numeric_limits<size_t>::max());
      got = mask.Write(writer) == StreamResult::OutOfMemory ? MaskOutcome::OutOfMemory : got;
    }
    EXPECT_EQ(got, want);
  }
}

// A write that fails anywhere (the header, a piece of the span, the end) is
// reported, never passed over.
TEST(StreamedMask, AFailedWriteIsReported) {
  const Bytes image = Recording({16, 1, 8000}, 1.0);
  MemoryFiles files;
  files.files[kSourcePath] = Recording({8, 1, 11025}, 0.1);
  files.files["in.wav"] = image;
  const WavDocument d = DocumentOf(image);
  for (const Job& job : Jobs()) {
    for (size_t room : {size_t{0}, size_t{100}, image.size() / 2, image.size() - 1}) {
      SCOPED_TRACE(testing::Message() << job.name << ", room for " << room);
      std::unique_ptr<FileView> view = files.OpenView("in.wav");
      TwiddleTables tables;
      StreamedMask mask(1000);
      ASSERT_EQ(mask.Prepare(job.kind, {0, 1000}, job.settings, *view, d.Format, d.LengthMs,
                             files, tables),
                MaskOutcome::Applied);
      FailingWriter writer(room);
      EXPECT_EQ(mask.Write(writer), StreamResult::WriteFailed);
    }
  }
}

class StdFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("belmo-streamed-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;
  StdFileStore files_;
};

// A mapped view reads the file's bytes, also after pages were let go; an
// empty file still opens; a missing one does not.
TEST_F(StdFilesTest, ViewsReadTheWholeFile) {
  Bytes content(3 * 65536 + 123);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 13 + 5);
  ASSERT_TRUE(files_.WriteWhole(Path("a.bin"), content.data(), content.size(), false));
  ASSERT_TRUE(files_.WriteWhole(Path("empty.bin"), nullptr, 0, false));

  std::unique_ptr<FileView> view = files_.OpenView(Path("a.bin"));
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->Size(), content.size());
  view->Release(10, 100000);
  EXPECT_TRUE(Bytes(view->Data(), view->Data() + view->Size()) == content);

  std::unique_ptr<FileView> empty = files_.OpenView(Path("empty.bin"));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Size(), 0u);
  EXPECT_EQ(files_.OpenView(Path("missing.bin")), nullptr);
}

// The target changes only at Commit; a writer dropped before it leaves the
// target as it was and no partial file behind.
TEST_F(StdFilesTest, ReplacementIsAllOrNothing) {
  const Bytes before{1, 2, 3};
  const Bytes after{9, 8, 7, 6};
  const std::string target = Path("t.wav");
  ASSERT_TRUE(files_.WriteWhole(target, before.data(), before.size(), false));
  {
    std::unique_ptr<FileWriter> writer = files_.BeginReplace(target);
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->Append(after.data(), after.size()));
    EXPECT_TRUE(files_.Exists(PendingPathOf(target)));
  }
  Bytes read;
  ASSERT_TRUE(files_.ReadWhole(target, &read));
  EXPECT_EQ(read, before);
  EXPECT_FALSE(files_.Exists(target + ".belmo-new"));

  std::unique_ptr<FileWriter> writer = files_.BeginReplace(target);
  ASSERT_TRUE(writer->Append(after.data(), 2));
  ASSERT_TRUE(writer->Append(after.data() + 2, 2));
  ASSERT_TRUE(writer->Commit());
  ASSERT_TRUE(files_.ReadWhole(target, &read));
  EXPECT_EQ(read, after);
  EXPECT_FALSE(files_.Exists(target + ".belmo-new"));
  EXPECT_EQ(files_.BeginReplace(Path("no-such-dir/x.wav")), nullptr);
}

}  // namespace
}  // namespace belmo
