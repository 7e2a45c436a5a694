#include "document/sample_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

// Values of ITU-T G.711's tables: a code, its linear value (16-bit scale),
// and the code a linear value is given.
TEST(G711, DecodesAndEncodesTheStandardsValues) {
  struct Code {
    uint8_t code;
    int16_t linear;
  };
  for (const Code& c : {Code{0xFF, 0}, Code{0x7F, 0}, Code{0x80, 32124}, Code{0x00, -32124},
                        Code{0xF0, 120}, Code{0x70, -120}, Code{0xEF, 132}, Code{0x9F, 8316}}) {
    EXPECT_EQ(DecodeMuLaw(c.code), c.linear) << std::hex << int{c.code};
  }
  for (const Code& c : {Code{0xD5, 8}, Code{0x55, -8}, Code{0xAA, 32256}, Code{0x2A, -32256},
                        Code{0xD4, 24}, Code{0xC5, 264}, Code{0xA5, 16896}}) {
    EXPECT_EQ(DecodeALaw(c.code), c.linear) << std::hex << int{c.code};
  }
  EXPECT_EQ(EncodeMuLaw(0), 0xFF);
  EXPECT_EQ(EncodeMuLaw(32767), 0x80);
  EXPECT_EQ(EncodeMuLaw(-32768), 0x00);
  EXPECT_EQ(EncodeMuLaw(-1), 0x7F);
  EXPECT_EQ(EncodeALaw(0), 0xD5);
  EXPECT_EQ(EncodeALaw(-1), 0x55);
  EXPECT_EQ(EncodeALaw(32767), 0xAA);
  EXPECT_EQ(EncodeALaw(-32768), 0x2A);
  // Every code comes back from its own value, except mu-law's negative
  // zero, which is the positive one.
  for (int code = 0; code < 256; ++code) {
    const auto c = static_cast<uint8_t>(code);
    EXPECT_EQ(EncodeALaw(DecodeALaw(c)), c);
    EXPECT_EQ(EncodeMuLaw(DecodeMuLaw(c)), c == 0x7F ? 0xFF : c);
  }
  // A louder value never gets a quieter code, and each lands within the
  // step of its segment (a sixteenth of its size, and more near zero).
  int lastMu = -32768, lastA = -32768;
  for (int linear = -32768; linear < 32768; ++linear) {
    const int mu = DecodeMuLaw(EncodeMuLaw(linear));
    const int a = DecodeALaw(EncodeALaw(linear));
    ASSERT_GE(mu, lastMu) << linear;
    ASSERT_GE(a, lastA) << linear;
    lastMu = mu;
    lastA = a;
    const int clipped = std::min(std::max(linear, -32124), 32124);
    ASSERT_LE(std::abs(mu - clipped), std::abs(linear) / 16 + 16) << linear;
    ASSERT_LE(std::abs(a - std::min(std::max(linear, -32256), 32256)), std::abs(linear) / 16 + 16)
        << linear;
  }
}

