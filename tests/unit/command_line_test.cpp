#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <tuple>

#include "launch/command_line.h"

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

// Explorer passes "<program>" "<file>"; with Japanese folders the two
// together easily pass 260 bytes. Lines of 300, 600 and 2,000 bytes, the
// length on argument 0 or on argument 1, each quoted or bare: both come back
// whole, and only a path over 259 bytes counts as too long.

// A path of exactly `bytes` bytes: folders with double-byte names (one
// whose second byte is 0x5C), blanks only where quotes allow them.
std::string PathOfBytes(size_t bytes, const std::string& drive, const std::string& name,
                        bool blanks) {
  const std::string folder = blanks ? "\\録音 ソフト" : "\\録音ソフト";
  std::string path = drive;
  while (path.size() + folder.size() + name.size() + 1 <= bytes) path += folder;
  path += "\\";
  path += std::string(bytes - path.size() - name.size(), 'x');
  return path + name;
}

std::string Quote(const std::string& text, bool quoted) {
  return quoted ? "\"" + text + "\"" : text;
}

class LongCommandLine : public testing::TestWithParam<std::tuple<size_t, bool, bool, bool>> {};

TEST_P(LongCommandLine, KeepsBothArgumentsWhole) {
  const auto [lineBytes, programLong, programQuoted, fileQuoted] = GetParam();
  const size_t overhead = 1 + (programQuoted ? 2 : 0) + (fileQuoted ? 2 : 0);
  const size_t shortBytes = 40;
  const size_t longBytes = lineBytes - overhead - shortBytes;
  const std::string program = PathOfBytes(programLong ? longBytes : shortBytes, "C:",
                                          "belmo.exe", programQuoted);
  const std::string file =
      PathOfBytes(programLong ? shortBytes : longBytes, "D:", "インタビュー.wav", fileQuoted);
  const std::string line = Quote(program, programQuoted) + " " + Quote(file, fileQuoted);
  ASSERT_EQ(line.size(), lineBytes);

  const CommandLineArgs args = ParseCommandLine(line);
  EXPECT_EQ(args.Program, program);
  EXPECT_EQ(args.ProgramLastBackslash, static_cast<int>(program.rfind('\\')));
  EXPECT_EQ(args.File, file);
  EXPECT_EQ(args.FileLastBackslash, static_cast<int>(file.rfind('\\')));
  auto expected = [](const std::string& path) {
    return path.size() > 259 ? PathProblem::TooLong : PathProblem::None;
  };
  EXPECT_EQ(FindPathProblem(args.Program), expected(program));
  EXPECT_EQ(FindPathProblem(args.File), expected(file));
}

INSTANTIATE_TEST_SUITE_P(Lines, LongCommandLine,
                         testing::Combine(testing::Values(300, 600, 2000), testing::Bool(),
                                          testing::Bool(), testing::Bool()));

TEST(FindPathProblem, NamesWhatCannotBeOpened) {
  const struct {
    std::string path;
    PathProblem problem;
  } cases[] = {
      {"", PathProblem::None},
      {"C:\\" + std::string(256, 'a'), PathProblem::None},  // 259 bytes
      {"C:\\" + std::string(257, 'a'), PathProblem::TooLong},
      {"C:\\" + std::string(300, '?'), PathProblem::TooLong},
      {"C:\\録音\\表示.wav", PathProblem::None},
      {"C:\\録音\\?????.wav", PathProblem::UnusableCharacter},
      {"C:\\a?b\\c.wav", PathProblem::UnusableCharacter},
      {"\\\\?\\C:\\take.wav", PathProblem::None},
      {"\\\\?\\C:\\t?ke.wav", PathProblem::UnusableCharacter},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindPathProblem(c.path), c.problem) << c.path;
  }
}

// The system's limit is in UTF-16 units, not bytes: a Hangul name takes
// three bytes a character and fits, a kanji outside the basic plane counts
// two. Where long paths are allowed only the document's buffer limits.
TEST(FindPathProblem, CountsWhatTheSystemCounts) {
  std::string hangul = "C:\\";
  for (int i = 0; i < 200; ++i) hangul += u8"녹";  // 203 units, 603 bytes
  std::string rare = "C:\\";
  for (int i = 0; i < 129; ++i) rare += u8"𠮷";  // 261 units, 519 bytes
  const struct {
    std::string path;
    PathProblem plain, longPaths;
  } cases[] = {
      {hangul, PathProblem::None, PathProblem::None},
      {rare, PathProblem::TooLong, PathProblem::None},
      {"C:\\" + std::string(300, 'a'), PathProblem::TooLong, PathProblem::None},
      {"C:\\" + std::string(4092, 'a'), PathProblem::TooLong, PathProblem::None},
      {"C:\\" + std::string(4093, 'a'), PathProblem::TooLong, PathProblem::TooLong},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindPathProblem(c.path), c.plain) << c.path.size();
    EXPECT_EQ(FindPathProblem(c.path, true), c.longPaths) << c.path.size();
  }
}

// The refusal names 240 bytes: with \temp.tmp.belmo-new beside them, 259.
TEST(FindProgramFolderProblem, LeavesRoomForTheWorkingCopyBesideTheProgram) {
  EXPECT_EQ(FindProgramFolderProblem("C:\\" + std::string(237, 'a')), PathProblem::None);
  EXPECT_EQ(FindProgramFolderProblem("C:\\" + std::string(238, 'a')), PathProblem::TooLong);
  EXPECT_EQ(FindProgramFolderProblem("C:\\?"), PathProblem::UnusableCharacter);
  EXPECT_NE(std::string(ProgramFolderProblemText(PathProblem::TooLong)).find("240"),
            std::string::npos);
}

}  // namespace
}  // namespace belmo
