#include "settings/mask_settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace belmo {
namespace {

namespace fs = std::filesystem;

const char kDefaultFile[] =
    "[Settings]\r\n"
    "SinHz=1000\r\n"
    "SindB=-10\r\n"
    "PitchUpType=0\r\n"
    "VoicePitch=2\r\n"
    "VoiceSample=100\r\n"
    "FFTSample=3\r\n"
    "OverWriteFilePath=\r\n"
    "OverWriteType=0\r\n";

void ExpectSame(const MaskSettings& a, const MaskSettings& b) {
  EXPECT_EQ(a.SinHz, b.SinHz);
  EXPECT_EQ(a.SindB, b.SindB);
  EXPECT_EQ(a.PitchUpType, b.PitchUpType);
  EXPECT_EQ(a.VoicePitch, b.VoicePitch);
  EXPECT_EQ(a.VoiceSample, b.VoiceSample);
  EXPECT_EQ(a.FFTSample, b.FFTSample);
  EXPECT_EQ(a.OverWriteFilePath, b.OverWriteFilePath);
  EXPECT_EQ(a.OverWriteType, b.OverWriteType);
}

MaskSettings Sample() {
  MaskSettings s;
  s.SinHz = 440;
  s.SindB = -3.5;
  s.PitchUpType = 1;
  s.VoicePitch = 0.5;
  s.VoiceSample = 64;
  s.FFTSample = 4;
  s.OverWriteFilePath = "C:\\wav\\noise.wav";
  s.OverWriteType = 1;
  return s;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("belmo_settings_" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir_);
    path_ = (dir_ / "settings.ini").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string ReadBytes() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void WriteBytes(const std::string& bytes) const {
    std::ofstream(path_, std::ios::binary) << bytes;
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(SettingsFileTest, MissingFileGivesDefaultsAndWritesThe131ByteFile) {
  const MaskSettings s = ReadSettingsFile(path_);
  ExpectSame(s, MaskSettings());
  ASSERT_TRUE(WriteSettingsFile(s, path_));
  const std::string bytes = ReadBytes();
  EXPECT_EQ(bytes.size(), 131u);
  EXPECT_EQ(bytes, kDefaultFile);
}

TEST_F(SettingsFileTest, WriteReplacesALongerFileCompletely) {
  WriteBytes(std::string(1000, 'x'));
  ASSERT_TRUE(WriteSettingsFile(MaskSettings(), path_));
  EXPECT_EQ(ReadBytes(), kDefaultFile);
}

TEST_F(SettingsFileTest, PathWithEqualsSignSurvivesWriteAndRead) {
  MaskSettings s = Sample();
  s.OverWriteFilePath = "D:\\a=b\\x==y.wav";
  ASSERT_TRUE(WriteSettingsFile(s, path_));
  ExpectSame(ReadSettingsFile(path_), s);
}

TEST_F(SettingsFileTest, TinyVoicePitchIsWrittenInExponentFormAndReadsBackAsOne) {
  MaskSettings s;
  s.VoicePitch = 0.00001;
  ASSERT_TRUE(WriteSettingsFile(s, path_));
  EXPECT_NE(ReadBytes().find("VoicePitch=1.00000000000000e-05\r\n"), std::string::npos);
  EXPECT_EQ(ReadSettingsFile(path_).VoicePitch, 1);
}

TEST_F(SettingsFileTest, UnwritablePathReportsFailure) {
  EXPECT_FALSE(WriteSettingsFile(MaskSettings(), (dir_ / "no_such_dir" / "settings.ini").string()));
}

TEST(ParseSettingsText, RoundTripsFormattedText) {
  ExpectSame(ParseSettingsText(FormatSettingsText(Sample())), Sample());
  ExpectSame(ParseSettingsText(kDefaultFile), MaskSettings());
}

TEST(ParseSettingsText, ReadsByPositionWhateverTheKeyNames) {
  const MaskSettings expected = Sample();
  const char* texts[] = {
      "[Settings]\r\nA=440\r\nB=-3.5\r\nC=1\r\nD=.5\r\nE=64\r\nF=4\r\n"
      "G=C:\\wav\\noise.wav\r\nH=1\r\n",
      "[Settings]\r\n=440\r\n=-3.5\r\n=1\r\n=0.5\r\n=64\r\n=4\r\n"
      "=C:\\wav\\noise.wav\r\n=1\r\n",
      // Lines without "=" are passed over; the section line itself is never
      // searched, even when it holds an "=".
      "[Set=ings]\r\ncomment\r\nSinHz=440\r\n\r\nSindB=-3.5\r\nPitchUpType=1\r\n"
      "VoicePitch=0.5\r\nVoiceSample=64\r\nnote\r\nFFTSample=4\r\n"
      "OverWriteFilePath=C:\\wav\\noise.wav\r\nOverWriteType=1\r\n",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    ExpectSame(ParseSettingsText(text), expected);
  }
}

TEST(ParseSettingsText, RemovedLineShiftsLaterValuesUp) {
  const MaskSettings s = ParseSettingsText(
      "[Settings]\r\nSinHz=440\r\nPitchUpType=1\r\nVoicePitch=0.5\r\n"
      "VoiceSample=64\r\nFFTSample=4\r\nOverWriteFilePath=p.wav\r\nOverWriteType=1\r\n");
  EXPECT_EQ(s.SinHz, 440);
  EXPECT_EQ(s.SindB, 1);
  EXPECT_EQ(s.PitchUpType, 0);  // 0.5 rounds to even
  EXPECT_EQ(s.VoicePitch, 64);
  EXPECT_EQ(s.VoiceSample, 4);
  EXPECT_EQ(s.FFTSample, 0);    // "p.wav" is not a number
  EXPECT_EQ(s.OverWriteFilePath, "1");
  EXPECT_EQ(s.OverWriteType, 0);
}

TEST(ParseSettingsText, IntegerFieldsRoundHalfEvenAndKeepLowBits) {
  const struct {
    const char* pitch_up;
    const char* fft;
    const char* overwrite;
    uint8_t pitch_up_value;
    uint16_t fft_value;
    uint8_t overwrite_value;
  } cases[] = {
      {"2.5", "3.5", "1.5", 2, 4, 2},
      {"-1", "-1", "-2", 255, 65535, 254},
      {"256", "65537", "257.5", 0, 1, 2},
      {"&HFFFFFFFF", "1e9", "x", 255, 1, 0},
  };
  for (const auto& c : cases) {
    const std::string text = std::string("[Settings]\r\nSinHz=1\r\nSindB=1\r\nPitchUpType=") +
                             c.pitch_up + "\r\nVoicePitch=1\r\nVoiceSample=1\r\nFFTSample=" +
                             c.fft + "\r\nOverWriteFilePath=\r\nOverWriteType=" + c.overwrite +
                             "\r\n";
    SCOPED_TRACE(text);
    const MaskSettings s = ParseSettingsText(text);
    EXPECT_EQ(s.PitchUpType, c.pitch_up_value);
    EXPECT_EQ(s.FFTSample, c.fft_value);
    EXPECT_EQ(s.OverWriteType, c.overwrite_value);
  }
}

TEST(ParseSettingsText, MissingLineEndTakesTheRestAndLeavesLaterKeysAtDefaults) {
  std::string last = kDefaultFile;
  last.replace(last.size() - 3, 3, "1");  // "OverWriteType=1" without CR LF
  EXPECT_EQ(ParseSettingsText(last).OverWriteType, 1);

  // In the middle of the text the reader must not wrap back to the start.
  const MaskSettings s = ParseSettingsText("[Settings]\r\nSinHz=5\r\nSindB=7=8");
  EXPECT_EQ(s.SinHz, 5);
  EXPECT_EQ(s.SindB, 7);
  EXPECT_EQ(s.PitchUpType, 0);
  EXPECT_EQ(s.VoicePitch, 2);
  EXPECT_EQ(s.OverWriteType, 0);

  const MaskSettings empty_tail = ParseSettingsText("[Settings]\r\nSinHz=");
  EXPECT_EQ(empty_tail.SinHz, 0);
  EXPECT_EQ(empty_tail.SindB, -10);
}

TEST(ParseSettingsText, ShortOrEmptyValuesAndTextsAreSafe) {
  ExpectSame(ParseSettingsText(""), MaskSettings());
  ExpectSame(ParseSettingsText("[Settings]"), MaskSettings());
  ExpectSame(ParseSettingsText("a=1"), MaskSettings());  // inside the section line

  const MaskSettings s = ParseSettingsText("[Settings]\r\nSinHz=\r\nSindB=\r\n");
  EXPECT_EQ(s.SinHz, 0);
  EXPECT_EQ(s.SindB, 0);
  EXPECT_EQ(s.VoicePitch, 2);
}

TEST(ParseSettingsText, ZeroByteEndsTheText) {
  const char bytes[] = "[Settings]\r\nSinHz=5\r\n\0SindB=3\r\n";
  const std::string text(bytes, sizeof bytes - 1);
  const MaskSettings s = ParseSettingsText(text);
  EXPECT_EQ(s.SinHz, 5);
  EXPECT_EQ(s.SindB, -10);
}

TEST(ParseSettingsText, OverlongPathIsCutTo259Bytes) {
  const std::string path(300, 'p');
  const MaskSettings s = ParseSettingsText(
      "[Settings]\r\n=1\r\n=1\r\n=1\r\n=1\r\n=1\r\n=1\r\n=" + path + "\r\n=1\r\n");
  EXPECT_EQ(s.OverWriteFilePath, path.substr(0, 259));
  EXPECT_EQ(s.OverWriteType, 1);
}

// The waveform choice rides on a tenth line that only a shown strip writes;
// the nine keys read the same with or without it.
TEST(DisplaySettings, TenthValueIsTheWaveformChoice) {
  const std::string withStrip = std::string(kDefaultFile) + "ShowWaveform=1\r\n";
  EXPECT_EQ(FormatSettingsText(MaskSettings(), DisplaySettings{true}), withStrip);
  EXPECT_EQ(FormatSettingsText(MaskSettings(), DisplaySettings{false}), kDefaultFile);
  ExpectSame(ParseSettingsText(withStrip), MaskSettings());

  const struct {
    std::string text;
    bool shown;
  } cases[] = {
      {kDefaultFile, false},
      {withStrip, true},
      {std::string(kDefaultFile) + "ShowWaveform=1", true},  // no line end
      {std::string(kDefaultFile) + "ShowWaveform=0\r\n", false},
      {std::string(kDefaultFile) + "ShowWaveform=yes\r\n", false},
      // With a line missing, the tenth "=" is missing too.
      {"[Settings]\r\nSinHz=1\r\nPitchUpType=0\r\nVoicePitch=2\r\nVoiceSample=100\r\n"
       "FFTSample=3\r\nOverWriteFilePath=\r\nOverWriteType=0\r\nShowWaveform=1\r\n",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseDisplaySettings(c.text).ShowWaveform, c.shown);
  }
}

// A line form like Windows' code page: it holds ASCII only, up to 259 bytes.
bool AsciiLine(const std::string& path, std::string* line) {
  *line = path;
  if (path.size() > 259) return false;
  for (char c : path) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}
std::string LineAsIs(const std::string& line) { return line; }

// A path the ninth line can hold leaves the file byte for byte as before;
// one it cannot hold goes to an eleventh line, which this version reads
// back and a version that knows only ten keys never sees: it finds no
// overwrite file and every other value as written.
TEST(SettingsPathLine, OnlyAPathTheLineCannotHoldTakesTheEleventhLine) {
  const PathLineForm form{AsciiLine, LineAsIs};
  const std::string korean = u8"C:\\녹음\\인터뷰.wav";
  const std::string longPath = "C:\\" + std::string(300, 'a') + ".wav";
  const struct {
    std::string path;
    bool showWaveform;
    const char* tenthLine;  // null: the file is what every version writes
  } cases[] = {
      {"C:\\rec\\take.wav", false, nullptr},
      {"C:\\rec\\take.wav", true, nullptr},
      {korean, false, "ShowWaveform=0\r\n"},
      {korean, true, "ShowWaveform=1\r\n"},
      {longPath, false, "ShowWaveform=0\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.substr(0, 40));
    MaskSettings settings;
    settings.SinHz = 440;
    settings.OverWriteFilePath = c.path;
    settings.OverWriteType = 1;
    const DisplaySettings display{c.showWaveform};
    const std::string text = FormatSettingsText(settings, display, form);
    if (c.tenthLine == nullptr) {
      EXPECT_EQ(text, FormatSettingsText(settings, display));
    } else {
      MaskSettings withoutPath = settings;
      withoutPath.OverWriteFilePath.clear();
      EXPECT_EQ(text, FormatSettingsText(withoutPath) + c.tenthLine + "OverWriteFileUTF8=" +
                          c.path + "\r\n");
    }
    const MaskSettings read = ParseSettingsText(text, form);
    ExpectSame(read, settings);
    EXPECT_EQ(ParseDisplaySettings(text).ShowWaveform, c.showWaveform);

    const MaskSettings older = ParseSettingsText(text);
    EXPECT_EQ(older.OverWriteFilePath, c.tenthLine ? std::string() : c.path.substr(0, 259));
    EXPECT_EQ(older.SinHz, 440);
    EXPECT_EQ(older.OverWriteType, 1);
  }
}

// A file of an older version: its ninth line is read through the form, and
// an empty eleventh value leaves it alone.
TEST(SettingsPathLine, NinthLineIsReadThroughTheForm) {
  PathLineForm form{AsciiLine, [](const std::string& line) { return "<" + line + ">"; }};
  const std::string older = std::string(kDefaultFile).replace(
      std::string(kDefaultFile).find("OverWriteFilePath=") + 18, 0, "C:\\a.wav");
  EXPECT_EQ(ParseSettingsText(older, form).OverWriteFilePath, "<C:\\a.wav>");
  EXPECT_EQ(ParseSettingsText(older + "ShowWaveform=0\r\nOverWriteFileUTF8=\r\n", form)
                .OverWriteFilePath,
            "<C:\\a.wav>");
}

}  // namespace
}  // namespace belmo
