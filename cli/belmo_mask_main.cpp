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
#include <shellapi.h>

#include "document/win32_platform_win.h"
#include "settings/settings_path_line_win.h"
#include "transcript/text_fold.h"
#include "window/wide_text_win.h"
#else
#include <signal.h>
#include <unistd.h>

#include "document/platform.h"
#endif

namespace {

#ifdef _WIN32
// On Windows every text is UTF-8 inside, so that a name of any script can
// stand in a message; it becomes UTF-16 for a console window and stays
// UTF-8 when redirected to a file or a pipe.
std::string OwnConsoleText(const std::string& cp932) {
  return belmo::Recode(cp932, 932, CP_UTF8);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// False when the text could not be written (a closed pipe, a full disk).
bool WriteText(std::FILE* stream, DWORD standardHandle, const std::string& utf8) {
  if (utf8.empty()) return true;
  HANDLE handle = GetStdHandle(standardHandle);
  if (IsConsole(handle)) {
    const std::wstring wide = belmo::WideOf(utf8);
    DWORD written = 0;
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written,
                         nullptr) != 0;
  }
  return std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size() &&
         std::fflush(stream) == 0;
}

// The arguments from the wide command line, split as the C runtime would.
std::vector<std::string> WideArguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(belmo::Utf8Of(wide[i]));
  LocalFree(wide);
  return args;
}
#else
std::string OwnConsoleText(const std::string& cp932) { return belmo::ToConsoleEncoding(cp932); }
#endif

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
  std::string OwnText(const std::string& cp932) override { return OwnConsoleText(cp932); }
#ifdef _WIN32
  // The arguments are UTF-8 already; a file's text may be the ANSI code
  // page's.
  bool LocalTextToUtf8(const std::string& local, std::string* utf8) override {
    if (!belmo::IsUtf8(local)) return belmo::LocalTextToUtf8(local, utf8);
    *utf8 = local;
    return true;
  }
  std::string Utf8Text(const std::string& utf8) override { return utf8; }
  belmo::PathLineForm SettingsPathLine() override { return belmo::Cp932PathLine(); }
#else
  bool LocalTextToUtf8(const std::string& local, std::string* utf8) override {
    return belmo::LocalTextToUtf8(local, utf8);
  }
  std::string Utf8Text(const std::string& utf8) override {
    return belmo::Utf8ToConsoleEncoding(utf8);
  }
#endif
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
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  // No heap here: the wide text goes into a block of its own.
  static wchar_t wide[4096];
  const int units = IsConsole(error) ? MultiByteToWideChar(CP_UTF8, 0, message, -1, wide, 4096) : 0;
  if (units > 1) {
    WriteConsoleW(error, wide, static_cast<DWORD>(units - 1), &written, nullptr);
  } else {
    WriteFile(error, message, static_cast<DWORD>(std::strlen(message)), &written, nullptr);
  }
  // Opened for sharing deletion: gone once the process has closed it.
  static wchar_t output[32768];
  if (*belmo::OutputInProgress() != '\0' &&
      MultiByteToWideChar(CP_UTF8, 0, belmo::OutputInProgress(), -1, output, 32768) > 0) {
    DeleteFileW(output);
  }
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
  inputLostMessage =
      OwnConsoleText(std::string(belmo::text::kCliPrefix) + belmo::text::kCliInputLost + "\n");
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
#ifdef _WIN32
  (void)argc;
  (void)argv;
  const std::vector<std::string> args = WideArguments();
  belmo::Win32FileStore files;
#else
  std::vector<std::string> args(argv + 1, argv + argc);
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
#ifdef _WIN32
  const bool shown = WriteText(stdout, STD_OUTPUT_HANDLE, out);
#else
  const bool shown = std::fwrite(out.data(), 1, out.size(), stdout) == out.size() &&
                     std::fflush(stdout) == 0;
#endif
  if (!shown && status == belmo::kCliOk) {
    err += console.OwnText(std::string(belmo::text::kCliPrefix) + belmo::text::kCliStandardOutput +
                           ": " + belmo::text::kCliStandardOutputFailed + "\n");
    status = belmo::kCliRefused;
  }
#ifdef _WIN32
  WriteText(stderr, STD_ERROR_HANDLE, err);
#else
  std::fwrite(err.data(), 1, err.size(), stderr);
#endif
  return status;
}
