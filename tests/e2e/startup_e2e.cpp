// Start-up as the user sees it: the main window, its controls and menus,
// the file from the command line, the left-over working copy, settings.ini.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <tuple>

#include <string>
#include <vector>

#include "launch/launch_texts.h"
#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

const std::string kDefaultSettings =
    "[Settings]\r\nSinHz=1000\r\nSindB=-10\r\nPitchUpType=0\r\nVoicePitch=2\r\n"
    "VoiceSample=100\r\nFFTSample=3\r\nOverWriteFilePath=\r\nOverWriteType=0\r\n";

std::string FileText(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, &bytes)) return "<missing>";
  return std::string(bytes.begin(), bytes.end());
}

// Starts the program and expects it to come up without any message box.
void StartAndWait(Belmo& belmo, const Sandbox& sandbox, const std::string& tail) {
  ASSERT_TRUE(belmo.Start(sandbox, tail));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
}

void CloseAndWait(Belmo& belmo) {
  belmo.Close();
  ASSERT_TRUE(belmo.WaitExit()) << "the program did not end after its window was closed";
}

void ExpectMenuGrayed(const Belmo& belmo, std::initializer_list<UINT> grayed,
                      std::initializer_list<UINT> enabled) {
  for (UINT id : grayed) EXPECT_TRUE(belmo.MenuGrayed(id)) << "menu " << id << " should be grayed";
  for (UINT id : enabled) EXPECT_FALSE(belmo.MenuGrayed(id)) << "menu " << id << " should be enabled";
}

}  // namespace

TEST(Startup, FileOnCommandLineOpensWithWholeRangeAndHiddenWorkingCopy) {
  Sandbox sandbox("open-file");
  std::vector<uint8_t> wave = OneSecondWave();
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("one second.wav"), wave));

  Belmo belmo;
  StartAndWait(belmo, sandbox, " \"" + sandbox.Path("one second.wav") + "\"");
  HWND main = belmo.Main();
  EXPECT_EQ(ClassOf(main), "NORMAL");
  EXPECT_EQ(Text(main), "ベルモ");

  MainControls c(belmo);
  EXPECT_EQ(Text(c.fileNameBox), "one second.wav");
  EXPECT_EQ(Text(c.infoBox), "停止中");
  EXPECT_EQ(Text(c.startSeconds), "0.000");
  EXPECT_EQ(Text(c.endSeconds), "1.000");
  EXPECT_EQ(Send(c.startTrackbar, TBM_GETRANGEMIN), 0);
  EXPECT_EQ(Send(c.startTrackbar, TBM_GETRANGEMAX), 999);
  EXPECT_EQ(Send(c.startTrackbar, TBM_GETPOS), 0);
  EXPECT_EQ(Send(c.endTrackbar, TBM_GETRANGEMIN), 1);
  EXPECT_EQ(Send(c.endTrackbar, TBM_GETRANGEMAX), 1000);
  EXPECT_EQ(Send(c.endTrackbar, TBM_GETPOS), 1000);
  EXPECT_EQ(Send(c.endTrackbar, TBM_GETPAGESIZE), 10);
  EXPECT_EQ(Send(c.endTrackbar, TBM_GETLINESIZE), 1);

  for (HWND control : {c.startTrackbar, c.endTrackbar, c.startSeconds, c.endSeconds,
                       c.playButton, c.seekCheck, c.sineButton, c.voiceButton, c.fileButton}) {
    EXPECT_TRUE(Enabled(control)) << ClassOf(control) << " " << Text(control);
  }
  EXPECT_FALSE(Enabled(c.seekStartRadio));
  EXPECT_FALSE(Enabled(c.seekRangeRadio));
  ExpectMenuGrayed(belmo, {kCmdRevert, kCmdUndo},
                   {kCmdOpen, kCmdSave, kCmdSaveAs, kCmdExit, kCmdSine, kCmdVoiceChange,
                    kCmdFileOverwrite, kCmdSettings, kCmdHelp, kCmdAbout, kCmdVersionCheck});

  std::vector<uint8_t> workingCopy;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("temp.tmp"), &workingCopy));
  EXPECT_TRUE(workingCopy == wave) << "the working copy must be the file, byte for byte";
  EXPECT_TRUE(IsHidden(sandbox.Path("temp.tmp")));

  Screenshot(main, "main-window-open");
  CloseAndWait(belmo);
  EXPECT_FALSE(FileExists(sandbox.Path("temp.tmp")));
  EXPECT_EQ(FileText(sandbox.Path("settings.ini")), kDefaultSettings);
}

