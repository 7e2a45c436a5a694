// The WAVE file dialog shared by Open, Save As and the save prompts. Its
// file and file-title buffers are the document's Path and Title, so a
// confirmed dialog has already put the chosen file there.
#pragma once

namespace belmo {

// True when the user chose a file; Path and Title then hold it.
bool ShowWaveOpenDialog();
bool ShowWaveSaveDialog();

}  // namespace belmo
