// belmo-mask: applies one of Belmo's masks to ranges of a WAVE file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_texts.h"
#include "cli/console_text.h"
#include "cli/mask_cli.h"
#include "cli/run_in_progress.h"
#include "cli/standard_streams.h"
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "document/win32_platform_win.h"
#else
#include <signal.h>
#include <unistd.h>

#include "document/platform.h"
#endif

namespace {

// The console of this process: its encoding, and the standard streams as
// bytes (a WAVE image goes through them untouched).
class ProcessConsole : public belmo::CliConsole {
 public:
  ProcessConsole() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
  }
  std::string OwnText(const std::string& cp932) override { return belmo::ToConsoleEncoding(cp932); }
  bool LocalTextToUtf8(const std::string& local, std::string* utf8) override {
    return belmo::LocalTextToUtf8(local, utf8);
  }
  std::string Utf8Text(const std::string& utf8) override {
    return belmo::Utf8ToConsoleEncoding(utf8);
  }
  std::unique_ptr<belmo::FileView> ReadStandardInput() override {
    return belmo::ReadWholeStream(stdin);
  }
  std::unique_ptr<belmo::FileWriter> StandardOutput() override {
    return belmo::StreamWriter(stdout);
  }
  // A console window, not a redirection to NUL (a character device too).
  bool OutputIsTerminal() override {
#ifdef _WIN32
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
#else
    return isatty(STDOUT_FILENO) == 1;
#endif
  }
};

// The input is mapped. A file cut short by another program under the
// mapping (SIGBUS), or one on a share that goes away (an in-page fault on
// Windows), would end the process at the next read. That becomes a message
// and an exit with the refusal code: the partial output is removed and OUT
// stays as it was. Only calls safe at such a moment are made. The message
// names the input when the run has noted one.
std::string inputLostMessage;

const char* InputLostText() {
  const char* named = belmo::InputLostMessage();
  return *named != '\0' ? named : inputLostMessage.c_str();
}

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
  const char* message = InputLostText();
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, static_cast<DWORD>(std::strlen(message)),
            &written, nullptr);
  // Opened for sharing deletion: gone once the process has closed it.
  if (*belmo::OutputInProgress() != '\0') DeleteFileA(belmo::OutputInProgress());
  ExitProcess(belmo::kCliRefused);
}
#else
void OnInputLost(int) {
  const char* message = InputLostText();
  const ssize_t ignored = write(2, message, std::strlen(message));
  (void)ignored;
  if (*belmo::OutputInProgress() != '\0') unlink(belmo::OutputInProgress());
  _exit(belmo::kCliRefused);
}
#endif

void CatchInputLost() {
  inputLostMessage = belmo::ToConsoleEncoding(std::string(belmo::text::kCliPrefix) +
                                              belmo::text::kCliInputLost + "\n");
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
#ifndef _WIN32
  // A reader that goes away (head, a pager closed early) fails the write
  // instead of ending the process without a word: that is an output the
  // system refused, told and exited with as any other.
  signal(SIGPIPE, SIG_IGN);
#endif
  ProcessConsole console;
  std::string out;
  std::string err;
  int status = belmo::RunMaskCli(args, files, console, &out, &err);
  const bool shown = std::fwrite(out.data(), 1, out.size(), stdout) == out.size() &&
                     std::fflush(stdout) == 0;
  if (!shown && status == belmo::kCliOk) {
    err += console.OwnText(std::string(belmo::text::kCliPrefix) + belmo::text::kCliStandardOutput +
                           ": " + belmo::text::kCliStandardOutputFailed + "\n");
    status = belmo::kCliRefused;
  }
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
