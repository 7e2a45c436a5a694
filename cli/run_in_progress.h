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

// The partial output; "" when nothing is being written. A path too long to
// keep is not kept: removing a cut one could hit another file.
void NoteOutputInProgress(const std::string& pendingPath);
const char* OutputInProgress();

}  // namespace belmo
