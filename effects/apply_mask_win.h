#pragma once

#include <cstddef>
#include <vector>

#include "effects/apply_mask.h"

namespace belmo {

// A mask command from its button or menu item: runs the mask on the range,
// rewrites the working copy, updates the menus and tells the user.
int ApplyMask(MaskKind kind);

// The list of places' "すべてマスク": every range (merged) with one mask as
// one edit, the working copy patched over each span and the menus brought
// up to date, without a message of its own; a mask that stopped short is
// told. Returns how many ranges were masked.
size_t ApplyMaskToRanges(MaskKind kind, const std::vector<SampleRange>& ranges);

}  // namespace belmo
