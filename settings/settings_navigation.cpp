#include "settings/settings_navigation.h"

#include <algorithm>
#include <vector>

namespace belmo {
namespace {

using C = SettingsControl;

int PageOf(SettingsControl control) {
  switch (control) {
    case C::SinHzBox: case C::SindBBox: case C::SinePreview:
      return 0;
    case C::FftRadio: case C::SimpleRadio: case C::VoicePitchBox: case C::SampleWaveformsBox:
    case C::FftSizeList: case C::VoicePreview:
      return 1;
    case C::PathBox: case C::BrowseButton: case C::OnceRadio: case C::ContinuousRadio:
    case C::FilePreview:
      return 2;
    default:
      return -1;
  }
}

// A page's chain, closed by OK and キャンセル; each radio pair stands
// there as its checked button.
std::vector<SettingsControl> ChainOf(int page, const ChainContext& context) {
  std::vector<SettingsControl> chain;
  switch (page) {
    case 0:
      chain = {C::SinHzBox, C::SindBBox, C::SinePreview};
      break;
    case 1:
      chain = {context.fftChecked ? C::FftRadio : C::SimpleRadio, C::VoicePitchBox,
               C::SampleWaveformsBox, C::FftSizeList, C::VoicePreview};
      break;
    case 2:
      chain = {C::PathBox, C::BrowseButton,
               context.continuousChecked ? C::ContinuousRadio : C::OnceRadio, C::FilePreview};
      break;
    default:
      return chain;
  }
  chain.push_back(C::Ok);
  chain.push_back(C::Cancel);
  return chain;
}

}  // namespace

SettingsControl OtherRadioOfPair(SettingsControl control) {
  switch (control) {
    case C::FftRadio: return C::SimpleRadio;
    case C::SimpleRadio: return C::FftRadio;
    case C::OnceRadio: return C::ContinuousRadio;
    case C::ContinuousRadio: return C::OnceRadio;
    default: return C::None;
  }
}

SettingsControl NextInSettingsChain(SettingsControl from, bool backwards,
                                    const ChainContext& context) {
  const bool closing = from == C::Ok || from == C::Cancel;
  const std::vector<SettingsControl> chain = ChainOf(closing ? context.tab : PageOf(from), context);
  // The unchecked button of a pair stands in the checked one's place.
  auto at = std::find(chain.begin(), chain.end(), from);
  if (at == chain.end()) at = std::find(chain.begin(), chain.end(), OtherRadioOfPair(from));
  if (at == chain.end()) return C::None;
  const auto size = static_cast<std::ptrdiff_t>(chain.size());
  const std::ptrdiff_t index = at - chain.begin();
  return chain[static_cast<size_t>((index + (backwards ? size - 1 : 1)) % size)];
}

bool PressedByEnter(SettingsControl control) {
  switch (control) {
    case C::Ok: case C::Cancel: case C::BrowseButton:
    case C::SinePreview: case C::VoicePreview: case C::FilePreview:
      return true;
    default:
      return false;
  }
}

}  // namespace belmo
