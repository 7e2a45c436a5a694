#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <utility>
#include <ostream>
#include <string>
#include <vector>

#include "document/wav_document.h"
#include "document/working_copy.h"
#include "tests/unit/wave_builder.h"

namespace belmo {
namespace {

using test::Poke;
using test::WaveBuilder;

constexpr char kWorkingCopy[] = "C:\\belmo\\temp.tmp";
constexpr char kNewFile[] = "C:\\rec\\new.wav";

// Files in memory. A failing write leaves a half-written file behind, as a
// full disk would. Images are views, with the Windows rule: a file that a
// view maps (followed through renames) is never replaced or removed, and
// a held file (open without sharing deletion) is neither renamed nor
// replaced.
class FakeFileStore : public FileStore {
 public:
  struct Entry {
    std::vector<uint8_t> bytes;
    bool hidden = false;
    int id = 0;
  };

  bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) override {
    auto it = files.find(path);
    if (it == files.end()) return false;
    *bytes = it->second.bytes;
    return true;
  }
  bool WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                  bool hidden) override {
    ++writes;
    if (!MayReplace(path)) return false;
    Entry& entry = files[path];
    entry = {std::vector<uint8_t>(bytes, bytes + size), hidden, ++lastId};
    if (failWrites > 0) {
      --failWrites;
      entry.bytes.resize(size / 2);
      return false;
    }
    return true;
  }
  bool Remove(const std::string& path) override {
    return MayReplace(path) && files.erase(path) > 0;
  }
  bool Exists(const std::string& path) override { return files.count(path) > 0; }
  bool Rename(const std::string& from, const std::string& to) override {
    auto it = files.find(from);
    if (it == files.end() || held.count(from) > 0 || !MayReplace(to)) return false;
    Entry moved = it->second;
    files.erase(it);
    files[to] = moved;
    return true;
  }
  // In place, as a mapped file allows.
  bool WriteAt(const std::string& path, uint64_t offset, const uint8_t* bytes,
               size_t size) override {
    auto it = files.find(path);
    if (it == files.end() || it->second.bytes.size() < offset + size) return false;
    std::copy(bytes, bytes + size, it->second.bytes.begin() + static_cast<long>(offset));
    return true;
  }
  std::unique_ptr<FileImage> OpenImage(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return nullptr;
    return std::make_unique<View>(*this, it->second);
  }

  std::map<std::string, Entry> files;
  std::map<std::string, bool> held;
  std::map<int, int> views;  // by file id, how many map it
  int failWrites = 0;
  int writes = 0;
  int lastId = 0;

 private:
  class View : public FileImage {
   public:
    View(FakeFileStore& store, const Entry& entry)
        : store_(store), bytes_(entry.bytes), id_(entry.id) {
      ++store_.views[id_];
    }
    ~View() override { --store_.views[id_]; }
    uint8_t* Data() override { return bytes_.data(); }
    size_t Size() const override { return bytes_.size(); }
    bool IsView() const override { return true; }

   private:
    FakeFileStore& store_;
    std::vector<uint8_t> bytes_;
    int id_;
  };

  bool MayReplace(const std::string& path) const {
    auto it = files.find(path);
    if (it == files.end()) return true;
    auto mapped = views.find(it->second.id);
    return held.count(path) == 0 && (mapped == views.end() || mapped->second == 0);
  }
};

// Answers by the first word of each command and notes what the working copy
// held when the device opened it.
class FakeSoundDevice : public SoundDevice {
 public:
  explicit FakeSoundDevice(FakeFileStore& files) : files_(files) {}

  uint32_t Send(const std::string& command, std::string* reply) override {
    commands.push_back(command);
    const std::string verb = command.substr(0, command.find(' '));
    if (verb == "open") {
      auto it = files_.files.find(kWorkingCopy);
      openedBytes = it == files_.files.end() ? std::vector<uint8_t>() : it->second.bytes;
    }
    if (verb == "status") {
      if (reply == nullptr) return 999;
      *reply = statusReply;
    }
    auto it = errors.find(verb);
    return it == errors.end() ? 0 : it->second;
  }

  std::vector<std::string> commands;
  std::map<std::string, uint32_t> errors;
  std::string statusReply = "1000";
  std::vector<uint8_t> openedBytes;

 private:
  FakeFileStore& files_;
};

