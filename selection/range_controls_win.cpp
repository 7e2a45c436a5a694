#include "selection/range_controls_win.h"

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <limits>

#include "document/document_state.h"
#include "numtext/number_text.h"
#include "selection/control_hooks_win.h"
#include "selection/keyboard_navigation_win.h"
#include "selection/sample_range.h"
#include "selection/time_text.h"
#include "selection/waveform_strip_win.h"
#include "window/main_window_handles_win.h"

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

// SetRange writes the boxes itself, one after the other; each write is a
// change of the text, and reading both boxes between the two writes would
// take half of the old range for the new one.
bool WritingSecondsBoxes = false;

void ReadSecondsBoxes() {
  SetRange({TypedMilliseconds(MainUi.StartSecondsBox), TypedMilliseconds(MainUi.EndSecondsBox)},
           RangeSource::SecondsBoxes);
}

// SyncRangeControls: a slider moved (lParam is its handle). Without a handle
// the message only shows the range again, as the seconds boxes left it.
void SyncRangeControls(HWND slider) {
  if (!slider) {
    SetRange(Range, RangeSource::SecondsBoxes);
    return;
  }
  SetRange({static_cast<uint32_t>(TrackbarPosition(MainUi.StartTrackbar)),
            static_cast<uint32_t>(TrackbarPosition(MainUi.EndTrackbar))},
           RangeSource::Sliders);
}

// The seconds boxes are children of the range group, so their change
// notices come here. Every edit of the text updates the range at once,
// however it was made: typing, the keyboard's and the menu's cut, paste and
// undo (Shift+Insert included), an input method's result.
LRESULT CALLBACK RangeGroupProc(HWND group, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HSCROLL) {
    SyncRangeControls(reinterpret_cast<HWND>(lParam));
    return 0;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
    HWND box = reinterpret_cast<HWND>(lParam);
    if ((box == MainUi.StartSecondsBox || box == MainUi.EndSecondsBox) && !WritingSecondsBoxes) {
      ReadSecondsBoxes();
    }
    return 0;
  }
  return CallPrevious(group, message, wParam, lParam);
}

LRESULT CALLBACK SecondsBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR && wParam == VK_TAB) {
    HandleNavigationMessage(box, message, wParam);
    return 0;
  }
  return CallPrevious(box, message, wParam, lParam);
}

void SetTrackbarSteps(HWND trackbar) {
  SendMessageA(trackbar, TBM_SETPAGESIZE, 0, 10);
  SendMessageA(trackbar, TBM_SETLINESIZE, 0, 1);
}

}  // namespace

void SetRange(const SampleRange& range, RangeSource source) {
  Range = range;
  // The bounds first: a position outside the old bounds would be cut to them.
  SetTrackbarRange(MainUi.StartTrackbar, 0, static_cast<int64_t>(Range.end) - 1);
  SetTrackbarRange(MainUi.EndTrackbar, static_cast<int64_t>(Range.start) + 1, Document.LengthMs);
  if (source != RangeSource::Sliders) {
    SendMessageA(MainUi.StartTrackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(Range.start));
    SendMessageA(MainUi.EndTrackbar, TBM_SETPOS, TRUE, static_cast<LPARAM>(Range.end));
  }
  if (source != RangeSource::SecondsBoxes) {
    WritingSecondsBoxes = true;
    SetWindowTextA(MainUi.StartSecondsBox, TimeText(Range.start).c_str());
    SetWindowTextA(MainUi.EndSecondsBox, TimeText(Range.end).c_str());
    WritingSecondsBoxes = false;
  }
  WaveformRangeChanged();
}

void ResetRangeControls(int32_t lengthMs) {
  SetTrackbarSteps(MainUi.StartTrackbar);
  SetTrackbarSteps(MainUi.EndTrackbar);
  SetRange({0, static_cast<uint32_t>(lengthMs)}, RangeSource::Program);
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
