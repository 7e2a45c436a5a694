#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "document/wav_document.h"
#include "document/working_copy.h"
#include "numtext/number_text.h"
#include "window/utf8_path.h"

namespace belmo {

bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

namespace {

// The device answers a length in milliseconds, possibly with a fraction.
// Anything else (an empty reply, an error text) must not become a length,
// and TextToNumber would quietly turn it into 0.
bool IsDecimalText(const std::string& text) {
  bool digits = false;
  bool point = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

int32_t LengthOfData(const ImageBytes& bytes, const WaveFormat& format) {
  const int64_t length = LengthMsByChunks(bytes.data(), bytes.size(), format);
  return length > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(length);
}

// The device measures the working copy, so the length of a file not yet
// loaded is known only once its copy holds the working copy's name. 0 when
// the device cannot tell; a format the device may not take is measured by
// its data chunk instead.
int32_t MeasureLength(const std::string& workingCopy, const ImageBytes& image,
                      const WaveFormat& format, SoundDevice& device) {
  int32_t lengthMs = 0;
  if (!QueryLengthMs(workingCopy, device, &lengthMs) || lengthMs < 1) {
    lengthMs = format.IsPlainPcm() ? 0 : LengthOfData(image, format);
  }
  return lengthMs < 1 ? 0 : lengthMs;
}

void TakeImage(WavDocument& document, ImageBytes&& image, const WaveFormat& format,
               int32_t lengthMs) {
  // Moving, not copying: the previous image is let go here (a view of the
  // working copy is unmapped) and a large file is never held twice.
  document.Image = std::move(image);
  document.Format = format;
  document.LengthMs = lengthMs;
  document.ChangeCount = 0;
}

// A working copy left over by a crash is loaded from its own place: its
// image is a view of it, and it may be the only copy of the user's edits,
// so it is neither rewritten nor removed when the load fails.
LoadOutcome LoadLeftWorkingCopy(const std::string& workingCopy, FileStore& files,
                                SoundDevice& device, WavDocument& document,
                                FormatClaim* claim) {
  // First the edit a crash interrupted.
  const bool journalLeft = !FinishInterruptedUpdate(workingCopy, files);
  std::unique_ptr<FileImage> opened = files.OpenImage(workingCopy);
  if (!opened) return LoadOutcome::Unreadable;
  if (opened->Size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    return LoadOutcome::TooLarge;
  }
  ImageBytes image(std::move(opened));
  // The copy on the disk then lacks the last edit: the image has it, and
  // the copy is written whole at the next edit.
  const bool copyLacksEdit = journalLeft && ApplyInterruptedUpdate(workingCopy, &image, files);
  WaveFormat format;
  const WaveCheck check = InspectWaveImage(image.data(), image.size(), &format, claim);
  if (check != WaveCheck::Ok) return LoadOutcomeOf(check);
  const int32_t lengthMs = MeasureLength(workingCopy, image, format, device);
  if (lengthMs < 1) return LoadOutcome::LengthUnknown;
  TakeImage(document, std::move(image), format, lengthMs);
  document.HasSavedFile = false;
  document.WorkingCopyInStep = !copyLacksEdit;
  return LoadOutcome::Loaded;
}

// After a failed load the working copy must again hold what the document
// holds, for playback and the next load: the open image, or nothing.
void PutBackWorkingCopy(WavDocument& document, bool movedAside, FileStore& files) {
  const std::string workingCopy = BufferText(document.WorkingCopyPath);
  if (!movedAside || !files.Rename(AsidePathOf(workingCopy), workingCopy)) {
    files.Remove(workingCopy);
  }
  if (!document.IsOpen()) {
    RemoveWorkingCopy(workingCopy, files);
  } else if (!movedAside) {
    ReplaceWorkingCopy(document, files);
  }
}

}  // namespace

LoadOutcome LoadOutcomeOf(WaveCheck check) {
  switch (check) {
    case WaveCheck::Ok: return LoadOutcome::Loaded;
    case WaveCheck::TooShort: return LoadOutcome::TooShort;
    case WaveCheck::NotPcm: return LoadOutcome::NotPcm;
    case WaveCheck::Compressed: return LoadOutcome::Compressed;
    case WaveCheck::UnsupportedFormat: return LoadOutcome::UnsupportedFormat;
    case WaveCheck::NoDataTag: return LoadOutcome::NoDataTag;
    case WaveCheck::TooLarge: return LoadOutcome::TooLarge;
    case WaveCheck::Rf64: return LoadOutcome::Rf64;
  }
  return LoadOutcome::NotPcm;
}

bool QueryLengthMs(const std::string& workingCopyPath, SoundDevice& device, int32_t* lengthMs) {
  const std::string open = "open \"" + workingCopyPath + "\" alias dealwave type waveaudio wait";
  if (device.Send(open, nullptr) != 0) return false;

  // Once the alias is open it is closed whatever happens, or playback could
  // not open it again. Without the millisecond time format the length would
  // come in another unit, so a failed "set" skips the question.
  std::string reply;
  bool answered = device.Send("set dealwave time format ms wait", nullptr) == 0 &&
                  device.Send("status dealwave length wait", &reply) == 0;
  device.Send("close dealwave wait", nullptr);

  if (!answered || !IsDecimalText(reply)) return false;
  const int64_t length = RoundHalfEven(TextToNumber(reply));
  if (length > std::numeric_limits<int32_t>::max()) return false;
  *lengthMs = static_cast<int32_t>(length);
  return true;
}

LoadOutcome LoadWaveImage(const std::string& path, FileStore& files, SoundDevice& device,
                          WavDocument& document, FormatClaim* claim) {
  const std::string workingCopy = BufferText(document.WorkingCopyPath);
  if (path == workingCopy) return LoadLeftWorkingCopy(workingCopy, files, device, document, claim);
  // A file of 2 GiB or more is refused before it is read: reading it whole
  // would take long, and may fail for want of memory and be told as a
  // file that cannot be opened. Any other file its header refuses is
  // refused before the working copy is touched.
  {
    std::unique_ptr<FileView> view = files.OpenView(path);
    if (!view) return LoadOutcome::Unreadable;
    const bool tooLarge = view->Size() > static_cast<size_t>(std::numeric_limits<int32_t>::max());
    WaveFormat ignored;
    const WaveCheck check = InspectWaveImage(view->Data(), view->Size(), &ignored, claim);
    if (tooLarge) return check == WaveCheck::Rf64 ? LoadOutcome::Rf64 : LoadOutcome::TooLarge;
    if (check != WaveCheck::Ok) return LoadOutcomeOf(check);
  }

  // The new working copy is made beside the one in use, and the image is a
  // view of it (or its bytes read, where the store has no views).
  std::unique_ptr<FileWriter> copy = files.CopyBeside(path, workingCopy);
  if (!copy) return files.Exists(path) ? LoadOutcome::WorkingCopyFailed : LoadOutcome::Unreadable;
  std::unique_ptr<FileImage> opened = files.OpenImage(copy->PendingPath());
  if (!opened) return LoadOutcome::WorkingCopyFailed;
  ImageBytes image(std::move(opened));
  WaveFormat format;
  const WaveCheck check = InspectWaveImage(image.data(), image.size(), &format, claim);
  // The file changed between its header's check and the copy.
  if (check != WaveCheck::Ok) return LoadOutcomeOf(check);

  // A journal left by a patch that failed completes the open document's
  // copy; it must never be written into the new one.
  const std::string journal = JournalPathOf(workingCopy);
  if (files.Exists(journal)) {
    if (!files.Remove(journal)) return LoadOutcome::WorkingCopyFailed;
    document.WorkingCopyInStep = false;
  }
  // The copy in use is moved aside, not replaced: the open image may be a
  // view of it (a mapped file can be renamed, never replaced), and a load
  // that fails from here on puts it back.
  const bool movedAside = files.Exists(workingCopy);
  if (movedAside && !files.Rename(workingCopy, AsidePathOf(workingCopy))) {
    return LoadOutcome::WorkingCopyFailed;
  }
  if (!copy->Commit()) {
    PutBackWorkingCopy(document, movedAside, files);
    return LoadOutcome::WorkingCopyFailed;
  }
  const int32_t lengthMs = MeasureLength(workingCopy, image, format, device);
  if (lengthMs < 1) {
    image.clear();  // a mapped file cannot be removed or replaced
    PutBackWorkingCopy(document, movedAside, files);
    return LoadOutcome::LengthUnknown;
  }
  TakeImage(document, std::move(image), format, lengthMs);
  document.HasSavedFile = true;
  document.WorkingCopyInStep = true;
  if (movedAside) files.Remove(AsidePathOf(workingCopy));
  return LoadOutcome::Loaded;
}

std::string FileNamePart(const std::string& path) {
  size_t nameStart = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsCp932LeadByte(c)) {
      ++i;  // the trail byte is part of the character, whatever its value
    } else if (c == '\\') {
      nameStart = i + 1;
    }
  }
  return path.substr(nameStart);
}

std::string BufferText(const char (&buffer)[kPathBufferBytes]) {
  const char* end = std::find(buffer, buffer + kPathBufferBytes, '\0');
  return std::string(buffer, end);
}

void CopyToBuffer(const std::string& text, char (&buffer)[kPathBufferBytes]) {
  const size_t limit = std::min(text.size(), static_cast<size_t>(kPathBufferBytes - 1));
  size_t length = 0;
  while (length < limit) {
    const size_t width =
        IsCp932LeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
    if (length + width > limit) break;
    length += width;
  }
  std::memcpy(buffer, text.data(), length);
  std::memset(buffer + length, 0, kPathBufferBytes - length);
}

std::string BufferText(const char (&buffer)[kDocumentPathBytes]) {
  const char* end = std::find(buffer, buffer + kDocumentPathBytes, '\0');
  return std::string(buffer, end);
}

void CopyToBuffer(const std::string& text, char (&buffer)[kDocumentPathBytes]) {
  const size_t length = Utf8PrefixLength(text, kDocumentPathBytes - 1);
  std::memcpy(buffer, text.data(), length);
  std::memset(buffer + length, 0, kDocumentPathBytes - length);
}

}  // namespace belmo
