#include "selection/changed_spans.h"

#include <algorithm>
#include <utility>

namespace belmo {
namespace {

bool Overlaps(const FrameSpan& span, size_t first, size_t end) {
  return span.First < end && first < span.End;
}

}  // namespace

FrameSpan FramesOfByteSpan(int64_t spanStart, int64_t spanEnd, int64_t dataStart,
                           int frameBytes) {
  if (frameBytes <= 0 || spanEnd <= dataStart || spanEnd <= spanStart) return {};
  const int64_t first = std::max<int64_t>(spanStart - dataStart, 0) / frameBytes;
  const int64_t end = (spanEnd - dataStart + frameBytes - 1) / frameBytes;
  return {static_cast<size_t>(first), static_cast<size_t>(end)};
}

void ChangedSpans::Clear() {
  settled_.clear();
  lastApplied_ = false;
}

void ChangedSpans::AddEdit(std::vector<FrameSpan> spans) {
  if (lastApplied_) {
    for (const FrameSpan& span : last_) {
      if (span.First >= span.End) continue;
      // Merged into the settled spans, which stay sorted and apart.
      auto at = std::lower_bound(
          settled_.begin(), settled_.end(), span,
          [](const FrameSpan& a, const FrameSpan& b) { return a.End < b.First; });
      FrameSpan merged = span;
      auto from = at;
      while (at != settled_.end() && at->First <= merged.End) {
        merged.First = std::min(merged.First, at->First);
        merged.End = std::max(merged.End, at->End);
        ++at;
      }
      at = settled_.erase(from, at);
      settled_.insert(at, merged);
    }
  }
  last_ = std::move(spans);
  lastApplied_ = true;
}

void ChangedSpans::ToggleLastEdit() { lastApplied_ = !lastApplied_; }

bool ChangedSpans::Touches(size_t first, size_t end) const {
  if (first >= end) return false;
  if (lastApplied_) {
    for (const FrameSpan& span : last_) {
      if (Overlaps(span, first, end)) return true;
    }
  }
  // The first settled span that ends after first.
  auto at = std::upper_bound(settled_.begin(), settled_.end(), first,
                             [](size_t frame, const FrameSpan& s) { return frame < s.End; });
  return at != settled_.end() && Overlaps(*at, first, end);
}

}  // namespace belmo
