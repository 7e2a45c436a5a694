// How a transcript's words and the words looked for in it are compared.
// Both sides go through the same table, so a name typed one way is found
// however the recogniser wrote it:
// - full-width ASCII is ASCII (ＡＢＣ１２３ is ABC123), half-width katakana
//   is full-width, a voiced or semi-voiced mark joined to the kana before
//   it (ｶﾞ, カ + U+3099 and ガ are one);
// - Latin letters have no case (ASCII, Latin-1 and Latin Extended-A);
// - the kanji numerals 〇一二三四五六七八九 are the digits 0-9, so a number
//   is found whether it was written in figures or in kanji;
// - spaces, punctuation and symbols of the ASCII, Latin-1, general
//   punctuation and CJK punctuation blocks are not compared at all
//   (090-1234-5678 is 09012345678), but are remembered as separators: a
//   space, a hyphen or a comma may stand between the digits of one number,
//   any other mark ends it. ー after a digit is a hyphen typed by mistake.
// FoldText appends to what was folded before (the tokens of a transcript
// before this one), and reads it for that.
// It is a table of this program's own rather than Unicode's NFKC: no NFKC
// library serves both the Linux and the Windows build, and the two builds
// must fold every text identically. It is written for Japanese and English
// speech, and keeps every other letter as it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "window/utf8_path.h"

namespace belmo {

// What stood between a folded character and the one before it.
enum class Separator : uint8_t {
  None = 0,
  Soft = 1,  // blanks, hyphens and dashes, commas: inside a number too
  Hard = 2,  // any other punctuation or symbol
};

struct FoldedChar {
  char32_t c = 0;
  Separator before = Separator::None;
};

// Appends the folded characters of text (UTF-8, checked by IsUtf8) to out.
// Returns the separator after the last one: the next text's first
// character follows it.
Separator FoldText(std::string_view text, std::vector<FoldedChar>* out);

// The folded characters alone, for a word looked for: empty when it has
// nothing but spaces and punctuation.
std::u32string FoldWord(std::string_view text);

// '0'-'9' after folding.
inline bool IsFoldedDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// A letter or digit of the Latin script after folding: a word of these is
// matched whole ("Al" is not found in "also"); other scripts, which a
// transcript need not split into words, are matched anywhere.
bool IsLatinWordChar(char32_t c);

}  // namespace belmo
