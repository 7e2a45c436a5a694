#include "document/file_dialogs_win.h"

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "document/document_state.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

constexpr char kWaveFilter[] = "WAVEファイル(*.wav)\0*.wav\0";
// Room for a name the system takes only with the long-path prefix; the
// path is refused afterwards, with a word, rather than cut by the dialog.
constexpr DWORD kDialogPathUnits = 1024;

// The wide dialog, so that any name can be chosen; the chosen path and its
// name go into Path and Title as UTF-8, and they stay as they were when the
// user cancels.
bool RunWaveFileDialog(DWORD flags, bool save) {
  const std::wstring filter = WideOfCp932(std::string_view(kWaveFilter, sizeof kWaveFilter));
  std::wstring file = WideOf(BufferText(Document.Path));
  file.resize(kDialogPathUnits, L'\0');
  std::wstring title(kDialogPathUnits, L'\0');
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = nullptr;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 0;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kDialogPathUnits;
  dialog.lpstrFileTitle = title.data();
  dialog.nMaxFileTitle = kDialogPathUnits;
  dialog.lpstrDefExt = L"wav";
  dialog.Flags = flags;
  if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return false;
  CopyToBuffer(Utf8Of(file.c_str()), Document.Path);
  CopyToBuffer(Utf8Of(title.c_str()), Document.Title);
  return true;
}

}  // namespace

bool ShowWaveOpenDialog() {
  return RunWaveFileDialog(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, false);
}

bool ShowWaveSaveDialog() {
  return RunWaveFileDialog(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, true);
}

}  // namespace belmo
