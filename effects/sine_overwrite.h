// The sine mask: one period of the tone is computed into a small buffer and
// tiled over the block, so the phase restarts at 0 at every period boundary
// and the cost is one period of sin() plus a memory copy.
#pragma once

#include <cstdint>
#include <vector>

#include "document/undo_record.h"
#include "effects/mask_outcome.h"
#include "effects/mask_range.h"

namespace belmo {

// The period in bytes, over the interleaved bytes of all channels:
// trunc(rate x channels x bits / 8 / hz), lowered to even. A result below 2
// (too high a frequency, or not a positive one) cannot be tiled.
int32_t SinePeriodBytes(int32_t sampleRate, int16_t channels, int16_t bitsPerSample,
                        double sinHz);

// Writes the tone into block[0, length). periodBytes must be even and >= 2.
// bitsPerSample 8 writes unsigned 8-bit samples, any other value signed
// 16-bit little-endian ones. Levels above 0 dB are clipped to the sample
// range instead of wrapping around.
void FillSine(uint8_t* block, int32_t periodBytes, double levelDb, int64_t length,
              int16_t bitsPerSample);

// The sine mask's checks, in its order: a frequency whose period is under
// 2 bytes (FrequencyTooHigh), then a range with no whole frame inside an
// image of imageSize bytes (RangeInvalid). Applied gives what it would write.
struct SinePlan {
  ByteSpan span;
  int32_t period = 0;
};
MaskOutcome PlanSineOverwrite(size_t imageSize, const PcmLayout& layout, double startSeconds,
                              double endSeconds, double sinHz, SinePlan* plan);

// Masks the range [startSeconds, endSeconds) of the image with the tone,
// after recording the undo copy. Refuses a frequency whose period is under
// 2 bytes and a range with no whole frame inside the image; then nothing
// changes.
MaskOutcome ApplySineOverwrite(std::vector<uint8_t>& image, const PcmLayout& layout,
                               double startSeconds, double endSeconds, double sindB,
                               double sinHz, UndoRecord& undo);

}  // namespace belmo
