// The settings window: a tab control with one page per mask, OK and
// キャンセル, on a thread of its own with its own message loop, so the main
// window stays usable while it is open.
#include "settings/settings_window_win.h"

#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "app/main_window_win.h"
#include "app/message_box_win.h"
#include "app/worker_threads_win.h"
#include "document/document_state.h"
#include "selection/control_hooks_win.h"
#include "settings/settings_state_win.h"
#include "settings/settings_texts.h"
#include "settings/settings_ui_win.h"

namespace belmo {
namespace {

constexpr int kClientWidth = 200;
constexpr int kClientHeight = 260;
constexpr int kTabHeight = 230;
constexpr int kPathTextBytes = 260;

// True from the menu command that starts the settings thread until that
// thread ends: a second command finds the window instead of a second one.
std::atomic<bool> SettingsThreadRunning{false};

HWND Child(const char* className, const char* text, DWORD exStyle, DWORD style, int x, int y,
           int w, int h, HWND parent) {
  return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                         parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND Label(const char* text, int x, int y, int w, int h, HWND page) {
  return Child("STATIC", text, 0, 0, x, y, w, h, page);
}

HWND NumberBox(const std::string& text, int x, int y, HWND page) {
  return Child("EDIT", text.c_str(), WS_EX_CLIENTEDGE, ES_RIGHT, x, y, 50, 20, page);
}

HWND PushButton(const char* text, int x, int y, int w, HWND parent) {
  return Child("BUTTON", text, 0, BS_PUSHBUTTON, x, y, w, 20, parent);
}

HWND Radio(const char* text, int x, HWND group) {
  return Child("BUTTON", text, 0, BS_AUTORADIOBUTTON, x, 20, 80, 20, group);
}

HWND Group(const char* text, int x, int y, HWND page) {
  return Child("BUTTON", text, 0, BS_GROUPBOX, x, y, 180, 50, page);
}

void CreateSinePage(HWND page, const SettingsForm& form) {
  SettingsWindowUi& ui = SettingsUi;
  Label(text::kLabelSineFrequency, 10, 13, 90, 14, page);
  ui.SinHzBox = NumberBox(form.SinHz, 110, 10, page);
  Label(text::kUnitHz, 170, 13, 20, 14, page);
  Label(text::kLabelSineLevel, 10, 43, 90, 14, page);
  ui.SindBBox = NumberBox(form.SindB, 110, 40, page);
  Label(text::kUnitDb, 170, 43, 20, 14, page);
  ui.SinePreviewButton = PushButton(text::kButtonSinePreview, 50, 83, 100, page);
}

void CreateVoicePage(HWND page, const SettingsForm& form) {
  SettingsWindowUi& ui = SettingsUi;
  Label(text::kLabelPitchRatio, 10, 73, 90, 14, page);
  ui.VoicePitchBox = NumberBox(form.VoicePitch, 110, 70, page);
  ui.MethodGroup = Group(text::kGroupVoiceMethod, 10, 10, page);
  ui.FftRadio = Radio(text::kRadioFft, 10, ui.MethodGroup);
  ui.SimpleRadio = Radio(text::kRadioSimple, 90, ui.MethodGroup);
  Label(text::kUnitTimes, 170, 73, 20, 14, page);
  Label(text::kLabelSampleWaveforms, 10, 103, 90, 14, page);
  ui.SampleWaveformsBox = NumberBox(form.SampleWaveforms, 110, 100, page);
  Label(text::kUnitCount, 170, 103, 20, 14, page);
  Label(text::kLabelFftSize, 10, 133, 90, 20, page);
  ui.FftSizeList = Child("COMBOBOX", "", 0, CBS_DROPDOWNLIST, 110, 133, 80, 100, page);
  ui.VoicePreviewButton = PushButton(text::kButtonVoicePreview, 25, 173, 150, page);
}

void CreateFilePage(HWND page, const SettingsForm& form) {
  SettingsWindowUi& ui = SettingsUi;
  Label(text::kLabelOverwriteFile, 10, 13, 90, 14, page);
  ui.PathBox = Child("EDIT", form.OverwritePath.c_str(), WS_EX_CLIENTEDGE,
                     ES_AUTOHSCROLL | ES_READONLY, 10, 40, 140, 20, page);
  ui.BrowseButton = PushButton(text::kButtonBrowse, 160, 40, 30, page);
  ui.OverwriteModeGroup = Group(text::kGroupOverwriteMode, 10, 70, page);
  ui.OnceRadio = Radio(text::kRadioOnce, 10, ui.OverwriteModeGroup);
  ui.ContinuousRadio = Radio(text::kRadioContinuous, 90, ui.OverwriteModeGroup);
  ui.FilePreviewButton = PushButton(text::kButtonFilePreview, 25, 133, 150, page);
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
void FitTabLabels() {
  if (TabsRight() <= kClientWidth) return;
  SendMessageA(SettingsUi.Tab, TCM_SETPADDING, 0, MAKELPARAM(3, 3));
  // The new margins count once the labels are measured again.
  SendMessageA(SettingsUi.Tab, WM_SETFONT, reinterpret_cast<WPARAM>(MainUi.MainFont), TRUE);
  if (TabsRight() <= kClientWidth) return;
  LOGFONTA face = {};
  if (!GetObjectA(MainUi.MainFont, sizeof face, &face)) return;
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
void CreatePages(const SettingsForm& form) {
  RECT display = {0, 0, 0, 0};
  SendMessageA(SettingsUi.Tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  for (HWND& page : SettingsUi.Pages) {
    page = Child("STATIC", "", 0, 0, display.left, display.top,
                 kClientWidth + display.right - display.left,
                 kTabHeight + display.bottom - display.top, SettingsUi.Tab);
  }
  CreateSinePage(SettingsUi.Pages[0], form);
  CreateVoicePage(SettingsUi.Pages[1], form);
  CreateFilePage(SettingsUi.Pages[2], form);
}

void ShowPage(int index) {
  for (int page = 0; page < 3; ++page) {
    ShowWindow(SettingsUi.Pages[page], page == index ? SW_SHOW : SW_HIDE);
  }
}

BOOL CALLBACK SetControlFont(HWND control, LPARAM font) {
  SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
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
  const SettingsForm form = FormOf(CurrentSettings());
  const int frameX = GetSystemMetrics(SM_CXDLGFRAME);
  const int frameY = GetSystemMetrics(SM_CYDLGFRAME);
  ui.Window = CreateWindowExA(WS_EX_APPWINDOW, "SETWINDOW", text::kSettingsCaption,
                              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                              CW_USEDEFAULT, kClientWidth + 2 * frameX,
                              kClientHeight + 2 * frameY + GetSystemMetrics(SM_CYCAPTION),
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  OpenSettingsWindowHandle = ui.Window;
  ui.Tab = Child(WC_TABCONTROLA, "", 0, WS_CLIPSIBLINGS, 0, 0, kClientWidth, kTabHeight,
                 ui.Window);
  ui.OkButton = PushButton(text::kButtonOk, 10, 235, 85, ui.Window);
  ui.CancelButton = PushButton(text::kButtonCancel, 105, 235, 85, ui.Window);
  InsertTab(0, text::kTabSine);
  InsertTab(1, text::kTabVoiceChange);
  InsertTab(2, text::kTabFileOverwrite);
  // Before the pages: the display area depends on the font of the tabs.
  SendMessageA(ui.Tab, WM_SETFONT, reinterpret_cast<WPARAM>(MainUi.MainFont), TRUE);
  FitTabLabels();
  CreatePages(form);

  ShowWindow(ui.Window, SW_SHOW);
  ShowPage(0);
  ui.CurrentSettingsTab = 0;
  EnumChildWindows(ui.Window, SetControlFont, reinterpret_cast<LPARAM>(MainUi.MainFont));
  if (ui.TabFont) SendMessageA(ui.Tab, WM_SETFONT, reinterpret_cast<WPARAM>(ui.TabFont), TRUE);
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
  const MaskSettings stored = SettingsOf(ReadSettingsForm());
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
  form.OverwritePath = BoxText(ui.PathBox, kPathTextBytes);
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
