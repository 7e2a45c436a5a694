#include "cli/run_in_progress.h"

#include <cstdint>
#include <cstring>

namespace belmo {
namespace {

uintptr_t inputBegin = 0;
uintptr_t inputEnd = 0;
char outputInProgress[4096] = "";

}  // namespace

void NoteInputInUse(const void* data, size_t size) {
  inputBegin = reinterpret_cast<uintptr_t>(data);
  inputEnd = data == nullptr ? 0 : inputBegin + size;
}

bool IsInInput(const void* address) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  return at >= inputBegin && at < inputEnd;
}

void NoteOutputInProgress(const std::string& pendingPath) {
  const bool fits = pendingPath.size() < sizeof outputInProgress;
  std::memcpy(outputInProgress, fits ? pendingPath.c_str() : "", fits ? pendingPath.size() + 1 : 1);
}

const char* OutputInProgress() { return outputInProgress; }

}  // namespace belmo
