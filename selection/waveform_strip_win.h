// The waveform strip: a control of its own (window class WAVEFORM) under
// the mask buttons, shown while "波形を表示(&W)" is checked. It draws the
// whole recording or a zoomed stretch of it, the range, what the masks
// have changed and where playback is, and sets the range by dragging
// through the same writer as the sliders.
#pragma once

#include <windows.h>

#include <cstdint>

namespace belmo {

LRESULT CALLBACK WaveformStripProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam);

// Menu command 8226: shows or hides the strip, keeps the choice for
// settings.ini and sizes the main window for it.
void ToggleWaveformStrip();
// Shows the strip or not as the settings say (at start-up).
void ApplyWaveformChoice();

// What the strip must follow: a newly loaded image (Open, Revert), a mask
// and an Undo (their span is the undo record's), a new range.
void WaveformAfterLoad();
void WaveformAfterMask();
void WaveformAfterUndo();
void WaveformRangeChanged();
// Zooms the strip to the range, when it is shown (a place of the list
// chosen); the list's marks changed.
void WaveformShowRange();
void WaveformPlacesChanged();

// The main window passes on a wheel turned over the strip; true when it
// was the strip's.
bool WaveformTakesWheel(WPARAM wParam, LPARAM lParam);

// From the playback thread: the position the information box shows.
void WaveformShowPlayPosition(uint32_t positionMs);
// On the main thread once playback has ended.
void WaveformPlaybackEnded();

}  // namespace belmo
