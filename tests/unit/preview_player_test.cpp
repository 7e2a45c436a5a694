#include "settings/preview_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "effects/sine_overwrite.h"
#include "effects/voice_change_simple.h"
#include "tests/unit/memory_files.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

// Records every call as text, so a test reads the device's whole story.
class ScriptedDevice : public PreviewDevice {
 public:
  bool Open(const WaveFormat& format) override {
    calls.push_back("open");
    opened = format;
    return opens;
  }
  void Prepare(int header, uint8_t* data, uint32_t length) override {
    calls.push_back("prepare " + std::to_string(header) + " " + std::to_string(length));
    buffers[header] = data;
  }
  void Write(int header, uint32_t length) override {
    calls.push_back("write " + std::to_string(header) + " " + std::to_string(length));
    written.emplace_back(buffers[header], buffers[header] + length);
  }
  void Unprepare(int header) override { calls.push_back("unprepare " + std::to_string(header)); }
  void Reset() override { calls.push_back("reset"); }
  void Close() override { calls.push_back("close"); }

  // The calls since the last look.
  std::vector<std::string> Take() {
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
  }

  bool opens = true;
  WaveFormat opened;
  std::vector<std::string> calls;
  std::vector<std::vector<uint8_t>> written;
  uint8_t* buffers[2] = {};
};

class ScriptedSource : public PreviewSource {
 public:
  int64_t CopySamples(int64_t offset, uint8_t* dest, int64_t length) override {
    offsets.push_back(offset);
    const int64_t remaining = static_cast<int64_t>(samples.size()) - offset;
    if (remaining > 0) std::memcpy(dest, samples.data() + offset, std::min(remaining, length));
    return remaining;
  }
  std::vector<uint8_t> samples;
  std::vector<int64_t> offsets;
};

using test::MemoryFiles;

WaveFormat Layout(int16_t channels, int32_t rate, int16_t bits) {
  return test::Format(channels, rate, bits);
}

PreviewValues Values() {
  PreviewValues v;
  v.SinHz = 1000;
  v.SindB = -10;
  v.VoicePitch = 2;
  v.VoiceSample = 100;
  v.FftSize = 4096;
  return v;
}

using Calls = std::vector<std::string>;

struct Rig {
  ScriptedDevice device;
  ScriptedSource source;
  MemoryFiles files;
  PreviewPlayer player{device, source, files};
};

TEST(PreviewBuffers, HoldHalfASecondInWholePeriodsOrWholeFftFrames) {
  const WaveFormat stereo16 = Layout(2, 44100, 16);
  const WaveFormat mono16 = Layout(1, 44100, 16);
  const WaveFormat mono8 = Layout(1, 44100, 8);
  EXPECT_EQ(PreviewBufferLength(PreviewKind::Sine, stereo16, 1000, 0), 88000);
  EXPECT_EQ(SinePeriodBytes(Layout(2, 44100, 16), 1000), 176);
  EXPECT_EQ(PreviewBufferLength(PreviewKind::VoiceFft, stereo16, 0, 4096), 163840);
  EXPECT_EQ(PreviewBufferLength(PreviewKind::VoiceSimple, mono8, 0, 0), 22050);
  EXPECT_EQ(PreviewBufferLength(PreviewKind::File, mono8, 0, 0), 22050);
  EXPECT_EQ(SinePeriodBytes(Layout(1, 44100, 16), 3000), 28) << "trunc(88200 / 3000) = 29, made even";
  EXPECT_EQ(PreviewBufferLength(PreviewKind::Sine, mono16, 3000, 0), 42000);

  // Lengths the device could not take as they come out of the arithmetic.
  const WaveFormat odd = Layout(1, 11025, 16);
  EXPECT_EQ(PreviewBufferLength(PreviewKind::VoiceSimple, odd, 0, 0), 11024) << "whole frames";
  const WaveFormat slow = Layout(1, 8000, 16);
  EXPECT_EQ(PreviewBufferLength(PreviewKind::VoiceFft, slow, 0, 8192), 32768)
      << "a rate below N still gets one whole frame of 2N samples, not an empty buffer";
  // Mono frames hold 2N samples: whole ones only, or the last half frame of
  // every buffer would play the voice unchanged.
  EXPECT_EQ(PreviewBufferLength(PreviewKind::VoiceFft, Layout(1, 22050, 16), 0, 4096), 32768)
      << "two frames, not two and a half";
  EXPECT_EQ(PreviewBufferLength(PreviewKind::VoiceFft, Layout(1, 8000, 8), 0, 4096), 8192);
}

