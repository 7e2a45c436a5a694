#include "app/about_window_win.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "window/dpi_win.h"
#include "window/window_layout_win.h"
#include "window/worker_threads_win.h"

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

// The texts of one About window.
struct AboutHandles {
  HWND Name = nullptr;
  HWND Version = nullptr;
  HWND Release = nullptr;
};

const ControlRow<AboutHandles> kAboutLayout[] = {
    {&AboutHandles::Name, nullptr, "STATIC", text::kAboutName, 0, 0, {10, 13, 180, 14}},
    {&AboutHandles::Version, nullptr, "STATIC", text::kAboutVersion, 0, 0, {10, 33, 180, 14}},
    {&AboutHandles::Release, nullptr, "STATIC", text::kAboutRelease, 0, 0, {10, 53, 180, 14}},
};

HWND CreateAboutWindow() {
  HWND window = CreateScaledWindow(WS_EX_APPWINDOW, "SETWINDOW", text::kAboutCaption,
                                   WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, kClientWidth,
                                   kClientHeight, false);
  AboutHandles handles;
  CreateControls(window, kAboutLayout, handles, DpiOfWindow(window));
  ShowWindow(window, SW_SHOW);
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
