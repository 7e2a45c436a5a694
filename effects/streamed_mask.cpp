#include "effects/streamed_mask.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

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

// The recording as masking each span in turn leaves it when the next span
// begins: what has been written so far (of which the last bytes are kept),
// then the input as it is. A mask reads before the kept bytes only where
// nothing was masked, and past them, ahead of its pieces, only the input.
class WrittenThenInput final : public Recording {
 public:
  WrittenThenInput(const FileView& input, const std::vector<uint8_t>& recent, int64_t written)
      : input_(input), recent_(recent), written_(written) {}
  int64_t Size() const override { return static_cast<int64_t>(input_.Size()); }
  void Read(int64_t offset, uint8_t* dest, int64_t length) const override {
    const int64_t recentStart = written_ - static_cast<int64_t>(recent_.size());
    const int64_t end = offset + length;
    const int64_t keptFrom = std::clamp(offset, recentStart, written_);
    const int64_t keptTo = std::clamp(end, recentStart, written_);
    FromInput(offset, std::min(end, keptFrom), dest);
    if (keptFrom < keptTo) {
      std::memcpy(dest + (keptFrom - offset), recent_.data() + (keptFrom - recentStart),
                  static_cast<size_t>(keptTo - keptFrom));
    }
    FromInput(std::max(offset, keptTo), end, dest + (std::max(offset, keptTo) - offset));
  }

 private:
  void FromInput(int64_t from, int64_t to, uint8_t* dest) const {
    if (from < to) std::memcpy(dest, input_.Data() + from, static_cast<size_t>(to - from));
  }

  const FileView& input_;
  const std::vector<uint8_t>& recent_;
  int64_t written_;
};

}  // namespace

MaskOutcome StreamedMask::Prepare(MaskKind kind, const SampleRange& range,
                                  const MaskSettings& settings, FileView& input,
                                  const WaveFormat& format, int32_t lengthMs, FileStore& files,
                                  TwiddleTables& tables) {
  return Prepare(kind, std::vector<SampleRange>{range}, settings, input, format, lengthMs, files,
                 tables);
}

MaskOutcome StreamedMask::Prepare(MaskKind kind, const std::vector<SampleRange>& ranges,
                                  const MaskSettings& settings, FileView& input,
                                  const WaveFormat& format, int32_t lengthMs, FileStore& files,
                                  TwiddleTables& tables) {
  if (ranges.empty()) return MaskOutcome::RangeInvalid;
  for (size_t i = 0; i < ranges.size(); ++i) {
    const MaskOutcome checked = CheckMaskCommand(kind, ranges[i], settings, lengthMs);
    if (checked != MaskOutcome::Applied) return checked;
    if (i > 0 && ranges[i].start <= ranges[i - 1].end) return MaskOutcome::RangeInvalid;
  }
  input_ = &input;
  released_ = 0;
  written_ = 0;
  recent_.clear();
  spans_.clear();
  const MaskOutcome planned = PlanMask(kind, settings, format, files, tables, &mask_);
  if (planned != MaskOutcome::Applied) return planned;
  WaveFormat inView = format;
  inView.DataEnd = std::min<int64_t>(format.DataEnd, static_cast<int64_t>(input.Size()));
  size_t longest = 0;
  for (const SampleRange& range : ranges) {
    ByteSpan span;
    if (!MaskSpanOf(StartSecondsOf(range), EndSecondsOf(range), inView, &span)) {
      return MaskOutcome::RangeInvalid;
    }
    spans_.push_back(span);
    if (span.Length() > spans_[longest].Length()) longest = spans_.size() - 1;
  }
  keep_ = spans_.size() > 1 ? mask_->LookBehind() : 0;
  try {
    recent_.reserve(static_cast<size_t>(3 * keep_));
  } catch (const std::bad_alloc&) {
    return MaskOutcome::OutOfMemory;
  }
  // The first span is begun last: nothing is written before it, so the
  // input is the recording it starts from, and Write goes straight on.
  original_ = std::make_unique<RecordingInMemory>(input.Data(), input.Size());
  if (longest != 0) {
    const MaskOutcome begun = mask_->Begin(spans_[longest], PieceOf(spans_[longest]), *original_);
    if (begun != MaskOutcome::Applied) return begun;
  }
  return mask_->Begin(spans_[0], PieceOf(spans_[0]), *original_);
}

