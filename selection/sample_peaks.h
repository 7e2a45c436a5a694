// The smallest and largest sample value of each channel over a run of
// frames, normalised so that full scale is -1 to 1. This is the one place
// where drawing reads sample values: an encoding the program learns to open
// is taught to the waveform here and nowhere else.
#pragma once

#include <cstddef>
#include <cstdint>

namespace belmo {

// How the sample bytes are laid out: channels interleaved, first channel
// first; 8-bit samples unsigned with 128 as silence, 16-bit signed
// little-endian.
struct SampleLayout {
  int Channels = 0;
  int BitsPerSample = 0;

  int FrameBytes() const { return Channels * (BitsPerSample / 8); }
};

struct Peak {
  float Min = 0;
  float Max = 0;
};

// The layouts MeasurePeaks reads.
bool CanMeasurePeaks(const SampleLayout& layout);

// perChannel receives layout.Channels peaks. With no frames every peak is
// 0 to 0. Reads exactly frames x FrameBytes() bytes from bytes.
void MeasurePeaks(const uint8_t* bytes, size_t frames, const SampleLayout& layout,
                  Peak* perChannel);

}  // namespace belmo
