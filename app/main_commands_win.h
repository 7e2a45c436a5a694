// Handlers of the main window's messages.
#pragma once

#include <windows.h>

namespace belmo {

void OnMainCommand(WPARAM wParam, LPARAM lParam);
void OnMainClose();

}  // namespace belmo
