#include "effects/apply_mask.h"

#include "effects/mask_range.h"
#include "effects/file_overwrite.h"
#include "effects/sine_overwrite.h"
#include "effects/voice_change_fft.h"
#include "effects/voice_change_simple.h"

namespace belmo {

bool RangeIsUsable(const SampleRange& range, int32_t lengthMs) {
  if (lengthMs < 1) return false;
  return range.start < range.end && range.end <= static_cast<uint32_t>(lengthMs);
}

MaskOutcome RunMask(MaskKind kind, const SampleRange& range, const MaskSettings& settings,
                    WavDocument& document, UndoRecord& undo, FileStore& files,
                    TwiddleTables& tables) {
  if (!document.IsOpen()) return MaskOutcome::NoDocument;
  // Without a file to take samples from there is nothing to say about the
  // range yet; the user's first mistake is the missing file.
  if (kind == MaskKind::FileOverwrite && settings.OverWriteFilePath.empty()) {
    return MaskOutcome::NoOverwriteFile;
  }
  if (!RangeIsUsable(range, document.LengthMs)) return MaskOutcome::RangeInvalid;

  const PcmLayout layout{document.DataTagOffset, document.Channels, document.SampleRate,
                         document.BitsPerSample};
  // The millisecond counts are exact in a double; only the division rounds.
  const double startSeconds = static_cast<double>(range.start) / 1000.0;
  const double endSeconds = static_cast<double>(range.end) / 1000.0;

  switch (kind) {
    case MaskKind::Sine:
      return ApplySineOverwrite(document.Image, layout, startSeconds, endSeconds, settings.SindB,
                                settings.SinHz, undo);
    case MaskKind::VoiceChange:
      // PitchUpType 0 picks the simple method, any other value the FFT one.
      if (settings.PitchUpType != 0) {
        return ApplyVoiceChangeFft(document.Image, layout, startSeconds, endSeconds,
                                   settings.VoicePitch, settings.FFTSample, tables, undo);
      }
      return ApplyVoiceChangeSimple(document.Image, layout, startSeconds, endSeconds,
                                    settings.VoicePitch, settings.VoiceSample, undo);
    case MaskKind::FileOverwrite:
      return ApplyFileOverwrite(document.Image, layout, startSeconds, endSeconds,
                                settings.OverWriteFilePath, settings.OverWriteType, files, undo);
  }
  // A kind outside the three masks runs nothing and has nothing to say.
  return MaskOutcome::NoDocument;
}

}  // namespace belmo
