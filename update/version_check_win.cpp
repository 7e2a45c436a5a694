#include "update/version_check_win.h"

#include <winsock.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "update/update_texts.h"
#include "update/version_check.h"
#include "window/dpi_win.h"
#include "window/main_window_handles_win.h"
#include "window/window_layout_win.h"
#include "window/worker_threads_win.h"

namespace belmo {
namespace {

constexpr UINT kMsgStartup = WM_USER + 0x100;    // start Winsock, begin the first request
constexpr UINT kMsgHostFound = WM_USER + 0x101;  // the host lookup has finished
constexpr UINT kMsgSocket = WM_USER + 0x102;     // connect, write, read or close
constexpr UINT kMsgCompare = WM_USER + 0x103;    // compare the versions
constexpr UINT kMsgRequest = WM_USER + 0x104;    // begin the current mode's request

constexpr int kPathBufferSize = 260;

// The version-check window and everything of its exchange that Winsock and
// the dialogs need to hold; owned by the version-check thread.
struct VersionCheckWindow {
  HWND Window = nullptr;
  HWND StatusLine = nullptr;
  HWND ProgressBar = nullptr;
  bool WinsockStarted = false;
  HANDLE Lookup = nullptr;
  char HostEntry[MAXGETHOSTSTRUCT] = {};
  in_addr Address = {};
  OPENFILENAMEA ArchiveDialog = {};
  char ArchiveFile[kPathBufferSize] = {};
  char ArchiveTitle[kPathBufferSize] = {};
  std::unique_ptr<VersionCheck> Check;
};

VersionCheckWindow VersionCheckUi;

constexpr int kClientWidth = 300;
constexpr int kClientHeight = 60;

const ControlRow<VersionCheckWindow> kVersionCheckLayout[] = {
    {&VersionCheckWindow::StatusLine, nullptr, "STATIC", text::kStatusEmpty, 0, 0,
     {10, 13, 280, 14}},
    {&VersionCheckWindow::ProgressBar, nullptr, PROGRESS_CLASSA, "", 0, 0, {10, 30, 280, 20}},
};

// Read by the main thread: a second command brings this window forward
// instead of starting another exchange.
std::atomic<HWND> OpenCheckWindow{nullptr};

// Winsock 1.1, the window's controls, the Save dialog and the shell, as
// the version check's state machine asks for them.
class WindowsUpdatePlatform : public UpdatePlatform {
 public:
  void SetStatus(const std::string& text) override {
    SetWindowTextA(VersionCheckUi.StatusLine, text.c_str());
  }

