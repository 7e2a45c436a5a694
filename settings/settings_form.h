// What the settings window's controls hold, and how it maps to and from
// MaskSettings. The window reads its controls into a SettingsForm and
// writes one back; everything between the two is here, away from Win32.
//
// The sample waveforms box shows half of VoiceSample: whatever is typed
// there is cut to a whole number and doubled when stored.
#pragma once

#include <string>

#include "settings/mask_settings.h"

namespace belmo {

constexpr int kFftSizeEntryCount = 5;
constexpr int kDefaultFftSelection = 3;  // "4096"
constexpr int kEditTextBytes = 256;      // the numeric boxes are read into this much

struct SettingsForm {
  std::string SinHz;
  std::string SindB;
  std::string VoicePitch;
  std::string SampleWaveforms;  // half of VoiceSample
  bool FftChecked = false;      // else "単純型"
  int FftSelection = -1;        // the drop-down's entry, -1 for none
  std::string OverwritePath;
  bool ContinuousChecked = false;  // else "一回"
};

// The controls' contents for these settings. An FFTSample outside the
// drop-down's entries shows "4096" rather than an empty list.
SettingsForm FormOf(const MaskSettings& settings);

// All eight values as OK stores them. A drop-down without a selection
// stores the index of "4096", never a value the voice change cannot use.
MaskSettings SettingsOf(const SettingsForm& form);

// 2 x (the number typed, cut toward zero to a 32-bit integer). Numbers
// beyond the 32-bit range stop at its ends instead of wrapping.
double StoredVoiceSample(const std::string& sampleWaveformsText);

// The checks of OK and of a close request, in their order: the sine page
// first, so with both pages wrong only the sine message is shown.
enum class SettingsCheck { Valid, SineInvalid, VoiceInvalid };
SettingsCheck CheckSettings(const MaskSettings& settings);

// The message OK shows for a failed check; nullptr for Valid.
const char* OkRefusalText(SettingsCheck check);

}  // namespace belmo
