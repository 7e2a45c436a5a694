#include "selection/range_controls_win.h"

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <limits>

#include "app/main_window_win.h"
#include "document/document_state.h"
#include "numtext/number_text.h"
#include "selection/control_hooks_win.h"
#include "selection/keyboard_navigation_win.h"
#include "selection/sample_range.h"
#include "selection/time_text.h"

namespace belmo {
namespace {

// The seconds boxes are read with at most this many characters.
constexpr int kSecondsTextChars = 9;

void SetTrackbarRange(HWND trackbar, int64_t minimum, int64_t maximum) {
  SendMessageA(trackbar, TBM_SETRANGEMIN, TRUE, static_cast<LPARAM>(minimum));
  SendMessageA(trackbar, TBM_SETRANGEMAX, TRUE, static_cast<LPARAM>(maximum));
}

int32_t TrackbarPosition(HWND trackbar) {
  return static_cast<int32_t>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
}

// Typed seconds become milliseconds as typed; a value no range can hold
// (negative, or beyond 32 bits) becomes the largest count, which no mask or
// playback will accept, rather than silently turning into a valid one.
uint32_t TypedMilliseconds(HWND box) {
  char text[kSecondsTextChars + 1] = {};
  GetWindowTextA(box, text, sizeof text);
  int64_t ms = RoundHalfEven(TextToNumber(text) * 1000);
  if (ms < 0 || ms > std::numeric_limits<uint32_t>::max()) {
    return std::numeric_limits<uint32_t>::max();
  }
  return static_cast<uint32_t>(ms);
}

// SyncRangeControls: a slider moved (lParam is its handle), or a seconds box
// was typed in (lParam is empty). Either way both sliders end up bounding
// each other.
void SyncRangeControls(HWND slider) {
  if (slider) {
    Range.start = static_cast<uint32_t>(TrackbarPosition(MainUi.StartTrackbar));
    Range.end = static_cast<uint32_t>(TrackbarPosition(MainUi.EndTrackbar));
    SetWindowTextA(MainUi.StartSecondsBox, TimeText(Range.start).c_str());
    SetWindowTextA(MainUi.EndSecondsBox, TimeText(Range.end).c_str());
  } else {
    SendMessageA(MainUi.StartTrackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(Range.start));
    SendMessageA(MainUi.EndTrackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(Range.end));
  }
  SetTrackbarRange(MainUi.StartTrackbar, 0, static_cast<int64_t>(Range.end) - 1);
  SetTrackbarRange(MainUi.EndTrackbar, static_cast<int64_t>(Range.start) + 1, Document.LengthMs);
}

LRESULT CALLBACK RangeGroupProc(HWND group, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HSCROLL) {
    SyncRangeControls(reinterpret_cast<HWND>(lParam));
    return 0;
  }
  return CallPrevious(group, message, wParam, lParam);
}

// Every typed character (Backspace included) updates the range at once;
// changes without a character (paste, Delete) wait for the next one.
LRESULT CALLBACK SecondsBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR && wParam == VK_TAB) {
    HandleNavigationMessage(box, message, wParam);
    return 0;
  }
  LRESULT result = CallPrevious(box, message, wParam, lParam);
  if (message == WM_CHAR) {
    Range.start = TypedMilliseconds(MainUi.StartSecondsBox);
    Range.end = TypedMilliseconds(MainUi.EndSecondsBox);
    SendMessageA(MainUi.RangeGroup, WM_HSCROLL, 0, 0);
  }
  return result;
}

void SetTrackbar(HWND trackbar, int32_t minimum, int32_t maximum, int32_t position) {
  SetTrackbarRange(trackbar, minimum, maximum);
  SendMessageA(trackbar, TBM_SETPAGESIZE, 0, 10);
  SendMessageA(trackbar, TBM_SETLINESIZE, 0, 1);
  SendMessageA(trackbar, TBM_SETPOS, TRUE, position);
}

}  // namespace

void ResetRangeControls(int32_t lengthMs) {
  SetTrackbar(MainUi.StartTrackbar, 0, lengthMs - 1, 0);
  SetTrackbar(MainUi.EndTrackbar, 1, lengthMs, lengthMs);
  SetWindowTextA(MainUi.StartSecondsBox, TimeText(0).c_str());
  SetWindowTextA(MainUi.EndSecondsBox, TimeText(lengthMs).c_str());
  Range.start = 0;
  Range.end = static_cast<uint32_t>(lengthMs);
}

void ShowRangeInControls() {
  SyncRangeControls(nullptr);
  SetWindowTextA(MainUi.StartSecondsBox, TimeText(Range.start).c_str());
  SetWindowTextA(MainUi.EndSecondsBox, TimeText(Range.end).c_str());
}

void EnableRangeControls(bool enabled) {
  for (HWND control : {MainUi.StartTrackbar, MainUi.EndTrackbar, MainUi.StartSecondsBox,
                       MainUi.EndSecondsBox}) {
    EnableWindow(control, enabled ? TRUE : FALSE);
  }
}

void InstallControlHooks() {
  Subclass(MainUi.RangeGroup, RangeGroupProc);
  Subclass(MainUi.StartSecondsBox, SecondsBoxProc);
  Subclass(MainUi.EndSecondsBox, SecondsBoxProc);
  for (HWND control : {MainUi.StartTrackbar, MainUi.EndTrackbar, MainUi.PlayButton,
                       MainUi.SeekOnStopCheck, MainUi.SeekStartRadio, MainUi.SeekRangeRadio,
                       MainUi.SineButton, MainUi.VoiceChangeButton,
                       MainUi.FileOverwriteButton}) {
    Subclass(control, KeyboardNavigationProc);
  }
}

}  // namespace belmo
