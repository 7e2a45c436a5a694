#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "document/document_texts.h"
#include "document/wave_format.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using test::WaveBuilder;

std::vector<uint8_t> Canonical() { return WaveBuilder().Build(); }

std::vector<uint8_t> With(std::vector<uint8_t> image, size_t offset, const std::string& bytes) {
  test::Poke(image, offset, bytes);
  return image;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> image, size_t size) {
  image.resize(size);
  return image;
}

struct CheckCase {
  const char* name;
  std::vector<uint8_t> image;
  WaveCheck expected;
  int32_t dataTagOffset;  // checked when expected is Ok
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class InspectTest : public testing::TestWithParam<CheckCase> {};

TEST_P(InspectTest, ClassifiesAndFindsFirstDataTag) {
  const CheckCase& c = GetParam();
  WaveFormat fields;
  ASSERT_EQ(InspectWaveImage(c.image.data(), c.image.size(), &fields), c.expected);
  if (c.expected == WaveCheck::Ok) {
    EXPECT_EQ(fields.DataTagOffset, c.dataTagOffset);
  }
}

const size_t kEnd = 44 + 12;  // size of WaveBuilder().SampleBytes(12)

INSTANTIATE_TEST_SUITE_P(
    Images, InspectTest,
    testing::Values(
        CheckCase{"Canonical", Canonical(), WaveCheck::Ok, 36},
        // Only "WAVE" and the format fields matter, not the chunk identifiers.
        CheckCase{"NoRiffId", With(Canonical(), 0, "JUNK"), WaveCheck::Ok, 36},
        CheckCase{"NoFmtId", With(Canonical(), 12, "xxxx"), WaveCheck::Ok, 36},
        CheckCase{"LowerCaseWave", With(Canonical(), 8, "wave"), WaveCheck::NotPcm, 0},
        CheckCase{"Rf64", With(Canonical(), 0, "RF64"), WaveCheck::Rf64, 0},
        CheckCase{"Bw64", With(Canonical(), 0, "BW64"), WaveCheck::Rf64, 0},

        // The formats the masks read, in the plain and the extensible header.
        CheckCase{"Bits24", WaveBuilder().Bits(24).Build(), WaveCheck::Ok, 36},
        CheckCase{"Bits32", WaveBuilder().Bits(32).Build(), WaveCheck::Ok, 36},
        CheckCase{"Float32", WaveBuilder().FormatTag(3).Bits(32).Build(), WaveCheck::Ok, 36},
        CheckCase{"MuLaw", WaveBuilder().FormatTag(7).Bits(8).Build(), WaveCheck::Ok, 36},
        CheckCase{"ALaw", WaveBuilder().FormatTag(6).Bits(8).Build(), WaveCheck::Ok, 36},
        CheckCase{"Extensible16", WaveBuilder().Extensible(1, 16).Build(), WaveCheck::Ok, 60},
        CheckCase{"Extensible20In24", WaveBuilder().Bits(24).Extensible(1, 20).Build(),
                  WaveCheck::Ok, 60},
        CheckCase{"ExtensibleFloat", WaveBuilder().Bits(32).Extensible(3, 32).Build(),
                  WaveCheck::Ok, 60},
        CheckCase{"ExtensibleOtherSubformat", WaveBuilder().Extensible(0x55, 16).Build(),
                  WaveCheck::Compressed, 0},
        CheckCase{"ExtensibleValidAboveContainer", WaveBuilder().Extensible(1, 20).Build(),
                  WaveCheck::UnsupportedFormat, 0},
        // Broadcast WAVE: the format chunk after "bext" and "JUNK", whose text
        // may well say "data".
        CheckCase{"BroadcastWave",
                  WaveBuilder().Bits(24).Before("bext", "Interview, metadata").Before("JUNK",
                                                                                   "pad").Build(),
                  WaveCheck::Ok, 36 + 28 + 12},

        CheckCase{"Adpcm", WaveBuilder().FormatTag(0x11).Bits(4).Build(), WaveCheck::Compressed, 0},
        CheckCase{"TagHighByteSet", WaveBuilder().FormatTag(0x0101).Build(), WaveCheck::Compressed,
                  0},
        CheckCase{"Float16", WaveBuilder().FormatTag(3).Build(), WaveCheck::UnsupportedFormat, 0},
        CheckCase{"MuLaw16", WaveBuilder().FormatTag(7).Build(), WaveCheck::UnsupportedFormat, 0},

        CheckCase{"Empty", {}, WaveCheck::TooShort, 0},
        CheckCase{"TenBytes", Cut(Canonical(), 10), WaveCheck::TooShort, 0},
        CheckCase{"ThirtyFiveBytes", Cut(Canonical(), 35), WaveCheck::TooShort, 0},
        // From 22 bytes on the form type's verdict comes first; below, the
        // file is simply too short.
        CheckCase{"ShortAndNotWave", With(Cut(Canonical(), 35), 8, "AVI "), WaveCheck::NotPcm, 0},
        CheckCase{"NotWaveBelow22", With(Cut(Canonical(), 21), 8, "AVI "), WaveCheck::TooShort, 0},

        CheckCase{"Bits12", WaveBuilder().Bits(12).Build(), WaveCheck::UnsupportedFormat, 0},
        CheckCase{"Channels3", WaveBuilder().Channels(3).Build(), WaveCheck::UnsupportedFormat, 0},
        CheckCase{"Channels257", WaveBuilder().Channels(257).Build(), WaveCheck::UnsupportedFormat,
                  0},
        CheckCase{"Rate0", WaveBuilder().SampleRate(0).Build(), WaveCheck::UnsupportedFormat, 0},
        CheckCase{"RateMillion", WaveBuilder().SampleRate(1000000).Build(), WaveCheck::Ok, 36},
        CheckCase{"RateAboveMillion", WaveBuilder().SampleRate(1000001).Build(),
                  WaveCheck::UnsupportedFormat, 0},
        CheckCase{"RateHighBytesRead", WaveBuilder().SampleRate(0x80001F40u).Build(),
                  WaveCheck::UnsupportedFormat, 0},

        // The data chunk is the one the chunks lead to, not a "data" in the
        // text of an earlier chunk: the masks would rewrite that text.
        CheckCase{"DataTextInList", WaveBuilder().Chunk("LIST", "INFOmetadata").Build(),
                  WaveCheck::Ok, 56},
        CheckCase{"DataTextAtOddOffset", WaveBuilder().Chunk("LIST", "Xdata").Build(),
                  WaveCheck::Ok, 50},
        CheckCase{"AfterOtherChunk", WaveBuilder().Chunk("fact", "abcd").Build(), WaveCheck::Ok,
                  48},
        CheckCase{"ByteRateSpellsData", With(Canonical(), 28, "data"), WaveCheck::Ok, 36},
        CheckCase{"DataAtOne", With(Canonical(), 1, "data"), WaveCheck::Ok, 36},
        // Chunks that cannot be walked to the data: the first "data" from
        // offset 1 on, where a canonical file has it or anywhere after.
        CheckCase{"UnwalkableFindsFirstTag",
                  With(With(Canonical(), 16, "\xFF\xFF\xFF\x7F"), 1, "data"), WaveCheck::Ok, 1},

        CheckCase{"NoDataAnywhere", With(Canonical(), 36, "DATA"), WaveCheck::NoDataTag, 0},
        CheckCase{"HeaderOnly", Cut(Canonical(), 36), WaveCheck::NoDataTag, 0},
        // The tag counts only with its 4-byte length field inside the image.
        CheckCase{"TagWithoutLength", Cut(WaveBuilder().SampleBytes(0).Build(), 43),
                  WaveCheck::NoDataTag, 0},
        CheckCase{"LateTagSevenFromEnd",
                  With(With(WaveBuilder().SampleBytes(12).Build(), 36, "DATA"), kEnd - 7, "data"),
                  WaveCheck::NoDataTag, 0},
        CheckCase{"LateTagEightFromEnd",
                  With(With(WaveBuilder().SampleBytes(12).Build(), 36, "DATA"), kEnd - 8, "data"),
                  WaveCheck::Ok, static_cast<int32_t>(kEnd - 8)}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(InspectWaveImage, ReadsTheFormatChunkWhereverItStands) {
  struct Case {
    const char* name;
    std::vector<uint8_t> image;
    SampleEncoding encoding;
    uint16_t tag;
    uint16_t channels, bits;
    uint32_t rate;
  };
  const Case cases[] = {
      {"broadcast 24-bit", WaveBuilder().Before("bext", "x").Channels(2).SampleRate(48000).Bits(24).Build(),
       SampleEncoding::Signed24, 1, 2, 24, 48000},
      {"extensible float", WaveBuilder().Bits(32).Extensible(3, 32).SampleRate(96000).Build(),
       SampleEncoding::Float32, 0xFFFE, 1, 32, 96000},
      {"extensible 16-bit", WaveBuilder().Channels(2).Extensible(1, 16).Build(),
       SampleEncoding::Signed16, 0xFFFE, 2, 16, 8000},
      {"telephone", WaveBuilder().FormatTag(7).Bits(8).Build(), SampleEncoding::MuLaw, 7, 1, 8,
       8000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WaveFormat format;
    ASSERT_EQ(InspectWaveImage(c.image.data(), c.image.size(), &format), WaveCheck::Ok);
    EXPECT_EQ(format.Encoding, c.encoding);
    EXPECT_EQ(format.FormatTag, c.tag);
    EXPECT_EQ(format.Channels, c.channels);
    EXPECT_EQ(format.BitsPerSample, c.bits);
    EXPECT_EQ(format.SampleRate, c.rate);
  }
}

// Where the samples end decides which bytes a mask may touch and how long
// the recording is; the reader and the length must agree on it.
TEST(InspectWaveImage, DataEndsWhereTheChunkSaysOrAtTheEndOfAnUnfinishedFile) {
  const std::string allOnes("\xFF\xFF\xFF\xFF", 4);
  const std::string zero("\0\0\0\0", 4);
  struct Case {
    const char* name;
    size_t samples;
    std::string declared;  // poked over the data chunk's size; empty keeps it
    bool titleAfter;
    size_t expectedSamples;
  };
  const Case cases[] = {
      {"finished, title after", 800, "", true, 800},
      {"unfinished (size 0)", 800, zero, false, 800},
      {"unfinished (all ones)", 800, allOnes, false, 800},
      {"finished without samples, title after", 0, "", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WaveBuilder builder = WaveBuilder().SampleRate(8000).Bits(8).SampleBytes(c.samples);
    if (c.titleAfter) builder.After("LIST", "INFOINAM\x04\0\0\0Name");
    std::vector<uint8_t> image = builder.Build();
    if (!c.declared.empty()) test::Poke(image, builder.DataTagOffset() + 4, c.declared);
    WaveFormat format;
    ASSERT_EQ(InspectWaveImage(image.data(), image.size(), &format), WaveCheck::Ok);
    EXPECT_EQ(format.DataEnd - format.DataStart(), static_cast<int64_t>(c.expectedSamples));
    EXPECT_EQ(LengthMsByChunks(image.data(), image.size(), format),
              static_cast<int64_t>(c.expectedSamples) * 1000 / 8000);
  }
}

// A refusal says what the file is, in words, and what to make of it.
TEST(LoadRefusalText, NamesTheFormat) {
  struct Case {
    std::vector<uint8_t> image;
    const char* text;
  };
  const Case cases[] = {
      {WaveBuilder().Bits(24).Channels(6).Build(),
       "24ビット・6チャンネルのファイルには対応していません。モノラルかステレオに変換してください。"},
      {WaveBuilder().Bits(32).Extensible(3, 32).Channels(4).Build(),
       "32ビット浮動小数点・4チャンネルのファイルには対応していません。モノラルかステレオに変換してください。"},
      {WaveBuilder().Bits(12).Build(),
       "12ビットのPCM形式には対応していません。16ビットか24ビットのPCM形式、または32ビット浮動小数点形式に変換してください。"},
      {WaveBuilder().FormatTag(0x55).Build(),
       "MP3形式のWAVEファイルには対応していません。音声編集ソフトなどで、PCM形式（非圧縮）に変換してから開いてください。"},
      {WaveBuilder().FormatTag(0x1234).Build(),
       "圧縮された形式のWAVEファイルには対応していません。音声編集ソフトなどで、PCM形式（非圧縮）に変換してから開いてください。"},
  };
  for (const Case& c : cases) {
    WaveFormat format;
    FormatClaim claim;
    const WaveCheck check = InspectWaveImage(c.image.data(), c.image.size(), &format, &claim);
    EXPECT_EQ(LoadRefusalText(LoadOutcomeOf(check), claim), c.text);
  }
}

TEST(InspectWaveImage, SizeBeyondInt32IsTooLarge) {
  if constexpr (sizeof(size_t) > 4) {
    // Only the header is real: the size must be refused before anything past
    // the header is read.
    const std::vector<uint8_t> image = Canonical();
    const size_t claimed = static_cast<size_t>(std::numeric_limits<int32_t>::max()) + 1;
    WaveFormat fields;
    EXPECT_EQ(InspectWaveImage(image.data(), claimed, &fields), WaveCheck::TooLarge);
  }
}

}  // namespace
}  // namespace belmo
