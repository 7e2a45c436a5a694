// The threads started by commands, one slot per kind. A new thread of a
// kind replaces the handle in its slot; the exit sequence ends them.
#pragma once

#include <windows.h>

namespace belmo {

struct WorkerThreads {
  HANDLE Settings = nullptr;
  HANDLE About = nullptr;
  HANDLE VersionCheck = nullptr;
  HANDLE Playback = nullptr;
};

inline WorkerThreads Workers;

}  // namespace belmo
