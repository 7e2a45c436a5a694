#pragma once

#include "effects/apply_mask.h"

namespace belmo {

// A mask command from its button or menu item: runs the mask on the range,
// rewrites the working copy, updates the menus and tells the user.
int ApplyMask(MaskKind kind);

}  // namespace belmo