  void SetProgress(int percent) override {
    SendMessageA(VersionCheckUi.ProgressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  }

  // Posted, not sent: the step then never runs inside a socket handler,
  // and a dialog it opens starts from a clean stack.
  void Post(VersionCheckStep step) override {
    UINT message = step == VersionCheckStep::Request   ? kMsgRequest
                   : step == VersionCheckStep::Compare ? kMsgCompare
                                                       : WM_CLOSE;
    PostMessageA(VersionCheckUi.Window, message, 0, 0);
  }

  SocketId CreateSocket() override {
    SOCKET created = socket(AF_INET, SOCK_STREAM, 0);
    if (created == INVALID_SOCKET) return kNoSocket;
    if (WSAAsyncSelect(created, VersionCheckUi.Window, kMsgSocket,
                       FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0) {
      closesocket(created);
      return kNoSocket;
    }
    return static_cast<SocketId>(created);
  }

  bool StartLookup(const std::string& hostName) override {
    hostName_ = hostName;  // kept alive while the lookup runs
    VersionCheckUi.Lookup =
        WSAAsyncGetHostByName(VersionCheckUi.Window, kMsgHostFound, hostName_.c_str(),
                              VersionCheckUi.HostEntry, sizeof VersionCheckUi.HostEntry);
    return VersionCheckUi.Lookup != nullptr;
  }

  void CancelLookup() override {
    if (VersionCheckUi.Lookup) WSACancelAsyncRequest(VersionCheckUi.Lookup);
    VersionCheckUi.Lookup = nullptr;
  }

  bool Connect(SocketId socket, uint16_t port) override {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr = VersionCheckUi.Address;
    if (connect(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&address),
                sizeof address) == 0) {
      return true;
    }
    return WSAGetLastError() == WSAEWOULDBLOCK;
  }

  long Send(SocketId socket, const std::string& bytes) override {
    int sent = send(static_cast<SOCKET>(socket), bytes.data(), static_cast<int>(bytes.size()), 0);
    return sent == SOCKET_ERROR ? -1 : sent;
  }

  long Receive(SocketId socket, char* buffer, size_t capacity) override {
    int got = recv(static_cast<SOCKET>(socket), buffer, static_cast<int>(capacity), 0);
    if (got != SOCKET_ERROR) return got;
    return WSAGetLastError() == WSAEWOULDBLOCK ? kReceiveWouldBlock : kReceiveError;
  }

  void CloseSocket(SocketId socket) override { closesocket(static_cast<SOCKET>(socket)); }

  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override {
    UINT style = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
    int answer = MessageBoxA(nullptr, text.c_str(), text::kVersionCheckCaption, style);
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
  }

  bool AskArchivePath(const std::string& proposedName, ArchiveChoice* choice) override {
    OPENFILENAMEA& dialog = VersionCheckUi.ArchiveDialog;
    lstrcpynA(VersionCheckUi.ArchiveFile, proposedName.c_str(), kPathBufferSize);
    VersionCheckUi.ArchiveTitle[0] = '\0';
    if (!GetSaveFileNameA(&dialog)) return false;
    choice->Path = VersionCheckUi.ArchiveFile;
    choice->FolderLength = dialog.nFileOffset;
    return true;
  }

  bool WriteArchive(const std::string& path, const char* bytes, size_t size) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    while (size > 0 && written) {
      DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
      DWORD done = 0;
      written = WriteFile(file, bytes, chunk, &done, nullptr) && done == chunk;
      bytes += done;
      size -= done;
    }
    return CloseHandle(file) && written;
  }

