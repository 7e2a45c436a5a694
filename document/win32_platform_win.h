// The real platform services behind the document core: kernel32 files and
// the multimedia command-string interface.
#pragma once

#include <string>
#include <string_view>

#include "document/platform.h"

namespace belmo {

class Win32FileStore : public FileStore {
 public:
  bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) override;
  bool WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                  bool hidden) override;
  bool Remove(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool WriteAt(const std::string& path, uint64_t offset, const uint8_t* bytes,
               size_t size) override;
  std::unique_ptr<FileView> OpenView(const std::string& path) override;
  std::unique_ptr<FileWriter> BeginReplace(const std::string& path) override;
  std::unique_ptr<FileWriter> BeginHiddenReplace(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool ReplaceWithCopy(const std::string& path, const std::string& source) override;
  std::unique_ptr<FileWriter> CopyBeside(const std::string& from, const std::string& to) override;
  std::unique_ptr<FileImage> OpenImage(const std::string& path) override;
  // Its own are hidden from creation (a save's pending file never is), or
  // empty where a kill came between the file and its attribute.
  void RemoveLeftPendingFiles(const std::string& path) override;
};

// text from one code page to another (932, CP_UTF8, the console's...);
// characters the target cannot hold become its default character.
std::string Recode(std::string_view text, unsigned fromCodePage, unsigned toCodePage);

class MciSoundDevice : public SoundDevice {
 public:
  uint32_t Send(const std::string& command, std::string* reply) override;
};

}  // namespace belmo
