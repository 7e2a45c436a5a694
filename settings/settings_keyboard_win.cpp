#include <utility>

#include "selection/control_hooks_win.h"
#include "settings/settings_ui_win.h"

namespace belmo {
namespace {

using C = SettingsControl;

bool Checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool ShiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

std::pair<C, HWND SettingsWindowUi::*> const kControls[] = {
    {C::Ok, &SettingsWindowUi::OkButton},
    {C::Cancel, &SettingsWindowUi::CancelButton},
    {C::SinHzBox, &SettingsWindowUi::SinHzBox},
    {C::SindBBox, &SettingsWindowUi::SindBBox},
    {C::SinePreview, &SettingsWindowUi::SinePreviewButton},
    {C::FftRadio, &SettingsWindowUi::FftRadio},
    {C::SimpleRadio, &SettingsWindowUi::SimpleRadio},
    {C::VoicePitchBox, &SettingsWindowUi::VoicePitchBox},
    {C::SampleWaveformsBox, &SettingsWindowUi::SampleWaveformsBox},
    {C::FftSizeList, &SettingsWindowUi::FftSizeList},
    {C::VoicePreview, &SettingsWindowUi::VoicePreviewButton},
    {C::PathBox, &SettingsWindowUi::PathBox},
    {C::BrowseButton, &SettingsWindowUi::BrowseButton},
    {C::OnceRadio, &SettingsWindowUi::OnceRadio},
    {C::ContinuousRadio, &SettingsWindowUi::ContinuousRadio},
    {C::FilePreview, &SettingsWindowUi::FilePreviewButton},
    {C::OverwriteModeGroup, &SettingsWindowUi::OverwriteModeGroup},
};

void OnTab(HWND control) {
  ChainContext context;
  context.tab = SettingsUi.CurrentSettingsTab;
  context.fftChecked = Checked(SettingsUi.FftRadio);
  context.continuousChecked = Checked(SettingsUi.ContinuousRadio);
  C next = NextInSettingsChain(SettingsControlOf(control), ShiftHeld(), context);
  if (next != C::None) SetFocus(HandleOf(next));
}

// Either arrow hands the choice to the other button of the pair.
bool OnRadioArrow(HWND control) {
  C other = OtherRadioOfPair(SettingsControlOf(control));
  if (other == C::None) return false;
  HWND otherButton = HandleOf(other);
  SetFocus(otherButton);
  SendMessageA(control, BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageA(otherButton, BM_SETCHECK, BST_CHECKED, 0);
  return true;
}

bool OnKeyDown(HWND control, WPARAM key) {
  if (key == VK_LEFT || key == VK_RIGHT) return OnRadioArrow(control);
  if (key == VK_RETURN && PressedByEnter(SettingsControlOf(control))) {
    SendMessageA(control, BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

}  // namespace

SettingsControl SettingsControlOf(HWND window) {
  if (!window) return C::None;
  for (const auto& [control, member] : kControls) {
    if (SettingsUi.*member == window) return control;
  }
  return C::None;
}

HWND HandleOf(SettingsControl control) {
  for (const auto& [named, member] : kControls) {
    if (named == control) return SettingsUi.*member;
  }
  return nullptr;
}

namespace {

// No dialog manager runs in the settings thread's loop: Tab arrives as a
// character at the focused control, which moves the focus itself.
LRESULT CALLBACK SettingsKeyboardProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR && wParam == VK_TAB) {
    OnTab(control);
    return 0;
  }
  if (message == WM_KEYDOWN && OnKeyDown(control, wParam)) return 0;
  return CallPrevious(control, message, wParam, lParam);
}

}  // namespace

void HookSettingsKeyboard() {
  for (const auto& entry : kControls) Subclass(SettingsUi.*entry.second, SettingsKeyboardProc);
}

}  // namespace belmo
