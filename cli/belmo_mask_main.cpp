// belmo-mask: applies one of Belmo's masks to a range of a WAVE file.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/console_text.h"
#include "cli/mask_cli.h"
#ifdef _WIN32
#include "document/win32_platform_win.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
  belmo::Win32FileStore files;
#else
  belmo::StdFileStore files;
#endif
  std::string out;
  std::string err;
  int status = belmo::RunMaskCli(args, files, &out, &err);
  std::string outText = belmo::ToConsoleEncoding(out);
  std::string errText = belmo::ToConsoleEncoding(err);
  std::fwrite(outText.data(), 1, outText.size(), stdout);
  std::fwrite(errText.data(), 1, errText.size(), stderr);
  return status;
}
