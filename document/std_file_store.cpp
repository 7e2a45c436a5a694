#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <stdexcept>
#include <system_error>
#include <utility>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define BELMO_HAS_POSIX 1
#endif

#include "document/large_block.h"
#include "document/platform.h"

namespace belmo {
namespace {

// Closes on every path out of the functions below.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool StdFileStore::ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return false;

  std::FILE* raw = std::fopen(path.c_str(), "rb");
  if (raw == nullptr) return false;
  std::unique_ptr<std::FILE, FileCloser> file(raw);

  std::vector<uint8_t> content;
  try {
    content.reserve(static_cast<size_t>(size));
    PreferLargePages(content.data(), content.capacity());
    content.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  // A file that shrank or failed part-way must not pass for a whole one.
  if (size > 0 && std::fread(content.data(), 1, content.size(), file.get()) != content.size()) {
    return false;
  }
  *bytes = std::move(content);
  return true;
}

namespace {

#if defined(BELMO_HAS_POSIX)
class MappedView : public FileView {
 public:
  MappedView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  ~MappedView() override { munmap(const_cast<uint8_t*>(data_), size_); }
  const uint8_t* Data() const override { return data_; }
  size_t Size() const override { return size_; }
  // Whole pages inside the bytes only: the ones at the edges may still be
  // read. Read again later, a page comes back from the file.
  void Release(size_t offset, size_t length) override {
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data_) + offset;
    const uintptr_t first = (begin + page - 1) / page * page;
    const uintptr_t last = (begin + length) / page * page;
    if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
  }

 private:
  const uint8_t* data_;
  size_t size_;
};
#endif

#if defined(BELMO_HAS_POSIX)
// Written through a symbolic link to the file it names, as cp does, so the
// link stays a link. Empty for a link that leads nowhere: cp will not write
// through one either.
std::string ReplacementTarget(const std::string& path) {
  struct stat status;
  if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
  std::error_code error;
  const std::filesystem::path target = std::filesystem::canonical(path, error);
  return error ? std::string() : target.string();
}

// The new file takes the old one's place, so it takes what the old one was:
// its group (and, for root, its owner) and its permission bits, before any
// byte is written, so a private recording is never readable by others, not
// even half-written. Where the group cannot be kept (the writer is not in
// it, the file system has no owners), the group's rights would go to
// people who never had them: unless everyone has them anyway, the file
// stays as created, readable by its writer only.
void KeepOwnerAndMode(int fd, const struct stat& old) {
  const uid_t owner = geteuid() == 0 ? old.st_uid : static_cast<uid_t>(-1);
  const mode_t mode = old.st_mode & 07777;
  const bool groupKept = fchown(fd, owner, old.st_gid) == 0;
  const bool groupHasMore = (((mode >> 3) & 07) & ~(mode & 07)) != 0;
  if (groupKept || !groupHasMore) fchmod(fd, mode);
}

// The pending file is always one this run makes anew (O_EXCL): a file of
// that name already there, whether a crashed run's, another run's still
// being written or the user's own, is never written through, replaced or
// removed; the next free name is taken instead, and a short one in the
// same folder when the target's name leaves no room for a suffix.
int CreatePendingFile(const std::string& target, mode_t mode, std::string* pending) {
  const std::filesystem::path folder = std::filesystem::path(target).parent_path();
  const std::string shortBase = (folder.empty() ? std::string() : folder.string() + "/") +
                                ".belmo-new-" + std::to_string(getpid());
  bool nameTooLong = false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = nameTooLong ? shortBase + "-" + std::to_string(attempt)
                                   : PendingPathOf(target);
    if (!nameTooLong && attempt > 0) name += std::to_string(attempt);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      *pending = std::move(name);
      return fd;
    }
    if (errno == ENAMETOOLONG && !nameTooLong) {
      nameTooLong = true;
    } else if (errno != EEXIST) {
      return -1;
    }
  }
  return -1;
}

