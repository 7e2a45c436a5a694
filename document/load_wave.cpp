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

// Playback and the next load use the working copy, so after a failed load it
// must again hold what the document holds: the open image, or nothing.
void RestoreWorkingCopy(WavDocument& document, FileStore& files) {
  if (document.IsOpen()) {
    ReplaceWorkingCopy(document, files);
  } else {
    RemoveWorkingCopy(BufferText(document.WorkingCopyPath), files);
  }
}

int32_t LengthOfData(const std::vector<uint8_t>& bytes, const WaveFormat& format) {
  const int64_t length = LengthMsByChunks(bytes.data(), bytes.size(), format);
  return length > std::numeric_limits<int32_t>::max() ? 0 : static_cast<int32_t>(length);
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
  const bool recovering = path == workingCopy;
  // A file of 2 GiB or more is refused before it is read: reading it whole
  // would take long, and may fail for want of memory and be told as a
  // file that cannot be opened. Any other file its header refuses is
  // refused before the working copy is touched, since the copy may be made
  // while the file is read. (A left-over copy is judged once its journal
  // is in.)
  if (std::unique_ptr<FileView> view = files.OpenView(path)) {
    const bool tooLarge = view->Size() > static_cast<size_t>(std::numeric_limits<int32_t>::max());
    if (tooLarge || !recovering) {
      WaveFormat ignored;
      const WaveCheck check = InspectWaveImage(view->Data(), view->Size(), &ignored, claim);
      if (tooLarge) return check == WaveCheck::Rf64 ? LoadOutcome::Rf64 : LoadOutcome::TooLarge;
      if (check != WaveCheck::Ok) return LoadOutcomeOf(check);
    }
  }
  // A left-over working copy first gets the edit a crash interrupted.
  const bool journalLeft = recovering && !FinishInterruptedUpdate(workingCopy, files);
  std::vector<uint8_t> bytes;
  // Whether the working copy already holds these bytes.
  bool copied = false;
  const bool read = recovering ? files.ReadWhole(path, &bytes)
                               : ReadIntoWorkingCopy(path, workingCopy, &bytes, &copied, files);
  if (!read) return LoadOutcome::Unreadable;
  // The copy on the disk then lacks the last edit: the image has it, and
  // the copy is rewritten whole at the next edit.
  const bool copyLacksEdit = journalLeft && ApplyInterruptedUpdate(workingCopy, &bytes, files);

  WaveFormat format;
  const WaveCheck check = InspectWaveImage(bytes.data(), bytes.size(), &format, claim);
  if (check != WaveCheck::Ok) {
    // The file changed between its header's check and the read.
    if (copied) RestoreWorkingCopy(document, files);
    return LoadOutcomeOf(check);
  }

  // The device measures the working copy, not the file itself, so the copy
  // has to be written before the length can be known.
  // A working copy left over by a crash is loaded from its own place: it
  // already holds these bytes, and it may be the only copy of the user's
  // edits, so it is neither rewritten nor removed when the load fails.
  if (!recovering && !copied) {
    if (!WriteWholeWorkingCopy(workingCopy, bytes.data(), bytes.size(), files)) {
      RestoreWorkingCopy(document, files);
      return LoadOutcome::WorkingCopyFailed;
    }
  }

  // A file the device cannot measure has no range to select or mask, unless
  // it is one of the formats a device may not take: those are measured by
  // their data chunk.
  int32_t lengthMs = 0;
  if (!QueryLengthMs(workingCopy, device, &lengthMs) || lengthMs < 1) {
    lengthMs = format.IsPlainPcm() ? 0 : LengthOfData(bytes, format);
  }
  if (lengthMs < 1) {
    if (!recovering) RestoreWorkingCopy(document, files);
    return LoadOutcome::LengthUnknown;
  }

  // Moving, not copying: the previous image is released here and a large
  // file is never held twice.
  document.Image = std::move(bytes);
  document.Format = format;
  document.LengthMs = lengthMs;
  document.ChangeCount = 0;
  document.HasSavedFile = !recovering;
  document.WorkingCopyInStep = !copyLacksEdit;
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
