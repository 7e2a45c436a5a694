#include "app/program_situation_win.h"

#include <windows.h>

#include "document/change_count.h"
#include "document/document_state.h"
#include "selection/playback_win.h"
#include "window/main_window_handles_win.h"

namespace belmo {
namespace {

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

ProgramSituation CurrentProgramSituation(bool playbackOver) {
  ProgramSituation s;
  s.DocumentOpen = Document.IsOpen();
  s.Playing = !playbackOver && IsPlaying(Playback.load());
  s.Revertible = Document.HasSavedFile && IsChanged(Document);
  s.Undoable = !Undo.IsEmpty();
  s.SeekOnStopChecked = Checked(MainUi.SeekOnStopCheck);
  return s;
}

}  // namespace belmo
