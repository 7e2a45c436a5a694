// Milliseconds as the seconds text of the range boxes and the playback
// status: always three decimals ("0.000", "1.230", "61.005").
#pragma once

#include <cstdint>
#include <string>

namespace belmo {

std::string TimeText(int64_t ms);

}  // namespace belmo
