// The FFT voice change: frame by frame, the two halves of a frame (two runs
// of N mono samples, or the two channels of N stereo frames) are packed
// into one complex signal, transformed, the spectrum is resampled by the
// pitch ratio with its upper half mirrored as conjugates, and transformed
// back in place. No window, no overlap: the rough sound is the mask.
#pragma once

#include <cstdint>
#include <vector>

#include "document/undo_record.h"
#include "document/wave_format.h"
#include "effects/fft.h"
#include "effects/mask.h"

namespace belmo {

// N = 2^(fftSizeIndex + 9) for an index 0..4; 0 for any other index.
int FftSizeOfIndex(unsigned fftSizeIndex);
// The index of N; -1 for a number that is none of the five sizes.
int FftIndexOfSize(double n);

// Bytes of one frame: 2N samples, whatever the channel count.
int64_t FftFrameBytes(SampleEncoding encoding, int n);

// Rewrites every whole frame of block[0, byteLength); the bytes after the
// last whole frame stay as they were. channels 2 selects the stereo layout,
// any other count the mono one. The tables must be prepared for n. False
// (block unchanged) when the work arrays cannot be allocated, or when n is
// not a power of two up to kMaxFftSize or not the size the tables were
// last prepared for.
bool PitchShiftFft(uint8_t* block, int64_t byteLength, int channels, SampleEncoding encoding,
                   double pitchRatio, int n, const TwiddleTables& tables);

// The range entry: range rule, undo copy, tables prepared for N, frames
// shifted. Refuses a pitch ratio not above 0, an index outside 0..4, a range
// with nothing inside the data, and a range whose buffers cannot be had;
// then nothing changes.
MaskOutcome ApplyVoiceChangeFft(ImageSpan image, const WaveFormat& format,
                                double startSeconds, double endSeconds, double pitchRatio,
                                unsigned fftSizeIndex, TwiddleTables& tables, UndoRecord& undo);

}  // namespace belmo