  void OpenReleasePage(const std::string& address) override {
    ShellExecuteA(MainUi.MainWindow, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }

  void OpenFolder(const std::string& folder) override {
    ShellExecuteA(MainUi.MainWindow, "open", "explorer", folder.c_str(), nullptr, SW_SHOWNORMAL);
  }

 private:
  std::string hostName_;
};

WindowsUpdatePlatform Platform;

// The dialog record that start-up would prepare: no owner, ZIP filter. The
// current directory is left alone, since the main thread opens the help
// file by its bare name.
void PrepareArchiveDialog() {
  OPENFILENAMEA& dialog = VersionCheckUi.ArchiveDialog;
  dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = nullptr;
  dialog.lpstrFilter = text::kArchiveFilter;
  dialog.lpstrFile = VersionCheckUi.ArchiveFile;
  dialog.nMaxFile = kPathBufferSize;
  dialog.lpstrFileTitle = VersionCheckUi.ArchiveTitle;
  dialog.nMaxFileTitle = kPathBufferSize;
  dialog.lpstrDefExt = text::kArchiveExtension;
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
}

std::optional<UpdateServer> ServerFromEnvironment() {
  DWORD needed = GetEnvironmentVariableA(kUpdateServerVariable, nullptr, 0);
  if (needed == 0) return UpdateServerFromSetting(nullptr);
  std::vector<char> value(needed + 1, '\0');
  GetEnvironmentVariableA(kUpdateServerVariable, value.data(), static_cast<DWORD>(value.size()));
  return UpdateServerFromSetting(value.data());
}

// WM_VC_STARTUP: Winsock first; the machine shows why nothing follows.
void OnStartup() {
  WSADATA data;
  VersionCheckUi.WinsockStarted = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  VersionCheckUi.Check->OnStartup(VersionCheckUi.WinsockStarted);
}

// WM_VC_HOSTFOUND: only the lookup still asked for counts.
void OnHostFound(WPARAM task, LPARAM result) {
  if (reinterpret_cast<HANDLE>(task) != VersionCheckUi.Lookup) return;
  VersionCheckUi.Lookup = nullptr;
  bool found = WSAGETASYNCERROR(result) == 0;
  if (found) {
    const hostent* entry = reinterpret_cast<const hostent*>(VersionCheckUi.HostEntry);
    found = entry->h_addrtype == AF_INET && entry->h_length == sizeof(in_addr) &&
            entry->h_addr_list != nullptr && entry->h_addr_list[0] != nullptr;
    if (found) std::memcpy(&VersionCheckUi.Address, entry->h_addr_list[0], sizeof(in_addr));
  }
  VersionCheckUi.Check->OnLookupDone(found);
}

// WM_VC_SOCKET: one Winsock notification for the machine.
void OnSocketNotification(WPARAM socket, LPARAM selection) {
  SocketEvent event;
  switch (WSAGETSELECTEVENT(selection)) {
    case FD_CONNECT: event = SocketEvent::Connect; break;
    case FD_WRITE: event = SocketEvent::Write; break;
    case FD_READ: event = SocketEvent::Read; break;
    case FD_CLOSE: event = SocketEvent::Close; break;
    default: return;
  }
  VersionCheckUi.Check->OnSocket(static_cast<SocketId>(socket), event,
                                 WSAGETSELECTERROR(selection) != 0);
}

// WM_CLOSE: the exchange stops before the window goes, so no handler runs
// against a destroyed window.
void OnClose(HWND window) {
  VersionCheckUi.Check->OnCloseWindow();
  OpenCheckWindow = nullptr;
  DestroyWindow(window);
  if (VersionCheckUi.WinsockStarted) WSACleanup();
  VersionCheckUi.WinsockStarted = false;
}

DWORD WINAPI VersionCheckThread(LPVOID) {
  PrepareArchiveDialog();
  VersionCheckUi.Check =
      std::make_unique<VersionCheck>(ServerFromEnvironment(), OwnVersionValue(), Platform);

  HWND window = CreateScaledWindow(WS_EX_APPWINDOW, "VERCHECK", text::kVersionCheckCaption,
                                   WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, kClientWidth,
                                   kClientHeight, false);
  if (!window) {
    VersionCheckUi.Check.reset();
    return 0;
  }
  VersionCheckUi.Window = window;
  CreateControls(window, kVersionCheckLayout, VersionCheckUi, DpiOfWindow(window));
  OpenCheckWindow = window;
  ShowWindow(window, SW_SHOWNORMAL);
  SendMessageA(VersionCheckUi.ProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendMessageA(window, kMsgStartup, 0, 0);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // Ended from outside (the exit sequence): the exchange stops here.
  if (IsWindow(window)) {
    VersionCheckUi.Check->OnCloseWindow();
    OpenCheckWindow = nullptr;
  }
  VersionCheckUi.Check.reset();
  VersionCheckUi.Window = nullptr;
  return 0;
}

}  // namespace

LRESULT CALLBACK VersionCheckWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!VersionCheckUi.Check) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case kMsgStartup: OnStartup(); return 0;
    case kMsgHostFound: OnHostFound(wParam, lParam); return 0;
    case kMsgSocket: OnSocketNotification(wParam, lParam); return 0;
    case kMsgCompare: VersionCheckUi.Check->OnCompare(); return 0;
    case kMsgRequest: VersionCheckUi.Check->OnRequest(); return 0;
    case WM_CLOSE: OnClose(window); return 0;
    case WM_DPICHANGED: OnDpiChanged(window, wParam, lParam); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void OpenVersionCheckWindow() {
  HANDLE& thread = Workers.VersionCheck;
  if (thread && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) {
    HWND open = OpenCheckWindow.load();
    if (open) {
      if (IsIconic(open)) ShowWindowAsync(open, SW_RESTORE);
      SetForegroundWindow(open);
    }
    return;
  }
  if (thread) CloseHandle(thread);
  thread = CreateThread(nullptr, 0, VersionCheckThread, nullptr, 0, nullptr);
}

}  // namespace belmo
