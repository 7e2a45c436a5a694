#include "settings/preview_player.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "effects/effects_texts.h"
#include "effects/voice_change_fft.h"
#include "numtext/number_text.h"
#include "settings/settings_texts.h"

namespace belmo {
namespace {

// A wave header counts its bytes in 32 bits, and block offsets stay within
// the document's 32-bit sizes.
constexpr int64_t kLongestBuffer = std::numeric_limits<int32_t>::max();

PreviewPage PageOf(PreviewKind kind) {
  switch (kind) {
    case PreviewKind::Sine: return PreviewPage::Sine;
    case PreviewKind::VoiceSimple:
    case PreviewKind::VoiceFft: return PreviewPage::Voice;
    case PreviewKind::File: break;
  }
  return PreviewPage::File;
}

PreviewKind KindOf(PreviewPage page, const PreviewValues& values) {
  switch (page) {
    case PreviewPage::Sine: return PreviewKind::Sine;
    case PreviewPage::Voice: return values.UseFft ? PreviewKind::VoiceFft : PreviewKind::VoiceSimple;
    case PreviewPage::File: break;
  }
  return PreviewKind::File;
}

bool IsPlayableFormat(const WaveFormat& format) {
  return format.SampleRate > 0 && (format.Channels == 1 || format.Channels == 2) &&
         format.Encoding != SampleEncoding::Other;
}

// What a refusal of the page's mask means for the preview.
PreviewResult PreviewResultOf(PreviewKind kind, MaskOutcome refusal) {
  if (refusal == MaskOutcome::OutOfMemory) return PreviewResult::OutOfMemory;
  switch (kind) {
    case PreviewKind::Sine: return PreviewResult::SineInvalid;
    case PreviewKind::VoiceSimple:
    case PreviewKind::VoiceFft: return PreviewResult::VoiceInvalid;
    case PreviewKind::File: break;
  }
  return PreviewResult::SourceRefused;
}

// Beyond what the masks refuse, a preview refuses a level above 0 dB (the
// mask would clip it) and no sample waveform at all (the mask would never
// close a segment), as OK refuses them.
PreviewResult PreviewOwnRefusal(PreviewKind kind, const PreviewValues& values) {
  switch (kind) {
    case PreviewKind::Sine:
      if (!(values.SindB <= 0)) return PreviewResult::SineInvalid;
      break;
    case PreviewKind::VoiceSimple:
      if (!(values.VoiceSample > 0)) return PreviewResult::VoiceInvalid;
      break;
    case PreviewKind::VoiceFft: break;
    case PreviewKind::File:
      if (values.OverwritePath.empty()) return PreviewResult::NoOverwriteFile;
      break;
  }
  return PreviewResult::Started;
}

MaskKind MaskKindOf(PreviewKind kind) {
  switch (kind) {
    case PreviewKind::Sine: return MaskKind::Sine;
    case PreviewKind::VoiceSimple:
    case PreviewKind::VoiceFft: return MaskKind::VoiceChange;
    case PreviewKind::File: break;
  }
  return MaskKind::FileOverwrite;
}

// The page's values as a mask command would read them from the settings;
// a drop-down without a size gives an index no mask accepts.
MaskSettings SettingsOf(const PreviewValues& values) {
  MaskSettings settings;
  settings.SinHz = values.SinHz;
  settings.SindB = values.SindB;
  settings.PitchUpType = values.UseFft ? 1 : 0;
  settings.VoicePitch = values.VoicePitch;
  settings.VoiceSample = values.VoiceSample;
  const int index = FftIndexOfSize(values.FftSize);
  settings.FFTSample = static_cast<uint16_t>(index < 0 ? kFftSizeEntryCount : index);
  settings.OverWriteFilePath = values.OverwritePath;
  settings.OverWriteType = values.OverwriteMode;
  return settings;
}

// The document's samples as the masks read the recording before them.
class SourceRecording final : public Recording {
 public:
  SourceRecording(PreviewSource& source, const WaveFormat& format)
      : source_(source), dataStart_(format.DataStart()), size_(format.WholeFramesEnd()) {}
  int64_t Size() const override { return size_; }
  void Read(int64_t offset, uint8_t* dest, int64_t length) const override {
    source_.CopySamples(offset - dataStart_, dest, length);
  }

