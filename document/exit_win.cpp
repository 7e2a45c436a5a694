#include "document/exit_win.h"

#include <windows.h>

#include "app/app_state.h"
#include "app/main_window_win.h"
#include "document/document_state.h"
#include "settings/settings_state_win.h"

namespace belmo {

void ExitApplication() {
  DestroyWindow(MainUi.MainWindow);
  MainUi.MainWindow = nullptr;
  DeleteFileA(Document.WorkingCopyPath);
  // A file dialog may have moved the current directory away.
  SetCurrentDirectoryA(App.ProgramDirectory.c_str());
  WriteSettings();
  PostQuitMessage(0);
}

}  // namespace belmo
