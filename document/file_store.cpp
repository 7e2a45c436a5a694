#include <algorithm>
#include <cstddef>
#include <utility>

#include "document/platform.h"

namespace belmo {
namespace {

class BlockView : public FileView {
 public:
  explicit BlockView(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  const uint8_t* Data() const override { return bytes_.data(); }
  size_t Size() const override { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
};

class GatheringWriter : public FileWriter {
 public:
  GatheringWriter(FileStore& files, std::string path) : files_(files), path_(std::move(path)) {}
  bool Append(const uint8_t* bytes, size_t size) override {
    try {
      content_.insert(content_.end(), bytes, bytes + size);
    } catch (...) {
      failed_ = true;
    }
    return !failed_;
  }
  bool Commit() override {
    return !failed_ && files_.WriteWhole(path_, content_.data(), content_.size(), false);
  }

 private:
  FileStore& files_;
  std::string path_;
  std::vector<uint8_t> content_;
  bool failed_ = false;
};

}  // namespace

std::string PendingPathOf(const std::string& path) { return path + ".belmo-new"; }

std::unique_ptr<FileView> FileStore::OpenView(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadWhole(path, &bytes)) return nullptr;
  return std::make_unique<BlockView>(std::move(bytes));
}

bool FileStore::ReadWholeAndCopy(const std::string& path, std::vector<uint8_t>* bytes,
                                 const std::string& /*copyPath*/, bool* copied) {
  *copied = false;
  return ReadWhole(path, bytes);
}

bool FileStore::WriteAt(const std::string& path, uint64_t offset, const uint8_t* bytes,
                        size_t size) {
  std::vector<uint8_t> content;
  if (!ReadWhole(path, &content) || offset > content.size() || content.size() - offset < size) {
    return false;
  }
  std::copy(bytes, bytes + size, content.begin() + static_cast<std::ptrdiff_t>(offset));
  return WriteWhole(path, content.data(), content.size(), true);
}

std::unique_ptr<FileWriter> FileStore::BeginReplace(const std::string& path) {
  return std::make_unique<GatheringWriter>(*this, path);
}

}  // namespace belmo
