#include <gtest/gtest.h>

#include <string>

#include "window/utf8_path.h"

namespace belmo {
namespace {

// The names users actually meet: Hangul, a kanji outside the basic plane,
// an accent and an emoji, and the Japanese that was all the program knew.
TEST(Utf8Path, NamesOfEveryScriptSurviveTheTripThroughUtf16) {
  struct Case {
    const char* utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {u8"C:\\録音\\녹음_인터뷰.wav", u"C:\\録音\\녹음_인터뷰.wav"},
      {u8"𠮷野_会議.wav", u"\xD842\xDFB7野_会議.wav"},
      {u8"café 🎤.wav", u"caf\u00E9 \xD83C\xDFA4.wav"},
      {"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16);
    EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8);
    EXPECT_EQ(Utf16Length(c.utf8), c.utf16.size());
  }
}

// Broken input must not become the name of some other existing file, nor
// read past its end.
TEST(Utf8Path, MalformedBytesBecomeTheReplacementCharacter) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"a\x80" "b", u"a\uFFFDb"},             // stray continuation byte
      {"\xC0\xAF", u"\uFFFD\uFFFD"},          // overlong "/"
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"x\xE3\x81", u"x\uFFFD\uFFFD"},        // cut short at the end
      {"\x95\x5C.wav", u"\uFFFD\\.wav"},      // code page 932 bytes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16);
  }
  const std::string replaced = u8"\uFFFDx\uFFFD";
  EXPECT_EQ(Utf8FromUtf16(u"\xD800x\xDC00"), replaced);
}

TEST(Utf8Path, FileNameAndCutsKeepCharactersWhole) {
  // Literals outside the checks: a check spells its arguments out in the
  // program's own code page, which cannot hold them.
  const std::string path = u8"C:\\녹음\\𠮷野.wav";
  const std::string name = u8"𠮷野.wav";
  const std::string accented = u8"café.wav";
  EXPECT_EQ(Utf8FileName(path), name);
  EXPECT_EQ(Utf8FileName(accented), accented);
  const std::string text = u8"ab녹";  // 2 + 3 bytes
  const std::string emoji = u8"🎤";
  const size_t cases[][2] = {{5, 5}, {4, 2}, {3, 2}, {2, 2}};
  for (const auto& c : cases) EXPECT_EQ(Utf8PrefixLength(text, c[0]), c[1]) << c[0];
  EXPECT_EQ(Utf8PrefixLength(emoji, 3), 0u);
}

}  // namespace
}  // namespace belmo
