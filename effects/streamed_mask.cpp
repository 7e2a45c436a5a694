#include "effects/streamed_mask.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "document/large_block.h"
#include "effects/file_overwrite.h"
#include "effects/sine_overwrite.h"
#include "effects/voice_change_fft.h"
#include "effects/voice_change_simple.h"

namespace belmo {
namespace {

// A piece of whole units (tone periods, FFT frames) near the wanted size,
// never more than the span: pieces then start where a unit starts, so each
// one comes out as the same stretch of the whole span would.
int64_t PieceOfUnits(int64_t unit, size_t pieceBytes, int64_t length) {
  const int64_t units = std::max<int64_t>(1, static_cast<int64_t>(pieceBytes) / unit);
  return std::min(length, unit * units);
}

}  // namespace

MaskOutcome StreamedMask::Prepare(MaskKind kind, const SampleRange& range,
                                  const MaskSettings& settings, FileView& input,
                                  const PcmLayout& layout, int32_t lengthMs, FileStore& files,
                                  TwiddleTables& tables) {
  const MaskOutcome checked = CheckMaskCommand(kind, range, settings, lengthMs);
  if (checked != MaskOutcome::Applied) return checked;
  kind_ = kind;
  settings_ = settings;
  input_ = &input;
  released_ = 0;
  layout_ = layout;
  tables_ = &tables;
  const double start = StartSecondsOf(range);
  const double end = EndSecondsOf(range);
  const size_t size = input.Size();

  switch (kind) {
    case MaskKind::Sine: {
      SinePlan plan;
      const MaskOutcome planned =
          PlanSineOverwrite(size, layout, start, end, settings.SinHz, &plan);
      span_ = plan.span;
      period_ = plan.period;
      return planned;
    }
    case MaskKind::VoiceChange:
      if (settings.PitchUpType != 0) {
        const MaskOutcome planned = PlanVoiceChangeFft(size, layout, start, end,
                                                       settings.VoicePitch, settings.FFTSample,
                                                       &span_, &fftSize_);
        if (planned != MaskOutcome::Applied) return planned;
        return MakeRoomInTables(tables, fftSize_) ? MaskOutcome::Applied
                                                  : MaskOutcome::OutOfMemory;
      }
      return PlanVoiceChangeSimple(size, layout, start, end, settings.VoicePitch, &span_);
    case MaskKind::FileOverwrite:
      return PlanFileOverwrite(size, layout, start, end, settings.OverWriteFilePath, files,
                               &source_, &span_);
  }
  return MaskOutcome::NoDocument;
}

StreamResult StreamedMask::Write(FileWriter& out) {
  if (!CopyInput(out, 0, span_.start)) return StreamResult::WriteFailed;

  StreamResult result = StreamResult::Written;
  switch (kind_) {
    case MaskKind::Sine:
      result = WriteTone(out);
      break;
    case MaskKind::VoiceChange:
      result = settings_.PitchUpType != 0 ? WriteFftShift(out) : WriteSimpleShift(out);
      break;
    case MaskKind::FileOverwrite:
      result = WriteSource(out);
      break;
  }
  if (result != StreamResult::Written) return result;

  const auto size = static_cast<int64_t>(input_->Size());
  if (!CopyInput(out, span_.end, size - span_.end)) return StreamResult::WriteFailed;
  return StreamResult::Written;
}

// What lies outside the span goes out as it is, a few megabytes at a time,
// so that a short range in a long recording keeps as little mapped.
bool StreamedMask::CopyInput(FileWriter& out, int64_t offset, int64_t length) {
  constexpr int64_t kCopyBytes = int64_t{4} << 20;
  for (int64_t done = 0; done < length; done += kCopyBytes) {
    const int64_t count = std::min(kCopyBytes, length - done);
    if (!out.Append(input_->Data() + offset + done, static_cast<size_t>(count))) return false;
    input_->Release(static_cast<size_t>(offset + done), static_cast<size_t>(count));
  }
  return true;
}

// Input is taken front to back. Letting pages go costs the system a round
// of its own, so that is done for many pieces at once.
void StreamedMask::TakeInput(uint8_t* dest, int64_t offset, int64_t length) {
  constexpr int64_t kReleaseBytes = int64_t{4} << 20;
  std::memcpy(dest, input_->Data() + offset, static_cast<size_t>(length));
  if (offset < released_) released_ = offset;
  if (offset + length - released_ >= kReleaseBytes) {
    input_->Release(static_cast<size_t>(released_), static_cast<size_t>(offset + length - released_));
    released_ = offset + length;
  }
}

// The tone restarts at every period, so one piece of whole periods serves
// the whole span, its head included.
StreamResult StreamedMask::WriteTone(FileWriter& out) {
  const int64_t length = span_.end - span_.start;
  const int64_t piece = PieceOfUnits(period_, pieceBytes_, length);
  std::unique_ptr<uint8_t[]> block = NewLargeBlock(static_cast<size_t>(piece));
  if (!block) return StreamResult::OutOfMemory;
  FillSine(block.get(), period_, settings_.SindB, piece, layout_.BitsPerSample);
  for (int64_t done = 0; done < length; done += piece) {
    const int64_t count = std::min(piece, length - done);
    if (!out.Append(block.get(), static_cast<size_t>(count))) return StreamResult::WriteFailed;
  }
  return StreamResult::Written;
}

// The copy goes on from where the last piece left the source; in once mode
// everything after the end of the data is cleared.
StreamResult StreamedMask::WriteSource(FileWriter& out) {
  const int64_t length = span_.end - span_.start;
  const int64_t piece = std::min<int64_t>(length, static_cast<int64_t>(pieceBytes_));
  std::unique_ptr<uint8_t[]> block = NewLargeBlock(static_cast<size_t>(piece));
  if (!block) return StreamResult::OutOfMemory;
  uint32_t position = 0;
  bool ended = false;
  for (int64_t done = 0; done < length; done += piece) {
    const int64_t count = std::min(piece, length - done);
    if (ended) {
      std::memset(block.get(), 0, static_cast<size_t>(count));
    } else {
      ended = CopyOverwriteData(source_, settings_.OverWriteType, block.get(), count, position) ==
              1;
    }
    if (!out.Append(block.get(), static_cast<size_t>(count))) return StreamResult::WriteFailed;
  }
  return StreamResult::Written;
}

// Frames do not overlap, so pieces of whole frames are shifted one by one;
// the bytes after the last whole frame pass unchanged.
StreamResult StreamedMask::WriteFftShift(FileWriter& out) {
  tables_->Prepare(fftSize_);
  const int64_t length = span_.end - span_.start;
  const int64_t piece =
      PieceOfUnits(FftFrameBytes(layout_.BitsPerSample, fftSize_), pieceBytes_, length);
  std::unique_ptr<uint8_t[]> block = NewLargeBlock(static_cast<size_t>(piece));
  if (!block) return StreamResult::OutOfMemory;
  for (int64_t done = 0; done < length; done += piece) {
    const int64_t count = std::min(piece, length - done);
    TakeInput(block.get(), span_.start + done, count);
    if (!PitchShiftFft(block.get(), count, layout_.Channels, layout_.BitsPerSample,
                       settings_.VoicePitch, fftSize_, *tables_)) {
      return StreamResult::OutOfMemory;
    }
    if (!out.Append(block.get(), static_cast<size_t>(count))) return StreamResult::WriteFailed;
  }
  return StreamResult::Written;
}

// A segment of the simple method may run over the whole span (silence has
// no crossings), so the span is shifted in one block.
StreamResult StreamedMask::WriteSimpleShift(FileWriter& out) {
  const int64_t length = span_.end - span_.start;
  std::unique_ptr<uint8_t[]> block = NewLargeBlock(static_cast<size_t>(length));
  if (!block) return StreamResult::OutOfMemory;
  for (int64_t done = 0; done < length; done += static_cast<int64_t>(pieceBytes_)) {
    TakeInput(block.get() + done, span_.start + done,
              std::min<int64_t>(static_cast<int64_t>(pieceBytes_), length - done));
  }
  if (!PitchShiftSimple(block.get(), length, settings_.VoicePitch, layout_.BitsPerSample,
                        settings_.VoiceSample)) {
    return StreamResult::OutOfMemory;
  }
  if (!out.Append(block.get(), static_cast<size_t>(length))) return StreamResult::WriteFailed;
  return StreamResult::Written;
}

}  // namespace belmo
