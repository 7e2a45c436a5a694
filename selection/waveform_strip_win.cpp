#include "selection/waveform_strip_win.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "document/document_state.h"
#include "places/places_state.h"
#include "selection/changed_spans.h"
#include "selection/keyboard_navigation_win.h"
#include "selection/playback_win.h"
#include "selection/range_controls_win.h"
#include "selection/sample_range.h"
#include "selection/waveform_envelope.h"
#include "selection/waveform_view.h"
#include "settings/settings_state_win.h"
#include "window/command_ids.h"
#include "window/dpi_win.h"
#include "window/main_window_handles_win.h"

namespace belmo {
namespace {

// Posted by the playback thread; wParam is the position in milliseconds.
constexpr UINT kMsgPlayPosition = WM_USER + 0x10;

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kSelected = RGB(204, 226, 250);
constexpr COLORREF kMasked = RGB(252, 224, 196);
constexpr COLORREF kSelectedMasked = RGB(226, 212, 236);
constexpr COLORREF kWave = RGB(32, 64, 140);
constexpr COLORREF kMaskedWave = RGB(200, 90, 20);
constexpr COLORREF kCentreLine = RGB(176, 176, 176);
constexpr COLORREF kPlayLine = RGB(220, 0, 0);
constexpr COLORREF kPlaceOutline = RGB(200, 90, 20);

// The strip's program-wide state; main thread only.
struct WaveformStripState {
  WaveformEnvelope Envelope;  // of the open image, while the strip is shown
  bool EnvelopeCurrent = false;
  ChangedSpans Changed;       // what the masks changed since the last load
  WaveformView View;
  bool Dragging = false;
  StripDrag Drag;
  bool ShowsPlayPosition = false;
  uint32_t PlayPositionMs = 0;
  int WheelRest = 0;  // part of a notch from a fine-grained wheel
};

WaveformStripState Strip;

HWND StripWindow() { return MainUi.WaveformStrip; }

bool Shown() { return Settings.Display.ShowWaveform; }

int StripWidth() {
  RECT client = {};
  GetClientRect(StripWindow(), &client);
  return client.right;
}

// The document's sample frames: the whole frames of its data chunk.
SampleData DocumentSamples() {
  SampleData data;
  data.Format = Document.Format;
  const int64_t start = Document.Format.DataStart();
  const int frameBytes = data.Format.FrameBytes();
  const int64_t end = Document.Format.WholeFramesEnd();
  if (!Document.IsOpen() || frameBytes <= 0 || start >= end) return data;
  data.Bytes = Document.Image.data() + start;
  data.Frames = static_cast<size_t>(end - start) / frameBytes;
  return data;
}

// The frames of every span the last edit changed.
std::vector<FrameSpan> UndoSpanFrames() {
  std::vector<FrameSpan> frames;
  for (const auto& [start, end] : UndoSpans(Undo)) {
    frames.push_back(FramesOfByteSpan(start, end, Document.Format.DataStart(),
                                      Document.Format.FrameBytes()));
  }
  return frames;
}

void Redraw() {
  if (StripWindow()) InvalidateRect(StripWindow(), nullptr, FALSE);
}

// One pass over the samples, only while the strip is on show.
void EnsureEnvelope() {
  if (Strip.EnvelopeCurrent || !Shown() || !Document.IsOpen()) return;
  Strip.Envelope.Build(DocumentSamples());
  Strip.EnvelopeCurrent = true;
}

void ReleaseEnvelope() {
  Strip.Envelope.Clear();
  Strip.EnvelopeCurrent = false;
}

void UpdateEnvelopeOver(FrameSpan span) {
  if (Strip.EnvelopeCurrent) Strip.Envelope.Update(DocumentSamples(), span.First, span.End);
  Redraw();
}

int GripPixels(HWND strip) { return Scaled(kEdgeGripPixels, DpiOfWindow(strip)); }

bool AcceptsInput(HWND strip) {
  return IsWindowEnabled(strip) && Document.IsOpen() && !IsPlaying(Playback.load());
}

// --- Drawing -------------------------------------------------------------

COLORREF ColumnBackground(bool selected, bool masked, bool enabled) {
  if (!enabled) return GetSysColor(COLOR_BTNFACE);
  if (selected) return masked ? kSelectedMasked : kSelected;
  return masked ? kMasked : kBackground;
}

void FillColumns(HDC dc, int left, int right, int height, COLORREF colour) {
  RECT rect = {left, 0, right, height};
  SetBkColor(dc, colour);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void DrawLine(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, old);
  DeleteObject(pen);
}

struct Lanes {
  int count = 1;
  int height = 0;
  int Middle(int lane) const { return lane * height + height / 2; }
  int Half() const { return std::max(1, height / 2 - 1); }
};

// Background columns first (range, masked spans), then a line per column
// and channel from the column's minimum to its maximum.
void DrawWave(HDC dc, int width, int height, bool enabled) {
  const SampleData samples = DocumentSamples();
  const bool hasWave = Strip.EnvelopeCurrent && !Strip.Envelope.Empty();
  Lanes lanes;
  lanes.count = hasWave ? Strip.Envelope.Channels() : 1;
  lanes.height = height / lanes.count;
  const int64_t rangeLeft = ColumnOfMs(Strip.View, std::min(Range.start, Range.end));
  const int64_t rangeRight = ColumnOfMs(Strip.View, std::max(Range.start, Range.end));
  const bool rangeShown = Document.IsOpen() && Range.start != Range.end;

  struct Column {
    size_t first = 0;
    size_t end = 0;
    bool masked = false;
  };
  std::vector<Column> columns(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) {
    Column& column = columns[x];
    ColumnFrames(Strip.View, x, static_cast<int32_t>(Document.Format.SampleRate), &column.first,
                 &column.end);
    column.end = std::max(column.end, column.first + 1);
    column.masked = Document.IsOpen() && Strip.Changed.Touches(column.first, column.end);
    const bool selected = rangeShown && x >= rangeLeft && x <= rangeRight;
    FillColumns(dc, x, x + 1, height, ColumnBackground(selected, column.masked, enabled));
  }
  for (int lane = 0; lane < lanes.count; ++lane) {
    DrawLine(dc, 0, lanes.Middle(lane), width, lanes.Middle(lane), kCentreLine);
  }
  if (!hasWave) return;

  const int frameLimit = static_cast<int>(std::min<size_t>(samples.Frames, INT32_MAX));
  HPEN wave = CreatePen(PS_SOLID, 1, enabled ? kWave : GetSysColor(COLOR_GRAYTEXT));
  HPEN maskedWave = CreatePen(PS_SOLID, 1, enabled ? kMaskedWave : GetSysColor(COLOR_GRAYTEXT));
  HGDIOBJ old = SelectObject(dc, wave);
  Peak peaks[2];
  for (int x = 0; x < width; ++x) {
    const Column& column = columns[x];
    if (column.first >= static_cast<size_t>(frameLimit)) break;
    Strip.Envelope.Peaks(samples, column.first, column.end, peaks);
    SelectObject(dc, column.masked ? maskedWave : wave);
    for (int lane = 0; lane < lanes.count; ++lane) {
      const int top = lanes.Middle(lane) - static_cast<int>(peaks[lane].Max * lanes.Half());
      const int bottom = lanes.Middle(lane) - static_cast<int>(peaks[lane].Min * lanes.Half());
      MoveToEx(dc, x, top, nullptr);
      LineTo(dc, x, bottom + 1);
    }
  }
  SelectObject(dc, old);
  DeleteObject(wave);
  DeleteObject(maskedWave);
}

// The places of the list not masked yet, each as an outline over its
// span; a masked one already shows in the masks' tint.
void DrawPlaceMarks(HDC dc, int width, int height, bool enabled) {
  if (!Document.IsOpen()) return;
  HPEN pen = CreatePen(PS_SOLID, 1, enabled ? kPlaceOutline : GetSysColor(COLOR_GRAYTEXT));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  for (const Place& place : Places.Rows()) {
    if (place.State != PlaceState::Unmasked) continue;
    const int64_t left = ColumnOfMs(Strip.View, place.Range.start);
    const int64_t right = ColumnOfMs(Strip.View, place.Range.end);
    if (right < 0 || left >= width) continue;
    Rectangle(dc, static_cast<int>(std::max<int64_t>(left, -1)), 0,
              static_cast<int>(std::min<int64_t>(right + 1, width + 1)), height);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void DrawStrip(HWND strip, HDC dc, int width, int height) {
  const bool enabled = IsWindowEnabled(strip) != FALSE;
  DrawWave(dc, width, height, enabled);
  DrawPlaceMarks(dc, width, height, enabled);
  if (Strip.ShowsPlayPosition) {
    const int64_t column = ColumnOfMs(Strip.View, Strip.PlayPositionMs);
    if (column >= 0 && column < width) {
      const int x = static_cast<int>(column);
      DrawLine(dc, x, 0, x, height, kPlayLine);
    }
  }
  if (GetFocus() == strip) {
    RECT focus = {0, 0, width, height};
    DrawFocusRect(dc, &focus);
  }
}

// Drawn into a bitmap first and copied in one go, so nothing flickers.
void OnPaint(HWND strip) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(strip, &paint);
  RECT client;
  GetClientRect(strip, &client);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1),
                                          std::max<LONG>(client.bottom, 1));
  HGDIOBJ old = SelectObject(memory, bitmap);
  DrawStrip(strip, memory, client.right, client.bottom);
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(strip, &paint);
}

// --- Mouse ---------------------------------------------------------------

void DragTo(int x) {
  SampleRange range;
  if (DraggedRange(Strip.Drag, Strip.View, Document.LengthMs, x, &range)) {
    SetRange(range, RangeSource::Program);
  }
}

void OnButtonDown(HWND strip, int x) {
  if (!AcceptsInput(strip)) return;
  SetFocus(strip);
  SetCapture(strip);
  Strip.Drag = PressAt(Strip.View, Range, Document.LengthMs, x, GripPixels(strip));
  Strip.Dragging = true;
}

void OnMouseMove(HWND strip, int x) {
  if (!Strip.Dragging) return;
  if (!AcceptsInput(strip)) {
    Strip.Dragging = false;
    return;
  }
  DragTo(x);
}

void OnButtonUp(HWND strip, int x) {
  if (!Strip.Dragging) return;
  OnMouseMove(strip, x);
  Strip.Dragging = false;
  if (GetCapture() == strip) ReleaseCapture();
}

void OnDoubleClick(HWND strip) {
  if (!AcceptsInput(strip)) return;
  Strip.View = ZoomedToRange(Range, Document.LengthMs, StripWidth());
  Redraw();
}

// Wheel: zoom by 2 a notch around the pointer; with Shift held, scroll.
void OnWheel(HWND strip, WPARAM wParam, LPARAM lParam) {
  if (!AcceptsInput(strip)) return;
  Strip.WheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
  const int notches = Strip.WheelRest / WHEEL_DELTA;
  Strip.WheelRest %= WHEEL_DELTA;
  if (notches == 0) return;
  POINT pointer = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(strip, &pointer);
  const int width = StripWidth();
  if (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) {
    Strip.View = Scrolled(Strip.View, Document.LengthMs, width, notches);
  } else {
    Strip.View = Zoomed(Strip.View, Document.LengthMs, width, pointer.x, notches);
  }
  Redraw();
}

// Over an edge of the range the pointer shows that the edge can be moved.
bool OnSetCursor(HWND strip) {
  if (!AcceptsInput(strip)) return false;
  POINT pointer;
  GetCursorPos(&pointer);
  ScreenToClient(strip, &pointer);
  if (PressAt(Strip.View, Range, Document.LengthMs, pointer.x, GripPixels(strip)).Grip ==
      StripGrip::NewRange) {
    return false;
  }
  SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
  return true;
}

void OnPlayPosition(uint32_t positionMs) {
  // A position that arrives after playback has ended draws nothing.
  if (!IsPlaying(Playback.load())) return;
  Strip.ShowsPlayPosition = true;
  Strip.PlayPositionMs = positionMs;
  Redraw();
}

void ResetView() { Strip.View = WholeRecording(Document.LengthMs, StripWidth()); }

}  // namespace