TEST(Startup, WithoutFileShowsEveryControlForNoDocument) {
  Sandbox sandbox("no-file");
  Belmo belmo;
  StartAndWait(belmo, sandbox, "");
  MainControls c(belmo);

  struct Expected {
    HWND control;
    const char* text;
    bool enabled;
  };
  const Expected expected[] = {
      {c.fileNameBox, "", true},
      {c.rangeGroup, "範囲指定", true},
      {c.startSeconds, "", true},
      {c.endSeconds, "", true},
      {c.infoBox, "ファイルが開かれてません", true},
      {c.playButton, "再生／停止", false},
      {c.seekCheck, "停止時にシークする", true},
      {c.seekStartRadio, "開始位置移動", false},
      {c.seekRangeRadio, "範囲移動", false},
      {c.sineButton, "正弦波上書き", false},
      {c.voiceButton, "ボイスチェンジ", false},
      {c.fileButton, "ファイル上書き", false},
  };
  for (const Expected& e : expected) {
    ASSERT_NE(e.control, nullptr) << e.text;
    EXPECT_EQ(Text(e.control), e.text);
    EXPECT_EQ(Enabled(e.control), e.enabled) << e.text;
  }
  EXPECT_FALSE(Enabled(c.startTrackbar));
  EXPECT_FALSE(Enabled(c.endTrackbar));
  EXPECT_EQ(Send(c.seekStartRadio, BM_GETCHECK), BST_CHECKED);
  EXPECT_EQ(Send(c.seekCheck, BM_GETCHECK), BST_UNCHECKED);

  const std::pair<int, const char*> labels[] = {{14, "ファイル名:"}, {164, "情報:"}};
  for (const auto& label : labels) {
    EXPECT_EQ(Text(belmo.Control("Static", 10, label.first)), label.second);
  }
  for (auto [x, y, text] : {std::tuple{10, 25, "開始位置"}, std::tuple{10, 55, "加工範囲"},
                            std::tuple{10, 84, "選択範囲:"}, std::tuple{140, 84, "秒～"},
                            std::tuple{240, 84, "秒"}}) {
    EXPECT_EQ(Text(belmo.Control("Static", x, y, true)), text);
  }
  ExpectMenuGrayed(belmo, {kCmdRevert, kCmdUndo, kCmdSine, kCmdVoiceChange, kCmdFileOverwrite},
                   {kCmdOpen, kCmdSave, kCmdSaveAs, kCmdExit, kCmdSettings, kCmdHelp, kCmdAbout,
                    kCmdVersionCheck});
  Screenshot(belmo.Main(), "main-window-empty");
  CloseAndWait(belmo);
  EXPECT_FALSE(FileExists(sandbox.Path("temp.tmp")));
}

