#include "numtext/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace belmo {
namespace {

struct ToTextCase {
  double value;
  const char* text;
};

TEST(NumberToText, WritesFifteenSignificantDigitsInFixedOrExponentForm) {
  const ToTextCase cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.0, "1"},
      {-2.5, "-2.5"},
      {0.1, "0.1"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {1000.0 / 3, "333.333333333333"},
      {44100.0, "44100"},
      {1000.0, "1000"},
      {-10.0, "-10"},
      {0.0001, "0.0001"},
      {0.00012345, "0.00012345"},
      {0.00001, "1.00000000000000e-05"},
      {-1e-10, "-1.00000000000000e-10"},
      {1e-100, "1.00000000000000e-100"},
      {123456789012345.0, "123456789012345"},  // fifteen digits, no point left
      {999999999999999.0, "1.00000000000000e+015"},  // at the upper scaling bound
      {1e15, "1.00000000000000e+015"},
      {1e16, "1.00000000000000e+016"},
      {1e100, "1.00000000000000e+100"},
      {123456789012345678.0, "1.23456789012346e+017"},
      {9.999999999999998, "10"},  // rounding carries into a leading zero digit
      {std::numeric_limits<double>::max(), "1.79769313486232e+308"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247e-324"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NumberToText(c.value), c.text) << "value " << c.value;
  }
}

TEST(NumberToText, NonFiniteValuesReturnInsteadOfLooping) {
  EXPECT_EQ(NumberToText(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(NumberToText(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(NumberToText(std::numeric_limits<double>::quiet_NaN()), "nan");
}

struct FromTextCase {
  const char* text;
  double value;
};

TEST(TextToNumber, ReadsDecimalHexadecimalAndOctalText) {
  const FromTextCase cases[] = {
      {"", 0},
      {"12.5", 12.5},
      {"-0.75", -0.75},
      {".5", 0.5},
      {"-.5", -0.5},
      {"3.", 3},
      {"1.2.3", 1.2},
      {"12abc", 12},
      {" 5", 0},
      {"+5", 0},
      {"abc", 0},
      {"-", 0},
      {"1.00000000000000e-05", 1},
      {"1.5e3", 1.5},
      {"44100", 44100},
      {"0.1", 0.1},
      {"&HFF", 255},
      {"&hff", 255},
      {"&O17", 15},
      {"&o17", 15},
      {"&O18", 1},
      {"&O37777777777", -1},
      {"&HFFFFFFFF", -1},
      {"&H7FFFFFFF", 2147483647},
      {"&H80000000", -2147483648.0},
      {"&H100000000", 0},
      {"&H1FFFFFFFF", -1},
      {"&H1G", 1},
      {"&H-1", 0},
      {"&X1", 0},
      {"&H", 0},
      {"&", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToNumber(c.text), c.value) << "text \"" << c.text << "\"";
  }
}

TEST(TextToNumber, LongDigitRunsStayDefined) {
  EXPECT_EQ(TextToNumber("1" + std::string(400, '0')), std::numeric_limits<double>::infinity());
  // Leading zeros past the double range must not turn the value into NaN.
  EXPECT_EQ(TextToNumber(std::string(400, '0') + "5"), 5);
  EXPECT_NEAR(TextToNumber("0." + std::string(1000, '1')), 1.0 / 9, 1e-15);
  EXPECT_EQ(TextToNumber("&H" + std::string(1000, 'F')), -1);
  EXPECT_EQ(TextToNumber("&O" + std::string(1000, '7')), -1);
}

TEST(FindText, FindsOneBasedPositions) {
  EXPECT_EQ(FindText(1, "abcabc", "c"), 3);
  EXPECT_EQ(FindText(4, "abcabc", "c"), 6);
  EXPECT_EQ(FindText(6, "abcabc", "c"), 6);
  EXPECT_EQ(FindText(7, "abcabc", "c"), 0);
  EXPECT_EQ(FindText(1, "abcabc", "ca"), 3);
  EXPECT_EQ(FindText(1, "abcabc", "C"), 0);
  EXPECT_EQ(FindText(1, "abc", "abcd"), 0);
  EXPECT_EQ(FindText(0, "abc", "a"), 0);
  EXPECT_EQ(FindText(-5, "abc", "a"), 0);
  EXPECT_EQ(FindText(1000, "abc", "a"), 0);
  EXPECT_EQ(FindText(2, "abc", ""), 2);
  EXPECT_EQ(FindText(-3, "abc", ""), -3);
}

TEST(SubText, CutsByOneBasedPositionAndLength) {
  EXPECT_EQ(SubText("abcdef", 3, 2), "cd");
  EXPECT_EQ(SubText("abcdef", 3, 0), "cdef");
  EXPECT_EQ(SubText("abcdef", 5, 10), "ef");
  EXPECT_EQ(SubText("abcdef", 1, 6), "abcdef");
  EXPECT_EQ(SubText("abcdef", 6, 1), "f");
  EXPECT_EQ(SubText("abcdef", 7, 1), "");
  EXPECT_EQ(SubText("abcdef", 0, 1), "");
  EXPECT_EQ(SubText("abcdef", 3, -1), "");
  EXPECT_EQ(SubText("", 1, 0), "");
}

TEST(RoundHalfEven, RoundsTiesToEvenAndClampsOutOfRange) {
  const struct {
    double value;
    int64_t rounded;
  } cases[] = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {3.5, 4},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {2.4999999999999996, 2},
      {2.5000000000000004, 3},
      {-1.0000000000000002, -1},
      {4503599627370497.0, 4503599627370497},  // 2^52 + 1, already whole
      {std::nan(""), 0},
      {1e19, std::numeric_limits<int64_t>::max()},
      {9223372036854775808.0, std::numeric_limits<int64_t>::max()},
      {-1e19, std::numeric_limits<int64_t>::min()},
      {std::numeric_limits<double>::infinity(), std::numeric_limits<int64_t>::max()},
      {-std::numeric_limits<double>::infinity(), std::numeric_limits<int64_t>::min()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << "value " << c.value;
  }
}

}  // namespace
}  // namespace belmo
