#include "cli/mask_cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_texts.h"
#include "document/document_texts.h"
#include "effects/effects_texts.h"
#include "effects/file_overwrite.h"
#include "effects/sine_overwrite.h"
#include "effects/voice_change_fft.h"
#include "effects/voice_change_simple.h"
#include "tests/unit/memory_files.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;
using test::WaveBuilder;
namespace fs = std::filesystem;

class MaskCliTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("belmo-cli-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  void Write(const std::string& name, const Bytes& bytes) {
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  Bytes Read(const std::string& name) {
    std::ifstream in(Path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  int Run(std::vector<std::string> args) {
    out.clear();
    err.clear();
    return RunMaskCli(args, files_, &out, &err);
  }

  void WriteText(const std::string& name, const std::string& text) {
    Write(name, Bytes(text.begin(), text.end()));
  }

  std::string out;
  std::string err;

 private:
  fs::path dir_;
  StdFileStore files_;
};

// One second at 8 kHz, 16-bit mono: 16000 sample bytes.
Bytes OneSecond() { return WaveBuilder().SampleRate(8000).SampleBytes(16000).Build(); }

// OneSecond() with the default tone over 0.25-0.5 s.
Bytes ToneFromQuarterToHalf() {
  Bytes expected = OneSecond();
  UndoRecord undo;
  ApplySineOverwrite(expected, test::Format(1, 8000, 16, 36), 0.25, 0.5, -10, 1000, undo);
  return expected;
}

bool EndsWithHelpHint(const std::string& err, const std::string& command) {
  const std::string hint = std::string(text::kCliHintBefore) + "belmo-mask " + command +
                           " --help" + text::kCliHintAfter + "\n";
  return err.size() >= hint.size() && err.compare(err.size() - hint.size(), hint.size(), hint) == 0;
}

// Standard streams in memory, and the program's own texts marked, so that
// a test tells them from the names passed through as they came.
class FakeConsole : public CliConsole {
 public:
  std::string OwnText(const std::string& cp932) override { return "{" + cp932 + "}"; }
  std::unique_ptr<FileView> ReadStandardInput() override {
    if (!readable) return nullptr;
    test::MemoryFiles stream;
    stream.files["stdin"] = input;
    return stream.OpenView("stdin");
  }
  std::unique_ptr<FileWriter> StandardOutput() override {
    return std::make_unique<Collector>(&output);
  }
  bool OutputIsTerminal() override { return terminal; }

  Bytes input;
  bool readable = true;
  Bytes output;
  bool terminal = false;

 private:
  class Collector : public FileWriter {
   public:
    explicit Collector(Bytes* bytes) : bytes_(bytes) {}
    bool Append(const uint8_t* bytes, size_t size) override {
      bytes_->insert(bytes_->end(), bytes, bytes + size);
      return true;
    }
    bool Commit() override { return true; }

   private:
    Bytes* bytes_;
  };
};

TEST_F(MaskCliTest, SineMatchesTheProgramsArithmeticAndMayWriteOverItsInput) {
  Write("in.wav", OneSecond());
  ASSERT_EQ(Run({"sine", Path("in.wav"), Path("out.wav"), "--start", "0.25", "--end", "0.5",
                 "--hz", "440", "--db", "-3"}),
            kCliOk)
      << err;
  Bytes expected = OneSecond();
  UndoRecord undo;
  ASSERT_EQ(ApplySineOverwrite(expected, test::Format(1, 8000, 16, 36), 0.25, 0.5, -3, 440, undo),
            MaskOutcome::Applied);
  EXPECT_EQ(Read("out.wav"), expected);

  ASSERT_EQ(Run({"sine", Path("in.wav"), Path("in.wav"), "--start", "0.25", "--end", "0.5",
                 "--hz", "440", "--db", "-3"}),
            kCliOk);
  EXPECT_EQ(Read("in.wav"), expected);
  EXPECT_FALSE(fs::exists(Path("in.wav.belmo-new")));
}

// A private recording masked in place through a link stays private, and
// the link stays a link.
TEST_F(MaskCliTest, WritingOverAFileThroughALinkKeepsTheFileAndTheLink) {
  Write("in.wav", OneSecond());
  fs::permissions(Path("in.wav"), fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(Path("in.wav"), Path("link.wav"));
  ASSERT_EQ(Run({"sine", Path("link.wav"), Path("link.wav"), "--start", "0.25", "--end", "0.5"}),
            kCliOk)
      << err;
  EXPECT_TRUE(fs::is_symlink(Path("link.wav")));
  EXPECT_NE(Read("in.wav"), OneSecond());
  EXPECT_EQ(fs::status(Path("in.wav")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists(Path("in.wav.belmo-new")));
  EXPECT_FALSE(fs::exists(Path("link.wav.belmo-new")));
}

TEST_F(MaskCliTest, DefaultRangeIsTheDataChunkTheDeviceWouldPlay) {
  // "data" in a LIST chunk comes first; the length comes from the real data
  // chunk found by walking the chunks, as the sound device finds it.
  Bytes image = WaveBuilder().SampleRate(8000).Chunk("LIST", "INFOdata").SampleBytes(16000).Build();
  Write("in.wav", image);
  ASSERT_EQ(Run({"sine", Path("in.wav"), Path("out.wav")}), kCliOk) << err;
  Bytes expected = image;
  UndoRecord undo;
  // The masks address the samples of that same chunk, as the program does.
  ASSERT_EQ(ApplySineOverwrite(expected, test::Format(1, 8000, 16, 52), 0, 1.0, -10, 1000, undo),
            MaskOutcome::Applied);
  EXPECT_EQ(Read("out.wav"), expected);
}

TEST_F(MaskCliTest, RefusalsWriteNothingAndExitWithTheirCode) {
  Write("in.wav", OneSecond());
  Bytes notPcm = OneSecond();
  notPcm[8] = 'w';
  Write("float.wav", notPcm);
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string message;
  };
  const Case cases[] = {
      {{"sine", Path("in.wav"), Path("out.wav"), "--start", "0.5", "--end", "0.25"}, kCliUsage,
       text::kRangeInvalid},
      {{"sine", Path("in.wav"), Path("out.wav"), "--end", "1.001"}, kCliUsage, text::kRangeInvalid},
      {{"sine", Path("in.wav"), Path("out.wav"), "--start", "-1"}, kCliUsage, text::kCliNotATime},
      {{"sine", Path("in.wav"), Path("out.wav"), "--hz", "9000"}, kCliUsage,
       text::kCliFrequencyTooHigh},
      {{"sine", Path("float.wav"), Path("out.wav")}, kCliRefused, text::kNotPcmWave},
      {{"sine", Path("missing.wav"), Path("out.wav")}, kCliRefused, text::kCannotReadFile},
      // A file named for ranges or settings that cannot be read is refused
      // as an input is, and as standard input is for --ranges -.
      {{"sine", Path("in.wav"), Path("out.wav"), "--ranges", Path("missing.txt")}, kCliRefused,
       text::kCannotReadFile},
      {{"sine", Path("in.wav"), Path("out.wav"), "--settings", Path("missing.ini")}, kCliRefused,
       text::kCannotReadFile},
      {{"sine", Path("in.wav"), Path("out.wav"), "--transcript", Path("missing.json"), "--digits",
        "3"},
       kCliRefused, text::kCannotReadFile},
      {{"sine", Path("in.wav"), Path("out.wav"), "--transcript", Path("in.wav"), "--digits", "3"},
       kCliRefused, ""},
      {{"voice", Path("in.wav"), Path("out.wav"), "--hz", "440"}, kCliUsage, ""},
      {{"voice", Path("in.wav"), Path("out.wav"), "--fft-size", "1000"}, kCliUsage, ""},
      {{"voice", Path("in.wav"), Path("out.wav"), "--ratio", "0"}, kCliUsage, ""},
      {{"file", Path("in.wav"), Path("out.wav"), "--mode", "twice"}, kCliUsage, ""},
      {{"file", Path("in.wav"), Path("out.wav")}, kCliUsage, text::kNoOverwriteFile},
      {{"sine", Path("in.wav")}, kCliUsage, ""},
      {{"sine", Path("in.wav"), Path("out.wav"), "--hz"}, kCliUsage, ""},
      {{"trim", Path("in.wav"), Path("out.wav")}, kCliUsage, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 3 ? c.args[3] : ""));
    EXPECT_EQ(Run(c.args), c.code);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_FALSE(err.empty());
    // Only a usage error points to --help.
    EXPECT_EQ(err.find(text::kCliHintBefore) != std::string::npos, c.code == kCliUsage) << err;
    EXPECT_FALSE(fs::exists(Path("out.wav")));
  }
}

// The voice and file subcommands reach the same mask code with the values
// their options stand for.
TEST_F(MaskCliTest, VoiceAndFileRunTheProgramsMasks) {
  Write("in.wav", OneSecond());
  Bytes source = WaveBuilder().SampleRate(8000).Bits(8).SampleBytes(1000).Build();
  Write("source.wav", source);
  const WaveFormat layout = test::Format(1, 8000, 16);
  StdFileStore files;

  ASSERT_EQ(Run({"voice", Path("in.wav"), Path("simple.wav"), "--ratio", "1.5", "--waves", "20.9"}),
            kCliOk)
      << err;
  Bytes expected = OneSecond();
  UndoRecord undo;
  ApplyVoiceChangeSimple(expected, layout, 0, 1.0, 1.5, 40, undo);
  EXPECT_EQ(Read("simple.wav"), expected);

  ASSERT_EQ(Run({"voice", Path("in.wav"), Path("fft.wav"), "--method", "fft", "--fft-size",
                 "1024", "--start", "0.1"}),
            kCliOk)
      << err;
  expected = OneSecond();
  TwiddleTables tables;
  ApplyVoiceChangeFft(expected, layout, 0.1, 1.0, 2, 1, tables, undo);
  EXPECT_EQ(Read("fft.wav"), expected);

  ASSERT_EQ(Run({"file", Path("in.wav"), Path("file.wav"), "--source", Path("source.wav"),
                 "--mode", "loop"}),
            kCliOk)
      << err;
  expected = OneSecond();
  ApplyFileOverwrite(expected, layout, 0, 1.0, Path("source.wav"), kOverwriteContinuous, files,
                     undo);
  EXPECT_EQ(Read("file.wav"), expected);

  Bytes floatSource = source;
  floatSource[20] = 3;
  Write("float.wav", floatSource);
  EXPECT_EQ(Run({"file", Path("in.wav"), Path("out.wav"), "--source", Path("float.wav")}),
            kCliRefused);
  EXPECT_NE(err.find(text::kSourceNotPcm), std::string::npos);
  EXPECT_FALSE(fs::exists(Path("out.wav")));
}

TEST_F(MaskCliTest, HelpVersionAndSettingsFile) {
  EXPECT_EQ(Run({"--help"}), kCliOk);
  EXPECT_NE(out.find("belmo-mask sine"), std::string::npos);
  EXPECT_EQ(Run({}), kCliUsage);
  EXPECT_EQ(Run({"--version"}), kCliOk);
  EXPECT_EQ(out, std::string("belmo-mask ") + BELMO_VERSION + "\n");

  // Values not given come from the settings file; given ones win.
  Write("in.wav", OneSecond());
  const std::string ini = "[Settings]\r\nSinHz=440\r\nSindB=0\r\n";
  Write("settings.ini", Bytes(ini.begin(), ini.end()));
  ASSERT_EQ(Run({"sine", Path("in.wav"), Path("out.wav"), "--settings", Path("settings.ini"),
                 "--db", "-6"}),
            kCliOk)
      << err;
  Bytes expected = OneSecond();
  UndoRecord undo;
  ASSERT_EQ(ApplySineOverwrite(expected, test::Format(1, 8000, 16, 36), 0, 1.0, -6, 440, undo),
            MaskOutcome::Applied);
  EXPECT_EQ(Read("out.wav"), expected);
}

// Each of these was once read as some other number (or as 0) and masked
// with exit 0; each is now refused, naming the option and the text.
TEST_F(MaskCliTest, ValuesAreReadWholeOrRefused) {
  Write("in.wav", OneSecond());
  struct Case {
    std::vector<std::string> options;
    const char* value;
    const char* message;
  };
  const Case cases[] = {
      {{"voice", "--ratio", "1,5"}, "1,5", text::kCliNotANumber},
      {{"sine", "--hz", "440Hz"}, "440Hz", text::kCliNotANumber},
      {{"sine", "--hz=nan"}, "nan", text::kCliNotANumber},
      {{"sine", "--db", "1e999"}, "1e999", text::kCliNotANumber},
      {{"voice", "--waves=3x"}, "3x", text::kCliNotANumber},
      {{"voice", "--fft-size", "4k"}, "4k", text::kCliNotANumber},
      {{"sine", "--start", "abc"}, "abc", text::kCliNotATime},
      {{"sine", "--end=0:5"}, "0:5", text::kCliNotATime},
      {{"file", "--source", "x.wav", "--range", "0.5"}, "0.5", text::kCliNotARange},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {c.options[0], Path("in.wav"), Path("out.wav")};
    args.insert(args.end(), c.options.begin() + 1, c.options.end());
    SCOPED_TRACE(c.options[1]);
    EXPECT_EQ(Run(args), kCliUsage);
    EXPECT_EQ(err.rfind("belmo-mask: --", 0), 0u) << err;
    EXPECT_NE(err.find(std::string("「") + c.value + "」"), std::string::npos) << err;
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_TRUE(EndsWithHelpHint(err, c.options[0])) << err;
    EXPECT_FALSE(fs::exists(Path("out.wav")));
  }
  // Every form of a time is the same time.
  for (const auto& [start, end] : std::vector<std::pair<std::string, std::string>>{
           {"0.25", "0.5"},
           {".25", "0.500"},
           {"0:00.25", "0:00.5"},
           {"0:00:00.25", "0:00:00.50"}}) {
    SCOPED_TRACE(start);
    ASSERT_EQ(Run({"sine", Path("in.wav"), Path("out.wav"), "--start=" + start, "--end", end}),
              kCliOk)
        << err;
    EXPECT_EQ(Read("out.wav"), ToneFromQuarterToHalf());
  }
}

// A tone at 0 Hz or beyond half the rate was silence, a level above 0 dB a
// clipped square wave, a tiny ratio "out of memory": each is a usage error
// saying why, whether the value came from an option or the settings file.
TEST_F(MaskCliTest, ValuesNoMaskCanUseAreRefusedWithTheReason) {
  Write("in.wav", OneSecond());
  WriteText("loud.ini", "[Settings]\r\nSinHz=440\r\nSindB=3\r\n");
  struct Case {
    std::vector<std::string> options;
    std::string message;
  };
  const Case cases[] = {
      {{"sine", "--hz", "0"}, std::string(text::kCliFrequencyNotPositive) + "0"},
      {{"sine", "--hz", "-1000"}, std::string(text::kCliFrequencyNotPositive) + "-1000"},
      {{"sine", "--hz", "4001"},
       std::string(text::kCliFrequencyTooHigh) + "4000" + text::kCliFrequencyLimitAfter},
      {{"sine", "--db", "10"}, std::string(text::kCliLevelAboveZero) + "10"},
      {{"sine", "--settings", Path("loud.ini")}, std::string(text::kCliLevelAboveZero) + "3"},
      {{"voice", "--ratio", "0"}, text::kCliBadRatio},
      {{"voice", "--ratio", "1e-7"},
       std::string(text::kCliRatioTooSmallBefore) + "1e-7" + text::kCliRatioTooSmallAfter},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {c.options[0], Path("in.wav"), Path("out.wav")};
    args.insert(args.end(), c.options.begin() + 1, c.options.end());
    SCOPED_TRACE(c.options.back());
    EXPECT_EQ(Run(args), kCliUsage);
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
    EXPECT_TRUE(EndsWithHelpHint(err, c.options[0])) << err;
    EXPECT_FALSE(fs::exists(Path("out.wav")));
  }
}

// "-" for a standard stream, "--" before names that look like options,
// --opt=value, SUBCOMMAND --help, and messages that convert the program's
// own texts and nothing else.
TEST(MaskCliConventions, StreamsOptionsAndMessages) {
  test::MemoryFiles files;
  files.files["in.wav"] = OneSecond();
  files.files["-in.wav"] = OneSecond();
  const std::vector<std::string> range = {"--start", "0.25", "--end=0.5"};
  auto run = [&](FakeConsole& console, std::vector<std::string> args, std::string* out,
                 std::string* err) {
    args.insert(args.begin() + 1, range.begin(), range.end());
    out->clear();
    err->clear();
    return RunMaskCli(args, files, console, out, err);
  };
  std::string out;
  std::string err;
  FakeConsole console;
  console.input = OneSecond();

  ASSERT_EQ(run(console, {"sine", "--", "-in.wav", "-out.wav"}, &out, &err), kCliOk) << err;
  EXPECT_EQ(files.files["-out.wav"], ToneFromQuarterToHalf());
  EXPECT_EQ(run(console, {"sine", "-in.wav", "out.wav"}, &out, &err), kCliUsage);
  EXPECT_NE(err.find("}-in.wav"), std::string::npos) << err;

  // Standard input to a file, a file to standard output, and both.
  ASSERT_EQ(run(console, {"sine", "-", "from-stdin.wav"}, &out, &err), kCliOk) << err;
  EXPECT_EQ(files.files["from-stdin.wav"], ToneFromQuarterToHalf());
  for (const char* input : {"in.wav", "-"}) {
    SCOPED_TRACE(input);
    console.output.clear();
    ASSERT_EQ(run(console, {"sine", input, "-"}, &out, &err), kCliOk) << err;
    EXPECT_EQ(console.output, ToneFromQuarterToHalf());
    EXPECT_TRUE(out.empty()) << "nothing but the WAVE on standard output";
    EXPECT_NE(err.find(std::string("{") + text::kCliWritten + "}{" + text::kCliStandardOutput),
              std::string::npos);
  }
  // Ranges from standard input.
  FakeConsole ranges;
  const std::string list = "0.25\t0.5\tname\n";
  ranges.input.assign(list.begin(), list.end());
  ASSERT_EQ(
      RunMaskCli({"sine", "in.wav", "ranged.wav", "--ranges", "-"}, files, ranges, &out, &err),
      kCliOk)
      << err;
  EXPECT_EQ(files.files["ranged.wav"], ToneFromQuarterToHalf());

  // Refused before anything is read or written.
  console.output.clear();
  console.terminal = true;
  EXPECT_EQ(run(console, {"sine", "in.wav", "-"}, &out, &err), kCliUsage);
  EXPECT_NE(err.find(text::kCliOutputIsTerminal), std::string::npos);
  EXPECT_TRUE(console.output.empty());
  console.terminal = false;
  EXPECT_EQ(RunMaskCli({"sine", "-", "x.wav", "--ranges", "-"}, files, console, &out, &err),
            kCliUsage);
  EXPECT_NE(err.find(text::kCliStandardInputTwice), std::string::npos);
  console.readable = false;
  EXPECT_EQ(run(console, {"sine", "-", "x.wav"}, &out, &err), kCliRefused);
  EXPECT_EQ(err, std::string("{belmo-mask: }{") + text::kCliStandardInput + "}: {" +
                     text::kCliStandardInputUnreadable + "}\n");
  EXPECT_EQ(files.files.count("x.wav"), 0u);

  // A file's name is shown as it came (here UTF-8), the texts around it
  // are converted; a missing input is named.
  const std::string name = "\xE9\x8C\xB2\xE9\x9F\xB3.wav";
  EXPECT_EQ(run(console, {"sine", name, "out.wav"}, &out, &err), kCliRefused);
  EXPECT_EQ(err, "{belmo-mask: }" + name + ": {" + text::kCannotReadFile + "}\n");

  // Help for one subcommand, wherever it is asked for.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"sine", "--help"}, {"voice", "in.wav", "-h"},
        {"file", "--source", "x.wav", "--help"}}) {
    SCOPED_TRACE(args[0]);
    EXPECT_EQ(RunMaskCli(args, files, console, &out, &err), kCliOk);
    EXPECT_NE(out.find(std::string("belmo-mask ") + args[0]), std::string::npos) << out;
    EXPECT_NE(out.find(text::kCliRangeHelp), std::string::npos);
    out.clear();
  }
}

