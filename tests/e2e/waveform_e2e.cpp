// The waveform strip under the mask buttons: the menu command that shows
// it and grows the window, the choice kept in settings.ini, a drag that
// sets the range through the same controls as typing, and no input while
// playback runs.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "selection/time_text.h"
#include "selection/waveform_view.h"
#include "settings/mask_settings.h"
#include "tests/e2e/driver.h"
#include "window/command_ids.h"

using namespace e2e;
using namespace belmo;

namespace {

// settings.ini as the program leaves it with every mask setting at its default.
std::string SettingsLeft(const Sandbox& sandbox) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(sandbox.Path("settings.ini"), &bytes)) return "<missing>";
  return std::string(bytes.begin(), bytes.end());
}

std::string DefaultSettingsWith(bool waveform) {
  return FormatSettingsText(MaskSettings(), DisplaySettings{waveform});
}

// 8 kHz, 16-bit mono, a loud and a quiet second in turn.
std::vector<uint8_t> Wave(int seconds) {
  std::vector<uint8_t> samples;
  for (int i = 0; i < seconds * 8000; ++i) {
    const int level = (i / 8000) % 2 == 0 ? 12000 : 2000;
    const uint16_t v = static_cast<uint16_t>((i * 37) % (2 * level) - level);
    samples.push_back(static_cast<uint8_t>(v));
    samples.push_back(static_cast<uint8_t>(v >> 8));
  }
  return PcmWave(1, 8000, 16, samples);
}

HWND Strip(const Belmo& belmo) { return FindWindowExA(belmo.Main(), nullptr, "WAVEFORM", nullptr); }

SIZE ClientSize(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// Where the strip sits in the main window's client area, and its size.
RECT PlaceOf(HWND strip) {
  RECT rect;
  GetWindowRect(strip, &rect);
  MapWindowPoints(nullptr, GetParent(strip), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool Checked(const Belmo& belmo, UINT id) { return (belmo.MenuState(id) & MF_CHECKED) != 0; }

void Type(const Belmo& belmo, HWND box, const std::string& text) {
  Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  for (char ch : text) PostMessageA(box, WM_CHAR, static_cast<uint8_t>(ch), 0);
  ASSERT_TRUE(belmo.Flush());
}

// A press, a move and a release, as the mouse sends them.
void Drag(const Belmo& belmo, HWND strip, int fromX, int toX) {
  const int y = 40;
  PostMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromX, y));
  PostMessageA(strip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((fromX + toX) / 2, y));
  PostMessageA(strip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(toX, y));
  PostMessageA(strip, WM_LBUTTONUP, 0, MAKELPARAM(toX, y));
  ASSERT_TRUE(belmo.Flush());
}

// Everything the range shows through: slider positions and bounds, texts.
struct RangeShown {
  LRESULT startPos, startMax, endPos, endMin, endMax;
  std::string startText, endText;

  explicit RangeShown(const MainControls& c)
      : startPos(Send(c.startTrackbar, TBM_GETPOS)),
        startMax(Send(c.startTrackbar, TBM_GETRANGEMAX)),
        endPos(Send(c.endTrackbar, TBM_GETPOS)),
        endMin(Send(c.endTrackbar, TBM_GETRANGEMIN)),
        endMax(Send(c.endTrackbar, TBM_GETRANGEMAX)),
        startText(Text(c.startSeconds)),
        endText(Text(c.endSeconds)) {}
};

void ExpectSame(const RangeShown& a, const RangeShown& b) {
  EXPECT_EQ(a.startPos, b.startPos);
  EXPECT_EQ(a.startMax, b.startMax);
  EXPECT_EQ(a.endPos, b.endPos);
  EXPECT_EQ(a.endMin, b.endMin);
  EXPECT_EQ(a.endMax, b.endMax);
  EXPECT_EQ(a.startText, b.startText);
  EXPECT_EQ(a.endText, b.endText);
}

// The program on a recording of its own, with the strip shown.
void StartWithStrip(Belmo& belmo, const Sandbox& sandbox, int seconds) {
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("take.wav"), Wave(seconds)));
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + sandbox.Path("take.wav") + "\""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  belmo.Command(kCmdShowWaveform);
  ASSERT_TRUE(belmo.Flush());
}

void FinishMask(Belmo& belmo, HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
  HWND box = belmo.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Belmo::BoxText(box), "処理が終了しました。");
  Belmo::Answer(box, IDOK);
  ASSERT_TRUE(Belmo::WaitGone(box));
  ASSERT_TRUE(belmo.Flush());
}

}  // namespace

