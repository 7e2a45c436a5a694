#include "app/main_window_win.h"

#include <commctrl.h>

#include "app/app_texts.h"
#include "app/main_commands_win.h"
#include "places/places_texts.h"
#include "places/places_window_win.h"
#include "selection/waveform_strip_win.h"
#include "settings/settings_window_win.h"
#include "update/version_check_win.h"
#include "window/command_ids.h"
#include "window/command_states_win.h"
#include "window/dpi_win.h"
#include "window/window_layout_win.h"
#include "window/window_texts.h"

namespace belmo {
namespace {

constexpr int kIconLarge = 4096;
constexpr int kIconSmall = 4097;

constexpr DWORD kMainStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW;

using Row = ControlRow<MainWindowHandles>;
using Ui = MainWindowHandles;

// Every control of the main window, in the order of creation.
const Row kMainLayout[] = {
    {nullptr, nullptr, "STATIC", text::kLabelFileName, 0, 0, {10, 14, 60, 12}},
    {&Ui::FileNameBox, nullptr, "EDIT", "", WS_EX_CLIENTEDGE, ES_AUTOHSCROLL | ES_READONLY,
     {70, 10, 220, 20}},
    {&Ui::RangeGroup, nullptr, "BUTTON", text::kGroupRange, 0, BS_GROUPBOX, {10, 40, 280, 110}},
    {nullptr, &Ui::RangeGroup, "STATIC", text::kLabelStart, 0, 0, {10, 25, 50, 12}},
    {&Ui::StartTrackbar, &Ui::RangeGroup, TRACKBAR_CLASSA, "", 0, TBS_NOTICKS, {60, 20, 210, 30}},
    {nullptr, &Ui::RangeGroup, "STATIC", text::kLabelEnd, 0, 0, {10, 55, 50, 12}},
    {&Ui::EndTrackbar, &Ui::RangeGroup, TRACKBAR_CLASSA, "", 0, TBS_NOTICKS, {60, 50, 210, 30}},
    {nullptr, &Ui::RangeGroup, "STATIC", text::kLabelSelection, 0, 0, {10, 84, 60, 12}},
    {&Ui::StartSecondsBox, &Ui::RangeGroup, "EDIT", "", WS_EX_CLIENTEDGE, ES_RIGHT,
     {80, 80, 50, 20}},
    {nullptr, &Ui::RangeGroup, "STATIC", text::kLabelSecondsFrom, 0, 0, {140, 84, 30, 12}},
    {&Ui::EndSecondsBox, &Ui::RangeGroup, "EDIT", "", WS_EX_CLIENTEDGE, ES_RIGHT,
     {180, 80, 50, 20}},
    {nullptr, &Ui::RangeGroup, "STATIC", text::kLabelSeconds, 0, 0, {240, 84, 20, 12}},
    {nullptr, nullptr, "STATIC", text::kLabelInfo, 0, 0, {10, 164, 30, 12}},
    {&Ui::InfoBox, nullptr, "EDIT", "", WS_EX_CLIENTEDGE, ES_AUTOHSCROLL | ES_READONLY,
     {40, 160, 250, 20}},
    {&Ui::PlayButton, nullptr, "BUTTON", text::kButtonPlayStop, 0, BS_PUSHBUTTON,
     {10, 190, 100, 30}},
    {&Ui::SeekOnStopCheck, nullptr, "BUTTON", text::kCheckSeekOnStop, 0, BS_AUTOCHECKBOX,
     {120, 185, 170, 20}},
    {&Ui::SeekStartRadio, nullptr, "BUTTON", text::kRadioSeekStart, 0, BS_AUTORADIOBUTTON,
     {120, 205, 90, 20}},
    {&Ui::SeekRangeRadio, nullptr, "BUTTON", text::kRadioSeekRange, 0, BS_AUTORADIOBUTTON,
     {220, 205, 70, 20}},
    {&Ui::SineButton, nullptr, "BUTTON", text::kButtonSine, 0, BS_PUSHBUTTON, {10, 230, 85, 30}},
    {&Ui::VoiceChangeButton, nullptr, "BUTTON", text::kButtonVoiceChange, 0, BS_PUSHBUTTON,
     {105, 230, 85, 30}},
    {&Ui::FileOverwriteButton, nullptr, "BUTTON", text::kButtonFileOverwrite, 0, BS_PUSHBUTTON,
     {200, 230, 85, 30}},
    // Created hidden: with the strip off the window is exactly as without it.
    {&Ui::WaveformStrip, nullptr, "WAVEFORM", "", WS_EX_CLIENTEDGE, 0, {10, 270, 280, 90}, true},
};

void RegisterClassWithProc(HINSTANCE instance, const char* name, WNDPROC proc) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconLarge));
  wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(kIconSmall));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
}

