// The file overwrite with an arbitrary source file: reading and converting
// it to one of the document formats, then copying it over two blocks in a
// row in either mode, the position carried from the first to the second.
//
// Input: the target format, the mode byte, the two block lengths, the
// starting position, the target's encoding, then the source file.
#include <string>

#include "document/sample_codec.h"
#include "effects/file_overwrite.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace belmo;

constexpr char kSource[] = "C:\\voice\\over.wav";
constexpr uint32_t kRates[8] = {8000, 11025, 22050, 44100, 48000, 96000, 1, 1000000};
constexpr size_t kLongestBlock = 16384;

// What a block must hold afterwards: the data from the position on, and
// then either the data again (continuous) or silence (once).
void CheckBlock(const std::vector<uint8_t>& converted, uint8_t mode, uint8_t silence,
                uint32_t positionBefore,
                const std::vector<uint8_t>& block, uint32_t positionAfter, int result) {
  const size_t m = converted.size();
  const size_t p = positionBefore < m ? positionBefore : 0;
  const size_t length = block.size();
  if (mode == kOverwriteContinuous) {
    for (size_t i = 0; i < length; ++i) BELMO_FUZZ_CHECK(block[i] == converted[(p + i) % m]);
    BELMO_FUZZ_CHECK(positionAfter == (p + length) % m);
    BELMO_FUZZ_CHECK(result == 0);
    return;
  }
  const size_t rest = m - p;
  for (size_t i = 0; i < length; ++i) {
    BELMO_FUZZ_CHECK(block[i] == (i < rest ? converted[p + i] : silence));
  }
  BELMO_FUZZ_CHECK(result == (length >= rest ? 1 : 0));
  BELMO_FUZZ_CHECK(positionAfter == (length >= rest ? 0 : p + length));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputReader in(data, size);
  const uint8_t format = in.Byte();
  const uint8_t mode = in.Byte();
  const size_t firstLength = in.U16() % kLongestBlock;
  const size_t secondLength = in.U16() % kLongestBlock;
  const uint32_t startPosition = in.U32();
  const uint8_t encoding = in.Byte();
  const std::vector<uint8_t> source = in.Rest();

  const int16_t bits = (format & 1) != 0 ? 16 : 8;
  const int16_t channels = (format & 2) != 0 ? 2 : 1;
  const uint32_t rate = kRates[(format >> 2) & 7];
  if (!fuzz::ConversionFitsAFuzzRun(source, rate)) return 0;
  // The program's own formats: 8 or 16-bit PCM by the format byte, or one
  // of the others by the encoding byte.
  constexpr SampleEncoding kOthers[] = {SampleEncoding::Signed24, SampleEncoding::Signed32,
                                        SampleEncoding::Float32, SampleEncoding::MuLaw,
                                        SampleEncoding::ALaw};
  WaveFormat target;
  target.Encoding = bits == 16 ? SampleEncoding::Signed16 : SampleEncoding::Unsigned8;
  if (encoding % 2 != 0) target.Encoding = kOthers[(encoding / 2) % 5];
  target.Channels = static_cast<uint16_t>(channels);
  target.SampleRate = rate;
  target.BitsPerSample = static_cast<uint16_t>(BytesPerSample(target.Encoding) * 8);

  fuzz::MemoryFileStore files;
  files.files[kSource] = source;

  std::vector<uint8_t> converted;
  const MaskOutcome loaded = LoadOverwriteSource(kSource, target, files, &converted);
  if (source.size() < 40) BELMO_FUZZ_CHECK(loaded == MaskOutcome::SourceTooShort);
  BELMO_FUZZ_CHECK((loaded == MaskOutcome::Applied) == !converted.empty());

  // Blocks of exactly their length: a byte written past one is a heap
  // overflow ASan sees.
  std::vector<uint8_t> first(firstLength, 0xA5);
  uint32_t position = startPosition;
  MaskOutcome refusal = MaskOutcome::NoDocument;
  const int firstResult = OverwriteFromFile(first.data(), target, kSource, mode,
                                            static_cast<int64_t>(first.size()), position, files,
                                            &refusal);
  BELMO_FUZZ_CHECK(refusal == loaded);
  if (loaded != MaskOutcome::Applied) {
    BELMO_FUZZ_CHECK(firstResult == 1);
    BELMO_FUZZ_CHECK(position == startPosition);
    for (uint8_t b : first) BELMO_FUZZ_CHECK(b == 0xA5);
    return 0;
  }
  uint8_t silence = 0;
  FillSilence(&silence, 1, target.Encoding);
  CheckBlock(converted, mode, silence, startPosition, first, position, firstResult);

  std::vector<uint8_t> second(secondLength, 0x5A);
  const uint32_t secondStart = position;
  const int secondResult = CopyOverwriteData(converted, mode, target.Encoding, second.data(),
                                             static_cast<int64_t>(second.size()), position);
  CheckBlock(converted, mode, silence, secondStart, second, position, secondResult);
  return 0;
}
