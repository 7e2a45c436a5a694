// The document's image: a whole WAVE file that masks rewrite in place. It
// is a copy-on-write view of the working copy where the system has one
// (an hour-long recording is then read only where it is looked at), or
// bytes in memory.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/platform.h"

namespace belmo {

class ImageBytes {
 public:
  ImageBytes() = default;
  ImageBytes(ImageBytes&&) = default;
  ImageBytes& operator=(ImageBytes&&) = default;
  // A copy is bytes in memory, whatever the original was.
  ImageBytes(const ImageBytes& other) : ImageBytes(other.ToVector()) {}
  ImageBytes& operator=(const ImageBytes& other) { return *this = ImageBytes(other.ToVector()); }
  // Bytes in memory: a load through a store without views, and tests.
  ImageBytes(std::vector<uint8_t> bytes);  // NOLINT(runtime/explicit): a block of bytes is an image
  explicit ImageBytes(std::unique_ptr<FileImage> image) : image_(std::move(image)) {}

  uint8_t* data() { return image_ ? image_->Data() : nullptr; }
  const uint8_t* data() const { return image_ ? image_->Data() : nullptr; }
  size_t size() const { return image_ ? image_->Size() : 0; }
  bool empty() const { return size() == 0; }
  uint8_t* begin() { return data(); }
  uint8_t* end() { return data() + size(); }
  const uint8_t* begin() const { return data(); }
  const uint8_t* end() const { return data() + size(); }
  uint8_t& operator[](size_t at) { return data()[at]; }
  uint8_t operator[](size_t at) const { return data()[at]; }

  // Whether the bytes are a view of the working copy: that file then may
  // not be replaced or removed (the system refuses), only written into.
  bool IsView() const { return image_ && image_->IsView(); }
  // Lets the bytes go (unmaps a view).
  void clear() { image_.reset(); }
  // A copy in memory, for comparisons.
  std::vector<uint8_t> ToVector() const { return std::vector<uint8_t>(begin(), end()); }

 private:
  std::unique_ptr<FileImage> image_;
};

inline bool operator==(const ImageBytes& a, const std::vector<uint8_t>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}
inline bool operator==(const std::vector<uint8_t>& a, const ImageBytes& b) { return b == a; }
inline bool operator==(const ImageBytes& a, const ImageBytes& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

// Where a mask or an Undo reads and writes: the image's bytes, or those of
// a block (the command-line tool's pieces, tests).
class ImageSpan {
 public:
  ImageSpan(ImageBytes& image) : bytes_(image.data()), size_(image.size()) {}  // NOLINT
  ImageSpan(std::vector<uint8_t>& bytes) : bytes_(bytes.data()), size_(bytes.size()) {}  // NOLINT
  ImageSpan(uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  uint8_t* data() const { return bytes_; }
  size_t size() const { return size_; }
  uint8_t* begin() const { return bytes_; }
  uint8_t* end() const { return bytes_ + size_; }

 private:
  uint8_t* bytes_;
  size_t size_;
};

// The same for reading only.
class ConstImageSpan {
 public:
  ConstImageSpan(const ImageBytes& image) : bytes_(image.data()), size_(image.size()) {}  // NOLINT
  ConstImageSpan(const std::vector<uint8_t>& bytes)  // NOLINT
      : bytes_(bytes.data()), size_(bytes.size()) {}
  ConstImageSpan(ImageSpan span) : bytes_(span.data()), size_(span.size()) {}  // NOLINT

  const uint8_t* data() const { return bytes_; }
  size_t size() const { return size_; }
  const uint8_t* begin() const { return bytes_; }
  const uint8_t* end() const { return bytes_ + size_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
};

}  // namespace belmo
