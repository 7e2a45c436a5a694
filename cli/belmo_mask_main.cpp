// belmo-mask: applies one of Belmo's masks to a range of a WAVE file.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_texts.h"
#include "cli/console_text.h"
#include "cli/mask_cli.h"
#include "cli/run_in_progress.h"
#ifdef _WIN32
#include <windows.h>

#include "document/win32_platform_win.h"
#else
#include <signal.h>
#include <unistd.h>

#include "document/platform.h"
#endif

namespace {

// The input is mapped. A file cut short by another program under the
// mapping (SIGBUS), or one on a share that goes away (an in-page fault on
// Windows), would end the process at the next read. That becomes a message
// and an exit with the refusal code: the partial output is removed and OUT
// stays as it was. Only calls safe at such a moment are made.
std::string inputLostMessage;

#ifdef _WIN32
// Windows reports a page it could not read in; Wine, when a Linux program
// cut the file short, an access violation. Either counts only inside the
// input: any other fault is a fault of this program and is left alone.
LONG CALLBACK OnInputLost(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  const bool pageFault = record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR ||
                         record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION;
  if (!pageFault || record.NumberParameters < 2 ||
      !belmo::IsInInput(reinterpret_cast<const void*>(record.ExceptionInformation[1]))) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), inputLostMessage.data(),
            static_cast<DWORD>(inputLostMessage.size()), &written, nullptr);
  // Opened for sharing deletion: gone once the process has closed it.
  if (*belmo::OutputInProgress() != '\0') DeleteFileA(belmo::OutputInProgress());
  ExitProcess(belmo::kCliRefused);
}
#else
void OnInputLost(int) {
  const ssize_t ignored = write(2, inputLostMessage.data(), inputLostMessage.size());
  (void)ignored;
  if (*belmo::OutputInProgress() != '\0') unlink(belmo::OutputInProgress());
  _exit(belmo::kCliRefused);
}
#endif

void CatchInputLost() {
  inputLostMessage = belmo::ToConsoleEncoding(std::string(belmo::text::kCliInputLost) + "\n");
#ifdef _WIN32
  AddVectoredExceptionHandler(1, OnInputLost);
#else
  struct sigaction action = {};
  action.sa_handler = OnInputLost;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, nullptr);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
  belmo::Win32FileStore files;
#else
  belmo::StdFileStore files;
#endif
  CatchInputLost();
  std::string out;
  std::string err;
  int status = belmo::RunMaskCli(args, files, &out, &err);
  std::string outText = belmo::ToConsoleEncoding(out);
  std::string errText = belmo::ToConsoleEncoding(err);
  std::fwrite(outText.data(), 1, outText.size(), stdout);
  std::fwrite(errText.data(), 1, errText.size(), stderr);
  return status;
}
