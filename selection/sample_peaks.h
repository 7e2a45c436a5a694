// The smallest and largest sample value of each channel over a run of
// frames, normalised so that full scale is -1 to 1. This is the one place
// where drawing reads sample values: an encoding the program learns to open
// is taught to the waveform here and nowhere else.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/wave_format.h"

namespace belmo {

struct Peak {
  float Min = 0;
  float Max = 0;
};

// The formats MeasurePeaks reads: every encoding the program opens, in
// mono or stereo.
bool CanMeasurePeaks(const WaveFormat& format);

// perChannel receives format.Channels peaks. With no frames every peak is
// 0 to 0. Reads exactly frames x FrameBytes() bytes from bytes.
void MeasurePeaks(const uint8_t* bytes, size_t frames, const WaveFormat& format,
                  Peak* perChannel);

}  // namespace belmo
