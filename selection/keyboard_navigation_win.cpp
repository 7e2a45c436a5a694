#include "selection/keyboard_navigation_win.h"

#include "selection/control_hooks_win.h"
#include "window/command_states_win.h"
#include "window/main_window_handles_win.h"

namespace belmo {
namespace {

bool ShiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The seek radio pair joins the chain only while it can be used.
HWND CheckedSeekRadioOr(HWND fallback) {
  if (!IsWindowEnabled(MainUi.SeekStartRadio)) return fallback;
  return Checked(MainUi.SeekRangeRadio) ? MainUi.SeekRangeRadio : MainUi.SeekStartRadio;
}

HWND NextInChain(HWND control, bool backwards) {
  const MainWindowHandles& ui = MainUi;
  if (control == ui.StartTrackbar) return backwards ? ui.FileOverwriteButton : ui.EndTrackbar;
  if (control == ui.EndTrackbar) return backwards ? ui.StartTrackbar : ui.StartSecondsBox;
  if (control == ui.StartSecondsBox) return backwards ? ui.EndTrackbar : ui.EndSecondsBox;
  if (control == ui.EndSecondsBox) return backwards ? ui.StartSecondsBox : ui.PlayButton;
  if (control == ui.PlayButton) return backwards ? ui.EndSecondsBox : ui.SeekOnStopCheck;
  if (control == ui.SeekOnStopCheck) {
    return backwards ? ui.PlayButton : CheckedSeekRadioOr(ui.SineButton);
  }
  if (control == ui.SeekStartRadio || control == ui.SeekRangeRadio) {
    return backwards ? ui.SeekOnStopCheck : ui.SineButton;
  }
  if (control == ui.SineButton) {
    return backwards ? CheckedSeekRadioOr(ui.SeekOnStopCheck) : ui.VoiceChangeButton;
  }
  if (control == ui.VoiceChangeButton) return backwards ? ui.SineButton : ui.FileOverwriteButton;
  if (control == ui.FileOverwriteButton) {
    return backwards ? ui.VoiceChangeButton : ui.StartTrackbar;
  }
  // The strip takes the focus only when clicked; Tab leads back into the chain.
  if (control == ui.WaveformStrip) return backwards ? ui.FileOverwriteButton : ui.StartTrackbar;
  return nullptr;
}

void ClickButton(HWND button) {
  SendMessageA(MainUi.MainWindow, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// Either arrow moves the choice to the other radio button of the pair.
bool OnRadioArrow(HWND control) {
  HWND other = control == MainUi.SeekStartRadio ? MainUi.SeekRangeRadio : MainUi.SeekStartRadio;
  SetFocus(other);
  SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(control, BM_SETCHECK, BST_UNCHECKED, 0);
  return true;
}

bool OnEnter(HWND control) {
  if (control == MainUi.SeekOnStopCheck) {
    SendMessageA(control, BM_SETCHECK, Checked(control) ? BST_UNCHECKED : BST_CHECKED, 0);
    SyncSeekRadios();
    return true;
  }
  if (control == MainUi.PlayButton || control == MainUi.SineButton ||
      control == MainUi.VoiceChangeButton || control == MainUi.FileOverwriteButton) {
    ClickButton(control);
    return true;
  }
  return false;
}

bool OnKeyDown(HWND control, WPARAM key) {
  bool isRadio = control == MainUi.SeekStartRadio || control == MainUi.SeekRangeRadio;
  if (isRadio && (key == VK_LEFT || key == VK_RIGHT)) return OnRadioArrow(control);
  if (key == VK_RETURN) return OnEnter(control);
  return false;
}

}  // namespace

void SyncSeekRadios() { UpdateCommandStates(); }

bool HandleNavigationMessage(HWND control, UINT message, WPARAM wParam) {
  if (message == WM_CHAR && wParam == VK_TAB) {
    if (HWND next = NextInChain(control, ShiftHeld())) SetFocus(next);
    return true;
  }
  if (message == WM_KEYDOWN) return OnKeyDown(control, wParam);
  return false;
}

LRESULT CALLBACK KeyboardNavigationProc(HWND control, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  if (HandleNavigationMessage(control, message, wParam)) return 0;
  return CallPrevious(control, message, wParam, lParam);
}

}  // namespace belmo