// Conversions of the overwrite source, both ways between every pair the
// program reads: integers move by whole bits, float is the value at full
// scale, G.711 goes through its linear value.
TEST(ConvertSamples, BetweenEveryEncoding) {
  struct Case {
    SampleEncoding from;
    Bytes in;
    SampleEncoding to;
    Bytes out;
  };
  using E = SampleEncoding;
  const Case cases[] = {
      {E::Unsigned8, {0x00, 0xFF}, E::Signed16, {0x00, 0x80, 0x00, 0x7F}},
      {E::Signed16, {0x34, 0x92, 0xFF, 0x7F}, E::Unsigned8, {0x12, 0xFF}},
      {E::Signed16, {0x34, 0x92}, E::Signed24, {0x00, 0x34, 0x92}},
      {E::Signed24, {0x56, 0x34, 0x92}, E::Signed16, {0x34, 0x92}},
      {E::Signed24, {0x56, 0x34, 0x92}, E::Signed32, {0x00, 0x56, 0x34, 0x92}},
      {E::Signed32, {0x78, 0x56, 0x34, 0x92}, E::Signed24, {0x56, 0x34, 0x92}},
      {E::Unsigned8, {0x80}, E::Signed24, {0x00, 0x00, 0x00}},
      // -0.5 and 1.0 (clipped to the largest value)
      {E::Float32, {0x00, 0x00, 0x00, 0xBF, 0x00, 0x00, 0x80, 0x3F}, E::Signed16,
       {0x00, 0xC0, 0xFF, 0x7F}},
      {E::Signed16, {0x00, 0xC0}, E::Float32, {0x00, 0x00, 0x00, 0xBF}},
      {E::Signed24, {0x00, 0x00, 0x40}, E::Float32, {0x00, 0x00, 0x00, 0x3F}},
      {E::MuLaw, {0x80}, E::Signed16, {0x7C, 0x7D}},
      {E::Signed16, {0x7C, 0x7D}, E::MuLaw, {0x80}},
      {E::ALaw, {0xD5}, E::Unsigned8, {0x80}},
      {E::Unsigned8, {0x00}, E::ALaw, {0x2A}},
      {E::MuLaw, {0xFF, 0x00}, E::ALaw, {0xD5, 0x2A}},
      {E::Float32, {0x00, 0x00, 0xC0, 0x7F}, E::Signed24, {0x00, 0x00, 0x00}},  // NaN
  };
  for (const Case& c : cases) {
    const int inWidth = BytesPerSample(c.from);
    Bytes out(c.out.size() + 1, 0xEE);
    ConvertSamples(c.in.data(), c.from, static_cast<int64_t>(c.in.size()) / inWidth, c.to,
                   out.data());
    EXPECT_EQ(Bytes(out.begin(), out.end() - 1), c.out)
        << static_cast<int>(c.from) << " to " << static_cast<int>(c.to);
    EXPECT_EQ(out.back(), 0xEE);
  }
}

// What the masks write back: rounded and clipped symmetrically for the
// integers, clipped and not rounded for float; silence of each encoding.
TEST(SampleCodec, WritesEachEncodingsValuesAndSilence) {
  const double values[] = {1e9, -1e9, 2.5, -0.4, std::nan("")};
  Bytes s24(15), f32(20), mu(5);
  EncodeRunRounded(values, 5, SampleEncoding::Signed24, s24.data(), 3);
  EXPECT_EQ(s24, (Bytes{0xFF, 0xFF, 0x7F, 0x01, 0x00, 0x80, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
  const double unit[] = {0.25, -3, 1.5, -0.125, std::nan("")};
  EncodeRunRounded(unit, 5, SampleEncoding::Float32, f32.data(), 4);
  double back[5];
  DecodeRun(f32.data(), 4, 5, SampleEncoding::Float32, back);
  EXPECT_EQ(back[0], 0.25);
  EXPECT_EQ(back[1], -1.0);
  EXPECT_EQ(back[2], 1.0);
  EXPECT_EQ(back[3], -0.125);
  EXPECT_EQ(back[4], 0.0);
  EncodeRunRounded(values, 5, SampleEncoding::MuLaw, mu.data(), 1);
  EXPECT_EQ(mu, (Bytes{0x80, 0x00, 0xFF, 0xFF, 0xFF}));

  Bytes silence(6, 0xEE);
  FillSilence(silence.data(), 6, SampleEncoding::MuLaw);
  EXPECT_EQ(silence, Bytes(6, 0xFF));
  FillSilence(silence.data(), 6, SampleEncoding::ALaw);
  EXPECT_EQ(silence, Bytes(6, 0xD5));
  FillSilence(silence.data(), 6, SampleEncoding::Signed24);
  EXPECT_EQ(silence, Bytes(6, 0x00));
  FillSilence(silence.data(), 6, SampleEncoding::Unsigned8);
  EXPECT_EQ(silence, Bytes(6, 0x80));
}

}  // namespace
}  // namespace belmo
