// The two platform services the document core drives: whole-file storage and
// the sound device's command-string interface. The Win32 shell supplies the
// real ones; tests and the command-line tool supply their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace belmo {

class FileStore {
 public:
  virtual ~FileStore() = default;
  // Reads the whole file. False when it cannot be opened or read completely.
  virtual bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) = 0;
  // Replaces the file's content with exactly these bytes. False when any
  // part of the write failed.
  virtual bool WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                          bool hidden) = 0;
  virtual bool Remove(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
};

// Plain C++ files: for native tools and tests. "hidden" has no meaning there.
class StdFileStore : public FileStore {
 public:
  bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) override;
  bool WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                  bool hidden) override;
  bool Remove(const std::string& path) override;
  bool Exists(const std::string& path) override;
};

// One command string in, a reply text out, an error code back (0 = success),
// the shape of the multimedia command-string interface. reply is null for
// commands whose reply is not wanted.
class SoundDevice {
 public:
  virtual ~SoundDevice() = default;
  virtual uint32_t Send(const std::string& command, std::string* reply) = 0;
};

}  // namespace belmo
