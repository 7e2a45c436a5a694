// Windows built from layout tables: each control's class, text, styles and
// rectangle in 96-DPI pixels, in one table per window. One function creates
// a table's controls and one lays every such control of a window out again
// for a DPI, so the rectangles of a window are written down once.
#pragma once

#include <windows.h>

#include <cstddef>

namespace belmo {

// x, y, width and height in 96-DPI pixels, relative to the parent's client area.
struct Rect96 {
  int X;
  int Y;
  int W;
  int H;
};

// One control. Handles is the struct that keeps the window's handles:
// handle names the field that receives this control's handle (nullptr for
// a control nobody refers to again), parent the field of its parent
// (nullptr: the parent given to CreateControls).
template <typename Handles>
struct ControlRow {
  HWND Handles::*Handle;
  HWND Handles::*Parent;
  const char* ClassName;
  const char* Text;  // nullptr: filled in after creation
  DWORD ExStyle;
  DWORD Style;  // besides WS_CHILD | WS_VISIBLE
  Rect96 Rect;
  bool StartsHidden = false;
};

// Creates a control at rect scaled to dpi and gives it the shared font of
// that DPI (trackbars draw no text and get none). The rectangle is
// remembered with the control for LayOutControls, so it must outlive the
// control: a row of a table with static storage.
HWND CreateLaidOutControl(HWND parent, const char* className, const char* text, DWORD exStyle,
                          DWORD style, const Rect96& rect, UINT dpi);

// Moves and sizes every control of the window that was created from a row,
// and gives it the font, for dpi.
void LayOutControls(HWND window, UINT dpi);

// A top-level window at the default position whose client area is
// clientWidth x clientHeight 96-DPI pixels at the DPI of the monitor it is
// on (with a menu bar's height added when it will have one).
HWND CreateScaledWindow(DWORD exStyle, const char* className, const char* caption, DWORD style,
                        int clientWidth, int clientHeight, bool menuBar, HWND owner = nullptr);
// Sizes such a window again, for a new client height or width.
void ResizeScaledWindow(HWND window, int clientWidth, int clientHeight, bool menuBar);

// WM_DPICHANGED: the window takes the rectangle the system suggests and its
// controls are laid out for the new DPI (wParam carries it, lParam the
// rectangle). Returns the new DPI.
UINT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam);

template <typename Handles, size_t Count>
void CreateControls(HWND parent, const ControlRow<Handles> (&rows)[Count], Handles& handles,
                    UINT dpi) {
  for (const ControlRow<Handles>& row : rows) {
    HWND rowParent = row.Parent ? handles.*row.Parent : parent;
    DWORD style = row.StartsHidden ? row.Style : row.Style | WS_VISIBLE;
    HWND control = CreateLaidOutControl(rowParent, row.ClassName, row.Text ? row.Text : "",
                                        row.ExStyle, style, row.Rect, dpi);
    if (row.Handle) handles.*row.Handle = control;
  }
}

}  // namespace belmo