TEST(Startup, RefusedFilesAreExplainedAndLeaveNoDocument) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* message;
  };
  std::vector<uint8_t> adpcm = OneSecondWave();
  adpcm[20] = 0x11;  // IMA ADPCM
  std::vector<uint8_t> surround = OneSecondWave();
  surround[22] = 6;   // channels
  surround[34] = 24;  // bits
  std::vector<uint8_t> lowerCase = OneSecondWave();
  lowerCase[8] = 'w';
  lowerCase[9] = 'a';
  lowerCase[10] = 'v';
  lowerCase[11] = 'e';
  std::vector<uint8_t> truncated = OneSecondWave();
  truncated.resize(30);
  const Case cases[] = {
      {"adpcm.wav", adpcm,
       "IMA ADPCM形式のWAVEファイルには対応していません。音声編集ソフトなどで、PCM形式（非圧縮）に変換してから開いてください。"},
      {"surround.wav", surround,
       "24ビット・6チャンネルのファイルには対応していません。モノラルかステレオに変換してください。"},
      {"lower.wav", lowerCase, "これはPCM形式のWAVEファイルではありません。"},
      {"short.wav", truncated, "ファイルが短すぎるため、WAVEファイルとして読み込めません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sandbox sandbox(std::string("refused-") + c.name);
    ASSERT_TRUE(WriteFileBytes(sandbox.Path(c.name), c.bytes));
    Belmo belmo;
    ASSERT_TRUE(belmo.Start(sandbox, " " + sandbox.Path(c.name)));
    HWND box = belmo.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Text(box), "ベルモ");
    EXPECT_EQ(Belmo::BoxText(box), c.message);
    Belmo::Answer(box, IDOK);
    ASSERT_NE(belmo.WaitMainWindow(), nullptr);
    Sleep(200);
    MainControls controls(belmo);
    EXPECT_EQ(Text(controls.infoBox), "");
    EXPECT_EQ(Text(controls.fileNameBox), "");
    EXPECT_FALSE(Enabled(controls.sineButton));
    EXPECT_TRUE(belmo.MenuGrayed(kCmdSine));
    EXPECT_FALSE(FileExists(sandbox.Path("temp.tmp")));
    CloseAndWait(belmo);
  }
}

// Explorer passes the program's path and the file's together; with
// Japanese folder names the two easily pass 260 bytes. A file path of up
// to 259 bytes opens whatever the length of the line; a longer one, or one
// with a character Windows could not pass on, is refused and opens nothing.
// (ASCII names: without a generated Japanese locale Wine cannot store
// other names on the Linux side; only the byte count matters here.)
TEST(Startup, FilePathsOfUpTo259BytesOpenWhateverTheLengthOfTheCommandLine) {
  Sandbox sandbox("long-path");
  const std::string folder = "\\interview recordings 2026-12-07";
  std::string dir = sandbox.Dir();
  while (dir.size() + folder.size() < 220) {
    dir += folder;
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << dir;
  }
  const std::string name = "take " + std::string(250 - dir.size() - 10, '0') + ".wav";
  const std::string path = dir + "\\" + name;
  ASSERT_EQ(path.size(), 250u);
  ASSERT_TRUE(WriteFileBytes(path, OneSecondWave()));
  {
    Belmo belmo;
    StartAndWait(belmo, sandbox, " \"" + path + "\"");
    ASSERT_TRUE(belmo.Flush());
    MainControls c(belmo);
    EXPECT_EQ(Text(c.fileNameBox), name);
    EXPECT_EQ(Text(c.infoBox), "停止中");
    EXPECT_EQ(Text(c.endSeconds), "1.000");
    CloseAndWait(belmo);
  }

  const std::tuple<std::string, const char*, const char*> refused[] = {
      {dir + "\\" + std::string(300 - dir.size() - 5, 'x') + ".wav", text::kPathTooLong,
       "path-too-long"},
      {sandbox.Path("take?.wav"), text::kPathHasUnusableCharacters, "path-unusable-name"},
  };
  for (const auto& [refusedPath, message, screenshot] : refused) {
    SCOPED_TRACE(refusedPath);
    Belmo belmo;
    ASSERT_TRUE(belmo.Start(sandbox, " \"" + refusedPath + "\""));
    HWND box = belmo.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Text(box), "ベルモ");
    EXPECT_EQ(Belmo::BoxText(box), message);
    Screenshot(box, screenshot);
    Belmo::Answer(box, IDOK);
    ASSERT_NE(belmo.WaitMainWindow(), nullptr);
    ASSERT_TRUE(belmo.Flush());
    MainControls c(belmo);
    EXPECT_EQ(Text(c.fileNameBox), "");
    EXPECT_EQ(Text(c.infoBox), "");
    EXPECT_TRUE(belmo.MenuGrayed(kCmdSine));
    EXPECT_FALSE(FileExists(sandbox.Path("temp.tmp")));
    CloseAndWait(belmo);
  }
}

