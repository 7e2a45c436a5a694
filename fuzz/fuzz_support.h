// What the fuzz targets share: reading settings out of the front of an
// input, files held in memory, small canonical WAVE images, and a check
// that turns a broken promise into a crash libFuzzer keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "document/platform.h"

namespace belmo::fuzz {

// The sanitizers catch bad memory and undefined arithmetic; this catches
// results that are wrong without being either.
#define BELMO_FUZZ_CHECK(condition)                                                  \
  do {                                                                               \
    if (!(condition)) {                                                              \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

// Takes values from the front of the input, in the order the seed generator
// writes them; past the end every value is 0, so a short input is still a
// valid one.
class InputReader {
 public:
  InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() {
    if (pos_ >= size_) return 0;
    return data_[pos_++];
  }
  uint16_t U16() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
  uint32_t U32() {
    const uint32_t low = U16();
    return low | static_cast<uint32_t>(U16()) << 16;
  }
  // Eight raw bytes: every double, NaN and the infinities included.
  double Double() {
    uint64_t bits = U32();
    bits |= static_cast<uint64_t>(U32()) << 32;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // Up to count bytes.
  std::vector<uint8_t> Bytes(size_t count) {
    const size_t n = count < size_ - pos_ ? count : size_ - pos_;
    std::vector<uint8_t> out(data_ + pos_, data_ + pos_ + n);
    pos_ += n;
    return out;
  }
  std::vector<uint8_t> Rest() { return Bytes(size_ - pos_); }
  bool AtEnd() const { return pos_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Whole files in memory. A write can be made to fail, leaving half the
// bytes behind as a full disk would.
class MemoryFileStore : public FileStore {
 public:
  bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) override {
    auto it = files.find(path);
    if (it == files.end()) return false;
    *bytes = it->second;
    return true;
  }
  bool WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                  bool /*hidden*/) override {
    std::vector<uint8_t>& file = files[path];
    file.assign(bytes, bytes + size);
    if (failingWrites > 0) {
      --failingWrites;
      file.resize(size / 2);
      return false;
    }
    return true;
  }
  bool Remove(const std::string& path) override { return files.erase(path) > 0; }
  bool Exists(const std::string& path) override { return files.count(path) > 0; }

  std::map<std::string, std::vector<uint8_t>> files;
  int failingWrites = 0;
};

inline void PutText(std::vector<uint8_t>& out, const char* text) {
  out.insert(out.end(), text, text + std::strlen(text));
}
inline void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  PutLe16(out, static_cast<uint16_t>(v));
  PutLe16(out, static_cast<uint16_t>(v >> 16));
}

// A canonical 44-byte header and a sawtooth of sampleBytes bytes. The
// samples skip '=' so that a WAVE file read as settings.ini gives nothing
// but defaults. tag 3 makes float samples of it, 6 and 7 G.711.
inline std::vector<uint8_t> CanonicalWave(uint16_t channels, uint16_t bits, uint32_t rate,
                                          uint32_t sampleBytes, uint16_t tag = 1) {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
  std::vector<uint8_t> image;
  PutText(image, "RIFF");
  PutLe32(image, 36 + sampleBytes);
  PutText(image, "WAVEfmt ");
  PutLe32(image, 16);
  PutLe16(image, tag);
  PutLe16(image, channels);
  PutLe32(image, rate);
  PutLe32(image, rate * blockAlign);
  PutLe16(image, blockAlign);
  PutLe16(image, bits);
  PutText(image, "data");
  PutLe32(image, sampleBytes);
  for (uint32_t i = 0; i < sampleBytes; ++i) {
    uint8_t b = static_cast<uint8_t>(i * 37 + 11);
    if (b == '=') ++b;
    image.push_back(b);
  }
  return image;
}

inline uint32_t ReadLe32(const std::vector<uint8_t>& bytes, size_t at) {
  if (at + 4 > bytes.size()) return 0;
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

inline void OverwriteLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  if (at + 4 > bytes.size()) return;
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Converting a source to a rate far above its own multiplies its size: a
// 4 KB file that claims 1 Hz becomes hundreds of megabytes at 96 kHz. That
// is the file's honest size at the new rate, not a fault, but one input of
// it would cost more than a whole fuzz run; such inputs are passed over.
inline bool ConversionFitsAFuzzRun(const std::vector<uint8_t>& source, uint32_t targetRate) {
  constexpr double kLargestConverted = 16.0 * 1024 * 1024;
  const uint32_t sourceRate = ReadLe32(source, 24);
  if (sourceRate == 0) return true;  // refused before any conversion
  // Width and channel conversion at most quadruple the bytes.
  return 4.0 * static_cast<double>(source.size()) * targetRate / sourceRate <= kLargestConverted;
}

}  // namespace belmo::fuzz
