// Texts of the range and playback.
#pragma once

namespace belmo::text {

inline constexpr char kPlayingPrefix[] = "再生中(現在位置:";
inline constexpr char kPlayingSuffix[] = "秒)";
inline constexpr char kInfoPlaybackStopped[] = "停止中";

}  // namespace belmo::text
