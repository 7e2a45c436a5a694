// What a WAVE file holds and where: its sample encoding, channels, rate
// and the place of its sample data. One reader for every file the program
// takes in (the document, the file overwrite's source, belmo-mask's input),
// with the rules for accepting each kind in one place.
//
// Every offset is a byte offset into the file's image; no size field of the
// file is trusted beyond the bytes really present.
#pragma once

#include <cstddef>
#include <cstdint>

namespace belmo {

// How one sample is stored. Integers are two's complement, little-endian.
enum class SampleEncoding : uint8_t {
  Unsigned8,  // 8-bit, 128 is silence
  Signed16,
  Signed24,
  Signed32,
  Float32,    // IEEE 754, full scale +-1
  MuLaw,      // ITU-T G.711, 8 bits
  ALaw,       // ITU-T G.711, 8 bits
  Other,      // a width the program does not decode
};

// Format tags of the fmt chunk the program reads.
constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagALaw = 6;
constexpr uint16_t kTagMuLaw = 7;
constexpr uint16_t kTagExtensible = 0xFFFE;

struct WaveFormat {
  SampleEncoding Encoding = SampleEncoding::Signed16;
  // As the fmt chunk has it; an extensible header keeps 0xFFFE here.
  uint16_t FormatTag = kTagPcm;
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
  uint16_t BitsPerSample = 0;
  // Offset of the four bytes "data"; the first sample byte is 8 bytes later.
  int64_t DataTagOffset = 0;
  // One past the last byte that may hold samples: the end of the data
  // chunk as declared, or of the file when that comes first. Spans and
  // conversions further cut it to whole sample frames.
  int64_t DataEnd = 0;

  int64_t DataStart() const { return DataTagOffset + 8; }
  // 8- or 16-bit PCM with the plain format tag: what every sound device
  // plays, and all the program read before it read the others.
  bool IsPlainPcm() const {
    return FormatTag == kTagPcm &&
           (Encoding == SampleEncoding::Unsigned8 || Encoding == SampleEncoding::Signed16);
  }
  // Bytes of one sample frame (all channels); 0 for widths under 8 bits.
  int32_t FrameBytes() const { return static_cast<int32_t>(Channels) * (BitsPerSample / 8); }
  // The end of the last whole sample frame of the data.
  int64_t WholeFramesEnd() const;
  // The values a sound device is given for the format: block align rounded
  // from channels x bits / 8, and rate x block align.
  uint16_t BlockAlign() const;
  uint32_t AvgBytesPerSec() const;
};

// Why an image is or is not a WAVE file the program can edit.
enum class WaveCheck {
  Ok,
  TooShort,           // its format fields are not all there
  NotPcm,             // no "WAVE" at offset 8
  Compressed,         // a compressed format (ADPCM, MP3, ...) or one unknown
  UnsupportedFormat,  // sample width, channels or rate the masks cannot use
  NoDataTag,          // no "data" tag with its length field inside the image
  TooLarge,           // 2 GiB or more: beyond the 32-bit sizes of the document
  Rf64,               // the 64-bit forms RF64 and BW64
};

// What a file says of its samples, read also when it is refused, so that
// the refusal can say what the file is.
struct FormatClaim {
  uint16_t FormatTag = 0;  // of the fmt chunk, or the extensible header's subformat
  uint16_t Channels = 0;
  uint16_t BitsPerSample = 0;
  uint32_t SampleRate = 0;
  bool Extensible = false;
};

// The document's reader: checks the image and reads its format. The fmt
// and data chunks are found by walking the chunks from offset 12; a file
// whose chunks cannot be walked is read where a canonical file has them
// (the format fields at offset 20, the samples after the first "data").
// Never reads outside [bytes, bytes + size); format is written only when
// the answer is Ok, claim (when given) whenever the fields could be read.
WaveCheck InspectWaveImage(const uint8_t* bytes, size_t size, WaveFormat* format,
                           FormatClaim* claim = nullptr);

// Why a file overwrite's source cannot be used.
enum class SourceCheck {
  Ok,
  TooShort,  // under 40 bytes: the format fields and their 4 spare bytes
  NotPcm,    // a format the program cannot read, or no sample rate
  NoData,    // no "data" tag with a sample byte after it
};

// The overwrite source's reader: the document's, with the source's own
// refusals. Any format the document may have is converted from.
SourceCheck InspectOverwriteSource(const uint8_t* bytes, size_t size, WaveFormat* format);

// A chunk found by walking the RIFF chunks from offset 12.
struct ChunkSpan {
  int64_t Offset = 0;    // of its four-byte identifier
  uint32_t Declared = 0;  // its size field
  // The bytes of its body really present in the image.
  int64_t BodyBytes(size_t imageSize) const;
};

// The encoding of what a file claims; Other for a width the program does
// not read, and false for a format that is not PCM, float or G.711.
bool EncodingOfClaim(const FormatClaim& claim, SampleEncoding* encoding);

// Walks the chunks from offset 12 and finds the first one named id (four
// bytes). A size running past the image ends the walk. False when none.
bool FindChunk(const uint8_t* bytes, size_t size, const char* id, ChunkSpan* chunk);

// The play length in milliseconds the way the sound device measures it:
// the data chunk found by walking the chunks (not the first "data" bytes),
// its samples where format (read from these bytes) says they end, and
// ms = round-half-even(bytes x 1000 / (rate x channels x bits / 8)). -1 when no data chunk is
// found or the format has no bytes per second.
int64_t LengthMsByChunks(const uint8_t* bytes, size_t size, const WaveFormat& format);

}  // namespace belmo
