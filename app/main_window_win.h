// The main window's creation: its classes, controls and menus, and its
// window procedure.
#pragma once

#include <windows.h>

#include "window/main_window_handles_win.h"

namespace belmo {

void RegisterWindowClasses(HINSTANCE instance);
void CreateMainWindow(HINSTANCE instance);
void CreateMainControls(HINSTANCE instance);
void BuildMenus();
void SetStartupControlStates();

// The main window procedure.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace belmo
