#include "update/version_check_win.h"

namespace belmo {

LRESULT CALLBACK VersionCheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

void OpenVersionCheckWindow() {}

}  // namespace belmo
