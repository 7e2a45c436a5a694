#include "document/working_copy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/memory_files.h"

namespace belmo {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kCopy[] = "C:\\belmo\\temp.tmp";

// Counts what reaches the files, and fails the writes it is told to.
class CountingFiles : public test::MemoryFiles {
 public:
  bool WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                  bool hidden) override {
    ++wholeWrites[path];
    if (failWhole && path == kCopy) return false;
    return MemoryFiles::WriteWhole(path, bytes, size, hidden);
  }
  bool WriteAt(const std::string& path, uint64_t offset, const uint8_t* bytes,
               size_t size) override {
    ++patches;
    if (failPatch) return false;
    auto found = files.find(path);
    if (found == files.end() || found->second.size() < offset + size) return false;
    // A torn patch: the first half reaches the file, then the disk fails.
    const size_t written = tearPatch ? size / 2 : size;
    std::copy(bytes, bytes + written, found->second.begin() + static_cast<std::ptrdiff_t>(offset));
    return !tearPatch;
  }
  std::map<std::string, int> wholeWrites;
  int patches = 0;
  bool failWhole = false;
  bool failPatch = false;
  bool tearPatch = false;
};

WavDocument OpenDocument(CountingFiles& files) {
  WavDocument document;
  CopyToBuffer(kCopy, document.WorkingCopyPath);
  std::vector<uint8_t> image(10000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i);
  document.Image = image;
  EXPECT_TRUE(ReplaceWorkingCopy(document, files));
  files.wholeWrites.clear();
  return document;
}

void Edit(WavDocument& document, int64_t start, int64_t end) {
  for (int64_t i = start; i < end; ++i) document.Image[i] ^= 0x5A;
}

// An edit writes its span into the copy and nothing else, and leaves no
// journal; a copy that is not known to be in step, or a span that is most
// of the image, is written whole; a patch that fails is followed by a whole
// write, and when that fails too the next edit writes whole again.
TEST(WorkingCopy, AnEditWritesItsSpanOrTheWholeImageWhenItMust) {
  CountingFiles files;
  WavDocument document = OpenDocument(files);
  Edit(document, 4000, 4400);
  ASSERT_TRUE(UpdateWorkingCopy(document, 4000, 4400, files));
  EXPECT_EQ(files.files[kCopy], document.Image);
  EXPECT_EQ(files.patches, 1);
  EXPECT_EQ(files.wholeWrites[kCopy], 0);
  EXPECT_FALSE(files.Exists(JournalPathOf(kCopy)));

  Edit(document, 100, 9000);
  ASSERT_TRUE(UpdateWorkingCopy(document, 100, 9000, files));
  EXPECT_EQ(files.files[kCopy], document.Image);
  EXPECT_EQ(files.wholeWrites[kCopy], 1) << "most of the image is written whole";

  files.failPatch = true;
  Edit(document, 10, 20);
  ASSERT_TRUE(UpdateWorkingCopy(document, 10, 20, files));
  EXPECT_EQ(files.files[kCopy], document.Image);
  EXPECT_EQ(files.wholeWrites[kCopy], 2);

  files.failWhole = true;
  Edit(document, 30, 40);
  EXPECT_FALSE(UpdateWorkingCopy(document, 30, 40, files));
  EXPECT_FALSE(document.WorkingCopyInStep);
  files.failWhole = files.failPatch = false;
  const int patchesBefore = files.patches;
  Edit(document, 50, 60);
  ASSERT_TRUE(UpdateWorkingCopy(document, 50, 60, files));
  EXPECT_EQ(files.patches, patchesBefore) << "a copy out of step is written whole";
  EXPECT_EQ(files.files[kCopy], document.Image);
  EXPECT_TRUE(document.WorkingCopyInStep);
}

// The program ending in the middle of writing the span into the copy.
struct Crash {};
class CrashingFiles : public CountingFiles {
 public:
  bool WriteAt(const std::string&, uint64_t, const uint8_t*, size_t) override { throw Crash{}; }
};

