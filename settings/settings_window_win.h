// The settings window: one tab per mask, on a thread of its own.
#pragma once

#include <windows.h>

namespace belmo {

// The procedure of the SETWINDOW class, shared with the About window.
LRESULT CALLBACK SettingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Menu command 8225.
void OpenSettingsWindow();

}  // namespace belmo
