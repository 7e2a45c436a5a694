#include "document/wave_format.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "numtext/number_text.h"

namespace belmo {
namespace {

// Fixed offsets of the canonical 44-byte header. The chunk identifiers at 0
// ("RIFF") and 12 ("fmt ") are deliberately not looked at: files that only
// get the WAVE form type and the format fields right are still accepted.
constexpr size_t kFormTypeOffset = 8;
constexpr size_t kFormatTagOffset = 20;
constexpr size_t kChannelsOffset = 22;
constexpr size_t kSampleRateOffset = 24;
constexpr size_t kBitsPerSampleOffset = 34;
constexpr size_t kHeaderFieldsEnd = 36;  // one past the last field the document reads
constexpr size_t kShortestSource = 40;   // the format fields and their 4 spare bytes
constexpr size_t kFirstChunk = 12;

// The masks divide by the rate; anything beyond this is a corrupt header,
// not a recording.
constexpr uint32_t kMaxSampleRate = 1000000;

uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

SampleEncoding EncodingOfBits(uint16_t bits) {
  if (bits == 8) return SampleEncoding::Unsigned8;
  if (bits == 16) return SampleEncoding::Signed16;
  return SampleEncoding::Other;
}

bool IsPcmWave(const uint8_t* bytes) {
  return std::memcmp(bytes + kFormTypeOffset, "WAVE", 4) == 0 &&
         ReadLe16(bytes + kFormatTagOffset) == 1;
}

// The first "data" from offset 1 on, wherever it stands, even inside the
// text of another chunk, provided `after` more bytes follow the tag in the
// image. 0 when there is none.
size_t FirstDataTag(const uint8_t* bytes, size_t size, size_t after) {
  for (size_t p = 1; p + 4 <= size && size - p - 4 >= after; ++p) {
    if (std::memcmp(bytes + p, "data", 4) == 0) return p;
  }
  return 0;
}

}  // namespace

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

WaveCheck InspectWaveImage(const uint8_t* bytes, size_t size, WaveFormat* format) {
  // A file that already shows it is no PCM WAVE gets that answer even when it
  // is also too short: it is the more useful message.
  if (size >= kFormatTagOffset + 2 && !IsPcmWave(bytes)) return WaveCheck::NotPcm;
  if (size < kHeaderFieldsEnd) return WaveCheck::TooShort;
  if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return WaveCheck::TooLarge;
  }

  // Only the low bytes of the 16-bit channel and bit-depth fields are read.
  const uint8_t channels = bytes[kChannelsOffset];
  const uint32_t sampleRate = ReadLe32(bytes + kSampleRateOffset);
  const uint8_t bitsPerSample = bytes[kBitsPerSampleOffset];
  if ((channels != 1 && channels != 2) || (bitsPerSample != 8 && bitsPerSample != 16) ||
      sampleRate < 1 || sampleRate > kMaxSampleRate) {
    return WaveCheck::UnsupportedFormat;
  }

  // The tag only counts with its length field inside the image, so the
  // first sample byte (tag + 8) is never beyond the end.
  const size_t dataTag = FirstDataTag(bytes, size, 4);
  if (dataTag == 0) return WaveCheck::NoDataTag;

  format->Encoding = EncodingOfBits(bitsPerSample);
  format->Channels = channels;
  format->SampleRate = sampleRate;
  format->BitsPerSample = bitsPerSample;
  format->DataTagOffset = static_cast<int64_t>(dataTag);
  // The samples end where the data chunk says, or where the file does if
  // it was cut short: a chunk after the data (a title, a cue list) is
  // never taken for samples.
  const uint64_t declaredEnd = static_cast<uint64_t>(dataTag) + 8 + ReadLe32(bytes + dataTag + 4);
  format->DataEnd = static_cast<int64_t>(std::min<uint64_t>(declaredEnd, size));
  return WaveCheck::Ok;
}

SourceCheck InspectOverwriteSource(const uint8_t* bytes, size_t size, WaveFormat* format) {
  if (size < kShortestSource) return SourceCheck::TooShort;
  // The format fields are read where a canonical file has them, right after
  // the 12-byte RIFF header; the form type is not looked at.
  if (ReadLe16(bytes + kFormatTagOffset) != 1) return SourceCheck::NotPcm;
  const size_t dataTag = FirstDataTag(bytes, size, 5);
  if (dataTag == 0) return SourceCheck::NoData;
  const uint32_t sampleRate = ReadLe32(bytes + kSampleRateOffset);
  // No rate to convert from: the file claims to be PCM but is not usable.
  if (sampleRate == 0) return SourceCheck::NotPcm;

  format->Channels = ReadLe16(bytes + kChannelsOffset);
  format->SampleRate = sampleRate;
  format->BitsPerSample = ReadLe16(bytes + kBitsPerSampleOffset);
  format->Encoding = EncodingOfBits(format->BitsPerSample);
  format->DataTagOffset = static_cast<int64_t>(dataTag);
  format->DataEnd = static_cast<int64_t>(size);
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
  ChunkSpan data;
  if (!FindChunk(bytes, size, "data", &data)) return -1;
  const double dataBytes = static_cast<double>(data.BodyBytes(size));
  return RoundHalfEven(dataBytes * 1000 / bytesPerSecond);
}

}  // namespace belmo
