#include "effects/file_overwrite.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "document/sample_codec.h"

namespace belmo {
namespace {

constexpr int64_t kLongestData = std::numeric_limits<int32_t>::max();

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

// Samples move to the target's width through the codec; a pair of
// encodings it cannot both read and write is not converted.
bool ConvertWidth(const WaveFormat& source, const WaveFormat& target, std::vector<uint8_t>* data) {
  const int inWidth = BytesPerSample(source.Encoding);
  const int outWidth = BytesPerSample(target.Encoding);
  if (source.Encoding == target.Encoding || inWidth == 0 || outWidth == 0) return true;
  const int64_t count = static_cast<int64_t>(data->size()) / inWidth;
  std::vector<uint8_t> out;
  if (!Allocate(count * outWidth, &out)) return false;
  ConvertSamples(data->data(), source.Encoding, count, target.Encoding, out.data());
  data->swap(out);
  return true;
}

// Mono becomes the same sample on both sides; stereo keeps its first
// channel only, so no mixing can overflow. Samples already have the
// target's width here.
bool ConvertChannels(const WaveFormat& source, const WaveFormat& target, std::vector<uint8_t>* data) {
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
bool ConvertRate(const WaveFormat& source, const WaveFormat& target, std::vector<uint8_t>* data) {
  const double r =
      static_cast<double>(target.SampleRate) / static_cast<double>(source.SampleRate);
  if (r == 1) return true;
  const std::vector<uint8_t>& in = *data;
  const int64_t frameBytes = target.BlockAlign();
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

MaskOutcome LoadOverwriteSource(const std::string& path, const WaveFormat& target,
                                FileStore& files, std::vector<uint8_t>* converted) {
  std::vector<uint8_t> file;
  try {
    if (!files.ReadWhole(path, &file)) return MaskOutcome::SourceUnreadable;
  } catch (const std::bad_alloc&) {
    return MaskOutcome::OutOfMemory;
  }
  WaveFormat source;
  switch (InspectOverwriteSource(file.data(), file.size(), &source)) {
    case SourceCheck::TooShort: return MaskOutcome::SourceTooShort;
    case SourceCheck::NotPcm: return MaskOutcome::SourceNotPcm;
    case SourceCheck::NoData: return MaskOutcome::SourceNoData;
    case SourceCheck::Ok: break;
  }

  // The samples are moved to the front of the file's own block instead of
  // into a second one. A trailing part frame (a cut-off recording) is
  // dropped so the conversions below only ever meet whole frames.
  const auto start = static_cast<size_t>(source.DataStart());
  int64_t length = source.DataEnd - source.DataStart();
  const int64_t sourceFrame = source.FrameBytes();
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

int CopyOverwriteData(const std::vector<uint8_t>& converted, uint8_t mode, SampleEncoding target,
                      uint8_t* dest, int64_t length, uint32_t& position) {
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
  // The rest of the range is silence: zero bytes are the loudest negative
  // sample of 8-bit recordings, a click and a hum rather than quiet.
  if (length > rem) FillSilence(dest + rem, length - rem, target);
  position = 0;
  return 1;
}

int OverwriteFromFile(uint8_t* dest, const WaveFormat& target, const std::string& path,
                      uint8_t mode, int64_t length, uint32_t& position, FileStore& files,
                      MaskOutcome* refusal) {
  std::vector<uint8_t> converted;
  const MaskOutcome outcome = LoadOverwriteSource(path, target, files, &converted);
  if (refusal != nullptr) *refusal = outcome;
  if (outcome != MaskOutcome::Applied) return 1;
  return CopyOverwriteData(converted, mode, target.Encoding, dest, length, position);
}

namespace {

// The source is read and converted when the mask is planned, once: every
// piece then continues from where the last one left it.
class FileOverwriteMask final : public Mask {
 public:
  FileOverwriteMask(std::vector<uint8_t> converted, uint8_t mode, SampleEncoding encoding)
      : converted_(std::move(converted)), mode_(mode), encoding_(encoding) {}

  int64_t PieceUnit() const override { return 1; }
  bool ReadsSamples() const override { return false; }
  // Every span hears the source from its beginning.
  MaskOutcome Begin(const ByteSpan&, int64_t, const Recording&) override {
    position_ = 0;
    ended_ = false;
    return MaskOutcome::Applied;
  }

  // Once the source has run out in once mode, the rest of the span is
  // silence, as the once mode leaves it.
  bool Process(uint8_t* block, int64_t length) override {
    if (length <= 0) return true;
    if (ended_) {
      FillSilence(block, length, encoding_);
    } else {
      ended_ = CopyOverwriteData(converted_, mode_, encoding_, block, length, position_) == 1;
    }
    return true;
  }

  bool Exhausted() const override { return ended_; }

 private:
  std::vector<uint8_t> converted_;
  uint8_t mode_;
  SampleEncoding encoding_;
  uint32_t position_ = 0;
  bool ended_ = false;
};

}  // namespace

MaskOutcome PlanFileOverwrite(const WaveFormat& format, const std::string& path, uint8_t mode,
                              FileStore& files, std::unique_ptr<Mask>* mask) {
  std::vector<uint8_t> converted;
  const MaskOutcome loaded = LoadOverwriteSource(path, format, files, &converted);
  if (loaded != MaskOutcome::Applied) return loaded;
  *mask = std::make_unique<FileOverwriteMask>(std::move(converted), mode, format.Encoding);
  return MaskOutcome::Applied;
}

MaskOutcome ApplyFileOverwrite(ImageSpan image, const WaveFormat& format,
                               double startSeconds, double endSeconds, const std::string& path,
                               uint8_t overwriteType, FileStore& files, UndoRecord& undo) {
  std::unique_ptr<Mask> mask;
  const MaskOutcome planned = PlanFileOverwrite(format, path, overwriteType, files, &mask);
  if (planned != MaskOutcome::Applied) return planned;
  return ApplyMaskInPlace(*mask, image, format, startSeconds, endSeconds, undo, nullptr);
}

}  // namespace belmo
