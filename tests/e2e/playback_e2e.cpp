// Playback of the range through the sound device (a null sink under test):
// the live position, the controls locked meanwhile, the seek on stop, and
// exit during playback.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

const std::string kPlayingPrefix = "再生中(現在位置:";

std::vector<uint8_t> Seconds(int seconds) {
  return PcmWave(1, 8000, 8, std::vector<uint8_t>(8000 * seconds, 128));
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Polls the information box until pred holds; returns the last text seen.
template <typename Pred>
std::string WaitInfo(HWND infoBox, Pred pred, int timeoutMs = 8000) {
  std::string text;
  for (int waited = 0; waited < timeoutMs; waited += 20) {
    text = Text(infoBox);
    if (pred(text)) break;
    Sleep(20);
  }
  return text;
}

// The playing position shown, in ms ("再生中(現在位置:1.234秒)" gives 1234).
int ShownMs(const std::string& text) {
  size_t at = kPlayingPrefix.size();
  return static_cast<int>(std::stod(text.substr(at)) * 1000 + 0.5);
}

class Playback : public ::testing::Test {
 protected:
  Playback()
      : sandbox_(std::string("playback-") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  void Open(int seconds) {
    ASSERT_TRUE(WriteFileBytes(sandbox_.Path("take.wav"), Seconds(seconds)));
    ASSERT_TRUE(belmo_.Start(sandbox_, " \"" + sandbox_.Path("take.wav") + "\""));
    ASSERT_NE(belmo_.WaitMainWindow(), nullptr);
    controls_ = std::make_unique<MainControls>(belmo_);
  }

  void Press(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

  Sandbox sandbox_;
  Belmo belmo_;
  std::unique_ptr<MainControls> controls_;
};

TEST_F(Playback, PlaysToTheEndWithControlsLockedMeanwhile) {
  Open(2);
  MainControls& c = *controls_;
  SendMessageA(c.endSeconds, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  for (char ch : std::string("1")) PostMessageA(c.endSeconds, WM_CHAR, ch, 0);
  belmo_.Flush();
  Press(c.playButton);

  std::string first = WaitInfo(c.infoBox, [](const std::string& t) {
    return StartsWith(t, kPlayingPrefix) && t != kPlayingPrefix + "0.000秒)";
  });
  ASSERT_TRUE(StartsWith(first, kPlayingPrefix)) << first;
  for (HWND locked : {c.startTrackbar, c.endTrackbar, c.startSeconds, c.endSeconds, c.sineButton,
                      c.voiceButton, c.fileButton}) {
    EXPECT_FALSE(Enabled(locked));
  }
  EXPECT_TRUE(Enabled(c.playButton));
  for (UINT id : {kCmdOpen, kCmdUndo, kCmdSine, kCmdRevert}) EXPECT_TRUE(belmo_.MenuGrayed(id));
  EXPECT_FALSE(belmo_.MenuGrayed(kCmdSave));
  // Any process can send the end-of-playback message: it must change nothing.
  for (LPARAM forged : {0, 1, 2, 0x10000}) Send(belmo_.Main(), kMsgPlaybackEnded, 0, forged);
  ASSERT_TRUE(belmo_.Running());
  EXPECT_FALSE(Enabled(c.sineButton)) << "a forged end of playback unlocked the controls";

  std::string later = WaitInfo(c.infoBox, [&](const std::string& t) {
    return !StartsWith(t, kPlayingPrefix) || ShownMs(t) > ShownMs(first);
  });
  EXPECT_TRUE(!StartsWith(later, kPlayingPrefix) || ShownMs(later) > ShownMs(first))
      << "the position must advance";

  EXPECT_EQ(WaitInfo(c.infoBox, [](const std::string& t) { return t == "停止中"; }), "停止中");
  belmo_.Flush();
  EXPECT_EQ(Text(c.startSeconds), "0.000");
  EXPECT_EQ(Send(c.endTrackbar, TBM_GETPOS), 1000) << "reaching the end moves no end of the range";
  for (HWND unlocked : {c.startTrackbar, c.endTrackbar, c.startSeconds, c.sineButton}) {
    EXPECT_TRUE(Enabled(unlocked));
  }
  EXPECT_FALSE(belmo_.MenuGrayed(kCmdOpen));
  EXPECT_TRUE(belmo_.MenuGrayed(kCmdRevert)) << "nothing to revert: the file is unchanged";
  EXPECT_TRUE(belmo_.MenuGrayed(kCmdUndo)) << "nothing to undo before playback, nor after";
  belmo_.Close();
  EXPECT_TRUE(belmo_.WaitExit());
}

TEST_F(Playback, StopByHandMovesTheChosenEndOfTheRange) {
  Open(5);
  MainControls& c = *controls_;
  Press(c.seekCheck);
  belmo_.Flush();
  ASSERT_TRUE(Enabled(c.seekStartRadio));

  Press(c.playButton);
  std::string shown = WaitInfo(c.infoBox, [](const std::string& t) {
    return StartsWith(t, kPlayingPrefix) && ShownMs(t) >= 400;
  });
  ASSERT_TRUE(StartsWith(shown, kPlayingPrefix)) << shown;
  Press(c.playButton);
  EXPECT_EQ(WaitInfo(c.infoBox, [](const std::string& t) { return t == "停止中"; }), "停止中");
  belmo_.Flush();

  LRESULT start = Send(c.startTrackbar, TBM_GETPOS);
  EXPECT_GE(start, 400);
  EXPECT_LT(start, 5000);
  EXPECT_EQ(Send(c.endTrackbar, TBM_GETRANGEMIN), start + 1);
  char expected[32];
  wsprintfA(expected, "%d.%03d", static_cast<int>(start / 1000), static_cast<int>(start % 1000));
  EXPECT_EQ(Text(c.startSeconds), expected);
  EXPECT_EQ(Text(c.endSeconds), "5.000");
  belmo_.Close();
  EXPECT_TRUE(belmo_.WaitExit());
}

TEST_F(Playback, ExitWhilePlayingStopsFirstThenAsksAboutChanges) {
  Open(5);
  MainControls& c = *controls_;
  Press(c.sineButton);
  HWND done = belmo_.WaitMessageBox();
  ASSERT_NE(done, nullptr);
  Belmo::Answer(done, IDOK);
  belmo_.Flush();

  Press(c.playButton);
  ASSERT_TRUE(StartsWith(WaitInfo(c.infoBox, [](const std::string& t) {
                           return StartsWith(t, kPlayingPrefix);
                         }),
                         kPlayingPrefix));
  belmo_.Close();
  HWND question = belmo_.WaitMessageBox();
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(Belmo::BoxText(question), "ファイルの内容が変更されています。保存しますか？");
  EXPECT_EQ(Text(c.infoBox), "停止中") << "playback ends before the question";
  Belmo::Answer(question, IDNO);
  EXPECT_TRUE(belmo_.WaitExit());
  EXPECT_FALSE(FileExists(sandbox_.Path("temp.tmp")));
}

}  // namespace
