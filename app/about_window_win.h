// The About window: the software's name, version and release date, on a
// thread of its own. It shares the SETWINDOW class with the settings
// window, so its close button runs the same settings check.
#pragma once

namespace belmo {

namespace text {

inline constexpr char kAboutCaption[] = "バージョン情報";
inline constexpr char kAboutName[] = "ソフト名 : ベルモ";
inline constexpr char kAboutVersion[] = "バージョン : " BELMO_VERSION;
inline constexpr char kAboutRelease[] = "リリース : 2004年08月15日";

}  // namespace text

// Menu command 8242: one more About window, on one more thread.
void OpenAboutWindow();

}  // namespace belmo
