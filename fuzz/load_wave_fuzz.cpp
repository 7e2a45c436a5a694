// Opening a file: the checks, the working copy and the sound device's
// length, with files in memory and a device that answers what the input
// says. Besides memory safety it holds the load to its promise: a failed
// load leaves the document and the working copy as they were.
//
// Input: flags, failing writes, failing device commands, the length of the
// device's reply and the reply, then the file.
#include <string>
#include <utility>

#include "document/wav_document.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace belmo;

constexpr char kWorkingCopy[] = "C:\\belmo\\temp.tmp";
constexpr char kFile[] = "C:\\rec\\in.wav";

class ScriptedDevice : public SoundDevice {
 public:
  ScriptedDevice(uint8_t failing, std::string reply) : failing_(failing), reply_(std::move(reply)) {}

  uint32_t Send(const std::string& command, std::string* reply) override {
    const std::string verb = command.substr(0, command.find(' '));
    int bit = -1;
    if (verb == "open") bit = 0;
    if (verb == "set") bit = 1;
    if (verb == "status") bit = 2;
    if (verb == "close") bit = 3;
    BELMO_FUZZ_CHECK(bit >= 0);
    const bool fails = (failing_ >> bit & 1) != 0;
    if (verb == "open" && !fails) ++open;
    if (verb == "close") ++closed;
    if (verb == "status" && reply != nullptr) *reply = reply_;
    return fails ? 263 : 0;
  }

  int open = 0;
  int closed = 0;

 private:
  uint8_t failing_;
  std::string reply_;
};

struct Snapshot {
  std::vector<uint8_t> image;
  uint16_t channels;
  uint32_t rate;
  uint16_t bits;
  int64_t dataTag;
  int64_t dataEnd;
  int32_t lengthMs;
  int16_t changes;
  bool saved;

  explicit Snapshot(const WavDocument& d)
      : image(d.Image.ToVector()), channels(d.Format.Channels), rate(d.Format.SampleRate),
        bits(d.Format.BitsPerSample), dataTag(d.Format.DataTagOffset),
        dataEnd(d.Format.DataEnd), lengthMs(d.LengthMs), changes(d.ChangeCount),
        saved(d.HasSavedFile) {}

  bool Same(const WavDocument& d) const {
    return image == d.Image && channels == d.Format.Channels && rate == d.Format.SampleRate &&
           bits == d.Format.BitsPerSample && dataTag == d.Format.DataTagOffset &&
           dataEnd == d.Format.DataEnd && lengthMs == d.LengthMs &&
           changes == d.ChangeCount && saved == d.HasSavedFile;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::InputReader in(data, size);
  const uint8_t flags = in.Byte();
  const bool documentOpen = (flags & 1) != 0;
  const bool recovering = (flags & 2) != 0;
  const bool staleWorkingCopy = (flags & 4) != 0;
  const int failingWrites = in.Byte() & 3;
  const uint8_t failingCommands = in.Byte() & 15;
  const std::vector<uint8_t> replyBytes = in.Bytes(in.Byte());
  const std::vector<uint8_t> file = in.Rest();

  fuzz::MemoryFileStore files;
  WavDocument document;
  CopyToBuffer(kWorkingCopy, document.WorkingCopyPath);
  if (documentOpen) {
    document.Image = fuzz::CanonicalWave(2, 16, 8000, 64);
    InspectWaveImage(document.Image.data(), document.Image.size(), &document.Format);
    document.LengthMs = 2;
    document.ChangeCount = 3;
    document.HasSavedFile = true;
    files.files[kWorkingCopy] = document.Image.ToVector();
  } else if (staleWorkingCopy) {
    files.files[kWorkingCopy] = {'o', 'l', 'd'};
  }
  const std::string path = recovering ? kWorkingCopy : kFile;
  files.files[path] = file;
  const auto filesBefore = files.files;
  files.failingWrites = failingWrites;

  ScriptedDevice device(failingCommands, std::string(replyBytes.begin(), replyBytes.end()));
  const Snapshot before(document);
  const LoadOutcome outcome = LoadWaveImage(path, files, device, document);

  // The alias is closed whenever it was opened, or playback could not use it.
  BELMO_FUZZ_CHECK(device.closed == device.open);
  BELMO_FUZZ_CHECK(device.open <= 1);

  WaveFormat fields;
  const WaveCheck check = InspectWaveImage(file.data(), file.size(), &fields);
  if (check != WaveCheck::Ok) BELMO_FUZZ_CHECK(outcome == LoadOutcomeOf(check));

  if (outcome == LoadOutcome::Loaded) {
    BELMO_FUZZ_CHECK(check == WaveCheck::Ok);
    BELMO_FUZZ_CHECK(document.Image == file);
    BELMO_FUZZ_CHECK(document.Format.Channels == fields.Channels);
    BELMO_FUZZ_CHECK(document.Format.SampleRate == fields.SampleRate);
    BELMO_FUZZ_CHECK(document.Format.BitsPerSample == fields.BitsPerSample);
    BELMO_FUZZ_CHECK(document.Format.DataTagOffset == fields.DataTagOffset);
    BELMO_FUZZ_CHECK(document.Format.DataEnd == fields.DataEnd);
    BELMO_FUZZ_CHECK(document.LengthMs >= 1);
    BELMO_FUZZ_CHECK(document.ChangeCount == 0);
    BELMO_FUZZ_CHECK(document.HasSavedFile == !recovering);
    BELMO_FUZZ_CHECK(files.files.count(kWorkingCopy) == 1);
    BELMO_FUZZ_CHECK(files.files[kWorkingCopy] == file);
    return 0;
  }

  BELMO_FUZZ_CHECK(before.Same(document));
  // The file itself is only ever read.
  BELMO_FUZZ_CHECK(files.files.count(path) == 1);
  BELMO_FUZZ_CHECK(files.files[path] == file);
  if (recovering) {
    // It may be the only copy of the user's edits.
    BELMO_FUZZ_CHECK(files.files == filesBefore);
  } else if (failingWrites == 0) {
    // With the disk working, the copy again holds what the document holds.
    if (documentOpen) {
      BELMO_FUZZ_CHECK(files.files[kWorkingCopy] == document.Image);
    } else if (check == WaveCheck::Ok) {
      BELMO_FUZZ_CHECK(files.files.count(kWorkingCopy) == 0);
    }
  }
  return 0;
}
