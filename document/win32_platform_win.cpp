#include "document/win32_platform_win.h"

#include <windows.h>
#include <mmsystem.h>

#include <new>

namespace belmo {
namespace {

// WriteFile takes 32-bit counts; large images go out in pieces.
constexpr DWORD kIoChunk = 64u << 20;

bool WriteAll(HANDLE file, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    DWORD piece = size > kIoChunk ? kIoChunk : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, bytes, piece, &written, nullptr) || written != piece) return false;
    bytes += piece;
    size -= piece;
  }
  return true;
}

}  // namespace

bool Win32FileStore::ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
            static_cast<unsigned long long>(size.QuadPart) <= SIZE_MAX / 2;
  std::vector<uint8_t> data;
  if (ok) {
    try {
      data.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  size_t done = 0;
  while (ok && done < data.size()) {
    size_t left = data.size() - done;
    DWORD piece = left > kIoChunk ? kIoChunk : static_cast<DWORD>(left);
    DWORD got = 0;
    ok = ReadFile(file, data.data() + done, piece, &got, nullptr) && got == piece;
    done += got;
  }
  CloseHandle(file);
  if (ok) bytes->swap(data);
  return ok;
}

// The new content goes to a file beside the target first and replaces it
// only when it is complete, so a full disk or a crash never leaves a
// half-written recording (or working copy) behind.
bool Win32FileStore::WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                                bool hidden) {
  const std::string pending = path + ".belmo-new";
  if (pending.size() >= MAX_PATH) return false;
  DWORD oldAttributes = GetFileAttributesA(path.c_str());
  HANDLE file = CreateFileA(pending.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, bytes, size) && SetEndOfFile(file) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  ok = ok && MoveFileExA(pending.c_str(), path.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    DeleteFileA(pending.c_str());
    return false;
  }
  if (hidden) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  } else if (oldAttributes != INVALID_FILE_ATTRIBUTES) {
    // A saved recording keeps the attributes it had.
    SetFileAttributesA(path.c_str(), oldAttributes & ~FILE_ATTRIBUTE_DIRECTORY);
  }
  return true;
}

bool Win32FileStore::Remove(const std::string& path) {
  return DeleteFileA(path.c_str()) != 0;
}

bool Win32FileStore::Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint32_t MciSoundDevice::Send(const std::string& command, std::string* reply) {
  char buffer[260] = {};
  MCIERROR error = mciSendStringA(command.c_str(), buffer, sizeof buffer, nullptr);
  if (reply) *reply = buffer;
  return error;
}

}  // namespace belmo
