#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "app/command_line.h"

namespace belmo {
namespace {

struct ParseCase {
  const char* name;
  std::string_view commandLine;
  const char* program;
  int programLastBackslash;
  const char* file;
  int fileLastBackslash;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseCommandLineTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, SplitsProgramAndFile) {
  const ParseCase& c = GetParam();
  const CommandLineArgs args = ParseCommandLine(c.commandLine);
  EXPECT_EQ(args.Program, c.program);
  EXPECT_EQ(args.ProgramLastBackslash, c.programLastBackslash);
  EXPECT_EQ(args.File, c.file);
  EXPECT_EQ(args.FileLastBackslash, c.fileLastBackslash);
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Forms, ParseCommandLineTest,
    testing::Values(
        ParseCase{"BothQuotedWithBlanks", "\"C:\\a b\\belmo.exe\" \"C:\\x y\\f.wav\"",
                  "C:\\a b\\belmo.exe", 6, "C:\\x y\\f.wav", 6},
        ParseCase{"FileUnquoted", "\"C:\\p\\belmo.exe\" C:\\w\\d\\f.wav", "C:\\p\\belmo.exe", 4,
                  "C:\\w\\d\\f.wav", 6},
        ParseCase{"ProgramOnly", "\"C:\\p\\belmo.exe\"", "C:\\p\\belmo.exe", 4, "", -1},
        ParseCase{"ProgramOnlyTrailingBlank", "\"C:\\p\\belmo.exe\" ", "C:\\p\\belmo.exe", 4, "",
                  -1},
        // The second blank is a separator of its own: the file becomes
        // argument 2 and is dropped.
        ParseCase{"TwoBlanks", "\"C:\\p\\belmo.exe\"  \"C:\\f.wav\"", "C:\\p\\belmo.exe", 4, "",
                  -1},
        ParseCase{"NoBackslashes", "belmo.exe f.wav", "belmo.exe", -1, "f.wav", -1},
        ParseCase{"ThirdArgumentDropped", "\"p\" \"C:\\a.wav\" \"C:\\b\\c.wav\"", "p", -1,
                  "C:\\a.wav", 2},
        // A leading blank already separates: the quoted path is argument 1.
        ParseCase{"LeadingBlank", " \"C:\\p.exe\"", "", -1, "C:\\p.exe", 2},
        // A token that restarts inside the same argument overwrites it from
        // position 0, and the backslash seen earlier stays recorded.
        ParseCase{"RestartOverwrites", "\"a\\bc\" \" x\"", " xbc", 1, "", -1},
        ParseCase{"StopsAtZeroByte", "\"p\" f.wav\0ignored.wav"sv, "p", -1, "f.wav", -1},
        // Tabs are not separators.
        ParseCase{"TabIsData", "belmo.exe\tf.wav", "belmo.exe\tf.wav", -1, "", -1}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(ParseCommandLine, LongCommandLineStaysWithinPathBuffers) {
  // Only the first 260 bytes are read, and no argument exceeds 259 bytes.
  const std::string longQuoted = "\"" + std::string(300, 'a') + "\"";
  CommandLineArgs args = ParseCommandLine(longQuoted);
  EXPECT_EQ(args.Program, std::string(259, 'a'));
  EXPECT_EQ(args.File, "");

  args = ParseCommandLine(std::string(300, 'a'));
  EXPECT_EQ(args.Program, std::string(259, 'a'));

  // A backslash beyond byte 260 is never seen.
  std::string file(300, 'b');
  file[100] = '\\';
  file[270] = '\\';
  args = ParseCommandLine("\"C:\\p\\belmo.exe\" " + file);
  EXPECT_EQ(args.Program, "C:\\p\\belmo.exe");
  EXPECT_EQ(args.File, file.substr(0, 260 - 17));
  EXPECT_EQ(args.FileLastBackslash, 100);
}

}  // namespace
}  // namespace belmo
