#pragma once

#include <cstdint>

#include "selection/sample_range.h"

namespace belmo {

// Where a new range comes from. Each source leaves alone the controls it
// speaks through: a slider being dragged keeps its own position, and a
// seconds box keeps the text as the user is typing it.
enum class RangeSource {
  Sliders,       // the sliders' positions are the range
  SecondsBoxes,  // the typed values are the range, as typed, not checked
  Program,       // a load, playback's seek on stop, the waveform strip
};

// The one writer of SampleRange: stores the range and tells the sliders
// (bounding each other), the seconds boxes and the waveform strip.
void SetRange(const SampleRange& range, RangeSource source);

// Sets both sliders, both seconds boxes and the range to the whole document.
void ResetRangeControls(int32_t lengthMs);

// Replaces the procedures of the range group, the seconds boxes and the
// focusable controls of the main window with this subsystem's handlers.
void InstallControlHooks();

}  // namespace belmo
