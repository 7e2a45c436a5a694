#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "selection/changed_spans.h"
#include "selection/sample_peaks.h"
#include "selection/waveform_envelope.h"
#include "selection/waveform_view.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

std::vector<uint8_t> Le16(std::initializer_list<int> values) {
  std::vector<uint8_t> bytes;
  for (int v : values) {
    bytes.push_back(static_cast<uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  }
  return bytes;
}

TEST(MeasurePeaks, NormalisesEachLayoutPerChannel) {
  struct Case {
    const char* name;
    WaveFormat layout;
    std::vector<uint8_t> bytes;
    std::vector<Peak> expected;
  };
  const Case cases[] = {
      {"8-bit mono", test::Format(1, 8000, 8), {128, 0, 255, 100}, {{-1.0f, 127 / 128.0f}}},
      {"8-bit stereo", test::Format(2, 8000, 8), {128, 64, 192, 128}, {{0, 0.5f}, {-0.5f, 0}}},
      {"16-bit mono", test::Format(1, 8000, 16), Le16({0, -32768, 32767}), {{-1.0f, 32767 / 32768.0f}}},
      {"16-bit stereo", test::Format(2, 8000, 16), Le16({-16384, 256, 16384, -256}),
       {{-0.5f, 0.5f}, {-256 / 32768.0f, 256 / 32768.0f}}},
      // The other encodings through the codec, on the same scale.
      {"24-bit mono", test::Format(1, 8000, 24), {0, 0, 0x80, 0, 0, 0x40},
       {{-1.0f, 0.5f}}},
      {"mu-law stereo", [] {
         WaveFormat f = test::Format(2, 8000, 8);
         f.Encoding = SampleEncoding::MuLaw;
         return f;
       }(), {0xFF, 0x80, 0x00, 0x80}, {{-32124 / 32768.0f, 0}, {32124 / 32768.0f, 32124 / 32768.0f}}},
      // Float beyond full scale, infinite, or no number at all.
      {"float 2.0 and -inf, NaN", [] {
         WaveFormat f = test::Format(2, 8000, 32);
         f.Encoding = SampleEncoding::Float32;
         return f;
       }(), {0, 0, 0, 0x40, 0, 0, 0xC0, 0x7F, 0, 0, 0x80, 0xFF, 0, 0, 0xC0, 0x7F},
       {{-1.0f, 1.0f}, {0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t frames = c.bytes.size() / c.layout.FrameBytes();
    Peak peaks[2];
    MeasurePeaks(c.bytes.data(), frames, c.layout, peaks);
    for (size_t channel = 0; channel < c.expected.size(); ++channel) {
      EXPECT_EQ(peaks[channel].Min, c.expected[channel].Min) << channel;
      EXPECT_EQ(peaks[channel].Max, c.expected[channel].Max) << channel;
    }
  }
  Peak none[1] = {{0.3f, 0.4f}};
  MeasurePeaks(nullptr, 0, test::Format(1, 8000, 16), none);
  EXPECT_EQ(none[0].Min, 0);
  EXPECT_EQ(none[0].Max, 0);
  EXPECT_FALSE(CanMeasurePeaks(test::Format(3, 8000, 16)));
  EXPECT_FALSE(CanMeasurePeaks(test::Format(1, 8000, 12)));
}

// Noise with a few loud clicks, so that blocks differ and the extremes sit
// at places a wrong block index would miss.
std::vector<uint8_t> NoiseWithClicks(size_t frames, const WaveFormat& layout, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(frames * layout.FrameBytes());
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random() % 64 + 96);
  for (size_t click = 0; click < 12; ++click) {
    const size_t at = random() % frames * layout.FrameBytes();
    bytes[at] = layout.BitsPerSample == 8 ? 255 : 0x7F;
    if (layout.BitsPerSample == 16) bytes[at + 1] = 0x7F;
  }
  return bytes;
}

SampleData DataOf(const std::vector<uint8_t>& bytes, const WaveFormat& layout) {
  return {bytes.data(), bytes.size() / layout.FrameBytes(), layout};
}

// The summary's peaks always enclose the true peaks of the span, and never
// reach beyond the peaks of the blocks the span touches: a wrong level or
// block index would draw a click where there is none.
TEST(WaveformEnvelope, PeaksEncloseTheSamplesAtEveryZoom) {
  for (const WaveFormat& layout : {test::Format(1, 8000, 8), test::Format(2, 8000, 16)}) {
    SCOPED_TRACE(layout.BitsPerSample);
    // Not a whole number of blocks: the last block is short.
    const std::vector<uint8_t> bytes = NoiseWithClicks(200000 + 77, layout, 7);
    const SampleData data = DataOf(bytes, layout);
    WaveformEnvelope envelope;
    ASSERT_TRUE(envelope.Build(data));
    std::mt19937 random(11);
    for (int round = 0; round < 400; ++round) {
      const size_t length = size_t{1} << (random() % 18);
      const size_t first = random() % data.Frames;
      const size_t end = std::min(first + length, data.Frames);
      // The blocks the span touches.
      const size_t block = WaveformEnvelope::kBlockFrames;
      const size_t wideFirst = first / block * block;
      const size_t wideEnd = std::min((end + block - 1) / block * block, data.Frames);
      Peak got[2];
      Peak exact[2];
      Peak wide[2];
      envelope.Peaks(data, first, end, got);
      MeasurePeaks(data.Bytes + first * layout.FrameBytes(), end - first, layout, exact);
      MeasurePeaks(data.Bytes + wideFirst * layout.FrameBytes(), wideEnd - wideFirst, layout,
                   wide);
      const float step = 1 / 127.0f;
      for (int c = 0; c < layout.Channels; ++c) {
        ASSERT_LE(got[c].Min, exact[c].Min) << first << "+" << length;
        ASSERT_GE(got[c].Max, exact[c].Max) << first << "+" << length;
        ASSERT_GE(got[c].Min, wide[c].Min - step) << first << "+" << length;
        ASSERT_LE(got[c].Max, wide[c].Max + step) << first << "+" << length;
      }
    }
  }
}

// An edit is drawn the same whether the summary was updated over its span
// or built anew: a block or a level above it left stale would show here.
TEST(WaveformEnvelope, UpdateOverASpanEqualsABuildAnew) {
  const WaveFormat layout = test::Format(2, 8000, 16);
  std::vector<uint8_t> bytes = NoiseWithClicks(300000, layout, 3);
  const SampleData data = DataOf(bytes, layout);
  WaveformEnvelope updated;
  ASSERT_TRUE(updated.Build(data));

  const size_t first = 123457;
  const size_t end = 181111;
  std::fill(bytes.begin() + first * 4, bytes.begin() + end * 4, 0);
  updated.Update(data, first, end);
  WaveformEnvelope fresh;
  ASSERT_TRUE(fresh.Build(data));

  for (size_t span : {size_t{512}, size_t{4096}, size_t{70000}, size_t{300000}}) {
    for (size_t at = 0; at < data.Frames; at += span / 2 + 1) {
      Peak a[2];
      Peak b[2];
      updated.Peaks(data, at, at + span, a);
      fresh.Peaks(data, at, at + span, b);
      for (int c = 0; c < 2; ++c) {
        ASSERT_EQ(a[c].Min, b[c].Min) << at << "+" << span;
        ASSERT_EQ(a[c].Max, b[c].Max) << at << "+" << span;
      }
    }
  }
  Peak silent[2];
  updated.Peaks(data, first + 1024, end - 1024, silent);
  EXPECT_EQ(silent[0].Min, 0);
  EXPECT_EQ(silent[0].Max, 0);
}

TEST(WaveformEnvelope, StaysUnderOnePercentOfTheSampleBytes) {
  // 8-bit mono has the fewest bytes per sample, so the largest share.
  for (const WaveFormat& layout : {test::Format(1, 8000, 8), test::Format(2, 8000, 16)}) {
    const std::vector<uint8_t> bytes(1000003 * layout.FrameBytes(), 128);
    WaveformEnvelope envelope;
    ASSERT_TRUE(envelope.Build(DataOf(bytes, layout)));
    EXPECT_LT(envelope.MemoryBytes() * 100, bytes.size()) << layout.BitsPerSample;
  }
  WaveformEnvelope refused;
  const std::vector<uint8_t> bytes(600, 0);
  EXPECT_FALSE(refused.Build(DataOf(bytes, test::Format(3, 8000, 16))));
  EXPECT_TRUE(refused.Empty());
}

TEST(WaveformView, ColumnsAndMillisecondsMapBothWays) {
  const int width = 276;
  for (int32_t length : {100, 3000, 3600000}) {
    const WaveformView whole = WholeRecording(length, width);
    EXPECT_EQ(whole.FirstMs, 0);
    EXPECT_EQ(whole.MsPerPixel, std::max(1.0, length / 276.0));
    for (const WaveformView& view : {whole, Zoomed(whole, length, width, 100, 3)}) {
      for (int x = 0; x < width; ++x) {
        const uint32_t ms = MsAtColumn(view, x, length);
        if (ms >= static_cast<uint32_t>(length)) break;
        ASSERT_EQ(ColumnOfMs(view, ms), x) << length << " ms, column " << x;
      }
    }
  }
  // Column frames follow the range rule and leave no gap between columns.
  const WaveformView view{1000, 2.5};
  size_t first, end, nextFirst, nextEnd;
  ColumnFrames(view, 3, 44100, &first, &end);
  ColumnFrames(view, 4, 44100, &nextFirst, &nextEnd);
  EXPECT_EQ(first, 44430u);  // trunc(44100 x 1.0075)
  EXPECT_EQ(end, nextFirst);
}

TEST(WaveformView, ZoomAndScrollStayOnTheRecording) {
  const int width = 200;
  const int32_t length = 60000;  // 300 ms a column when whole
  const WaveformView whole = WholeRecording(length, width);

  const WaveformView in = Zoomed(whole, length, width, 50, 1);
  EXPECT_EQ(in.MsPerPixel, 150);
  EXPECT_EQ(in.FirstMs + 50 * in.MsPerPixel, 50 * whole.MsPerPixel) << "the pointer's time stays";
  EXPECT_EQ(Zoomed(whole, length, width, 50, 20).MsPerPixel, kFinestMsPerPixel);
  EXPECT_EQ(Zoomed(in, length, width, 0, -5).MsPerPixel, whole.MsPerPixel);
  EXPECT_EQ(Zoomed(in, length, width, 0, -5).FirstMs, 0);

  const WaveformView deep = Zoomed(whole, length, width, 199, 6);  // near the end
  EXPECT_LE(deep.FirstMs + width * deep.MsPerPixel, length);
  EXPECT_EQ(Scrolled(deep, length, width, -100000).FirstMs, length - width * deep.MsPerPixel);
  EXPECT_EQ(Scrolled(deep, length, width, 100000).FirstMs, 0);
  EXPECT_EQ(Scrolled(deep, length, width, 1).FirstMs,
            deep.FirstMs - width / 8.0 * deep.MsPerPixel);

  const WaveformView range = ZoomedToRange({10000, 30000}, length, width);
  EXPECT_EQ(range.FirstMs, 10000);
  EXPECT_EQ(range.MsPerPixel, 100);
  const WaveformView shortRange = ZoomedToRange({1000, 1100}, length, width);
  EXPECT_EQ(shortRange.MsPerPixel, kFinestMsPerPixel);
  EXPECT_EQ(shortRange.FirstMs, 950) << "centred";
}

TEST(WaveformView, PressAndDragMakeUsableRanges) {
  const WaveformView view{0, 10};  // column x shows x * 10 ms
  const int32_t length = 3000;
  const SampleRange range{500, 1500};  // columns 50 to 150
  struct Case {
    const char* name;
    SampleRange before;
    int press;
    int release;
    StripGrip grip;
    bool changes;
    SampleRange after;
  };
  const Case cases[] = {
      {"new range forwards", range, 10, 30, StripGrip::NewRange, true, {100, 300}},
      {"new range backwards", range, 30, 10, StripGrip::NewRange, true, {100, 300}},
      {"click without moving", range, 90, 90, StripGrip::NewRange, false, {}},
      {"start edge held 3 px away", range, 47, 20, StripGrip::StartEdge, true, {200, 1500}},
      {"start edge stops short of the end", range, 53, 280, StripGrip::StartEdge, true,
       {1499, 1500}},
      {"end edge", range, 152, 250, StripGrip::EndEdge, true, {500, 2500}},
      {"end edge kept within the recording", range, 150, 400, StripGrip::EndEdge, true,
       {500, 3000}},
      {"4 px away is a new range", range, 46, 60, StripGrip::NewRange, true, {460, 600}},
      {"typed range past the end has no edges", {500, 9000}, 50, 70, StripGrip::NewRange, true,
       {500, 700}},
      {"narrow range: the nearer edge", {1000, 1010}, 102, 110, StripGrip::EndEdge, true,
       {1000, 1100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StripDrag drag = PressAt(view, c.before, length, c.press, kEdgeGripPixels);
    EXPECT_EQ(drag.Grip, c.grip);
    SampleRange after;
    ASSERT_EQ(DraggedRange(drag, view, length, c.release, &after), c.changes);
    if (!c.changes) continue;
    EXPECT_EQ(after.start, c.after.start);
    EXPECT_EQ(after.end, c.after.end);
  }
  // An edge held while a shorter recording was loaded moves nothing.
  const StripDrag held = PressAt(view, {1000, 2900}, length, 290, kEdgeGripPixels);
  ASSERT_EQ(held.Grip, StripGrip::EndEdge);
  SampleRange after;
  EXPECT_FALSE(DraggedRange(held, view, 2000, 100, &after));
}

TEST(ChangedSpans, FollowTheMasksAndTheSingleLevelUndo) {
  ChangedSpans spans;
  spans.AddEdit({100, 200});
  spans.AddEdit({150, 300});  // overlaps the first
  EXPECT_TRUE(spans.Touches(120, 121));
  spans.ToggleLastEdit();  // Undo: only the second goes
  EXPECT_TRUE(spans.Touches(199, 201));
  EXPECT_FALSE(spans.Touches(200, 300));
  spans.ToggleLastEdit();  // Undo again: it is back
  EXPECT_TRUE(spans.Touches(299, 400));

  spans.ToggleLastEdit();
  spans.AddEdit({1000, 1100});  // the undone edit can never come back now
  spans.ToggleLastEdit();
  spans.ToggleLastEdit();
  EXPECT_FALSE(spans.Touches(200, 300));
  EXPECT_TRUE(spans.Touches(1099, 2000));
  spans.AddEdit({50, 60});
  spans.AddEdit({5000, 5001});
  for (auto [first, end, touched] : {std::tuple{0, 50, false}, {59, 60, true}, {60, 100, false},
                                     {300, 1000, false}, {1000, 1000, false}, {4000, 6000, true}}) {
    EXPECT_EQ(spans.Touches(first, end), touched) << first << "-" << end;
  }
  spans.Clear();
  EXPECT_FALSE(spans.Touches(0, 10000));
}

TEST(ChangedSpans, ByteSpansCoverEveryFrameTheyTouch) {
  // Samples from byte 44, 4-byte frames.
  EXPECT_EQ(FramesOfByteSpan(44, 52, 44, 4).First, 0u);
  EXPECT_EQ(FramesOfByteSpan(44, 52, 44, 4).End, 2u);
  EXPECT_EQ(FramesOfByteSpan(46, 53, 44, 4).First, 0u);
  EXPECT_EQ(FramesOfByteSpan(46, 53, 44, 4).End, 3u);
  EXPECT_EQ(FramesOfByteSpan(10, 30, 44, 4).End, 0u) << "before the samples";
}

}  // namespace
}  // namespace belmo
