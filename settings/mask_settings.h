// The eight values the three masks use, and their file settings.ini.
//
// The file is read by position, not by name: the k-th "=" after the section
// line gives the k-th key, whatever stands before it. It is written as nine
// CR LF terminated lines; with all defaults it is exactly 131 bytes. One
// choice of the main window may follow as a tenth line, "ShowWaveform=1",
// written only while that choice is on: a reader that knows nine keys never
// looks past them, and with the choice off the file is the nine lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace belmo {

constexpr int kMaxPathBytes = 259;  // paths fit a 260-byte buffer with its zero

struct MaskSettings {
  double SinHz = 1000;
  double SindB = -10;
  uint8_t PitchUpType = 0;    // 0: simple method, anything else: FFT
  double VoicePitch = 2;
  double VoiceSample = 100;   // twice the number the settings window shows
  uint16_t FFTSample = 3;     // FFT size = 2^(FFTSample + 9)
  std::string OverWriteFilePath;  // at most kMaxPathBytes bytes
  uint8_t OverWriteType = 0;  // 0: once, 1: continuous
};

// The main window's choices kept after the mask settings.
struct DisplaySettings {
  bool ShowWaveform = false;  // the waveform strip under the mask buttons
};

// Parses the text of settings.ini; keys missing from the text keep defaults.
MaskSettings ParseSettingsText(std::string_view text);
// The tenth value: on when it reads as a number other than 0; off when the
// file has no tenth "=".
DisplaySettings ParseDisplaySettings(std::string_view text);

// The exact bytes written to settings.ini.
std::string FormatSettingsText(const MaskSettings& settings,
                               const DisplaySettings& display = DisplaySettings());

struct SettingsFile {
  MaskSettings Masks;
  DisplaySettings Display;
};

// Reads settings.ini at path; a missing or unreadable file gives defaults.
SettingsFile ReadSettingsFileWithDisplay(const std::string& path);
MaskSettings ReadSettingsFile(const std::string& path);

// Writes settings.ini at path; returns false when it could not be written
// completely (the caller decides whether that matters).
bool WriteSettingsFile(const MaskSettings& settings, const std::string& path,
                       const DisplaySettings& display = DisplaySettings());

}  // namespace belmo
