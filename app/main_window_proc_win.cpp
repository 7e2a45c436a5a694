#include "app/command_ids.h"
#include "app/main_commands_win.h"
#include "app/main_window_win.h"
#include "document/exit_win.h"

namespace belmo {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      OnMainClose();
      return 0;
    case WM_COMMAND:
      OnMainCommand(wParam, lParam);
      return 0;
    case kMsgQueryMenuState:
      return static_cast<LRESULT>(
          GetMenuState(GetMenu(window), static_cast<UINT>(wParam), MF_BYCOMMAND));
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// The close box and the system menu end the program the same way the menu does.
void OnMainClose() { ExitApplication(); }

void OnMainCommand(WPARAM wParam, LPARAM) {
  switch (LOWORD(wParam)) {
    case kCmdExit:
      ExitApplication();
      break;
    default:
      break;
  }
}

}  // namespace belmo
