// The masks as one kind of thing. A mask is planned for a recording's
// format and settings (its own checks, in its own order, and anything read
// from elsewhere, such as the overwrite source), then run over a span of
// the recording in pieces. Three drivers run them: the program's command on
// the image in memory, belmo-mask on a recording streamed from disk, and
// the previews on buffers of their own.
//
// What one piece means depends on the mask, so that a driver choosing its
// pieces by PieceUnit gets the bytes the whole span would get at once:
//   tone          the tone goes on where the last piece ended;
//   FFT voice     frames of 2N samples from the start of every piece; the
//                 bytes after the span's last whole frame come from one more
//                 frame made at Begin from the recording as it was;
//   simple voice  the shift goes on from where the last piece left it,
//                 reading on (and writing) past a piece into the recording
//                 until the segment open at its end has been written back;
//   file          the source goes on where the last piece left it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/platform.h"
#include "document/undo_record.h"
#include "document/wave_format.h"
#include "effects/fft.h"
#include "effects/mask_outcome.h"
#include "effects/mask_range.h"
#include "settings/mask_settings.h"

namespace belmo {

// The three masks of the main window, and silence, which the list of places
// and belmo-mask offer besides.
enum class MaskKind { Sine = 0, VoiceChange = 1, FileOverwrite = 2, Silence = 3 };

// The recording as it was before a mask ran, for a mask whose result at
// the end of its span depends on samples around it.
class Recording {
 public:
  virtual ~Recording() = default;
  // Bytes of the image that can be read.
  virtual int64_t Size() const = 0;
  // Copies image bytes [offset, offset + length), which lie inside Size().
  virtual void Read(int64_t offset, uint8_t* dest, int64_t length) const = 0;
};

// A recording held in one block: the image in memory, or a mapped file.
class RecordingInMemory final : public Recording {
 public:
  RecordingInMemory(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  int64_t Size() const override { return static_cast<int64_t>(size_); }
  void Read(int64_t offset, uint8_t* dest, int64_t length) const override;

 private:
  const uint8_t* bytes_;
  size_t size_;
};

class Mask {
 public:
  virtual ~Mask() = default;
  // Pieces other than the last must be whole multiples of this many bytes
  // to come out as the span in one piece would; 0 when the span must come
  // as one piece.
  virtual int64_t PieceUnit() const = 0;
  // False for a mask that replaces the samples without reading them.
  virtual bool ReadsSamples() const = 0;
  // Before the first piece of the span (offsets in the image), with the
  // longest piece the caller will pass and the recording as it is before
  // the mask: what could fail for want of memory is had here, before the
  // caller changes anything. The recording must last until the span's last
  // piece, unchanged past the pieces given so far: a mask may read ahead of
  // its pieces. Begun again for another span, a mask starts that span as a
  // freshly planned one would.
  virtual MaskOutcome Begin(const ByteSpan& span, int64_t longestPiece,
                            const Recording& original) = 0;
  // Rewrites the next length bytes of the span, held in block. False when
  // memory ran short; the block is then as it was.
  virtual bool Process(uint8_t* block, int64_t length) = 0;
  // True once a mask with an end of its own (the file played once) has
  // reached it; the rest of its span is silence.
  virtual bool Exhausted() const { return false; }
  // How many bytes before its span Begin may read of the recording. A
  // driver running the mask over several spans in one pass keeps that much
  // of what it has written, since the bytes there may be an earlier span's
  // result.
  virtual int64_t LookBehind() const { return 0; }
};

// Each mask's plan: its checks in its order, then the mask ready to run.
// Applied and a mask, or the reason it cannot run.
MaskOutcome PlanTone(const WaveFormat& format, double sinHz, double sindB,
                     std::unique_ptr<Mask>* mask);
MaskOutcome PlanVoiceChangeFft(const WaveFormat& format, double pitchRatio,
                               unsigned fftSizeIndex, TwiddleTables& tables,
                               std::unique_ptr<Mask>* mask);
MaskOutcome PlanVoiceChangeSimple(const WaveFormat& format, double pitchRatio,
                                  double voiceSample, std::unique_ptr<Mask>* mask);
MaskOutcome PlanFileOverwrite(const WaveFormat& format, const std::string& path, uint8_t mode,
                              FileStore& files, std::unique_ptr<Mask>* mask);
MaskOutcome PlanSilence(const WaveFormat& format, std::unique_ptr<Mask>* mask);

// The one place that decides which mask a command runs. PitchUpType 0
// picks the simple voice change, any other value the FFT one.
MaskOutcome PlanMask(MaskKind kind, const MaskSettings& settings, const WaveFormat& format,
                     FileStore& files, TwiddleTables& tables, std::unique_ptr<Mask>* mask);

// The driver for an image in memory: the span of [startSeconds,
// endSeconds) (RangeInvalid when nothing of it lies in the data), the
// mask's memory, the undo copy, then the whole span as one piece. On
// Applied, *changed (when given) is the span rewritten; on any other
// outcome the image and the undo record are as they were.
MaskOutcome ApplyMaskInPlace(Mask& mask, ImageSpan image, const WaveFormat& format,
                             double startSeconds, double endSeconds, UndoRecord& undo,
                             ByteSpan* changed);

}  // namespace belmo
