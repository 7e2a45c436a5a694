#include "window/wide_text_win.h"

#include "window/utf8_path.h"
#include "window/window_texts.h"

namespace belmo {

std::wstring WideOf(std::string_view utf8) {
  const std::u16string units = Utf16FromUtf8(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string Utf8Of(std::wstring_view wide) {
  return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

std::string Utf8Of(const wchar_t* wide) {
  return wide ? Utf8Of(std::wstring_view(wide)) : std::string();
}

std::wstring SystemPathOf(std::string_view utf8Path) {
  std::wstring path = WideOf(utf8Path);
  if (path.size() < MAX_PATH) return path;
  if (path.size() > 2 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.compare(0, 2, L"\\\\") == 0 && path.compare(0, 4, L"\\\\?\\") != 0 &&
      path.compare(0, 4, L"\\\\.\\") != 0) {
    return L"\\\\?\\UNC\\" + path.substr(2);
  }
  return path;
}

bool SystemTakesLongPaths() {
  DWORD enabled = 0;
  DWORD size = sizeof enabled;
  return RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\FileSystem",
                      L"LongPathsEnabled", RRF_RT_REG_DWORD, nullptr, &enabled,
                      &size) == ERROR_SUCCESS &&
         enabled != 0;
}

std::wstring WideOfCp932(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(932, 0, text.data(), size, wide.data(), length);
  return wide;
}

bool ExactCp932Of(const std::string& utf8, std::string* cp932) {
  cp932->clear();
  const std::wstring wide = WideOf(utf8);
  if (wide.empty()) return true;
  const int units = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr,
                                         0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  cp932->resize(static_cast<size_t>(length));
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), units, cp932->data(), length,
                      nullptr, &usedDefault);
  // Read back, it must be the very same name.
  return !usedDefault && WideOfCp932(*cp932) == wide;
}

void SetWindowTextUtf8(HWND window, const std::string& utf8) {
  SetWindowTextW(window, WideOf(utf8).c_str());
}

std::string WindowTextUtf8(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, wide.data(), length + 1);
  wide.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return Utf8Of(wide);
}

int ShowProductMessageWithName(HWND owner, const char* text, const std::string& utf8Name,
                               UINT style) {
  const std::wstring message = WideOfCp932(text) + L"\n" + WideOf(utf8Name);
  return MessageBoxW(owner, message.c_str(), WideOfCp932(text::kProductName).c_str(), style);
}

}  // namespace belmo