LRESULT CALLBACK WaveformStripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: OnPaint(strip); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: OnButtonDown(strip, GET_X_LPARAM(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(strip, GET_X_LPARAM(lParam)); return 0;
    case WM_LBUTTONUP: OnButtonUp(strip, GET_X_LPARAM(lParam)); return 0;
    case WM_LBUTTONDBLCLK: OnDoubleClick(strip); return 0;
    case WM_CAPTURECHANGED: Strip.Dragging = false; return 0;
    case WM_MOUSEWHEEL: OnWheel(strip, wParam, lParam); return 0;
    case WM_SETCURSOR:
      if (OnSetCursor(strip)) return TRUE;
      break;
    case WM_SIZE: ResetView(); Redraw(); return 0;
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS: Redraw(); return 0;
    case WM_CHAR:
      if (HandleNavigationMessage(strip, message, wParam)) return 0;
      break;
    case kMsgPlayPosition: OnPlayPosition(static_cast<uint32_t>(wParam)); return 0;
  }
  return DefWindowProcA(strip, message, wParam, lParam);
}

void ToggleWaveformStrip() {
  Settings.Display.ShowWaveform = !Settings.Display.ShowWaveform;
  ApplyWaveformChoice();
}

void ApplyWaveformChoice() {
  const bool shown = Shown();
  CheckMenuItem(MainUi.MenuBar, kCmdShowWaveform,
                MF_BYCOMMAND | (shown ? MF_CHECKED : MF_UNCHECKED));
  SizeMainWindow(shown);
  if (shown) {
    EnsureEnvelope();
    ResetView();
  } else {
    // Nothing of the summary is kept while nobody looks at it.
    ReleaseEnvelope();
  }
  ShowWindow(StripWindow(), shown ? SW_SHOWNA : SW_HIDE);
}

