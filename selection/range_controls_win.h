#pragma once

#include <cstdint>

namespace belmo {

// Sets both sliders, both seconds boxes and the range to the whole document.
void ResetRangeControls(int32_t lengthMs);

// Replaces the procedures of the range group, the seconds boxes and the
// focusable controls of the main window with this subsystem's handlers.
void InstallControlHooks();

// Shows the current range in all four controls: slider positions, their
// ranges bounding each other, and the seconds texts.
void ShowRangeInControls();

// Enables or disables both sliders and both seconds boxes.
void EnableRangeControls(bool enabled);

}  // namespace belmo
