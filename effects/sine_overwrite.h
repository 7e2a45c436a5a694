// The sine mask: one period of the tone is computed into a small buffer and
// tiled over the block, so the phase restarts at 0 at every period boundary
// and the cost is one period of sin() plus a memory copy. A span written in
// pieces goes on where the last piece ended: one tone, however it is cut.
#pragma once

#include <cstdint>
#include <vector>

#include "document/undo_record.h"
#include "document/wave_format.h"
#include "effects/mask.h"

namespace belmo {

// The period in bytes, over the interleaved bytes of all channels:
// trunc(rate x channels x bits / 8 / hz), lowered to even and to whole
// samples. A result below 2 (too high a frequency, or not a positive one)
// cannot be tiled.
int32_t SinePeriodBytes(const WaveFormat& format, double sinHz);

// Writes the tone into block[0, length), the block's first byte lying
// startByte bytes into the period (0 <= startByte < periodBytes, whole
// samples). periodBytes must be even and >= 2. Levels above 0 dB are
// clipped to the sample range instead of wrapping around.
void FillSine(uint8_t* block, int32_t periodBytes, double levelDb, int64_t length,
              SampleEncoding encoding, int64_t startByte = 0);

// The range entry: refuses a frequency whose period is under 2 bytes and a
// range with no whole frame inside the data; then nothing changes.
MaskOutcome ApplySineOverwrite(ImageSpan image, const WaveFormat& format,
                               double startSeconds, double endSeconds, double sindB,
                               double sinHz, UndoRecord& undo);

}  // namespace belmo