// Only a regular file is replaced, and only one its writer may write: a
// device or a pipe named as the output (/dev/null) would otherwise become
// a plain file in its place, and a read-only recording would be rewritten
// although it refuses writing.
std::FILE* CreatePending(const std::string& target, std::string* pending) {
  struct stat old;
  const bool replacing = stat(target.c_str(), &old) == 0;
  if (replacing && (!S_ISREG(old.st_mode) || access(target.c_str(), W_OK) != 0)) return nullptr;
  const int fd = CreatePendingFile(target, replacing ? 0600 : 0666, pending);
  if (fd < 0) return nullptr;
  if (replacing) KeepOwnerAndMode(fd, old);
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    close(fd);
    unlink(pending->c_str());
  }
  return file;
}

// Until the data is on the disk a power cut can leave the renamed file
// empty; the folder is synced after the rename so the new name lasts too
// (failing that, a power cut leaves the old file, which is allowed).
bool FlushToDisk(std::FILE* file) { return fsync(fileno(file)) == 0; }

void FlushFolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}
#else
std::string ReplacementTarget(const std::string& path) { return path; }
std::FILE* CreatePending(const std::string& target, std::string* pending) {
  *pending = PendingPathOf(target);
  return std::fopen(pending->c_str(), "wb");
}
bool FlushToDisk(std::FILE*) { return true; }
void FlushFolderOf(const std::string&) {}
#endif

// The new content is written beside the target and renamed over it only
// when complete and on the disk, so a full disk, a crash or a power cut
// never leaves a half-written or empty file.
class PendingFile : public FileWriter {
 public:
  PendingFile(std::string path, std::string pending, std::FILE* file)
      : path_(std::move(path)), pending_(std::move(pending)), file_(file) {}
  ~PendingFile() override {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_) std::remove(pending_.c_str());
  }
  bool Append(const uint8_t* bytes, size_t size) override {
    failed_ = failed_ || (size > 0 && std::fwrite(bytes, 1, size, file_) != size);
    return !failed_;
  }
  bool Commit() override {
    // Buffered data only reaches the file here; a full disk shows here.
    bool ok = !failed_ && std::fflush(file_) == 0 && FlushToDisk(file_);
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) return false;
    std::error_code error;
    std::filesystem::rename(pending_, path_, error);
    committed_ = !error;
    if (committed_) FlushFolderOf(path_);
    return committed_;
  }
  std::string PendingPath() const override { return pending_; }

 private:
  std::string path_;
  std::string pending_;
  std::FILE* file_;
  bool failed_ = false;
  bool committed_ = false;
};

}  // namespace

bool StdFileStore::WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                              bool /*hidden*/) {
  std::unique_ptr<FileWriter> writer = BeginReplace(path);
  return writer && writer->Append(bytes, size) && writer->Commit();
}

std::unique_ptr<FileWriter> StdFileStore::BeginReplace(const std::string& path) {
  const std::string target = ReplacementTarget(path);
  if (target.empty()) return nullptr;
  std::string pending;
  std::FILE* file = CreatePending(target, &pending);
  if (file == nullptr) return nullptr;
  return std::make_unique<PendingFile>(target, std::move(pending), file);
}

// Mapped, a recording costs no memory of its own and only the pages looked
// at are read. An empty file cannot be mapped; it is read like any other.
std::unique_ptr<FileView> StdFileStore::OpenView(const std::string& path) {
#if defined(BELMO_HAS_POSIX)
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return nullptr;
  struct stat status;
  void* data = MAP_FAILED;
  size_t size = 0;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
      static_cast<uint64_t>(status.st_size) <= SIZE_MAX) {
    size = static_cast<size_t>(status.st_size);
    data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  }
  close(fd);
  if (data != MAP_FAILED) {
    return std::make_unique<MappedView>(static_cast<const uint8_t*>(data), size);
  }
#endif
  return FileStore::OpenView(path);
}

bool StdFileStore::Remove(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool StdFileStore::Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace belmo
