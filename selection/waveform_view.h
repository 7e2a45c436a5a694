// What the waveform strip shows and what the mouse does on it, in pixel
// columns and milliseconds, without any window: the stretch of the
// recording on show, zooming and scrolling it, and turning a press and a
// drag into a range.
#pragma once

#include <cstddef>
#include <cstdint>

#include "selection/sample_range.h"

namespace belmo {

// The strip shows milliseconds [FirstMs, FirstMs + width x MsPerPixel).
// Column x covers [FirstMs + x * MsPerPixel, FirstMs + (x + 1) * MsPerPixel).
struct WaveformView {
  double FirstMs = 0;
  double MsPerPixel = 1;
};

// At the strongest zoom one column is one millisecond.
constexpr double kFinestMsPerPixel = 1;
// A press this close to an edge of the range takes hold of that edge (in
// 96-DPI pixels; the strip scales it to its display).
constexpr int kEdgeGripPixels = 3;

// The whole recording across width columns (a recording shorter than the
// strip is wide keeps one millisecond a column).
WaveformView WholeRecording(int32_t lengthMs, int width);

// The first whole millisecond in column x, kept within 0 ... lengthMs.
uint32_t MsAtColumn(const WaveformView& view, int x, int32_t lengthMs);
// The column that shows the millisecond ms (it may lie outside the strip).
int64_t ColumnOfMs(const WaveformView& view, double ms);
// The frames column x covers, by the range rule (frames = trunc(rate x s)).
void ColumnFrames(const WaveformView& view, int x, int32_t sampleRate, size_t* first,
                  size_t* end);

// notches > 0 zooms in, < 0 out, by 2 a notch, keeping the millisecond
// under column x where it is; within one millisecond a column and the whole
// recording.
WaveformView Zoomed(const WaveformView& view, int32_t lengthMs, int width, int x, int notches);
// notches > 0 moves to earlier times, by an eighth of the width a notch.
WaveformView Scrolled(const WaveformView& view, int32_t lengthMs, int width, int notches);
// The range across the whole strip (centred when it is too short for that).
WaveformView ZoomedToRange(const SampleRange& range, int32_t lengthMs, int width);

enum class StripGrip { NewRange, StartEdge, EndEdge };

struct StripDrag {
  StripGrip Grip = StripGrip::NewRange;
  uint32_t AnchorMs = 0;  // where a new range was pressed
  SampleRange Before;     // the range when the press came
};

// What a press at column x takes hold of: an edge within gripPixels
// columns, else a new range. Edges are offered only while the range is one
// the masks could use (0 <= start < end <= length).
StripDrag PressAt(const WaveformView& view, const SampleRange& range, int32_t lengthMs, int x,
                  int gripPixels);

// The range with the pointer at column x: a new range spans the anchor and
// the pointer in either order; a held edge follows the pointer but stays a
// millisecond short of the other edge. Like a slider's, the result is
// always usable. False while a new range would still be empty.
bool DraggedRange(const StripDrag& drag, const WaveformView& view, int32_t lengthMs, int x,
                  SampleRange* range);

}  // namespace belmo
