// The previews of the settings window: the page's mask played through one
// wave-out device on two buffers of its own, each refilled with the next
// block as soon as the device hands it back. The open file is never
// touched; the voice previews read the document's samples from its start.
//
// One preview at a time. A press on the playing preview's own button asks
// it to stop: the queued buffers play out (the sound goes on for up to two
// buffer lengths), and once both have come back the headers are
// unprepared, the device closed and the buffers freed. A press on any
// button while a preview plays or drains ends that one at once (reset,
// close) before the new one starts, so two previews never share the
// headers.
//
// Everything here runs on the settings window's thread; the device's
// notifications arrive there as messages and come in through OnBufferDone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <memory>

#include "document/platform.h"
#include "document/wave_format.h"
#include "effects/fft.h"
#include "effects/file_overwrite.h"
#include "effects/mask.h"
#include "effects/mask_outcome.h"
#include "settings/settings_form.h"

namespace belmo {

enum class PreviewKind : uint8_t { Sine = 0, VoiceSimple = 1, VoiceFft = 2, File = 3 };

// The page whose button was pressed; the voice page's kind depends on its
// method.
enum class PreviewPage { Sine, Voice, File };

// The values a preview plays with, read from the page's controls when its
// button is pressed. They are not MaskSettings: a preview writes nothing.
struct PreviewValues {
  double SinHz = 0;
  double SindB = 0;
  double VoicePitch = 0;
  bool UseFft = false;
  double VoiceSample = 0;  // already doubled, as the simple method takes it
  int FftSize = 0;         // 0 for a drop-down entry that names no size
  std::string OverwritePath;
  uint8_t OverwriteMode = 0;
};

PreviewValues PreviewValuesOf(const SettingsForm& form);

// The wave-out device as the player drives it. The two headers are numbered
// 0 and 1; their buffers belong to the player.
class PreviewDevice {
 public:
  virtual ~PreviewDevice() = default;
  // Opens the device for the format's channels, rate and block align.
  virtual bool Open(const WaveFormat& format) = 0;
  virtual void Prepare(int header, uint8_t* data, uint32_t length) = 0;
  // Queues the header with this many bytes of its buffer.
  virtual void Write(int header, uint32_t length) = 0;
  virtual void Unprepare(int header) = 0;
  // Hands back every queued buffer at once.
  virtual void Reset() = 0;
  virtual void Close() = 0;
};

// The open document's sample data, which the main thread may replace.
class PreviewSource {
 public:
  virtual ~PreviewSource() = default;
  // Copies up to length bytes of sample data from offset (0 = the first
  // byte after the data chunk's header) into dest, and returns how many
  // sample bytes the document holds from offset on (0 or less for none).
  virtual int64_t CopySamples(int64_t offset, uint8_t* dest, int64_t length) = 0;
};

enum class PreviewResult {
  Started,
  StopRequested,
  NoDocument,         // nothing to play in (the buttons are disabled then)
  SineInvalid,        // frequency not above 0 or too high for this file, level above 0
  VoiceInvalid,       // pitch ratio not above 0, no sample waveform, or no FFT size
  NoOverwriteFile,
  SourceRefused,      // the overwrite file cannot be used; see sourceRefusal
  OutOfMemory,
  DeviceUnavailable,
  FormatNotPlayable,  // a format beyond 8/16-bit PCM that the device refused
};

struct PressOutcome {
  PreviewResult result = PreviewResult::Started;
  MaskOutcome sourceRefusal = MaskOutcome::Applied;
};

// The message for a press that played nothing; nullptr when there is
// nothing to say.
const char* PreviewRefusalText(const PressOutcome& outcome);

// The byte length of each buffer, in whole frames of the format:
//   sine: round(hz x trunc(rate x 0.5 x frame / hz)), half a second in whole
//         periods;
//   simple voice change, file: trunc(rate x frame x 0.5), half a second;
//   FFT voice change: F x max(1, trunc(rate x frame / F)), F being an FFT
//         frame of 2N samples: the whole FFT frames of one second, at
//         least one.
// 0 when the values give nothing playable.
int64_t PreviewBufferLength(PreviewKind kind, const WaveFormat& format, double sinHz, int fftSize);

enum class PreviewState {
  Idle,
  Playing,   // blocks are generated as buffers come back
  Draining,  // stopped or ended; the queued buffers play out
};

class PreviewPlayer {
 public:
  PreviewPlayer(PreviewDevice& device, PreviewSource& source, FileStore& files);
  ~PreviewPlayer();
  PreviewPlayer(const PreviewPlayer&) = delete;
  PreviewPlayer& operator=(const PreviewPlayer&) = delete;

  // A click on a page's preview button, with the page's values and the
  // open document's format.
  PressOutcome Press(PreviewPage page, const PreviewValues& values, const WaveFormat& format);

  // The device handed header back.
  void OnBufferDone(int header);

  // Ends any preview at once: the settings window is going away.
  void StopNow();

  PreviewState State() const { return state_; }
  PreviewKind Kind() const { return kind_; }
  uint32_t BlockCounter() const { return blockCounter_; }
  int64_t BufferLength() const { return bufferLength_; }

 private:
  PressOutcome Start(PreviewKind kind, const PreviewValues& values, const WaveFormat& format);
  // Generates block blockCounter_ into header and queues it; false when
  // this was the preview's last block.
  bool FillAndWrite(int header);
  void WriteHeader(int header, int64_t length);
  void Finish();

  PreviewDevice& device_;
  PreviewSource& source_;
  FileStore& files_;

  PreviewState state_ = PreviewState::Idle;
  PreviewKind kind_ = PreviewKind::Sine;
  // The page's mask, planned for the document's format at the start: the
  // tone, a voice change, or the overwrite source read and converted once.
  std::unique_ptr<Mask> mask_;
  // The document's samples as the mask reads them, while it runs.
  std::unique_ptr<Recording> recording_;
  int64_t dataStart_ = 0;
  std::vector<uint8_t> buffers_[2];
  int64_t bufferLength_ = 0;
  uint32_t blockCounter_ = 0;
  bool queued_[2] = {false, false};  // written and not yet handed back
  // The preview's own tables: the main thread's masks fill theirs for their
  // own size at any moment.
  TwiddleTables tables_;
};

}  // namespace belmo
