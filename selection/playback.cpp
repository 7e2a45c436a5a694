#include "selection/playback.h"

#include <limits>

#include "numtext/number_text.h"
#include "selection/selection_texts.h"
#include "selection/time_text.h"

namespace belmo {
namespace {

void Send(SoundDevice& device, const std::string& command) { device.Send(command, nullptr); }

uint32_t ClampToMs(double value) {
  int64_t rounded = RoundHalfEven(value);
  if (rounded < 0) return 0;
  if (rounded > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
  return static_cast<uint32_t>(rounded);
}

class PlaybackLoop {
 public:
  PlaybackLoop(const PlaybackRange& range, SoundDevice& device, PlaybackView& view)
      : range_(range), device_(device), view_(view) {}

  // False when the device cannot open the working copy.
  bool Start() {
    if (device_.Send("open \"" + range_.workingCopyPath + "\" alias dealwave type waveaudio wait",
                     nullptr) != 0) {
      return false;
    }
    Send(device_, "set dealwave time format ms wait");
    Send(device_, "play dealwave from " + NumberToText(range_.start) + " to " +
                      NumberToText(range_.end));
    return true;
  }

  // One position poll; true when the end has been reached.
  bool Poll() {
    std::string reply;
    device_.Send("status dealwave position", &reply);
    double position = TextToNumber(reply);
    const uint32_t shown = ClampToMs(position);
    if (!result_.hasPosition || shown != result_.position) view_.ShowPosition(shown);
    result_.hasPosition = true;
    result_.position = shown;
    Show(PlayingStatusText(result_.position));
    return position >= range_.end;
  }

  void StopAndClose() {
    Send(device_, "stop dealwave wait");
    Send(device_, "close dealwave wait");
    Show(text::kInfoPlaybackStopped);
  }

  PlaybackResult& Result() { return result_; }

 private:
  void Show(const std::string& status) {
    if (status == lastStatus_) return;
    lastStatus_ = status;
    view_.ShowStatus(status);
  }

  const PlaybackRange& range_;
  SoundDevice& device_;
  PlaybackView& view_;
  PlaybackResult result_;
  std::string lastStatus_;
};

}  // namespace

bool IsPlaying(int16_t state) {
  return state == kPlaybackPlaying || state == kPlaybackReachedEnd ||
         state == kPlaybackStopRequested;
}

bool ClaimPlayback(PlaybackState& state) {
  int16_t idle = kPlaybackIdle;
  return state.compare_exchange_strong(idle, kPlaybackPlaying);
}

bool RequestPlaybackStop(PlaybackState& state) {
  int16_t current = state.load();
  while (current != kPlaybackIdle) {
    if (state.compare_exchange_weak(current, kPlaybackStopRequested)) return true;
  }
  return false;
}

void SeekRangeTo(uint32_t position, bool movesEnd, SampleRange& range) {
  if (movesEnd) {
    range.end = position > range.start ? position : range.start + 1;
  } else {
    range.start = position < range.end ? position : range.end - 1;
  }
}

std::string PlayingStatusText(uint32_t positionMs) {
  return text::kPlayingPrefix + TimeText(positionMs) + text::kPlayingSuffix;
}

PlaybackResult RunPlayback(const PlaybackRange& range, SoundDevice& device, PlaybackState& state,
                           PlaybackView& view, const std::function<void()>& pauseBetweenPolls) {
  PlaybackLoop loop(range, device, view);
  if (!loop.Start()) {
    view.ShowStatus(text::kInfoPlaybackStopped);
    loop.Result().deviceRefused = true;
    state.store(kPlaybackFinished);
    return loop.Result();
  }
  for (;;) {
    switch (state.load()) {
      case kPlaybackPlaying:
        if (loop.Poll()) {
          int16_t expected = kPlaybackPlaying;
          state.compare_exchange_strong(expected, kPlaybackReachedEnd);
        } else {
          pauseBetweenPolls();
        }
        break;
      case kPlaybackReachedEnd:
        loop.StopAndClose();
        state.store(kPlaybackFinished);
        break;
      case kPlaybackStopRequested:
        loop.StopAndClose();
        loop.Result().stoppedByHand = true;
        state.store(kPlaybackFinished);
        break;
      default:
        return loop.Result();
    }
  }
}

}  // namespace belmo
