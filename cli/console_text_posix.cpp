#include <iconv.h>

#include <vector>

#include "cli/console_text.h"
#include "transcript/text_fold.h"

namespace belmo {

std::string ToConsoleEncoding(const std::string& cp932) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return cp932;
  std::vector<char> input(cp932.begin(), cp932.end());
  std::vector<char> output(cp932.size() * 3 + 16);
  char* in = input.data();
  size_t inLeft = input.size();
  char* out = output.data();
  size_t outLeft = output.size();
  size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) return cp932;
  return std::string(output.data(), output.size() - outLeft);
}

bool LocalTextToUtf8(const std::string& local, std::string* utf8) {
  if (!IsUtf8(local)) return false;
  *utf8 = local;
  return true;
}

std::string Utf8ToConsoleEncoding(const std::string& utf8) { return utf8; }

}  // namespace belmo
