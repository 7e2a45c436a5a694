// The one open WAVE file. The whole file is held as one byte image, header
// included; masks rewrite sample bytes inside it and saving writes it out
// whole. Its format (channels, rate, bits, where the samples are) is what
// the WAVE reader found in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/image_bytes.h"
#include "document/platform.h"
#include "document/wave_format.h"

namespace belmo {

constexpr int kPathBufferBytes = 260;
// The document's names are UTF-8 (window/utf8_path.h). Where the system
// takes long paths, a path may be as long as this buffer holds.
constexpr int kDocumentPathBytes = 4096;

struct WavDocument {
  ImageBytes Image;
  // Channels, SampleRate, BitsPerSample and DataTagOffset of the file.
  WaveFormat Format;
  int32_t LengthMs = 0;
  // Fixed buffers of UTF-8 names.
  char Path[kDocumentPathBytes] = {};
  char Title[kDocumentPathBytes] = {};
  char WorkingCopyPath[kDocumentPathBytes] = {};
  int16_t ChangeCount = 0;
  // Whether the working copy is known to hold the image: then an edit only
  // writes the span it changed into it.
  bool WorkingCopyInStep = false;
  // False for a working copy recovered at start-up: it was never saved as a
  // file of its own, so Save asks for a name and Revert has nothing to go
  // back to.
  bool HasSavedFile = false;

  int32_t ImageSize() const { return static_cast<int32_t>(Image.size()); }
  bool IsOpen() const { return !Image.empty(); }
};

// The result of loading a file into the document.
enum class LoadOutcome {
  Loaded,
  Unreadable,         // cannot be opened or read
  TooShort,
  NotPcm,
  Compressed,
  UnsupportedFormat,
  NoDataTag,
  TooLarge,
  Rf64,
  WorkingCopyFailed,  // the working copy could not be written
  LengthUnknown,      // the sound device could not measure the working copy
};

// The load outcome that reports a failed check.
LoadOutcome LoadOutcomeOf(WaveCheck check);

// Checks path, copies it as the new working copy (hidden), takes the image
// from that copy and asks the sound device for the length in
// milliseconds. On success replaces every field but Path, Title and
// WorkingCopyPath and sets ChangeCount to 0. On any failure the document
// is left exactly as it was, and so is the working copy (the copy in use
// is moved aside until the new one is accepted, and put back; removed when
// no document is open). claim, when given, receives what a refused file
// says of its format, for the message.
//
// A format beyond plain 8- and 16-bit PCM that the device cannot measure
// (it may not play 24-bit, float or G.711) gets its length from the data
// chunk instead of being refused: it can still be masked and saved.
LoadOutcome LoadWaveImage(const std::string& path, FileStore& files, SoundDevice& device,
                          WavDocument& document, FormatClaim* claim = nullptr);

// The four command strings that measure a file, with the alias "dealwave".
// Returns false when the device cannot open or measure it.
bool QueryLengthMs(const std::string& workingCopyPath, SoundDevice& device, int32_t* lengthMs);

// Lead bytes of code page 932 double-byte characters. Their second byte may
// be 0x5C, the backslash, or an ASCII letter, so paths must be walked
// character by character.
bool IsCp932LeadByte(unsigned char c);

// The part of a path after its last backslash (the whole path without one).
// Code page 932 aware: the second byte of a double-byte character such as
// "表" is 0x5C and is not taken for a separator.
std::string FileNamePart(const std::string& path);

// The text held in a fixed buffer, up to its first zero byte.
std::string BufferText(const char (&buffer)[kPathBufferBytes]);

// Copies text into a fixed buffer, cut to fit, always zero-terminated. The cut
// never splits a code page 932 double-byte character.
void CopyToBuffer(const std::string& text, char (&buffer)[kPathBufferBytes]);

// The same for the document's UTF-8 names: a cut never splits a character.
std::string BufferText(const char (&buffer)[kDocumentPathBytes]);
void CopyToBuffer(const std::string& text, char (&buffer)[kDocumentPathBytes]);

}  // namespace belmo
