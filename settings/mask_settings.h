// The eight values the three masks use, and their file settings.ini.
//
// The file is read by position, not by name: the k-th "=" after the section
// line gives the k-th key, whatever stands before it. It is written as nine
// CR LF terminated lines; with all defaults it is exactly 131 bytes. One
// choice of the main window may follow as a tenth line, "ShowWaveform=1",
// written only while that choice is on: a reader that knows nine keys never
// looks past them, and with the choice off the file is the nine lines.
//
// A program that holds paths in UTF-8 writes the overwrite path in the
// ninth line's own form (code page 932 on Windows) whenever that form can
// hold it, so the file stays as every version wrote it. A path it cannot
// hold (a character outside the code page, or past 259 bytes) leaves the
// ninth line empty and follows, in UTF-8, as an eleventh line
// "OverWriteFileUTF8=", with the tenth written out as "ShowWaveform=0" or
// "=1" before it. A version that knows only nine or ten keys never reads
// it: it sees no overwrite file, and drops the line when it writes the file
// at its exit; every other value it reads and keeps as before.
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
  // UTF-8 in the programs; the ninth line of the file holds at most
  // kMaxPathBytes bytes of it.
  std::string OverWriteFilePath;
  uint8_t OverWriteType = 0;  // 0: once, 1: continuous
};

// The main window's choices kept after the mask settings.
struct DisplaySettings {
  bool ShowWaveform = false;  // the waveform strip under the mask buttons
};

// How the ninth line spells a path. Left empty, the line holds the path's
// bytes as they are and no eleventh line is read or written.
struct PathLineForm {
  // The line's form of a UTF-8 path; false when the line cannot hold it.
  bool (*ToLine)(const std::string& path, std::string* line) = nullptr;
  // A path read from the line, in UTF-8.
  std::string (*FromLine)(const std::string& line) = nullptr;
};

// Parses the text of settings.ini; keys missing from the text keep defaults.
MaskSettings ParseSettingsText(std::string_view text, const PathLineForm& form = PathLineForm());
// The tenth value: on when it reads as a number other than 0; off when the
// file has no tenth "=".
DisplaySettings ParseDisplaySettings(std::string_view text);

// The exact bytes written to settings.ini.
std::string FormatSettingsText(const MaskSettings& settings,
                               const DisplaySettings& display = DisplaySettings(),
                               const PathLineForm& form = PathLineForm());

struct SettingsFile {
  MaskSettings Masks;
  DisplaySettings Display;
};

// Reads settings.ini at path; a missing or unreadable file gives defaults.
SettingsFile ReadSettingsFileWithDisplay(const std::string& path,
                                         const PathLineForm& form = PathLineForm());
MaskSettings ReadSettingsFile(const std::string& path);

// Writes settings.ini at path; returns false when it could not be written
// completely (the caller decides whether that matters).
bool WriteSettingsFile(const MaskSettings& settings, const std::string& path,
                       const DisplaySettings& display = DisplaySettings(),
                       const PathLineForm& form = PathLineForm());

}  // namespace belmo