const std::vector<std::string> kAllFour = {
    "open \"C:\\belmo\\temp.tmp\" alias dealwave type waveaudio wait",
    "set dealwave time format ms wait",
    "status dealwave length wait",
    "close dealwave wait",
};

void ExpectSameDocument(const WavDocument& a, const WavDocument& b) {
  EXPECT_EQ(a.Image, b.Image);
  EXPECT_EQ(a.Format.Channels, b.Format.Channels);
  EXPECT_EQ(a.Format.SampleRate, b.Format.SampleRate);
  EXPECT_EQ(a.Format.BitsPerSample, b.Format.BitsPerSample);
  EXPECT_EQ(a.Format.DataTagOffset, b.Format.DataTagOffset);
  EXPECT_EQ(a.Format.DataEnd, b.Format.DataEnd);
  EXPECT_EQ(a.LengthMs, b.LengthMs);
  EXPECT_EQ(std::memcmp(a.Path, b.Path, kPathBufferBytes), 0);
  EXPECT_EQ(std::memcmp(a.Title, b.Title, kPathBufferBytes), 0);
  EXPECT_EQ(std::memcmp(a.WorkingCopyPath, b.WorkingCopyPath, kPathBufferBytes), 0);
  EXPECT_EQ(a.ChangeCount, b.ChangeCount);
}

class LoadWaveTest : public testing::Test {
 protected:
  LoadWaveTest() : device(files) {
    CopyToBuffer(kWorkingCopy, document.WorkingCopyPath);
    CopyToBuffer(kNewFile, document.Path);
    CopyToBuffer("new.wav", document.Title);
    files.files[kNewFile].bytes = newImage;
  }

  // An open 8-bit stereo document with unsaved changes, its working copy in
  // step with it.
  void OpenPreviousDocument() {
    document.Image = WaveBuilder().Channels(2).Bits(8).SampleRate(22050).SampleBytes(40).Build();
    document.Format = test::FormatOf(document.Image.ToVector());
    document.LengthMs = 500;
    document.ChangeCount = 3;
    files.files[kWorkingCopy] = {document.Image.ToVector(), true, ++files.lastId};
    document.Image = ImageBytes(files.OpenImage(kWorkingCopy));
  }

  LoadOutcome Load() { return LoadWaveImage(kNewFile, files, device, document); }

  const std::vector<uint8_t> newImage =
      WaveBuilder().Chunk("LIST", "INFO").SampleRate(44100).SampleBytes(88).Build();
  FakeFileStore files;
  FakeSoundDevice device;
  WavDocument document;
};

TEST_F(LoadWaveTest, LoadReplacesDocumentAndWritesHiddenWorkingCopy) {
  OpenPreviousDocument();
  device.statusReply = "2999.5";
  const WavDocument before = document;

  ASSERT_EQ(Load(), LoadOutcome::Loaded);

  EXPECT_EQ(device.commands, kAllFour);
  // The device measured the new bytes, not the previous document's.
  EXPECT_EQ(device.openedBytes, newImage);
  EXPECT_EQ(files.files[kWorkingCopy].bytes, newImage);
  EXPECT_TRUE(files.files[kWorkingCopy].hidden);

  EXPECT_EQ(document.Image, newImage);
  EXPECT_TRUE(document.Image.IsView());
  EXPECT_EQ(files.files.size(), 2u) << "only the file and its working copy";
  EXPECT_EQ(document.Format.Channels, 1);
  EXPECT_EQ(document.Format.SampleRate, 44100u);
  EXPECT_EQ(document.Format.BitsPerSample, 16);
  EXPECT_EQ(document.Format.DataTagOffset, 48);
  EXPECT_EQ(document.LengthMs, 3000);
  EXPECT_EQ(document.ChangeCount, 0);
  EXPECT_STREQ(document.Path, before.Path);
  EXPECT_STREQ(document.Title, before.Title);
  EXPECT_STREQ(document.WorkingCopyPath, before.WorkingCopyPath);
}

// The open image is a view of the working copy, which therefore cannot
// be replaced: the new copy is made beside it and takes its name once the
// old one is moved aside. Whatever fails, the working copy ends holding
// what the document holds, and nothing is left beside it.
struct CopyCase {
  const char* name;
  int failWrites;
  bool holdWorkingCopy;
  bool spoilHeader;
  const char* statusReply;
  LoadOutcome expected;
};

void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.name; }

class NewWorkingCopyTest : public LoadWaveTest, public testing::WithParamInterface<CopyCase> {};

