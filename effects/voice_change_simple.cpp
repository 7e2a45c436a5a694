#include "effects/voice_change_simple.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "document/sample_codec.h"

namespace belmo {
namespace {

// What one call works on: w-byte samples, how many whole ones the block
// holds, and how many resampled samples the ratio yields from them.
struct ShiftPlan {
  SampleEncoding encoding = SampleEncoding::Other;
  int64_t width = 0;
  int64_t blockSamples = 0;
  int64_t limit = 0;  // L; below 1 there is nothing to do
};

// False when the resampled buffer would be larger than any allocation can
// be (a ratio near 0 makes it so); the caller reports that as lack of memory.
bool PlanShift(int64_t byteLength, double pitchRatio, SampleEncoding encoding, ShiftPlan* plan) {
  *plan = ShiftPlan{};
  const int width = BytesPerSample(encoding);
  if (width == 0) return true;
  if (byteLength <= 0 || !(pitchRatio > 0)) return true;
  plan->encoding = encoding;
  plan->width = width;
  plan->blockSamples = byteLength / plan->width;
  if (plan->blockSamples < 1) return true;
  // For one-byte samples the product is the ratio itself, exactly.
  const double limit =
      static_cast<double>(byteLength) / (pitchRatio * static_cast<double>(plan->width));
  // A ratio near 0 asks for more resampled samples than any process could
  // hold; the quotient is judged while still a double, since trunc() of an
  // infinite or vast one has no integer to become.
  const double largest = static_cast<double>(std::numeric_limits<int32_t>::max()) * 2;
  if (!(limit < largest)) return false;
  plan->limit = static_cast<int64_t>(std::trunc(limit));
  return true;
}

// Room for the open segment of resampled samples. Only that segment is
// kept, but a segment may run to the limit (no crossings in silence), so
// room for all L samples is had before anything changes: then no shift can
// run out of memory half-way. The block is left uninitialised on purpose:
// the pages past the longest segment are never touched, so a long range
// (or a ratio below 1, whose L exceeds the block) costs address space, not
// memory in use.
using Resampled = std::unique_ptr<uint8_t[]>;

bool AllocateResampled(const ShiftPlan& plan, Resampled* resampled) {
  if (plan.limit < 1) return true;
  // Compared before the cast: on a 32-bit build the byte count of a long
  // block read slowly does not fit a size_t.
  const uint64_t bytes = static_cast<uint64_t>(plan.limit) * static_cast<uint64_t>(plan.width);
  if (bytes > static_cast<uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())) return false;
  resampled->reset();  // a smaller buffer is not held beside the new one
  resampled->reset(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]);
  return *resampled != nullptr;
}

// Writes the first count samples of the segment to block sample `to`,
// never past the last whole sample of the block.
void CopySamples(uint8_t* block, const ShiftPlan& plan, const uint8_t* segment, int64_t to,
                 int64_t count) {
  if (count <= 0 || to < 0 || to >= plan.blockSamples) return;
  const int64_t fitting = std::min(count, plan.blockSamples - to);
  std::memcpy(block + to * plan.width, segment, static_cast<size_t>(fitting * plan.width));
}

// Writes the segment s .. s+n-1 (held from `segment` on) back at its home
// position: whole copies while the ratio has whole parts, then the
// fraction of one more.
void WriteSegment(uint8_t* block, const ShiftPlan& plan, const uint8_t* segment,
                  double pitchRatio, int64_t s, int64_t n) {
  const double home = std::trunc(pitchRatio * static_cast<double>(s));
  if (n <= 0 || !(home < static_cast<double>(plan.blockSamples))) return;
  const auto h = static_cast<int64_t>(home);
  const double wholeCopies = std::trunc(pitchRatio);
  // A huge ratio asks for more copies than the block has room for; the
  // ones past its end would write nothing anyway.
  const int64_t roomFor = (plan.blockSamples - h + n - 1) / n;
  const int64_t copies =
      wholeCopies < static_cast<double>(roomFor) ? static_cast<int64_t>(wholeCopies) : roomFor;
  for (int64_t k = 0; k < copies; ++k) CopySamples(block, plan, segment, h + k * n, n);
  if (copies < roomFor) {
    const auto part = static_cast<int64_t>(
        std::trunc((pitchRatio - wholeCopies) * static_cast<double>(n)));
    CopySamples(block, plan, segment, h + copies * n, part);
  }
}

