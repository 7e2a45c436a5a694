// belmo-mask writes over recordings, often in place: the file it replaces
// must stay what it was (private stays private, a link stays a link).
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "document/platform.h"

namespace belmo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const Bytes kOld = {1, 2, 3, 4};
const Bytes kNew = {9, 8, 7};

class ReplacedFile : public testing::Test {
 protected:
  void SetUp() override {
    // A folder of its own, even with other test runs at the same time.
    std::string name = (fs::temp_directory_path() / "belmo-store-XXXXXX").string();
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    dir_ = name;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  void Write(const std::string& name, const Bytes& bytes) {
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

  Bytes Read(const std::string& name) {
    std::ifstream in(Path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  bool Replace(const std::string& name) {
    return store_.WriteWhole(Path(name), kNew.data(), kNew.size(), false);
  }

  struct stat Status(const std::string& name) {
    struct stat status = {};
    EXPECT_EQ(lstat(Path(name).c_str(), &status), 0) << name;
    return status;
  }

  // Nothing of an unfinished write may be left anywhere in the folder
  // (but what was there before the write).
  void ExpectNoPendingFile(const std::string& leftOver = "") {
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      if (!leftOver.empty() && entry.path() == dir_ / leftOver) continue;
      EXPECT_EQ(entry.path().string().find(".belmo-new"), std::string::npos) << entry.path();
    }
  }

  fs::path dir_;
  StdFileStore store_;
};

TEST_F(ReplacedFile, KeepsItsPermissionBits) {
  for (mode_t mode : {0600, 0640, 0644, 0444, 0750, 02755}) {
    SCOPED_TRACE(mode);
    if ((mode & 0200) == 0 && geteuid() != 0) continue;  // refused: see below
    Write("take.wav", kOld);
    ASSERT_EQ(chmod(Path("take.wav").c_str(), mode), 0);
    ASSERT_TRUE(Replace("take.wav"));
    EXPECT_EQ(Read("take.wav"), kNew);
    EXPECT_EQ(Status("take.wav").st_mode & 07777, mode);
    fs::remove(Path("take.wav"));
  }
  // A new file gets what any new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  ASSERT_TRUE(Replace("new.wav"));
  EXPECT_EQ(Status("new.wav").st_mode & 07777, 0666 & ~mask);
  ExpectNoPendingFile();
}

TEST_F(ReplacedFile, KeepsItsOwnerAndGroupWhenRootWrites) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another owner";
  Write("take.wav", kOld);
  ASSERT_EQ(chmod(Path("take.wav").c_str(), 0640), 0);
  ASSERT_EQ(chown(Path("take.wav").c_str(), 4321, 8765), 0);
  ASSERT_TRUE(Replace("take.wav"));
  const struct stat status = Status("take.wav");
  EXPECT_EQ(status.st_uid, 4321u);
  EXPECT_EQ(status.st_gid, 8765u);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// As cp does: the file a link names is written and the link stays a link,
// whether it is relative, absolute or a chain into another folder.
TEST_F(ReplacedFile, IsWrittenThroughASymbolicLink) {
  fs::create_directories(dir_ / "real");
  Write("real/take.wav", kOld);
  ASSERT_EQ(chmod(Path("real/take.wav").c_str(), 0600), 0);
  fs::create_symlink("real/take.wav", dir_ / "relative.wav");
  fs::create_symlink(dir_ / "relative.wav", dir_ / "chain.wav");
  for (const char* link : {"relative.wav", "chain.wav"}) {
    SCOPED_TRACE(link);
    Write("real/take.wav", kOld);
    ASSERT_TRUE(Replace(link));
    EXPECT_TRUE(S_ISLNK(Status(link).st_mode));
    EXPECT_EQ(Read("real/take.wav"), kNew);
    EXPECT_EQ(Status("real/take.wav").st_mode & 07777, 0600u);
  }
  ExpectNoPendingFile();
}

TEST_F(ReplacedFile, ThroughALinkToNothingIsRefusedAndTheLinkKept) {
  fs::create_symlink("missing.wav", dir_ / "dangling.wav");
  EXPECT_FALSE(Replace("dangling.wav"));
  EXPECT_TRUE(S_ISLNK(Status("dangling.wav").st_mode));
  EXPECT_FALSE(fs::exists(dir_ / "missing.wav"));
  ExpectNoPendingFile();
}

// A file already at the pending name (an interrupted run's, a planted
// link, the user's own, another run's still being written) is left as it
// is: neither written through nor removed.
TEST_F(ReplacedFile, FileAtThePendingNameIsLeftAlone) {
  Write("take.wav", kOld);
  Write("victim.wav", kOld);
  fs::create_symlink(dir_ / "victim.wav", dir_ / "take.wav.belmo-new");
  Write("take.wav.belmo-new1", kOld);
  ASSERT_TRUE(Replace("take.wav"));
  EXPECT_EQ(Read("take.wav"), kNew);
  EXPECT_EQ(Read("victim.wav"), kOld);
  EXPECT_TRUE(S_ISLNK(Status("take.wav.belmo-new").st_mode));
  EXPECT_EQ(Read("take.wav.belmo-new1"), kOld);
  fs::remove(dir_ / "take.wav.belmo-new1");
  ExpectNoPendingFile("take.wav.belmo-new");

  // Two writers of one output each finish with their own bytes.
  std::unique_ptr<FileWriter> first = store_.BeginReplace(Path("out.wav"));
  std::unique_ptr<FileWriter> second = store_.BeginReplace(Path("out.wav"));
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(first->Append(kOld.data(), kOld.size()) && first->Commit());
  EXPECT_EQ(Read("out.wav"), kOld);
  ASSERT_TRUE(second->Append(kNew.data(), kNew.size()) && second->Commit());
  EXPECT_EQ(Read("out.wav"), kNew);
}

// What is no regular file its writer may write is not replaced by one: a
// pipe (or a device such as /dev/null) named as the output, a read-only
// recording (root may write it, as cp does).
TEST_F(ReplacedFile, IsRefusedWhenItIsNoWritableRegularFile) {
  ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0644), 0);
  EXPECT_FALSE(Replace("pipe"));
  EXPECT_TRUE(S_ISFIFO(Status("pipe").st_mode));
  if (geteuid() != 0) {
    Write("locked.wav", kOld);
    ASSERT_EQ(chmod(Path("locked.wav").c_str(), 0444), 0);
    EXPECT_FALSE(Replace("locked.wav"));
    EXPECT_EQ(Read("locked.wav"), kOld);
  }
  ExpectNoPendingFile();
}

// A name with no room for the suffix still gets its pending file beside it.
TEST_F(ReplacedFile, NameWithNoRoomForTheSuffixIsWritten) {
  const std::string name = std::string(250, 'n') + ".wav";
  Write(name, kOld);
  ASSERT_TRUE(Replace(name));
  EXPECT_EQ(Read(name), kNew);
  ExpectNoPendingFile();
}

}  // namespace
}  // namespace belmo
