// The places to mask in the open recording: gathered from the range, a
// label file or a transcript, checked one by one, masked together, and
// written out as a record of what was masked. The list belongs to the
// recording it was made for and is emptied when another is loaded.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "effects/mask.h"
#include "selection/sample_range.h"

namespace belmo {

// Not masked yet, or the mask that covered the place.
enum class PlaceState { Unmasked, Sine, VoiceChange, FileOverwrite, Silence };

PlaceState StateOfMask(MaskKind kind);

struct Place {
  SampleRange Range;
  std::string Text;  // UTF-8: a label or the words found
  PlaceState State = PlaceState::Unmasked;
  // What Undo brings back: the state before the last edit, or after it once
  // Undo has taken the edit out.
  PlaceState OtherState = PlaceState::Unmasked;
};

class PlaceList {
 public:
  const std::vector<Place>& Rows() const { return rows_; }
  bool Empty() const { return rows_.empty(); }

  // Keeps the rows sorted by start, then end; returns the new row's index.
  size_t Add(SampleRange range, std::string text);
  void Remove(size_t index);
  void Clear();

  // The ranges of the rows not masked yet, merged as belmo-mask merges
  // its ranges: in time order, overlapping or touching ones as one.
  std::vector<SampleRange> UnmaskedRanges() const;

  // A mask (one command, of one range or several) changed the recording:
  // every row lying wholly inside one of the ranges shows the mask, and
  // the states before wait for Undo.
  void MarkMasked(const std::vector<SampleRange>& ranges, PlaceState state);
  // Undo took the last edit out, or put it back.
  void ToggleUndo();

  // Whether emptying the list would lose something the user may want: a
  // row not masked, or rows not written out since they last changed.
  bool HoldsUnsettledWork() const;
  // The list as a label file (start, end, text with the state, a tab
  // between them, seconds with three decimals), UTF-8.
  std::string ToLabelText(const char* const stateNames[5]) const;
  // The label file is on the disk: the list counts as written out.
  void MarkWritten() { written_ = true; }

 private:
  std::vector<Place> rows_;
  bool written_ = true;  // an empty list has nothing to write
};

// "12.345": whole milliseconds as seconds with three decimals.
std::string SecondsText(uint32_t ms);

}  // namespace belmo
