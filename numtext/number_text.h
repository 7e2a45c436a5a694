// The one conversion between numbers and their text form, and the two small
// text operations used where texts are taken apart (settings.ini, server
// replies). Nothing here is locale-aware: the decimal separator is always
// '.', and no grouping or leading blank is ever written or accepted.
//
// Positions of FindText and SubText are 1-based, as in the texts they parse.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace belmo {

// Fifteen significant digits, fixed form for 1e-4 <= |x| < 1e15, exponent
// form outside ("1.00000000000000e-05", "1.00000000000000e+016").
std::string NumberToText(double x);

// Decimal ("-12.5", ".5", "3."), "&H" hexadecimal or "&O" octal text.
// Never fails: text that does not start with a number gives 0. Exponents are
// not read ("1.5e3" gives 1.5).
double TextToNumber(std::string_view text);

// Position of the first occurrence of pattern at or after start, or 0.
// An empty pattern returns start itself; a start below 1 returns 0.
int FindText(int start, std::string_view text, std::string_view pattern);

// length bytes from start; length 0 takes the rest; out-of-range start gives
// an empty text; a negative length gives an empty text.
std::string SubText(std::string_view text, int start, int length);

// Round to the nearest integer, ties to even, the rounding used for byte
// offsets and for milliseconds read from text or from the sound device.
// Values outside the int64 range (and NaN) are clamped (NaN gives 0) so that
// a hostile text can never produce undefined behaviour.
int64_t RoundHalfEven(double x);

}  // namespace belmo
