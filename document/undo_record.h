// The single-level undo: the bytes one edit replaced, exchanged with the
// image by each Undo, so a second Undo re-applies the edit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "document/image_bytes.h"

namespace belmo {

constexpr size_t kUndoSwapPieceBytes = size_t{1} << 20;

// One more span of an edit that changed several (the list of places masks
// them all as one edit), with its other state.
struct UndoSpan {
  int32_t Start = 0;
  int32_t End = 0;
  std::vector<uint8_t> Bytes;
};

struct UndoRecord {
  std::vector<uint8_t> SavedBytes;  // the span's other state
  // Scratch space for the exchange, which goes a piece at a time: at most
  // kUndoSwapPieceBytes, so an edit of a long recording costs one copy of
  // its span, not two.
  std::vector<uint8_t> SwapBuffer;
  int32_t SpanStart = 0;
  int32_t SpanEnd = 0;
  uint8_t UndoToggle = 0;  // 0: the next Undo restores, 1: it re-applies
  // The edit's spans before the last, earliest first: empty for one mask.
  std::vector<UndoSpan> EarlierSpans;

  bool IsEmpty() const { return SpanEnd <= SpanStart; }
};

// Before a mask writes: keeps a copy of image[spanStart, spanEnd) and
// releases the blocks of the record it replaces. False when the span does
// not lie inside the image or its copy cannot be allocated; the record is
// then left as it was and the mask must not run.
bool RecordUndo(ConstImageSpan image, int32_t spanStart, int32_t spanEnd,
                UndoRecord& undo);

// Makes piece, a record just made by RecordUndo, one more span of batch, so
// that one Undo exchanges them all. The spans must not overlap.
void JoinUndo(UndoRecord& batch, UndoRecord&& piece);

// Every span the record exchanges, as [start, end) pairs, earliest first.
std::vector<std::pair<int64_t, int64_t>> UndoSpans(const UndoRecord& undo);

// Releases the record's blocks; a newly loaded image has nothing to undo.
void ClearUndo(UndoRecord& undo);

// Exchanges the spans of the image with the saved bytes. Refuses (returns
// false, changes nothing) when the record is empty or one of its spans does
// not lie inside this image.
bool ExchangeUndoBytes(ImageSpan image, UndoRecord& undo);

}  // namespace belmo
