// Which commands and controls can be used, worked out from the program's
// situation alone rather than changed step by step by each command: after
// any change the whole set is worked out again, so no path can leave an
// item enabled that the situation does not allow.
#pragma once

namespace belmo {

struct ProgramSituation {
  bool DocumentOpen = false;
  bool Playing = false;
  // The document has a saved file of its own that the image differs from.
  bool Revertible = false;
  // The undo record holds an edit of this image.
  bool Undoable = false;
  bool SeekOnStopChecked = false;
};

struct CommandStates {
  // Menu items.
  bool Open = false;
  bool Revert = false;
  bool Undo = false;
  bool Masks = false;  // the three mask items
  // Controls of the main window.
  bool Sliders = false;
  bool SecondsBoxes = false;
  bool PlayButton = false;  // also while playing: it is the stop button then
  bool MaskButtons = false;
  bool SeekRadios = false;
  bool Waveform = false;
};

CommandStates WorkOutCommandStates(const ProgramSituation& situation);

}  // namespace belmo
