#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define BELMO_HAS_MMAP 1
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

#if defined(BELMO_HAS_MMAP)
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

// The new content is written beside the target and renamed over it only
// when complete, so a full disk or a crash never leaves a half-written file.
class PendingFile : public FileWriter {
 public:
  PendingFile(std::string path, std::FILE* file)
      : path_(std::move(path)), pending_(PendingPathOf(path_)), file_(file) {}
  ~PendingFile() override {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_) std::remove(pending_.c_str());
  }
  bool Append(const uint8_t* bytes, size_t size) override {
    failed_ = failed_ || (size > 0 && std::fwrite(bytes, 1, size, file_) != size);
    return !failed_;
  }
  bool Commit() override {
    // Buffered data only reaches the disk at the close; a full disk shows here.
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (failed_ || !closed) return false;
    std::error_code error;
    std::filesystem::rename(pending_, path_, error);
    committed_ = !error;
    return committed_;
  }

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
  std::FILE* file = std::fopen(PendingPathOf(path).c_str(), "wb");
  if (file == nullptr) return nullptr;
  return std::make_unique<PendingFile>(path, file);
}

// Mapped, a recording costs no memory of its own and only the pages looked
// at are read. An empty file cannot be mapped; it is read like any other.
std::unique_ptr<FileView> StdFileStore::OpenView(const std::string& path) {
#if defined(BELMO_HAS_MMAP)
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
