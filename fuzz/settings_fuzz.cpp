// settings.ini as a user or another program may have left it. The input is
// the file's text.
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "settings/mask_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace belmo;
  // An exact copy, so a read past the text is a read past a heap block.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const MaskSettings parsed = ParseSettingsText(text);
  BELMO_FUZZ_CHECK(parsed.OverWriteFilePath.size() <= static_cast<size_t>(kMaxPathBytes));

  // Whatever was read is written back so that it reads the same. Numbers
  // are written with fifteen digits (and large ones in an exponent form the
  // reader does not take), so only the whole-number keys and the path are
  // held to it.
  const std::string written = FormatSettingsText(parsed);
  const MaskSettings reread = ParseSettingsText(written);
  BELMO_FUZZ_CHECK(reread.PitchUpType == parsed.PitchUpType);
  BELMO_FUZZ_CHECK(reread.FFTSample == parsed.FFTSample);
  BELMO_FUZZ_CHECK(reread.OverWriteType == parsed.OverWriteType);
  BELMO_FUZZ_CHECK(reread.OverWriteFilePath == parsed.OverWriteFilePath);

  // The waveform choice after the nine keys survives the same way.
  const DisplaySettings display = ParseDisplaySettings(text);
  const std::string withDisplay = FormatSettingsText(parsed, display);
  BELMO_FUZZ_CHECK(ParseDisplaySettings(withDisplay).ShowWaveform == display.ShowWaveform);
  BELMO_FUZZ_CHECK(ParseSettingsText(withDisplay).OverWriteType == parsed.OverWriteType);
  return 0;
}
