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

// What one span comes to: w-byte samples, how many whole ones it holds,
// and how many resampled samples the ratio yields from them.
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

// The count is compared with the setting as a real number, so a value no
// whole count equals makes the whole span one segment. Counts stay far
// below 2^53, where every whole number is a double, so the same test can be
// made on integers: a setting no count can equal becomes -1.
int64_t ClosingCountOf(double voiceSample) {
  return voiceSample >= 0 && voiceSample < 9007199254740992.0 &&
                 voiceSample == std::trunc(voiceSample)
             ? static_cast<int64_t>(voiceSample)
             : -1;
}

// Room for count samples, left uninitialised on purpose: pages past those
// written are never touched, so room had for the worst case costs address
// space, not memory in use. False when it cannot be had.
using Samples = std::unique_ptr<uint8_t[]>;

bool AllocateSamples(int64_t count, int64_t width, Samples* samples) {
  // Compared before the cast: on a 32-bit build the byte count of a long
  // span read slowly does not fit a size_t.
  const uint64_t bytes = static_cast<uint64_t>(count) * static_cast<uint64_t>(width);
  if (bytes > static_cast<uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())) return false;
  samples->reset();  // a smaller buffer is not held beside the new one
  samples->reset(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]);
  return *samples != nullptr;
}

// A stretch of the recording is read ahead at a time, so that a segment
// running far past a piece does not go to the recording for every sample.
constexpr int64_t kAheadSamples = 4096;

// Resampled samples are read a batch at a time and their crossings counted
// after, a stretch at a time: small enough to stay in the first cache.
constexpr int64_t kBatchSamples = 1024;
constexpr int64_t kStretchSamples = 64;

// Resampled samples before the open segment are kept until there are this
// many of them.
constexpr int64_t kKeptSamples = 16384;

// The shift of a span handed over in pieces, front to back, with the bytes
// the span would get as one block. Resampled sample i is block sample
// trunc(ratio x i); segments end at crossings, and every copy of a segment
// lands at or after its home, trunc(ratio x s), which only moves forward.
// So the block before the open segment's home is settled, and a piece is
// finished once that home has reached its end: until then the shift reads
// on past the piece, and may write there, into the samples held ahead of
// it, which the next piece takes over at its start.
//
// A segment can run over the whole span (silence has no crossings, and no
// count equals a setting such as 99.5), and its copies need all of it: the
// open segment and the samples ahead are held however long they grow, and
// such a span costs what one block would. Speech and noise cross zero every
// few samples, and then only about a segment is held past a piece.
class SimpleVoiceMask final : public Mask {
 public:
  SimpleVoiceMask(SampleEncoding encoding, double pitchRatio, double voiceSample)
      : encoding_(encoding), pitchRatio_(pitchRatio), closingCount_(ClosingCountOf(voiceSample)) {}

  // Channels are not known here: a sample is the unit, whatever the frame.
  int64_t PieceUnit() const override { return std::max(1, BytesPerSample(encoding_)); }
  bool ReadsSamples() const override { return true; }

  // Room for a segment as long as the span, and for samples ahead of a
  // piece when there is more than one, is had before the caller's undo
  // copy: then no shift can run out of memory half-way.
  MaskOutcome Begin(const ByteSpan& span, int64_t longestPiece,
                    const Recording& original) override {
    ShiftPlan plan;
    if (!PlanShift(span.Length(), pitchRatio_, encoding_, &plan) ||
        !HaveRoom(plan.limit, plan.width, &resampled_, &resampledRoom_) ||
        (longestPiece < span.Length() &&
         !HaveRoom(plan.blockSamples, plan.width, &ahead_, &aheadRoom_))) {
      return MaskOutcome::OutOfMemory;
    }
    plan_ = plan;
    // A whole ratio times a whole index below 2^53 is exact as a double, so
    // the read position is the integer product.
    wholeRatio_ = plan.limit >= 1 && pitchRatio_ == std::trunc(pitchRatio_) &&
                          pitchRatio_ * static_cast<double>(plan.limit) < 9007199254740992.0
                      ? static_cast<int64_t>(pitchRatio_)
                      : 0;
    original_ = &original;
    spanStart_ = span.start;
    spanLength_ = span.Length();
    given_ = 0;
    i_ = 0;
    s_ = 0;
    c_ = 0;
    base_ = 0;
    done_ = plan.limit < 1;
    aheadFrom_ = 0;
    aheadHead_ = 0;
    aheadCount_ = 0;
    return MaskOutcome::Applied;
  }

