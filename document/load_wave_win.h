#pragma once

namespace belmo {

// Opens the WAVE file at path as the document (Path and Title already set by
// the caller). Returns 0 when it was opened, -1 when it was refused; the user
// has then been told why and the open document is as it was.
int LoadWave(const char* path);

}  // namespace belmo
