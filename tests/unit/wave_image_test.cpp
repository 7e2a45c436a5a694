#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>
#include <vector>

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
        CheckCase{"FloatTag", WaveBuilder().FormatTag(3).Build(), WaveCheck::NotPcm, 0},
        CheckCase{"TagHighByteSet", WaveBuilder().FormatTag(0x0101).Build(), WaveCheck::NotPcm, 0},

        CheckCase{"Empty", {}, WaveCheck::TooShort, 0},
        CheckCase{"TenBytes", Cut(Canonical(), 10), WaveCheck::TooShort, 0},
        CheckCase{"ThirtyFiveBytes", Cut(Canonical(), 35), WaveCheck::TooShort, 0},
        // From 22 bytes on the format verdict comes first; below, the tag
        // cannot be read at all.
        CheckCase{"ShortAndNotWave", With(Cut(Canonical(), 35), 8, "AVI "), WaveCheck::NotPcm, 0},
        CheckCase{"NotWaveBelow22", With(Cut(Canonical(), 21), 8, "AVI "), WaveCheck::TooShort, 0},

        CheckCase{"Bits24", WaveBuilder().Bits(24).Build(), WaveCheck::UnsupportedFormat, 0},
        CheckCase{"Channels3", WaveBuilder().Channels(3).Build(), WaveCheck::UnsupportedFormat, 0},
        // Only the low byte of the channel count is read: 257 reads as 1.
        CheckCase{"Channels257", WaveBuilder().Channels(257).Build(), WaveCheck::Ok, 36},
        CheckCase{"Rate0", WaveBuilder().SampleRate(0).Build(), WaveCheck::UnsupportedFormat, 0},
        CheckCase{"RateMillion", WaveBuilder().SampleRate(1000000).Build(), WaveCheck::Ok, 36},
        CheckCase{"RateAboveMillion", WaveBuilder().SampleRate(1000001).Build(),
                  WaveCheck::UnsupportedFormat, 0},
        CheckCase{"RateHighBytesRead", WaveBuilder().SampleRate(0x80001F40u).Build(),
                  WaveCheck::UnsupportedFormat, 0},

        // LIST payload starts at 44; "INFOmetadata" puts the tag at 52.
        CheckCase{"InsideList", WaveBuilder().Chunk("LIST", "INFOmetadata").Build(),
                  WaveCheck::Ok, 52},
        // An odd offset catches a scan that steps by more than one byte.
        CheckCase{"OddOffsetInList", WaveBuilder().Chunk("LIST", "Xdata").Build(), WaveCheck::Ok,
                  45},
        CheckCase{"AfterOtherChunk", WaveBuilder().Chunk("fact", "abcd").Build(), WaveCheck::Ok,
                  48},
        // The byte rate is never checked, so it may spell the tag.
        CheckCase{"InsideFormatChunk", With(Canonical(), 28, "data"), WaveCheck::Ok, 28},
        // Offset 0 is never examined, offset 1 is.
        CheckCase{"AtZeroIgnored", With(Canonical(), 0, "data"), WaveCheck::Ok, 36},
        CheckCase{"AtOne", With(Canonical(), 1, "data"), WaveCheck::Ok, 1},

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

TEST(InspectWaveImage, ReadsFieldsAtFixedOffsets) {
  // The high bytes of the channel count and the bit depth are not part of it.
  const std::vector<uint8_t> image =
      With(With(WaveBuilder().Channels(2).SampleRate(44100).Bits(8).Build(), 23, "\x7F"), 35,
           "\x7F");
  WaveFormat fields;
  ASSERT_EQ(InspectWaveImage(image.data(), image.size(), &fields), WaveCheck::Ok);
  EXPECT_EQ(fields.Channels, 2);
  EXPECT_EQ(fields.SampleRate, 44100u);
  EXPECT_EQ(fields.BitsPerSample, 8);
  EXPECT_EQ(fields.Encoding, SampleEncoding::Unsigned8);
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