TEST(Startup, LeftOverWorkingCopyIsAnnouncedAndOpenedInsteadOfTheNamedFile) {
  Sandbox sandbox("recover");
  std::vector<uint8_t> leftOver = PcmWave(1, 8000, 8, std::vector<uint8_t>(16000, 128));
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("temp.tmp"), leftOver));
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("other.wav"), OneSecondWave()));

  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("other.wav") + "\""));
  HWND box = belmo.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Text(box), "ベルモ");
  EXPECT_EQ(Belmo::BoxText(box),
            "前回正常終了しなかったため削除されなかった一時ファイルを開きます。");
  Belmo::Answer(box, IDOK);
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  Sleep(300);
  MainControls c(belmo);
  EXPECT_EQ(Text(c.fileNameBox), "temp.tmp");
  EXPECT_EQ(Text(c.infoBox), "停止中");
  EXPECT_EQ(Text(c.endSeconds), "2.000") << "the left-over copy is 2 s, the named file 1 s";

  std::vector<uint8_t> workingCopy;
  ASSERT_TRUE(ReadFileBytes(sandbox.Path("temp.tmp"), &workingCopy));
  EXPECT_TRUE(workingCopy == leftOver);
  // The recovered recording has no file of its own yet, so leaving asks.
  belmo.Close();
  box = belmo.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Belmo::BoxText(box), "ファイルの内容が変更されています。保存しますか？");
  Belmo::Answer(box, IDNO);
  EXPECT_TRUE(belmo.WaitExit());
}

TEST(Startup, CommandLineForms) {
  Sandbox sandbox("command-line");
  std::string spacedDir = sandbox.Path("with blank");
  CreateDirectoryA(spacedDir.c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(spacedDir + "\\my take.wav", OneSecondWave()));
  std::string exe = "\"" + sandbox.ExePath() + "\"";

  {
    SCOPED_TRACE("quoted path with a blank");
    Belmo belmo;
    ASSERT_TRUE(belmo.StartRaw(exe + " \"" + spacedDir + "\\my take.wav\"", sandbox.Dir()));
    ASSERT_NE(belmo.WaitMainWindow(), nullptr);
    MainControls c(belmo);
    EXPECT_EQ(Text(c.fileNameBox), "my take.wav");
    EXPECT_EQ(Text(c.infoBox), "停止中");
    CloseAndWait(belmo);
  }
  {
    SCOPED_TRACE("two blanks leave argument 1 empty");
    Belmo belmo;
    ASSERT_TRUE(belmo.StartRaw(exe + "  \"" + spacedDir + "\\my take.wav\"", sandbox.Dir()));
    ASSERT_NE(belmo.WaitMainWindow(), nullptr);
    MainControls c(belmo);
    EXPECT_EQ(Text(c.infoBox), "ファイルが開かれてません");
    EXPECT_EQ(Text(c.fileNameBox), "");
    CloseAndWait(belmo);
  }
}

TEST(Startup, BundledSampleOpens) {
  Sandbox sandbox("sample");
  const std::string sample = CopyOfSample(sandbox.Dir());
  ASSERT_FALSE(sample.empty());
  Belmo belmo;
  StartAndWait(belmo, sandbox, " \"" + sample + "\"");
  MainControls c(belmo);
  EXPECT_EQ(Text(c.fileNameBox), "sample.wav");
  EXPECT_EQ(Text(c.endSeconds), "2.549");
  CloseAndWait(belmo);
}

TEST(Startup, SettingsAreReadFromTheProgramDirectoryAndWrittenBackAtExit) {
  Sandbox sandbox("settings");
  // Key names are not what counts: each "=" gives the next value.
  const std::string custom =
      "[Settings]\r\nSinHz=440\r\nSindB=-3.5\r\nPitchUpType=1\r\nVoicePitch=0.5\r\n"
      "VoiceSample=40\r\nFFTSample=4\r\nOverWriteFilePath=C:\\a=b\\noise.wav\r\n"
      "OverWriteType=1\r\n";
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("settings.ini"),
                             std::vector<uint8_t>(custom.begin(), custom.end())));
  std::string elsewhere = sandbox.Path("elsewhere");
  CreateDirectoryA(elsewhere.c_str(), nullptr);

  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, "", elsewhere));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  CloseAndWait(belmo);
  EXPECT_EQ(FileText(sandbox.Path("settings.ini")), custom);
  EXPECT_FALSE(FileExists(elsewhere + "\\settings.ini"));
}
