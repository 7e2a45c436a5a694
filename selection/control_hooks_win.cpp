#include "selection/control_hooks_win.h"

namespace belmo {
namespace {

// The previous procedure travels with the window itself, so any number of
// windows (and later windows on other threads) can share one hook.
constexpr char kPreviousProcProperty[] = "BelmoPreviousProc";

}  // namespace

void Subclass(HWND control, WNDPROC hook) {
  LONG_PTR previous = SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook));
  SetPropA(control, kPreviousProcProperty, reinterpret_cast<HANDLE>(previous));
}

LRESULT CallPrevious(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(control, kPreviousProcProperty));
  if (!previous) return DefWindowProcA(control, message, wParam, lParam);
  return CallWindowProcA(previous, control, message, wParam, lParam);
}

}  // namespace belmo
