// The one open WAVE file. The whole file is held as one byte image, header
// included; masks rewrite sample bytes inside it and saving writes it out
// whole. The format fields are read at the fixed offsets of the canonical
// header; the sample data starts 8 bytes after the first "data" tag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/platform.h"

namespace belmo {

constexpr int kPathBufferBytes = 260;

struct WavDocument {
  std::vector<uint8_t> Image;
  int16_t Channels = 0;
  int32_t SampleRate = 0;
  int16_t BitsPerSample = 0;
  int32_t DataTagOffset = 0;
  int32_t LengthMs = 0;
  // Fixed buffers: they are also the file buffers of the common dialogs.
  char Path[kPathBufferBytes] = {};
  char Title[kPathBufferBytes] = {};
  char WorkingCopyPath[kPathBufferBytes] = {};
  int16_t ChangeCount = 0;
  // False for a working copy recovered at start-up: it was never saved as a
  // file of its own, so Save asks for a name and Revert has nothing to go
  // back to.
  bool HasSavedFile = false;

  int32_t ImageSize() const { return static_cast<int32_t>(Image.size()); }
  bool IsOpen() const { return !Image.empty(); }
};

// Why an image is or is not a WAVE file this program can edit.
enum class WaveCheck {
  Ok,
  TooShort,           // shorter than the fixed header offsets (36 bytes)
  NotPcm,             // no "WAVE" at offset 8, or format tag is not 1
  UnsupportedFormat,  // PCM, but not 8/16-bit mono/stereo with a sample rate
  NoDataTag,          // no "data" tag with its length field inside the image
  TooLarge,           // does not fit the 32-bit sizes of the document
};

struct WaveFields {
  int16_t Channels = 0;
  int32_t SampleRate = 0;
  int16_t BitsPerSample = 0;
  int32_t DataTagOffset = 0;
};

// Checks the image and reads its fields. Never reads outside [bytes, bytes+size).
// fields is written only when the answer is Ok.
WaveCheck InspectWaveImage(const uint8_t* bytes, size_t size, WaveFields* fields);

// The play length in milliseconds the way the sound device measures it:
// the data chunk is found by walking the RIFF chunks from offset 12 (not by
// the first "data" bytes), its size is limited to the bytes really present,
// and ms = round-half-even(bytes x 1000 / (rate x channels x bits / 8)).
// -1 when no data chunk is found or the format has no bytes per second.
int64_t LengthMsByChunks(const uint8_t* bytes, size_t size, const WaveFields& fields);

// The result of loading a file into the document.
enum class LoadOutcome {
  Loaded,
  Unreadable,         // cannot be opened or read
  TooShort,
  NotPcm,
  UnsupportedFormat,
  NoDataTag,
  TooLarge,
  WorkingCopyFailed,  // the working copy could not be written
  LengthUnknown,      // the sound device could not measure the working copy
};

// The load outcome that reports a failed check.
LoadOutcome LoadOutcomeOf(WaveCheck check);

// Reads path, checks it, writes the working copy (hidden) and asks the sound
// device for the length in milliseconds. On success replaces every field but
// Path, Title and WorkingCopyPath and sets ChangeCount to 0. On any failure
// the document is left exactly as it was, and so is the working copy (a copy
// already overwritten is written back from the open image, or removed when
// no document is open).
LoadOutcome LoadWaveImage(const std::string& path, FileStore& files, SoundDevice& device,
                          WavDocument& document);

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

// Copies text into a fixed buffer, cut to fit, always zero-terminated. The cut
// never splits a code page 932 double-byte character.
void CopyToBuffer(const std::string& text, char (&buffer)[kPathBufferBytes]);

}  // namespace belmo
