// Files held in a map, for tests of code that reads and writes through a
// FileStore; views and writers are the plain ones every store has.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "document/platform.h"

namespace belmo::test {

class MemoryFiles : public FileStore {
 public:
  bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) override {
    auto found = files.find(path);
    if (found == files.end()) return false;
    *bytes = found->second;
    return true;
  }
  bool WriteWhole(const std::string& path, const uint8_t* bytes, size_t size, bool) override {
    files[path] = std::vector<uint8_t>(bytes, bytes + size);
    return true;
  }
  bool Remove(const std::string& path) override { return files.erase(path) > 0; }
  bool Exists(const std::string& path) override { return files.count(path) > 0; }

  std::map<std::string, std::vector<uint8_t>> files;
};

}  // namespace belmo::test