  bool Process(uint8_t* block, int64_t length) override {
    const int64_t start = given_;
    given_ += std::max<int64_t>(length, 0);
    if (plan_.limit < 1 || length <= 0 || start >= spanLength_) return true;
    const int64_t w = plan_.width;
    // A piece starting inside a sample is not one Begin was promised; the
    // rest of the span is then left as it is rather than misread.
    if (start % w != 0) {
      done_ = true;
      aheadCount_ = 0;
      return true;
    }
    Piece piece;
    piece.last = given_ >= spanLength_;
    // Begun for one piece and given several: the samples ahead need room.
    if (!piece.last && !HaveRoom(plan_.blockSamples, w, &ahead_, &aheadRoom_)) return false;
    piece.block = block;
    piece.firstByte = start;
    piece.end = piece.last ? plan_.blockSamples : given_ / w;
    TakeAhead(piece);
    if (done_) return true;
    // With the encoding a constant, the sign class of a sample is a single
    // comparison and its copy a single move.
    switch (encoding_) {
      case SampleEncoding::Unsigned8: Run<SampleEncoding::Unsigned8, 1>(piece); break;
      case SampleEncoding::MuLaw: Run<SampleEncoding::MuLaw, 1>(piece); break;
      case SampleEncoding::ALaw: Run<SampleEncoding::ALaw, 1>(piece); break;
      case SampleEncoding::Signed16: Run<SampleEncoding::Signed16, 2>(piece); break;
      case SampleEncoding::Signed24: Run<SampleEncoding::Signed24, 3>(piece); break;
      case SampleEncoding::Signed32: Run<SampleEncoding::Signed32, 4>(piece); break;
      case SampleEncoding::Float32: Run<SampleEncoding::Float32, 4>(piece); break;
      case SampleEncoding::Other: break;
    }
    return true;
  }

 private:
  // Block sample x of the span, for x before `end`, is at block[x * w -
  // firstByte]; the last piece ends at the span's last whole sample.
  struct Piece {
    uint8_t* block = nullptr;
    int64_t firstByte = 0;
    int64_t end = 0;
    bool last = false;
  };

  static bool HaveRoom(int64_t count, int64_t width, Samples* samples, int64_t* room) {
    if (count <= *room) return true;
    *room = 0;
    if (!AllocateSamples(count, width, samples)) return false;
    *room = count;
    return true;
  }

  // The samples the last piece read or wrote ahead of itself, up to this
  // piece's end, are this piece's now.
  void TakeAhead(const Piece& piece) {
    const int64_t w = plan_.width;
    const int64_t taken = std::min(aheadCount_, piece.end - aheadFrom_);
    if (taken > 0) {
      std::memcpy(piece.block + (aheadFrom_ * w - piece.firstByte), ahead_.get() + aheadHead_ * w,
                  static_cast<size_t>(taken * w));
      aheadHead_ += taken;
      aheadCount_ -= taken;
    }
    if (aheadCount_ == 0) aheadHead_ = 0;
    aheadFrom_ = piece.end;
  }

  // Samples [x, x + count) past the piece, as the shift has left them:
  // read from the recording the first time they are wanted.
  uint8_t* Ahead(int64_t x, int64_t count) {
    const int64_t w = plan_.width;
    const int64_t wanted = x + count - aheadFrom_;
    if (wanted > aheadCount_) {
      const int64_t held = std::min(plan_.blockSamples - aheadFrom_,
                                    std::max(wanted, aheadCount_ + kAheadSamples));
      if (aheadHead_ + held > aheadRoom_) {
        std::memmove(ahead_.get(), ahead_.get() + aheadHead_ * w,
                     static_cast<size_t>(aheadCount_ * w));
        aheadHead_ = 0;
      }
      original_->Read(spanStart_ + (aheadFrom_ + aheadCount_) * w,
                      ahead_.get() + (aheadHead_ + aheadCount_) * w, (held - aheadCount_) * w);
      aheadCount_ = held;
    }
    return ahead_.get() + (aheadHead_ + x - aheadFrom_) * w;
  }

  // The first resampled sample from i_ on read at or past block sample x.
  int64_t FirstReadFrom(int64_t x) const {
    const int64_t limit = plan_.limit;
    auto readAt = [this](int64_t i) {
      return static_cast<int64_t>(pitchRatio_ * static_cast<double>(i));
    };
    const double guess = std::ceil(static_cast<double>(x) / pitchRatio_);
    int64_t i = guess < static_cast<double>(limit) ? static_cast<int64_t>(guess) : limit;
    i = std::max(i, i_);
    while (i > i_ && readAt(i - 1) >= x) --i;
    while (i < limit && readAt(i) < x) ++i;
    return i;
  }

  template <SampleEncoding E, int64_t W>
  void Run(const Piece& piece) {
    // The span's last resampled sample closes a segment whatever the count:
    // it is left to the loop that asks.
    ReadInPiece<E, W>(piece, std::min(FirstReadFrom(piece.end), plan_.limit - 1));
    ReadPastPiece<E, W>(piece);
  }

