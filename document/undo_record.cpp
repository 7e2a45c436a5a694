#include "document/undo_record.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace belmo {

bool RecordUndo(const std::vector<uint8_t>& image, int32_t spanStart, int32_t spanEnd,
                UndoRecord& undo) {
  if (spanStart < 0 || spanEnd < spanStart || static_cast<size_t>(spanEnd) > image.size()) {
    return false;
  }
  // Both blocks are had before the old record is let go, so a failed
  // allocation leaves the last edit undoable. Fresh vectors moved in give
  // back the blocks of a long earlier edit instead of keeping them as
  // capacity.
  std::vector<uint8_t> saved;
  std::vector<uint8_t> swap;
  try {
    saved.assign(image.begin() + spanStart, image.begin() + spanEnd);
    swap.resize(std::min(saved.size(), kUndoSwapPieceBytes));
  } catch (const std::bad_alloc&) {
    return false;
  }
  undo.SavedBytes = std::move(saved);
  undo.SwapBuffer = std::move(swap);
  undo.SpanStart = spanStart;
  undo.SpanEnd = spanEnd;
  return true;
}

void ClearUndo(UndoRecord& undo) { undo = UndoRecord{}; }

bool ExchangeUndoBytes(std::vector<uint8_t>& image, UndoRecord& undo) {
  if (undo.IsEmpty() || undo.SpanStart < 0) return false;
  // A record left over from another image (or from before a reload) may
  // point past this one.
  if (static_cast<size_t>(undo.SpanEnd) > image.size()) return false;
  const size_t count = static_cast<size_t>(undo.SpanEnd) - static_cast<size_t>(undo.SpanStart);
  if (undo.SavedBytes.size() != count || undo.SwapBuffer.empty()) return false;

  uint8_t* span = image.data() + undo.SpanStart;
  uint8_t* saved = undo.SavedBytes.data();
  uint8_t* scratch = undo.SwapBuffer.data();
  for (size_t done = 0; done < count;) {
    const size_t piece = std::min(undo.SwapBuffer.size(), count - done);
    std::memcpy(scratch, span + done, piece);
    std::memcpy(span + done, saved + done, piece);
    std::memcpy(saved + done, scratch, piece);
    done += piece;
  }
  return true;
}

}  // namespace belmo
