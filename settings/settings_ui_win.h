// The settings window's handles and the page on show. One settings window
// exists at a time, owned by the settings thread; only that thread touches
// SettingsUi. OpenSettingsWindowHandle is the one value other threads read:
// the main thread, to bring the window to the front, and the About thread,
// whose window shares the procedure, to tell the two windows apart.
#pragma once

#include <windows.h>

#include <atomic>

#include "settings/settings_form.h"
#include "settings/settings_navigation.h"

namespace belmo {

struct SettingsWindowUi {
  HWND Window = nullptr;
  HWND Tab = nullptr;
  HWND Pages[3] = {};
  HWND OkButton = nullptr;
  HWND CancelButton = nullptr;
  HWND SinHzBox = nullptr;
  HWND SindBBox = nullptr;
  HWND SinePreviewButton = nullptr;
  HWND VoicePitchBox = nullptr;
  HWND MethodGroup = nullptr;
  HWND FftRadio = nullptr;
  HWND SimpleRadio = nullptr;
  HWND SampleWaveformsBox = nullptr;
  HWND FftSizeList = nullptr;
  HWND VoicePreviewButton = nullptr;
  HWND PathBox = nullptr;
  HWND BrowseButton = nullptr;
  HWND OverwriteModeGroup = nullptr;
  HWND OnceRadio = nullptr;
  HWND ContinuousRadio = nullptr;
  HWND FilePreviewButton = nullptr;
  int CurrentSettingsTab = 0;
  HWND LastFocus = nullptr;  // the focused control when the window was last deactivated
  HFONT TabFont = nullptr;  // only where the shared font's labels overflow the tabs
};

inline SettingsWindowUi SettingsUi;

// The settings window while it exists, for the main thread.
inline std::atomic<HWND> OpenSettingsWindowHandle{nullptr};

// Every control's contents, read the way OK and the previews read them.
SettingsForm ReadSettingsForm();

SettingsControl SettingsControlOf(HWND window);
HWND HandleOf(SettingsControl control);

// Hooks every control of the keyboard chains, and the group box
// "上書き方法", with the settings window's keyboard procedure.
void HookSettingsKeyboard();

// The procedure of the three page windows: preview and "参照" clicks, and
// the wave-out device's notifications.
LRESULT CALLBACK PageWindowProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Ends any preview at once and frees its device and buffers.
void StopPreview();

}  // namespace belmo
