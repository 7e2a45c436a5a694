#include "numtext/number_text.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace belmo {

namespace {

constexpr int kDigits = 15;

// A value as 15 decimal digits d[0] d[1] ... with the point after d[0],
// scaled by 10^(exponent - 1).
struct DigitRecord {
  int d[kDigits] = {};
  int exponent = 0;
  bool negative = false;
};

// Plain repeated scaling rather than log10/pow: the digits must come out of
// the same sequence of double operations on every compiler and library.
DigitRecord MakeDigitRecord(double x) {
  DigitRecord r;
  if (x == 0) return r;  // both zeros: no sign, no exponent
  if (x < 0) {
    r.negative = true;
    x = -x;
  }
  r.exponent = 1;
  while (x < 0.999999999999999) {
    x *= 10;
    --r.exponent;
  }
  while (x >= 9.99999999999999) {
    x /= 10;
    ++r.exponent;
  }
  for (int i = 0; i < kDigits; ++i) {
    const double digit = std::floor(x);
    r.d[i] = static_cast<int>(digit);
    x = (x - digit) * 10;
  }
  if (x >= 5) {
    int i = kDigits - 1;
    for (; i >= 0; --i) {
      if (++r.d[i] < 10) break;
      r.d[i] = 0;
    }
    if (i < 0) {
      // Every digit carried over: the value is a power of ten one place up.
      r.d[0] = 1;
      ++r.exponent;
    }
  }
  return r;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Value of an ASCII hexadecimal digit in either case, or -1.
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// "&H..." / "&O...": the digits wrap modulo 2^32 as they come, and the last
// 32 bits are read as a signed value, so "&HFFFFFFFF" is -1.
double RadixTextToNumber(std::string_view text) {
  if (text.size() < 2) return 0;
  const char kind = Upper(text[1]);
  uint32_t radix;
  if (kind == 'H') {
    radix = 16;
  } else if (kind == 'O') {
    radix = 8;
  } else {
    return 0;
  }
  uint32_t value = 0;
  for (size_t i = 2; i < text.size(); ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0 || static_cast<uint32_t>(digit) >= radix) break;
    value = value * radix + static_cast<uint32_t>(digit);
  }
  if (value >= 0x80000000u) return static_cast<double>(value) - 4294967296.0;
  return static_cast<double>(value);
}

}  // namespace

std::string NumberToText(double x) {
  // Never produced by the program itself, but the scaling loops below would
  // spin forever on an infinity.
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x < 0 ? "-inf" : "inf";

  const DigitRecord r = MakeDigitRecord(x);
  std::string text;
  if (r.negative) text += '-';

  if (r.exponent > 15 || r.exponent < -3) {
    text += static_cast<char>('0' + r.d[0]);
    text += '.';
    for (int i = 1; i < kDigits; ++i) text += static_cast<char>('0' + r.d[i]);
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, r.exponent > 15 ? "+%03d" : "%03d",
                  r.exponent - 1);
    text += 'e';
    text += exponent;
    return text;
  }

  if (r.exponent <= 0) {
    text += "0.";
    text.append(static_cast<size_t>(-r.exponent), '0');
    for (int i = 0; i < kDigits; ++i) text += static_cast<char>('0' + r.d[i]);
  } else {
    for (int i = 0; i < r.exponent; ++i) text += static_cast<char>('0' + r.d[i]);
    text += '.';
    for (int i = r.exponent; i < kDigits; ++i) text += static_cast<char>('0' + r.d[i]);
  }
  // The point is always present here, so it stops the zeros from eating into
  // the integer part.
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

double TextToNumber(std::string_view text) {
  if (!text.empty() && text[0] == '&') return RadixTextToNumber(text);

  size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) pos = 1;

  const size_t int_begin = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;

  // Last digit first: the summation order decides the last bit of long
  // numbers, and a value must read back the same wherever it is read.
  double value = 0;
  double power = 1;
  for (size_t i = pos; i > int_begin; --i) {
    const int digit = text[i - 1] - '0';
    // Adding 0 * power never changes a finite sum; skipping it keeps a long
    // run of leading zeros from turning into inf * 0 = NaN.
    if (digit != 0) value += digit * power;
    power *= 10;
  }

  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    double divisor = 1;
    while (pos < text.size() && IsDigit(text[pos])) {
      divisor *= 10;
      value += (text[pos] - '0') / divisor;
      ++pos;
    }
  }

  return negative ? -value : value;
}

int FindText(int start, std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return start;
  if (start < 1) return 0;
  const size_t from = static_cast<size_t>(start) - 1;
  if (from >= text.size()) return 0;
  const size_t found = text.find(pattern, from);
  if (found == std::string_view::npos ||
      found >= static_cast<size_t>(std::numeric_limits<int>::max())) {
    return 0;
  }
  return static_cast<int>(found) + 1;
}

std::string SubText(std::string_view text, int start, int length) {
  if (start < 1 || length < 0) return std::string();
  const size_t from = static_cast<size_t>(start) - 1;
  if (from >= text.size()) return std::string();
  const size_t rest = text.size() - from;
  const size_t count =
      (length == 0 || static_cast<size_t>(length) > rest) ? rest : static_cast<size_t>(length);
  return std::string(text.substr(from, count));
}

int64_t RoundHalfEven(double x) {
  if (std::isnan(x)) return 0;
  // 2^63 is exact as a double; anything at or beyond it does not fit.
  if (x >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (x <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  // Explicit rather than nearbyint, so that a rounding mode changed by a
  // driver or a library cannot change offsets. x - floor(x) is exact.
  const double below = std::floor(x);
  const double fraction = x - below;
  double rounded = below;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0)) rounded = below + 1;
  return static_cast<int64_t>(rounded);
}

}  // namespace belmo
