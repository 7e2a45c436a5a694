// Subclassing of the main window's controls: each hooked control keeps the
// procedure it had, so a hook can pass on whatever it does not handle.
#pragma once

#include <windows.h>

namespace belmo {

void Subclass(HWND control, WNDPROC hook);
LRESULT CallPrevious(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace belmo
