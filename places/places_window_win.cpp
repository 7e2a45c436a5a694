#include "places/places_window_win.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "cli/cli_values.h"
#include "document/document_state.h"
#include "document/win32_platform_win.h"
#include "effects/apply_mask.h"
#include "effects/apply_mask_win.h"
#include "places/places_state.h"
#include "places/places_texts.h"
#include "places/transcript_dialog_win.h"
#include "selection/control_hooks_win.h"
#include "selection/playback_win.h"
#include "selection/range_controls_win.h"
#include "selection/waveform_strip_win.h"
#include "transcript/transcript.h"
#include "transcript/transcript_search.h"
#include "window/command_states_win.h"
#include "window/dpi_win.h"
#include "window/main_window_handles_win.h"
#include "window/message_box_win.h"
#include "window/window_layout_win.h"
#include "window/window_texts.h"
#include "window/utf8_path.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

struct PlacesHandles {
  HWND Window = nullptr;
  HWND List = nullptr;
  HWND AddRange = nullptr;
  HWND Import = nullptr;
  HWND Export = nullptr;
  HWND Delete = nullptr;
  HWND Mark = nullptr;
  HWND MaskChoice = nullptr;
  HWND MaskAll = nullptr;
};

PlacesHandles Ui;
// Counts the recordings loaded, so that what a question about a file found
// is not added to a recording loaded while the question waited.
unsigned LoadsSeen = 0;

// Marking while listening: where the key or the button went down.
struct ListeningMark {
  bool Held = false;
  uint32_t StartMs = 0;
};
ListeningMark Marking;

constexpr int kClientWidth = 480;
constexpr int kClientHeight = 300;
// The buttons' column keeps its width and follows the right edge; the list
// takes the rest of a resized window.
constexpr int kColumnX = 350;
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;

using Row = ControlRow<PlacesHandles>;
using H = PlacesHandles;

const Row kLayout[] = {
    {&H::List, nullptr, WC_LISTVIEWA, "", WS_EX_CLIENTEDGE,
     WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL, {10, 10, 330, 280}},
    {&H::AddRange, nullptr, "BUTTON", text::kButtonAddRange, 0, WS_TABSTOP | BS_PUSHBUTTON,
     {kColumnX, 10, 120, 24}},
    {&H::Import, nullptr, "BUTTON", text::kButtonImport, 0, WS_TABSTOP | BS_PUSHBUTTON,
     {kColumnX, 40, 120, 24}},
    {&H::Export, nullptr, "BUTTON", text::kButtonExport, 0, WS_TABSTOP | BS_PUSHBUTTON,
     {kColumnX, 70, 120, 24}},
    {&H::Delete, nullptr, "BUTTON", text::kButtonDelete, 0, WS_TABSTOP | BS_PUSHBUTTON,
     {kColumnX, 100, 120, 24}},
    {&H::Mark, nullptr, "BUTTON", text::kButtonMarkWhileListening, 0,
     WS_TABSTOP | BS_PUSHBUTTON, {kColumnX, 130, 120, 24}},
    {nullptr, nullptr, "STATIC", text::kLabelMaskChoice, 0, 0, {kColumnX, 178, 120, 12}},
    {&H::MaskChoice, nullptr, "COMBOBOX", "", 0, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
     {kColumnX, 192, 120, 120}},
    {&H::MaskAll, nullptr, "BUTTON", text::kButtonMaskAll, 0, WS_TABSTOP | BS_PUSHBUTTON,
     {kColumnX, 222, 120, 30}},
};

const char* const kColumns[] = {text::kColumnStart, text::kColumnEnd, text::kColumnLength,
                                text::kColumnText, text::kColumnState};
constexpr int kColumnWidths[] = {55, 55, 45, 85, 70};

void ShowNamed(const char* message, const std::string& path) {
  ShowProductMessageWithName(Ui.Window, message, path, MB_OK | MB_ICONWARNING);
}

