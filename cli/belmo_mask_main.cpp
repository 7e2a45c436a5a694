// belmo-mask: applies one of Belmo's masks to a range of a WAVE file.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_texts.h"
#include "cli/console_text.h"
#include "cli/mask_cli.h"
#ifdef _WIN32
#include "document/win32_platform_win.h"
#else
#include <signal.h>
#include <unistd.h>

#include "document/platform.h"
#endif

#ifndef _WIN32
namespace {

// The input is mapped, and a file another program cuts short under a
// mapping ends the process with SIGBUS at the next read past its new end.
// That becomes a message and a clean exit: the partial output is removed
// and OUT stays as it was.
std::string cutShortMessage;

void OnInputCutShort(int) {
  const ssize_t ignored = write(2, cutShortMessage.data(), cutShortMessage.size());
  (void)ignored;
  if (*belmo::PendingWritePath() != '\0') unlink(belmo::PendingWritePath());
  _exit(1);
}

void CatchInputCutShort() {
  cutShortMessage = belmo::ToConsoleEncoding(std::string(belmo::text::kCliInputCutShort) + "\n");
  struct sigaction action = {};
  action.sa_handler = OnInputCutShort;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, nullptr);
}

}  // namespace
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
  belmo::Win32FileStore files;
#else
  belmo::StdFileStore files;
  CatchInputCutShort();
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
