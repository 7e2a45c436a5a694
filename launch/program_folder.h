// One running program per program folder. The working copy temp.tmp lies
// beside the program, so a second program of the same folder would take
// the first one's copy for a crashed run's and delete it under it. A second
// start therefore hands its file to the first and ends; the first opens it
// as its Open command would, or says why it cannot now.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace belmo {

// The same key for every spelling Windows takes for the same folder name
// (ASCII letters in either case), different keys for different names. Code
// page 932 aware: the second byte of a double-byte character may be an
// ASCII letter and is never folded ("ア" and "ャ" differ only there).
uint64_t ProgramFolderKey(std::string_view folder);

// The name of the mutex that marks a running program of the folder. Mutex
// names may not hold a backslash, so it is made from the key.
std::string ProgramMutexName(uint64_t folderKey);

// What the running program is doing when a file is handed to it.
struct HandedFileSituation {
  bool dialogShown = false;  // a message box or file dialog of the main
                             // thread waits for the user
  bool openEnabled = true;   // the Open command is not grayed (it is
                             // during playback)
  bool ending = false;       // the exit sequence runs: the window goes
                             // before the file's turn would come
  bool longPathsAllowed = false;  // the system takes paths past 259
                                  // characters
};

enum class HandedFileAction {
  ComeForward,               // no file: the window is only brought forward
  Open,                      // as the Open command does, save question first
  RefuseTooLong,             // the path does not fit the path buffers
  RefuseUnusableCharacter,   // the path holds "?"
  RefuseWhileDialogShown,    // opening now would pull the document from
                             // under the dialog that waits
  RefuseWhileOpenGrayed,     // Open is grayed: playback runs
  RefuseWhileEnding,         // the program is ending
};

HandedFileAction DecideHandedFile(std::string_view path, const HandedFileSituation& situation);

// What the user is told when a handed file is not opened, empty when it is
// (or when there was none). A file refused only for now is named, so the
// user knows which one to open again.
std::string HandedFileRefusal(HandedFileAction action, const std::string& path);

}  // namespace belmo
