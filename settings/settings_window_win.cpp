#include "settings/settings_window_win.h"

namespace belmo {

LRESULT CALLBACK SettingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

void OpenSettingsWindow() {}

}  // namespace belmo