int64_t StreamedMask::PieceOf(const ByteSpan& span) const {
  return PieceOfUnits(mask_->PieceUnit(), pieceBytes_, span.Length());
}

// The block for the longest piece is had before the first byte goes out.
StreamResult StreamedMask::Write(FileWriter& out) {
  int64_t longestPiece = 0;
  for (const ByteSpan& span : spans_) longestPiece = std::max(longestPiece, PieceOf(span));
  std::unique_ptr<uint8_t[]> block = NewLargeBlock(static_cast<size_t>(longestPiece));
  if (!block) return StreamResult::OutOfMemory;
  int64_t at = 0;
  for (size_t i = 0; i < spans_.size(); ++i) {
    const ByteSpan& span = spans_[i];
    if (!CopyInput(out, at, span.start - at)) return StreamResult::WriteFailed;
    if (i > 0) {
      original_ = std::make_unique<WrittenThenInput>(*input_, recent_, written_);
      if (mask_->Begin(span, PieceOf(span), *original_) != MaskOutcome::Applied) {
        return StreamResult::OutOfMemory;
      }
    }
    const StreamResult result = WriteSpan(out, span, block.get());
    if (result != StreamResult::Written) return result;
    at = span.end;
  }
  const auto size = static_cast<int64_t>(input_->Size());
  if (!CopyInput(out, at, size - at)) return StreamResult::WriteFailed;
  return StreamResult::Written;
}

bool StreamedMask::Emit(FileWriter& out, const uint8_t* bytes, int64_t length) {
  if (!out.Append(bytes, static_cast<size_t>(length))) return false;
  written_ += length;
  if (keep_ <= 0) return true;
  if (length >= keep_) {
    recent_.assign(bytes + length - keep_, bytes + length);
  } else {
    // Within the capacity had in Prepare: at most 2 x keep_ kept before.
    recent_.insert(recent_.end(), bytes, bytes + length);
    const auto most = static_cast<size_t>(2 * keep_);
    if (recent_.size() > most) recent_.erase(recent_.begin(), recent_.end() - keep_);
  }
  return true;
}

// What lies outside the spans goes out as it is, a few megabytes at a time,
// so that a short range in a long recording keeps as little mapped.
bool StreamedMask::CopyInput(FileWriter& out, int64_t offset, int64_t length) {
  constexpr int64_t kCopyBytes = int64_t{4} << 20;
  for (int64_t done = 0; done < length; done += kCopyBytes) {
    const int64_t count = std::min(kCopyBytes, length - done);
    if (!Emit(out, input_->Data() + offset + done, count)) return false;
    LetGoBefore(offset + done + count);
  }
  return true;
}

// Input is taken front to back.
void StreamedMask::TakeInput(uint8_t* dest, int64_t offset, int64_t length) {
  for (int64_t done = 0; done < length;) {
    const int64_t count = std::min<int64_t>(static_cast<int64_t>(pieceBytes_), length - done);
    std::memcpy(dest + done, input_->Data() + offset + done, static_cast<size_t>(count));
    done += count;
    LetGoBefore(offset + done);
  }
}

// Letting pages go costs the system a round of its own, so that is done
// for a few megabytes at once, and for everything behind: also the pages
// the system read around the stretches between many short ranges, which
// nothing else would let go.
void StreamedMask::LetGoBefore(int64_t offset) {
  constexpr int64_t kReleaseBytes = int64_t{4} << 20;
  if (offset - released_ < kReleaseBytes) return;
  input_->Release(static_cast<size_t>(released_), static_cast<size_t>(offset - released_));
  released_ = offset;
}

// The span in pieces of the mask's units; a mask that does not read the
// samples never has them taken from the input.
StreamResult StreamedMask::WriteSpan(FileWriter& out, const ByteSpan& span, uint8_t* block) {
  const int64_t length = span.Length();
  const int64_t piece = PieceOf(span);
  for (int64_t done = 0; done < length; done += piece) {
    const int64_t count = std::min(piece, length - done);
    if (mask_->ReadsSamples()) TakeInput(block, span.start + done, count);
    if (!mask_->Process(block, count)) return StreamResult::OutOfMemory;
    if (!Emit(out, block, count)) return StreamResult::WriteFailed;
  }
  return StreamResult::Written;
}

}  // namespace belmo