  // Resampled sample j is kept at resampled_[(j - base_) x w]. Those before
  // the open segment are never read again; they are dropped once they are
  // many, and at least as many as the segment holds, so the pages in use
  // stay near the longest segment and no sample is moved often.
  uint8_t* Resampled(int64_t j) const { return resampled_.get() + (j - base_) * plan_.width; }

  void DropClosed() {
    const int64_t closed = s_ - base_;
    if (closed < kKeptSamples || closed < i_ - s_) return;
    std::memmove(resampled_.get(), Resampled(s_), static_cast<size_t>((i_ - s_) * plan_.width));
    base_ = s_;
  }

  // The samples read inside the piece, up to `until`: a batch is read,
  // then its crossings are counted.
  template <SampleEncoding E, int64_t W>
  void ReadInPiece(const Piece& piece, int64_t until) {
    // Locals, not members: stores through byte pointers could alias these.
    const double ratio = pitchRatio_;
    const int64_t whole = wholeRatio_;
    const uint8_t* const block = piece.block;
    const int64_t firstByte = piece.firstByte;
    while (i_ < until) {
      DropClosed();
      const int64_t batchEnd = std::min(until, i_ + kBatchSamples);
      uint8_t* sample = Resampled(i_);
      if (whole > 0) {
        for (int64_t j = i_; j < batchEnd; ++j, sample += W) {
          std::memcpy(sample, block + (whole * j * W - firstByte), W);
        }
      } else {
        for (int64_t j = i_; j < batchEnd; ++j, sample += W) {
          const auto from = static_cast<int64_t>(ratio * static_cast<double>(j));
          std::memcpy(sample, block + (from * W - firstByte), W);
        }
      }
      CountCrossings<E, W>(piece, i_, batchEnd);
      i_ = batchEnd;
    }
  }

  // Counts the crossings ending at samples [j, end), which have been read,
  // and closes a segment at each count that equals the setting. A stretch
  // that cannot reach it is counted as a whole.
  template <SampleEncoding E, int64_t W>
  void CountCrossings(const Piece& piece, int64_t j, int64_t end) {
    const int64_t closing = closingCount_;
    // The first sample has none before it (and a count of 0 closing there
    // would close an empty segment).
    j = std::max<int64_t>(j, 1);
    const uint8_t* sample = Resampled(j);
    while (j < end) {
      const int64_t stretch = std::min(end - j, kStretchSamples);
      int64_t crossings = 0;
      for (int64_t k = 0; k < stretch; ++k) {
        crossings +=
            IsNegativeSample(sample + (k - 1) * W, E) != IsNegativeSample(sample + k * W, E);
      }
      if (closing < 0 || closing > c_ + crossings) {
        c_ += crossings;
        j += stretch;
        sample += stretch * W;
        continue;
      }
      int64_t c = c_;
      for (const int64_t stretchEnd = j + stretch; j < stretchEnd; ++j, sample += W) {
        c += IsNegativeSample(sample - W, E) != IsNegativeSample(sample, E);
        if (c == closing) {
          Close(piece, j);
          c = 0;
        }
      }
      c_ = c;
    }
  }

  // The samples read past the piece, one at a time, until every later
  // copy lands past the piece (or the span's last sample is read).
  template <SampleEncoding E, int64_t W>
  void ReadPastPiece(const Piece& piece) {
    const int64_t limit = plan_.limit;
    for (; !done_; ++i_) {
      if (!piece.last &&
          !(std::trunc(pitchRatio_ * static_cast<double>(s_)) < static_cast<double>(piece.end))) {
        return;
      }
      DropClosed();
      // i < L keeps the read inside the span by arithmetic, but a rounded
      // product, or the part sample that ends an odd block, could point one
      // past it; that read takes the last whole sample instead.
      const int64_t from = std::min(static_cast<int64_t>(pitchRatio_ * static_cast<double>(i_)),
                                    plan_.blockSamples - 1);
      const uint8_t* const source =
          from < piece.end ? piece.block + (from * W - piece.firstByte) : Ahead(from, 1);
      uint8_t* const sample = Resampled(i_);
      std::memcpy(sample, source, W);
      if (i_ > 0 && IsNegativeSample(sample - W, E) != IsNegativeSample(sample, E)) ++c_;
      const bool last = i_ + 1 >= limit;
      if (c_ == closingCount_ || last) Close(piece, i_);
      done_ = last;
    }
  }

  // The open segment ends before sample j; j, the crossing's second
  // sample, opens the next.
  void Close(const Piece& piece, int64_t j) {
    c_ = 0;
    WriteSegment(piece, Resampled(s_), s_, j - s_);
    s_ = j;
  }

