// What belmo-mask is reading and writing, kept where a handler that must
// end the process at once (the input lost under its mapping) can look
// without allocating: whether a fault lies in the input, and which partial
// output to remove.
#pragma once

#include <cstddef>
#include <string>

namespace belmo {

// The mapped input; null when none.
void NoteInputInUse(const void* data, size_t size);
bool IsInInput(const void* address);

// What to say when the input is lost, ready for the console; "" when none
// (or one too long to keep) is noted.
void NoteInputLostMessage(const std::string& message);
const char* InputLostMessage();

// The partial output; "" when nothing is being written. A path too long to
// keep is not kept: removing a cut one could hit another file.
void NoteOutputInProgress(const std::string& pendingPath);
const char* OutputInProgress();

}  // namespace belmo