TEST(PreviewPlayer, SineQueuesTwoBuffersRefillsEachReturnAndDrainsAfterAStop) {
  Rig rig;
  PressOutcome started = rig.player.Press(PreviewPage::Sine, Values(), Layout(2, 44100, 16));
  ASSERT_EQ(started.result, PreviewResult::Started);
  EXPECT_EQ(rig.device.Take(), (Calls{"open", "prepare 0 88000", "prepare 1 88000",
                                      "write 0 88000", "write 1 88000"}));
  EXPECT_EQ(rig.device.opened.BlockAlign(), 4);
  EXPECT_EQ(rig.player.BlockCounter(), 1u);
  // Whole periods of 176 bytes, each starting at phase 0.
  std::vector<uint8_t> period(176);
  FillSine(period.data(), 176, -10, 176, SampleEncoding::Signed16);
  const std::vector<uint8_t>& block = rig.device.written[1];
  for (size_t at = 0; at < block.size(); at += 176) {
    ASSERT_TRUE(std::equal(period.begin(), period.end(), block.begin() + at)) << at;
  }

  rig.player.OnBufferDone(0);
  rig.player.OnBufferDone(1);
  EXPECT_EQ(rig.device.Take(), (Calls{"write 0 88000", "write 1 88000"}));
  EXPECT_EQ(rig.player.BlockCounter(), 3u);

  EXPECT_EQ(rig.player.Press(PreviewPage::Sine, Values(), Layout(2, 44100, 16)).result,
            PreviewResult::StopRequested);
  EXPECT_EQ(rig.player.State(), PreviewState::Draining);
  rig.player.OnBufferDone(0);
  EXPECT_TRUE(rig.device.Take().empty()) << "a stopped preview writes nothing more";
  rig.player.OnBufferDone(1);
  EXPECT_EQ(rig.device.Take(), (Calls{"unprepare 0", "unprepare 1", "close"}));
  EXPECT_EQ(rig.player.State(), PreviewState::Idle);
  rig.player.OnBufferDone(1);
  EXPECT_TRUE(rig.device.Take().empty()) << "a late notification is ignored";
}

// A buffer is whole multiples of the frequency in bytes, not of the period:
// at 441 Hz in 8 kHz 16-bit mono it holds 220.5 periods of 36 bytes. The
// buffers played one after the other are the tone the mask writes over a
// range of their length, with no jump of phase between them (a click each
// half second), in mono and in stereo.
TEST(PreviewPlayer, SineToneGoesOnAcrossBuffersAsTheMaskWritesIt) {
  for (int16_t channels : {1, 2}) {
    SCOPED_TRACE(channels);
    const WaveFormat format = Layout(channels, 8000, 16);
    PreviewValues values = Values();
    values.SinHz = 441;
    const int32_t period = SinePeriodBytes(format, values.SinHz);
    const int64_t length = PreviewBufferLength(PreviewKind::Sine, format, values.SinHz, 0);
    ASSERT_NE(length % period, 0) << "a case where a buffer ends inside a period";
    Rig rig;
    ASSERT_EQ(rig.player.Press(PreviewPage::Sine, values, format).result, PreviewResult::Started);
    rig.player.OnBufferDone(0);
    rig.player.OnBufferDone(1);
    std::vector<uint8_t> played;
    for (const std::vector<uint8_t>& buffer : rig.device.written) {
      played.insert(played.end(), buffer.begin(), buffer.end());
    }
    ASSERT_EQ(played.size(), static_cast<size_t>(4 * length));
    std::vector<uint8_t> tone(played.size());
    FillSine(tone.data(), period, values.SindB, static_cast<int64_t>(tone.size()),
             SampleEncoding::Signed16);
    const auto parted = std::mismatch(played.begin(), played.end(), tone.begin());
    EXPECT_TRUE(parted.first == played.end()) << "byte " << (parted.first - played.begin());
  }
}

