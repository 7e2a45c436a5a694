#include "places/place_list.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "cli/cli_values.h"

namespace belmo {

PlaceState StateOfMask(MaskKind kind) {
  switch (kind) {
    case MaskKind::Sine: return PlaceState::Sine;
    case MaskKind::VoiceChange: return PlaceState::VoiceChange;
    case MaskKind::FileOverwrite: return PlaceState::FileOverwrite;
    case MaskKind::Silence: return PlaceState::Silence;
  }
  return PlaceState::Unmasked;
}

size_t PlaceList::Add(SampleRange range, std::string text) {
  const auto at = std::upper_bound(rows_.begin(), rows_.end(), range,
                                   [](const SampleRange& r, const Place& p) {
                                     return r.start < p.Range.start ||
                                            (r.start == p.Range.start && r.end < p.Range.end);
                                   });
  Place place;
  place.Range = range;
  // One line of a label file a row: breaks and tabs in a label become blanks.
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  place.Text = std::move(text);
  const size_t index = static_cast<size_t>(at - rows_.begin());
  rows_.insert(at, std::move(place));
  written_ = false;
  return index;
}

void PlaceList::Remove(size_t index) {
  if (index >= rows_.size()) return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  written_ = false;
}

void PlaceList::Clear() {
  rows_.clear();
  written_ = true;
}

std::vector<SampleRange> PlaceList::UnmaskedRanges() const {
  std::vector<SampleRange> ranges;
  for (const Place& place : rows_) {
    if (place.State == PlaceState::Unmasked) ranges.push_back(place.Range);
  }
  return MergeRanges(std::move(ranges));
}

void PlaceList::MarkMasked(const std::vector<SampleRange>& ranges, PlaceState state) {
  for (Place& place : rows_) {
    place.OtherState = place.State;
    for (const SampleRange& range : ranges) {
      if (range.start <= place.Range.start && place.Range.end <= range.end) {
        place.State = state;
        written_ = false;
        break;
      }
    }
  }
}

void PlaceList::ToggleUndo() {
  for (Place& place : rows_) {
    if (place.State != place.OtherState) written_ = false;
    std::swap(place.State, place.OtherState);
  }
}

bool PlaceList::HoldsUnsettledWork() const {
  if (!written_) return true;
  return std::any_of(rows_.begin(), rows_.end(),
                     [](const Place& p) { return p.State == PlaceState::Unmasked; });
}

std::string SecondsText(uint32_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%03u", ms / 1000, ms % 1000);
  return text;
}

std::string PlaceList::ToLabelText(const char* const stateNames[5]) const {
  std::string text;
  for (const Place& place : rows_) {
    text += SecondsText(place.Range.start) + '\t' + SecondsText(place.Range.end) + '\t';
    // A label editor shows the text; the state follows it in brackets, so
    // a reader of the record sees what covered each place.
    if (!place.Text.empty()) text += place.Text + ' ';
    text += std::string("[") + stateNames[static_cast<int>(place.State)] + "]\n";
  }
  return text;
}

}  // namespace belmo