int SelectedRow() {
  if (!Ui.List) return -1;
  return static_cast<int>(SendMessageA(Ui.List, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                       LVNI_SELECTED));
}

void SetCell(int row, int column, const std::string& value) {
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(value.c_str());
  if (column == 0) {
    item.mask = LVIF_TEXT;
    item.iItem = row;
    SendMessageA(Ui.List, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  } else {
    SendMessageA(Ui.List, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
  }
}

// The list view shows the list as it is, with selectRow selected (-1: none).
void ShowRows(int selectRow) {
  if (!Ui.List) return;
  SendMessageA(Ui.List, WM_SETREDRAW, FALSE, 0);
  SendMessageA(Ui.List, LVM_DELETEALLITEMS, 0, 0);
  const auto& rows = Places.Rows();
  for (size_t i = 0; i < rows.size(); ++i) {
    const Place& place = rows[i];
    const int row = static_cast<int>(i);
    SetCell(row, 0, SecondsText(place.Range.start));
    SetCell(row, 1, SecondsText(place.Range.end));
    SetCell(row, 2, SecondsText(place.Range.end - place.Range.start));
    SetCell(row, 3, Recode(place.Text, CP_UTF8, 932));
    SetCell(row, 4, text::kPlaceStates[static_cast<int>(place.State)]);
  }
  if (selectRow >= 0 && selectRow < static_cast<int>(rows.size())) {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(Ui.List, LVM_SETITEMSTATE, static_cast<WPARAM>(selectRow),
                 reinterpret_cast<LPARAM>(&state));
    SendMessageA(Ui.List, LVM_ENSUREVISIBLE, static_cast<WPARAM>(selectRow), FALSE);
  }
  SendMessageA(Ui.List, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(Ui.List, nullptr, TRUE);
}

void ListChanged(int selectRow) {
  ShowRows(selectRow);
  WaveformPlacesChanged();
}

bool Editable() { return Document.IsOpen() && !IsPlaying(Playback.load()); }

void AddPlace(SampleRange range, std::string textUtf8) {
  const size_t index = Places.Add(range, std::move(textUtf8));
  ListChanged(static_cast<int>(index));
}

void OnAddRange() {
  if (!Editable()) return;
  if (!RangeIsUsable(Range, Document.LengthMs)) {
    MessageBoxA(Ui.Window, text::kPlacesRangeInvalid, text::kProductName, MB_OK | MB_ICONWARNING);
    return;
  }
  AddPlace(Range, std::string());
}

// A label file's text is UTF-8 as audio editors write it; a file written
// on a Japanese Windows may hold code page 932 instead.
std::string LabelAsUtf8(const std::string& label) {
  if (label.empty()) return label;
  const bool utf8 = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, label.data(),
                                        static_cast<int>(label.size()), nullptr, 0) > 0;
  return utf8 ? label : Recode(label, 932, CP_UTF8);
}

// The filters end in two zero bytes, which a text's length does not count.
std::wstring WideFilter(const char* filter) {
  const char* end = filter;
  while (end[0] != '\0' || end[1] != '\0') ++end;
  return WideOfCp932(std::string_view(filter, static_cast<size_t>(end - filter) + 2));
}

// The wide dialog, so that a label file of any name can be chosen; *path
// (UTF-8) is the name offered and the one chosen.
bool ChooseFile(bool save, std::string* path) {
  constexpr DWORD kUnits = 1024;
  const std::wstring filter = WideFilter(save ? text::kLabelFilter : text::kPlacesFilter);
  std::wstring file = WideOf(*path);
  file.resize(kUnits, L'\0');
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Ui.Window;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kUnits;
  dialog.lpstrDefExt = L"txt";
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return false;
  *path = Utf8Of(file.c_str());
  return true;
}

// A transcript: the words asked for become rows where they were spoken.
void ImportTranscript(const std::string& content, const std::string& path) {
  Transcript transcript;
  if (ReadTranscript(content, &transcript).outcome != TranscriptRead::Ok) {
    ShowNamed(text::kPlacesFileNotUnderstood, path);
    return;
  }
  std::vector<LabeledRange> found;
  const unsigned loads = LoadsSeen;
  if (!AskTranscriptPlaces(Ui.Window, transcript, path, Document.LengthMs, &found)) return;
  if (loads != LoadsSeen || !Ui.Window) return;
  int last = -1;
  for (LabeledRange& place : found) {
    last = static_cast<int>(Places.Add(place.range, std::move(place.text)));
  }
  ListChanged(last);
}

// A label or ranges file: its ranges become rows, each with its label. The
// list changes only when the whole file could be taken.
void ImportFile(const std::string& path) {
  Win32FileStore files;
  const std::unique_ptr<FileView> view = files.OpenView(path);
  if (!view) {
    ShowNamed(text::kPlacesFileNotRead, path);
    return;
  }
  // A transcript of many hours is a few megabytes; a file far larger is a
  // recording or an archive chosen by mistake, and copying it for the
  // readers could take the memory the recording needs.
  constexpr size_t kLargestListFile = size_t{64} << 20;
  if (view->Size() > kLargestListFile) {
    ShowNamed(text::kPlacesFileNotUnderstood, path);
    return;
  }
  const std::string content =
      view->Size() == 0 ? std::string()
                        : std::string(reinterpret_cast<const char*>(view->Data()), view->Size());
  std::vector<ListedRange> ranges;
  int badLine = 0;
  if (!ReadRangesText(content, &ranges, &badLine) || ranges.empty()) {
    ImportTranscript(content, path);
    return;
  }
  for (const ListedRange& range : ranges) {
    if (range.start < 0 || range.start >= range.end) {
      ShowNamed(text::kPlacesFileNotUnderstood, path);
      return;
    }
    if (range.end > Document.LengthMs) {
      ShowNamed(text::kPlacesFilePastEnd, path);
      return;
    }
  }
  int last = -1;
  for (const ListedRange& range : ranges) {
    last = static_cast<int>(Places.Add(
        {static_cast<uint32_t>(range.start), static_cast<uint32_t>(range.end)},
        LabelAsUtf8(range.label)));
  }
  ListChanged(last);
}

void OnImport() {
  if (!Editable()) return;
  std::string path;
  if (!ChooseFile(false, &path)) return;
  ImportFile(path);
}

void OnExport() {
  std::string path = Utf8FileName(Document.Title);
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos) path.resize(dot);
  path += ".txt";
  if (!ChooseFile(true, &path)) return;
  const std::string labels = Places.ToLabelText(text::kPlaceStatesUtf8);
  Win32FileStore files;
  std::unique_ptr<FileWriter> writer = files.BeginReplace(path);
  const bool written =
      writer && writer->Append(reinterpret_cast<const uint8_t*>(labels.data()), labels.size()) &&
      writer->Commit();
  if (written) {
    Places.MarkWritten();
  } else {
    ShowNamed(text::kPlacesNotWritten, path);
  }
}

void OnDelete() {
  const int row = SelectedRow();
  if (row < 0) return;
  Places.Remove(static_cast<size_t>(row));
  const int remaining = static_cast<int>(Places.Rows().size());
  ListChanged(row < remaining ? row : remaining - 1);
}

MaskKind ChosenMask() {
  const LRESULT chosen = SendMessageA(Ui.MaskChoice, CB_GETCURSEL, 0, 0);
  return chosen >= 0 && chosen <= 3 ? static_cast<MaskKind>(chosen) : MaskKind::Sine;
}

void OnMaskAll() {
  if (!Editable()) return;
  const std::vector<SampleRange> ranges = Places.UnmaskedRanges();
  if (ranges.empty()) {
    MessageBoxA(Ui.Window, text::kPlacesNothingToMask, text::kProductName,
                MB_OK | MB_ICONINFORMATION);
    return;
  }
  const size_t done = ApplyMaskToRanges(ChosenMask(), ranges);
  if (done == 0) return;
  char finished[160];
  std::snprintf(finished, sizeof finished, text::kPlacesMaskFinishedFormat, done);
  ShowProductMessage(finished, MB_OK | MB_ICONINFORMATION);
}

// A chosen row becomes the main window's range, through the one writer of
// the range, and the strip shows it.
void OnRowChosen(int row) {
  if (row < 0 || row >= static_cast<int>(Places.Rows().size()) || !Editable()) return;
  const SampleRange range = Places.Rows()[static_cast<size_t>(row)].Range;
  if (!RangeIsUsable(range, Document.LengthMs)) return;
  SetRange(range, RangeSource::Program);
  WaveformShowRange();
}

void PlayChosenRow() {
  const int row = SelectedRow();
  if (row < 0 && !IsPlaying(Playback.load())) return;
  if (row >= 0 && !IsPlaying(Playback.load())) OnRowChosen(row);
  OnPlayButton();
}

void BeginListeningMark() {
  uint32_t heard = 0;
  if (Marking.Held || !HeardPosition(&heard)) return;
  Marking = {true, heard};
}

void EndListeningMark() {
  if (!Marking.Held) return;
  Marking.Held = false;
  uint32_t heard = 0;
  // Playback that reached its end meanwhile ends the mark at the range's end.
  if (!HeardPosition(&heard)) heard = Range.end;
  if (heard > Marking.StartMs) AddPlace({Marking.StartMs, heard}, std::string());
}

// The list and the button mark while held: the key (Space) or the mouse
// button down starts the mark, up ends it.
LRESULT CALLBACK MarkingProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool space = wParam == VK_SPACE;
  switch (message) {
    case WM_KEYDOWN:
      if (space) {
        if ((lParam & (1 << 30)) == 0) BeginListeningMark();
        return 0;
      }
      break;
    case WM_KEYUP:
      if (space) {
        EndListeningMark();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == ' ') return 0;
      break;
    case WM_LBUTTONDOWN:
      if (control == Ui.Mark) BeginListeningMark();
      break;
    case WM_LBUTTONUP:
      if (control == Ui.Mark) EndListeningMark();
      break;
    case WM_KILLFOCUS:
      EndListeningMark();
      break;
  }
  return CallPrevious(control, message, wParam, lParam);
}

