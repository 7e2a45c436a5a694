#include "selection/playback.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace belmo {
namespace {

// Answers position queries from a script; every later query repeats the last.
class ScriptedDevice : public SoundDevice {
 public:
  explicit ScriptedDevice(std::deque<std::string> positions) : positions_(std::move(positions)) {}

  uint32_t Send(const std::string& command, std::string* reply) override {
    commands.push_back(command);
    if (reply) {
      *reply = positions_.empty() ? last_ : positions_.front();
      if (!positions_.empty()) {
        last_ = positions_.front();
        positions_.pop_front();
      }
    }
    return command == refused ? 263 : 0;  // MCIERR_INVALID_FILE
  }

  std::vector<std::string> commands;
  std::string refused;  // a command the device fails

 private:
  std::deque<std::string> positions_;
  std::string last_;
};

class RecordingView : public PlaybackView {
 public:
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowPosition(uint32_t positionMs) override { positions.push_back(positionMs); }
  std::vector<std::string> statuses;
  std::vector<uint32_t> positions;
};

const std::string kOpen = "open \"C:\\belmo\\temp.tmp\" alias dealwave type waveaudio wait";
const std::string kTimeFormat = "set dealwave time format ms wait";
const std::string kPosition = "status dealwave position";
const std::string kStop = "stop dealwave wait";
const std::string kClose = "close dealwave wait";

struct PlaybackRun {
  PlaybackResult result;
  ScriptedDevice device;
  RecordingView view;
  int16_t finalState = 0;
};

// Plays 1.5 s to 3 s; stopAfterPolls < 0 never presses stop.
void Play(PlaybackRun& run, int stopAfterPolls) {
  PlaybackState state{kPlaybackIdle};
  ASSERT_TRUE(ClaimPlayback(state));
  ASSERT_FALSE(ClaimPlayback(state)) << "a second press must not start a second playback";
  int polls = 0;
  PlaybackRange range{"C:\\belmo\\temp.tmp", 1500, 3000};
  run.result = RunPlayback(range, run.device, state, run.view, [&] {
    if (++polls == stopAfterPolls) {
      EXPECT_TRUE(RequestPlaybackStop(state));
    }
    ASSERT_LT(polls, 1000) << "playback never ended";
  });
  run.finalState = state.load();
}

TEST(Playback, ReachingTheEndStopsWithoutSeekAndShowsEachPositionOnce) {
  for (const char* endReply : {"3000", "3012"}) {  // exactly at the end, or past it
    SCOPED_TRACE(endReply);
    PlaybackRun run{{}, ScriptedDevice({"1500", "1500", "2345.5", endReply}), {}, 0};
    Play(run, -1);
    const std::vector<std::string> expected = {kOpen,     kTimeFormat,
                                               "play dealwave from 1500 to 3000",
                                               kPosition, kPosition, kPosition, kPosition,
                                               kStop,     kClose};
    EXPECT_EQ(run.device.commands, expected);
    const std::string last = std::string(endReply) == "3000" ? "3.000" : "3.012";
    EXPECT_EQ(run.view.statuses,
              (std::vector<std::string>{"再生中(現在位置:1.500秒)", "再生中(現在位置:2.346秒)",
                                        "再生中(現在位置:" + last + "秒)", "停止中"}));
    EXPECT_EQ(run.view.positions,
              (std::vector<uint32_t>{1500, 2346, std::string(endReply) == "3000" ? 3000u : 3012u}));
    EXPECT_FALSE(run.result.stoppedByHand);
    EXPECT_EQ(run.finalState, kPlaybackFinished);
  }
}

TEST(Playback, StopByHandKeepsTheLastPositionForTheSeek) {
  PlaybackRun run{{}, ScriptedDevice({"1600", "2345"}), {}, 0};
  Play(run, 2);
  EXPECT_TRUE(run.result.stoppedByHand);
  ASSERT_TRUE(run.result.hasPosition);
  EXPECT_EQ(run.result.position, 2345u);
  EXPECT_EQ(run.device.commands.back(), kClose);
  EXPECT_EQ(run.view.statuses.back(), "停止中");
}

TEST(Playback, StopBeforeAnyPositionHasNothingToSeekTo) {
  PlaybackState state{kPlaybackIdle};
  ASSERT_TRUE(ClaimPlayback(state));
  ASSERT_TRUE(RequestPlaybackStop(state));
  ScriptedDevice device({"2000"});
  RecordingView view;
  PlaybackResult result =
      RunPlayback({"x", 0, 1000}, device, state, view, [] { FAIL() << "no poll expected"; });
  EXPECT_TRUE(result.stoppedByHand);
  EXPECT_FALSE(result.hasPosition);
  EXPECT_EQ(device.commands.back(), kClose);
}

TEST(Playback, StopRequestNeverOverwritesIdle) {
  PlaybackState state{kPlaybackIdle};
  EXPECT_FALSE(RequestPlaybackStop(state));
  EXPECT_EQ(state.load(), kPlaybackIdle);
  state.store(kPlaybackFinished);
  EXPECT_TRUE(RequestPlaybackStop(state));
  EXPECT_EQ(state.load(), kPlaybackStopRequested);
}

TEST(Playback, SilentDeviceKeepsPlayingUntilStopped) {
  PlaybackRun run{{}, ScriptedDevice({""}), {}, 0};
  Play(run, 50);
  EXPECT_TRUE(run.result.stoppedByHand);
  EXPECT_EQ(run.result.position, 0u);
  EXPECT_EQ(run.view.statuses.front(), "再生中(現在位置:0.000秒)");
}

}  // namespace
}  // namespace belmo

namespace belmo {
namespace {

TEST(Playback, SeekOnStopMovesTheChosenEndAndKeepsTheRangeUsable) {
  struct Case {
    uint32_t position;
    bool movesEnd;
    SampleRange expected;
  };
  const Case cases[] = {
      {2345, false, {2345, 3000}},  // the end slider's minimum becomes 2346
      {2345, true, {1500, 2345}},   // the start slider's maximum becomes 2344
      {3000, false, {2999, 3000}},  // never onto the other end
      {1500, true, {1500, 1501}},
  };
  for (const Case& c : cases) {
    SampleRange range{1500, 3000};
    SeekRangeTo(c.position, c.movesEnd, range);
    EXPECT_EQ(range.start, c.expected.start) << c.position << " " << c.movesEnd;
    EXPECT_EQ(range.end, c.expected.end) << c.position << " " << c.movesEnd;
  }
}

// A working copy the device will not open (a format it does not take)
// ends the playback at once, saying so, instead of waiting for a position
// that never comes.
TEST(Playback, AWorkingCopyTheDeviceRefusesEndsAtOnce) {
  PlaybackRun run{{}, ScriptedDevice({"0"}), {}, 0};
  run.device.refused = kOpen;
  Play(run, -1);
  EXPECT_TRUE(run.result.deviceRefused);
  EXPECT_FALSE(run.result.hasPosition);
  EXPECT_EQ(run.device.commands, std::vector<std::string>{kOpen});
  EXPECT_EQ(run.finalState, kPlaybackFinished);
}

}  // namespace
}  // namespace belmo
