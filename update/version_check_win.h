// The version check window: asks the update server for the newest version
// and can download it, on a thread of its own.
#pragma once

#include <windows.h>

namespace belmo {

// The procedure of the VERCHECK class.
LRESULT CALLBACK VersionCheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Menu command 8243.
void OpenVersionCheckWindow();

}  // namespace belmo
