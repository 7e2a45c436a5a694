// How samples of each encoding are read and written: the one place that
// knows the bytes of a sample. The masks, the previews, the waveform and
// the conversion of the overwrite source go through it.
//
// Values are in the encoding's own scale: -128 .. 127 for 8-bit (the byte
// less 128), -32768 .. 32767 for 16-bit, the 24- and 32-bit integers as
// they are, -1 .. 1 for float, and the 16-bit linear value of a G.711
// (mu-law, A-law) sample. Full scale is the largest value a mask writes on
// the positive side: 127, 32767, 2^23 - 1, 2^31 - 1, 1, and 32767 for G.711.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/wave_format.h"

namespace belmo {

// Bytes of one sample; 0 for an encoding the program does not decode.
int BytesPerSample(SampleEncoding encoding);

double FullScale(SampleEncoding encoding);

// Fills length bytes with the encoding's silence: 128 for 8-bit, the codes
// of 0 for G.711 (0xFF, 0xD5), zero bytes for the others. A length that
// ends inside a sample fills what fits.
void FillSilence(uint8_t* dest, int64_t length, SampleEncoding encoding);

// Whether a sample lies below the silence level: the side of a zero
// crossing it is on. Inline: the simple voice change asks it of every
// sample it reads.
inline bool IsNegativeSample(const uint8_t* sample, SampleEncoding encoding) {
  switch (encoding) {
    // The sign bit is in the last (most significant) byte.
    case SampleEncoding::Signed16: return sample[1] >= 0x80;
    case SampleEncoding::Signed24: return sample[2] >= 0x80;
    case SampleEncoding::Signed32:
    case SampleEncoding::Float32: return sample[3] >= 0x80;
    // 8-bit samples are unsigned around 128; G.711 codes carry their sign
    // in the top bit, set for the positive side.
    default: return sample[0] < 0x80;
  }
}

// Reads count samples, stride bytes apart, into values.
void DecodeRun(const uint8_t* first, int64_t stride, int count, SampleEncoding encoding,
               double* values);

// Writes count values, stride bytes apart, with the rounding the FFT voice
// change has always used: integers rounded to the nearest (ties to even)
// and clipped to +-full scale, so a masked recording never holds a value
// whose negation it cannot hold; float clipped to +-1 and not rounded.
// NaN becomes silence.
void EncodeRunRounded(const double* values, int count, SampleEncoding encoding, uint8_t* first,
                      int64_t stride);

// One sample of a tone: amplitude x sine at full scale, written the way
// the tone has always been: 8-bit as trunc(amplitude x (sine x 127) + 128),
// the other integers as floor(amplitude x (sine x full scale)), float as
// amplitude x sine; each clipped to its range (a level above 0 dB sounds
// loud instead of wrapping round).
void EncodeToneSample(double amplitude, double sine, SampleEncoding encoding, uint8_t* dest);

// Converts count samples from one encoding to another. Between integer
// widths the value moves by whole bits: up exactly, down by dropping the
// low bits. G.711 goes through its 16-bit linear value; float through the
// value at full scale (from float: floor, clipped). in and out must not
// overlap.
void ConvertSamples(const uint8_t* in, SampleEncoding from, int64_t count, SampleEncoding to,
                    uint8_t* out);

// ITU-T G.711: a code to its 16-bit linear value and back (the encoder
// takes what 13 or 14 bits hold and drops the rest).
int16_t DecodeMuLaw(uint8_t code);
int16_t DecodeALaw(uint8_t code);
uint8_t EncodeMuLaw(int32_t linear);
uint8_t EncodeALaw(int32_t linear);

}  // namespace belmo
