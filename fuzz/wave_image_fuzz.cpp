// The checks every opened file goes through first: the header fields, the
// scan for the sample data and the length by the RIFF chunks. The input is
// the file itself.
#include <cstring>

#include "document/sample_codec.h"
#include "document/wave_format.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace belmo;
  // A copy of exactly size bytes: any read past the file is a read past a
  // heap block, which ASan reports (libFuzzer's own buffer is no different,
  // but an empty input would otherwise pass a null pointer).
  const std::vector<uint8_t> image(data, data + size);

  WaveFormat fields;
  fields.Channels = 7;  // must survive a refusal untouched
  const WaveCheck check = InspectWaveImage(image.data(), image.size(), &fields);
  if (check != WaveCheck::Ok) {
    BELMO_FUZZ_CHECK(fields.Channels == 7);
    return 0;
  }

  BELMO_FUZZ_CHECK(fields.Channels == 1 || fields.Channels == 2);
  // A format every mask can read, its width the one of the samples it says.
  BELMO_FUZZ_CHECK(fields.Encoding != SampleEncoding::Other);
  BELMO_FUZZ_CHECK(fields.BitsPerSample == 8 * BytesPerSample(fields.Encoding));
  BELMO_FUZZ_CHECK(fields.SampleRate >= 1);
  // The first sample byte may sit at the very end, never beyond it.
  BELMO_FUZZ_CHECK(fields.DataTagOffset >= 1);
  BELMO_FUZZ_CHECK(static_cast<size_t>(fields.DataTagOffset) + 8 <= image.size());
  BELMO_FUZZ_CHECK(std::memcmp(image.data() + fields.DataTagOffset, "data", 4) == 0);
  BELMO_FUZZ_CHECK(fields.DataStart() <= fields.DataEnd);
  BELMO_FUZZ_CHECK(fields.DataEnd <= static_cast<int64_t>(image.size()));

  const int64_t lengthMs = LengthMsByChunks(image.data(), image.size(), fields);
  BELMO_FUZZ_CHECK(lengthMs >= -1);
  // The data chunk holds at most the whole file; at the lowest rate (1 Hz,
  // 8-bit mono) that is size seconds.
  BELMO_FUZZ_CHECK(lengthMs <= static_cast<int64_t>(image.size()) * 1000);
  return 0;
}
