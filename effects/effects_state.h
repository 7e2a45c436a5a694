// The masks' own program-wide state: the FFT tables of the main window's
// masks. A preview on another thread keeps tables of its own.
#pragma once

#include "effects/fft.h"

namespace belmo {

struct EffectsState {
  TwiddleTables MainTables;
};

inline EffectsState Effects;

}  // namespace belmo
