#include <windows.h>

#include "cli/console_text.h"
#include "document/win32_platform_win.h"

namespace belmo {

std::string ToConsoleEncoding(const std::string& cp932) {
  UINT consolePage = GetConsoleOutputCP();
  if (consolePage == 0 || consolePage == 932 || cp932.empty()) return cp932;
  return Recode(cp932, 932, consolePage);
}

}  // namespace belmo
