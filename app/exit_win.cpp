#include "app/exit_win.h"

#include <windows.h>

#include <initializer_list>

#include "app/app_state.h"
#include "app/hand_over_win.h"
#include "app/main_window_win.h"
#include "document/document_commands_win.h"
#include "document/document_state.h"
#include "document/win32_platform_win.h"
#include "document/working_copy.h"
#include "places/places_window_win.h"
#include "selection/playback_win.h"
#include "settings/settings_state_win.h"
#include "window/command_ids.h"
#include "window/worker_threads_win.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

constexpr DWORD kWorkerExitWaitMs = 2000;


// Each worker thread is asked to end through its message loop and given a
// moment; only one that does not answer is terminated. A thread killed in
// the middle of a heap or file call can leave a lock held and hang the rest
// of the exit, and then settings.ini would never be written.
void EndWorkerThread(HANDLE& thread) {
  if (!thread) return;
  if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
    PostThreadMessageA(GetThreadId(thread), WM_QUIT, 0, 0);
    if (WaitForSingleObject(thread, kWorkerExitWaitMs) == WAIT_TIMEOUT) {
      TerminateThread(thread, 0);
    }
  }
  CloseHandle(thread);
  thread = nullptr;
}

void EndWorkerThreads() {
  for (HANDLE* thread : {&Workers.Settings, &Workers.About, &Workers.VersionCheck,
                         &Workers.Playback}) {
    EndWorkerThread(*thread);
  }
}

}  // namespace

void ExitApplication() {
  // Playback first stops; this command comes back until its thread is idle.
  if (RequestPlaybackStop(Playback)) {
    Sleep(5);
    PostMessageA(MainUi.MainWindow, WM_COMMAND, kCmdExit, 0);
    return;
  }
  if (!ConfirmDiscardChanges() || !ConfirmEmptyPlaces()) return;
  RefuseHandedFilesFromNowOn();
  EndWorkerThreads();
  DestroyWindow(MainUi.MainWindow);
  MainUi.MainWindow = nullptr;
  // The image is a view of the working copy, and the system does not
  // remove a file that is mapped.
  Document.Image.clear();
  Win32FileStore files;
  RemoveWorkingCopy(Document.WorkingCopyPath, files);
  // A file dialog may have moved the current directory away.
  SetCurrentDirectoryW(WideOf(App.ProgramDirectory).c_str());
  WriteSettings();
  PostQuitMessage(0);
}

}  // namespace belmo
