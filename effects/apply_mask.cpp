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

MaskOutcome CheckMaskCommand(MaskKind kind, const SampleRange& range,
                             const MaskSettings& settings, int32_t lengthMs) {
  // Without a file to take samples from there is nothing to say about the
  // range yet; the user's first mistake is the missing file.
  if (kind == MaskKind::FileOverwrite && settings.OverWriteFilePath.empty()) {
    return MaskOutcome::NoOverwriteFile;
  }
  if (!RangeIsUsable(range, lengthMs)) return MaskOutcome::RangeInvalid;
  return MaskOutcome::Applied;
}

// The millisecond counts are exact in a double; only the division rounds.
double StartSecondsOf(const SampleRange& range) { return static_cast<double>(range.start) / 1000.0; }
double EndSecondsOf(const SampleRange& range) { return static_cast<double>(range.end) / 1000.0; }

MaskOutcome RunMask(MaskKind kind, const SampleRange& range, const MaskSettings& settings,
                    WavDocument& document, UndoRecord& undo, FileStore& files,
                    TwiddleTables& tables) {
  if (!document.IsOpen()) return MaskOutcome::NoDocument;
  const MaskOutcome checked = CheckMaskCommand(kind, range, settings, document.LengthMs);
  if (checked != MaskOutcome::Applied) return checked;

  const PcmLayout layout{document.DataTagOffset, document.Channels, document.SampleRate,
                         document.BitsPerSample};
  const double startSeconds = StartSecondsOf(range);
  const double endSeconds = EndSecondsOf(range);

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