// The transcript's names in one run: the bytes are those of one run per
// merged range, earliest first, each writing over the last, for every
// mask (the FFT tail of a short range reaches back into the range before
// it), whether the ranges come from a label file or from --range.
TEST_F(MaskCliTest, SeveralRangesMaskWhatOneRunPerMergedRangeMasks) {
  Write("in.wav", OneSecond());
  Write("source.wav", WaveBuilder().SampleRate(8000).Bits(8).SampleBytes(700).Build());
  WriteText("labels.txt",
            "0.100000\t0.180000\tTanaka\r\n\\\t200.0\t3000.0\r\n0.150000\t0.200000\tJiro\r\n"
            "# checked\r\n\r\n0.205\t0.21\t\r\n0.3\t0.31\tnumber\r\n0.31\t0.45\r\n"
            "0.9\t1\tend\r\n");
  const std::vector<std::pair<std::string, std::string>> merged = {
      {"0.1", "0.2"}, {"0.205", "0.21"}, {"0.3", "0.45"}, {"0.9", "1"}};
  const std::vector<std::vector<std::string>> jobs = {
      {"sine", "--hz", "440"},
      {"voice", "--ratio", "1.5", "--waves", "3"},
      {"voice", "--ratio", "0.7"},
      {"voice", "--method", "fft", "--fft-size", "512", "--ratio", "0.7"},
      {"file", "--source", Path("source.wav"), "--mode", "loop"},
      {"file", "--source", Path("source.wav"), "--mode", "once"},
  };
  for (const std::vector<std::string>& job : jobs) {
    SCOPED_TRACE(job[0] + " " + job[2]);
    auto args = [&](const std::string& in, const std::string& out) {
      std::vector<std::string> all = {job[0], Path(in), Path(out)};
      all.insert(all.end(), job.begin() + 1, job.end());
      return all;
    };
    std::vector<std::string> fromFile = args("in.wav", "listed.wav");
    fromFile.insert(fromFile.end(), {"--ranges", Path("labels.txt")});
    ASSERT_EQ(Run(fromFile), kCliOk) << err;
    EXPECT_NE(err.find("  0.100-0.200\n  0.205-0.210\n  0.300-0.450\n  0.900-1.000\n"),
              std::string::npos)
        << err;
    std::vector<std::string> given = args("in.wav", "given.wav");
    given.insert(given.end(), {"--range", "0.9-1", "--range=0:00.3-0.31", "--range", "0.15-0.2",
                               "--range", "0.205-0.21", "--range", "0.31-0.45", "--range",
                               "0.1-0.18"});
    ASSERT_EQ(Run(given), kCliOk) << err;

    Write("step.wav", OneSecond());
    for (const auto& [start, end] : merged) {
      std::vector<std::string> one = args("step.wav", "step.wav");
      one.insert(one.end(), {"--start", start, "--end", end});
      ASSERT_EQ(Run(one), kCliOk) << err;
    }
    const Bytes oneByOne = Read("step.wav");
    EXPECT_NE(oneByOne, OneSecond());
    EXPECT_TRUE(Read("listed.wav") == oneByOne);
    EXPECT_TRUE(Read("given.wav") == oneByOne);
  }
}