// A run that ends between the journal and the copy: the next start writes
// a whole journal into the copy and drops one that is not whole or not for
// this copy, which then stays as it was before the edit.
TEST(WorkingCopy, AnEditACrashInterruptedIsFinishedOrLeftOut) {
  struct Case {
    const char* name;
    void (*spoil)(Bytes& journal);
    bool finished;
  };
  const Case cases[] = {
      {"whole", [](Bytes&) {}, true},
      {"cut short", [](Bytes& j) { j.resize(j.size() - 3); }, false},
      {"a byte spoiled", [](Bytes& j) { j[40] ^= 1; }, false},
      {"for a longer copy", [](Bytes& j) { j[24] ^= 1; }, false},
      {"empty", [](Bytes& j) { j.clear(); }, false},
  };
  const std::string journal = JournalPathOf(kCopy);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CrashingFiles files;
    WavDocument document = OpenDocument(files);
    const Bytes before = files.files[kCopy];
    Edit(document, 2000, 2100);
    EXPECT_THROW(UpdateWorkingCopy(document, 2000, 2100, files), Crash);
    ASSERT_TRUE(files.Exists(journal));
    EXPECT_EQ(files.files[kCopy], before);
    c.spoil(files.files[journal]);

    CountingFiles next;
    next.files = files.files;
    FinishInterruptedUpdate(kCopy, next);
    EXPECT_EQ(next.files[kCopy], c.finished ? document.Image : before);
    EXPECT_FALSE(next.Exists(journal));
  }
}

// A patch torn part-way and a whole write that fails too leave the copy
// with half the span: the journal must stay to complete it at the next
// start. And a start that cannot write the journal into the copy still
// opens the image with the edit.
TEST(WorkingCopy, AnEditTheDiskTearsIsNeitherHalvedNorLost) {
  CountingFiles files;
  WavDocument document = OpenDocument(files);
  files.tearPatch = true;
  files.failWhole = true;
  Edit(document, 3000, 3200);
  EXPECT_FALSE(UpdateWorkingCopy(document, 3000, 3200, files));
  ASSERT_TRUE(files.Exists(JournalPathOf(kCopy)));

  files.failWhole = false;
  EXPECT_FALSE(FinishInterruptedUpdate(kCopy, files)) << "the patch still fails";
  ImageBytes read(files.files[kCopy]);
  ASSERT_TRUE(ApplyInterruptedUpdate(kCopy, &read, files));
  EXPECT_EQ(read, document.Image);

  files.tearPatch = false;
  EXPECT_TRUE(FinishInterruptedUpdate(kCopy, files));
  EXPECT_EQ(files.files[kCopy], document.Image);
  EXPECT_FALSE(files.Exists(JournalPathOf(kCopy)));
}

// The next start opens the copy it finds only after finishing the edit.
TEST(WorkingCopy, ALeftOverCopyIsOpenedWithItsLastEdit) {
  struct Device : SoundDevice {
    uint32_t Send(const std::string&, std::string* reply) override {
      if (reply) *reply = "1000";
      return 0;
    }
  } device;
  CrashingFiles files;
  WavDocument document = OpenDocument(files);
  // A real recording this time, so that it loads.
  const Bytes wave = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                      16, 0, 0, 0, 1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0,
                      'd', 'a', 't', 'a', 100, 0, 0, 0};
  Bytes padded = wave;
  padded.resize(wave.size() + 100);
  document.Image = padded;
  ASSERT_TRUE(ReplaceWorkingCopy(document, files));
  Edit(document, 50, 60);
  EXPECT_THROW(UpdateWorkingCopy(document, 50, 60, files), Crash);

  // Also when the journal cannot be written into the copy at that start.
  for (bool patchFails : {false, true}) {
    SCOPED_TRACE(patchFails);
    CountingFiles next;
    next.files = files.files;
    next.failPatch = patchFails;
    WavDocument reopened;
    CopyToBuffer(kCopy, reopened.WorkingCopyPath);
    ASSERT_EQ(LoadWaveImage(kCopy, next, device, reopened), LoadOutcome::Loaded);
    EXPECT_EQ(reopened.Image, document.Image);
    EXPECT_EQ(reopened.WorkingCopyInStep, !patchFails);
  }
}

// Save copies the working copy only while it is known to hold the image:
// after a patch that failed (the copy behind, its journal left) the image
// itself is written, or the save would lose the last edit.
TEST(SaveImage, CopiesTheWorkingCopyOnlyWhenItHoldsTheImage) {
  for (const bool patchFails : {false, true}) {
    SCOPED_TRACE(patchFails);
    CountingFiles files;
    WavDocument document = OpenDocument(files);
    files.failPatch = patchFails;
    files.failWhole = patchFails;
    Edit(document, 100, 200);
    UpdateWorkingCopy(document, 100, 200, files);
    files.wholeWrites.clear();
    ASSERT_TRUE(SaveImage(document, "C:\\rec\\saved.wav", files));
    EXPECT_EQ(files.files["C:\\rec\\saved.wav"], document.Image);
    EXPECT_EQ(files.files[kCopy] == document.Image, !patchFails);
  }
}

}  // namespace
}  // namespace belmo
