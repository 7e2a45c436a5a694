#include "window/command_states.h"

namespace belmo {

CommandStates WorkOutCommandStates(const ProgramSituation& s) {
  // Nothing that reads or rewrites the image or the range runs while the
  // working copy is being played.
  const bool editable = s.DocumentOpen && !s.Playing;
  CommandStates states;
  states.Open = !s.Playing;
  states.Revert = editable && s.Revertible;
  states.Undo = editable && s.Undoable;
  states.Masks = editable;
  states.Sliders = editable;
  // Typing needs no document: the boxes only hold text until one is open.
  states.SecondsBoxes = !s.Playing;
  states.PlayButton = s.DocumentOpen;
  states.MaskButtons = editable;
  states.SeekRadios = s.SeekOnStopChecked;
  states.Waveform = editable;
  return states;
}

}  // namespace belmo
