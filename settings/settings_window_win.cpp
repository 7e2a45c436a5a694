// The settings window: a tab control with one page per mask, OK and
// キャンセル, on a thread of its own with its own message loop, so the main
// window stays usable while it is open.
#include "settings/settings_window_win.h"

#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "document/document_state.h"
#include "selection/control_hooks_win.h"
#include "settings/settings_state_win.h"
#include "settings/settings_texts.h"
#include "settings/settings_ui_win.h"
#include "window/dpi_win.h"
#include "window/message_box_win.h"
#include "window/window_layout_win.h"
#include "window/worker_threads_win.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

constexpr int kClientWidth = 200;
constexpr int kClientHeight = 260;
constexpr int kTabHeight = 230;

// True from the menu command that starts the settings thread until that
// thread ends: a second command finds the window instead of a second one.
std::atomic<bool> SettingsThreadRunning{false};

constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

using Row = ControlRow<SettingsWindowUi>;
using Ui = SettingsWindowUi;

// The settings window's own controls; the pages come between the tab
// control and its display area and are laid out from it.
const Row kWindowLayout[] = {
    {&Ui::Tab, nullptr, WC_TABCONTROLA, "", 0, WS_CLIPSIBLINGS, {0, 0, kClientWidth, kTabHeight}},
    {&Ui::OkButton, nullptr, "BUTTON", text::kButtonOk, 0, BS_PUSHBUTTON, {10, 235, 85, 20}},
    {&Ui::CancelButton, nullptr, "BUTTON", text::kButtonCancel, 0, BS_PUSHBUTTON,
     {105, 235, 85, 20}},
};

// Each page's controls; the edit boxes get their texts from the settings.
const Row kSinePage[] = {
    {nullptr, nullptr, "STATIC", text::kLabelSineFrequency, 0, 0, {10, 13, 90, 14}},
    {&Ui::SinHzBox, nullptr, "EDIT", nullptr, WS_EX_CLIENTEDGE, ES_RIGHT, {110, 10, 50, 20}},
    {nullptr, nullptr, "STATIC", text::kUnitHz, 0, 0, {170, 13, 20, 14}},
    {nullptr, nullptr, "STATIC", text::kLabelSineLevel, 0, 0, {10, 43, 90, 14}},
    {&Ui::SindBBox, nullptr, "EDIT", nullptr, WS_EX_CLIENTEDGE, ES_RIGHT, {110, 40, 50, 20}},
    {nullptr, nullptr, "STATIC", text::kUnitDb, 0, 0, {170, 43, 20, 14}},
    {&Ui::SinePreviewButton, nullptr, "BUTTON", text::kButtonSinePreview, 0, BS_PUSHBUTTON,
     {50, 83, 100, 20}},
};

const Row kVoicePage[] = {
    {nullptr, nullptr, "STATIC", text::kLabelPitchRatio, 0, 0, {10, 73, 90, 14}},
    {&Ui::VoicePitchBox, nullptr, "EDIT", nullptr, WS_EX_CLIENTEDGE, ES_RIGHT, {110, 70, 50, 20}},
    {&Ui::MethodGroup, nullptr, "BUTTON", text::kGroupVoiceMethod, 0, BS_GROUPBOX,
     {10, 10, 180, 50}},
    {&Ui::FftRadio, &Ui::MethodGroup, "BUTTON", text::kRadioFft, 0, BS_AUTORADIOBUTTON,
     {10, 20, 80, 20}},
    {&Ui::SimpleRadio, &Ui::MethodGroup, "BUTTON", text::kRadioSimple, 0, BS_AUTORADIOBUTTON,
     {90, 20, 80, 20}},
    {nullptr, nullptr, "STATIC", text::kUnitTimes, 0, 0, {170, 73, 20, 14}},
    {nullptr, nullptr, "STATIC", text::kLabelSampleWaveforms, 0, 0, {10, 103, 90, 14}},
    {&Ui::SampleWaveformsBox, nullptr, "EDIT", nullptr, WS_EX_CLIENTEDGE, ES_RIGHT,
     {110, 100, 50, 20}},
    {nullptr, nullptr, "STATIC", text::kUnitCount, 0, 0, {170, 103, 20, 14}},
    {nullptr, nullptr, "STATIC", text::kLabelFftSize, 0, 0, {10, 133, 90, 20}},
    {&Ui::FftSizeList, nullptr, "COMBOBOX", "", 0, CBS_DROPDOWNLIST, {110, 133, 80, 100}},
    {&Ui::VoicePreviewButton, nullptr, "BUTTON", text::kButtonVoicePreview, 0, BS_PUSHBUTTON,
     {25, 173, 150, 20}},
};