TEST(PreviewPlayer, VoicePlaysTheDocumentFromItsStartAndEndsWithIt) {
  // 8 kHz 8-bit mono: half a second is 4000 bytes; 10000 bytes make two
  // whole blocks and a short last one.
  Rig rig;
  rig.source.samples.assign(10000, 128);
  ASSERT_EQ(rig.player.Press(PreviewPage::Voice, Values(), Layout(1, 8000, 8)).result,
            PreviewResult::Started);
  EXPECT_EQ(rig.player.Kind(), PreviewKind::VoiceSimple);
  rig.player.OnBufferDone(0);
  EXPECT_EQ(rig.player.State(), PreviewState::Draining);
  rig.player.OnBufferDone(1);
  rig.player.OnBufferDone(0);
  EXPECT_EQ(rig.source.offsets, (std::vector<int64_t>{0, 4000, 8000}));
  EXPECT_EQ(rig.device.Take(),
            (Calls{"open", "prepare 0 4000", "prepare 1 4000", "write 0 4000", "write 1 4000",
                   "write 0 2000", "unprepare 0", "unprepare 1", "close"}));

  // A document shorter than one buffer plays one short block, never two.
  rig.source.samples.assign(1500, 128);
  rig.player.Press(PreviewPage::Voice, Values(), Layout(1, 8000, 8));
  EXPECT_EQ(rig.player.State(), PreviewState::Draining);
  rig.player.OnBufferDone(0);
  EXPECT_EQ(rig.device.Take(), (Calls{"open", "prepare 0 4000", "prepare 1 4000",
                                      "write 0 1500", "unprepare 0", "unprepare 1", "close"}));

  // No samples at all: nothing to queue, and the device is closed at once.
  rig.source.samples.clear();
  rig.player.Press(PreviewPage::Voice, Values(), Layout(1, 8000, 8));
  EXPECT_EQ(rig.player.State(), PreviewState::Idle);
  EXPECT_EQ(rig.device.Take().back(), "close");

  PreviewValues fft = Values();
  fft.UseFft = true;
  rig.source.samples.assign(400000, 0);
  rig.player.Press(PreviewPage::Voice, fft, Layout(2, 44100, 16));
  EXPECT_EQ(rig.player.Kind(), PreviewKind::VoiceFft);
  EXPECT_EQ(rig.player.BufferLength(), 163840);
}

// The FFT preview's last block, shorter than a buffer and not whole
// frames, is voice-changed to its last sample as the mask would change it.
TEST(PreviewPlayer, FftPreviewChangesTheLastBlockToItsEnd) {
  Rig rig;
  rig.source.samples.resize(14336 + 3000);
  uint32_t seed = 3;
  for (uint8_t& b : rig.source.samples) b = static_cast<uint8_t>((seed = seed * 69069u + 1) >> 24);
  WaveFormat format = Layout(1, 8000, 16);
  format.DataEnd = format.DataStart() + static_cast<int64_t>(rig.source.samples.size());
  PreviewValues fft = Values();
  fft.UseFft = true;
  fft.FftSize = 512;
  ASSERT_EQ(rig.player.Press(PreviewPage::Voice, fft, format).result, PreviewResult::Started);
  EXPECT_EQ(rig.player.BufferLength(), 14336) << "seven frames of 1024 samples";
  ASSERT_EQ(rig.device.written.size(), 2u);
  const std::vector<uint8_t>& last = rig.device.written[1];
  ASSERT_EQ(last.size(), 3000u);
  EXPECT_NE(std::vector<uint8_t>(last.end() - 2, last.end()),
            std::vector<uint8_t>(rig.source.samples.end() - 2, rig.source.samples.end()));
}

// The simple preview shifts every block as a block of its own: its
// segments, longer here than a block, never run on into the next one.
TEST(PreviewPlayer, SimplePreviewShiftsEveryBlockOnItsOwn) {
  Rig rig;
  rig.source.samples.resize(10000);
  for (size_t i = 0; i < rig.source.samples.size(); ++i) {
    rig.source.samples[i] = static_cast<uint8_t>(128 + std::lround(90 * std::sin(i * 0.15)));
  }
  ASSERT_EQ(rig.player.Press(PreviewPage::Voice, Values(), Layout(1, 8000, 8)).result,
            PreviewResult::Started);
  rig.player.OnBufferDone(0);
  ASSERT_EQ(rig.device.written.size(), 3u);
  for (size_t block = 0; block < 3; ++block) {
    const auto first = rig.source.samples.begin() + static_cast<std::ptrdiff_t>(block * 4000);
    std::vector<uint8_t> expected(first, first + static_cast<std::ptrdiff_t>(
                                                    rig.device.written[block].size()));
    ASSERT_TRUE(PitchShiftSimple(expected.data(), static_cast<int64_t>(expected.size()), 2,
                                 SampleEncoding::Unsigned8, 100));
    EXPECT_EQ(rig.device.written[block], expected) << "block " << block;
  }
}