TEST(Waveform, MenuShowsTheStripBelowTheButtonsAndSettingsKeepTheChoice) {
  Sandbox sandbox("waveform-menu");
  const std::string sample = CopyOfSample(sandbox.Dir());
  ASSERT_FALSE(sample.empty());
  {
    Belmo belmo;
    ASSERT_TRUE(belmo.Start(sandbox, " \"" + sample + "\""));
    ASSERT_NE(belmo.WaitMainWindow(), nullptr);
    MainControls c(belmo);
    HWND strip = Strip(belmo);
    ASSERT_NE(strip, nullptr);
    const SIZE without = ClientSize(belmo.Main());
    EXPECT_FALSE(IsWindowVisible(strip));
    EXPECT_FALSE(Checked(belmo, kCmdShowWaveform));

    belmo.Command(kCmdShowWaveform);
    ASSERT_TRUE(belmo.Flush());
    EXPECT_TRUE(Checked(belmo, kCmdShowWaveform));
    EXPECT_TRUE(IsWindowVisible(strip));
    EXPECT_TRUE(Enabled(strip));
    const SIZE with = ClientSize(belmo.Main());
    EXPECT_EQ(with.cx, without.cx);
    EXPECT_EQ(with.cy, without.cy + 100);
    const RECT place = PlaceOf(strip);
    EXPECT_EQ(place.left, 10);
    EXPECT_EQ(place.top, 270);
    EXPECT_EQ(place.right - place.left, 280);
    EXPECT_EQ(place.bottom - place.top, 90);

    // A masked stretch, and a range elsewhere, for the picture.
    ASSERT_NO_FATAL_FAILURE(Type(belmo, c.startSeconds, "0.9"));
    ASSERT_NO_FATAL_FAILURE(Type(belmo, c.endSeconds, "1.45"));
    ASSERT_NO_FATAL_FAILURE(FinishMask(belmo, c.sineButton));
    ASSERT_NO_FATAL_FAILURE(Type(belmo, c.startSeconds, "1.7"));
    ASSERT_NO_FATAL_FAILURE(Type(belmo, c.endSeconds, "2.2"));
    Screenshot(belmo.Main(), "main-window-waveform");

    belmo.Close();
    HWND question = belmo.WaitMessageBox();
    ASSERT_NE(question, nullptr);
    Belmo::Answer(question, IDNO);
    ASSERT_TRUE(belmo.WaitExit());
  }
  EXPECT_EQ(SettingsLeft(sandbox), DefaultSettingsWith(true));
  EXPECT_EQ(DefaultSettingsWith(true).substr(131), "ShowWaveform=1\r\n");

  // The next start shows the strip at once; without a document it takes no
  // input. Turned off, the window and the file are as they always were.
  Belmo belmo;
  ASSERT_TRUE(belmo.Start(sandbox, ""));
  ASSERT_NE(belmo.WaitMainWindow(), nullptr);
  ASSERT_TRUE(belmo.Flush());
  HWND strip = Strip(belmo);
  EXPECT_TRUE(IsWindowVisible(strip));
  EXPECT_FALSE(Enabled(strip));
  const SIZE with = ClientSize(belmo.Main());
  belmo.Command(kCmdShowWaveform);
  ASSERT_TRUE(belmo.Flush());
  EXPECT_FALSE(IsWindowVisible(strip));
  EXPECT_EQ(ClientSize(belmo.Main()).cy, with.cy - 100);
  belmo.Close();
  ASSERT_TRUE(belmo.WaitExit());
  EXPECT_EQ(SettingsLeft(sandbox), DefaultSettingsWith(false));
  EXPECT_EQ(DefaultSettingsWith(false).size(), 131u);
}

TEST(Waveform, DragSetsTheRangeAsTypingTheSameTimesWould) {
  Sandbox sandbox("waveform-drag");
  Belmo belmo;
  ASSERT_NO_FATAL_FAILURE(StartWithStrip(belmo, sandbox, 3));
  MainControls c(belmo);
  HWND strip = Strip(belmo);
  const int width = ClientSize(strip).cx;
  const WaveformView whole = WholeRecording(3000, width);

  // Right to left: the range runs from the release to the press.
  ASSERT_NO_FATAL_FAILURE(Drag(belmo, strip, 200, 40));
  const uint32_t start = MsAtColumn(whole, 40, 3000);
  const uint32_t end = MsAtColumn(whole, 200, 3000);
  const RangeShown dragged(c);
  EXPECT_EQ(dragged.startPos, static_cast<LRESULT>(start));
  EXPECT_EQ(dragged.endPos, static_cast<LRESULT>(end));
  EXPECT_EQ(dragged.startText, TimeText(start));
  EXPECT_EQ(dragged.endText, TimeText(end));

  ASSERT_NO_FATAL_FAILURE(Type(belmo, c.startSeconds, TimeText(start)));
  ASSERT_NO_FATAL_FAILURE(Type(belmo, c.endSeconds, TimeText(end)));
  ExpectSame(RangeShown(c), dragged);

  // A press beside the end edge moves that edge only.
  ASSERT_NO_FATAL_FAILURE(Drag(belmo, strip, 202, 250));
  const RangeShown moved(c);
  EXPECT_EQ(moved.startPos, static_cast<LRESULT>(start));
  EXPECT_EQ(moved.endPos, static_cast<LRESULT>(MsAtColumn(whole, 250, 3000)));
  EXPECT_EQ(moved.endText, TimeText(MsAtColumn(whole, 250, 3000)));
  EXPECT_EQ(moved.startMax, moved.endPos - 1);
  Screenshot(belmo.Main(), "main-window-waveform-dragged");

  belmo.Close();
  ASSERT_TRUE(belmo.WaitExit());
}

