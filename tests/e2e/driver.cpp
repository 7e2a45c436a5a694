#include "tests/e2e/driver.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>

namespace e2e {
namespace {

constexpr int kPollMs = 20;
// The file-name field of Explorer-style Open and Save dialogs.
constexpr int kFileNameField = 0x47C;

std::string Env(const char* name) {
  char value[1024] = {};
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string DriverDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string text(path);
  return text.substr(0, text.find_last_of('\\'));
}

std::string WorkRoot() {
  std::string root = Env("BELMO_E2E_WORK");
  return root.empty() ? DriverDir() + "\\e2e-work" : root;
}

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(dir.c_str());
}

struct BoxSearch {
  DWORD pid;
  bool fileDialog;
  HWND except;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && window != search->except && ClassOf(window) == "#32770" &&
      IsWindowVisible(window) &&
      (GetDlgItem(window, kFileNameField) != nullptr) == search->fileDialog) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct MainSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMain(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<MainSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && ClassOf(window) == "NORMAL" && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct ControlSearch {
  HWND parent;
  const char* className;
  POINT origin;
  HWND found;
};

BOOL CALLBACK FindControlAt(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ControlSearch*>(param);
  if (GetParent(window) != search->parent) return TRUE;
  if (ClassOf(window) != search->className) return TRUE;
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, search->parent, reinterpret_cast<POINT*>(&rect), 2);
  if (rect.left == search->origin.x && rect.top == search->origin.y) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

Sandbox::Sandbox(const std::string& name) {
  std::string root = WorkRoot();
  CreateDirectoryA(root.c_str(), nullptr);
  dir_ = root + "\\" + name;
  RemoveTree(dir_);
  CreateDirectoryA(dir_.c_str(), nullptr);
  CopyFileA((DriverDir() + "\\belmo.exe").c_str(), ExePath().c_str(), FALSE);
}

std::string ScreenshotDir() {
  std::string dir = DriverDir() + "\\screenshots";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::string SourceDir() { return BELMO_SOURCE_DIR_WIN; }

std::string CopyOfSample(const std::string& folder) {
  const std::string copy = folder + "\\sample.wav";
  const std::string bundled = SourceDir() + "\\samples\\sample.wav";
  return CopyFileA(bundled.c_str(), copy.c_str(), FALSE) ? copy : std::string();
}

Belmo::~Belmo() {
  if (Running()) Kill();
  if (process_.hProcess) {
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
}

bool Belmo::Start(const Sandbox& sandbox, const std::string& commandTail,
                  const std::string& currentDir) {
  std::string commandLine = "\"" + sandbox.ExePath() + "\"" + commandTail;
  return StartRaw(commandLine, currentDir.empty() ? sandbox.Dir() : currentDir);
}

bool Belmo::StartRaw(const std::string& commandLine, const std::string& currentDir) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentDir.c_str(), &startup, &process_)) {
    return false;
  }
  WaitForInputIdle(process_.hProcess, 5000);
  return true;
}

bool Belmo::StartRaw(const std::wstring& commandLine, const std::wstring& currentDir) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::wstring line = commandLine;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentDir.c_str(), &startup, &process_)) {
    return false;
  }
  WaitForInputIdle(process_.hProcess, 5000);
  return true;
}

HWND Belmo::WaitMainWindow(int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += kPollMs) {
    MainSearch search = {Pid(), nullptr};
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&search));
    if (search.found) return main_ = search.found;
    Sleep(kPollMs);
  }
  return nullptr;
}

static HWND WaitDialog(DWORD pid, bool fileDialog, int timeoutMs, HWND except = nullptr) {
  for (int waited = 0;; waited += kPollMs) {
    BoxSearch search = {pid, fileDialog, except, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found || waited >= timeoutMs) return search.found;
    Sleep(kPollMs);
  }
}

HWND Belmo::WaitMessageBox(int timeoutMs, HWND except) {
  return WaitDialog(Pid(), false, timeoutMs, except);
}

HWND Belmo::WaitFileDialog(int timeoutMs) { return WaitDialog(Pid(), true, timeoutMs); }