const Row kFilePage[] = {
    {nullptr, nullptr, "STATIC", text::kLabelOverwriteFile, 0, 0, {10, 13, 90, 14}},
    {&Ui::PathBox, nullptr, "EDIT", nullptr, WS_EX_CLIENTEDGE, ES_AUTOHSCROLL | ES_READONLY,
     {10, 40, 140, 20}},
    {&Ui::BrowseButton, nullptr, "BUTTON", text::kButtonBrowse, 0, BS_PUSHBUTTON,
     {160, 40, 30, 20}},
    {&Ui::OverwriteModeGroup, nullptr, "BUTTON", text::kGroupOverwriteMode, 0, BS_GROUPBOX,
     {10, 70, 180, 50}},
    {&Ui::OnceRadio, &Ui::OverwriteModeGroup, "BUTTON", text::kRadioOnce, 0, BS_AUTORADIOBUTTON,
     {10, 20, 80, 20}},
    {&Ui::ContinuousRadio, &Ui::OverwriteModeGroup, "BUTTON", text::kRadioContinuous, 0,
     BS_AUTORADIOBUTTON, {90, 20, 80, 20}},
    {&Ui::FilePreviewButton, nullptr, "BUTTON", text::kButtonFilePreview, 0, BS_PUSHBUTTON,
     {25, 133, 150, 20}},
};

void LoadTexts(const SettingsForm& form) {
  const SettingsWindowUi& ui = SettingsUi;
  SetWindowTextA(ui.SinHzBox, form.SinHz.c_str());
  SetWindowTextA(ui.SindBBox, form.SindB.c_str());
  SetWindowTextA(ui.VoicePitchBox, form.VoicePitch.c_str());
  SetWindowTextA(ui.SampleWaveformsBox, form.SampleWaveforms.c_str());
  SetWindowTextUtf8(ui.PathBox, form.OverwritePath);
}

LONG TabsRight() {
  RECT last = {};
  SendMessageA(SettingsUi.Tab, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&last));
  return last.right;
}

// The three labels are about as wide as the 200-pixel tab control. Where
// they do not fit with the usual margins, the tab control would scroll and
// hide part of "ファイル上書き"; narrower margins come first, then the same
// face one pixel smaller for the labels alone.
void FitTabLabels(UINT dpi) {
  if (SettingsUi.TabFont) {
    SendMessageA(SettingsUi.Tab, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont(dpi)), TRUE);
    DeleteObject(SettingsUi.TabFont);
    SettingsUi.TabFont = nullptr;
  }
  const int width = Scaled(kClientWidth, dpi);
  if (TabsRight() <= width) return;
  SendMessageA(SettingsUi.Tab, TCM_SETPADDING, 0, MAKELPARAM(Scaled(3, dpi), Scaled(3, dpi)));
  // The new margins count once the labels are measured again.
  SendMessageA(SettingsUi.Tab, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont(dpi)), TRUE);
  if (TabsRight() <= width) return;
  LOGFONTA face = {};
  if (!GetObjectA(SharedFont(dpi), sizeof face, &face)) return;
  face.lfHeight += face.lfHeight < 0 ? 1 : -1;
  face.lfWidth = 0;
  SettingsUi.TabFont = CreateFontIndirectA(&face);
  if (SettingsUi.TabFont) {
    SendMessageA(SettingsUi.Tab, WM_SETFONT, reinterpret_cast<WPARAM>(SettingsUi.TabFont), TRUE);
  }
}

