#include "window/dpi_win.h"

#include <mutex>
#include <utility>
#include <vector>

#include "window/window_texts.h"

namespace belmo {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

// Looked up at run time: linking them would keep the program from starting
// on a Windows that lacks them.
template <typename Fn>
Fn User32Function(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

struct DpiFunctions {
  GetDpiForWindowFn ForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  GetDpiForSystemFn ForSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
  AdjustWindowRectExForDpiFn AdjustRect =
      User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  GetSystemMetricsForDpiFn Metrics =
      User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
};

const DpiFunctions& Dpi() {
  static const DpiFunctions functions;
  return functions;
}

struct FontCache {
  std::mutex Lock;
  std::vector<std::pair<UINT, HFONT>> Fonts;
};

FontCache Fonts;

int MetricForDpi(int index, UINT dpi) {
  return Dpi().Metrics ? Dpi().Metrics(index, dpi) : GetSystemMetrics(index);
}

}  // namespace

UINT SystemDpi() {
  if (Dpi().ForSystem) return Dpi().ForSystem();
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

UINT DpiOfWindow(HWND window) {
  if (Dpi().ForWindow && window) {
    const UINT dpi = Dpi().ForWindow(window);
    if (dpi > 0) return dpi;
  }
  return SystemDpi();
}

SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                         bool menuBar, UINT dpi) {
  RECT rect = {0, 0, Scaled(clientWidth, dpi), Scaled(clientHeight, dpi)};
  if (Dpi().AdjustRect) {
    Dpi().AdjustRect(&rect, style, FALSE, exStyle, dpi);
  } else {
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  // The menu bar is counted at the height of a menu button, as the layout
  // of the main window has always been.
  const int menu = menuBar ? MetricForDpi(SM_CYMENUSIZE, dpi) : 0;
  return {rect.right - rect.left, rect.bottom - rect.top + menu};
}

HFONT SharedFont(UINT dpi) {
  std::lock_guard<std::mutex> guard(Fonts.Lock);
  for (const auto& [fontDpi, font] : Fonts.Fonts) {
    if (fontDpi == dpi) return font;
  }
  HFONT font = CreateFontA(-Scaled(12, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           SHIFTJIS_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                           FF_SWISS | DEFAULT_PITCH, text::kMainFontFace);
  Fonts.Fonts.emplace_back(dpi, font);
  return font;
}

}  // namespace belmo
