// Whether the image differs from the file it was loaded from or last saved
// to. ChangeCount counts net edits: a mask adds one, an Undo that restores
// takes one away, an Undo that re-applies adds one. Loading and writing a
// real file set it to 0; writing the working copy leaves it alone.
// A document recovered from a crashed run's working copy has no saved file,
// so it counts as changed until it is saved under a name.
#pragma once

#include "document/undo_record.h"
#include "document/wav_document.h"

namespace belmo {

bool IsChanged(const WavDocument& document);

// After a mask has changed the image: one more edit, and the next Undo
// restores.
void CountMask(WavDocument& document, UndoRecord& undo);

// After an Undo has exchanged the bytes: the edit is gone or back.
void CountUndo(WavDocument& document, UndoRecord& undo);

// After the image was loaded from, or written to, a real file.
void MarkSaved(WavDocument& document);

}  // namespace belmo
