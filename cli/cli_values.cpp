#include "cli/cli_values.h"

#include <algorithm>
#include <cmath>

#include "numtext/number_text.h"
#include "numtext/text_lines.h"

namespace belmo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// Digits with at most one decimal point, at least one digit among them.
bool IsDecimal(std::string_view text) {
  const size_t point = text.find('.');
  if (point == std::string_view::npos) return AllDigits(text);
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction = text.substr(point + 1);
  return (whole.empty() || AllDigits(whole)) && (fraction.empty() || AllDigits(fraction)) &&
         !(whole.empty() && fraction.empty());
}

// Ten to a whole power by repeated products, exact up to 10^22, as the
// program's number text scales.
double PowerOfTen(int64_t exponent) {
  double power = 1;
  for (int64_t i = 0; i < exponent && !std::isinf(power); ++i) power *= 10;
  return power;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSeparator(char c) { return IsBlank(c) || c == ','; }
bool HasDigit(std::string_view text) {
  for (char c : text) {
    if (c >= '0' && c <= '9') return true;
  }
  return false;
}

// The next field of a ranges line: up to a separator, without the double
// quotes a CSV writer may put around it.
std::string_view Field(std::string_view line, size_t* at) {
  const size_t begin = *at;
  while (*at < line.size() && !IsSeparator(line[*at])) ++*at;
  std::string_view field = line.substr(begin, *at - begin);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
    field = field.substr(1, field.size() - 2);
  }
  return field;
}

// Blanks with at most one comma among them; false when there is none of
// either.
bool SkipSeparator(std::string_view line, size_t* at) {
  const size_t begin = *at;
  bool comma = false;
  while (*at < line.size() && IsSeparator(line[*at])) {
    if (line[*at] == ',') {
      if (comma) return false;
      comma = true;
    }
    ++*at;
  }
  return *at > begin;
}

enum class LineKind { Range, Heading, Skipped, Malformed };

LineKind ReadRangeLine(std::string_view line, bool first, ListedRange* range) {
  size_t at = 0;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at == line.size() || line[at] == '#' || line[at] == '\\') return LineKind::Skipped;
  const std::string_view start = Field(line, &at);
  // A heading is words ("start", "開始"); a first field with a digit in it
  // is a time typed wrong, and dropping that range unsaid would leave a
  // name unmasked.
  if (!ReadTime(start, &range->start)) {
    return first && !start.empty() && !HasDigit(start) ? LineKind::Heading : LineKind::Malformed;
  }
  if (!SkipSeparator(line, &at)) return LineKind::Malformed;
  const std::string_view end = Field(line, &at);
  if (!ReadTime(end, &range->end)) return LineKind::Malformed;
  while (at < line.size() && IsSeparator(line[at])) ++at;
  std::string_view label = line.substr(at);
  while (!label.empty() && IsBlank(label.back())) label.remove_suffix(1);
  if (label.size() >= 2 && label.front() == '"' && label.back() == '"') {
    label = label.substr(1, label.size() - 2);
  }
  range->label.assign(label);
  return LineKind::Range;
}

}  // namespace

bool ReadNumber(std::string_view text, double* value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  std::string_view mantissa = text;
  int64_t exponent = 0;
  const size_t mark = text.find_first_of("eE");
  if (mark != std::string_view::npos) {
    mantissa = text.substr(0, mark);
    std::string_view digits = text.substr(mark + 1);
    bool negativeExponent = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
      negativeExponent = digits[0] == '-';
      digits.remove_prefix(1);
    }
    if (!AllDigits(digits)) return false;
    // Past a thousand every finite mantissa has overflowed or vanished.
    for (char c : digits) exponent = std::min<int64_t>(exponent * 10 + (c - '0'), 1000);
    if (negativeExponent) exponent = -exponent;
  }
  if (!IsDecimal(mantissa)) return false;
  double number = TextToNumber(mantissa);
  if (number != 0 && exponent > 0) number *= PowerOfTen(exponent);
  if (number != 0 && exponent < 0) number /= PowerOfTen(-exponent);
  if (!std::isfinite(number)) return false;
  *value = negative ? -number : number;
  return true;
}

bool ReadTime(std::string_view text, int64_t* ms) {
  std::vector<std::string_view> fields;
  size_t begin = 0;
  for (size_t colon = text.find(':'); colon != std::string_view::npos;
       colon = text.find(':', begin)) {
    fields.push_back(text.substr(begin, colon - begin));
    begin = colon + 1;
  }
  fields.push_back(text.substr(begin));
  if (fields.size() > 3) return false;
  const std::string_view seconds = fields.back();
  if (!IsDecimal(seconds)) return false;
  // Plain seconds are read as the program's seconds boxes read them.
  const int64_t secondsMs = RoundHalfEven(TextToNumber(seconds) * 1000);
  if (fields.size() == 1) {
    *ms = secondsMs;
    return true;
  }
  // After a colon: "ss" or "ss.fff", written below a minute. The seconds
  // round to the millisecond as plain seconds do, so 1:59.9996 is 2:00.000
  // as 59.9996 is 60.000.
  const size_t point = seconds.find('.');
  const std::string_view wholeSeconds = seconds.substr(0, point);
  if (wholeSeconds.size() != 2 || wholeSeconds[0] > '5') return false;
  double total = static_cast<double>(secondsMs);
  const std::string_view minutes = fields[fields.size() - 2];
  if (!AllDigits(minutes)) return false;
  total += TextToNumber(minutes) * 60000;
  if (fields.size() == 3) {
    if (minutes.size() != 2 || TextToNumber(minutes) >= 60 || !AllDigits(fields[0])) return false;
    total += TextToNumber(fields[0]) * 3600000;
  }
  *ms = RoundHalfEven(total);
  return true;
}

bool ReadRangeArgument(std::string_view text, ListedRange* range) {
  const size_t dash = text.find('-');
  if (dash == std::string_view::npos) return false;
  range->line = 0;
  return ReadTime(text.substr(0, dash), &range->start) &&
         ReadTime(text.substr(dash + 1), &range->end);
}

bool ReadRangesText(std::string_view text, std::vector<ListedRange>* ranges, int* badLine) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  bool first = true;
  int number = 0;
  while (!text.empty()) {
    const std::string_view line = TakeLine(&text);
    ++number;
    ListedRange range;
    range.line = number;
    // Only the first line that is not blank or a comment may be a heading.
    switch (ReadRangeLine(line, first, &range)) {
      case LineKind::Range:
        ranges->push_back(range);
        first = false;
        break;
      case LineKind::Heading:
        first = false;
        break;
      case LineKind::Malformed:
        *badLine = number;
        return false;
      case LineKind::Skipped:
        break;
    }
  }
  return true;
}

std::vector<SampleRange> MergeRanges(std::vector<SampleRange> ranges) {
  std::sort(ranges.begin(), ranges.end(), [](const SampleRange& a, const SampleRange& b) {
    return a.start < b.start || (a.start == b.start && a.end < b.end);
  });
  std::vector<SampleRange> merged;
  for (const SampleRange& range : ranges) {
    if (!merged.empty() && range.start <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, range.end);
    } else {
      merged.push_back(range);
    }
  }
  return merged;
}

}  // namespace belmo
