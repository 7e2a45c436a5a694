#include "app/command_states_win.h"

#include <windows.h>

#include <initializer_list>

#include "app/command_ids.h"
#include "app/command_states.h"
#include "app/main_window_win.h"
#include "document/change_count.h"
#include "document/document_state.h"
#include "selection/playback_win.h"

namespace belmo {
namespace {

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

ProgramSituation CurrentSituation(bool playbackOver) {
  ProgramSituation s;
  s.DocumentOpen = Document.IsOpen();
  s.Playing = !playbackOver && IsPlaying(Playback.load());
  s.Revertible = Document.HasSavedFile && IsChanged(Document);
  s.Undoable = !Undo.IsEmpty();
  s.SeekOnStopChecked = Checked(MainUi.SeekOnStopCheck);
  return s;
}

void EnableMenuCommand(UINT id, bool enabled) {
  EnableMenuItem(MainUi.MenuBar, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void EnableControls(std::initializer_list<HWND> controls, bool enabled) {
  for (HWND control : controls) EnableWindow(control, enabled ? TRUE : FALSE);
}

}  // namespace

void UpdateCommandStates(bool playbackOver) {
  const CommandStates states = WorkOutCommandStates(CurrentSituation(playbackOver));
  const MainWindowHandles& ui = MainUi;
  EnableMenuCommand(kCmdOpen, states.Open);
  EnableMenuCommand(kCmdRevert, states.Revert);
  EnableMenuCommand(kCmdUndo, states.Undo);
  for (UINT id : {kCmdSine, kCmdVoiceChange, kCmdFileOverwrite}) {
    EnableMenuCommand(id, states.Masks);
  }
  EnableControls({ui.StartTrackbar, ui.EndTrackbar}, states.Sliders);
  EnableControls({ui.StartSecondsBox, ui.EndSecondsBox}, states.SecondsBoxes);
  EnableControls({ui.PlayButton}, states.PlayButton);
  EnableControls({ui.SineButton, ui.VoiceChangeButton, ui.FileOverwriteButton},
                 states.MaskButtons);
  EnableControls({ui.SeekStartRadio, ui.SeekRangeRadio}, states.SeekRadios);
  EnableControls({ui.WaveformStrip}, states.Waveform);
}

}  // namespace belmo