// A range no mask can take is named by where it was given: the line of its
// file, or the option.
TEST_F(MaskCliTest, RangesThatCannotBeUsedNameWhereTheyCameFrom) {
  Write("in.wav", OneSecond());
  WriteText("past.txt", "0.1\t0.2\n0.3\t0.4\n0.9\t1.2\tlast\n");
  WriteText("reversed.txt", "# start end\n0.5 0.2\n");
  WriteText("junk.txt", "0.1 0.2\n0.1 zwei\n");
  WriteText("empty.txt", "# nothing yet\n\n");
  struct Case {
    std::vector<std::string> options;
    std::string where;
    const char* message;
  };
  const std::string length = std::string(text::kCliLengthBefore) + "1.000";
  const Case cases[] = {
      {{"--ranges", Path("past.txt")}, Path("past.txt") + ":3: ", text::kRangeInvalid},
      {{"--ranges", Path("reversed.txt")}, Path("reversed.txt") + ":2: ", text::kRangeInvalid},
      {{"--ranges", Path("junk.txt")}, Path("junk.txt") + ":2: ", text::kCliBadRangeLine},
      {{"--ranges", Path("empty.txt")}, Path("empty.txt") + ": ", text::kCliNoRanges},
      {{"--range", "0.5-0.2"}, "--range 0.5-0.2: ", text::kRangeInvalid},
      {{"--start", "1:23.5"}, "--start 1:23.5: ", text::kRangeInvalid},
      {{"--start", "0.1", "--range", "0.2-0.3"}, "", text::kCliRangeFormsMixed},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"sine", Path("in.wav"), Path("out.wav")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    SCOPED_TRACE(c.options[1]);
    EXPECT_EQ(Run(args), kCliUsage);
    EXPECT_EQ(err.rfind("belmo-mask: " + c.where + c.message, 0), 0u) << err;
    if (c.message == text::kRangeInvalid) {
      EXPECT_NE(err.find(length), std::string::npos) << err;
    }
    EXPECT_FALSE(fs::exists(Path("out.wav")));
  }
}

}  // namespace
}  // namespace belmo