void AddColumns(UINT dpi) {
  for (int i = 0; i < 5; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    column.fmt = i < 3 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = Scaled(kColumnWidths[i], dpi);
    column.pszText = const_cast<char*>(kColumns[i]);
    column.iSubItem = i;
    SendMessageA(Ui.List, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&column));
  }
}

// Anchors: the list grows with the window, the buttons' column follows
// its right edge.
void LayOutForSize(int width, int height) {
  const UINT dpi = DpiOfWindow(Ui.Window);
  const int grow = width - Scaled(kClientWidth, dpi);
  SetWindowPos(Ui.List, nullptr, 0, 0, Scaled(330, dpi) + grow,
               height - Scaled(kClientHeight - 280, dpi), SWP_NOMOVE | SWP_NOZORDER);
  for (HWND child = GetWindow(Ui.Window, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == Ui.List) continue;
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, Ui.Window, reinterpret_cast<POINT*>(&rect), 1);
    SetWindowPos(child, nullptr, Scaled(kColumnX, dpi) + grow, rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
  }
}

void OnCreate(HWND window) {
  Ui.Window = window;
  const UINT dpi = DpiOfWindow(window);
  CreateControls(window, kLayout, Ui, dpi);
  SendMessageA(Ui.List, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  AddColumns(dpi);
  for (const char* choice : text::kMaskChoices) {
    SendMessageA(Ui.MaskChoice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  }
  SendMessageA(Ui.MaskChoice, CB_SETCURSEL, 0, 0);
  Subclass(Ui.List, MarkingProc);
  Subclass(Ui.Mark, MarkingProc);
  ShowRows(-1);
  SetFocus(Ui.List);
  UpdateCommandStates();
}

void OnCommand(WPARAM wParam, LPARAM lParam) {
  const HWND control = reinterpret_cast<HWND>(lParam);
  if (LOWORD(wParam) == IDOK && !control) {
    // Enter, which the dialog handling of the main loop turns into IDOK.
    if (GetFocus() == Ui.List) PlayChosenRow();
    return;
  }
  if (LOWORD(wParam) == IDCANCEL && !control) {
    DestroyWindow(Ui.Window);
    return;
  }
  if (HIWORD(wParam) != BN_CLICKED) return;
  if (control == Ui.AddRange) OnAddRange();
  if (control == Ui.Import) OnImport();
  if (control == Ui.Export) OnExport();
  if (control == Ui.Delete) OnDelete();
  if (control == Ui.MaskAll) OnMaskAll();
}

LRESULT OnNotify(const NMHDR* header) {
  if (header->hwndFrom != Ui.List) return 0;
  switch (header->code) {
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
      if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
          !(change->uOldState & LVIS_SELECTED)) {
        OnRowChosen(change->iItem);
      }
      return 0;
    }
    case NM_DBLCLK:
    case NM_RETURN: PlayChosenRow(); return 0;
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) OnDelete();
      return 0;
  }
  return 0;
}

}  // namespace