TEST(Waveform, RefusesInputWhilePlaying) {
  Sandbox sandbox("waveform-playing");
  Belmo belmo;
  ASSERT_NO_FATAL_FAILURE(StartWithStrip(belmo, sandbox, 5));
  MainControls c(belmo);
  HWND strip = Strip(belmo);

  PostMessageA(c.playButton, BM_CLICK, 0, 0);
  ASSERT_TRUE(belmo.Flush());
  ASSERT_FALSE(Enabled(strip)) << "locked with the sliders";
  const RangeShown before(c);
  ASSERT_NO_FATAL_FAILURE(Drag(belmo, strip, 30, 90));
  PostMessageA(strip, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  ASSERT_TRUE(belmo.Flush());
  ExpectSame(RangeShown(c), before);

  PostMessageA(c.playButton, BM_CLICK, 0, 0);
  for (int waited = 0; waited < 8000 && !Enabled(strip); waited += 20) Sleep(20);
  EXPECT_TRUE(Enabled(strip)) << "unlocked once playback has ended";
  belmo.Close();
  ASSERT_TRUE(belmo.WaitExit());
}

// The hour-long recording of bench/large_file_check.sh --wine, with the
// strip shown from the start: it opens, toggles, takes a drag and follows
// a mask and its Undo. Skipped unless BELMO_E2E_LARGE_DIR names the files.
TEST(LargeWaveform, StripOnTheWholeHour) {
  const char* dir = std::getenv("BELMO_E2E_LARGE_DIR");
  if (!dir) GTEST_SKIP() << "BELMO_E2E_LARGE_DIR is not set";
  const std::string input = std::string(dir) + "\\in.wav";
  if (!FileExists(input)) GTEST_SKIP() << "no " << input;
  constexpr int kLongWaitMs = 10 * 60 * 1000;
  Sandbox sandbox("large-waveform");
  const std::string settings = DefaultSettingsWith(true);
  ASSERT_TRUE(WriteFileBytes(sandbox.Path("settings.ini"),
                             std::vector<uint8_t>(settings.begin(), settings.end())));

  Belmo belmo;
  ULONGLONG started = GetTickCount64();
  ASSERT_TRUE(belmo.Start(sandbox, " \"" + input + "\""));
  ASSERT_NE(belmo.WaitMainWindow(kLongWaitMs), nullptr);
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));
  const double openSeconds = (GetTickCount64() - started) / 1000.0;
  HWND strip = Strip(belmo);
  ASSERT_TRUE(IsWindowVisible(strip));
  ASSERT_TRUE(Enabled(strip));

  // Off and on again: the second showing is the summary's one pass.
  belmo.Command(kCmdShowWaveform);
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));
  started = GetTickCount64();
  belmo.Command(kCmdShowWaveform);
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));
  const double showSeconds = (GetTickCount64() - started) / 1000.0;

  MainControls c(belmo);
  const int width = ClientSize(strip).cx;
  const int32_t lengthMs = static_cast<int32_t>(Send(c.endTrackbar, TBM_GETRANGEMAX));
  const WaveformView whole = WholeRecording(lengthMs, width);
  ASSERT_NO_FATAL_FAILURE(Drag(belmo, strip, 100, 140));
  EXPECT_EQ(Send(c.startTrackbar, TBM_GETPOS),
            static_cast<LRESULT>(MsAtColumn(whole, 100, lengthMs)));
  EXPECT_EQ(Text(c.endSeconds), TimeText(MsAtColumn(whole, 140, lengthMs)));

  started = GetTickCount64();
  PostMessageA(c.sineButton, BM_CLICK, 0, 0);
  HWND box = belmo.WaitMessageBox(kLongWaitMs);
  ASSERT_NE(box, nullptr);
  const double maskSeconds = (GetTickCount64() - started) / 1000.0;
  Belmo::Answer(box, IDOK);
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));
  Screenshot(belmo.Main(), "main-window-waveform-hour");
  belmo.Command(kCmdUndo);
  ASSERT_TRUE(belmo.Flush(kLongWaitMs));

  const double peakMb = belmo.PeakMemoryBytes() / 1e6;
  belmo.Close();
  box = belmo.WaitMessageBox(5000);
  if (box) Belmo::Answer(box, IDNO);
  EXPECT_TRUE(belmo.WaitExit(kLongWaitMs));
  std::printf("waveform strip: open %.1f s, shown again (one pass) %.2f s, mask %.1f s, "
              "peak %.0f MB\n",
              openSeconds, showSeconds, maskSeconds, peakMb);
  std::fflush(stdout);
}