TEST_P(NewWorkingCopyTest, WorkingCopyHoldsWhatTheDocumentHolds) {
  const CopyCase& c = GetParam();
  OpenPreviousDocument();
  const WavDocument before = document;
  files.failWrites = c.failWrites;
  if (c.holdWorkingCopy) files.held[kWorkingCopy] = true;
  if (c.spoilHeader) Poke(files.files[kNewFile].bytes, 20, "\x11");
  device.statusReply = c.statusReply;

  EXPECT_EQ(Load(), c.expected);

  if (c.expected == LoadOutcome::Loaded) {
    EXPECT_EQ(document.Image, newImage);
    EXPECT_EQ(device.openedBytes, newImage);
  } else {
    ExpectSameDocument(document, before);
  }
  EXPECT_EQ(files.files[kWorkingCopy].bytes, document.Image);
  EXPECT_TRUE(files.files[kWorkingCopy].hidden);
  EXPECT_EQ(files.files.size(), 2u) << "only the file and its working copy";
}

INSTANTIATE_TEST_SUITE_P(
    Load, NewWorkingCopyTest,
    testing::Values(
        CopyCase{"TakesThePlaceOfTheMappedCopy", 0, false, false, "1000", LoadOutcome::Loaded},
        CopyCase{"CopyNotWritten", 1, false, false, "1000", LoadOutcome::WorkingCopyFailed},
        CopyCase{"CopyInUseElsewhere", 0, true, false, "1000", LoadOutcome::WorkingCopyFailed},
        CopyCase{"RefusedHeaderIsNeverCopied", 0, false, true, "1000", LoadOutcome::Compressed},
        CopyCase{"CopyOfAFileWithoutLengthIsUndone", 0, false, false, "0",
                 LoadOutcome::LengthUnknown}),
    [](const testing::TestParamInfo<CopyCase>& info) { return std::string(info.param.name); });

// Every edit of an image that is a view goes into its working copy, the
// whole image too (most of it changed, or the copy not in step): never a
// new copy in its place, which the system refuses.
TEST_F(LoadWaveTest, EditsOfAViewAreWrittenIntoItsCopy) {
  ASSERT_EQ(Load(), LoadOutcome::Loaded);
  const auto size = static_cast<int64_t>(document.Image.size());
  for (const bool inStep : {true, false}) {
    std::fill(document.Image.begin() + 10, document.Image.end(), inStep ? 1 : 2);
    document.WorkingCopyInStep = inStep;
    EXPECT_TRUE(UpdateWorkingCopy(document, 10, size, files));
    EXPECT_EQ(files.files[kWorkingCopy].bytes, document.Image);
    EXPECT_TRUE(document.WorkingCopyInStep);
    EXPECT_FALSE(files.Exists(JournalPathOf(kWorkingCopy)));
  }
}

// A journal left by a failed patch of the open document's copy stays until
// the new file is read, or the copy could be left with half an edit.
TEST_F(LoadWaveTest, JournalOfTheOpenDocumentOutlivesAFileThatCannotBeRead) {
  OpenPreviousDocument();
  const std::string journal = JournalPathOf(kWorkingCopy);
  files.files[journal] = {{1, 2, 3}, true, ++files.lastId};
  files.files.erase(kNewFile);

  EXPECT_EQ(Load(), LoadOutcome::Unreadable);
  EXPECT_TRUE(files.Exists(journal));

  files.files[kNewFile].bytes = newImage;
  EXPECT_EQ(Load(), LoadOutcome::Loaded);
  EXPECT_FALSE(files.Exists(journal));
  EXPECT_EQ(files.files[kWorkingCopy].bytes, newImage);
}

struct DeviceFailure {
  const char* name;
  std::map<std::string, uint32_t> errors;
  std::string statusReply;
  std::vector<std::string> expectedCommands;
};

void PrintTo(const DeviceFailure& c, std::ostream* os) { *os << c.name; }

class DeviceFailureTest : public LoadWaveTest,
                          public testing::WithParamInterface<DeviceFailure> {
 protected:
  void SetUp() override {
    device.errors = GetParam().errors;
    device.statusReply = GetParam().statusReply;
  }
};

