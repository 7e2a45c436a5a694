// Builds WAVE images in memory: the canonical 44-byte header, optional chunks
// between the format chunk and the data chunk, and a run of sample bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/wave_format.h"

namespace belmo::test {

class WaveBuilder {
 public:
  WaveBuilder& FormatTag(uint16_t tag) { formatTag_ = tag; return *this; }
  WaveBuilder& Channels(uint16_t channels) { channels_ = channels; return *this; }
  WaveBuilder& SampleRate(uint32_t rate) { sampleRate_ = rate; return *this; }
  WaveBuilder& Bits(uint16_t bits) { bits_ = bits; return *this; }
  WaveBuilder& SampleBytes(size_t count) { sampleBytes_ = count; return *this; }
  // A chunk placed before the data chunk; odd payloads get their pad byte.
  WaveBuilder& Chunk(const std::string& id, const std::string& payload) {
    extra_.insert(extra_.end(), id.begin(), id.end());
    Le32(extra_, static_cast<uint32_t>(payload.size()));
    extra_.insert(extra_.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0) extra_.push_back(0);
    return *this;
  }

  // A chunk placed after the data chunk, where recorders put titles and
  // cue lists.
  WaveBuilder& After(const std::string& id, const std::string& payload) {
    if (sampleBytes_ % 2 != 0 && after_.empty()) after_.push_back(0);  // the data's pad byte
    after_.insert(after_.end(), id.begin(), id.end());
    Le32(after_, static_cast<uint32_t>(payload.size()));
    after_.insert(after_.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0) after_.push_back(0);
    return *this;
  }

  // Offset of the data chunk's "data" tag in the built image.
  size_t DataTagOffset() const { return 36 + extra_.size(); }

  std::vector<uint8_t> Build() const {
    const uint16_t blockAlign = static_cast<uint16_t>(channels_ * bits_ / 8);
    std::vector<uint8_t> image;
    Text(image, "RIFF");
    Le32(image, static_cast<uint32_t>(36 + extra_.size() + sampleBytes_ + after_.size()));
    Text(image, "WAVE");
    Text(image, "fmt ");
    Le32(image, 16);
    Le16(image, formatTag_);
    Le16(image, channels_);
    Le32(image, sampleRate_);
    Le32(image, sampleRate_ * blockAlign);
    Le16(image, blockAlign);
    Le16(image, bits_);
    image.insert(image.end(), extra_.begin(), extra_.end());
    Text(image, "data");
    Le32(image, static_cast<uint32_t>(sampleBytes_));
    // A ramp: sample bytes that never spell a tag and differ between files.
    for (size_t i = 0; i < sampleBytes_; ++i) image.push_back(static_cast<uint8_t>(i * 7 + 1));
    image.insert(image.end(), after_.begin(), after_.end());
    return image;
  }

 private:
  static void Text(std::vector<uint8_t>& out, const char* text) {
    for (; *text != '\0'; ++text) out.push_back(static_cast<uint8_t>(*text));
  }
  static void Le16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  static void Le32(std::vector<uint8_t>& out, uint32_t v) {
    Le16(out, static_cast<uint16_t>(v));
    Le16(out, static_cast<uint16_t>(v >> 16));
  }

  uint16_t formatTag_ = 1;
  uint16_t channels_ = 1;
  uint32_t sampleRate_ = 8000;
  uint16_t bits_ = 16;
  size_t sampleBytes_ = 16;
  std::vector<uint8_t> extra_;
  std::vector<uint8_t> after_;
};

// The format the program reads from an image (one that passes its checks).
inline WaveFormat FormatOf(const std::vector<uint8_t>& image) {
  WaveFormat format;
  InspectWaveImage(image.data(), image.size(), &format);
  return format;
}

// The encoding of 8- and 16-bit PCM; any other width is one the program
// does not decode.
inline SampleEncoding EncodingOfBits(int bits) {
  if (bits == 8) return SampleEncoding::Unsigned8;
  if (bits == 16) return SampleEncoding::Signed16;
  return SampleEncoding::Other;
}

// A format for samples from dataTagOffset + 8 on, with no end of its own:
// the block or image it is used on ends them.
inline WaveFormat Format(int channels, int rate, int bits, int64_t dataTagOffset = 36) {
  WaveFormat format;
  format.Encoding = EncodingOfBits(bits);
  format.Channels = static_cast<uint16_t>(channels);
  format.SampleRate = static_cast<uint32_t>(rate);
  format.BitsPerSample = static_cast<uint16_t>(bits);
  format.DataTagOffset = dataTagOffset;
  format.DataEnd = int64_t{1} << 40;
  return format;
}

// Overwrites bytes of an image in place, e.g. to spoil a header field.
inline void Poke(std::vector<uint8_t>& image, size_t offset, const std::string& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) image[offset + i] = static_cast<uint8_t>(bytes[i]);
}

}  // namespace belmo::test
