#include "settings/settings_form.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "settings/settings_navigation.h"
#include "settings/settings_texts.h"

namespace belmo {
namespace {

TEST(SettingsForm, ShowsHalfTheWaveformsAndAChoiceForEveryStoredValue) {
  SettingsForm shown = FormOf(MaskSettings{});
  EXPECT_EQ(shown.SinHz, "1000");
  EXPECT_EQ(shown.SindB, "-10");
  EXPECT_EQ(shown.VoicePitch, "2");
  EXPECT_EQ(shown.SampleWaveforms, "50");
  EXPECT_FALSE(shown.FftChecked);
  EXPECT_EQ(shown.FftSelection, 3);
  EXPECT_FALSE(shown.ContinuousChecked);

  // Values only a hand-edited settings.ini holds.
  MaskSettings odd;
  odd.PitchUpType = 5;
  odd.VoiceSample = 101;
  odd.FFTSample = 7;
  odd.OverWriteType = 2;
  shown = FormOf(odd);
  EXPECT_TRUE(shown.FftChecked);
  EXPECT_EQ(shown.SampleWaveforms, "50.5");
  EXPECT_EQ(shown.FftSelection, 3) << "an index the list lacks shows 4096, not nothing";
  EXPECT_TRUE(shown.ContinuousChecked);
}

TEST(SettingsForm, OkStoresWholeDoubledWaveformsAndOnlyUsableChoices) {
  EXPECT_EQ(StoredVoiceSample("50.7"), 100);
  EXPECT_EQ(StoredVoiceSample("0.9"), 0);
  EXPECT_EQ(StoredVoiceSample("-3.5"), -6);
  EXPECT_EQ(StoredVoiceSample("abc"), 0);
  EXPECT_EQ(StoredVoiceSample("99999999999"), 2.0 * std::numeric_limits<int32_t>::max())
      << "a number past 32 bits must not wrap into a negative count";

  SettingsForm form = FormOf(MaskSettings{});
  form.FftChecked = true;
  form.FftSelection = -1;
  form.ContinuousChecked = true;
  MaskSettings stored = SettingsOf(form);
  EXPECT_EQ(stored.PitchUpType, 1);
  EXPECT_EQ(stored.FFTSample, 3) << "no selection must never store 65535";
  EXPECT_EQ(stored.OverWriteType, 1);
  form.FftSelection = 4;
  EXPECT_EQ(SettingsOf(form).FFTSample, 4);

  // A path is cut to 259 bytes, never inside a double-byte character.
  form.OverwritePath = std::string(258, 'a') + "表.wav";
  EXPECT_EQ(SettingsOf(form).OverWriteFilePath, std::string(258, 'a'));
}

TEST(SettingsForm, ChecksTheSinePageFirstAndAcceptTheEdges) {
  struct Case {
    double hz, db, pitch, voiceSample;
    SettingsCheck expected;
  };
  const Case cases[] = {
      {1000, 0, 2, 2, SettingsCheck::Valid},  // level 0 and one waveform are allowed
      {0, -10, 2, 100, SettingsCheck::SineInvalid},
      {1000, 0.5, 2, 100, SettingsCheck::SineInvalid},
      {1000, -10, 0, 100, SettingsCheck::VoiceInvalid},
      {1000, -10, 2, 0, SettingsCheck::VoiceInvalid},
      {-1, 1, 0, 0, SettingsCheck::SineInvalid},  // both pages wrong: the sine message only
      {std::numeric_limits<double>::quiet_NaN(), -10, 2, 100, SettingsCheck::SineInvalid},
  };
  for (const Case& c : cases) {
    MaskSettings s;
    s.SinHz = c.hz;
    s.SindB = c.db;
    s.VoicePitch = c.pitch;
    s.VoiceSample = c.voiceSample;
    EXPECT_EQ(CheckSettings(s), c.expected) << c.hz << " " << c.db << " " << c.pitch;
  }
  EXPECT_STREQ(OkRefusalText(SettingsCheck::SineInvalid), "正弦波の設定値が異常です。");
  EXPECT_STREQ(OkRefusalText(SettingsCheck::VoiceInvalid), "ボイスチェンジの設定値が異常です。");
  EXPECT_EQ(OkRefusalText(SettingsCheck::Valid), nullptr);
}

// The e2e test walks the chains through the real window; here, the cases
// that depend on the page on show and on the radio choices.
TEST(SettingsNavigation, ChainsLeadIntoThePageOnShowAndEnterPairsAtTheirChoice) {
  using C = SettingsControl;
  ChainContext context;
  context.tab = 1;
  EXPECT_EQ(NextInSettingsChain(C::Cancel, false, context), C::SimpleRadio);
  context.fftChecked = true;
  EXPECT_EQ(NextInSettingsChain(C::Cancel, false, context), C::FftRadio);
  // The unchecked button of a pair has the checked one's neighbours.
  EXPECT_EQ(NextInSettingsChain(C::SimpleRadio, false, context), C::VoicePitchBox);
  EXPECT_EQ(NextInSettingsChain(C::SimpleRadio, true, context), C::Cancel);

  context.tab = 2;
  EXPECT_EQ(NextInSettingsChain(C::Ok, true, context), C::FilePreview);
  EXPECT_EQ(NextInSettingsChain(C::PathBox, true, context), C::Cancel);
  EXPECT_EQ(NextInSettingsChain(C::OverwriteModeGroup, false, context), C::None);
}

}  // namespace
}  // namespace belmo
