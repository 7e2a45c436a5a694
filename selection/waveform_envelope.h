// A small summary of a recording's waveform for drawing it at any zoom: a
// pyramid of the minimum and maximum of each channel per block of frames.
// Level 0 holds one entry per kBlockFrames frames, each higher level one
// per kFanOut entries of the level below. Entries are kept in one signed
// byte each (full scale is -127 to 127), which is finer than a strip of a
// hundred pixels can show and keeps the summary under 1 % of the sample
// bytes for every layout (2 bytes per 512 samples at the least, and a
// third more for the levels above).
//
// The summary owns nothing of the samples: every call that needs them is
// given them again, so the document stays their only owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "selection/sample_peaks.h"

namespace belmo {

struct SampleData {
  const uint8_t* Bytes = nullptr;  // the first frame
  size_t Frames = 0;               // whole frames from Bytes
  WaveFormat Format;
};

class WaveformEnvelope {
 public:
  static constexpr size_t kBlockFrames = 512;
  static constexpr size_t kFanOut = 4;

  // One pass over the samples; false (and an empty summary) for a layout
  // MeasurePeaks does not read.
  bool Build(const SampleData& samples);
  // After frames [first, end) changed: the blocks they touch and every
  // entry above them, nothing else. The samples are the same recording's.
  void Update(const SampleData& samples, size_t first, size_t end);
  void Clear();

  bool Empty() const { return levels_.empty(); }
  size_t Frames() const { return frames_; }
  int Channels() const { return channels_; }
  size_t MemoryBytes() const;

  // The peaks of each channel over frames [first, end): from the summary
  // when the frames span a whole block, from the samples themselves when
  // they are fewer. A span cut by block edges reads the whole edge blocks,
  // so the peaks may reach up to a block beyond it, never further.
  void Peaks(const SampleData& samples, size_t first, size_t end, Peak* perChannel) const;

 private:
  struct Entry {
    int8_t Min;
    int8_t Max;
  };

  // The peaks of one channel over entries [firstBlock, endBlock) of a level.
  Entry Merge(const std::vector<Entry>& entries, size_t firstBlock, size_t endBlock,
              int channel) const;
  void FillBlocks(const SampleData& samples, size_t firstBlock, size_t endBlock);
  void FillParents(size_t level, size_t firstEntry, size_t endEntry);

  int channels_ = 0;
  size_t frames_ = 0;
  // levels_[l][block * channels_ + channel]
  std::vector<std::vector<Entry>> levels_;
};

}  // namespace belmo