 private:
  PreviewSource& source_;
  int64_t dataStart_;
  int64_t size_;
};

PressOutcome Refused(PreviewResult result, MaskOutcome why = MaskOutcome::Applied) {
  return PressOutcome{result, why};
}

void Free(std::vector<uint8_t>& buffer) { std::vector<uint8_t>().swap(buffer); }

}  // namespace

PreviewValues PreviewValuesOf(const SettingsForm& form) {
  PreviewValues values;
  values.SinHz = TextToNumber(form.SinHz);
  values.SindB = TextToNumber(form.SindB);
  values.VoicePitch = TextToNumber(form.VoicePitch);
  values.UseFft = form.FftChecked;
  values.VoiceSample = StoredVoiceSample(form.SampleWaveforms);
  values.FftSize = form.FftSelection >= 0 ? FftSizeOfIndex(static_cast<unsigned>(form.FftSelection))
                                          : 0;
  values.OverwritePath = form.OverwritePath;
  values.OverwriteMode = form.ContinuousChecked ? kOverwriteContinuous : 0;
  return values;
}

const char* PreviewRefusalText(const PressOutcome& outcome) {
  switch (outcome.result) {
    case PreviewResult::SineInvalid: return text::kSineSettingsInvalid;
    case PreviewResult::VoiceInvalid: return text::kVoiceSettingsInvalid;
    case PreviewResult::NoOverwriteFile: return MaskRefusalText(MaskOutcome::NoOverwriteFile);
    case PreviewResult::SourceRefused: return MaskRefusalText(outcome.sourceRefusal);
    case PreviewResult::OutOfMemory: return text::kPreviewOutOfMemory;
    case PreviewResult::DeviceUnavailable: return text::kPreviewDeviceUnavailable;
    case PreviewResult::FormatNotPlayable: return text::kPreviewFormatNotPlayable;
    case PreviewResult::Started:
    case PreviewResult::StopRequested:
    case PreviewResult::NoDocument: break;
  }
  return nullptr;
}

int64_t PreviewBufferLength(PreviewKind kind, const WaveFormat& format, double sinHz, int fftSize) {
  const double rate = format.SampleRate;
  const double frame = format.BlockAlign();
  if (!(rate > 0) || !(frame > 0)) return 0;
  double length = 0;
  switch (kind) {
    case PreviewKind::Sine:
      if (!(sinHz > 0)) return 0;
      length = static_cast<double>(RoundHalfEven(sinHz * std::trunc(rate * 0.5 * frame / sinHz)));
      break;
    case PreviewKind::VoiceSimple:
    case PreviewKind::File:
      length = std::trunc(rate * frame * 0.5);
      break;
    case PreviewKind::VoiceFft: {
      // Whole frames of the voice change (2N samples, whatever the channel
      // count), so that every full buffer is voice-changed to its end; a
      // file slower than one frame per second still gets one.
      const auto fftFrame = static_cast<double>(FftFrameBytes(format.Encoding, fftSize));
      if (!(fftFrame > 0)) return 0;
      length = fftFrame * std::max(1.0, std::trunc(rate * frame / fftFrame));
      break;
    }
  }
  if (!(length < static_cast<double>(std::numeric_limits<int64_t>::max()))) {
    return std::numeric_limits<int64_t>::max();
  }
  // The device takes whole frames only: a half second of an odd rate, or
  // whole periods of a fractional frequency, can end inside a sample.
  const auto bytes = static_cast<int64_t>(length);
  const auto frameBytes = static_cast<int64_t>(format.BlockAlign());
  return std::max(bytes - bytes % frameBytes, frameBytes);
}

PreviewPlayer::PreviewPlayer(PreviewDevice& device, PreviewSource& source, FileStore& files)
    : device_(device), source_(source), files_(files) {}

PreviewPlayer::~PreviewPlayer() { StopNow(); }

PressOutcome PreviewPlayer::Press(PreviewPage page, const PreviewValues& values,
                                  const WaveFormat& format) {
  if (state_ == PreviewState::Playing && PageOf(kind_) == page) {
    state_ = PreviewState::Draining;
    if (!queued_[0] && !queued_[1]) Finish();
    return PressOutcome{PreviewResult::StopRequested};
  }
  // The headers are free only once the device has handed them back.
  StopNow();
  return Start(KindOf(page, values), values, format);
}

PressOutcome PreviewPlayer::Start(PreviewKind kind, const PreviewValues& values,
                                  const WaveFormat& format) {
  if (!IsPlayableFormat(format)) return Refused(PreviewResult::NoDocument);
  const PreviewResult own = PreviewOwnRefusal(kind, values);
  if (own != PreviewResult::Started) return Refused(own);
  const MaskOutcome planned =
      PlanMask(MaskKindOf(kind), SettingsOf(values), format, files_, tables_, &mask_);
  if (planned != MaskOutcome::Applied) {
    mask_.reset();
    return Refused(PreviewResultOf(kind, planned), planned);
  }

  const int64_t length = PreviewBufferLength(kind, format, values.SinHz, values.FftSize);
  // The voice previews run the mask over the whole of the document's data,
  // a buffer at a time; the simple method takes every buffer as a span of
  // its own (FillAndWrite begins it again for each), so it is begun here
  // for the longest.
  dataStart_ = format.DataStart();
  const ByteSpan data{dataStart_, kind == PreviewKind::VoiceSimple ? dataStart_ + length
                                                                    : format.WholeFramesEnd()};
  recording_ = std::make_unique<SourceRecording>(source_, format);
  if (length <= 0 || length > kLongestBuffer ||
      mask_->Begin(data, length, *recording_) != MaskOutcome::Applied) {
    mask_.reset();
    return Refused(PreviewResult::OutOfMemory);
  }
  if (!device_.Open(format)) {
    mask_.reset();
    return Refused(format.IsPlainPcm() ? PreviewResult::DeviceUnavailable
                                       : PreviewResult::FormatNotPlayable);
  }
  try {
    for (auto& buffer : buffers_) buffer.assign(static_cast<size_t>(length), 0);
  } catch (const std::bad_alloc&) {
    for (auto& buffer : buffers_) Free(buffer);
    mask_.reset();
    device_.Close();
    return Refused(PreviewResult::OutOfMemory);
  }
  for (int header = 0; header < 2; ++header) {
    device_.Prepare(header, buffers_[header].data(), static_cast<uint32_t>(length));
  }

  kind_ = kind;
  bufferLength_ = length;
  blockCounter_ = 0;
  state_ = PreviewState::Playing;
  // Two blocks queued from the start; a source that fits into the first
  // never gets a second.
  if (FillAndWrite(0)) {
    blockCounter_ = 1;
    if (!FillAndWrite(1)) state_ = PreviewState::Draining;
  } else {
    state_ = PreviewState::Draining;
  }
  if (state_ == PreviewState::Draining && !queued_[0] && !queued_[1]) Finish();
  return PressOutcome{PreviewResult::Started};
}

void PreviewPlayer::OnBufferDone(int header) {
  // Only a buffer this preview queued counts; anything else is a late
  // notification of a device already closed.
  if (header < 0 || header > 1 || !queued_[header]) return;
  queued_[header] = false;
  if (state_ == PreviewState::Playing) {
    // Buffers come back in the order written, so the one just returned is
    // the one to refill.
    ++blockCounter_;
    if (!FillAndWrite(header)) state_ = PreviewState::Draining;
  }
  if (state_ == PreviewState::Draining && !queued_[0] && !queued_[1]) Finish();
}

void PreviewPlayer::StopNow() {
  if (state_ == PreviewState::Idle) return;
  if (queued_[0] || queued_[1]) device_.Reset();
  queued_[0] = queued_[1] = false;
  Finish();
}

bool PreviewPlayer::FillAndWrite(int header) {
  uint8_t* block = buffers_[header].data();
  switch (kind_) {
    case PreviewKind::Sine:
      // The tone goes on across blocks, as the mask writes it over a range
      // (a block is not always whole periods long, and a phase starting
      // again at 0 would click at every block); it never ends by itself.
      mask_->Process(block, bufferLength_);
      WriteHeader(header, bufferLength_);
      return true;

    case PreviewKind::VoiceSimple:
    case PreviewKind::VoiceFft: {
      // Each block is shifted as a block of its own. A block the mask
      // could not change is never played: the preview ends instead.
      const int64_t offset = static_cast<int64_t>(blockCounter_) * bufferLength_;
      const int64_t remaining = source_.CopySamples(offset, block, bufferLength_);
      const bool last = remaining <= bufferLength_;
      const int64_t length = last ? std::max<int64_t>(remaining, 0) : bufferLength_;
      // The simple method is begun again for every block, or its segments
      // would run on from one block into the next.
      if (kind_ == PreviewKind::VoiceSimple &&
          mask_->Begin(ByteSpan{dataStart_ + offset, dataStart_ + offset + length}, bufferLength_,
                       *recording_) != MaskOutcome::Applied) {
        return false;
      }
      if (!mask_->Process(block, length)) return false;
      if (length > 0) WriteHeader(header, length);
      return !last;
    }

    case PreviewKind::File:
      mask_->Process(block, bufferLength_);
      WriteHeader(header, bufferLength_);
      return !mask_->Exhausted();
  }
  return false;
}

void PreviewPlayer::WriteHeader(int header, int64_t length) {
  device_.Write(header, static_cast<uint32_t>(length));
  queued_[header] = true;
}

void PreviewPlayer::Finish() {
  device_.Unprepare(0);
  device_.Unprepare(1);
  device_.Close();
  for (auto& buffer : buffers_) Free(buffer);
  mask_.reset();
  recording_.reset();
  state_ = PreviewState::Idle;
}

}  // namespace belmo
