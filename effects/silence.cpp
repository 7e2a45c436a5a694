#include <algorithm>

#include "document/sample_codec.h"
#include "effects/mask.h"

namespace belmo {
namespace {

// Silence: every sample of the span becomes the format's silent value, the
// record offices' way of removing what was said without a sound of its own.
class SilenceMask final : public Mask {
 public:
  SilenceMask(int64_t frameBytes, SampleEncoding encoding)
      : frameBytes_(frameBytes), encoding_(encoding) {}
  // Whole frames, so a multi-byte sample never starts mid-piece.
  int64_t PieceUnit() const override { return frameBytes_; }
  bool ReadsSamples() const override { return false; }
  MaskOutcome Begin(const ByteSpan&, int64_t, const Recording&) override {
    return MaskOutcome::Applied;
  }
  bool Process(uint8_t* block, int64_t length) override {
    FillSilence(block, length, encoding_);
    return true;
  }

 private:
  int64_t frameBytes_;
  SampleEncoding encoding_;
};

}  // namespace

MaskOutcome PlanSilence(const WaveFormat& format, std::unique_ptr<Mask>* mask) {
  *mask = std::make_unique<SilenceMask>(std::max(format.FrameBytes(), 1), format.Encoding);
  return MaskOutcome::Applied;
}

}  // namespace belmo
