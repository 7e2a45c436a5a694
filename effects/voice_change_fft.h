// The FFT voice change: frame by frame, the two halves of a frame (two runs
// of N mono samples, or the two channels of N stereo frames) are packed
// into one complex signal, transformed, the spectrum is resampled by the
// pitch ratio with its upper half mirrored as conjugates, and transformed
// back in place. No window, no overlap: the rough sound is the mask.
#pragma once

#include <cstdint>
#include <vector>

#include "document/undo_record.h"
#include "effects/fft.h"
#include "effects/mask_outcome.h"
#include "effects/mask_range.h"

namespace belmo {

// N = 2^(fftSizeIndex + 9) for an index 0..4; 0 for any other index.
int FftSizeOfIndex(unsigned fftSizeIndex);

// Rewrites every whole frame of block[0, byteLength) (2N samples each); the
// bytes after the last whole frame stay as they were. The tables must be
// prepared for n. False (block unchanged) when the work arrays cannot be
// allocated, or when n is not a power of two up to kMaxFftSize or not the
// size the tables were last prepared for.
bool PitchShiftFft(uint8_t* block, int64_t byteLength, int16_t channels, int16_t bitsPerSample,
                   double pitchRatio, int n, const TwiddleTables& tables);

// Bytes of one frame: 2N samples.
int64_t FftFrameBytes(int16_t bitsPerSample, int n);

// The FFT method's checks before memory is sought: a pitch ratio not above
// 0 (PitchRatioInvalid), an index outside 0..4 (FftSizeInvalid), then a
// range with nothing inside an image of imageSize bytes (RangeInvalid).
// Applied gives the span it would rewrite and N.
MaskOutcome PlanVoiceChangeFft(size_t imageSize, const PcmLayout& layout, double startSeconds,
                               double endSeconds, double pitchRatio, unsigned fftSizeIndex,
                               ByteSpan* span, int* n);

// Grows the tables to hold N values each; false when memory runs short.
bool MakeRoomInTables(TwiddleTables& tables, int n);

// The range entry: range rule, undo copy, tables prepared for N, frames
// shifted. Refuses a pitch ratio not above 0, an index outside 0..4, a range
// with nothing inside the image, and a range whose buffers cannot be had;
// then nothing changes.
MaskOutcome ApplyVoiceChangeFft(std::vector<uint8_t>& image, const PcmLayout& layout,
                                double startSeconds, double endSeconds, double pitchRatio,
                                unsigned fftSizeIndex, TwiddleTables& tables, UndoRecord& undo);

}  // namespace belmo
