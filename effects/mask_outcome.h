#pragma once

namespace belmo {

// What became of a mask command. Only Applied changed the image; every
// other outcome leaves the image and the undo record as they were.
enum class MaskOutcome {
  Applied,
  NoDocument,
  RangeInvalid,        // not 0 <= start < end <= length, or nothing inside the data
  FrequencyInvalid,    // a sine frequency that is not above 0
  FrequencyTooHigh,    // the sine period would be under 2 bytes
  PitchRatioInvalid,   // a pitch ratio that is not above 0
  FftSizeInvalid,      // an FFT size index outside 0..4
  NoOverwriteFile,     // file overwrite without a chosen file
  SourceUnreadable,    // the overwrite file cannot be opened or read
  SourceTooShort,      // shorter than 40 bytes
  SourceNotPcm,        // its format tag is not 1
  SourceNoData,        // no "data" tag with samples after it
  SourceEmpty,         // nothing left after converting it to the document's format
  OutOfMemory,         // a buffer for the range could not be had
};

}  // namespace belmo
