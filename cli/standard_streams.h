// Standard input and output as belmo-mask's "-". A pipe cannot be mapped,
// so a recording from standard input is read whole into memory; the result
// goes out front to back as it is made.
#pragma once

#include <cstdio>
#include <memory>

#include "document/platform.h"

namespace belmo {

// All of stream, in memory; null when a read fails or memory runs short.
std::unique_ptr<FileView> ReadWholeStream(std::FILE* stream);

// Appends go straight to stream; Commit flushes it, and is false when any
// write failed. Nothing written can be taken back.
std::unique_ptr<FileWriter> StreamWriter(std::FILE* stream);

}  // namespace belmo
