#include "effects/effects_texts.h"

namespace belmo {

const char* MaskRefusalText(MaskOutcome outcome) {
  switch (outcome) {
    case MaskOutcome::RangeInvalid: return text::kRangeInvalid;
    case MaskOutcome::FrequencyInvalid: return text::kSineFrequencyInvalid;
    case MaskOutcome::FrequencyTooHigh: return text::kSineFrequencyTooHigh;
    case MaskOutcome::PitchRatioInvalid: return text::kPitchRatioInvalid;
    case MaskOutcome::FftSizeInvalid: return text::kFftSizeInvalid;
    case MaskOutcome::NoOverwriteFile: return text::kNoOverwriteFile;
    case MaskOutcome::SourceUnreadable: return text::kSourceUnreadable;
    case MaskOutcome::SourceTooShort: return text::kSourceTooShort;
    case MaskOutcome::SourceNotPcm: return text::kSourceNotPcm;
    case MaskOutcome::SourceNoData: return text::kSourceNoData;
    case MaskOutcome::SourceEmpty: return text::kSourceEmpty;
    case MaskOutcome::OutOfMemory: return text::kOutOfMemory;
    case MaskOutcome::NoDocument:
    case MaskOutcome::Applied: break;
  }
  return nullptr;
}

}  // namespace belmo
