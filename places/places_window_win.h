// The window "マスク箇所": the list of places of the open recording, to
// gather, check by ear, mask all at once and write out. Modeless, owned by
// the main window, one at a time, on the main thread.
#pragma once

#include <windows.h>

#include <vector>

#include "effects/mask.h"
#include "selection/sample_range.h"
#include "window/command_states.h"

namespace belmo {

// Menu command "マスク箇所の一覧(&L)...": opens the window or brings it forward.
void ShowPlacesWindow();
// The window while it is open, else null: the main loop gives it the
// keyboard handling of a dialog (Tab, access keys).
HWND PlacesWindow();

// Before the document is replaced (Open, a handed file, Revert) or the
// program ends: when the list holds places not masked or not written out,
// asks whether it may be emptied. False: the user keeps it.
bool ConfirmEmptyPlaces();

// What the list follows: a load empties it; a mask covers the places that
// lie inside its ranges; an Undo takes the last mask out or puts it back.
void PlacesAfterLoad();
void PlacesAfterMask(const std::vector<SampleRange>& ranges, MaskKind kind);
void PlacesAfterUndo();

// The window's buttons follow the main window's command states: what
// changes the recording is grayed where the masks are.
void FollowCommandStates(const CommandStates& states);

LRESULT CALLBACK PlacesWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace belmo
