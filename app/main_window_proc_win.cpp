#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/about_window_win.h"
#include "app/app_state.h"
#include "app/app_texts.h"
#include "app/exit_win.h"
#include "app/hand_over_win.h"
#include "app/main_commands_win.h"
#include "app/main_window_win.h"
#include "app/open_file_win.h"
#include "document/document_commands_win.h"
#include "effects/apply_mask_win.h"
#include "places/places_window_win.h"
#include "selection/keyboard_navigation_win.h"
#include "selection/playback_win.h"
#include "selection/waveform_strip_win.h"
#include "settings/settings_window_win.h"
#include "update/version_check_win.h"
#include "window/command_ids.h"
#include "window/message_box_win.h"
#include "window/window_layout_win.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

constexpr char kHelpFile[] = "Belmo_help.chm";

// Open asks about unsaved changes, then for the file.
void OnOpen() { OpenDocumentFile(nullptr); }

// By its full path: a file dialog makes the chosen file's folder the
// current one, where a bare name would find no help.
void OnHelp() {
  const std::string path = App.ProgramDirectory + "\\" + kHelpFile;
  HINSTANCE result =
      ShellExecuteW(nullptr, L"open", WideOf(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(result) <= 32) {
    ShowProductMessage(text::kHelpFileNotOpened, MB_OK | MB_ICONWARNING);
  }
}

LRESULT FontHeightOf(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  LOGFONTA face = {};
  if (!font || !GetObjectA(font, sizeof face, &face)) return 0;
  return face.lfHeight;
}

// A menu mask item acts exactly as a click on its button.
void ClickMaskButton(HWND button) {
  SendMessageA(MainUi.MainWindow, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

void OnControlCommand(HWND control) {
  if (control == MainUi.PlayButton) {
    OnPlayButton();
  } else if (control == MainUi.SeekOnStopCheck) {
    SyncSeekRadios();
  } else if (control == MainUi.SineButton) {
    ApplyMask(MaskKind::Sine);
  } else if (control == MainUi.VoiceChangeButton) {
    ApplyMask(MaskKind::VoiceChange);
  } else if (control == MainUi.FileOverwriteButton) {
    ApplyMask(MaskKind::FileOverwrite);
  }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      OnMainClose();
      return 0;
    case WM_COMMAND:
      OnMainCommand(wParam, lParam);
      return 0;
    case kMsgQueryMenuState:
      return static_cast<LRESULT>(
          GetMenuState(GetMenu(window), static_cast<UINT>(wParam), MF_BYCOMMAND));
    case kMsgQueryFontHeight:
      return FontHeightOf(reinterpret_cast<HWND>(wParam));
    case kMsgPlaybackEnded:
      OnPlaybackEnded(lParam);
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(window, wParam, lParam);
      return 0;
    case WM_MOUSEWHEEL:
      // The focused control passes an unused wheel up to here.
      if (WaveformTakesWheel(wParam, lParam)) return 0;
      return DefWindowProcA(window, message, wParam, lParam);
    case kMsgQueryProgramFolder:
      return OnQueryProgramFolder(lParam);
    case WM_COPYDATA:
      return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case kMsgOpenHandedFile:
      OnOpenHandedFile();
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// The close box and the system menu end the program the same way the menu does.
void OnMainClose() { ExitApplication(); }

void OnMainCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case kCmdOpen: OnOpen(); break;
    case kCmdSave: SaveDocument(); break;
    case kCmdSaveAs: SaveDocumentAs(); break;
    case kCmdRevert: RevertDocument(); break;
    case kCmdExit: ExitApplication(); break;
    case kCmdUndo: ToggleUndo(); break;
    case kCmdSine: ClickMaskButton(MainUi.SineButton); break;
    case kCmdVoiceChange: ClickMaskButton(MainUi.VoiceChangeButton); break;
    case kCmdFileOverwrite: ClickMaskButton(MainUi.FileOverwriteButton); break;
    case kCmdHelp: OnHelp(); break;
    case kCmdSettings: OpenSettingsWindow(); break;
    case kCmdShowWaveform: ToggleWaveformStrip(); break;
    case kCmdPlaces: ShowPlacesWindow(); break;
    case kCmdAbout: OpenAboutWindow(); break;
    case kCmdVersionCheck: OpenVersionCheckWindow(); break;
    default:
      OnControlCommand(reinterpret_cast<HWND>(lParam));
      break;
  }
}

}  // namespace belmo
