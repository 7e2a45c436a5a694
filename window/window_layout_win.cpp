#include "window/window_layout_win.h"

#include <commctrl.h>

#include <cstring>

#include "window/dpi_win.h"

namespace belmo {
namespace {

// The control's row rectangle travels with the control, so a window can be
// laid out again without knowing its table (the About window exists once
// per thread, the settings pages are tables of their own).
constexpr char kLayoutProperty[] = "BelmoLayoutRect";
// A scaled window's client size in 96-DPI pixels, kept with the window so a
// change of DPI can size it anew.
constexpr char kClientWidthProperty[] = "BelmoClientWidth96";
constexpr char kClientHeightProperty[] = "BelmoClientHeight96";

bool TakesFont(HWND control) {
  char className[64] = {};
  GetClassNameA(control, className, sizeof className);
  return std::strcmp(className, TRACKBAR_CLASSA) != 0;
}

void Place(HWND control, const Rect96& rect, UINT dpi) {
  SetWindowPos(control, nullptr, Scaled(rect.X, dpi), Scaled(rect.Y, dpi), Scaled(rect.W, dpi),
               Scaled(rect.H, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CALLBACK LayOutOne(HWND control, LPARAM dpiParam) {
  const auto* rect = static_cast<const Rect96*>(GetPropA(control, kLayoutProperty));
  if (!rect) return TRUE;
  const UINT dpi = static_cast<UINT>(dpiParam);
  Place(control, *rect, dpi);
  if (TakesFont(control)) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont(dpi)), TRUE);
  }
  return TRUE;
}

}  // namespace

HWND CreateLaidOutControl(HWND parent, const char* className, const char* text, DWORD exStyle,
                          DWORD style, const Rect96& rect, UINT dpi) {
  HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | style,
                                 Scaled(rect.X, dpi), Scaled(rect.Y, dpi), Scaled(rect.W, dpi),
                                 Scaled(rect.H, dpi), parent, nullptr, GetModuleHandleA(nullptr),
                                 nullptr);
  if (!control) return nullptr;
  SetPropA(control, kLayoutProperty, const_cast<Rect96*>(&rect));
  if (TakesFont(control)) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont(dpi)), FALSE);
  }
  return control;
}

void LayOutControls(HWND window, UINT dpi) {
  EnumChildWindows(window, LayOutOne, static_cast<LPARAM>(dpi));
}

HWND CreateScaledWindow(DWORD exStyle, const char* className, const char* caption, DWORD style,
                        int clientWidth, int clientHeight, bool menuBar, HWND owner) {
  // Where the system puts the window is known only once it exists: it is
  // made for the system DPI, then sized for its monitor's.
  const SIZE size =
      WindowSizeForClient(clientWidth, clientHeight, style, exStyle, menuBar, SystemDpi());
  HWND window = CreateWindowExA(exStyle, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                size.cx, size.cy, owner, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
  if (window) ResizeScaledWindow(window, clientWidth, clientHeight, menuBar);
  return window;
}

void ResizeScaledWindow(HWND window, int clientWidth, int clientHeight, bool menuBar) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  const SIZE size = WindowSizeForClient(clientWidth, clientHeight, style, exStyle, menuBar,
                                        DpiOfWindow(window));
  SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetPropA(window, kClientWidthProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(clientWidth)));
  SetPropA(window, kClientHeightProperty,
           reinterpret_cast<HANDLE>(static_cast<INT_PTR>(clientHeight)));
}

UINT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  const UINT dpi = HIWORD(wParam);
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(window, nullptr, suggested->left, suggested->top,
               suggested->right - suggested->left, suggested->bottom - suggested->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The suggestion scales the frame with the rest, but the frame and the
  // menu bar are not drawn in proportion: the client area would come out
  // a few pixels off, and clip the bottom row going down. The window keeps
  // the suggested place and takes the size its layout needs at this DPI.
  const int width = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(window, kClientWidthProperty)));
  const int height =
      static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(window, kClientHeightProperty)));
  if (width > 0 && height > 0) {
    RECT outer;
    RECT client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    SetWindowPos(window, nullptr, 0, 0,
                 outer.right - outer.left + Scaled(width, dpi) - client.right,
                 outer.bottom - outer.top + Scaled(height, dpi) - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LayOutControls(window, dpi);
  return dpi;
}

}  // namespace belmo
