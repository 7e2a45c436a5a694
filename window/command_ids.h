// Menu command identifiers and the private messages of the main window.
// Shared by the program and its end-to-end test driver.
#pragma once

namespace belmo {

enum MenuId : unsigned {
  kMenuFile = 8192,
  kCmdOpen = 8193,
  kCmdSave = 8194,
  kCmdSaveAs = 8195,
  kCmdRevert = 8196,
  kCmdExit = 8197,
  kMenuEdit = 8208,
  kCmdUndo = 8209,
  kCmdSine = 8210,
  kCmdVoiceChange = 8211,
  kCmdFileOverwrite = 8212,
  kMenuSettings = 8224,
  kCmdSettings = 8225,
  kCmdShowWaveform = 8226,
  kCmdPlaces = 8227,  // "マスク箇所の一覧(&L)...", in the Edit menu
  kMenuHelp = 8240,
  kCmdHelp = 8241,
  kCmdAbout = 8242,
  kCmdVersionCheck = 8243,
};

// WM_USER is 0x400 on every Windows; spelled out so this header needs no
// <windows.h>.
constexpr unsigned kWmUser = 0x400;

// Answers GetMenuState(menu bar, wParam, MF_BYCOMMAND) of the main window.
// Another process cannot read our menus under every Windows implementation,
// so this is how the end-to-end tests see grayed items.
constexpr unsigned kMsgQueryMenuState = kWmUser + 0x1F0;

// Sent by the playback thread when it has stopped and closed the device,
// lParam the playback's number: the seek on stop and the controls are the
// main thread's to change.
constexpr unsigned kMsgPlaybackEnded = kWmUser + 0x1E0;

// Answers the height (LOGFONT lfHeight) of the font that the window in
// wParam, any window of the program, draws its text with; 0 without one.
// A font handle means nothing to another process, so this is how the
// end-to-end tests see the font scaled with the display.
constexpr unsigned kMsgQueryFontHeight = kWmUser + 0x1E1;

// Asked by a second start of the program: answers kSameFolderAnswer when
// lParam is this program's folder key.
constexpr unsigned kMsgQueryProgramFolder = kWmUser + 0x1F1;
constexpr long kSameFolderAnswer = 0x424C4D4F;

// Posted to itself for each file a second start handed over, so the file is
// opened from the program's own loop rather than inside the hand-over.
constexpr unsigned kMsgOpenHandedFile = kWmUser + 0x1F2;

}  // namespace belmo
