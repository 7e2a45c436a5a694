// The list of places of the open recording: the program's one list, read
// by its window and by the waveform strip that marks its places.
#pragma once

#include "places/place_list.h"

namespace belmo {

inline PlaceList Places;

}  // namespace belmo
