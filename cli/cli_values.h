// The values belmo-mask reads from its arguments and from range files.
// Strict: a value is the whole text or nothing, so that a typo in a script
// becomes a message instead of another mask (or none) written as success.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "selection/sample_range.h"

namespace belmo {

// A number that is the whole text: an optional sign, digits with at most
// one decimal point ("12", "-3.5", ".5", "2."), an optional exponent
// ("1e3", "2.5E-2"). Without an exponent the value is the one the
// program's number text gives. False for anything else and for a value
// beyond the range of a double.
bool ReadNumber(std::string_view text, double* value);

// A time from the start of the recording in whole milliseconds: seconds
// ("83.5"), minutes and seconds ("1:23.5") or hours, minutes and seconds
// ("1:01:23.5"); minutes and seconds after a colon are two digits below
// 60, and only the seconds take a fraction. No sign, no exponent. A time
// too long for any recording comes out as a very large count.
bool ReadTime(std::string_view text, int64_t* ms);

// A range in milliseconds as written, not yet checked against anything.
struct ListedRange {
  int64_t start = 0;
  int64_t end = 0;
  int line = 0;       // its line in a ranges file; 0 for one given as an argument
  std::string label;  // what follows the end on its line, without quotes around it
};

// "START-END", both times.
bool ReadRangeArgument(std::string_view text, ListedRange* range);

// A ranges file: one range a line, start and end separated by a tab, a
// comma or blanks, anything after them (a label) ignored. Blank lines,
// lines starting with '#' and the frequency lines of an audio editor's
// label export (starting with '\') are skipped, and so is a first line
// (blanks and comments aside) that begins with a letter: a CSV heading. Line ends may be CR LF, and
// a UTF-8 byte order mark may open the file. On false, *badLine is the
// first line that is none of these. A transcript's label file is read by
// the same rules, its words being the labels.
bool ReadRangesText(std::string_view text, std::vector<ListedRange>* ranges, int* badLine);

// The ranges in time order, those that overlap or touch merged into one.
std::vector<SampleRange> MergeRanges(std::vector<SampleRange> ranges);

}  // namespace belmo
