// The processing range in milliseconds from the start of the sample data.
// end is a position, not a length.
#pragma once

#include <cstdint>

namespace belmo {

struct SampleRange {
  uint32_t start = 0;
  uint32_t end = 0;
};

inline SampleRange Range;

}  // namespace belmo
