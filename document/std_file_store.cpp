#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "document/platform.h"

namespace belmo {
namespace {

// Closes on every path out of the functions below.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// A recording is read whole into one block, and first touching hundreds of
// megabytes one 4 KiB page at a time costs more than reading them (each
// page is a fault). Linux is asked for 2 MiB pages for the block instead;
// it may say no, and then nothing changes.
void PreferLargePages(uint8_t* block, size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
  if (size < 2 * kLargePage) return;
  const uintptr_t begin = reinterpret_cast<uintptr_t>(block);
  const uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t last = (begin + size) & ~(kLargePage - 1);
  if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)block;
  (void)size;
#endif
}

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

// The new content is written beside the target and renamed over it only
// when complete, so a full disk or a crash never leaves a half-written file.
bool StdFileStore::WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                              bool /*hidden*/) {
  const std::string pending = path + ".belmo-new";
  std::FILE* file = std::fopen(pending.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = size == 0 || std::fwrite(bytes, 1, size, file) == size;
  // Buffered data only reaches the disk at the close; a full disk shows here.
  const bool closed = std::fclose(file) == 0;
  std::error_code error;
  if (written && closed) std::filesystem::rename(pending, path, error);
  if (!written || !closed || error) {
    std::remove(pending.c_str());
    return false;
  }
  return true;
}

bool StdFileStore::Remove(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool StdFileStore::Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace belmo
