// A mask for a recording that is read through a view and written front to
// back instead of being held in memory: the command-line tool's way. An
// hour then costs a few megabytes of the process's own rather than its
// size, the tone and the overwrite never read the samples they replace, and
// every byte written is the one RunMask would leave in the image.
//
// Several ranges go in the same one pass: the bytes written are those that
// RunMask leaves after masking each range in turn, earliest first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/platform.h"
#include "document/wave_format.h"
#include "effects/apply_mask.h"
#include "effects/fft.h"
#include "effects/mask.h"
#include "effects/mask_outcome.h"
#include "effects/mask_range.h"
#include "selection/sample_range.h"
#include "settings/mask_settings.h"

namespace belmo {

enum class StreamResult { Written, OutOfMemory, WriteFailed };

// Large enough that each write is cheap, small enough to stay in the cache.
constexpr size_t kStreamPieceBytes = size_t{1} << 20;

class StreamedMask {
 public:
  // pieceBytes is how much is produced per write (tests pass small ones).
  explicit StreamedMask(size_t pieceBytes = kStreamPieceBytes) : pieceBytes_(pieceBytes) {}

  // RunMask's checks, in its order, for the image in input (a whole WAVE
  // image checked as a load checks it). Applied when Write may follow.
  MaskOutcome Prepare(MaskKind kind, const SampleRange& range, const MaskSettings& settings,
                      FileView& input, const WaveFormat& format, int32_t lengthMs,
                      FileStore& files, TwiddleTables& tables);
  // The same for several ranges, which must be in time order without
  // overlapping or touching (RangeInvalid otherwise): each is checked as
  // RunMask checks it, and the longest is begun, so that a refusal or a
  // want of memory shows before anything is written.
  MaskOutcome Prepare(MaskKind kind, const std::vector<SampleRange>& ranges,
                      const MaskSettings& settings, FileView& input, const WaveFormat& format,
                      int32_t lengthMs, FileStore& files, TwiddleTables& tables);

  // Writes the whole masked image to out. Only after Prepare gave Applied,
  // and while its input view and tables live.
  StreamResult Write(FileWriter& out);

 private:
  StreamResult WriteSpan(FileWriter& out, const ByteSpan& span, uint8_t* block);
  // The piece a span is produced in.
  int64_t PieceOf(const ByteSpan& span) const;
  // Copies input bytes [offset, offset + length) to dest.
  void TakeInput(uint8_t* dest, int64_t offset, int64_t length);
  // Appends input bytes [offset, offset + length) unchanged.
  bool CopyInput(FileWriter& out, int64_t offset, int64_t length);
  // Lets the view forget the input before offset, once enough has gathered.
  void LetGoBefore(int64_t offset);
  // Appends bytes to out, keeping the last of them for a later span's
  // mask to look back at.
  bool Emit(FileWriter& out, const uint8_t* bytes, int64_t length);

  size_t pieceBytes_;
  FileView* input_ = nullptr;
  int64_t released_ = 0;  // input before this offset has been let go
  std::vector<ByteSpan> spans_;
  std::unique_ptr<Mask> mask_;
  // The recording the span being written was begun with, which the mask
  // may read ahead of its pieces until the span's end.
  std::unique_ptr<Recording> original_;
  // The last bytes written, [written_ - recent_.size(), written_), kept
  // only when a later span's mask may read back into them.
  int64_t keep_ = 0;
  int64_t written_ = 0;
  std::vector<uint8_t> recent_;
};

}  // namespace belmo
