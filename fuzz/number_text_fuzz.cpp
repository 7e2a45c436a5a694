// Number text: reading any text as a number, writing any double, and the
// two text operations that take settings and server replies apart.
//
// Input: a selector byte, two 32-bit values for positions and lengths, a
// raw double, a pattern length and the pattern, then the text.
#include <cmath>
#include <string>

#include "fuzz/fuzz_support.h"
#include "numtext/number_text.h"

namespace {

using namespace belmo;

bool IsNumberTextCharacter(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e';
}

// Written text reads back as (nearly) the same number: exactly fifteen
// significant digits survive, and the reader sums the digits in its own
// order. Exponent forms are not read back (the reader stops at the 'e').
void CheckWritten(double x) {
  const std::string text = NumberToText(x);
  BELMO_FUZZ_CHECK(!text.empty() && text.size() <= 24);
  if (std::isnan(x)) {
    BELMO_FUZZ_CHECK(text == "nan");
    return;
  }
  if (std::isinf(x)) {
    BELMO_FUZZ_CHECK(text == (x < 0 ? "-inf" : "inf"));
    return;
  }
  for (char c : text) BELMO_FUZZ_CHECK(IsNumberTextCharacter(c));
  const double back = TextToNumber(text);
  if (text.find('e') == std::string::npos) {
    BELMO_FUZZ_CHECK(std::fabs(back - x) <= 1e-13 * std::fabs(x));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputReader in(data, size);
  const uint8_t selector = in.Byte();
  const auto position = static_cast<int>(in.U32());
  const auto length = static_cast<int>(in.U32());
  const double raw = in.Double();
  const std::vector<uint8_t> patternBytes = in.Bytes(in.Byte() & 15);
  const std::vector<uint8_t> textBytes = in.Rest();
  const std::string pattern(patternBytes.begin(), patternBytes.end());
  const std::string text(textBytes.begin(), textBytes.end());

  const double read = TextToNumber(text);
  BELMO_FUZZ_CHECK(!std::isnan(read));
  CheckWritten(read);
  CheckWritten(raw);

  const int64_t rounded = RoundHalfEven((selector & 1) != 0 ? raw : read);
  if (std::isfinite(raw) && std::fabs(raw) < 1e15 && (selector & 1) != 0) {
    BELMO_FUZZ_CHECK(std::fabs(static_cast<double>(rounded) - raw) <= 0.5);
  }

  const int found = FindText(position, text, pattern);
  if (pattern.empty()) {
    BELMO_FUZZ_CHECK(found == position);
  } else if (found != 0) {
    BELMO_FUZZ_CHECK(found >= position && found >= 1);
    BELMO_FUZZ_CHECK(text.compare(static_cast<size_t>(found) - 1, pattern.size(), pattern) == 0);
  }

  const std::string part = SubText(text, position, length);
  BELMO_FUZZ_CHECK(part.size() <= text.size());
  if (!part.empty()) {
    BELMO_FUZZ_CHECK(position >= 1);
    BELMO_FUZZ_CHECK(text.compare(static_cast<size_t>(position) - 1, part.size(), part) == 0);
  }
  return 0;
}
