// Applies the enabled and grayed states of the main window's menu items and
// controls, worked out from the document, the undo record and playback.
#pragma once

namespace belmo {

// Called after every change of the situation: a load, a mask, an Undo, a
// save, the start and end of playback, the seek-on-stop check box.
void UpdateCommandStates();

}  // namespace belmo