TEST_P(DeviceFailureTest, OpenDocumentAndItsWorkingCopySurvive) {
  OpenPreviousDocument();
  const WavDocument before = document;

  EXPECT_EQ(Load(), LoadOutcome::LengthUnknown);

  EXPECT_EQ(device.commands, GetParam().expectedCommands);
  ExpectSameDocument(document, before);
  ASSERT_TRUE(files.Exists(kWorkingCopy));
  EXPECT_EQ(files.files[kWorkingCopy].bytes, before.Image);
  EXPECT_TRUE(files.files[kWorkingCopy].hidden);
}

TEST_P(DeviceFailureTest, WithoutOpenDocumentWorkingCopyIsRemoved) {
  const WavDocument before = document;

  EXPECT_EQ(Load(), LoadOutcome::LengthUnknown);

  ExpectSameDocument(document, before);
  EXPECT_FALSE(files.Exists(kWorkingCopy));
}

// The left-over copy of a crashed run may hold the user's only edits.
TEST_P(DeviceFailureTest, LeftOverWorkingCopyIsNeverRemovedOrRewritten) {
  files.files[kWorkingCopy] = {newImage, true, ++files.lastId};
  const int writesBefore = files.writes;

  EXPECT_EQ(LoadWaveImage(kWorkingCopy, files, device, document), LoadOutcome::LengthUnknown);

  ASSERT_TRUE(files.Exists(kWorkingCopy));
  EXPECT_EQ(files.files[kWorkingCopy].bytes, newImage);
  EXPECT_EQ(files.writes, writesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Query, DeviceFailureTest,
    testing::Values(
        // Nothing was opened, so there is nothing to close.
        DeviceFailure{"OpenFails", {{"open", 263}}, "1000", {kAllFour[0]}},
        // Asking for the length in frames would give a wrong number.
        DeviceFailure{"SetFails", {{"set", 1}}, "1000", {kAllFour[0], kAllFour[1], kAllFour[3]}},
        DeviceFailure{"StatusFails", {{"status", 1}}, "1000", kAllFour},
        DeviceFailure{"EmptyReply", {}, "", kAllFour},
        DeviceFailure{"NotANumber", {}, "unknown", kAllFour},
        DeviceFailure{"ZeroLength", {}, "0", kAllFour},
        DeviceFailure{"RoundsToZero", {}, "0.5", kAllFour},
        DeviceFailure{"BeyondInt32", {}, "2147483648", kAllFour}),
    [](const testing::TestParamInfo<DeviceFailure>& info) {
      return std::string(info.param.name);
    });

TEST_F(LoadWaveTest, FailedCopyWithoutDocumentLeavesNothing) {
  files.failWrites = 1;
  EXPECT_EQ(Load(), LoadOutcome::WorkingCopyFailed);
  EXPECT_TRUE(device.commands.empty());
  EXPECT_FALSE(document.IsOpen());
  EXPECT_EQ(files.files.size(), 1u) << "a half-written copy was left";
}

struct RejectCase {
  const char* name;
  void (*spoil)(std::vector<uint8_t>& image);  // null: the file is missing
  LoadOutcome expected;
};

void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name; }

class RejectTest : public LoadWaveTest, public testing::WithParamInterface<RejectCase> {};

TEST_P(RejectTest, NothingIsWrittenOrAsked) {
  OpenPreviousDocument();
  const WavDocument before = document;
  if (GetParam().spoil == nullptr) {
    files.files.erase(kNewFile);
  } else {
    GetParam().spoil(files.files[kNewFile].bytes);
  }

  EXPECT_EQ(Load(), GetParam().expected);
  EXPECT_EQ(files.writes, 0);
  EXPECT_TRUE(device.commands.empty());
  ExpectSameDocument(document, before);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RejectTest,
    testing::Values(
        RejectCase{"Unreadable", nullptr, LoadOutcome::Unreadable},
        RejectCase{"NotWave", [](std::vector<uint8_t>& i) { Poke(i, 8, "wave"); },
                   LoadOutcome::NotPcm},
        RejectCase{"Compressed", [](std::vector<uint8_t>& i) { Poke(i, 20, "\x11"); },
                   LoadOutcome::Compressed},
        RejectCase{"Rf64", [](std::vector<uint8_t>& i) { Poke(i, 0, "RF64"); },
                   LoadOutcome::Rf64},
        RejectCase{"TooShort", [](std::vector<uint8_t>& i) { i.resize(30); },
                   LoadOutcome::TooShort},
        RejectCase{"Unsupported", [](std::vector<uint8_t>& i) { Poke(i, 34, "\x0C"); },
                   LoadOutcome::UnsupportedFormat},
        RejectCase{"NoDataTag",
                   [](std::vector<uint8_t>& i) { std::memset(&i[36], 0, i.size() - 36); },
                   LoadOutcome::NoDataTag}),
    [](const testing::TestParamInfo<RejectCase>& info) { return std::string(info.param.name); });

