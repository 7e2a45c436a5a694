// The program's mask settings, read from settings.ini at start-up and
// written back at a normal exit, by the bare name in the current directory.
// The settings window replaces them on its own thread while a mask may be
// reading them on the main thread, so they change and are read as one
// record, under a lock.
#pragma once

#include <mutex>

#include "settings/mask_settings.h"
#include "settings/settings_path_line_win.h"

namespace belmo {

struct SettingsState {
  std::mutex Lock;
  MaskSettings Values;
  // The main window's choices kept in the same file: main thread only.
  DisplaySettings Display;
};

inline SettingsState Settings;

inline constexpr char kSettingsFileName[] = "settings.ini";

// A consistent copy of all eight values.
inline MaskSettings CurrentSettings() {
  std::lock_guard<std::mutex> guard(Settings.Lock);
  return Settings.Values;
}

// Replaces all eight values at once.
inline void ReplaceSettings(const MaskSettings& values) {
  std::lock_guard<std::mutex> guard(Settings.Lock);
  Settings.Values = values;
}

inline void ReadSettings() {
  const SettingsFile file = ReadSettingsFileWithDisplay(kSettingsFileName, Cp932PathLine());
  ReplaceSettings(file.Masks);
  Settings.Display = file.Display;
}
inline void WriteSettings() {
  WriteSettingsFile(CurrentSettings(), kSettingsFileName, Settings.Display, Cp932PathLine());
}

}  // namespace belmo
