// File names as the program holds them: UTF-8, so that every name the file
// system can hold (Hangul, 𠮷, an emoji a phone put in a recording's name)
// passes through unchanged. The system's wide functions take UTF-16; the
// conversion happens only where a name meets the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace belmo {

// Bytes that are not well-formed UTF-8 (and lone surrogates the other way)
// become U+FFFD: a name that cannot be spelt is then refused by the system
// as not found, never turned into another file's name.
std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

// One code point of text at *at, *at moved past it. False for a malformed
// sequence (stray continuation byte, overlong form, surrogate, past
// U+10FFFF, cut short), with *at past its first byte.
bool NextCodePoint(std::string_view text, size_t* at, char32_t* c);
// c (at most U+10FFFF) in UTF-8.
void AppendUtf8(char32_t c, std::string* out);
// True when text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

// What a UTF-8 name counts in the system's limits, which are in UTF-16
// units (a character outside the basic plane counts two).
size_t Utf16Length(std::string_view utf8);

// The part after the last backslash. No byte of a UTF-8 multi-byte
// character is below 0x80, so a plain search is exact.
std::string Utf8FileName(const std::string& path);

// The longest start of text that fits maxBytes without splitting a
// character.
size_t Utf8PrefixLength(std::string_view text, size_t maxBytes);

}  // namespace belmo
