#include "selection/range_controls_win.h"

#include <windows.h>
#include <commctrl.h>
#include <initializer_list>

#include "app/main_window_win.h"
#include "selection/sample_range.h"
#include "selection/time_text.h"

namespace belmo {
namespace {

// Each hooked control keeps the procedure it had, to pass on what it does
// not handle.
struct HookedControl {
  HWND window;
  WNDPROC previous;
};

constexpr int kMaxHooks = 16;
HookedControl hooks[kMaxHooks];
int hookCount = 0;

WNDPROC PreviousProc(HWND window) {
  for (int i = 0; i < hookCount; ++i) {
    if (hooks[i].window == window) return hooks[i].previous;
  }
  return DefWindowProcA;
}

LRESULT CALLBACK PassOnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(PreviousProc(window), window, message, wParam, lParam);
}

void Hook(HWND window, WNDPROC proc) {
  if (hookCount == kMaxHooks) return;
  LONG_PTR previous =
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  hooks[hookCount++] = {window, reinterpret_cast<WNDPROC>(previous)};
}

void SetTrackbar(HWND trackbar, int32_t minimum, int32_t maximum, int32_t position) {
  SendMessageA(trackbar, TBM_SETRANGEMIN, TRUE, minimum);
  SendMessageA(trackbar, TBM_SETRANGEMAX, TRUE, maximum);
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

void InstallControlHooks() {
  // The range and keyboard handling arrive with the editing loop; until
  // then every hooked control behaves exactly as before.
  Hook(MainUi.RangeGroup, PassOnProc);
  for (HWND control : {MainUi.StartSecondsBox, MainUi.EndSecondsBox, MainUi.StartTrackbar,
                       MainUi.EndTrackbar, MainUi.PlayButton, MainUi.SeekOnStopCheck,
                       MainUi.SeekStartRadio, MainUi.SeekRangeRadio, MainUi.SineButton,
                       MainUi.VoiceChangeButton, MainUi.FileOverwriteButton}) {
    Hook(control, PassOnProc);
  }
}

}  // namespace belmo
