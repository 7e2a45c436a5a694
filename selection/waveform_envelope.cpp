#include "selection/waveform_envelope.h"

#include <algorithm>
#include <cmath>

namespace belmo {
namespace {

constexpr size_t kMaxChannels = 2;
// A kept peak of q stands for q / kFullScale.
constexpr float kFullScale = 127.0f;

// Outward rounding: the kept peaks always enclose the true ones.
int8_t Lower(float value) {
  return static_cast<int8_t>(std::clamp(std::floor(value * kFullScale), -kFullScale, kFullScale));
}
int8_t Upper(float value) {
  return static_cast<int8_t>(std::clamp(std::ceil(value * kFullScale), -kFullScale, kFullScale));
}

size_t CeilDiv(size_t a, size_t b) { return a / b + (a % b != 0); }

}  // namespace

bool WaveformEnvelope::Build(const SampleData& samples) {
  Clear();
  if (!CanMeasurePeaks(samples.Format) || samples.Frames == 0) return false;
  channels_ = samples.Format.Channels;
  frames_ = samples.Frames;
  size_t blocks = CeilDiv(frames_, kBlockFrames);
  levels_.emplace_back(blocks * channels_);
  FillBlocks(samples, 0, blocks);
  while (blocks > 1) {
    blocks = CeilDiv(blocks, kFanOut);
    levels_.emplace_back(blocks * channels_);
    FillParents(levels_.size() - 1, 0, blocks);
  }
  return true;
}

void WaveformEnvelope::Update(const SampleData& samples, size_t first, size_t end) {
  if (Empty() || samples.Frames != frames_ || samples.Format.Channels != channels_) return;
  end = std::min(end, frames_);
  if (first >= end) return;
  size_t firstEntry = first / kBlockFrames;
  size_t endEntry = CeilDiv(end, kBlockFrames);
  FillBlocks(samples, firstEntry, endEntry);
  for (size_t level = 1; level < levels_.size(); ++level) {
    firstEntry /= kFanOut;
    endEntry = CeilDiv(endEntry, kFanOut);
    FillParents(level, firstEntry, endEntry);
  }
}

void WaveformEnvelope::Clear() {
  levels_.clear();
  channels_ = 0;
  frames_ = 0;
}

size_t WaveformEnvelope::MemoryBytes() const {
  size_t bytes = 0;
  for (const auto& level : levels_) bytes += level.size() * sizeof(Entry);
  return bytes;
}

void WaveformEnvelope::FillBlocks(const SampleData& samples, size_t firstBlock,
                                  size_t endBlock) {
  const size_t frameBytes = static_cast<size_t>(samples.Format.FrameBytes());
  Peak peaks[kMaxChannels];
  for (size_t block = firstBlock; block < endBlock; ++block) {
    const size_t first = block * kBlockFrames;
    const size_t count = std::min(kBlockFrames, frames_ - first);
    MeasurePeaks(samples.Bytes + first * frameBytes, count, samples.Format, peaks);
    for (int c = 0; c < channels_; ++c) {
      levels_[0][block * channels_ + c] = {Lower(peaks[c].Min), Upper(peaks[c].Max)};
    }
  }
}

WaveformEnvelope::Entry WaveformEnvelope::Merge(const std::vector<Entry>& entries,
                                                 size_t firstBlock, size_t endBlock,
                                                 int channel) const {
  Entry merged = {127, -128};
  endBlock = std::min(endBlock, entries.size() / channels_);
  for (size_t block = firstBlock; block < endBlock; ++block) {
    const Entry& e = entries[block * channels_ + channel];
    merged.Min = std::min(merged.Min, e.Min);
    merged.Max = std::max(merged.Max, e.Max);
  }
  return merged;
}

void WaveformEnvelope::FillParents(size_t level, size_t firstEntry, size_t endEntry) {
  std::vector<Entry>& here = levels_[level];
  endEntry = std::min(endEntry, here.size() / channels_);
  for (size_t block = firstEntry; block < endEntry; ++block) {
    for (int c = 0; c < channels_; ++c) {
      here[block * channels_ + c] =
          Merge(levels_[level - 1], block * kFanOut, (block + 1) * kFanOut, c);
    }
  }
}

void WaveformEnvelope::Peaks(const SampleData& samples, size_t first, size_t end,
                             Peak* perChannel) const {
  end = std::min(end, frames_);
  if (Empty() || first >= end) {
    std::fill(perChannel, perChannel + channels_, Peak{});
    return;
  }
  if (end - first < kBlockFrames) {
    const size_t frameBytes = static_cast<size_t>(samples.Format.FrameBytes());
    MeasurePeaks(samples.Bytes + first * frameBytes, end - first, samples.Format, perChannel);
    return;
  }
  // The blocks the span touches, each stretch taken from the coarsest level
  // whose entry lies wholly inside them: a few entries per level at most,
  // and the peaks reach no further than the blocks at either end.
  Entry merged[kMaxChannels];
  for (Entry& e : merged) e = {127, -128};
  const size_t endBlock = CeilDiv(end, kBlockFrames);
  for (size_t block = first / kBlockFrames; block < endBlock;) {
    size_t level = 0;
    size_t blocks = 1;
    while (level + 1 < levels_.size() && block % (blocks * kFanOut) == 0 &&
           block + blocks * kFanOut <= endBlock) {
      ++level;
      blocks *= kFanOut;
    }
    for (int c = 0; c < channels_; ++c) {
      const Entry& e = levels_[level][block / blocks * channels_ + c];
      merged[c].Min = std::min(merged[c].Min, e.Min);
      merged[c].Max = std::max(merged[c].Max, e.Max);
    }
    block += blocks;
  }
  for (int c = 0; c < channels_; ++c) {
    perChannel[c] = {merged[c].Min / kFullScale, merged[c].Max / kFullScale};
  }
}

}  // namespace belmo
