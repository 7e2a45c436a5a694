#include "app/open_file_win.h"

#include <windows.h>

#include "document/document_commands_win.h"
#include "document/document_state.h"
#include "document/file_dialogs_win.h"
#include "document/load_wave_win.h"
#include "launch/command_line.h"
#include "places/places_window_win.h"
#include "window/message_box_win.h"
#include "window/utf8_path.h"
#include "window/wide_text_win.h"

namespace belmo {
namespace {

// Checked before the path reaches a buffer: a path cut to fit would name
// another file, or none.
bool OpenHandedFile(const std::string& path) {
  if (ShowPathProblem(path)) return false;
  CopyToBuffer(path, Document.Path);
  CopyToBuffer(Utf8FileName(path), Document.Title);
  return LoadWave(Document.Path) == 0;
}

bool OpenChosenFile() {
  return ShowWaveOpenDialog() && !ShowPathProblem(Document.Path) && LoadWave(Document.Path) == 0;
}

}  // namespace

bool ShowPathProblem(const std::string& path) {
  const char* problem = FileProblemText(FindPathProblem(path, SystemTakesLongPaths()));
  if (problem) ShowProductMessage(problem, MB_OK | MB_ICONWARNING);
  return problem != nullptr;
}

void OpenDocumentFile(const std::string* handedPath) {
  if (!ConfirmDiscardChanges() || !ConfirmEmptyPlaces()) return;
  const SavedName before;
  if (handedPath ? OpenHandedFile(*handedPath) : OpenChosenFile()) return;
  before.Restore();
}

}  // namespace belmo
