#include "effects/mask.h"

#include <algorithm>
#include <cstring>

#include "effects/file_overwrite.h"
#include "effects/sine_overwrite.h"
#include "effects/voice_change_fft.h"
#include "effects/voice_change_simple.h"

namespace belmo {

void RecordingInMemory::Read(int64_t offset, uint8_t* dest, int64_t length) const {
  if (length > 0) std::memcpy(dest, bytes_ + offset, static_cast<size_t>(length));
}

MaskOutcome PlanMask(MaskKind kind, const MaskSettings& settings, const WaveFormat& format,
                     FileStore& files, TwiddleTables& tables, std::unique_ptr<Mask>* mask) {
  switch (kind) {
    case MaskKind::Sine:
      return PlanTone(format, settings.SinHz, settings.SindB, mask);
    case MaskKind::VoiceChange:
      if (settings.PitchUpType != 0) {
        return PlanVoiceChangeFft(format, settings.VoicePitch, settings.FFTSample, tables, mask);
      }
      return PlanVoiceChangeSimple(format, settings.VoicePitch, settings.VoiceSample, mask);
    case MaskKind::FileOverwrite:
      return PlanFileOverwrite(format, settings.OverWriteFilePath, settings.OverWriteType, files,
                               mask);
    case MaskKind::Silence:
      return PlanSilence(format, mask);
  }
  // A kind outside the three masks runs nothing and has nothing to say.
  return MaskOutcome::NoDocument;
}

MaskOutcome ApplyMaskInPlace(Mask& mask, ImageSpan image, const WaveFormat& format,
                             double startSeconds, double endSeconds, UndoRecord& undo,
                             ByteSpan* changed) {
  WaveFormat inImage = format;
  inImage.DataEnd = std::min<int64_t>(format.DataEnd, static_cast<int64_t>(image.size()));
  ByteSpan span;
  if (!MaskSpanOf(startSeconds, endSeconds, inImage, &span)) return MaskOutcome::RangeInvalid;
  // Everything that can fail for want of memory comes before the undo copy,
  // and the undo copy before the first byte is changed.
  const RecordingInMemory original(image.data(), image.size());
  const MaskOutcome begun = mask.Begin(span, span.Length(), original);
  if (begun != MaskOutcome::Applied) return begun;
  if (!RecordUndo(image, static_cast<int32_t>(span.start), static_cast<int32_t>(span.end), undo)) {
    return MaskOutcome::OutOfMemory;
  }
  mask.Process(image.data() + span.start, span.Length());
  if (changed != nullptr) *changed = span;
  return MaskOutcome::Applied;
}

}  // namespace belmo