void WaveformAfterLoad() {
  // A drag begun on the recording before (a file handed over mid-drag)
  // has no meaning in this one.
  Strip.Dragging = false;
  if (GetCapture() == StripWindow()) ReleaseCapture();
  ReleaseEnvelope();
  Strip.Changed.Clear();
  EnsureEnvelope();
  ResetView();
  Redraw();
}

void WaveformAfterMask() {
  const std::vector<FrameSpan> spans = UndoSpanFrames();
  Strip.Changed.AddEdit(spans);
  for (const FrameSpan& span : spans) UpdateEnvelopeOver(span);
}

void WaveformAfterUndo() {
  Strip.Changed.ToggleLastEdit();
  for (const FrameSpan& span : UndoSpanFrames()) UpdateEnvelopeOver(span);
}

void WaveformRangeChanged() { Redraw(); }

void WaveformShowRange() {
  if (!Shown() || !Document.IsOpen()) return;
  Strip.View = ZoomedToRange(Range, Document.LengthMs, StripWidth());
  Redraw();
}

void WaveformPlacesChanged() { Redraw(); }

bool WaveformTakesWheel(WPARAM wParam, LPARAM lParam) {
  HWND strip = StripWindow();
  if (!strip || !IsWindowVisible(strip)) return false;
  RECT area;
  GetWindowRect(strip, &area);
  POINT pointer = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (!PtInRect(&area, pointer)) return false;
  OnWheel(strip, wParam, lParam);
  return true;
}

void WaveformShowPlayPosition(uint32_t positionMs) {
  if (HWND strip = StripWindow()) PostMessageA(strip, kMsgPlayPosition, positionMs, 0);
}

void WaveformPlaybackEnded() {
  Strip.ShowsPlayPosition = false;
  Redraw();
}

}  // namespace belmo
