// The main window, its child controls and its menus: created once at
// start-up, alive until exit. Child controls have no identifiers; the
// window procedure recognises them by these handles. Every window of the
// program reaches the main window through here.
#pragma once

#include <windows.h>

namespace belmo {

struct MainWindowHandles {
  HWND MainWindow = nullptr;
  HWND FileNameBox = nullptr;
  HWND RangeGroup = nullptr;
  HWND StartTrackbar = nullptr;
  HWND EndTrackbar = nullptr;
  HWND StartSecondsBox = nullptr;
  HWND EndSecondsBox = nullptr;
  HWND InfoBox = nullptr;
  HWND PlayButton = nullptr;
  HWND SeekOnStopCheck = nullptr;
  HWND SeekStartRadio = nullptr;
  HWND SeekRangeRadio = nullptr;
  HWND SineButton = nullptr;
  HWND VoiceChangeButton = nullptr;
  HWND FileOverwriteButton = nullptr;
  HWND WaveformStrip = nullptr;  // hidden unless "波形を表示(&W)" is checked
  HMENU MenuBar = nullptr;
  HMENU FileMenu = nullptr;
  HMENU EditMenu = nullptr;
  HMENU SettingsMenu = nullptr;
  HMENU HelpMenu = nullptr;
};

inline MainWindowHandles MainUi;

// The main window's client area in 96-DPI pixels: the waveform strip below
// the mask buttons makes it 100 pixels higher.
constexpr int kMainClientWidth = 300;
int MainClientHeight(bool withWaveform);

// The main window's size, with or without the waveform strip.
void SizeMainWindow(bool withWaveform);

}  // namespace belmo
