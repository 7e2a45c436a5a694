// The situation the command states are worked out from, read from every
// subsystem: the document, the undo record, playback and the main window.
#pragma once

#include "window/command_states.h"

namespace belmo {

ProgramSituation CurrentProgramSituation(bool playbackOver);

}  // namespace belmo
