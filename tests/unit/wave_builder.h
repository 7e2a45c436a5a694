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
    AppendChunk(extra_, id, payload);
    return *this;
  }

  // A chunk placed before the format chunk, as broadcast WAVE files have
  // their "bext" and "JUNK".
  WaveBuilder& Before(const std::string& id, const std::string& payload) {
    AppendChunk(before_, id, payload);
    return *this;
  }
  // The extensible format header with this subformat (a format tag) and
  // number of valid bits.
  WaveBuilder& Extensible(uint16_t subformat, uint16_t validBits) {
    extensible_ = true;
    subformat_ = subformat;
    validBits_ = validBits;
    return *this;
  }

  // A chunk placed after the data chunk, where recorders put titles and
  // cue lists.
  WaveBuilder& After(const std::string& id, const std::string& payload) {
    if (sampleBytes_ % 2 != 0 && after_.empty()) after_.push_back(0);  // the data's pad byte
    AppendChunk(after_, id, payload);
    return *this;
  }

  // Offset of the data chunk's "data" tag in the built image.
  size_t DataTagOffset() const {
    return 36 + before_.size() + (extensible_ ? 24 : 0) + extra_.size();
  }

  std::vector<uint8_t> Build() const {
    const uint16_t blockAlign = static_cast<uint16_t>(channels_ * bits_ / 8);
    std::vector<uint8_t> image;
    Text(image, "RIFF");
    Le32(image, static_cast<uint32_t>(DataTagOffset() + sampleBytes_ + after_.size()));
    Text(image, "WAVE");
    image.insert(image.end(), before_.begin(), before_.end());
    Text(image, "fmt ");
    Le32(image, extensible_ ? 40 : 16);
    Le16(image, extensible_ ? 0xFFFE : formatTag_);
    Le16(image, channels_);
    Le32(image, sampleRate_);
    Le32(image, sampleRate_ * blockAlign);
    Le16(image, blockAlign);
    Le16(image, bits_);
    if (extensible_) {
      Le16(image, 22);
      Le16(image, validBits_);
      Le32(image, channels_ == 2 ? 3 : 4);  // front left and right, or centre
      Le16(image, subformat_);
      for (uint8_t b : {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38,
                        0x9B, 0x71}) {
        image.push_back(b);
      }
    }
    image.insert(image.end(), extra_.begin(), extra_.end());
    Text(image, "data");
    Le32(image, static_cast<uint32_t>(sampleBytes_));
    // A ramp: sample bytes that never spell a tag and differ between files.
    for (size_t i = 0; i < sampleBytes_; ++i) image.push_back(static_cast<uint8_t>(i * 7 + 1));
    image.insert(image.end(), after_.begin(), after_.end());
    return image;
  }

 private:
  static void AppendChunk(std::vector<uint8_t>& out, const std::string& id,
                          const std::string& payload) {
    out.insert(out.end(), id.begin(), id.end());
    Le32(out, static_cast<uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0) out.push_back(0);
  }
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
  std::vector<uint8_t> before_;
  std::vector<uint8_t> extra_;
  std::vector<uint8_t> after_;
  bool extensible_ = false;
  uint16_t subformat_ = 1;
  uint16_t validBits_ = 0;
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
  if (bits == 24) return SampleEncoding::Signed24;
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
