// Playback of the range as a state machine over the sound device's command
// strings, so the same loop runs against the real device in the program and
// against a scripted one in tests.
//
// The state word is shared by two threads: the main thread only ever writes
// StopRequested; the playback thread writes every other value.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "document/platform.h"
#include "selection/sample_range.h"

namespace belmo {

enum PlaybackStateValue : int16_t {
  kPlaybackIdle = 0,
  kPlaybackPlaying = 1,
  kPlaybackReachedEnd = 2,
  kPlaybackStopRequested = 3,
  kPlaybackFinished = 4,
};

using PlaybackState = std::atomic<int16_t>;

// True from the press that starts a playback until its device is closed:
// the stretch in which the range and the image must stay as they are.
bool IsPlaying(int16_t state);

struct PlaybackRange {
  std::string workingCopyPath;
  uint32_t start = 0;  // ms
  uint32_t end = 0;    // ms
};

// What the loop tells its window.
class PlaybackView {
 public:
  virtual ~PlaybackView() = default;
  virtual void ShowStatus(const std::string& text) = 0;
  // Each new position the device reports, for the waveform's play line.
  virtual void ShowPosition(uint32_t /*positionMs*/) {}
};

struct PlaybackResult {
  // The device did not open the working copy (it may not take the file's
  // format): nothing was played.
  bool deviceRefused = false;
  bool stoppedByHand = false;
  // The last position the device reported, when it reported any during
  // this playback: where a seek on stop moves the range.
  bool hasPosition = false;
  uint32_t position = 0;
};

// The play button's first role: marks the state Playing before the thread
// exists, so a second press can never start a second playback. False when
// a playback is already under way.
bool ClaimPlayback(PlaybackState& state);

// Runs one claimed playback to Finished: open, play the range, poll the
// position (pausing between polls so a core is not kept busy), stop and
// close. A position at or past the end finishes it as reaching the end
// does. The status text is shown only when it changes.
PlaybackResult RunPlayback(const PlaybackRange& range, SoundDevice& device, PlaybackState& state,
                           PlaybackView& view, const std::function<void()>& pauseBetweenPolls);

// The play button's second role: asks a running playback to stop. False
// when nothing plays (then the press starts one). Never overwrites Idle, so
// a playback that has just ended cannot be left looking busy.
bool RequestPlaybackStop(PlaybackState& state);

// The seek on stop: moves the end (movesEnd) or the start of the range to
// where playback stopped, kept short of the other end so the range stays
// usable.
void SeekRangeTo(uint32_t position, bool movesEnd, SampleRange& range);

// "再生中(現在位置:1.234秒)"
std::string PlayingStatusText(uint32_t positionMs);

}  // namespace belmo
