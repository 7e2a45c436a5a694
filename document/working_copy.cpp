#include "document/working_copy.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace belmo {
namespace {

// The journal: a tag, where the span goes, how long it is and how long the
// copy is, the span's bytes, and a checksum of all of that, so that a
// journal cut short or from another copy is never written into one.
constexpr char kJournalTag[8] = {'B', 'E', 'L', 'M', 'O', 'J', 'N', 'L'};
constexpr size_t kJournalHead = 8 + 3 * 8;
constexpr size_t kChecksumBytes = 8;

void PutLe64(uint8_t* at, uint64_t value) {
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t Le64(const uint8_t* at) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

// FNV-1a: cheap, and enough to tell a whole journal from a torn one.
constexpr uint64_t kChecksumStart = 14695981039346656037ull;

uint64_t Checksum(const uint8_t* bytes, size_t size, uint64_t hash = kChecksumStart) {
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return hash;
}

// Written as it is made, straight from the image: a journal of most of an
// hour costs no second copy of it in memory.
bool WriteJournal(const std::string& journalPath, const ImageBytes& image, int64_t start,
                  int64_t end, FileStore& files) {
  const auto length = static_cast<size_t>(end - start);
  uint8_t head[kJournalHead];
  std::memcpy(head, kJournalTag, sizeof kJournalTag);
  PutLe64(head + 8, static_cast<uint64_t>(start));
  PutLe64(head + 16, length);
  PutLe64(head + 24, image.size());
  const uint8_t* span = image.data() + start;
  uint8_t checksum[kChecksumBytes];
  PutLe64(checksum, Checksum(span, length, Checksum(head, kJournalHead)));
  std::unique_ptr<FileWriter> writer = files.BeginHiddenReplace(journalPath);
  return writer && writer->Append(head, kJournalHead) && writer->Append(span, length) &&
         writer->Append(checksum, kChecksumBytes) && writer->Commit();
}

// The span a whole journal holds for a copy of copySize bytes; false for
// a journal cut short, spoiled, or written for a copy of another length.
bool ReadJournal(const std::vector<uint8_t>& journal, uint64_t copySize, uint64_t* offset,
                 uint64_t* length) {
  if (journal.size() < kJournalHead + kChecksumBytes ||
      std::memcmp(journal.data(), kJournalTag, sizeof kJournalTag) != 0) {
    return false;
  }
  *offset = Le64(journal.data() + 8);
  *length = Le64(journal.data() + 16);
  if (*length != journal.size() - kJournalHead - kChecksumBytes ||
      Le64(journal.data() + 24) != copySize || *offset > copySize ||
      copySize - *offset < *length) {
    return false;
  }
  const size_t body = kJournalHead + static_cast<size_t>(*length);
  return Checksum(journal.data(), body) == Le64(journal.data() + body);
}

// Writes image[start, end) into the copy: first the journal, then the
// span, then the journal goes.
bool PatchWorkingCopy(WavDocument& document, int64_t start, int64_t end, FileStore& files) {
  const bool view = document.Image.IsView();
  const std::string path = BufferText(document.WorkingCopyPath);
  const std::string journalPath = JournalPathOf(path);
  if (!WriteJournal(journalPath, document.Image, start, end, files)) {
    if (view) return document.WorkingCopyInStep = false;
    return ReplaceWorkingCopy(document, files);
  }
  if (!files.WriteAt(path, static_cast<uint64_t>(start), document.Image.data() + start,
                     static_cast<size_t>(end - start))) {
    // The copy may hold part of the span now; the journal, which completes
    // it, stays until the whole image is in its place.
    document.WorkingCopyInStep =
        !view && files.WriteWhole(path, document.Image.data(), document.Image.size(), true) &&
        files.Remove(journalPath);
    return document.WorkingCopyInStep;
  }
  // A journal left behind would, after a crash, be written over later
  // edits: until it is gone the copy is rewritten whole.
  document.WorkingCopyInStep = files.Remove(journalPath);
  return true;
}

}  // namespace

std::string JournalPathOf(const std::string& workingCopyPath) {
  return workingCopyPath + ".journal";
}

std::string AsidePathOf(const std::string& workingCopyPath) {
  return workingCopyPath + ".belmo-old";
}

bool ReplaceWorkingCopy(WavDocument& document, FileStore& files) {
  // An image that is a view of the copy holds the copy in place (the
  // system refuses to replace a mapped file): the whole image is written
  // into it, through the journal as any edit is.
  if (document.Image.IsView()) {
    return PatchWorkingCopy(document, 0, static_cast<int64_t>(document.Image.size()), files);
  }
  const std::string path = BufferText(document.WorkingCopyPath);
  const std::string journal = JournalPathOf(path);
  document.WorkingCopyInStep =
      (!files.Exists(journal) || files.Remove(journal)) &&
      files.WriteWhole(path, document.Image.data(), document.Image.size(), true);
  return document.WorkingCopyInStep;
}

bool UpdateWorkingCopy(WavDocument& document, int64_t start, int64_t end, FileStore& files) {
  const auto size = static_cast<int64_t>(document.Image.size());
  const bool spanFits = start >= 0 && start < end && end <= size;
  // A span of most of the image is cheaper written whole, and as safely:
  // the whole copy is renamed into place too (unless the image is a view
  // of it: a patch then costs what it costs).
  if (!document.WorkingCopyInStep || !spanFits ||
      (!document.Image.IsView() && end - start > size / 2)) {
    return ReplaceWorkingCopy(document, files);
  }
  return PatchWorkingCopy(document, start, end, files);
}

bool SaveImage(const WavDocument& document, const std::string& path, FileStore& files) {
  const std::string workingCopy = BufferText(document.WorkingCopyPath);
  if (document.WorkingCopyInStep && !files.Exists(JournalPathOf(workingCopy))) {
    return files.ReplaceWithCopy(path, workingCopy);
  }
  return files.WriteWhole(path, document.Image.data(), document.Image.size(), false);
}

namespace {

// A write killed before its rename left its content beside the copy or the
// journal; none of it is ever read: the copy and the journal in place are
// what a recovery goes by.
void RemoveLeftPendingFiles(const std::string& workingCopyPath, FileStore& files) {
  // A load's copy in the making, and the copy it moved aside, bear names
  // only the program gives, in its own folder. (The load happened after
  // the question about unsaved changes: what the copy aside held was
  // saved or given up.)
  for (const std::string& own : {CopyPathOf(workingCopyPath), AsidePathOf(workingCopyPath)}) {
    if (files.Exists(own)) files.Remove(own);
  }
  files.RemoveLeftPendingFiles(workingCopyPath);
  files.RemoveLeftPendingFiles(JournalPathOf(workingCopyPath));
}

}  // namespace

void RemoveWorkingCopy(const std::string& workingCopyPath, FileStore& files) {
  files.Remove(workingCopyPath);
  files.Remove(JournalPathOf(workingCopyPath));
  RemoveLeftPendingFiles(workingCopyPath, files);
}

bool FinishInterruptedUpdate(const std::string& workingCopyPath, FileStore& files) {
  RemoveLeftPendingFiles(workingCopyPath, files);
  const std::string journalPath = JournalPathOf(workingCopyPath);
  if (!files.Exists(journalPath)) return true;
  std::vector<uint8_t> journal;
  uint64_t offset = 0;
  uint64_t length = 0;
  std::unique_ptr<FileView> copy = files.OpenView(workingCopyPath);
  if (!copy || !files.ReadWhole(journalPath, &journal)) return false;  // tried again next time
  if (ReadJournal(journal, copy->Size(), &offset, &length)) {
    copy.reset();
    if (!files.WriteAt(workingCopyPath, offset, journal.data() + kJournalHead,
                       static_cast<size_t>(length))) {
      return false;
    }
  }
  files.Remove(journalPath);
  return true;
}

bool ApplyInterruptedUpdate(const std::string& workingCopyPath, ImageBytes* image,
                            FileStore& files) {
  std::vector<uint8_t> journal;
  uint64_t offset = 0;
  uint64_t length = 0;
  if (!files.ReadWhole(JournalPathOf(workingCopyPath), &journal) ||
      !ReadJournal(journal, image->size(), &offset, &length)) {
    return false;
  }
  std::memcpy(image->data() + offset, journal.data() + kJournalHead, static_cast<size_t>(length));
  return true;
}

}  // namespace belmo
