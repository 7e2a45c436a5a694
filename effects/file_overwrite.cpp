#include "effects/file_overwrite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "numtext/number_text.h"

namespace belmo {
namespace {

constexpr size_t kShortestSource = 40;  // RIFF header, fmt fields and their 4 spare bytes
constexpr int64_t kLongestData = std::numeric_limits<int32_t>::max();

uint16_t Le16(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint32_t>(Le16(bytes, at)) |
         (static_cast<uint32_t>(Le16(bytes, at + 2)) << 16);
}

// The format fields are read where a canonical file has them, right after
// the 12-byte RIFF header; files that put another chunk first are not
// looked for further.
PcmFormat SourceFormatOf(const std::vector<uint8_t>& file) {
  PcmFormat format;
  format.FormatTag = Le16(file, 20);
  format.Channels = Le16(file, 22);
  format.SamplesPerSec = Le32(file, 24);
  format.AvgBytesPerSec = Le32(file, 28);
  format.BlockAlign = Le16(file, 32);
  format.BitsPerSample = Le16(file, 34);
  return format;
}

// The first "data" from offset 1 on, wherever it stands, even inside the
// text of an earlier chunk; the samples run from 8 bytes after it to the
// end of the file. 0 when there is no such tag with a byte after it.
size_t SampleStartOf(const std::vector<uint8_t>& file) {
  static const uint8_t kTag[4] = {'d', 'a', 't', 'a'};
  for (size_t at = 1; at + 4 <= file.size(); ++at) {
    if (std::memcmp(file.data() + at, kTag, 4) == 0) {
      return at + 8 < file.size() ? at + 8 : 0;
    }
  }
  return 0;
}

int64_t WholeUnits(int64_t length, int64_t unit) { return unit > 0 ? length - length % unit : 0; }

// Each conversion stage gets its own block, had up front; a length the
// 32-bit source position could not reach is refused along with the
// allocations that fail.
bool Allocate(int64_t length, std::vector<uint8_t>* block) {
  if (length > kLongestData) return false;
  try {
    block->assign(static_cast<size_t>(length), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// 8 to 16 bits puts each byte, sign flipped, into the high byte of a
// sample with a zero low byte; 16 to 8 keeps the high byte. Any other pair
// is not converted.
bool ConvertWidth(const PcmFormat& source, const PcmFormat& target, std::vector<uint8_t>* data) {
  const std::vector<uint8_t>& in = *data;
  std::vector<uint8_t> out;
  if (source.BitsPerSample == 8 && target.BitsPerSample == 16) {
    const auto n = static_cast<int64_t>(in.size());
    if (!Allocate(n * 2, &out)) return false;
    for (int64_t i = 0; i < n; ++i) out[2 * i + 1] = static_cast<uint8_t>(in[i] ^ 0x80);
  } else if (source.BitsPerSample == 16 && target.BitsPerSample == 8) {
    const int64_t n = WholeUnits(static_cast<int64_t>(in.size()), 2) / 2;
    if (!Allocate(n, &out)) return false;
    for (int64_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(in[2 * i + 1] ^ 0x80);
  } else {
    return true;
  }
  data->swap(out);
  return true;
}

// Mono becomes the same sample on both sides; stereo keeps its first
// channel only, so no mixing can overflow. Samples already have the
// target's width here.
bool ConvertChannels(const PcmFormat& source, const PcmFormat& target, std::vector<uint8_t>* data) {
  const std::vector<uint8_t>& in = *data;
  const int64_t w = target.BitsPerSample / 8;
  std::vector<uint8_t> out;
  if (source.Channels == 1 && target.Channels == 2) {
    const int64_t samples = w > 0 ? static_cast<int64_t>(in.size()) / w : 0;
    if (!Allocate(samples * 2 * w, &out)) return false;
    for (int64_t i = 0; i < samples; ++i) {
      std::memcpy(&out[2 * i * w], &in[i * w], static_cast<size_t>(w));
      std::memcpy(&out[(2 * i + 1) * w], &in[i * w], static_cast<size_t>(w));
    }
  } else if (source.Channels == 2 && target.Channels == 1) {
    const int64_t frames = w > 0 ? static_cast<int64_t>(in.size()) / (2 * w) : 0;
    if (!Allocate(frames * w, &out)) return false;
    for (int64_t i = 0; i < frames; ++i) {
      std::memcpy(&out[i * w], &in[2 * i * w], static_cast<size_t>(w));
    }
  } else {
    return true;
  }
  data->swap(out);
  return true;
}

// Output frame i is input frame trunc(i / r): the nearest earlier frame,
// no interpolation. The new length is cut to whole frames, and the input
// to the frames it really holds, so no frame is half read or half written.
bool ConvertRate(const PcmFormat& source, const PcmFormat& target, std::vector<uint8_t>* data) {
  const double r =
      static_cast<double>(target.SamplesPerSec) / static_cast<double>(source.SamplesPerSec);
  if (r == 1) return true;
  const std::vector<uint8_t>& in = *data;
  const int64_t frameBytes = target.BlockAlign;
  const int64_t inFrames = frameBytes > 0 ? static_cast<int64_t>(in.size()) / frameBytes : 0;
  const double scaled = std::trunc(r * static_cast<double>(in.size()));
  if (!(scaled <= static_cast<double>(kLongestData))) return false;
  const int64_t newLength =
      inFrames > 0 ? WholeUnits(static_cast<int64_t>(scaled), frameBytes) : 0;
  std::vector<uint8_t> out;
  if (!Allocate(newLength, &out)) return false;
  const int64_t outFrames = newLength / std::max<int64_t>(frameBytes, 1);
  for (int64_t i = 0; i < outFrames; ++i) {
    // trunc(i / r) < inFrames by arithmetic; the quotient's rounding must
    // not make it the frame past the end.
    const auto from = std::min(
        static_cast<int64_t>(std::trunc(static_cast<double>(i) / r)), inFrames - 1);
    std::memcpy(&out[i * frameBytes], &in[from * frameBytes], static_cast<size_t>(frameBytes));
  }
  data->swap(out);
  return true;
}

// A range of no bytes may sit at the very end of a block; memcpy is not
// to be handed such pointers even for zero bytes.
void CopyBytes(uint8_t* to, const uint8_t* from, int64_t count) {
  if (count > 0) std::memcpy(to, from, static_cast<size_t>(count));
}

}  // namespace

PcmFormat TargetFormatOf(const PcmLayout& layout) {
  PcmFormat format;
  format.FormatTag = 1;
  format.Channels = static_cast<uint16_t>(layout.Channels);
  format.SamplesPerSec = static_cast<uint32_t>(layout.SampleRate);
  format.BitsPerSample = static_cast<uint16_t>(layout.BitsPerSample);
  const double frameBytes = static_cast<double>(layout.Channels) *
                            static_cast<double>(layout.BitsPerSample) / 8.0;
  format.BlockAlign = static_cast<uint16_t>(RoundHalfEven(frameBytes));
  format.AvgBytesPerSec = format.SamplesPerSec * format.BlockAlign;
  return format;
}

MaskOutcome LoadOverwriteSource(const std::string& path, const PcmFormat& target,
                                FileStore& files, std::vector<uint8_t>* converted) {
  std::vector<uint8_t> file;
  try {
    if (!files.ReadWhole(path, &file)) return MaskOutcome::SourceUnreadable;
  } catch (const std::bad_alloc&) {
    return MaskOutcome::OutOfMemory;
  }
  if (file.size() < kShortestSource) return MaskOutcome::SourceTooShort;
  const PcmFormat source = SourceFormatOf(file);
  if (source.FormatTag != 1) return MaskOutcome::SourceNotPcm;
  const size_t start = SampleStartOf(file);
  if (start == 0) return MaskOutcome::SourceNoData;
  // No rate to convert from: the file claims to be PCM but is not usable.
  if (source.SamplesPerSec == 0) return MaskOutcome::SourceNotPcm;

  // The samples are moved to the front of the file's own block instead of
  // into a second one. A trailing part frame (a cut-off recording) is
  // dropped so the conversions below only ever meet whole frames.
  int64_t length = static_cast<int64_t>(file.size() - start);
  const int64_t sourceFrame = static_cast<int64_t>(source.BitsPerSample / 8) * source.Channels;
  if (sourceFrame > 0) length = WholeUnits(length, sourceFrame);
  if (length > kLongestData) return MaskOutcome::OutOfMemory;
  file.erase(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(start));
  file.resize(static_cast<size_t>(length));

  if (!ConvertWidth(source, target, &file) || !ConvertChannels(source, target, &file) ||
      !ConvertRate(source, target, &file)) {
    return MaskOutcome::OutOfMemory;
  }
  if (file.empty()) return MaskOutcome::SourceEmpty;
  converted->swap(file);
  return MaskOutcome::Applied;
}

int CopyOverwriteData(const std::vector<uint8_t>& converted, uint8_t mode, uint8_t* dest,
                      int64_t length, uint32_t& position) {
  const auto m = static_cast<int64_t>(converted.size());
  if (m == 0) return 1;  // nothing to repeat; continuous mode would never advance
  if (length < 0) length = 0;
  // A position left over from a longer file would read past this one.
  int64_t p = position < m ? position : 0;

  if (mode == kOverwriteContinuous) {
    int64_t o = 0;
    do {
      const int64_t rem = m - p;
      if (length - o < rem) {
        CopyBytes(dest + o, converted.data() + p, length - o);
        p += length - o;
        o = length;
      } else {
        CopyBytes(dest + o, converted.data() + p, rem);
        o += rem;
        p = 0;
      }
    } while (o < length);
    position = static_cast<uint32_t>(p);
    return 0;
  }

  const int64_t rem = m - p;
  if (length < rem) {
    CopyBytes(dest, converted.data() + p, length);
    position = static_cast<uint32_t>((p + length) % m);
    return 0;
  }
  CopyBytes(dest, converted.data() + p, rem);
  // Zero bytes whatever the width: silence for 16-bit, the lowest level
  // for 8-bit, which the once mode has always written.
  if (length > rem) std::memset(dest + rem, 0, static_cast<size_t>(length - rem));
  position = 0;
  return 1;
}

int OverwriteFromFile(uint8_t* dest, const PcmFormat& target, const std::string& path,
                      uint8_t mode, int64_t length, uint32_t& position, FileStore& files,
                      MaskOutcome* refusal) {
  std::vector<uint8_t> converted;
  const MaskOutcome outcome = LoadOverwriteSource(path, target, files, &converted);
  if (refusal != nullptr) *refusal = outcome;
  if (outcome != MaskOutcome::Applied) return 1;
  return CopyOverwriteData(converted, mode, dest, length, position);
}

MaskOutcome PlanFileOverwrite(size_t imageSize, const PcmLayout& layout, double startSeconds,
                              double endSeconds, const std::string& path, FileStore& files,
                              std::vector<uint8_t>* converted, ByteSpan* span) {
  const MaskOutcome loaded = LoadOverwriteSource(path, TargetFormatOf(layout), files, converted);
  if (loaded != MaskOutcome::Applied) return loaded;
  if (!MaskSpanOf(startSeconds, endSeconds, layout, imageSize, span)) {
    return MaskOutcome::RangeInvalid;
  }
  return MaskOutcome::Applied;
}

MaskOutcome ApplyFileOverwrite(std::vector<uint8_t>& image, const PcmLayout& layout,
                               double startSeconds, double endSeconds, const std::string& path,
                               uint8_t overwriteType, FileStore& files, UndoRecord& undo) {
  std::vector<uint8_t> converted;
  ByteSpan span;
  const MaskOutcome checked = PlanFileOverwrite(image.size(), layout, startSeconds, endSeconds,
                                                path, files, &converted, &span);
  if (checked != MaskOutcome::Applied) return checked;
  if (!RecordUndo(image, static_cast<int32_t>(span.start), static_cast<int32_t>(span.end),
                  undo)) {
    return MaskOutcome::OutOfMemory;
  }
  uint32_t position = 0;
  CopyOverwriteData(converted, overwriteType, image.data() + span.start, span.end - span.start,
                    position);
  return MaskOutcome::Applied;
}

}  // namespace belmo
