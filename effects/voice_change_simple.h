// The simple voice change: the block is read at the speed of the pitch
// ratio (no interpolation), cut into segments at every voiceSample-th zero
// crossing, and each segment is written back as often as fits the stretch
// of time it came from, so the pitch changes and the duration does not.
// Channels are not known here: interleaved stereo is one sequence.
#pragma once

#include <cstdint>
#include <vector>

#include "document/undo_record.h"
#include "document/wave_format.h"
#include "effects/mask.h"

namespace belmo {

// Rewrites block[0, byteLength) in place; an encoding the program does not
// decode leaves it unchanged. False (block unchanged) when the resampled
// buffer cannot be allocated.
bool PitchShiftSimple(uint8_t* block, int64_t byteLength, double pitchRatio,
                      SampleEncoding encoding, double voiceSample);

// The range entry. Refuses a pitch ratio not above 0, a range with nothing
// inside the data and a range whose buffers cannot be had; then nothing
// changes.
MaskOutcome ApplyVoiceChangeSimple(ImageSpan image, const WaveFormat& format,
                                   double startSeconds, double endSeconds, double pitchRatio,
                                   double voiceSample, UndoRecord& undo);

}  // namespace belmo
