// How samples of each encoding are read and written: the one place that
// knows the bytes of a sample. The masks, the previews and the conversion
// of the overwrite source go through it.
//
// Values are in the encoding's own scale: -128 .. 127 for 8-bit (the byte
// less 128), -32768 .. 32767 for 16-bit. Full scale is the largest value a
// mask writes on the positive side: 127 and 32767.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/wave_format.h"

namespace belmo {

// Bytes of one sample; 0 for an encoding the program does not decode.
int BytesPerSample(SampleEncoding encoding);

double FullScale(SampleEncoding encoding);

// Fills length bytes with the encoding's silence (128 for 8-bit, 0 else).
void FillSilence(uint8_t* dest, int64_t length, SampleEncoding encoding);

// Whether a sample lies below the silence level: the side of a zero
// crossing it is on. Inline: the simple voice change asks it of every
// sample it reads.
inline bool IsNegativeSample(const uint8_t* sample, SampleEncoding encoding) {
  // The high byte carries the sign of a 16-bit sample; 8-bit samples are
  // unsigned around 128.
  if (encoding == SampleEncoding::Signed16) return sample[1] >= 0x80;
  return sample[0] < 0x80;
}

// Reads count samples, stride bytes apart, into values.
void DecodeRun(const uint8_t* first, int64_t stride, int count, SampleEncoding encoding,
               double* values);

// Writes count values, stride bytes apart: each rounded to the nearest
// integer (ties to even) and clipped to +-full scale, so a masked recording
// never holds a value whose negation it cannot hold. NaN becomes silence.
void EncodeRunRounded(const double* values, int count, SampleEncoding encoding, uint8_t* first,
                      int64_t stride);

// One sample of a tone: amplitude x sine at full scale, written the way
// the tone has always been: 8-bit as trunc(amplitude x (sine x 127) + 128),
// 16-bit as floor(amplitude x (sine x 32767)), each clipped to its range
// (a level above 0 dB sounds loud instead of wrapping round).
void EncodeToneSample(double amplitude, double sine, SampleEncoding encoding, uint8_t* dest);

// Converts count samples from one encoding to another, front to back: the
// value moves to the target's scale by the ratio of the two widths, with
// the lower bits dropped on the way down. in and out must not overlap
// unless they are the same block and the target is no wider.
void ConvertSamples(const uint8_t* in, SampleEncoding from, int64_t count, SampleEncoding to,
                    uint8_t* out);

}  // namespace belmo