void FollowCommandStates(const CommandStates& states) {
  if (!Ui.Window) return;
  for (HWND button : {Ui.AddRange, Ui.Import, Ui.MaskAll, Ui.MaskChoice}) {
    EnableWindow(button, states.Masks ? TRUE : FALSE);
  }
}

LRESULT CALLBACK PlacesWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_COMMAND: OnCommand(wParam, lParam); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case WM_SIZE:
      if (Ui.List) LayOutForSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_GETMINMAXINFO: {
      const SIZE least = WindowSizeForClient(kClientWidth, kClientHeight, kStyle, 0, false,
                                             DpiOfWindow(window));
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {least.cx, least.cy};
      return 0;
    }
    case WM_DPICHANGED: {
      OnDpiChanged(window, wParam, lParam);
      RECT client;
      GetClientRect(window, &client);
      LayOutForSize(client.right, client.bottom);
      return 0;
    }
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY:
      Marking.Held = false;
      Ui = PlacesHandles{};
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void ShowPlacesWindow() {
  if (Ui.Window) {
    ShowWindow(Ui.Window, SW_SHOWNORMAL);
    SetForegroundWindow(Ui.Window);
    return;
  }
  HWND window = CreateScaledWindow(0, "PLACES", text::kPlacesCaption, kStyle, kClientWidth,
                                   kClientHeight, false, MainUi.MainWindow);
  if (!window) return;
  // Beside the main window where the screen has room, so neither hides
  // the other's range or strip.
  RECT main;
  RECT own;
  GetWindowRect(MainUi.MainWindow, &main);
  GetWindowRect(window, &own);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(MainUi.MainWindow, MONITOR_DEFAULTTONEAREST), &monitor);
  const LONG width = own.right - own.left;
  if (main.right + width <= monitor.rcWork.right) {
    SetWindowPos(window, nullptr, main.right, main.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(window, SW_SHOWNORMAL);
}

HWND PlacesWindow() { return Ui.Window; }

bool ConfirmEmptyPlaces() {
  if (!Places.HoldsUnsettledWork()) return true;
  const int answer = ShowProductMessage(text::kPlacesDiscardQuestion,
                                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
  return answer == IDYES;
}

void PlacesAfterLoad() {
  ++LoadsSeen;
  Places.Clear();
  ListChanged(-1);
}

void PlacesAfterMask(const std::vector<SampleRange>& ranges, MaskKind kind) {
  Places.MarkMasked(ranges, StateOfMask(kind));
  ListChanged(SelectedRow());
}

void PlacesAfterUndo() {
  Places.ToggleUndo();
  ListChanged(SelectedRow());
}

}  // namespace belmo
