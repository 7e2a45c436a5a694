// Which frames the masks have changed since the recording was loaded, for
// tinting them in the waveform strip. Undo is single-level and toggles the
// last edit, so only the last edit's spans (one for a mask, several for
// the list of places) can go away and come back; every earlier one stays
// changed until the next load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace belmo {

struct FrameSpan {
  size_t First = 0;
  size_t End = 0;  // just past the last frame
};

// The frames a byte span of the image touches: partly covered frames at
// either end count. Empty when the span lies before the sample data.
FrameSpan FramesOfByteSpan(int64_t spanStart, int64_t spanEnd, int64_t dataStart,
                           int frameBytes);

class ChangedSpans {
 public:
  void Clear();
  // A mask changed these frames. An edit that Undo had taken out is gone for
  // good: the new edit replaced it in the undo record.
  void AddEdit(FrameSpan span) { AddEdit(std::vector<FrameSpan>{span}); }
  void AddEdit(std::vector<FrameSpan> spans);
  // An Undo took the last edit out, or put it back.
  void ToggleLastEdit();

  // Whether any changed frame lies in [first, end).
  bool Touches(size_t first, size_t end) const;

 private:
  std::vector<FrameSpan> settled_;  // sorted, not overlapping, not touching
  std::vector<FrameSpan> last_;
  bool lastApplied_ = false;
};

}  // namespace belmo
