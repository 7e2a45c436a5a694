// The user's commands on the open document: saving, Revert, Undo, and the
// question asked before unsaved changes would be dropped.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "document/document_state.h"

namespace belmo {

// Path and Title as they were before a dialog wrote into them (they are the
// dialogs' buffers), for a choice that is cancelled or refused.
struct SavedName {
  char path[kDocumentPathBytes];
  char title[kDocumentPathBytes];

  SavedName() {
    std::memcpy(path, Document.Path, sizeof path);
    std::memcpy(title, Document.Title, sizeof title);
  }
  void Restore() const {
    std::memcpy(Document.Path, path, sizeof path);
    std::memcpy(Document.Title, title, sizeof title);
  }
};

// Writes the image to path. A real file is replaced only by a complete new
// one; on success the document counts as saved and Revert and Undo are
// grayed. False (after telling the user) when nothing was saved.
bool WriteImageToFile(const char* path);

// Brings the working copy in step after a mask or an Undo changed
// image[start, end); warns the user when it fails, since a crash would
// then lose the edits.
void UpdateWorkingCopyAfterEdit(int64_t start, int64_t end);
// The same after an edit of several spans, earliest first.
void UpdateWorkingCopyAfterEdits(const std::vector<std::pair<int64_t, int64_t>>& spans);

void SaveDocument();
void SaveDocumentAs();
void RevertDocument();
void ToggleUndo();

// Before the document is dropped (Open, exit): asks whether to save unsaved
// changes. True when the caller may go on: nothing was changed, the user
// answered No, or the changes were saved. False when the user cancelled,
// here or in the save dialog, or the save failed.
bool ConfirmDiscardChanges();

}  // namespace belmo