void InsertTab(int index, const char* label) {
  TCITEMA item = {};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<char*>(label);
  SendMessageA(SettingsUi.Tab, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
}

// The pages fill the tab control's display area, as the tab control
// itself works it out for its font.
void LayOutPages(UINT dpi) {
  RECT display = {0, 0, 0, 0};
  SendMessageA(SettingsUi.Tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  for (HWND page : SettingsUi.Pages) {
    SetWindowPos(page, nullptr, display.left, display.top,
                 Scaled(kClientWidth, dpi) + display.right - display.left,
                 Scaled(kTabHeight, dpi) + display.bottom - display.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(page, WM_SETFONT, reinterpret_cast<WPARAM>(SharedFont(dpi)), TRUE);
  }
}

void CreatePages(UINT dpi) {
  SettingsWindowUi& ui = SettingsUi;
  for (HWND& page : ui.Pages) {
    page = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, ui.Tab, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  }
  LayOutPages(dpi);
  CreateControls(ui.Pages[0], kSinePage, ui, dpi);
  CreateControls(ui.Pages[1], kVoicePage, ui, dpi);
  CreateControls(ui.Pages[2], kFilePage, ui, dpi);
}

void ShowPage(int index) {
  for (int page = 0; page < 3; ++page) {
    ShowWindow(SettingsUi.Pages[page], page == index ? SW_SHOW : SW_HIDE);
  }
}

void LoadChoices(const SettingsForm& form) {
  const SettingsWindowUi& ui = SettingsUi;
  for (const char* entry : text::kFftSizeEntries) {
    SendMessageA(ui.FftSizeList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  SendMessageA(ui.FftSizeList, CB_SETCURSEL, form.FftSelection, 0);
  SendMessageA(form.FftChecked ? ui.FftRadio : ui.SimpleRadio, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(form.ContinuousChecked ? ui.ContinuousRadio : ui.OnceRadio, BM_SETCHECK,
               BST_CHECKED, 0);
}

bool DocumentIsOpen() {
  std::lock_guard<std::mutex> guard(DocumentLock);
  return Document.IsOpen();
}

void CreateSettingsWindow() {
  SettingsWindowUi& ui = SettingsUi;
  const MaskSettings current = CurrentSettings();
  SettingsForm form = FormOf(current);
  // The form cuts a path to 259 bytes of code page 932; the box shows the
  // UTF-8 name whole, as the file functions take it.
  form.OverwritePath = current.OverWriteFilePath;
  ui.Window = CreateScaledWindow(WS_EX_APPWINDOW, "SETWINDOW", text::kSettingsCaption,
                                 kWindowStyle, kClientWidth, kClientHeight, false);
  OpenSettingsWindowHandle = ui.Window;
  const UINT dpi = DpiOfWindow(ui.Window);
  CreateControls(ui.Window, kWindowLayout, ui, dpi);
  InsertTab(0, text::kTabSine);
  InsertTab(1, text::kTabVoiceChange);
  InsertTab(2, text::kTabFileOverwrite);
  // Before the pages: the display area depends on the font of the tabs.
  FitTabLabels(dpi);
  CreatePages(dpi);
  LoadTexts(form);

  ShowWindow(ui.Window, SW_SHOW);
  ShowPage(0);
  ui.CurrentSettingsTab = 0;
  for (HWND page : ui.Pages) Subclass(page, PageWindowProc);
  HookSettingsKeyboard();
  LoadChoices(form);
  // Once, at opening: a file opened later does not enable them.
  if (!DocumentIsOpen()) {
    for (HWND button : {ui.SinePreviewButton, ui.VoicePreviewButton, ui.FilePreviewButton}) {
      EnableWindow(button, FALSE);
    }
  }
}

DWORD WINAPI SettingsThread(void*) {
  CreateSettingsWindow();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // A quit posted from outside (the exit sequence) finds the window still
  // open: closing it here also stops a preview and frees its device.
  if (IsWindow(SettingsUi.Window)) DestroyWindow(SettingsUi.Window);
  if (SettingsUi.TabFont) DeleteObject(SettingsUi.TabFont);
  SettingsUi = SettingsWindowUi{};
  SettingsThreadRunning = false;
  return 0;
}

std::string BoxText(HWND box, int bytes) {
  std::vector<char> buffer(static_cast<size_t>(bytes), '\0');
  GetWindowTextA(box, buffer.data(), bytes);
  return buffer.data();
}

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The About window shares the procedure and runs on another thread; only
// for the settings window itself may the procedure look at SettingsUi.
bool IsSettingsWindow(HWND window) { return window && window == OpenSettingsWindowHandle.load(); }

// OK stores first and checks afterwards: values that fail stay stored, and
// then a close request refuses too, until they are corrected.
void OnOk(HWND window) {
  const SettingsForm form = ReadSettingsForm();
  MaskSettings stored = SettingsOf(form);
  stored.OverWriteFilePath = form.OverwritePath;  // whole, as shown
  ReplaceSettings(stored);
  if (const char* refusal = OkRefusalText(CheckSettings(stored))) {
    ShowProductMessage(refusal, MB_OK | MB_ICONWARNING);
    return;
  }
  DestroyWindow(window);
}

void OnSettingsCommand(HWND window, WPARAM wParam, HWND sender) {
  if (!IsSettingsWindow(window) || HIWORD(wParam) != BN_CLICKED || !sender) return;
  if (sender == SettingsUi.OkButton) {
    OnOk(window);
  } else if (sender == SettingsUi.CancelButton) {
    DestroyWindow(window);
  }
}

void OnTabChange(HWND window, const NMHDR* header) {
  if (!IsSettingsWindow(window) || header->hwndFrom != SettingsUi.Tab ||
      header->code != static_cast<UINT>(TCN_SELCHANGE)) {
    return;
  }
  const int selected = static_cast<int>(SendMessageA(SettingsUi.Tab, TCM_GETCURSEL, 0, 0));
  if (selected < 0 || selected > 2) return;
  SettingsUi.CurrentSettingsTab = selected;
  ShowPage(selected);
}

// The title bar's close button reads no control: it judges what the masks
// would use now. The About window closes through here too.
void OnCloseRequest(HWND window) {
  if (CheckSettings(CurrentSettings()) != SettingsCheck::Valid) {
    ShowProductMessage(text::kSettingsInvalid, MB_OK | MB_ICONWARNING);
    return;
  }
  DestroyWindow(window);
}

// A move to a monitor of another DPI. The About window shares the
// procedure and has only its texts to lay out.
void OnSettingsDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  const UINT dpi = OnDpiChanged(window, wParam, lParam);
  if (!IsSettingsWindow(window)) return;
  FitTabLabels(dpi);
  LayOutPages(dpi);
}

void OnDestroy(HWND window) {
  if (IsSettingsWindow(window)) {
    OpenSettingsWindowHandle = nullptr;
    StopPreview();
  }
  PostQuitMessage(0);
}

// Without a dialog manager nothing gives the focus back to a control when
// the window is activated again (after a message box, or after the user
// worked in another window); the default handling would leave it on the
// window itself, where Tab does nothing.
bool OnActivate(HWND window, WPARAM state) {
  if (!IsSettingsWindow(window)) return false;
  if (LOWORD(state) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) SettingsUi.LastFocus = focus;
    return false;
  }
  HWND last = SettingsUi.LastFocus;
  if (!last || !IsWindow(last) || !IsWindowVisible(last) || HIWORD(state)) return false;
  SetFocus(last);
  return true;
}

void BringToFront(HWND window) {
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  SetForegroundWindow(window);
}

}  // namespace

SettingsForm ReadSettingsForm() {
  const SettingsWindowUi& ui = SettingsUi;
  SettingsForm form;
  form.SinHz = BoxText(ui.SinHzBox, kEditTextBytes);
  form.SindB = BoxText(ui.SindBBox, kEditTextBytes);
  form.VoicePitch = BoxText(ui.VoicePitchBox, kEditTextBytes);
  form.SampleWaveforms = BoxText(ui.SampleWaveformsBox, kEditTextBytes);
  form.FftChecked = Checked(ui.FftRadio);
  form.FftSelection = static_cast<int>(SendMessageA(ui.FftSizeList, CB_GETCURSEL, 0, 0));
  form.OverwritePath = WindowTextUtf8(ui.PathBox);
  form.ContinuousChecked = Checked(ui.ContinuousRadio);
  return form;
}

LRESULT CALLBACK SettingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnSettingsCommand(window, wParam, reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_NOTIFY:
      OnTabChange(window, reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_ACTIVATE:
      if (OnActivate(window, wParam)) return 0;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CLOSE:
      OnCloseRequest(window);
      return 0;
    case WM_DPICHANGED:
      OnSettingsDpiChanged(window, wParam, lParam);
      return 0;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void OpenSettingsWindow() {
  if (SettingsThreadRunning.exchange(true)) {
    if (HWND open = OpenSettingsWindowHandle.load()) BringToFront(open);
    return;
  }
  if (Workers.Settings) CloseHandle(Workers.Settings);
  Workers.Settings = CreateThread(nullptr, 0, SettingsThread, nullptr, 0, nullptr);
  if (!Workers.Settings) SettingsThreadRunning = false;
}

}  // namespace belmo
