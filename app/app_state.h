// Where the program lives, worked out once at start-up.
#pragma once

#include <string>

namespace belmo {

struct AppState {
  std::string ProgramDirectory;  // no trailing backslash
};

inline AppState App;

}  // namespace belmo
