// One running program per program folder, on Windows: the guard a second
// start meets, and the first program's side of the hand-over.
#pragma once

#include <windows.h>

#include <string>

namespace belmo {

// Start-up, before anything touches the working copy. False when no other
// program of the folder runs: this one then holds the folder until it
// ends. True when another does: the file (possibly none) has been handed
// to it, or the user told why that failed, and this start is to end.
bool HandOffToRunningProgram(const std::string& programDirectory, const std::string& file);

// The full path of a file or folder named relative to the current folder,
// which is not the one later commands run in (the program's own folder, a
// file dialog's); unchanged when the full path would not fit.
std::string AbsolutePath(const std::string& path);

// Handlers of the main window for the first program's side.
LRESULT OnQueryProgramFolder(LPARAM folderKey);
LRESULT OnCopyData(const COPYDATASTRUCT* data);
void OnOpenHandedFile();

// The exit sequence, once it is sure to end the program: the window goes
// before files handed over meanwhile would have their turn, so they are
// named to the user instead, and so is any that arrives from now on.
void RefuseHandedFilesFromNowOn();

}  // namespace belmo
