#include "document/wave_format.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "numtext/number_text.h"

namespace belmo {
namespace {

// Where a canonical 44-byte header has its fields. A file whose chunks
// cannot be walked to a "fmt " chunk is still read there, as long as it
// gets the WAVE form type right: the chunk identifiers at 0 and 12 have
// never been required.
constexpr size_t kFormTypeOffset = 8;
constexpr size_t kCanonicalFormat = 20;  // the fmt chunk's body
constexpr size_t kHeaderFieldsEnd = 36;  // one past the canonical format fields
constexpr size_t kShortestSource = 40;   // the format fields and their 4 spare bytes
constexpr size_t kFirstChunk = 12;
constexpr size_t kFormatFields = 16;     // tag .. bits per sample
constexpr size_t kExtensibleFields = 40;

// The masks divide by the rate; anything beyond this is a corrupt header,
// not a recording.
constexpr uint32_t kMaxSampleRate = 1000000;

// The subformat GUID of an extensible header is the format tag followed
// by these bytes.
constexpr uint8_t kSubformatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool IsWave(const uint8_t* bytes) { return std::memcmp(bytes + kFormTypeOffset, "WAVE", 4) == 0; }

// The first "data" from offset 1 on, wherever it stands, even inside the
// text of another chunk, provided `after` more bytes follow the tag in the
// image. 0 when there is none.
size_t FirstDataTag(const uint8_t* bytes, size_t size, size_t after) {
  for (size_t p = 1; p + 4 <= size && size - p - 4 >= after; ++p) {
    if (std::memcmp(bytes + p, "data", 4) == 0) return p;
  }
  return 0;
}

// The format fields as the file states them. False when they are not all
// in the image.
bool ReadClaim(const uint8_t* bytes, size_t size, FormatClaim* claim, uint16_t* validBits) {
  size_t fields = kCanonicalFormat;
  size_t extensibleBytes = 0;
  ChunkSpan chunk;
  if (FindChunk(bytes, size, "fmt ", &chunk)) {
    fields = static_cast<size_t>(chunk.Offset) + 8;
    extensibleBytes = static_cast<size_t>(chunk.BodyBytes(size));
  }
  // The basic fields are read where they stand even when the chunk's size
  // understates them; the extensible ones only inside the chunk.
  if (size < fields || size - fields < kFormatFields) return false;
  const uint8_t* f = bytes + fields;
  *claim = FormatClaim{};
  claim->FormatTag = ReadLe16(f);
  claim->Channels = ReadLe16(f + 2);
  claim->SampleRate = ReadLe32(f + 4);
  claim->BitsPerSample = ReadLe16(f + 14);
  *validBits = claim->BitsPerSample;
  if (claim->FormatTag == kTagExtensible) {
    // A subformat that is not one of the standard ones is a format of its
    // own, which nothing here can read.
    claim->Extensible = true;
    claim->FormatTag = 0;
    if (extensibleBytes >= kExtensibleFields &&
        std::memcmp(f + 26, kSubformatTail, sizeof kSubformatTail) == 0) {
      claim->FormatTag = ReadLe16(f + 24);
      if (ReadLe16(f + 18) != 0) *validBits = ReadLe16(f + 18);
    }
  }
  return true;
}

// The fields of a format that passed its checks.
void TakeClaim(const FormatClaim& claim, SampleEncoding encoding, WaveFormat* format) {
  format->Encoding = encoding;
  format->FormatTag = claim.Extensible ? kTagExtensible : claim.FormatTag;
  format->Channels = claim.Channels;
  format->SampleRate = claim.SampleRate;
  format->BitsPerSample = claim.BitsPerSample;
}

// Whether a chunk starts at offset: an id of printable characters and a
// size that fits the file. Samples pass both tests together only rarely.
bool IsChunkHeader(const uint8_t* bytes, size_t size, size_t offset) {
  if (offset > size || size - offset < 8) return false;
  for (size_t i = 0; i < 4; ++i) {
    if (bytes[offset + i] < 0x20 || bytes[offset + i] > 0x7E) return false;
  }
  return ReadLe32(bytes + offset + 4) <= size - offset - 8;
}

// The data chunk, found by walking the chunks; a file whose chunks cannot
// be walked to one has its samples after the first "data" bytes. The
// samples end where the chunk says, or where the file does if it was cut
// short: a chunk after the data (a title, a cue list) is never taken for
// samples. A size of all ones, or of 0 with no chunk after it, is what a
// recorder leaves when it never finished the file; then the samples run to
// the end of the file. A size of 0 followed by a chunk is a finished file
// without samples, and its next chunk is no sound.
bool FindData(const uint8_t* bytes, size_t size, size_t bytesAfterTag, WaveFormat* format) {
  ChunkSpan data;
  if (!FindChunk(bytes, size, "data", &data)) {
    const size_t tag = FirstDataTag(bytes, size, bytesAfterTag);
    if (tag == 0) return false;
    data.Offset = static_cast<int64_t>(tag);
    data.Declared = ReadLe32(bytes + tag + 4);
  }
  format->DataTagOffset = data.Offset;
  const bool unfinished =
      data.Declared == 0xFFFFFFFFu ||
      (data.Declared == 0 && !IsChunkHeader(bytes, size, static_cast<size_t>(data.Offset) + 8));
  format->DataEnd = unfinished ? static_cast<int64_t>(size)
                               : format->DataStart() + data.BodyBytes(size);
  return true;
}

}  // namespace

bool EncodingOfClaim(const FormatClaim& claim, SampleEncoding* encoding) {
  *encoding = SampleEncoding::Other;
  const uint16_t bits = claim.BitsPerSample;
  switch (claim.FormatTag) {
    case kTagPcm:
      if (bits == 8) *encoding = SampleEncoding::Unsigned8;
      if (bits == 16) *encoding = SampleEncoding::Signed16;
      if (bits == 24) *encoding = SampleEncoding::Signed24;
      if (bits == 32) *encoding = SampleEncoding::Signed32;
      return true;
    case kTagFloat:
      if (bits == 32) *encoding = SampleEncoding::Float32;
      return true;
    case kTagALaw:
      if (bits == 8) *encoding = SampleEncoding::ALaw;
      return true;
    case kTagMuLaw:
      if (bits == 8) *encoding = SampleEncoding::MuLaw;
      return true;
    default: return false;
  }
}

int64_t WaveFormat::WholeFramesEnd() const {
  const int64_t frame = FrameBytes();
  if (frame <= 0 || DataEnd <= DataStart()) return DataStart();
  return DataStart() + (DataEnd - DataStart()) / frame * frame;
}

uint16_t WaveFormat::BlockAlign() const {
  const double frameBytes =
      static_cast<double>(Channels) * static_cast<double>(BitsPerSample) / 8.0;
  return static_cast<uint16_t>(RoundHalfEven(frameBytes));
}

uint32_t WaveFormat::AvgBytesPerSec() const { return SampleRate * BlockAlign(); }

WaveCheck InspectWaveImage(const uint8_t* bytes, size_t size, WaveFormat* format,
                           FormatClaim* claim) {
  // A file that already shows it is no WAVE file gets that answer even when
  // it is also too short: it is the more useful message.
  if (size >= kCanonicalFormat + 2 && !IsWave(bytes)) return WaveCheck::NotPcm;
  if (size < kHeaderFieldsEnd) return WaveCheck::TooShort;
  if (std::memcmp(bytes, "RF64", 4) == 0 || std::memcmp(bytes, "BW64", 4) == 0) {
    return WaveCheck::Rf64;
  }
  if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return WaveCheck::TooLarge;
  }

