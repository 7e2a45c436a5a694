#include "cli/mask_cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/document_texts.h"
#include "effects/effects_texts.h"
#include "effects/file_overwrite.h"
#include "effects/sine_overwrite.h"
#include "effects/voice_change_fft.h"
#include "effects/voice_change_simple.h"
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

  std::string out;
  std::string err;

 private:
  fs::path dir_;
  StdFileStore files_;
};

// One second at 8 kHz, 16-bit mono: 16000 sample bytes.
Bytes OneSecond() { return WaveBuilder().SampleRate(8000).SampleBytes(16000).Build(); }

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
      {{"sine", Path("in.wav"), Path("out.wav"), "--start", "-1"}, kCliUsage, text::kRangeInvalid},
      {{"sine", Path("in.wav"), Path("out.wav"), "--hz", "9000"}, kCliUsage,
       text::kSineFrequencyTooHigh},
      {{"sine", Path("float.wav"), Path("out.wav")}, kCliRefused, text::kNotPcmWave},
      {{"sine", Path("missing.wav"), Path("out.wav")}, kCliRefused, text::kCannotReadFile},
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

}  // namespace
}  // namespace belmo
