// belmo-mask's arguments: the input, split at zero bytes, is the argument
// list. The files it can name are in memory: in.wav and in8.wav to mask,
// src.wav to overwrite with, settings.ini, labels.txt, a transcript
// take.srt and the words names.txt to find in it; standard input
// holds in.wav, standard output is collected. A refused run must leave
// every file as it was and write nothing to standard output, saying why
// with the program's name first (a usage error with a hint to --help); a
// successful one writes one WAVE of the size of its input, to one file or
// to standard output, and standard output carries nothing else (find
// writes no file: its label file is text on standard output).
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_values.h"
#include "cli/mask_cli.h"
#include "document/wav_document.h"
#include "fuzz/fuzz_support.h"
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
    const std::string labels = "# start\tend\tlabel\n0.1\t0.2\tone\n0.15\t0:00.3\ttwo\n0.5,0.9\n";
    store.files["labels.txt"].assign(labels.begin(), labels.end());
    const std::string transcript =
        "1\n00:00:00,100 --> 00:00:00,300\nTanaka\n\n2\n00:00:00,400 --> 00:00:00,900\n090 1234 Sato\n";
    store.files["take.srt"].assign(transcript.begin(), transcript.end());
    const std::string names = "# names\nTanaka\nSato\n";
    store.files["names.txt"].assign(names.begin(), names.end());
    return store;
  }();
  return files;
}

// A ratio near 0 makes the simple voice change read the range into a
// buffer of length / ratio samples: honest work, but too long for a fuzz
// run (see apply_mask_fuzz.cpp).
bool RatiosFitAFuzzRun(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string value;
    if (args[i] == "--ratio" && i + 1 < args.size()) {
      value = args[i + 1];
    } else if (args[i].rfind("--ratio=", 0) == 0) {
      value = args[i].substr(8);
    } else {
      continue;
    }
    double ratio = 0;
    if (ReadNumber(value, &ratio) && ratio > 0 && ratio < 1.0 / 64) return false;
  }
  return true;
}

class FuzzConsole : public CliConsole {
 public:
  std::unique_ptr<FileView> ReadStandardInput() override {
    fuzz::MemoryFileStore stream;
    stream.files["stdin"] = InitialFiles().files.at("in.wav");
    return stream.OpenView("stdin");
  }
  std::unique_ptr<FileWriter> StandardOutput() override {
    return std::make_unique<Collector>(&output);
  }

  std::vector<uint8_t> output;

 private:
  class Collector : public FileWriter {
   public:
    explicit Collector(std::vector<uint8_t>* bytes) : bytes_(bytes) {}
    bool Append(const uint8_t* bytes, size_t size) override {
      bytes_->insert(bytes_->end(), bytes, bytes + size);
      return true;
    }
    bool Commit() override { return true; }

   private:
    std::vector<uint8_t>* bytes_;
  };
};

bool IsWaveOfSize(const std::vector<uint8_t>& bytes, size_t size) {
  WaveFormat fields;
  return bytes.size() == size &&
         InspectWaveImage(bytes.data(), bytes.size(), &fields) == WaveCheck::Ok;
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
  FuzzConsole console;
  std::string out;
  std::string err;
  const int exit = RunMaskCli(args, files, console, &out, &err);
  BELMO_FUZZ_CHECK(exit == kCliOk || exit == kCliRefused || exit == kCliUsage);

  const auto& before = InitialFiles().files;
  if (exit != kCliOk) {
    // Every refusal says why, in the program's name, and changes nothing.
    BELMO_FUZZ_CHECK(err.rfind("belmo-mask: ", 0) == 0);
    if (exit == kCliUsage) BELMO_FUZZ_CHECK(err.find(" --help") != std::string::npos);
    BELMO_FUZZ_CHECK(console.output.empty());
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
  if (!console.output.empty()) {
    // The WAVE went to standard output: nothing else did, and no file.
    BELMO_FUZZ_CHECK(out.empty() && written == 0);
    BELMO_FUZZ_CHECK(IsWaveOfSize(console.output, before.at("in.wav").size()) ||
                     IsWaveOfSize(console.output, before.at("in8.wav").size()) ||
                     IsWaveOfSize(console.output, before.at("in24.wav").size()) ||
                     IsWaveOfSize(console.output, before.at("inmu.wav").size()));
  }
  BELMO_FUZZ_CHECK(written <= 1);
  BELMO_FUZZ_CHECK(files.files.size() >= before.size());
  return 0;
}
