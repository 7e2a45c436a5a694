// The portable half of a mask command: checks the range and the settings,
// and runs the chosen mask on the document's image. What follows a mask
// (the working copy, the menus, the messages, the change count) is the
// shell's.
#pragma once

#include <cstddef>
#include <vector>

#include "document/platform.h"
#include "document/undo_record.h"
#include "document/wav_document.h"
#include "effects/fft.h"
#include "effects/mask.h"
#include "effects/mask_outcome.h"
#include "selection/sample_range.h"
#include "settings/mask_settings.h"

namespace belmo {

// True when 0 <= start < end <= length.
bool RangeIsUsable(const SampleRange& range, int32_t lengthMs);

// The checks every mask command makes before its own, in their order: a
// file overwrite without a file (NoOverwriteFile), then a range that is not
// usable (RangeInvalid). Applied when the mask's own checks come next.
MaskOutcome CheckMaskCommand(MaskKind kind, const SampleRange& range,
                             const MaskSettings& settings, int32_t lengthMs);

// The range in seconds, as every mask reads it.
double StartSecondsOf(const SampleRange& range);
double EndSecondsOf(const SampleRange& range);

// files reads the overwrite source; tables are the caller's own FFT tables.
// On Applied, *changed (when given) is the span of the image the mask
// rewrote, which the undo record now holds.
MaskOutcome RunMask(MaskKind kind, const SampleRange& range, const MaskSettings& settings,
                    WavDocument& document, UndoRecord& undo, FileStore& files,
                    TwiddleTables& tables, ByteSpan* changed = nullptr);

// Every range with one mask, as one edit: earliest first, each as its own
// run would leave it, as belmo-mask runs several ranges in one pass (the
// ranges merged, none overlapping or touching another). *done is how many
// were masked; their spans are one undo record that replaces undo. The
// first range that fails stops the run with its outcome; what was masked
// before it stays, and with none masked undo is as it was.
MaskOutcome RunMaskOverRanges(MaskKind kind, const std::vector<SampleRange>& ranges,
                              const MaskSettings& settings, WavDocument& document,
                              UndoRecord& undo, FileStore& files, TwiddleTables& tables,
                              size_t* done);

}  // namespace belmo
