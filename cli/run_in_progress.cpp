#include "cli/run_in_progress.h"

#include <cstdint>
#include <cstring>

namespace belmo {
namespace {

uintptr_t inputBegin = 0;
uintptr_t inputEnd = 0;
char outputInProgress[4096] = "";
char inputLostMessage[8192] = "";

// Kept whole or not at all.
void Keep(const std::string& text, char* dest, size_t room) {
  const bool fits = text.size() < room;
  std::memcpy(dest, fits ? text.c_str() : "", fits ? text.size() + 1 : 1);
}

}  // namespace

void NoteInputInUse(const void* data, size_t size) {
  inputBegin = reinterpret_cast<uintptr_t>(data);
  inputEnd = data == nullptr ? 0 : inputBegin + size;
}

bool IsInInput(const void* address) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  return at >= inputBegin && at < inputEnd;
}

void NoteInputLostMessage(const std::string& message) {
  Keep(message, inputLostMessage, sizeof inputLostMessage);
}

const char* InputLostMessage() { return inputLostMessage; }

void NoteOutputInProgress(const std::string& pendingPath) {
  Keep(pendingPath, outputInProgress, sizeof outputInProgress);
}

const char* OutputInProgress() { return outputInProgress; }

}  // namespace belmo
