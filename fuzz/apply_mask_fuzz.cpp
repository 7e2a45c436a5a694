// The three masks on an arbitrary image with an arbitrary range and
// arbitrary settings, as the main window runs them. ASan sees any byte
// written outside the image; the checks below see a byte changed outside
// the range the undo record covers, and an undo that does not give back
// the image the mask started from; and belmo-mask's streamed run of the
// same mask writing other bytes or refusing otherwise.
//
// Input: the mask, flags, the range and the length the sound device
// reported (ms), the eight settings, how many sample bytes to add, the
// overwrite source's length and bytes, then the image.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "document/sample_codec.h"
#include "effects/apply_mask.h"
#include "effects/mask_range.h"
#include "effects/streamed_mask.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace belmo;

constexpr char kSource[] = "C:\\voice\\over.wav";

// The simple voice change reads the range at the pitch ratio into a buffer
// of length / ratio samples: a ratio near 0 on a long range asks for
// gigabytes, which it may honestly do (beyond about 4 billion samples it
// refuses instead). Such inputs cost more than a whole fuzz run and are
// passed over; the refusal itself is still reached.
bool ResampledFitsAFuzzRun(const WavDocument& document, const SampleRange& range,
                           double pitchRatio) {
  if (!(pitchRatio > 0)) return true;
  ByteSpan span;
  if (!MaskSpanOf(range.start / 1000.0, range.end / 1000.0, document.Format, &span)) return true;
  const double samples = static_cast<double>(span.end - span.start) /
                         (pitchRatio * BytesPerSample(document.Format.Encoding));
  return samples < (1 << 20) || samples >= 2.0 * std::numeric_limits<int32_t>::max();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputReader in(data, size);
  const auto kind = static_cast<MaskKind>(in.Byte() % 4);
  const uint8_t flags = in.Byte();
  SampleRange range;
  range.start = in.U32();
  range.end = in.U32();
  const uint32_t reportedMs = in.U32();
  MaskSettings settings;
  settings.SinHz = in.Double();
  settings.SindB = in.Double();
  settings.PitchUpType = in.Byte();
  settings.VoicePitch = in.Double();
  settings.VoiceSample = in.Double();
  settings.FFTSample = in.U16();
  settings.OverWriteType = in.Byte();
  if ((flags & 8) != 0) settings.OverWriteFilePath = kSource;
  const uint16_t added = in.U16();
  const std::vector<uint8_t> source = in.Bytes(in.U16());
  std::vector<uint8_t> image = in.Rest();

  // The document as a load leaves it: only an image that passed the checks,
  // its length either as belmo-mask measures it or as the device said.
  WaveFormat fields;
  if (InspectWaveImage(image.data(), image.size(), &fields) != WaveCheck::Ok) return 0;
  // The larger FFT sizes need 8 to 32 KB of samples for one frame; rather
  // than seeds that large, the input may ask for its samples repeated.
  if ((flags & 16) != 0) {
    const size_t first = static_cast<size_t>(fields.DataTagOffset) + 8;
    const size_t samples = image.size() - first;
    for (size_t i = 0; i < added && samples > 0; ++i) image.push_back(image[first + i % samples]);
    // The data chunk then claims the added samples too.
    const uint32_t declared = fuzz::ReadLe32(image, static_cast<size_t>(fields.DataTagOffset) + 4);
    fuzz::OverwriteLe32(image, static_cast<size_t>(fields.DataTagOffset) + 4,
                    declared + std::min<uint32_t>(added, UINT32_MAX - declared));
  }
  WavDocument document;
  // Read again: the samples added above are part of the data.
  InspectWaveImage(image.data(), image.size(), &document.Format);
  if ((flags & 1) != 0) {
    const int64_t measured = LengthMsByChunks(image.data(), image.size(), document.Format);
    if (measured < 1 || measured > std::numeric_limits<int32_t>::max()) return 0;
    document.LengthMs = static_cast<int32_t>(measured);
  } else {
    document.LengthMs = static_cast<int32_t>(std::max<uint32_t>(reportedMs & 0x7FFFFFFFu, 1));
  }
  document.Image = image;

  if (kind == MaskKind::VoiceChange && settings.PitchUpType == 0 &&
      !ResampledFitsAFuzzRun(document, range, settings.VoicePitch)) {
    return 0;
  }
  if (kind == MaskKind::FileOverwrite &&
      !fuzz::ConversionFitsAFuzzRun(source, document.Format.SampleRate)) {
    return 0;
  }

  fuzz::MemoryFileStore files;
  files.files[kSource] = source;
  UndoRecord undo;
  const size_t dataStart = static_cast<size_t>(document.Format.DataStart());
  if ((flags & 4) != 0) {
    // An earlier edit, which a refused mask must leave undoable.
    RecordUndo(image, static_cast<int32_t>(dataStart), static_cast<int32_t>(image.size()), undo);
  }
  const UndoRecord undoBefore = undo;
  TwiddleTables tables;

  const MaskOutcome outcome = RunMask(kind, range, settings, document, undo, files, tables);

  // belmo-mask's way (the image read through a view, the result written in
  // pieces, down to a byte at a time) must refuse the same and write the
  // same bytes.
  files.files["in.wav"] = image;
  std::unique_ptr<FileView> view = files.OpenView("in.wav");
  BELMO_FUZZ_CHECK(view != nullptr);
  TwiddleTables streamTables;
  StreamedMask streamed((flags & 32) != 0 ? 1 + added % 5000 : kStreamPieceBytes);
  MaskOutcome streamedOutcome = streamed.Prepare(kind, range, settings, *view, document.Format,
                                                 document.LengthMs, files, streamTables);
  if (streamedOutcome == MaskOutcome::Applied) {
    std::unique_ptr<FileWriter> writer = files.BeginReplace("out.wav");
    const StreamResult written = streamed.Write(*writer);
    BELMO_FUZZ_CHECK(written != StreamResult::WriteFailed);
    if (written == StreamResult::OutOfMemory) {
      streamedOutcome = MaskOutcome::OutOfMemory;
    } else {
      BELMO_FUZZ_CHECK(writer->Commit());
      BELMO_FUZZ_CHECK(files.files["out.wav"] == document.Image);
    }
  }
  BELMO_FUZZ_CHECK(streamedOutcome == outcome);

  BELMO_FUZZ_CHECK(document.Image.size() == image.size());
  if (outcome != MaskOutcome::Applied) {
    BELMO_FUZZ_CHECK(document.Image == image);
    BELMO_FUZZ_CHECK(undo.SavedBytes == undoBefore.SavedBytes);
    BELMO_FUZZ_CHECK(undo.SpanStart == undoBefore.SpanStart);
    BELMO_FUZZ_CHECK(undo.SpanEnd == undoBefore.SpanEnd);
    return 0;
  }

  // The header and everything before the samples belong to no mask, and
  // neither does anything after the data chunk (a title, a cue list).
  BELMO_FUZZ_CHECK(std::equal(image.begin(), image.begin() + dataStart, document.Image.begin()));
  // A size of 0 or all ones is a recorder's unfinished file: its samples
  // run to the end of the file.
  const uint32_t declared = fuzz::ReadLe32(image, dataStart - 4);
  const uint64_t declaredEnd = declared == 0 || declared == 0xFFFFFFFFu
                                   ? image.size()
                                   : dataStart + uint64_t{declared};
  const size_t dataEnd = static_cast<size_t>(std::min<uint64_t>(declaredEnd, image.size()));
  BELMO_FUZZ_CHECK(
      std::equal(image.begin() + dataEnd, image.end(), document.Image.begin() + dataEnd));

  const auto start = static_cast<size_t>(undo.SpanStart);
  const auto end = static_cast<size_t>(undo.SpanEnd);
  const size_t frame = static_cast<size_t>(document.Format.FrameBytes());
  BELMO_FUZZ_CHECK(undo.SpanStart >= 0 && start < end && end <= image.size());
  BELMO_FUZZ_CHECK(start >= dataStart);
  // Whole frames only: a half-rewritten frame would swap the channels or
  // split a sample from then on.
  BELMO_FUZZ_CHECK((start - dataStart) % frame == 0 && (end - dataStart) % frame == 0);
  BELMO_FUZZ_CHECK(std::equal(image.begin(), image.begin() + start, document.Image.begin()));
  BELMO_FUZZ_CHECK(std::equal(image.begin() + end, image.end(), document.Image.begin() + end));
  BELMO_FUZZ_CHECK(std::equal(undo.SavedBytes.begin(), undo.SavedBytes.end(),
                              image.begin() + start, image.begin() + end));

  const std::vector<uint8_t> masked = document.Image.ToVector();
  BELMO_FUZZ_CHECK(ExchangeUndoBytes(document.Image, undo));
  BELMO_FUZZ_CHECK(document.Image == image);
  BELMO_FUZZ_CHECK(ExchangeUndoBytes(document.Image, undo));
  BELMO_FUZZ_CHECK(document.Image == masked);
  return 0;
}
