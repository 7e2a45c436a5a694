// The program's mask settings, read from settings.ini at start-up and
// written back at a normal exit, by the bare name in the current directory.
#pragma once

#include "settings/mask_settings.h"

namespace belmo {

inline MaskSettings Settings;

inline constexpr char kSettingsFileName[] = "settings.ini";

inline void ReadSettings() { Settings = ReadSettingsFile(kSettingsFileName); }
inline void WriteSettings() { WriteSettingsFile(Settings, kSettingsFileName); }

}  // namespace belmo