  FormatClaim seen;
  uint16_t validBits = 0;
  if (!ReadClaim(bytes, size, &seen, &validBits)) return WaveCheck::TooShort;
  if (claim != nullptr) *claim = seen;
  SampleEncoding encoding;
  if (!EncodingOfClaim(seen, &encoding)) return WaveCheck::Compressed;
  if (encoding == SampleEncoding::Other || validBits > seen.BitsPerSample ||
      (seen.Channels != 1 && seen.Channels != 2) || seen.SampleRate < 1 ||
      seen.SampleRate > kMaxSampleRate) {
    return WaveCheck::UnsupportedFormat;
  }

  // The tag only counts with its length field inside the image, so the
  // first sample byte (tag + 8) is never beyond the end.
  WaveFormat read;
  if (!FindData(bytes, size, 4, &read)) return WaveCheck::NoDataTag;
  TakeClaim(seen, encoding, &read);
  *format = read;
  return WaveCheck::Ok;
}

SourceCheck InspectOverwriteSource(const uint8_t* bytes, size_t size, WaveFormat* format) {
  if (size < kShortestSource) return SourceCheck::TooShort;
  // The form type is not looked at: a source only has to hold samples.
  FormatClaim seen;
  uint16_t validBits = 0;
  SampleEncoding encoding = SampleEncoding::Other;
  if (!ReadClaim(bytes, size, &seen, &validBits) || !EncodingOfClaim(seen, &encoding)) {
    return SourceCheck::NotPcm;
  }
  WaveFormat read;
  if (!FindData(bytes, size, 5, &read) || read.DataStart() >= static_cast<int64_t>(size)) {
    return SourceCheck::NoData;
  }
  // No rate to convert from, or samples no conversion can read: the file
  // claims a format but is not usable.
  if (seen.SampleRate == 0 || encoding == SampleEncoding::Other ||
      validBits > seen.BitsPerSample || (seen.Channels != 1 && seen.Channels != 2)) {
    return SourceCheck::NotPcm;
  }
  TakeClaim(seen, encoding, &read);
  *format = read;
  return SourceCheck::Ok;
}

int64_t ChunkSpan::BodyBytes(size_t imageSize) const {
  const int64_t body = Offset + 8;
  const int64_t present = static_cast<int64_t>(imageSize) - body;
  if (present <= 0) return 0;
  return Declared < present ? static_cast<int64_t>(Declared) : present;
}

bool FindChunk(const uint8_t* bytes, size_t size, const char* id, ChunkSpan* chunk) {
  size_t offset = kFirstChunk;
  while (offset <= size && size - offset >= 8) {
    const uint32_t declared = ReadLe32(bytes + offset + 4);
    if (std::memcmp(bytes + offset, id, 4) == 0) {
      chunk->Offset = static_cast<int64_t>(offset);
      chunk->Declared = declared;
      return true;
    }
    // Chunks are padded to an even size; a size running past the end stops the walk.
    const uint64_t next = static_cast<uint64_t>(offset) + 8 + declared + (declared & 1u);
    if (next > size) break;
    offset = static_cast<size_t>(next);
  }
  return false;
}

int64_t LengthMsByChunks(const uint8_t* bytes, size_t size, const WaveFormat& format) {
  const double bytesPerSecond = static_cast<double>(format.SampleRate) * format.Channels *
                                format.BitsPerSample / 8;
  if (!(bytesPerSecond > 0)) return -1;
  // The data's end is the reader's (an unfinished chunk runs to the end of
  // the file); the chunk still has to be found by walking.
  ChunkSpan data;
  if (!FindChunk(bytes, size, "data", &data) || data.Offset != format.DataTagOffset) return -1;
  const double dataBytes = static_cast<double>(format.DataEnd - format.DataStart());
  return RoundHalfEven(dataBytes * 1000 / bytesPerSecond);
}

}  // namespace belmo
