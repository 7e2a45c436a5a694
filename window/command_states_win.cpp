#include "window/command_states_win.h"

#include <windows.h>

#include <initializer_list>

#include "window/command_ids.h"
#include "window/main_window_handles_win.h"

namespace belmo {
namespace {

ProgramSituationSource SituationSource = nullptr;
CommandStatesFollower Follower = nullptr;

void EnableMenuCommand(UINT id, bool enabled) {
  EnableMenuItem(MainUi.MenuBar, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void EnableControls(std::initializer_list<HWND> controls, bool enabled) {
  for (HWND control : controls) EnableWindow(control, enabled ? TRUE : FALSE);
}

}  // namespace

void SetProgramSituationSource(ProgramSituationSource source) { SituationSource = source; }

void SetCommandStatesFollower(CommandStatesFollower follower) { Follower = follower; }

void UpdateCommandStates(bool playbackOver) {
  if (!SituationSource) return;
  const CommandStates states = WorkOutCommandStates(SituationSource(playbackOver));
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
  if (Follower) Follower(states);
}

}  // namespace belmo
