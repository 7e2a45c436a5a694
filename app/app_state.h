// Where the program lives, worked out once at start-up, and the files
// second starts of the program have handed over.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace belmo {

struct AppState {
  std::string ProgramDirectory;  // no trailing backslash
  uint64_t FolderKey = 0;        // ProgramFolderKey of ProgramDirectory
  // Handed over and not yet opened (or refused), oldest first: each waits
  // for the main loop, so a second one may arrive meanwhile.
  std::deque<std::string> HandedFiles;
  bool Ending = false;  // the exit sequence has passed its last question
};

inline AppState App;

}  // namespace belmo
