// The user's commands on the open document: saving, Revert, Undo, and the
// question asked before unsaved changes would be dropped.
#pragma once

#include <cstdint>

namespace belmo {

// Writes the image to path. A real file is replaced only by a complete new
// one; on success the document counts as saved and Revert and Undo are
// grayed. False (after telling the user) when nothing was saved.
bool WriteImageToFile(const char* path);

// Brings the working copy in step after a mask or an Undo changed
// image[start, end); warns the user when it fails, since a crash would
// then lose the edits.
void UpdateWorkingCopyAfterEdit(int64_t start, int64_t end);

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