  // Writes the segment s .. s+n-1 (held from `segment` on) back at its home
  // position: whole copies while the ratio has whole parts, then the
  // fraction of one more.
  void WriteSegment(const Piece& piece, const uint8_t* segment, int64_t s, int64_t n) {
    const double home = std::trunc(pitchRatio_ * static_cast<double>(s));
    if (n <= 0 || !(home < static_cast<double>(plan_.blockSamples))) return;
    const auto h = static_cast<int64_t>(home);
    const double wholeCopies = std::trunc(pitchRatio_);
    // A huge ratio asks for more copies than the span has room for; the
    // ones past its end would write nothing anyway.
    const int64_t roomFor = (plan_.blockSamples - h + n - 1) / n;
    const int64_t copies =
        wholeCopies < static_cast<double>(roomFor) ? static_cast<int64_t>(wholeCopies) : roomFor;
    for (int64_t k = 0; k < copies; ++k) CopySamples(piece, segment, h + k * n, n);
    if (copies < roomFor) {
      const auto part = static_cast<int64_t>(
          std::trunc((pitchRatio_ - wholeCopies) * static_cast<double>(n)));
      CopySamples(piece, segment, h + copies * n, part);
    }
  }

  // Writes the first count samples of the segment to block sample `to`,
  // never past the span's last whole sample: into the piece, and what lies
  // past it into the samples ahead.
  void CopySamples(const Piece& piece, const uint8_t* segment, int64_t to, int64_t count) {
    if (count <= 0 || to < 0 || to >= plan_.blockSamples) return;
    const int64_t w = plan_.width;
    const int64_t end = std::min(to + count, plan_.blockSamples);
    const int64_t inPiece = std::min(end, piece.end);
    if (to < inPiece) {
      std::memcpy(piece.block + (to * w - piece.firstByte), segment,
                  static_cast<size_t>((inPiece - to) * w));
    }
    if (end > piece.end) {
      const int64_t from = std::max(to, piece.end);
      std::memcpy(Ahead(from, end - from), segment + (from - to) * w,
                  static_cast<size_t>((end - from) * w));
    }
  }

  SampleEncoding encoding_;
  double pitchRatio_;
  int64_t closingCount_;

  // The span begun last.
  ShiftPlan plan_;
  int64_t wholeRatio_ = 0;  // the ratio when it is a whole number, else 0
  const Recording* original_ = nullptr;
  int64_t spanStart_ = 0;
  int64_t spanLength_ = 0;
  int64_t given_ = 0;  // bytes of the span handed over in pieces so far

  // Where the shift stands: the next resampled sample, the open segment's
  // first one and the crossings counted in it.
  int64_t i_ = 0;
  int64_t s_ = 0;
  int64_t c_ = 0;
  bool done_ = true;

  // The resampled samples from base_ on; room for L of them, since a
  // segment may run to the limit (no crossings in silence).
  Samples resampled_;
  int64_t resampledRoom_ = 0;
  int64_t base_ = 0;

  // Block samples [aheadFrom_, aheadFrom_ + aheadCount_) past the piece,
  // held from ahead_[aheadHead_ x w] on.
  Samples ahead_;
  int64_t aheadRoom_ = 0;
  int64_t aheadFrom_ = 0;
  int64_t aheadHead_ = 0;
  int64_t aheadCount_ = 0;
};

}  // namespace

bool PitchShiftSimple(uint8_t* block, int64_t byteLength, double pitchRatio,
                      SampleEncoding encoding, double voiceSample) {
  const int64_t length = std::max<int64_t>(byteLength, 0);
  SimpleVoiceMask mask(encoding, pitchRatio, voiceSample);
  const RecordingInMemory whole(block, static_cast<size_t>(length));
  if (mask.Begin(ByteSpan{0, length}, length, whole) != MaskOutcome::Applied) return false;
  return mask.Process(block, length);
}

MaskOutcome PlanVoiceChangeSimple(const WaveFormat& format, double pitchRatio,
                                  double voiceSample, std::unique_ptr<Mask>* mask) {
  if (!(pitchRatio > 0)) return MaskOutcome::PitchRatioInvalid;
  *mask = std::make_unique<SimpleVoiceMask>(format.Encoding, pitchRatio, voiceSample);
  return MaskOutcome::Applied;
}

MaskOutcome ApplyVoiceChangeSimple(ImageSpan image, const WaveFormat& format,
                                   double startSeconds, double endSeconds, double pitchRatio,
                                   double voiceSample, UndoRecord& undo) {
  std::unique_ptr<Mask> mask;
  const MaskOutcome planned = PlanVoiceChangeSimple(format, pitchRatio, voiceSample, &mask);
  if (planned != MaskOutcome::Applied) return planned;
  return ApplyMaskInPlace(*mask, image, format, startSeconds, endSeconds, undo, nullptr);
}

}  // namespace belmo