struct LengthCase {
  const char* reply;
  bool ok;
  int32_t lengthMs;
};

TEST(QueryLengthMs, ConvertsReplyWithTiesToEven) {
  const LengthCase cases[] = {
      {"1000", true, 1000},        {"2999.5", true, 3000}, {"2500.5", true, 2500},
      {"1000.4", true, 1000},      {"7.", true, 7},        {"2147483647", true, 2147483647},
      {"2147483647.5", false, 0},  {"", false, 0},         {"-5", false, 0},
      {"12 ms", false, 0},         {".", false, 0},
  };
  for (const LengthCase& c : cases) {
    FakeFileStore files;
    FakeSoundDevice device(files);
    device.statusReply = c.reply;
    int32_t length = -1;
    EXPECT_EQ(QueryLengthMs("x.tmp", device, &length), c.ok) << '"' << c.reply << '"';
    if (c.ok) {
      EXPECT_EQ(length, c.lengthMs) << '"' << c.reply << '"';
    }
  }
}

TEST(FileNamePart, TakesTextAfterLastBackslash) {
  // "表" is 0x95 0x5C in code page 932: its second byte is a backslash.
  static_assert(sizeof("表") == 3 && "表"[1] == '\\');
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\rec\\a b.wav", "a b.wav"},
      {"a.wav", "a.wav"},
      {"C:\\rec\\", ""},
      {"", ""},
      {"C:\\表\\表.wav", "表.wav"},
      {"C:\\rec\\表", "表"},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(FileNamePart(path), name) << path;
}

TEST(CopyToBuffer, CutsToFitAndTerminates) {
  char buffer[kPathBufferBytes];
  std::memset(buffer, 'x', sizeof buffer);
  CopyToBuffer("short", buffer);
  EXPECT_STREQ(buffer, "short");
  EXPECT_EQ(buffer[kPathBufferBytes - 1], '\0');

  CopyToBuffer(std::string(300, 'a'), buffer);
  EXPECT_EQ(std::string(buffer), std::string(259, 'a'));

  // A double-byte character straddling the limit is dropped whole.
  CopyToBuffer(std::string(258, 'a') + "表", buffer);
  EXPECT_EQ(std::string(buffer), std::string(258, 'a'));
  CopyToBuffer(std::string(257, 'a') + "表", buffer);
  EXPECT_EQ(std::string(buffer), std::string(257, 'a') + "表");
}

TEST(StdFileStore, WritesReadsReplacesAndReportsFailures) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "belmo_store_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "a.wav").string();
  const std::vector<uint8_t> image = WaveBuilder().SampleBytes(300).Build();
  StdFileStore store;
  std::vector<uint8_t> read;

  EXPECT_FALSE(store.ReadWhole(path, &read));
  EXPECT_FALSE(store.ReadWhole(dir.string(), &read));
  ASSERT_TRUE(store.WriteWhole(path, image.data(), image.size(), true));
  ASSERT_TRUE(store.ReadWhole(path, &read));
  EXPECT_EQ(read, image);
  // A shorter image replaces the file entirely: no old tail remains.
  ASSERT_TRUE(store.WriteWhole(path, image.data(), 10, false));
  ASSERT_TRUE(store.ReadWhole(path, &read));
  EXPECT_EQ(read, std::vector<uint8_t>(image.begin(), image.begin() + 10));
  EXPECT_TRUE(store.Remove(path));
  EXPECT_FALSE(store.Exists(path));

  EXPECT_FALSE(store.WriteWhole((dir / "missing" / "a.wav").string(), image.data(), 1, false));
  // A target that cannot be replaced (here a directory) keeps what it held,
  // and the pending file beside it is cleaned up.
  const std::filesystem::path blocked = dir / "blocked.wav";
  std::filesystem::create_directories(blocked / "inside");
  EXPECT_FALSE(store.WriteWhole(blocked.string(), image.data(), image.size(), false));
  EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
  EXPECT_FALSE(std::filesystem::exists(blocked.string() + ".belmo-new"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace belmo
