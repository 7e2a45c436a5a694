// Where a file name meets the system: the program holds names in UTF-8
// (window/utf8_path.h), the system's wide functions take UTF-16. The texts
// of the program itself stay code page 932 and go through the ANSI
// functions, so every message looks exactly as it always did.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace belmo {

std::wstring WideOf(std::string_view utf8);
std::string Utf8Of(std::wstring_view wide);
std::string Utf8Of(const wchar_t* wide);

// A path for the wide file functions. Past MAX_PATH a full path gets the
// prefix that lifts the limit ("\\?\C:\..." or "\\?\UNC\server\..."):
// Windows refuses a long path without it unless the machine opted in.
std::wstring SystemPathOf(std::string_view utf8Path);

// Whether the machine opted in to paths past MAX_PATH (Windows 10 1607
// and later; the program's manifest declares itself ready for them). The
// program reaches such paths through the long-path prefix in any case;
// the setting says the user's other programs do too.
bool SystemTakesLongPaths();

// A text of the program's own (code page 932) in UTF-16.
std::wstring WideOfCp932(std::string_view text);

// A UTF-8 text in code page 932, only when that holds it exactly: false
// for a character it lacks (no "?" and no look-alike in its place).
bool ExactCp932Of(const std::string& utf8, std::string* cp932);

// Shows a name as it is, whatever its characters.
void SetWindowTextUtf8(HWND window, const std::string& utf8);
std::string WindowTextUtf8(HWND window);

// A message of the program followed by a file's name on a line of its own,
// captioned with the product name.
int ShowProductMessageWithName(HWND owner, const char* text, const std::string& utf8Name,
                               UINT style);

}  // namespace belmo
