#pragma once

#include <windows.h>

#include "selection/playback.h"

namespace belmo {

// The one playback state word of the program.
inline PlaybackState Playback{kPlaybackIdle};

// While playback runs: the position in the recording heard last, in ms.
bool HeardPosition(uint32_t* positionMs);

// "再生／停止": starts playing the range, or asks a running playback to stop.
void OnPlayButton();

// On the main thread, once the playback thread has closed the device: the
// seek on stop, and the controls unlocked. number is the message's lParam;
// a message that does not name the playback that has just ended is ignored.
void OnPlaybackEnded(LPARAM number);

}  // namespace belmo
