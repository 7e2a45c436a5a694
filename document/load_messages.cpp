#include "document/document_texts.h"

namespace belmo {

const char* LoadRefusalText(LoadOutcome outcome) {
  switch (outcome) {
    case LoadOutcome::NotPcm: return text::kNotPcmWave;
    case LoadOutcome::Unreadable: return text::kCannotReadFile;
    case LoadOutcome::TooShort: return text::kFileTooShort;
    case LoadOutcome::UnsupportedFormat: return text::kUnsupportedFormat;
    case LoadOutcome::NoDataTag: return text::kNoSampleData;
    case LoadOutcome::TooLarge: return text::kFileTooLarge;
    case LoadOutcome::WorkingCopyFailed: return text::kWorkingCopyWriteFailed;
    case LoadOutcome::LengthUnknown: return text::kLengthUnknown;
    case LoadOutcome::Loaded: break;
  }
  return text::kNotPcmWave;
}

}  // namespace belmo
