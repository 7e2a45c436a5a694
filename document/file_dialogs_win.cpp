#include "document/file_dialogs_win.h"

#include <windows.h>
#include <commdlg.h>

#include "document/document_state.h"

namespace belmo {
namespace {

constexpr char kWaveFilter[] = "WAVEファイル(*.wav)\0*.wav\0";

OPENFILENAMEA WaveFileDialog(DWORD flags) {
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = nullptr;
  dialog.lpstrFilter = kWaveFilter;
  dialog.nFilterIndex = 0;
  dialog.lpstrFile = Document.Path;
  dialog.nMaxFile = sizeof Document.Path;
  dialog.lpstrFileTitle = Document.Title;
  dialog.nMaxFileTitle = sizeof Document.Title;
  dialog.lpstrDefExt = "wav";
  dialog.Flags = flags;
  return dialog;
}

}  // namespace

bool ShowWaveOpenDialog() {
  OPENFILENAMEA dialog = WaveFileDialog(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  return GetOpenFileNameA(&dialog) != 0;
}

bool ShowWaveSaveDialog() {
  OPENFILENAMEA dialog = WaveFileDialog(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
  return GetSaveFileNameA(&dialog) != 0;
}

}  // namespace belmo
