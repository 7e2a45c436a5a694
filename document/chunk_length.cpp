#include <cstring>

#include "document/wav_document.h"
#include "numtext/number_text.h"

namespace belmo {
namespace {

uint32_t ReadLe32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

int64_t LengthMsByChunks(const uint8_t* bytes, size_t size, const WaveFields& fields) {
  const double bytesPerSecond =
      static_cast<double>(fields.SampleRate) * fields.Channels * fields.BitsPerSample / 8;
  if (!(bytesPerSecond > 0)) return -1;
  size_t offset = 12;
  while (offset <= size && size - offset >= 8) {
    const uint32_t chunkSize = ReadLe32(bytes + offset + 4);
    const size_t body = offset + 8;
    if (std::memcmp(bytes + offset, "data", 4) == 0) {
      const size_t present = size - body;
      const double dataBytes = chunkSize < present ? chunkSize : static_cast<double>(present);
      return RoundHalfEven(dataBytes * 1000 / bytesPerSecond);
    }
    // Chunks are padded to an even size; a size running past the end stops the walk.
    const uint64_t next = static_cast<uint64_t>(body) + chunkSize + (chunkSize & 1u);
    if (next > size) break;
    offset = static_cast<size_t>(next);
  }
  return -1;
}

}  // namespace belmo
