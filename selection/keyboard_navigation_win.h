// Keyboard navigation of the main window. There is no dialog manager in the
// message loop, so Tab arrives as a character message at the focused
// control, and each focusable control moves the focus on itself.
#pragma once

#include <windows.h>

namespace belmo {

// Handles Tab/Shift+Tab (character messages), arrows on the radio pair and
// Enter on the buttons and the check box. True when the message was used.
bool HandleNavigationMessage(HWND control, UINT message, WPARAM wParam);

// The hook of the sliders, the buttons, the check box and the radio buttons.
LRESULT CALLBACK KeyboardNavigationProc(HWND control, UINT message, WPARAM wParam,
                                        LPARAM lParam);

// Enables both radio buttons exactly when "seek on stop" is checked.
void SyncSeekRadios();

}  // namespace belmo
