#include <windows.h>

#include "cli/console_text.h"
#include "document/win32_platform_win.h"

namespace belmo {

std::string ToConsoleEncoding(const std::string& cp932) {
  UINT consolePage = GetConsoleOutputCP();
  if (consolePage == 0 || consolePage == 932 || cp932.empty()) return cp932;
  return Recode(cp932, 932, consolePage);
}

namespace {

// text from one code page to another through UTF-16; false when a
// character cannot be read in from (checked where flags ask for it).
bool Convert(const std::string& text, UINT from, DWORD flags, UINT to, std::string* converted) {
  if (text.empty()) {
    converted->clear();
    return true;
  }
  const int size = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(from, flags, text.data(), size, nullptr, 0);
  if (wideLength == 0) return false;
  std::vector<wchar_t> wide(wideLength);
  MultiByteToWideChar(from, flags, text.data(), size, wide.data(), wideLength);
  const int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  converted->assign(length, '\0');
  WideCharToMultiByte(to, 0, wide.data(), wideLength, converted->data(), length, nullptr, nullptr);
  return true;
}

}  // namespace

bool LocalTextToUtf8(const std::string& local, std::string* utf8) {
  return Convert(local, CP_ACP, MB_ERR_INVALID_CHARS, CP_UTF8, utf8);
}

std::string Utf8ToConsoleEncoding(const std::string& utf8) {
  // Without a console (redirected), the ANSI code page, as the rest.
  const UINT consolePage = GetConsoleOutputCP();
  if (consolePage == CP_UTF8) return utf8;
  std::string converted;
  return Convert(utf8, CP_UTF8, 0, consolePage == 0 ? CP_ACP : consolePage, &converted) ? converted
                                                                                        : utf8;
}

}  // namespace belmo
