// Texts of the range and playback.
#pragma once

namespace belmo::text {

inline constexpr char kPlayingPrefix[] = "再生中(現在位置:";
inline constexpr char kPlayingSuffix[] = "秒)";
inline constexpr char kInfoPlaybackStopped[] = "停止中";
inline constexpr char kPlaybackDeviceRefused[] =
    "サウンドデバイスでこのファイルを再生できませんでした。デバイスがこの形式を扱えないか、ほかのプログラムが使用しています。マスクと保存はそのままできます。";

}  // namespace belmo::text
