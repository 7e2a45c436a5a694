// The masks on the recordings people have beyond 8- and 16-bit PCM: the
// extensible header, 24- and 32-bit integers, float and G.711. Each format
// is made from one 16-bit recording, so that what a mask does to it can be
// compared with what it does to the 16-bit one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/sample_codec.h"
#include "effects/apply_mask.h"
#include "effects/sine_overwrite.h"
#include "tests/unit/memory_files.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

struct Kind {
  const char* name;
  uint16_t tag;
  uint16_t bits;
  SampleEncoding encoding;
  bool extensible = false;
};

const Kind kSixteen{"16-bit", 1, 16, SampleEncoding::Signed16};
const Kind kKinds[] = {{"16-bit extensible", 1, 16, SampleEncoding::Signed16, true},
                       {"24-bit", 1, 24, SampleEncoding::Signed24},
                       {"24-bit extensible", 1, 24, SampleEncoding::Signed24, true},
                       {"32-bit", 1, 32, SampleEncoding::Signed32},
                       {"float", 3, 32, SampleEncoding::Float32},
                       {"float extensible", 3, 32, SampleEncoding::Float32, true},
                       {"mu-law", 7, 8, SampleEncoding::MuLaw},
                       {"A-law", 6, 8, SampleEncoding::ALaw}};

// A second of speech-like sound at 8 kHz in the kind's format.
Bytes Recording(const Kind& kind, int channels) {
  const int samples = 8000 * channels;
  test::WaveBuilder builder;
  builder.Channels(static_cast<uint16_t>(channels)).Bits(kind.bits).SampleBytes(
      static_cast<size_t>(samples) * kind.bits / 8);
  if (kind.extensible) {
    builder.Extensible(kind.tag, kind.bits);
  } else {
    builder.FormatTag(kind.tag);
  }
  Bytes image = builder.Build();
  const int width = kind.bits / 8;
  for (int i = 0; i < samples; ++i) {
    const double v = 0.45 * std::sin(i * 0.043) + 0.25 * std::sin(i * 0.31 + 1) +
                     0.1 * std::sin(i * 1.7);
    const auto value = static_cast<int16_t>(std::lround(v * 32000));
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    ConvertSamples(bytes, SampleEncoding::Signed16, 1, kind.encoding,
                   image.data() + builder.DataTagOffset() + 8 + i * width);
  }
  return image;
}

// The samples of a recording at 16-bit scale, as doubles.
std::vector<double> Samples(const Bytes& image) {
  const WaveFormat format = test::FormatOf(image);
  const int count = static_cast<int>((format.DataEnd - format.DataStart()) /
                                     BytesPerSample(format.Encoding));
  std::vector<double> values(static_cast<size_t>(count));
  DecodeRun(image.data() + format.DataStart(), BytesPerSample(format.Encoding), count,
            format.Encoding, values.data());
  // Integers by whole bits, float at full scale: as the conversions move
  // values between them.
  double scale = 1.0;
  if (format.Encoding == SampleEncoding::Signed24) scale = 1.0 / 256;
  if (format.Encoding == SampleEncoding::Signed32) scale = 1.0 / 65536;
  if (format.Encoding == SampleEncoding::Float32) scale = 32768.0;
  for (double& v : values) v *= scale;
  return values;
}

Bytes Masked(const Bytes& image, MaskKind kind, const MaskSettings& settings,
             test::MemoryFiles& files) {
  WavDocument document;
  document.Image = image;
  document.Format = test::FormatOf(image);
  document.LengthMs = 1000;
  UndoRecord undo;
  TwiddleTables tables;
  EXPECT_EQ(RunMask(kind, SampleRange{100, 900}, settings, document, undo, files, tables),
            MaskOutcome::Applied);
  // Everything outside the range is as it was; Undo gives the file back.
  Bytes masked = document.Image.ToVector();
  EXPECT_TRUE(ExchangeUndoBytes(document.Image, undo));
  EXPECT_TRUE(document.Image == image);
  return masked;
}

struct Job {
  const char* name;
  MaskKind kind;
  MaskSettings settings;
  double tolerance;  // of a sample against the 16-bit result, at 16-bit scale
};

