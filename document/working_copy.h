// The hidden working copy beside the program (temp.tmp): the image as it
// is now, written at every load and after every mask and Undo, so that
// playback plays the edits and a run that does not end normally loses none
// of them.
//
// A mask or an Undo changes one span of the image, and only that span is
// written into the copy: an edit costs the same in an hour-long recording
// as in a minute. The span goes first to a journal beside the copy, which
// is written beside itself and renamed into place (so it is whole or not
// there at all), then into the copy, and the journal is removed. A run
// that ends at any moment leaves the copy as it was before the edit (no
// journal yet) or a journal that the next start writes into it (after):
// never half of an edit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/platform.h"
#include "document/wav_document.h"

namespace belmo {

// Writes the whole image whenever the copy cannot be trusted to hold it. A
// journal of an earlier edit goes first, so it can never be written into
// the newer copy. An image that is a view of the copy is written into it,
// through the journal.
bool ReplaceWorkingCopy(WavDocument& document, FileStore& files);

// After a mask or an Undo changed image[start, end): the copy held the rest
// already, so only the span is written. The whole image is written instead
// when the copy is not known to be in step (an earlier write failed), or,
// for an image in memory, when the span is most of it or the patch fails.
bool UpdateWorkingCopy(WavDocument& document, int64_t start, int64_t end, FileStore& files);

// Saves the image as the file at path. A working copy in step holds the
// image byte for byte: the system copies it then, never touching the
// image's pages (each page of a view first touched costs a fault, seconds
// for an hour); otherwise the image is written.
bool SaveImage(const WavDocument& document, const std::string& path, FileStore& files);

// At normal exit: the copy, any journal and whatever a killed run left
// half written beside either go.
void RemoveWorkingCopy(const std::string& workingCopyPath, FileStore& files);

// Before a copy left by a run that did not end normally is opened: what
// that run left half written beside the copy or the journal goes; a whole
// journal is written into the copy; one that is not whole is dropped (the
// copy then is as it was before that edit). False when a journal is left
// because it could not be read or written into the copy.
bool FinishInterruptedUpdate(const std::string& workingCopyPath, FileStore& files);

// When that failed: the journal's edit made in the copy's bytes as read,
// so the edit is not lost with the journal. False for no whole journal.
bool ApplyInterruptedUpdate(const std::string& workingCopyPath, ImageBytes* image,
                            FileStore& files);

std::string JournalPathOf(const std::string& workingCopyPath);
// Where a load moves the working copy while the new one takes its place.
std::string AsidePathOf(const std::string& workingCopyPath);

}  // namespace belmo
