#include "effects/streamed_mask.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "document/large_block.h"

namespace belmo {
namespace {

// A piece of whole units (tone periods, FFT frames) near the wanted size,
// never more than the span: pieces then start where a unit starts, so each
// one comes out as the same stretch of the whole span would. A mask that
// takes its span in one piece gets it so.
int64_t PieceOfUnits(int64_t unit, size_t pieceBytes, int64_t length) {
  if (unit <= 0) return length;
  const int64_t units = std::max<int64_t>(1, static_cast<int64_t>(pieceBytes) / unit);
  return std::min(length, unit * units);
}

}  // namespace

MaskOutcome StreamedMask::Prepare(MaskKind kind, const SampleRange& range,
                                  const MaskSettings& settings, FileView& input,
                                  const WaveFormat& format, int32_t lengthMs, FileStore& files,
                                  TwiddleTables& tables) {
  const MaskOutcome checked = CheckMaskCommand(kind, range, settings, lengthMs);
  if (checked != MaskOutcome::Applied) return checked;
  input_ = &input;
  released_ = 0;
  const MaskOutcome planned = PlanMask(kind, settings, format, files, tables, &mask_);
  if (planned != MaskOutcome::Applied) return planned;
  WaveFormat inView = format;
  inView.DataEnd = std::min<int64_t>(format.DataEnd, static_cast<int64_t>(input.Size()));
  if (!MaskSpanOf(StartSecondsOf(range), EndSecondsOf(range), inView, &span_)) {
    return MaskOutcome::RangeInvalid;
  }
  const int64_t longestPiece = PieceOfUnits(mask_->PieceUnit(), pieceBytes_, span_.Length());
  return mask_->Begin(span_, longestPiece, RecordingInMemory(input.Data(), input.Size()));
}

StreamResult StreamedMask::Write(FileWriter& out) {
  if (!CopyInput(out, 0, span_.start)) return StreamResult::WriteFailed;
  const StreamResult result = WriteSpan(out);
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
  for (int64_t done = 0; done < length;) {
    const int64_t count = std::min<int64_t>(static_cast<int64_t>(pieceBytes_), length - done);
    std::memcpy(dest + done, input_->Data() + offset + done, static_cast<size_t>(count));
    done += count;
    if (offset + done - released_ >= kReleaseBytes) {
      input_->Release(static_cast<size_t>(released_),
                      static_cast<size_t>(offset + done - released_));
      released_ = offset + done;
    }
  }
}

// The span in pieces of the mask's units (a simple voice change's segment
// may run over the whole span, so it comes in one block); a mask that does
// not read the samples never has them taken from the input.
StreamResult StreamedMask::WriteSpan(FileWriter& out) {
  const int64_t length = span_.Length();
  const int64_t piece = PieceOfUnits(mask_->PieceUnit(), pieceBytes_, length);
  std::unique_ptr<uint8_t[]> block = NewLargeBlock(static_cast<size_t>(piece));
  if (!block) return StreamResult::OutOfMemory;
  for (int64_t done = 0; done < length; done += piece) {
    const int64_t count = std::min(piece, length - done);
    if (mask_->ReadsSamples()) TakeInput(block.get(), span_.start + done, count);
    if (!mask_->Process(block.get(), count)) return StreamResult::OutOfMemory;
    if (!out.Append(block.get(), static_cast<size_t>(count))) return StreamResult::WriteFailed;
  }
  return StreamResult::Written;
}

}  // namespace belmo
