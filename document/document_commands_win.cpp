#include "document/document_commands_win.h"

#include <windows.h>

#include <cstring>
#include <mutex>

#include "document/change_count.h"
#include "document/document_state.h"
#include "document/document_texts.h"
#include "document/file_dialogs_win.h"
#include "document/load_wave_win.h"
#include "document/win32_platform_win.h"
#include "document/working_copy.h"
#include "places/places_window_win.h"
#include "selection/waveform_strip_win.h"
#include "window/command_states_win.h"
#include "window/main_window_handles_win.h"
#include "window/message_box_win.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

bool IsWorkingCopy(const char* path) {
  return std::strcmp(path, Document.WorkingCopyPath) == 0;
}

// The save dialog, then the write. Refuses the working copy as a target:
// it is deleted at exit, so a recording saved there would be lost.
bool SaveUnderChosenName() {
  SavedName before;
  // The working copy's own name is never offered as the place to save.
  if (IsWorkingCopy(Document.Path)) Document.Path[0] = '\0';
  if (!ShowWaveSaveDialog()) {
    before.Restore();
    return false;
  }
  if (IsWorkingCopy(Document.Path)) {
    before.Restore();
    ShowProductMessage(text::kCannotSaveOverWorkingCopy, MB_OK | MB_ICONWARNING);
    return false;
  }
  if (!WriteImageToFile(Document.Path)) {
    before.Restore();
    return false;
  }
  return true;
}

}  // namespace

bool WriteImageToFile(const char* path) {
  Win32FileStore files;
  if (!SaveImage(Document, path, files)) {
    ShowProductMessage(text::kSaveFailed, MB_OK | MB_ICONWARNING);
    return false;
  }
  SetWindowTextUtf8(MainUi.FileNameBox, Document.Title);
  MarkSaved(Document);
  // What Undo would bring back is no longer the last edit of the saved file.
  ClearUndo(Undo);
  UpdateCommandStates();
  return true;
}

void UpdateWorkingCopyAfterEdit(int64_t start, int64_t end) {
  UpdateWorkingCopyAfterEdits({{start, end}});
}

void UpdateWorkingCopyAfterEdits(const std::vector<std::pair<int64_t, int64_t>>& spans) {
  Win32FileStore files;
  for (const auto& [start, end] : spans) {
    // One failure is told once; the copy is then rewritten whole at the
    // next edit, the spans after this one included.
    if (!UpdateWorkingCopy(Document, start, end, files)) {
      ShowProductMessage(text::kWorkingCopyUpdateFailed, MB_OK | MB_ICONWARNING);
      return;
    }
  }
}

// Save: a document recovered from the working copy has no file of its own
// yet, so it is saved under a chosen name instead.
void SaveDocument() {
  if (!Document.IsOpen()) return;
  if (!Document.HasSavedFile || IsWorkingCopy(Document.Path)) {
    SaveUnderChosenName();
    return;
  }
  WriteImageToFile(Document.Path);
}

void SaveDocumentAs() {
  if (!Document.IsOpen()) return;
  SaveUnderChosenName();
}

// Revert: reload the saved file, after asking, when there is one to go back to.
void RevertDocument() {
  if (!Document.IsOpen() || !Document.HasSavedFile || !IsChanged(Document)) return;
  int answer = ShowProductMessage(text::kRevertQuestion,
                                  MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2);
  if (answer != IDOK || !ConfirmEmptyPlaces()) return;
  LoadWave(Document.Path);
}

// Undo: exchange the last edit's span with its saved bytes; a second Undo
// brings the edit back.
void ToggleUndo() {
  if (!Document.IsOpen()) return;
  {
    std::lock_guard<std::mutex> guard(DocumentLock);
    if (!ExchangeUndoBytes(Document.Image, Undo)) return;
  }
  UpdateWorkingCopyAfterEdits(UndoSpans(Undo));
  WaveformAfterUndo();
  PlacesAfterUndo();
  CountUndo(Document, Undo);
  UpdateCommandStates();
}

bool ConfirmDiscardChanges() {
  if (!Document.IsOpen() || !IsChanged(Document)) return true;
  int answer =
      ShowProductMessage(text::kSaveChangesQuestion, MB_YESNOCANCEL | MB_ICONWARNING);
  if (answer == IDNO) return true;
  if (answer != IDYES) return false;
  return SaveUnderChosenName();
}

}  // namespace belmo
