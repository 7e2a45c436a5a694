#include "document/change_count.h"

#include <cstdint>
#include <limits>

namespace belmo {
namespace {

// The counter is 16 bits wide; thousands of masks in one session must not
// wrap it round to "unchanged".
int16_t Step(int16_t count, int delta) {
  const int next = count + delta;
  if (next > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
  if (next < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
  return static_cast<int16_t>(next);
}

}  // namespace

bool IsChanged(const WavDocument& document) {
  // With nothing open there is nothing to lose, whatever the fields say.
  if (!document.IsOpen()) return false;
  return document.ChangeCount != 0 || !document.HasSavedFile;
}

void CountMask(WavDocument& document, UndoRecord& undo) {
  document.ChangeCount = Step(document.ChangeCount, +1);
  undo.UndoToggle = 0;
}

void CountUndo(WavDocument& document, UndoRecord& undo) {
  const bool restoring = undo.UndoToggle == 0;
  document.ChangeCount = Step(document.ChangeCount, restoring ? -1 : +1);
  undo.UndoToggle = restoring ? 1 : 0;
}

void MarkSaved(WavDocument& document) {
  document.ChangeCount = 0;
  document.HasSavedFile = true;
}

}  // namespace belmo
