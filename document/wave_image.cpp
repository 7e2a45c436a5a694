#include <cstring>
#include <limits>

#include "document/wav_document.h"

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
constexpr size_t kHeaderFieldsEnd = 36;  // one past the last field read

// The masks divide by the rate; anything beyond this is a corrupt header,
// not a recording.
constexpr uint32_t kMaxSampleRate = 1000000;

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool IsPcmWave(const uint8_t* bytes) {
  const unsigned formatTag = bytes[kFormatTagOffset] | bytes[kFormatTagOffset + 1] << 8;
  return std::memcmp(bytes + kFormTypeOffset, "WAVE", 4) == 0 && formatTag == 1;
}

}  // namespace

WaveCheck InspectWaveImage(const uint8_t* bytes, size_t size, WaveFields* fields) {
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

  // The first "data" anywhere after offset 0 wins, even inside another chunk.
  // The tag only counts with its length field inside the image, so the first
  // sample byte (tag + 8) is never beyond the end.
  size_t dataTag = 0;
  for (size_t p = 1; p + 8 <= size; ++p) {
    if (std::memcmp(bytes + p, "data", 4) == 0) {
      dataTag = p;
      break;
    }
  }
  if (dataTag == 0) return WaveCheck::NoDataTag;

  fields->Channels = channels;
  fields->SampleRate = static_cast<int32_t>(sampleRate);
  fields->BitsPerSample = bitsPerSample;
  fields->DataTagOffset = static_cast<int32_t>(dataTag);
  return WaveCheck::Ok;
}

}  // namespace belmo
