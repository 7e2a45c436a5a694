// belmo-mask's arguments: the input, split at zero bytes, is the argument
// list. The files it can name are in memory: in.wav and in8.wav to mask,
// src.wav to overwrite with and settings.ini. A refused run must leave every
// file as it was; a successful one writes one file that is still a WAVE
// file of the same size.
#include <cmath>
#include <string>
#include <vector>

#include "cli/mask_cli.h"
#include "document/wav_document.h"
#include "fuzz/fuzz_support.h"
#include "numtext/number_text.h"
#include "settings/mask_settings.h"

namespace {

using namespace belmo;

constexpr size_t kMostArguments = 32;

const fuzz::MemoryFileStore& InitialFiles() {
  static const fuzz::MemoryFileStore files = [] {
    fuzz::MemoryFileStore store;
    store.files["in.wav"] = fuzz::CanonicalWave(1, 16, 8000, 16000);
    store.files["in8.wav"] = fuzz::CanonicalWave(2, 8, 22050, 22050);
    store.files["src.wav"] = fuzz::CanonicalWave(1, 8, 8000, 2000);
    store.files["in24.wav"] = fuzz::CanonicalWave(2, 24, 8000, 12000);
    store.files["inmu.wav"] = fuzz::CanonicalWave(1, 8, 8000, 4000, 7);
    store.files["srcf.wav"] = fuzz::CanonicalWave(2, 32, 11025, 4000, 3);
    MaskSettings settings;
    settings.PitchUpType = 1;
    settings.FFTSample = 0;
    settings.VoicePitch = 0.5;
    settings.OverWriteFilePath = "src.wav";
    settings.OverWriteType = 1;
    const std::string text = FormatSettingsText(settings);
    store.files["settings.ini"].assign(text.begin(), text.end());
    return store;
  }();
  return files;
}

// A ratio near 0 makes the simple voice change read the range into a
// buffer of length / ratio samples: honest work, but too long for a fuzz
// run (see apply_mask_fuzz.cpp).
bool RatiosFitAFuzzRun(const std::vector<std::string>& args) {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] != "--ratio") continue;
    const double ratio = TextToNumber(args[i + 1]);
    if (ratio > 0 && ratio < 1.0 / 64) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args;
  const char* text = reinterpret_cast<const char*>(data);
  size_t begin = 0;
  for (size_t i = 0; i <= size && args.size() < kMostArguments; ++i) {
    if (i == size || data[i] == 0) {
      args.emplace_back(text + begin, i - begin);
      begin = i + 1;
    }
  }
  if (size == 0) args.clear();
  if (!RatiosFitAFuzzRun(args)) return 0;

  fuzz::MemoryFileStore files = InitialFiles();
  std::string out;
  std::string err;
  const int exit = RunMaskCli(args, files, &out, &err);
  BELMO_FUZZ_CHECK(exit == kCliOk || exit == kCliRefused || exit == kCliUsage);
  // Every refusal says why.
  if (exit != kCliOk) BELMO_FUZZ_CHECK(!err.empty());

  const auto& before = InitialFiles().files;
  if (exit != kCliOk) {
    BELMO_FUZZ_CHECK(files.files == before);
    return 0;
  }
  int written = 0;
  for (const auto& [path, bytes] : files.files) {
    auto old = before.find(path);
    if (old != before.end() && old->second == bytes) continue;
    ++written;
    WaveFormat fields;
    BELMO_FUZZ_CHECK(InspectWaveImage(bytes.data(), bytes.size(), &fields) == WaveCheck::Ok);
  }
  BELMO_FUZZ_CHECK(written <= 1);
  BELMO_FUZZ_CHECK(files.files.size() >= before.size());
  return 0;
}
