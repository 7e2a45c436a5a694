// The simple voice change: the block is read at the speed of the pitch
// ratio (no interpolation), cut into segments at every voiceSample-th zero
// crossing, and each segment is written back as often as fits the stretch
// of time it came from, so the pitch changes and the duration does not.
// Channels are not known here: interleaved stereo is one sequence.
#pragma once

#include <cstdint>
#include <vector>

#include "document/undo_record.h"
#include "effects/mask_outcome.h"
#include "effects/mask_range.h"

namespace belmo {

// Rewrites block[0, byteLength) in place; bitsPerSample other than 8 or 16
// leaves it unchanged. False (block unchanged) when the resampled buffer
// cannot be allocated.
bool PitchShiftSimple(uint8_t* block, int64_t byteLength, double pitchRatio,
                      int16_t bitsPerSample, double voiceSample);

// The simple method's checks before memory is sought: a pitch ratio not
// above 0 (PitchRatioInvalid), then a range with nothing inside an image of
// imageSize bytes (RangeInvalid). Applied gives the span it would rewrite.
MaskOutcome PlanVoiceChangeSimple(size_t imageSize, const PcmLayout& layout, double startSeconds,
                                  double endSeconds, double pitchRatio, ByteSpan* span);

// The range entry. Refuses a pitch ratio not above 0, a range with nothing
// inside the image and a range whose buffers cannot be had; then nothing
// changes.
MaskOutcome ApplyVoiceChangeSimple(std::vector<uint8_t>& image, const PcmLayout& layout,
                                   double startSeconds, double endSeconds, double pitchRatio,
                                   double voiceSample, UndoRecord& undo);

}  // namespace belmo
