#include "selection/waveform_view.h"

#include <algorithm>
#include <cmath>

namespace belmo {
namespace {

double CoarsestMsPerPixel(int32_t lengthMs, int width) {
  if (width <= 0) return kFinestMsPerPixel;
  return std::max(kFinestMsPerPixel, static_cast<double>(lengthMs) / width);
}

// Keeps the view on the recording: no time before 0 or after the end on
// show while there is recording left to show.
WaveformView Clamped(WaveformView view, int32_t lengthMs, int width) {
  view.MsPerPixel =
      std::clamp(view.MsPerPixel, kFinestMsPerPixel, CoarsestMsPerPixel(lengthMs, width));
  const double lastFirst = std::max(0.0, lengthMs - view.MsPerPixel * width);
  view.FirstMs = std::clamp(view.FirstMs, 0.0, lastFirst);
  return view;
}

bool Usable(const SampleRange& range, int32_t lengthMs) {
  return lengthMs > 0 && range.start < range.end &&
         range.end <= static_cast<uint32_t>(lengthMs);
}

size_t FrameAt(double ms, int32_t sampleRate) {
  const double frames = std::trunc(static_cast<double>(sampleRate) * (ms / 1000.0));
  return frames > 0 ? static_cast<size_t>(frames) : 0;
}

}  // namespace

WaveformView WholeRecording(int32_t lengthMs, int width) {
  return {0, CoarsestMsPerPixel(lengthMs, width)};
}

uint32_t MsAtColumn(const WaveformView& view, int x, int32_t lengthMs) {
  const double ms = std::ceil(view.FirstMs + x * view.MsPerPixel);
  return static_cast<uint32_t>(std::clamp(ms, 0.0, static_cast<double>(std::max(lengthMs, 0))));
}

int64_t ColumnOfMs(const WaveformView& view, double ms) {
  // The small allowance keeps a millisecond that MsAtColumn found for a
  // column in that column despite rounding in the division.
  return static_cast<int64_t>(std::floor((ms - view.FirstMs) / view.MsPerPixel + 1e-9));
}

void ColumnFrames(const WaveformView& view, int x, int32_t sampleRate, size_t* first,
                  size_t* end) {
  *first = FrameAt(view.FirstMs + x * view.MsPerPixel, sampleRate);
  *end = FrameAt(view.FirstMs + (x + 1) * view.MsPerPixel, sampleRate);
}

WaveformView Zoomed(const WaveformView& view, int32_t lengthMs, int width, int x, int notches) {
  const double held = view.FirstMs + x * view.MsPerPixel;
  WaveformView zoomed = view;
  zoomed.MsPerPixel = std::clamp(view.MsPerPixel * std::pow(2.0, -notches), kFinestMsPerPixel,
                                 CoarsestMsPerPixel(lengthMs, width));
  zoomed.FirstMs = held - x * zoomed.MsPerPixel;
  return Clamped(zoomed, lengthMs, width);
}

WaveformView Scrolled(const WaveformView& view, int32_t lengthMs, int width, int notches) {
  WaveformView scrolled = view;
  scrolled.FirstMs -= notches * (width / 8.0) * view.MsPerPixel;
  return Clamped(scrolled, lengthMs, width);
}

WaveformView ZoomedToRange(const SampleRange& range, int32_t lengthMs, int width) {
  const double start = std::min(range.start, range.end);
  const double span = std::max(range.start, range.end) - start;
  WaveformView view = Clamped({start, span / std::max(width, 1)}, lengthMs, width);
  // Too short to fill the strip at the strongest zoom: centred instead.
  view.FirstMs = start + span / 2 - view.MsPerPixel * width / 2;
  return Clamped(view, lengthMs, width);
}

StripDrag PressAt(const WaveformView& view, const SampleRange& range, int32_t lengthMs, int x,
                  int gripPixels) {
  StripDrag drag;
  drag.AnchorMs = MsAtColumn(view, x, lengthMs);
  drag.Before = range;
  if (!Usable(range, lengthMs)) return drag;
  const int64_t toStart = std::llabs(x - ColumnOfMs(view, range.start));
  const int64_t toEnd = std::llabs(x - ColumnOfMs(view, range.end));
  if (std::min(toStart, toEnd) > gripPixels) return drag;
  // Both edges in reach (a narrow range): the nearer one, and for a press
  // between them on the same column, the one the pointer is outside of.
  if (toStart < toEnd || (toStart == toEnd && drag.AnchorMs <= range.start)) {
    drag.Grip = StripGrip::StartEdge;
  } else {
    drag.Grip = StripGrip::EndEdge;
  }
  return drag;
}

bool DraggedRange(const StripDrag& drag, const WaveformView& view, int32_t lengthMs, int x,
                  SampleRange* range) {
  if (lengthMs <= 0) return false;
  const SampleRange& before = drag.Before;
  const uint32_t length = static_cast<uint32_t>(lengthMs);
  // Edges of a range from a recording of another length (one loaded
  // mid-drag) cannot be dragged in this one.
  const bool edgesFit = before.start < before.end && before.end <= length;
  const uint32_t pointer = MsAtColumn(view, x, lengthMs);
  switch (drag.Grip) {
    case StripGrip::StartEdge:
      if (!edgesFit) return false;
      *range = {std::min(pointer, before.end - 1), before.end};
      return true;
    case StripGrip::EndEdge:
      if (!edgesFit) return false;
      *range = {before.start, std::clamp(pointer, before.start + 1, length)};
      return true;
    case StripGrip::NewRange:
      if (pointer == drag.AnchorMs) return false;
      *range = {std::min(pointer, drag.AnchorMs), std::max(pointer, drag.AnchorMs)};
      return true;
  }
  return false;
}

}  // namespace belmo
