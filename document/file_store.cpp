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
  GatheringWriter(FileStore& files, std::string path, bool hidden)
      : files_(files), path_(std::move(path)), hidden_(hidden) {}
  bool Append(const uint8_t* bytes, size_t size) override {
    try {
      content_.insert(content_.end(), bytes, bytes + size);
    } catch (...) {
      failed_ = true;
    }
    return !failed_;
  }
  bool Commit() override {
    return !failed_ && files_.WriteWhole(path_, content_.data(), content_.size(), hidden_);
  }

 private:
  FileStore& files_;
  std::string path_;
  bool hidden_;
  std::vector<uint8_t> content_;
  bool failed_ = false;
};

// A copy the store wrote at its copy name, put in place by a rename.
class CopyAtName : public FileWriter {
 public:
  CopyAtName(FileStore& files, std::string copy, std::string target)
      : files_(files), copy_(std::move(copy)), target_(std::move(target)) {}
  ~CopyAtName() override {
    if (!committed_) files_.Remove(copy_);
  }
  // The content is whole already.
  bool Append(const uint8_t*, size_t) override { return false; }
  bool Commit() override {
    committed_ = files_.Rename(copy_, target_);
    return committed_;
  }
  std::string PendingPath() const override { return copy_; }

 private:
  FileStore& files_;
  std::string copy_;
  std::string target_;
  bool committed_ = false;
};

class BlockImage : public FileImage {
 public:
  explicit BlockImage(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint8_t* Data() override { return bytes_.data(); }
  size_t Size() const override { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

std::string PendingPathOf(const std::string& path) { return path + ".belmo-new"; }

std::string CopyPathOf(const std::string& path) { return path + ".belmo-copy"; }

std::unique_ptr<FileImage> MakeBlockImage(std::vector<uint8_t> bytes) {
  return std::make_unique<BlockImage>(std::move(bytes));
}

std::unique_ptr<FileView> FileStore::OpenView(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadWhole(path, &bytes)) return nullptr;
  return std::make_unique<BlockView>(std::move(bytes));
}

bool FileStore::Rename(const std::string& from, const std::string& to) {
  std::vector<uint8_t> bytes;
  return ReadWhole(from, &bytes) && WriteWhole(to, bytes.data(), bytes.size(), true) &&
         Remove(from);
}

std::unique_ptr<FileWriter> FileStore::CopyBeside(const std::string& from,
                                                  const std::string& to) {
  std::vector<uint8_t> bytes;
  const std::string copy = CopyPathOf(to);
  if (!ReadWhole(from, &bytes)) return nullptr;
  if (!WriteWhole(copy, bytes.data(), bytes.size(), true)) {
    Remove(copy);
    return nullptr;
  }
  return CopyAwaitingRename(copy, to);
}

std::unique_ptr<FileWriter> FileStore::CopyAwaitingRename(const std::string& copy,
                                                          const std::string& target) {
  return std::make_unique<CopyAtName>(*this, copy, target);
}

bool FileStore::ReplaceWithCopy(const std::string& path, const std::string& source) {
  std::vector<uint8_t> bytes;
  return ReadWhole(source, &bytes) && WriteWhole(path, bytes.data(), bytes.size(), false);
}

std::unique_ptr<FileImage> FileStore::OpenImage(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadWhole(path, &bytes)) return nullptr;
  return MakeBlockImage(std::move(bytes));
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
  return std::make_unique<GatheringWriter>(*this, path, false);
}

std::unique_ptr<FileWriter> FileStore::BeginHiddenReplace(const std::string& path) {
  return std::make_unique<GatheringWriter>(*this, path, true);
}

}  // namespace belmo