// Resampled sample j is kept at segment[(j - s) x w]: once its segment is
// written back, nothing before the next segment's first sample is read
// again.
void Shift(uint8_t* block, const ShiftPlan& plan, double pitchRatio, double voiceSample,
           uint8_t* segment) {
  const int64_t w = plan.width;
  const int64_t L = plan.limit;
  // The count is compared with the setting as a real number, so a value
  // no whole count equals makes the whole block one segment. Counts stay
  // far below 2^53, where every whole number is a double, so the same test
  // can be made on integers: a setting no count can equal becomes -1.
  const int64_t closingCount =
      voiceSample >= 0 && voiceSample < 9007199254740992.0 && voiceSample == std::trunc(voiceSample)
          ? static_cast<int64_t>(voiceSample)
          : -1;
  int64_t i = 0;
  int64_t s = 0;
  int64_t c = 0;
  for (;;) {
    // i < L keeps the read inside the block by arithmetic, but a rounded
    // product, or the half sample of an odd 16-bit block, could point one
    // past it; that read takes the last whole sample instead.
    auto from = static_cast<int64_t>(std::trunc(pitchRatio * static_cast<double>(i)));
    from = std::min(from, plan.blockSamples - 1);
    uint8_t* sample = segment + (i - s) * w;
    // A copy of constant size where it can be, so no call is made per sample.
    if (w == 2) {
      std::memcpy(sample, block + from * 2, 2);
    } else if (w == 1) {
      sample[0] = block[from];
    } else {
      std::memcpy(sample, block + from * w, static_cast<size_t>(w));
    }
    if (i > 0 && IsNegativeSample(sample - w, plan.encoding) != IsNegativeSample(sample, plan.encoding)) {
      ++c;
    }
    ++i;
    if (c == closingCount || i >= L) {
      c = 0;
      WriteSegment(block, plan, segment, pitchRatio, s, i - s - 1);
      if (i >= L) break;
      // The crossing sample opens the next segment.
      std::memmove(segment, sample, static_cast<size_t>(w));
      s = i - 1;
    }
  }
}

class SimpleVoiceMask final : public Mask {
 public:
  SimpleVoiceMask(SampleEncoding encoding, double pitchRatio, double voiceSample)
      : encoding_(encoding), pitchRatio_(pitchRatio), voiceSample_(voiceSample) {}

  int64_t PieceUnit() const override { return 0; }
  bool ReadsSamples() const override { return true; }

  // The resampled buffer for the longest piece is had before the caller's
  // undo copy, so running short of memory changes nothing; every later
  // piece, being no longer, is served by it without asking for more.
  MaskOutcome Begin(const ByteSpan&, int64_t longestPiece, const Recording&) override {
    ShiftPlan plan;
    if (!PlanShift(longestPiece, pitchRatio_, encoding_, &plan) || !HaveRoomFor(plan)) {
      return MaskOutcome::OutOfMemory;
    }
    return MaskOutcome::Applied;
  }

  bool Process(uint8_t* block, int64_t length) override {
    ShiftPlan plan;
    if (!PlanShift(length, pitchRatio_, encoding_, &plan)) return false;
    if (plan.limit < 1) return true;
    if (!HaveRoomFor(plan)) return false;
    Shift(block, plan, pitchRatio_, voiceSample_, resampled_.get());
    return true;
  }

 private:
  SampleEncoding encoding_;
  double pitchRatio_;
  double voiceSample_;
  bool HaveRoomFor(const ShiftPlan& plan) {
    if (plan.limit <= capacity_) return true;
    capacity_ = 0;
    if (!AllocateResampled(plan, &resampled_)) return false;
    capacity_ = plan.limit;
    return true;
  }

  int64_t capacity_ = 0;  // samples the resampled buffer holds
  Resampled resampled_;
};

}  // namespace

bool PitchShiftSimple(uint8_t* block, int64_t byteLength, double pitchRatio,
                      SampleEncoding encoding, double voiceSample) {
  ShiftPlan plan;
  if (!PlanShift(byteLength, pitchRatio, encoding, &plan)) return false;
  if (plan.limit < 1) return true;
  Resampled resampled;
  if (!AllocateResampled(plan, &resampled)) return false;
  Shift(block, plan, pitchRatio, voiceSample, resampled.get());
  return true;
}

MaskOutcome PlanVoiceChangeSimple(const WaveFormat& format, double pitchRatio,
                                  double voiceSample, std::unique_ptr<Mask>* mask) {
  if (!(pitchRatio > 0)) return MaskOutcome::PitchRatioInvalid;
  *mask = std::make_unique<SimpleVoiceMask>(format.Encoding, pitchRatio, voiceSample);
  return MaskOutcome::Applied;
}

MaskOutcome ApplyVoiceChangeSimple(std::vector<uint8_t>& image, const WaveFormat& format,
                                   double startSeconds, double endSeconds, double pitchRatio,
                                   double voiceSample, UndoRecord& undo) {
  std::unique_ptr<Mask> mask;
  const MaskOutcome planned = PlanVoiceChangeSimple(format, pitchRatio, voiceSample, &mask);
  if (planned != MaskOutcome::Applied) return planned;
  return ApplyMaskInPlace(*mask, image, format, startSeconds, endSeconds, undo, nullptr);
}

}  // namespace belmo
