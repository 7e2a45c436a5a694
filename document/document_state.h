// The program's one open document.
#pragma once

#include <mutex>

#include "document/undo_record.h"
#include "document/wav_document.h"

namespace belmo {

inline WavDocument Document;
inline UndoRecord Undo;

// Held by the main thread while it replaces or rewrites the image (load,
// mask, Undo) and by the settings thread while a preview copies from it.
inline std::mutex DocumentLock;

}  // namespace belmo
