#include "cli/standard_streams.h"

#include <cstdlib>

namespace belmo {
namespace {

// Grown with realloc, which for blocks this large can move pages instead
// of copying them, so a long recording is not held twice while it comes in.
class StreamBlock : public FileView {
 public:
  ~StreamBlock() override { std::free(bytes_); }
  const uint8_t* Data() const override { return bytes_; }
  size_t Size() const override { return size_; }

  bool ReadAll(std::FILE* stream) {
    constexpr size_t kFirstBytes = size_t{1} << 20;
    for (;;) {
      if (size_ == capacity_ && !Grow(capacity_ == 0 ? kFirstBytes : capacity_ * 2)) return false;
      size_ += std::fread(bytes_ + size_, 1, capacity_ - size_, stream);
      if (std::ferror(stream)) return false;
      if (std::feof(stream)) return true;
    }
  }

 private:
  bool Grow(size_t capacity) {
    if (capacity < capacity_) return false;  // past what a size can count
    void* grown = std::realloc(bytes_, capacity);
    if (grown == nullptr) return false;
    bytes_ = static_cast<uint8_t*>(grown);
    capacity_ = capacity;
    return true;
  }

  uint8_t* bytes_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

class StreamOut : public FileWriter {
 public:
  explicit StreamOut(std::FILE* stream) : stream_(stream) {}
  bool Append(const uint8_t* bytes, size_t size) override {
    failed_ = failed_ || (size > 0 && std::fwrite(bytes, 1, size, stream_) != size);
    return !failed_;
  }
  bool Commit() override { return std::fflush(stream_) == 0 && !failed_ && !std::ferror(stream_); }

 private:
  std::FILE* stream_;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<FileView> ReadWholeStream(std::FILE* stream) {
  auto block = std::make_unique<StreamBlock>();
  if (!block->ReadAll(stream)) return nullptr;
  return block;
}

std::unique_ptr<FileWriter> StreamWriter(std::FILE* stream) {
  return std::make_unique<StreamOut>(stream);
}

}  // namespace belmo
