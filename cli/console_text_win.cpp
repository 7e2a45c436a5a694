#include <windows.h>

#include <vector>

#include "cli/console_text.h"

namespace belmo {

std::string ToConsoleEncoding(const std::string& cp932) {
  UINT consolePage = GetConsoleOutputCP();
  if (consolePage == 0 || consolePage == 932 || cp932.empty()) return cp932;
  int wideLength = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()),
                                       nullptr, 0);
  std::vector<wchar_t> wide(wideLength);
  MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), wide.data(),
                      wideLength);
  int length = WideCharToMultiByte(consolePage, 0, wide.data(), wideLength, nullptr, 0,
                                   nullptr, nullptr);
  std::string converted(length, '\0');
  WideCharToMultiByte(consolePage, 0, wide.data(), wideLength, converted.data(), length,
                      nullptr, nullptr);
  return converted;
}

}  // namespace belmo
