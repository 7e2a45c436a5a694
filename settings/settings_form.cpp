#include "settings/settings_form.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "document/wav_document.h"
#include "numtext/number_text.h"
#include "settings/settings_texts.h"

namespace belmo {
namespace {

bool IsFftEntry(int index) { return index >= 0 && index < kFftSizeEntryCount; }

// The path box holds at most 259 bytes; a longer text is cut without
// splitting a double-byte character.
std::string CutPath(const std::string& path) {
  char buffer[kPathBufferBytes];
  CopyToBuffer(path, buffer);
  return buffer;
}

}  // namespace

SettingsForm FormOf(const MaskSettings& settings) {
  SettingsForm form;
  form.SinHz = NumberToText(settings.SinHz);
  form.SindB = NumberToText(settings.SindB);
  form.VoicePitch = NumberToText(settings.VoicePitch);
  form.SampleWaveforms = NumberToText(settings.VoiceSample / 2);
  form.FftChecked = settings.PitchUpType != 0;
  form.FftSelection = IsFftEntry(settings.FFTSample) ? settings.FFTSample : kDefaultFftSelection;
  form.OverwritePath = CutPath(settings.OverWriteFilePath);
  form.ContinuousChecked = settings.OverWriteType != 0;
  return form;
}

double StoredVoiceSample(const std::string& sampleWaveformsText) {
  const double typed = std::trunc(TextToNumber(sampleWaveformsText));
  constexpr double kLowest = std::numeric_limits<int32_t>::min();
  constexpr double kHighest = std::numeric_limits<int32_t>::max();
  const double whole = typed < kLowest ? kLowest : typed > kHighest ? kHighest : typed;
  return 2 * whole;
}

MaskSettings SettingsOf(const SettingsForm& form) {
  MaskSettings settings;
  settings.SinHz = TextToNumber(form.SinHz);
  settings.SindB = TextToNumber(form.SindB);
  settings.PitchUpType = form.FftChecked ? 1 : 0;
  settings.VoicePitch = TextToNumber(form.VoicePitch);
  settings.VoiceSample = StoredVoiceSample(form.SampleWaveforms);
  settings.FFTSample = static_cast<uint16_t>(
      IsFftEntry(form.FftSelection) ? form.FftSelection : kDefaultFftSelection);
  settings.OverWriteFilePath = CutPath(form.OverwritePath);
  settings.OverWriteType = form.ContinuousChecked ? 1 : 0;
  return settings;
}

SettingsCheck CheckSettings(const MaskSettings& s) {
  // Written as "not inside the valid range", so that no value can slip
  // through a comparison that is false both ways.
  if (!(s.SinHz > 0) || !(s.SindB <= 0)) return SettingsCheck::SineInvalid;
  if (!(s.VoicePitch > 0) || !(s.VoiceSample > 0)) return SettingsCheck::VoiceInvalid;
  return SettingsCheck::Valid;
}

const char* OkRefusalText(SettingsCheck check) {
  switch (check) {
    case SettingsCheck::SineInvalid: return text::kSineSettingsInvalid;
    case SettingsCheck::VoiceInvalid: return text::kVoiceSettingsInvalid;
    case SettingsCheck::Valid: break;
  }
  return nullptr;
}

}  // namespace belmo
