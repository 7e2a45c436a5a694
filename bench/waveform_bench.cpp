// Times the waveform strip's work on an hour of 44.1 kHz 16-bit stereo
// (635 MB of samples, made in memory): the summary built in one pass, its
// size, an update after a mask, and what one repaint asks of it at every
// zoom from the whole hour to one millisecond a column.
//
//   waveform_bench [SECONDS]   (default 3600)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "selection/changed_spans.h"
#include "selection/waveform_envelope.h"
#include "selection/waveform_view.h"

using namespace belmo;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRate = 44100;
constexpr int kStripWidth = 276;  // the strip's client width at 96 DPI

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Noise in bursts of a few seconds at changing levels, roughly as speech
// and pauses look, so the summary's blocks differ.
std::vector<uint8_t> Recording(size_t frames) {
  std::vector<uint8_t> bytes(frames * 4);
  uint32_t state = 12345;
  for (size_t f = 0; f < frames; ++f) {
    const int level = static_cast<int>((f / (kRate * 3)) % 7) * 4000;
    for (int c = 0; c < 2; ++c) {
      state = state * 1664525u + 1013904223u;
      const int16_t v = static_cast<int16_t>(static_cast<int>(state >> 16) % (level + 1));
      bytes[f * 4 + c * 2] = static_cast<uint8_t>(v);
      bytes[f * 4 + c * 2 + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
    }
  }
  return bytes;
}

// What one repaint asks: each column's frames, its peaks, whether a mask
// touched it.
double RepaintSeconds(const WaveformEnvelope& envelope, const SampleData& samples,
                      const ChangedSpans& changed, const WaveformView& view) {
  const Clock::time_point start = Clock::now();
  Peak peaks[2];
  volatile float sink = 0;
  for (int x = 0; x < kStripWidth; ++x) {
    size_t first, end;
    ColumnFrames(view, x, kRate, &first, &end);
    end = std::max(end, first + 1);
    const bool masked = changed.Touches(first, end);
    envelope.Peaks(samples, first, end, peaks);
    sink = sink + peaks[0].Max - peaks[1].Min + (masked ? 1.0f : 0.0f);
  }
  return SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 3600;
  const size_t frames = static_cast<size_t>(seconds) * kRate;
  const int32_t lengthMs = seconds * 1000;
  std::printf("recording: %d s, 44.1 kHz 16-bit stereo, %zu sample bytes\n", seconds,
              frames * 4);
  std::vector<uint8_t> bytes = Recording(frames);
  WaveFormat format;
  format.Channels = 2;
  format.SampleRate = 44100;
  format.BitsPerSample = 16;
  format.Encoding = SampleEncoding::Signed16;
  const SampleData samples{bytes.data(), frames, format};

  WaveformEnvelope envelope;
  std::vector<double> builds;
  for (int run = 0; run < 3; ++run) {
    const Clock::time_point start = Clock::now();
    if (!envelope.Build(samples)) {
      std::fprintf(stderr, "the summary could not be built\n");
      return 1;
    }
    builds.push_back(SecondsSince(start));
  }
  std::sort(builds.begin(), builds.end());
  std::printf("summary built in one pass: %.3f s (median of 3; target < 0.5 s)\n", builds[1]);
  std::printf("summary size: %zu bytes, %.3f %% of the samples (target < 1 %%)\n",
              envelope.MemoryBytes(), 100.0 * envelope.MemoryBytes() / bytes.size());

  // A mask over a minute in the middle, then its update.
  ChangedSpans changed;
  const size_t maskFirst = frames / 2;
  const size_t maskEnd = std::min(frames, maskFirst + size_t{60} * kRate);
  std::fill(bytes.begin() + maskFirst * 4, bytes.begin() + maskEnd * 4, 0);
  for (size_t i = 0; i < 200; ++i) changed.AddEdit({i * frames / 200, i * frames / 200 + 4410});
  changed.AddEdit({maskFirst, maskEnd});
  Clock::time_point start = Clock::now();
  envelope.Update(samples, maskFirst, maskEnd);
  std::printf("update after a mask of 60 s: %.4f s\n", SecondsSince(start));

  std::printf("\none repaint (%d columns), slowest of 50 positions across the recording:\n",
              kStripWidth);
  std::printf("%14s %12s\n", "ms a column", "time (ms)");
  const WaveformView whole = WholeRecording(lengthMs, kStripWidth);
  for (int notches = 0;; ++notches) {
    const WaveformView zoomed = Zoomed(whole, lengthMs, kStripWidth, 0, notches);
    double slowest = 0;
    for (int at = 0; at < 50; ++at) {
      WaveformView view = zoomed;
      view.FirstMs = std::max(0.0, (lengthMs - kStripWidth * view.MsPerPixel) * at / 49);
      slowest = std::max(slowest, RepaintSeconds(envelope, samples, changed, view));
    }
    std::printf("%14.3f %12.3f\n", zoomed.MsPerPixel, slowest * 1000);
    if (zoomed.MsPerPixel <= kFinestMsPerPixel) break;
  }
  std::printf("(target: under 16 ms at every zoom)\n");
  return 0;
}