void Belmo::ChooseFile(HWND dialog, const std::string& path) {
  Send(GetDlgItem(dialog, kFileNameField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  // Posted: a toolbar inside the dialog also has the identifier IDOK.
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

bool Belmo::WaitGone(HWND window, int timeoutMs) {
  for (int waited = 0;; waited += kPollMs) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return true;
    if (waited >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

// A sent message overtakes posted ones, so the marker is posted behind
// them: an edit box's text limit, read back once the program got to it.
// Twice, because a posted key-down only gets its character message
// queued while it is handled.
bool Belmo::Flush(int timeoutMs, int pollMs) const {
  static WPARAM marker = 100000;
  HWND box = Control("Edit", 70, 10);
  for (int round = 0; round < 2; ++round) {
    ++marker;
    PostMessageA(box, EM_SETLIMITTEXT, marker, 0);
    const ULONGLONG started = GetTickCount64();
    while (Send(box, EM_GETLIMITTEXT) != static_cast<LRESULT>(marker)) {
      if (GetTickCount64() - started > static_cast<ULONGLONG>(timeoutMs) || !Running()) {
        return false;
      }
      Sleep(pollMs);
    }
  }
  return true;
}

HWND Belmo::Focused() const {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// A box shown right after seconds of work may find its thread still counted
// as hung, and a message sent to it is then dropped; asked again once the
// box's own loop runs, it answers.
std::string Belmo::BoxText(HWND box) {
  std::string text;
  for (int waited = 0; IsWindow(box) && waited <= 5000; waited += kPollMs) {
    text = Text(GetDlgItem(box, 0xFFFF));
    if (!text.empty()) break;
    Sleep(kPollMs);
  }
  return text;
}

void Belmo::Answer(HWND box, int buttonId) { PostMessageA(box, WM_COMMAND, buttonId, 0); }

HWND Belmo::Control(const char* className, int x, int y, bool inRangeGroup) const {
  HWND parent = main_;
  if (inRangeGroup) parent = Control("Button", 10, 40);
  ControlSearch search = {parent, className, {AtDisplayDpi(x), AtDisplayDpi(y)}, nullptr};
  EnumChildWindows(main_, FindControlAt, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

UINT Belmo::MenuState(UINT id) const {
  return static_cast<UINT>(Send(main_, 0x400 + 0x1F0, id, 0));
}

bool Belmo::MenuGrayed(UINT id) const { return (MenuState(id) & MF_GRAYED) != 0; }

void Belmo::Close() { PostMessageA(main_, WM_CLOSE, 0, 0); }

bool Belmo::WaitExit(int timeoutMs) {
  return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

void Belmo::Kill() {
  TerminateProcess(process_.hProcess, 1);
  WaitForSingleObject(process_.hProcess, 5000);
}

bool Belmo::Running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Belmo::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

uint64_t Belmo::PeakMemoryBytes() const {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process_.hProcess, &counters, sizeof counters)) return 0;
  return counters.PeakWorkingSetSize;
}

std::string Text(HWND window) {
  char buffer[1024] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                      SMTO_ABORTIFHUNG, 5000, &result);
  return buffer;
}

bool Enabled(HWND window) { return IsWindowEnabled(window) != 0; }

UINT DisplayDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

int AtDisplayDpi(int pixels) { return MulDiv(pixels, static_cast<int>(DisplayDpi()), 96); }

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

bool Screenshot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN |
                                             RDW_FRAME);
  Sleep(300);
  RECT rect;
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  int stride = ((width * 3) + 3) & ~3;
  std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::vector<uint8_t> bytes(reinterpret_cast<uint8_t*>(&file),
                             reinterpret_cast<uint8_t*>(&file) + sizeof file);
  bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&info),
               reinterpret_cast<uint8_t*>(&info) + sizeof info);
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  return WriteFileBytes(ScreenshotDir() + "\\" + name + ".bmp", bytes);
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* bytes) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  bytes->clear();
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
  std::fclose(file);
  return true;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsHidden(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}

std::vector<uint8_t> PcmWave(int channels, int sampleRate, int bits,
                             const std::vector<uint8_t>& samples) {
  std::vector<uint8_t> out;
  int blockAlign = channels * bits / 8;
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLe(out, static_cast<uint32_t>(36 + samples.size()), 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);
  PutLe(out, channels, 2);
  PutLe(out, sampleRate, 4);
  PutLe(out, sampleRate * blockAlign, 4);
  PutLe(out, blockAlign, 2);
  PutLe(out, bits, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLe(out, static_cast<uint32_t>(samples.size()), 4);
  out.insert(out.end(), samples.begin(), samples.end());
  return out;
}

std::vector<uint8_t> OneSecondWave() {
  std::vector<uint8_t> samples;
  for (int i = 0; i < 8000; ++i) PutLe(samples, static_cast<uint16_t>((i % 200) * 50), 2);
  return PcmWave(1, 8000, 16, samples);
}

// Waits for a started process to end; its exit code.
static int ExitCodeOf(PROCESS_INFORMATION& process) {
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(code);
}

int RunMaskTool(const std::string& arguments, const std::string& in, const std::string& out,
                const std::string& err) {
  char driver[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, driver, sizeof driver);
  std::string exe(driver);
  exe = exe.substr(0, exe.find_last_of('\\')) + "\\belmo-mask.exe";
  std::string line = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE streams[3] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  const bool redirected = !in.empty();
  if (redirected) {
    streams[0] = CreateFileA(in.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherited, OPEN_EXISTING,
                             0, nullptr);
    streams[1] = CreateFileA(out.c_str(), GENERIC_WRITE, 0, &inherited, CREATE_ALWAYS, 0, nullptr);
    streams[2] = CreateFileA(err.c_str(), GENERIC_WRITE, 0, &inherited, CREATE_ALWAYS, 0, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = streams[0];
    startup.hStdOutput = streams[1];
    startup.hStdError = streams[2];
  }
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, redirected, 0,
                                      nullptr, nullptr, &startup, &process);
  for (HANDLE stream : streams) {
    if (stream != INVALID_HANDLE_VALUE) CloseHandle(stream);
  }
  return started ? ExitCodeOf(process) : -1;
}

int RunMaskTool(const std::wstring& arguments, const std::wstring& messages) {
  wchar_t driver[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, driver, MAX_PATH);
  std::wstring exe(driver);
  exe = exe.substr(0, exe.find_last_of(L'\\')) + L"\\belmo-mask.exe";
  std::wstring line = L"\"" + exe + L"\" " + arguments;
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE output = CreateFileW(messages.c_str(), GENERIC_WRITE, 0, &inherited, CREATE_ALWAYS, 0,
                              nullptr);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  return started ? ExitCodeOf(process) : -1;
}

}  // namespace e2e
