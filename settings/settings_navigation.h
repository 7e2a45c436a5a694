// Keyboard navigation of the settings window. There is no dialog manager,
// so the focused control itself moves the focus on Tab; which control comes
// next is decided here, by name, so the chains can be checked without a
// window.
#pragma once

namespace belmo {

enum class SettingsControl {
  None,
  Ok,
  Cancel,
  SinHzBox,
  SindBBox,
  SinePreview,
  FftRadio,
  SimpleRadio,
  VoicePitchBox,
  SampleWaveformsBox,
  FftSizeList,
  VoicePreview,
  PathBox,
  BrowseButton,
  OnceRadio,
  ContinuousRadio,
  FilePreview,
  OverwriteModeGroup,  // hooked, but not part of any chain
};

// What the chains depend on besides the control itself.
struct ChainContext {
  int tab = 0;  // the page on show: OK and キャンセル lead into it
  bool fftChecked = false;
  bool continuousChecked = false;
};

// The next control on Tab (backwards: on Shift+Tab). A radio pair takes one
// place in its chain, entered at its checked button. None for a control in
// no chain.
SettingsControl NextInSettingsChain(SettingsControl from, bool backwards,
                                    const ChainContext& context);

// The other button of a radio pair; None for anything that is not one.
SettingsControl OtherRadioOfPair(SettingsControl control);

// OK, キャンセル, "参照" and the three preview buttons are pressed by Enter.
bool PressedByEnter(SettingsControl control);

}  // namespace belmo
