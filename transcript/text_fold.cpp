#include "transcript/text_fold.h"

#include <algorithm>
#include <iterator>

namespace belmo {
namespace {

enum class Kind : uint8_t {
  Kept,
  Soft,
  Hard,
  Ignored,     // invisible: zero widths, joiners, direction and variation marks
  Voiced,      // ゛ in any of its forms, joined to the kana before it
  SemiVoiced,  // ゜ likewise
};

struct Fold {
  Kind kind;
  char32_t c;
};

constexpr char32_t kLongVowelMark = 0x30FC;  // ー

constexpr Fold Kept(char32_t c) { return {Kind::Kept, c}; }
constexpr Fold Soft() { return {Kind::Soft, 0}; }
constexpr Fold Hard() { return {Kind::Hard, 0}; }
constexpr Fold Ignored() { return {Kind::Ignored, 0}; }

}  // namespace

namespace {

Fold FoldAscii(char32_t c) {
  if (c >= U'A' && c <= U'Z') return Kept(c + (U'a' - U'A'));
  if ((c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9')) return Kept(c);
  if (c <= 0x20 || c == 0x7F || c == U'-' || c == U',') return Soft();
  return Hard();
}

// Latin-1 Supplement and Latin Extended-A: capitals to small letters.
Fold FoldLatin(char32_t c) {
  if (c <= 0xA0) return Soft();  // C1 controls, no-break space
  if (c == 0xAD) return Ignored();  // soft hyphen
  if (c == 0xAA) return Kept(U'a');
  if (c == 0xBA) return Kept(U'o');
  if (c == 0xB2) return Kept(U'2');
  if (c == 0xB3) return Kept(U'3');
  if (c == 0xB9) return Kept(U'1');
  if (c == 0xB5) return Kept(c);
  if (c < 0xC0 || c == 0xD7 || c == 0xF7) return Hard();
  if (c <= 0xDE) return Kept(c + 0x20);
  if (c <= 0xFF) return Kept(c);
  if (c == 0x130) return Kept(U'i');
  if (c == 0x178) return Kept(0xFF);
  if (c == 0x17F) return Kept(U's');
  const bool evenCapitals = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
  const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
  if ((evenCapitals && c % 2 == 0) || (oddCapitals && c % 2 == 1)) return Kept(c + 1);
  return Kept(c);
}

// General Punctuation and the super- and subscript digits after it.
Fold FoldPunctuation(char32_t c) {
  if (c <= 0x200A || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F) return Soft();
  if (c <= 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F)) {
    return Ignored();
  }
  if (c <= 0x2015) return Soft();  // hyphens and dashes
  if (c <= 0x206F) return Hard();
  if (c == 0x2070) return Kept(U'0');
  if (c >= 0x2074 && c <= 0x2079) return Kept(U'4' + (c - 0x2074));
  if (c >= 0x2080 && c <= 0x2089) return Kept(U'0' + (c - 0x2080));
  return Kept(c);
}

// CJK Symbols and Punctuation, and the kana marks.
Fold FoldCjkPunctuation(char32_t c) {
  if (c == 0x3000 || c == 0x3001) return Soft();  // ideographic space, 、
  if (c == 0x3005 || c == 0x3006 || (c >= 0x3021 && c <= 0x3029) ||
      (c >= 0x3031 && c <= 0x3035) || (c >= 0x3038 && c <= 0x303C)) {
    return Kept(c);  // 々 〆 and the other marks that stand for letters
  }
  if (c == 0x3007) return Kept(U'0');  // 〇
  if (c >= 0x302A && c <= 0x302F) return Ignored();
  return Hard();
}

// ｦ to ﾝ (U+FF66 to U+FF9D) as full-width katakana.
constexpr char32_t kFullWidthKana[] = {
    0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5, 0x30E7, 0x30C3,  // ｦ-ｯ
    0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1,  // ｰ-ｹ
    0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6,  // ｺ-ﾃ
    0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8,  // ﾄ-ﾍ
    0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,  // ﾎ-ﾗ
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3,                                  // ﾘ-ﾝ
};
static_assert(std::size(kFullWidthKana) == 0xFF9D - 0xFF66 + 1);

// Halfwidth and Fullwidth Forms, and the small and vertical forms before it.
Fold FoldWidthForms(char32_t c) {
  if (c <= 0xFE0F) return Ignored();  // variation selectors
  if (c == 0xFE50 || c == 0xFE51 || c == 0xFE58 || c == 0xFE63) return Soft();
  if (c <= 0xFE6F) return Hard();
  if (c == 0xFEFF) return Ignored();  // byte order mark
  if (c < 0xFF01) return Kept(c);
  if (c <= 0xFF5E) return FoldAscii(c - 0xFEE0);
  if (c == 0xFF64) return Soft();  // ､
  if (c <= 0xFF65) return Hard();
  if (c <= 0xFF9D) return Kept(kFullWidthKana[c - 0xFF66]);
  if (c == 0xFF9E) return {Kind::Voiced, 0};
  if (c == 0xFF9F) return {Kind::SemiVoiced, 0};
  if (c >= 0xFFE0 && c <= 0xFFEE) return Hard();
  return Kept(c);
}

Fold FoldOne(char32_t c) {
  if (c < 0x80) return FoldAscii(c);
  if (c < 0x180) return FoldLatin(c);
  if (c >= 0x2000 && c < 0x20A0) return FoldPunctuation(c);
  if (c == 0x2212) return Soft();  // minus sign
  if (c >= 0x2E00 && c <= 0x2E7F) return Hard();
  if (c >= 0x3000 && c <= 0x303F) return FoldCjkPunctuation(c);
  if (c == 0x3099 || c == 0x309B) return {Kind::Voiced, 0};
  if (c == 0x309A || c == 0x309C) return {Kind::SemiVoiced, 0};
  if (c == 0x30A0 || c == 0x30FB) return Hard();  // ゠ ・
  switch (c) {
    case 0x4E00: return Kept(U'1');  // 一
    case 0x4E8C: return Kept(U'2');  // 二
    case 0x4E09: return Kept(U'3');  // 三
    case 0x56DB: return Kept(U'4');  // 四
    case 0x4E94: return Kept(U'5');  // 五
    case 0x516D: return Kept(U'6');  // 六
    case 0x4E03: return Kept(U'7');  // 七
    case 0x516B: return Kept(U'8');  // 八
    case 0x4E5D: return Kept(U'9');  // 九
    default: break;
  }
  if (c >= 0xFE00 && c <= 0xFFEF) return FoldWidthForms(c);
  if (c >= 0xE0100 && c <= 0xE01EF) return Ignored();
  return Kept(c);
}

// Katakana are hiragana + 0x60, and their marks combine alike; only
// katakana have ヷ to ヺ.
constexpr char32_t kKatakanaShift = 0x60;

char32_t VoicedOf(char32_t c) {
  if (c >= 0x30EF && c <= 0x30F2) return c + 8;  // ワ ヰ ヱ ヲ
  const bool katakana = c >= 0x30A1 && c <= 0x30FE;
  const char32_t h = katakana ? c - kKatakanaShift : c;
  char32_t voiced = 0;
  if (h >= 0x304B && h <= 0x3061 && (h - 0x304B) % 2 == 0) voiced = h + 1;  // か-ち
  if (h == 0x3064 || h == 0x3066 || h == 0x3068) voiced = h + 1;             // つ て と
  if (h >= 0x306F && h <= 0x307B && (h - 0x306F) % 3 == 0) voiced = h + 1;  // は-ほ
  if (h == 0x3046) voiced = 0x3094;                                          // う
  if (h == 0x309D) voiced = 0x309E;                                          // ゝ
  if (voiced == 0) return 0;
  return katakana ? voiced + kKatakanaShift : voiced;
}

char32_t SemiVoicedOf(char32_t c) {
  const bool katakana = c >= 0x30A1 && c <= 0x30FE;
  const char32_t h = katakana ? c - kKatakanaShift : c;
  if (!(h >= 0x306F && h <= 0x307B && (h - 0x306F) % 3 == 0)) return 0;
  return katakana ? h + 2 + kKatakanaShift : h + 2;
}

}  // namespace


Separator FoldText(std::string_view text, std::vector<FoldedChar>* out) {
  Separator pending = Separator::None;
  const size_t first = out->size();
  size_t at = 0;
  while (at < text.size()) {
    char32_t c;
    if (!NextCodePoint(text, &at, &c)) continue;
    const Fold fold = FoldOne(c);
    switch (fold.kind) {
      case Kind::Kept:
        // ー typed for a hyphen (090ー1234) is one where it follows a digit,
        // a letter of the word everywhere else (コーヒー).
        if (fold.c == kLongVowelMark && !out->empty() && IsFoldedDigit(out->back().c)) {
          pending = std::max(pending, Separator::Soft);
          break;
        }
        out->push_back(FoldedChar{fold.c, pending});
        pending = Separator::None;
        break;
      case Kind::Soft:
        pending = std::max(pending, Separator::Soft);
        break;
      case Kind::Hard:
        pending = Separator::Hard;
        break;
      case Kind::Ignored:
        break;
      case Kind::Voiced:
      case Kind::SemiVoiced:
        // A mark after a space or at the start has nothing to join.
        if (pending == Separator::None && out->size() > first) {
          char32_t& base = out->back().c;
          const char32_t joined = fold.kind == Kind::Voiced ? VoicedOf(base) : SemiVoicedOf(base);
          if (joined != 0) base = joined;
        }
        break;
    }
  }
  return pending;
}

std::u32string FoldWord(std::string_view text) {
  std::vector<FoldedChar> folded;
  FoldText(text, &folded);
  std::u32string word;
  word.reserve(folded.size());
  for (const FoldedChar& f : folded) word.push_back(f.c);
  return word;
}

bool IsLatinWordChar(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9') ||
         (c >= 0xDF && c <= 0x24F && c != 0xF7);
}

}  // namespace belmo
