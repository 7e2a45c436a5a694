// The display's DPI and what follows from it. Every window is laid out in
// the 96-DPI pixels of its description and scaled to the DPI of the monitor
// it is on; at 96 DPI nothing changes. The per-monitor functions exist from
// Windows 10 1607 on; before that the system DPI serves for every window.
#pragma once

#include <windows.h>

namespace belmo {

constexpr UINT kBaseDpi = 96;

// The DPI of the monitor the window is on.
UINT DpiOfWindow(HWND window);
// The DPI new windows start with, before the system has placed them.
UINT SystemDpi();

// A 96-DPI length at dpi, rounded as MulDiv rounds.
inline int Scaled(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), kBaseDpi); }

// The outer size of a window whose client area is clientWidth x clientHeight
// 96-DPI pixels, with its frame and caption as the system draws them at dpi
// and, for a window with a menu bar, the menu-button height below them.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                         bool menuBar, UINT dpi);

// The one user-interface font, "ＭＳ Ｐゴシック" of height -12 at 96 DPI,
// made once per DPI and kept until the program ends; any thread may ask.
HFONT SharedFont(UINT dpi);

}  // namespace belmo
