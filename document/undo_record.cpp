#include "document/undo_record.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace belmo {

bool RecordUndo(ConstImageSpan image, int32_t spanStart, int32_t spanEnd,
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
  undo.EarlierSpans.clear();
  undo.EarlierSpans.shrink_to_fit();
  return true;
}

void JoinUndo(UndoRecord& batch, UndoRecord&& piece) {
  if (batch.IsEmpty()) {
    batch = std::move(piece);
    return;
  }
  batch.EarlierSpans.push_back({batch.SpanStart, batch.SpanEnd, std::move(batch.SavedBytes)});
  batch.SavedBytes = std::move(piece.SavedBytes);
  batch.SpanStart = piece.SpanStart;
  batch.SpanEnd = piece.SpanEnd;
  if (piece.SwapBuffer.size() > batch.SwapBuffer.size()) {
    batch.SwapBuffer = std::move(piece.SwapBuffer);
  }
}

std::vector<std::pair<int64_t, int64_t>> UndoSpans(const UndoRecord& undo) {
  std::vector<std::pair<int64_t, int64_t>> spans;
  if (undo.IsEmpty()) return spans;
  for (const UndoSpan& span : undo.EarlierSpans) spans.emplace_back(span.Start, span.End);
  spans.emplace_back(undo.SpanStart, undo.SpanEnd);
  return spans;
}

void ClearUndo(UndoRecord& undo) { undo = UndoRecord{}; }

namespace {

bool SpanFits(int32_t start, int32_t end, size_t saved, size_t imageSize) {
  return start >= 0 && start < end && static_cast<size_t>(end) <= imageSize &&
         saved == static_cast<size_t>(end) - static_cast<size_t>(start);
}

void ExchangeSpan(uint8_t* span, uint8_t* saved, size_t count, std::vector<uint8_t>& scratch) {
  for (size_t done = 0; done < count;) {
    const size_t piece = std::min(scratch.size(), count - done);
    std::memcpy(scratch.data(), span + done, piece);
    std::memcpy(span + done, saved + done, piece);
    std::memcpy(saved + done, scratch.data(), piece);
    done += piece;
  }
}

}  // namespace

bool ExchangeUndoBytes(ImageSpan image, UndoRecord& undo) {
  // A record left over from another image (or from before a reload) may
  // point past this one. Every span is checked before any is exchanged.
  if (undo.IsEmpty() || undo.SwapBuffer.empty() ||
      !SpanFits(undo.SpanStart, undo.SpanEnd, undo.SavedBytes.size(), image.size())) {
    return false;
  }
  for (const UndoSpan& span : undo.EarlierSpans) {
    if (!SpanFits(span.Start, span.End, span.Bytes.size(), image.size())) return false;
  }
  for (UndoSpan& span : undo.EarlierSpans) {
    ExchangeSpan(image.data() + span.Start, span.Bytes.data(), span.Bytes.size(), undo.SwapBuffer);
  }
  ExchangeSpan(image.data() + undo.SpanStart, undo.SavedBytes.data(), undo.SavedBytes.size(),
               undo.SwapBuffer);
  return true;
}

}  // namespace belmo
