#pragma once

#include "selection/playback.h"

namespace belmo {

// The one playback state word of the program.
inline PlaybackState Playback{kPlaybackIdle};

// "再生／停止": starts playing the range, or asks a running playback to stop.
void OnPlayButton();

// On the main thread, once the playback thread has closed the device: the
// seek on stop, and the controls unlocked.
void OnPlaybackEnded(const PlaybackResult& result);

}  // namespace belmo
