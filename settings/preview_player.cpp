#include "settings/preview_player.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "effects/effects_texts.h"
#include "effects/sine_overwrite.h"
#include "effects/voice_change_fft.h"
#include "effects/voice_change_simple.h"
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

bool IsFftSize(int n) {
  for (unsigned index = 0; index < kFftSizeEntryCount; ++index) {
    if (n == FftSizeOfIndex(index)) return true;
  }
  return false;
}

bool IsPlayableLayout(const PcmLayout& layout) {
  return layout.SampleRate > 0 && (layout.Channels == 1 || layout.Channels == 2) &&
         (layout.BitsPerSample == 8 || layout.BitsPerSample == 16);
}

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
    case PreviewResult::Started:
    case PreviewResult::StopRequested:
    case PreviewResult::NoDocument: break;
  }
  return nullptr;
}

int64_t PreviewBufferLength(PreviewKind kind, const PcmFormat& format, double sinHz, int fftSize) {
  const double rate = format.SamplesPerSec;
  const double frame = format.BlockAlign;
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
    case PreviewKind::VoiceFft:
      if (fftSize <= 0) return 0;
      // A file slower than one FFT frame per second still gets one frame.
      length = frame * fftSize * std::max(1.0, std::trunc(rate / fftSize));
      break;
  }
  if (!(length < static_cast<double>(std::numeric_limits<int64_t>::max()))) {
    return std::numeric_limits<int64_t>::max();
  }
  // The device takes whole frames only: a half second of an odd rate, or
  // whole periods of a fractional frequency, can end inside a sample.
  const auto bytes = static_cast<int64_t>(length);
  const auto frameBytes = static_cast<int64_t>(format.BlockAlign);
  return std::max(bytes - bytes % frameBytes, frameBytes);
}

PreviewPlayer::PreviewPlayer(PreviewDevice& device, PreviewSource& source, FileStore& files)
    : device_(device), source_(source), files_(files) {}

PreviewPlayer::~PreviewPlayer() { StopNow(); }

PressOutcome PreviewPlayer::Press(PreviewPage page, const PreviewValues& values,
                                  const PcmLayout& layout) {
  if (state_ == PreviewState::Playing && PageOf(kind_) == page) {
    state_ = PreviewState::Draining;
    if (!queued_[0] && !queued_[1]) Finish();
    return PressOutcome{PreviewResult::StopRequested};
  }
  // The headers are free only once the device has handed them back.
  StopNow();
  return Start(KindOf(page, values), values, layout);
}

PressOutcome PreviewPlayer::Start(PreviewKind kind, const PreviewValues& values,
                                  const PcmLayout& layout) {
  if (!IsPlayableLayout(layout)) return Refused(PreviewResult::NoDocument);
  const PcmFormat format = TargetFormatOf(layout);

  switch (kind) {
    case PreviewKind::Sine:
      sinePeriod_ = SinePeriodBytes(layout.SampleRate, layout.Channels, layout.BitsPerSample,
                                    values.SinHz);
      if (sinePeriod_ < 2 || !(values.SindB <= 0)) return Refused(PreviewResult::SineInvalid);
      break;
    case PreviewKind::VoiceSimple:
      if (!(values.VoicePitch > 0) || !(values.VoiceSample > 0)) {
        return Refused(PreviewResult::VoiceInvalid);
      }
      break;
    case PreviewKind::VoiceFft:
      if (!(values.VoicePitch > 0) || !IsFftSize(values.FftSize)) {
        return Refused(PreviewResult::VoiceInvalid);
      }
      if (tables_.PreparedSize != values.FftSize) tables_.Prepare(values.FftSize);
      break;
    case PreviewKind::File: {
      if (values.OverwritePath.empty()) return Refused(PreviewResult::NoOverwriteFile);
      // Read and converted once, not at every block: the file is the same
      // for the whole preview, and a refusal is known before any sound.
      std::vector<uint8_t> converted;
      const MaskOutcome loaded = LoadOverwriteSource(values.OverwritePath, format, files_, &converted);
      if (loaded == MaskOutcome::OutOfMemory) return Refused(PreviewResult::OutOfMemory);
      if (loaded != MaskOutcome::Applied) return Refused(PreviewResult::SourceRefused, loaded);
      converted_.swap(converted);
      break;
    }
  }

  const int64_t length = PreviewBufferLength(kind, format, values.SinHz, values.FftSize);
  if (length <= 0 || length > kLongestBuffer) {
    Free(converted_);
    return Refused(PreviewResult::OutOfMemory);
  }
  if (!device_.Open(format)) {
    Free(converted_);
    return Refused(PreviewResult::DeviceUnavailable);
  }
  try {
    for (auto& buffer : buffers_) buffer.assign(static_cast<size_t>(length), 0);
  } catch (const std::bad_alloc&) {
    for (auto& buffer : buffers_) Free(buffer);
    Free(converted_);
    device_.Close();
    return Refused(PreviewResult::OutOfMemory);
  }
  for (int header = 0; header < 2; ++header) {
    device_.Prepare(header, buffers_[header].data(), static_cast<uint32_t>(length));
  }

  kind_ = kind;
  values_ = values;
  format_ = format;
  bufferLength_ = length;
  blockCounter_ = 0;
  sourcePosition_ = 0;
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
  const int16_t channels = static_cast<int16_t>(format_.Channels);
  const int16_t bits = static_cast<int16_t>(format_.BitsPerSample);
  switch (kind_) {
    case PreviewKind::Sine:
      // Every block is a whole number of periods, so each starts at phase 0.
      FillSine(block, sinePeriod_, values_.SindB, bufferLength_, bits);
      WriteHeader(header, bufferLength_);
      return true;

    case PreviewKind::VoiceSimple:
    case PreviewKind::VoiceFft: {
      const int64_t offset = static_cast<int64_t>(blockCounter_) * bufferLength_;
      const int64_t remaining = source_.CopySamples(offset, block, bufferLength_);
      const bool last = remaining <= bufferLength_;
      const int64_t length = last ? std::max<int64_t>(remaining, 0) : bufferLength_;
      if (kind_ == PreviewKind::VoiceSimple) {
        PitchShiftSimple(block, length, values_.VoicePitch, bits, values_.VoiceSample);
      } else {
        // Whole FFT frames only; a shorter tail plays as it was read.
        const int64_t frames = int64_t{format_.BlockAlign} * values_.FftSize;
        PitchShiftFft(block, length - length % frames, channels, bits, values_.VoicePitch,
                      values_.FftSize, tables_);
      }
      if (length > 0) WriteHeader(header, length);
      return !last;
    }

    case PreviewKind::File: {
      const int ended =
          CopyOverwriteData(converted_, values_.OverwriteMode, block, bufferLength_, sourcePosition_);
      WriteHeader(header, bufferLength_);
      return ended == 0;
    }
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
  Free(converted_);
  state_ = PreviewState::Idle;
}

}  // namespace belmo
