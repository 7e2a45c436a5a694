// Texts that every window of the program shows: the product's name (the
// caption of every message box), the one user-interface font, and the
// main window's idle information. Sources are UTF-8; the compiler turns
// them into code page 932.
#pragma once

namespace belmo::text {

inline constexpr char kProductName[] = "ベルモ";
inline constexpr char kMainFontFace[] = "ＭＳ Ｐゴシック";
inline constexpr char kInfoStopped[] = "停止中";

}  // namespace belmo::text
