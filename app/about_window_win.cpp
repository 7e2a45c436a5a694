#include "app/about_window_win.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "app/main_window_win.h"
#include "app/worker_threads_win.h"

namespace belmo {
namespace {

constexpr int kClientWidth = 300;
constexpr int kClientHeight = 130;

// Each command opens one more window on one more thread, while the
// exit sequence knows only the newest thread. The one that is asked to end
// passes the request on to the others still open.
struct AboutThreads {
  std::mutex Lock;
  std::vector<DWORD> Open;
};

AboutThreads About;

HWND CreateAboutWindow() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const int frameX = GetSystemMetrics(SM_CXDLGFRAME);
  const int frameY = GetSystemMetrics(SM_CYDLGFRAME);
  HWND window = CreateWindowExA(WS_EX_APPWINDOW, "SETWINDOW", text::kAboutCaption,
                                WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                CW_USEDEFAULT, kClientWidth + 2 * frameX,
                                kClientHeight + 2 * frameY + GetSystemMetrics(SM_CYCAPTION),
                                nullptr, nullptr, instance, nullptr);
  const struct {
    const char* text;
    int y;
  } lines[] = {{text::kAboutName, 13}, {text::kAboutVersion, 33}, {text::kAboutRelease, 53}};
  HWND labels[3];
  for (int i = 0; i < 3; ++i) {
    labels[i] = CreateWindowExA(0, "STATIC", lines[i].text, WS_CHILD | WS_VISIBLE, 10, lines[i].y,
                                180, 14, window, nullptr, instance, nullptr);
  }
  ShowWindow(window, SW_SHOW);
  for (HWND label : labels) {
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(MainUi.MainFont), TRUE);
  }
  return window;
}

void PassQuitToOtherAboutThreads(DWORD self) {
  std::lock_guard<std::mutex> guard(About.Lock);
  for (DWORD thread : About.Open) {
    if (thread != self) PostThreadMessageA(thread, WM_QUIT, 0, 0);
  }
}

DWORD WINAPI AboutThread(void*) {
  const DWORD self = GetCurrentThreadId();
  {
    std::lock_guard<std::mutex> guard(About.Lock);
    About.Open.push_back(self);
  }
  HWND window = CreateAboutWindow();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // Still open: the quit came from outside, not from the close button.
  if (IsWindow(window)) {
    PassQuitToOtherAboutThreads(self);
    DestroyWindow(window);
  }
  std::lock_guard<std::mutex> guard(About.Lock);
  About.Open.erase(std::remove(About.Open.begin(), About.Open.end(), self), About.Open.end());
  return 0;
}

}  // namespace

void OpenAboutWindow() {
  HANDLE thread = CreateThread(nullptr, 0, AboutThread, nullptr, 0, nullptr);
  if (!thread) return;
  if (Workers.About) CloseHandle(Workers.About);
  Workers.About = thread;
}

}  // namespace belmo
