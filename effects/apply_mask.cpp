#include "effects/apply_mask.h"

#include <memory>
#include <utility>

namespace belmo {

bool RangeIsUsable(const SampleRange& range, int32_t lengthMs) {
  if (lengthMs < 1) return false;
  return range.start < range.end && range.end <= static_cast<uint32_t>(lengthMs);
}

MaskOutcome CheckMaskCommand(MaskKind kind, const SampleRange& range,
                             const MaskSettings& settings, int32_t lengthMs) {
  // Without a file to take samples from there is nothing to say about the
  // range yet; the user's first mistake is the missing file.
  if (kind == MaskKind::FileOverwrite && settings.OverWriteFilePath.empty()) {
    return MaskOutcome::NoOverwriteFile;
  }
  if (!RangeIsUsable(range, lengthMs)) return MaskOutcome::RangeInvalid;
  return MaskOutcome::Applied;
}

// The millisecond counts are exact in a double; only the division rounds.
double StartSecondsOf(const SampleRange& range) { return static_cast<double>(range.start) / 1000.0; }
double EndSecondsOf(const SampleRange& range) { return static_cast<double>(range.end) / 1000.0; }

MaskOutcome RunMask(MaskKind kind, const SampleRange& range, const MaskSettings& settings,
                    WavDocument& document, UndoRecord& undo, FileStore& files,
                    TwiddleTables& tables, ByteSpan* changed) {
  if (!document.IsOpen()) return MaskOutcome::NoDocument;
  const MaskOutcome checked = CheckMaskCommand(kind, range, settings, document.LengthMs);
  if (checked != MaskOutcome::Applied) return checked;
  std::unique_ptr<Mask> mask;
  const MaskOutcome planned = PlanMask(kind, settings, document.Format, files, tables, &mask);
  if (planned != MaskOutcome::Applied) return planned;
  return ApplyMaskInPlace(*mask, document.Image, document.Format, StartSecondsOf(range),
                          EndSecondsOf(range), undo, changed);
}

MaskOutcome RunMaskOverRanges(MaskKind kind, const std::vector<SampleRange>& ranges,
                              const MaskSettings& settings, WavDocument& document,
                              UndoRecord& undo, FileStore& files, TwiddleTables& tables,
                              size_t* done) {
  *done = 0;
  if (!document.IsOpen()) return MaskOutcome::NoDocument;
  UndoRecord batch;
  MaskOutcome outcome = MaskOutcome::Applied;
  std::unique_ptr<Mask> mask;
  for (const SampleRange& range : ranges) {
    outcome = CheckMaskCommand(kind, range, settings, document.LengthMs);
    // Planned once: Begin starts each span as a freshly planned mask would.
    if (outcome == MaskOutcome::Applied && !mask) {
      outcome = PlanMask(kind, settings, document.Format, files, tables, &mask);
    }
    UndoRecord piece;
    if (outcome == MaskOutcome::Applied) {
      outcome = ApplyMaskInPlace(*mask, document.Image, document.Format, StartSecondsOf(range),
                                 EndSecondsOf(range), piece, nullptr);
    }
    if (outcome != MaskOutcome::Applied) break;
    JoinUndo(batch, std::move(piece));
    ++*done;
  }
  if (*done > 0) undo = std::move(batch);
  return outcome;
}

}  // namespace belmo