void InsertItem(HMENU menu, UINT position, UINT id, const char* textOrNull, HMENU submenu) {
  MENUITEMINFOA item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
  item.fType = textOrNull ? MFT_STRING : MFT_SEPARATOR;
  item.fState = 0;
  item.wID = id;
  item.hSubMenu = submenu;
  item.dwTypeData = const_cast<char*>(textOrNull);
  InsertMenuItemA(menu, position, TRUE, &item);
}

}  // namespace

void RegisterWindowClasses(HINSTANCE instance) {
  RegisterClassWithProc(instance, "NORMAL", MainWindowProc);
  RegisterClassWithProc(instance, "SETWINDOW", SettingsWindowProc);
  RegisterClassWithProc(instance, "VERCHECK", VersionCheckWindowProc);
  RegisterClassWithProc(instance, "WAVEFORM", WaveformStripProc);
  RegisterClassWithProc(instance, "PLACES", PlacesWindowProc);
}

void CreateMainWindow(HINSTANCE) {
  MainUi.MainWindow = CreateScaledWindow(kMainExStyle, "NORMAL", text::kProductName, kMainStyle,
                                         kMainClientWidth, MainClientHeight(false), true);
}

void CreateMainControls(HINSTANCE) {
  const UINT dpi = DpiOfWindow(MainUi.MainWindow);
  CreateControls(MainUi.MainWindow, kMainLayout, MainUi, dpi);
}

void BuildMenus() {
  MainUi.MenuBar = CreateMenu();
  MainUi.FileMenu = CreatePopupMenu();
  MainUi.EditMenu = CreatePopupMenu();
  MainUi.SettingsMenu = CreatePopupMenu();
  MainUi.HelpMenu = CreatePopupMenu();

  InsertItem(MainUi.MenuBar, 0, kMenuFile, text::kMenuFile, MainUi.FileMenu);
  InsertItem(MainUi.MenuBar, 1, kMenuEdit, text::kMenuEdit, MainUi.EditMenu);
  InsertItem(MainUi.MenuBar, 2, kMenuSettings, text::kMenuSettingsBar, MainUi.SettingsMenu);
  InsertItem(MainUi.MenuBar, 3, kMenuHelp, text::kMenuHelpBar, MainUi.HelpMenu);

  InsertItem(MainUi.FileMenu, 0, kCmdOpen, text::kMenuOpen, nullptr);
  InsertItem(MainUi.FileMenu, 1, kCmdSave, text::kMenuSave, nullptr);
  InsertItem(MainUi.FileMenu, 2, kCmdSaveAs, text::kMenuSaveAs, nullptr);
  InsertItem(MainUi.FileMenu, 3, 0, nullptr, nullptr);
  InsertItem(MainUi.FileMenu, 4, kCmdRevert, text::kMenuRevert, nullptr);
  InsertItem(MainUi.FileMenu, 5, 0, nullptr, nullptr);
  InsertItem(MainUi.FileMenu, 6, kCmdExit, text::kMenuExit, nullptr);

  InsertItem(MainUi.EditMenu, 0, kCmdUndo, text::kMenuUndo, nullptr);
  InsertItem(MainUi.EditMenu, 1, 0, nullptr, nullptr);
  InsertItem(MainUi.EditMenu, 2, kCmdSine, text::kMenuSine, nullptr);
  InsertItem(MainUi.EditMenu, 3, kCmdVoiceChange, text::kMenuVoiceChange, nullptr);
  InsertItem(MainUi.EditMenu, 4, kCmdFileOverwrite, text::kMenuFileOverwrite, nullptr);
  InsertItem(MainUi.EditMenu, 5, 0, nullptr, nullptr);
  InsertItem(MainUi.EditMenu, 6, kCmdPlaces, text::kMenuPlaces, nullptr);

  InsertItem(MainUi.SettingsMenu, 0, kCmdSettings, text::kMenuSettings, nullptr);
  InsertItem(MainUi.SettingsMenu, 1, kCmdShowWaveform, text::kMenuShowWaveform, nullptr);

  InsertItem(MainUi.HelpMenu, 0, kCmdHelp, text::kMenuHelp, nullptr);
  InsertItem(MainUi.HelpMenu, 1, kCmdAbout, text::kMenuAbout, nullptr);
  InsertItem(MainUi.HelpMenu, 2, kCmdVersionCheck, text::kMenuVersionCheck, nullptr);

  SetMenu(MainUi.MainWindow, MainUi.MenuBar);
}

void SetStartupControlStates() {
  SendMessageA(MainUi.SeekStartRadio, BM_SETCHECK, BST_CHECKED, 0);
  UpdateCommandStates();
}

}  // namespace belmo