TEST(PreviewPlayer, FilePreviewEndsWhenItsSourceRunsOutOnlyInModeOnce) {
  Rig rig;
  rig.files.files["noise.wav"] =
      test::WaveBuilder().Channels(1).SampleRate(8000).Bits(8).SampleBytes(3000).Build();
  PreviewValues values = Values();
  values.OverwritePath = "noise.wav";
  rig.player.Press(PreviewPage::File, values, Layout(1, 8000, 8));
  EXPECT_EQ(rig.player.State(), PreviewState::Draining) << "3000 bytes end inside block 0";
  EXPECT_EQ(rig.device.written.size(), 1u);
  EXPECT_EQ(rig.device.written[0][3000], 128) << "the rest of the last block is 8-bit silence";
  rig.player.OnBufferDone(0);
  EXPECT_EQ(rig.player.State(), PreviewState::Idle);

  values.OverwriteMode = kOverwriteContinuous;
  rig.player.Press(PreviewPage::File, values, Layout(1, 8000, 8));
  rig.player.OnBufferDone(0);
  EXPECT_EQ(rig.player.State(), PreviewState::Playing);
  EXPECT_EQ(rig.device.written.size(), 4u);
}

TEST(PreviewPlayer, AnyOtherPressEndsThePlayingOrDrainingPreviewAtOnce) {
  Rig rig;
  const WaveFormat layout = Layout(1, 8000, 16);
  rig.source.samples.assign(100000, 0);
  rig.player.Press(PreviewPage::Sine, Values(), layout);
  rig.device.Take();
  rig.player.Press(PreviewPage::Voice, Values(), layout);
  Calls calls = rig.device.Take();
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(Calls(calls.begin(), calls.begin() + 5),
            (Calls{"reset", "unprepare 0", "unprepare 1", "close", "open"}));
  EXPECT_EQ(rig.player.Kind(), PreviewKind::VoiceSimple);

  // Stopped, still draining: the same button starts anew after a reset.
  rig.player.Press(PreviewPage::Voice, Values(), layout);
  rig.device.Take();
  rig.player.Press(PreviewPage::Voice, Values(), layout);
  EXPECT_EQ(rig.device.Take().front(), "reset");
  EXPECT_EQ(rig.player.State(), PreviewState::Playing);

  // The settings window going away.
  rig.player.StopNow();
  EXPECT_EQ(rig.device.Take(), (Calls{"reset", "unprepare 0", "unprepare 1", "close"}));
  rig.player.StopNow();
  EXPECT_TRUE(rig.device.Take().empty());
}

TEST(PreviewPlayer, RefusesWhatNoMaskCanUseAndPlaysNothing) {
  auto press = [](PreviewPage page, const PreviewValues& values) {
    Rig rig;
    PressOutcome outcome = rig.player.Press(page, values, Layout(1, 8000, 16));
    EXPECT_NE(PreviewRefusalText(outcome), nullptr);
    EXPECT_TRUE(rig.device.calls.empty()) << "a refused preview never opens the device";
    return outcome.result;
  };
  using R = PreviewResult;
  PreviewValues v = Values();
  v.SinHz = 0;
  EXPECT_EQ(press(PreviewPage::Sine, v), R::SineInvalid);
  v.SinHz = 9000;  // a period under 2 bytes at 8 kHz
  EXPECT_EQ(press(PreviewPage::Sine, v), R::SineInvalid);
  v = Values();
  v.SindB = 0.5;
  EXPECT_EQ(press(PreviewPage::Sine, v), R::SineInvalid);
  v.VoicePitch = 0;
  EXPECT_EQ(press(PreviewPage::Voice, v), R::VoiceInvalid);
  v = Values();
  v.VoiceSample = 0;
  EXPECT_EQ(press(PreviewPage::Voice, v), R::VoiceInvalid);
  v.UseFft = true;
  v.FftSize = 0;
  EXPECT_EQ(press(PreviewPage::Voice, v), R::VoiceInvalid);
  EXPECT_EQ(press(PreviewPage::File, v), R::NoOverwriteFile);
  v.OverwritePath = "gone.wav";
  EXPECT_EQ(press(PreviewPage::File, v), R::SourceRefused);

  Rig rig;
  rig.device.opens = false;
  EXPECT_EQ(rig.player.Press(PreviewPage::Sine, Values(), Layout(1, 8000, 16)).result,
            R::DeviceUnavailable);
  EXPECT_EQ(rig.device.Take(), (Calls{"open"}));
  EXPECT_EQ(rig.player.State(), PreviewState::Idle);
}

}  // namespace
}  // namespace belmo
