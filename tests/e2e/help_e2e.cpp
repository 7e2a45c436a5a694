// The help file from the Help menu, in a development build and in the
// unpacked release archive.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

const char kHelpTitle[] = "ベルモ ヘルプ";

HWND WaitHelpWindow(int timeoutMs = 15000) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    HWND help = FindWindowA(nullptr, kHelpTitle);
    if (help && IsWindowVisible(help)) return help;
    Sleep(50);
  }
  return nullptr;
}

std::string DriverDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string text(path);
  return text.substr(0, text.find_last_of('\\'));
}

// Opens the help from the menu of a program started by commandLine in dir,
// and closes both again.
void OpenHelpFromMenu(Belmo& belmo, const std::string& screenshot) {
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  belmo.Command(kCmdHelp);
  HWND help = WaitHelpWindow();
  ASSERT_NE(help, nullptr) << "the help viewer did not open Belmo_help.chm";
  if (!screenshot.empty()) {
    // The viewer is larger than the space left on the desktop: take it all.
    Sleep(1000);
    Screenshot(GetDesktopWindow(), screenshot);
  }
  PostMessageA(help, WM_CLOSE, 0, 0);
  belmo.Close();
  EXPECT_TRUE(belmo.WaitExit());
}

TEST(Help, MenuOpensTheHelpFileBesideTheProgram) {
  Sandbox sandbox("help");
  ASSERT_TRUE(CopyFileA((DriverDir() + "\\Belmo_help.chm").c_str(),
                        sandbox.Path("Belmo_help.chm").c_str(), FALSE));
  Belmo belmo;
  // Started from elsewhere: the help is found beside the program all the same.
  ASSERT_TRUE(belmo.Start(sandbox, "", "C:\\"));
  OpenHelpFromMenu(belmo, "help-viewer");
}

// Without the help file beside it the menu says so instead of doing nothing.
TEST(Help, MissingHelpFileIsReported) {
  Sandbox sandbox("help-missing");
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, ""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  belmo.Command(kCmdHelp);
  HWND box = belmo.WaitMessageBox();
  ASSERT_NE(box, nullptr) << "no message for the missing help file";
  EXPECT_EQ(Text(box), "ベルモ");
  EXPECT_EQ(Belmo::BoxText(box),
            "ヘルプファイル(Belmo_help.chm)を開けませんでした。belmo.exe と同じフォルダにあるかを確認してください。");
  Belmo::Answer(box, IDOK);
  ASSERT_TRUE(Belmo::WaitGone(box));
  belmo.Close();
  EXPECT_TRUE(belmo.WaitExit());
}

// test.sh unpacks the release archive and names its folder here.
TEST(Release, UnpackedArchiveStartsAndOpensItsHelp) {
  char dir[MAX_PATH] = {};
  if (GetEnvironmentVariableA("BELMO_RELEASE_DIR", dir, sizeof dir) == 0) {
    GTEST_SKIP() << "BELMO_RELEASE_DIR not set: no unpacked release archive to check";
  }
  std::string exe = std::string(dir) + "\\belmo.exe";
  ASSERT_TRUE(FileExists(exe)) << exe;
  const std::string sample = CopyOfSample(dir);
  ASSERT_FALSE(sample.empty());
  Belmo belmo;
  ASSERT_TRUE(belmo.StartRaw("\"" + exe + "\" \"" + sample + "\"", dir));
  OpenHelpFromMenu(belmo, "");
}

}  // namespace
