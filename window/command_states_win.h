// Applies the enabled and grayed states of the main window's menu items and
// controls, worked out from the document, the undo record and playback.
#pragma once

#include "window/command_states.h"

namespace belmo {

// Called after every change of the situation: a load, a mask, an Undo, a
// save, the start and end of playback, the seek-on-stop check box. At the
// end of playback the playing thread has not yet set the state back to
// idle (and a Stop pressed just then marks it as stopping): playbackOver
// says it is over all the same.
void UpdateCommandStates(bool playbackOver = false);

// Only the top of the program knows every subsystem the situation is read
// from, so it hands this floor the function that reads it, once at
// start-up. Until then the states are left as created.
using ProgramSituationSource = ProgramSituation (*)(bool playbackOver);
void SetProgramSituationSource(ProgramSituationSource source);

// Another window whose controls follow the same states (the list of
// places), told after the main window's; set by the top at start-up.
using CommandStatesFollower = void (*)(const CommandStates& states);
void SetCommandStatesFollower(CommandStatesFollower follower);

}  // namespace belmo