std::vector<Job> Jobs() {
  MaskSettings tone;
  MaskSettings simple;
  simple.VoicePitch = 1.5;
  simple.VoiceSample = 20;
  MaskSettings fft;
  fft.PitchUpType = 1;
  fft.FFTSample = 1;
  fft.VoicePitch = 0.8;
  MaskSettings file;
  file.OverWriteFilePath = "source.wav";
  file.OverWriteType = 1;
  // The tone is drawn at each format's own full scale, a little above
  // 32767 x 2^n.
  return {{"tone", MaskKind::Sine, tone, 2.0},
          {"simple", MaskKind::VoiceChange, simple, 1.0},
          {"fft", MaskKind::VoiceChange, fft, 1.0},
          {"file", MaskKind::FileOverwrite, file, 1.0}};
}

// Every mask does to each format what it does to 16-bit samples: the same
// values within a 16-bit step (G.711 within its own step), the extensible
// 16-bit header the very same bytes; nothing outside the range changes.
TEST(Formats, EveryMaskTreatsEachFormatAsItsSixteenBitSamples) {
  test::MemoryFiles files;
  files.files["source.wav"] = Recording(kKinds[1], 1);  // 24-bit: converted for all
  for (int channels : {1, 2}) {
    const Bytes plain = Recording(kSixteen, channels);
    for (const Job& job : Jobs()) {
      const std::vector<double> expected = Samples(Masked(plain, job.kind, job.settings, files));
      for (const Kind& kind : kKinds) {
        SCOPED_TRACE(testing::Message() << job.name << ", " << kind.name << ", " << channels
                                        << " ch");
        const Bytes image = Recording(kind, channels);
        const Bytes masked = Masked(image, job.kind, job.settings, files);
        const WaveFormat format = test::FormatOf(image);
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + format.DataStart(), masked.begin()));
        if (kind.encoding == SampleEncoding::Signed16) {
          EXPECT_TRUE(masked == Masked(plain, job.kind, job.settings, files) ||
                      std::equal(masked.begin() + format.DataStart(), masked.end(),
                                 Masked(plain, job.kind, job.settings, files).begin() + 44));
          continue;
        }
        const bool g711 =
            kind.encoding == SampleEncoding::MuLaw || kind.encoding == SampleEncoding::ALaw;
        const std::vector<double> got = Samples(masked);
        ASSERT_EQ(got.size(), expected.size());
        size_t off = 0;
        for (size_t i = 0; i < got.size(); ++i) {
          // G.711 keeps a 16th of a value, and the simple method's zero
          // crossings may fall elsewhere on its coarser values.
          const double allowed = g711 ? std::abs(expected[i]) / 8 + 64 : job.tolerance + 0.01;
          if (std::abs(got[i] - expected[i]) > allowed) ++off;
        }
        EXPECT_LE(off, g711 && job.kind == MaskKind::VoiceChange ? got.size() / 4 : 0u);
      }
    }
  }
}

// The tone's level is relative to full scale whatever the format: -6 dB
// is half of it.
TEST(Formats, ToneLevelIsRelativeToFullScale) {
  MaskSettings settings;
  settings.SinHz = 1000;
  settings.SindB = -6.0206;
  test::MemoryFiles files;
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const Bytes image = Recording(kind, 2);
    const std::vector<double> samples = Samples(Masked(image, MaskKind::Sine, settings, files));
    double peak = 0;
    for (size_t i = 2 * 800; i < 2 * 7200; ++i) peak = std::max(peak, std::abs(samples[i]));
    const bool g711 = kind.encoding == SampleEncoding::MuLaw || kind.encoding == SampleEncoding::ALaw;
    EXPECT_NEAR(peak / 32767, 0.5, g711 ? 0.03 : 0.01);
  }
  // A 24-bit period is whole samples as well as even.
  EXPECT_EQ(SinePeriodBytes(test::FormatOf(Recording(kKinds[1], 2)), 1000), 48);
  EXPECT_EQ(SinePeriodBytes(test::FormatOf(Recording(kKinds[1], 1)), 1100), 18);
}

}  // namespace
}  // namespace belmo
