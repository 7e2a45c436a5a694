#include "cli/cli_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace belmo {
namespace {

// Junk after a number, a second point, a comma for the point, a word
// where a number goes: each once read as some other number (or as 0) and
// masked without a word.
TEST(CliValues, NumbersAreTheWholeTextOrNothing) {
  struct Case {
    const char* text;
    bool read;
    double value;
  };
  const Case cases[] = {
      {"440", true, 440},    {"-10", true, -10},     {"+3", true, 3},       {".5", true, 0.5},
      {"2.", true, 2},       {"1.37", true, 1.37},   {"1e3", true, 1000},   {"2.5E-2", true, 0.025},
      {"-4e+1", true, -40},  {"1e-400", true, 0},    {"1,5", false, 0},     {"440Hz", false, 0},
      {"1.2.3", false, 0},   {"", false, 0},         {".", false, 0},       {"-", false, 0},
      {"e5", false, 0},      {"1e", false, 0},       {"1e+", false, 0},     {"nan", false, 0},
      {"inf", false, 0},     {"1e999", false, 0},    {" 1", false, 0},      {"1 ", false, 0},
      {"&H1B8", false, 0},   {"--5", false, 0},      {"0x10", false, 0},
  };
  for (const Case& c : cases) {
    double value = -123;
    EXPECT_EQ(ReadNumber(c.text, &value), c.read) << c.text;
    if (c.read) {
      EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
  }
  // Plain decimals are the program's own number text, bit for bit, so an
  // invocation that worked before keeps its output.
  double value = 0;
  ASSERT_TRUE(ReadNumber("0.1234567890123", &value));
  EXPECT_EQ(value, 0.1234567890123);
}

TEST(CliValues, TimesInSecondsMinutesOrHours) {
  struct Case {
    const char* text;
    bool read;
    int64_t ms;
  };
  const Case cases[] = {
      {"83.5", true, 83500},          {"1:23.5", true, 83500},       {"1:01:23.5", true, 3683500},
      {"0:00:00.25", true, 250},      {".2", true, 200},             {"12:00", true, 720000},
      {"90:00", true, 5400000},       {"1.2345", true, 1234},
      {"1:23.", true, 83000},         {"59.9996", true, 60000},      {"1:59.9996", true, 120000},
      {"1:59.9994", true, 119999},    {"1:00:59.9996", true, 3660000},         {"-1", false, 0},              {"1e3", false, 0},
      {"abc", false, 0},              {"1:5", false, 0},             {"1:60", false, 0},
      {"1:1:05", false, 0},           {"1:75:00", false, 0},         {"1:02:03:04", false, 0},
      {":30", false, 0},              {"1:", false, 0},              {"1:.5", false, 0},
      {"1:23.5.1", false, 0},         {"+5", false, 0},              {"", false, 0},
  };
  for (const Case& c : cases) {
    int64_t ms = -1;
    EXPECT_EQ(ReadTime(c.text, &ms), c.read) << c.text;
    if (c.read) {
      EXPECT_EQ(ms, c.ms) << c.text;
    }
  }
  // Far past any recording, still a number the range check refuses.
  for (const std::string& far : {std::string(400, '9') + ":00:00", std::string(400, '9')}) {
    int64_t ms = 0;
    ASSERT_TRUE(ReadTime(far, &ms));
    EXPECT_GT(ms, int64_t{std::numeric_limits<int32_t>::max()});
  }
}

// Label files as audio editors export them (tab separated, a frequency
// line under a label), CSV with a heading and quoted fields, comments,
// CR LF line ends, a byte order mark.
TEST(CliValues, RangesFilesAsEditorsAndRecognisersWriteThem) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::pair<int64_t, int64_t>> ranges;  // empty: refused
    int badLine;
  };
  const Case cases[] = {
      {"labels", "1.500000\t2.250000\tTanaka\n\\\t100.0\t3000.0\n3.000000\t3.500000\t\n",
       {{1500, 2250}, {3000, 3500}}, 0},
      {"csv with heading", "\xEF\xBB\xBFstart,end,word\r\n0.1,0.2,\"Tanaka, Jiro\"\r\n"
                           "\"1:02.5\",\"1:03\",x\r\n",
       {{100, 200}, {62500, 63000}}, 0},
      {"blanks and comments", "# names\n\n  0.5   0.75  first name\n1 , 2\n",
       {{500, 750}, {1000, 2000}}, 0},
      {"heading only first", "0.1,0.2\nstart,end\n", {}, 2},
      {"heading after a comment", "# exported\nstart\tend\n0.1\t0.2\n", {{100, 200}}, 0},
      {"japanese heading", "\xE9\x96\x8B\xE5\xA7\x8B\t\xE7\xB5\x82\xE4\xBA\x86\n0.1\t0.2\n",
       {{100, 200}}, 0},
      {"first time mistyped", "l.5\t2\n3\t4\n", {}, 1},
      {"one time", "0.1\n", {}, 1},
      {"junk after end", "0.1 0.2x\n", {}, 1},
      {"two commas", "0.1,,0.2\n", {}, 1},
      {"comma first", ",0.1,0.2\n", {}, 1},
      {"bad time later", "0.1\t0.2\n0:1\t0:2\n", {}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ListedRange> ranges;
    int badLine = 0;
    const bool read = ReadRangesText(c.text, &ranges, &badLine);
    EXPECT_EQ(read, c.badLine == 0);
    if (!read) {
      EXPECT_EQ(badLine, c.badLine);
      continue;
    }
    ASSERT_EQ(ranges.size(), c.ranges.size());
    for (size_t i = 0; i < ranges.size(); ++i) {
      EXPECT_EQ(ranges[i].start, c.ranges[i].first);
      EXPECT_EQ(ranges[i].end, c.ranges[i].second);
    }
  }
  std::vector<ListedRange> ranges;
  int badLine = 0;
  ASSERT_TRUE(ReadRangesText("# a\n\n0.1\t0.2\n\n0.3\t0.4\n", &ranges, &badLine));
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_EQ(ranges[1].line, 5);
  // The labels are a transcript's words when the file is read as one.
  ranges.clear();
  ASSERT_TRUE(ReadRangesText("0.1\t0.2\tTanaka Taro \r\n\"0.3\",\"0.4\",\"a, b\"\n0.5 0.6\n", &ranges,
                             &badLine));
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[0].label, "Tanaka Taro");
  EXPECT_EQ(ranges[1].label, "a, b");
  EXPECT_EQ(ranges[2].label, "");
}

TEST(CliValues, OverlappingAndTouchingRangesMerge) {
  const std::vector<SampleRange> merged =
      MergeRanges({{900, 1000}, {100, 200}, {150, 300}, {300, 400}, {120, 130}, {401, 500}});
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(merged[0].start, 100u);
  EXPECT_EQ(merged[0].end, 400u);
  EXPECT_EQ(merged[1].start, 401u);
  EXPECT_EQ(merged[1].end, 500u);
  EXPECT_EQ(merged[2].start, 900u);
  EXPECT_EQ(merged[2].end, 1000u);
  ListedRange range;
  EXPECT_TRUE(ReadRangeArgument("1:02-1:04.5", &range));
  EXPECT_EQ(range.start, 62000);
  EXPECT_EQ(range.end, 64500);
  EXPECT_FALSE(ReadRangeArgument("1-2-3", &range));
  EXPECT_FALSE(ReadRangeArgument("1.5", &range));
}

}  // namespace
}  // namespace belmo
