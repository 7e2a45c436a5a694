#include "document/win32_platform_win.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "window/wide_text_win.h"

#include "document/wav_document.h"

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

// A block of hundreds of megabytes is had a page at a time, each page a
// fault of its own as it is first written, which on a virtual machine
// costs more than filling it. Locking the block has the system bring all
// its pages in at once; where it does not allow that (the working-set
// limit of Windows), nothing changes.
void BringInPages(uint8_t* block, size_t size) {
  if (size >= (size_t{64} << 20) && VirtualLock(block, size)) VirtualUnlock(block, size);
}

// Read front to back in one pass, as the sequential hint tells the system.
bool ReadOpenFile(HANDLE file, std::vector<uint8_t>* bytes) {
  LARGE_INTEGER size;
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
            static_cast<unsigned long long>(size.QuadPart) <= SIZE_MAX / 2;
  std::vector<uint8_t> data;
  if (ok) {
    try {
      data.reserve(static_cast<size_t>(size.QuadPart));
      BringInPages(data.data(), data.capacity());
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
  if (ok) bytes->swap(data);
  return ok;
}

// A pending file is always one this run makes anew: a file already at its
// name (a crashed run's, another run's still being written, the user's
// own) is never written through, replaced or removed; the next free name
// is taken instead. make tries one name and tells by false, with the
// system's error, that it is taken or that nothing can be made there.
template <typename Make>
bool MakeAtFreshName(const std::string& target, std::string* pending, Make make) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = PendingPathOf(target);
    if (attempt > 0) name += std::to_string(attempt);
    if (make(name)) {
      *pending = std::move(name);
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

// The new content goes to a file beside the target first and replaces it
// only when it is complete, so a full disk or a crash never leaves a
// half-written recording (or working copy) behind.
class PendingFile : public FileWriter {
 public:
  PendingFile(std::string path, std::string pending, HANDLE file, bool hidden)
      : path_(std::move(path)), pending_(std::move(pending)), file_(file), hidden_(hidden),
        oldAttributes_(GetFileAttributesW(SystemPathOf(path_).c_str())) {}
  ~PendingFile() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    if (!committed_) DeleteFileW(SystemPathOf(pending_).c_str());
  }
  bool Append(const uint8_t* bytes, size_t size) override {
    failed_ = failed_ || !WriteAll(file_, bytes, size);
    return !failed_;
  }
  // A recording reaches the disk before it replaces the old one; the
  // working copy is left to the system's cache (the file it came from is
  // the lasting copy, and forcing hundreds of megabytes out at every open
  // would cost seconds).
  bool Commit() override {
    bool ok = !failed_ && SetEndOfFile(file_) && (hidden_ || FlushFileBuffers(file_));
    ok = CloseHandle(file_) && ok;
    file_ = INVALID_HANDLE_VALUE;
    const DWORD move = hidden_ ? MOVEFILE_REPLACE_EXISTING
                               : MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    ok = ok && MoveFileExW(SystemPathOf(pending_).c_str(), SystemPathOf(path_).c_str(), move);
    if (!ok) return false;
    committed_ = true;
    if (hidden_) {
      SetFileAttributesW(SystemPathOf(path_).c_str(), FILE_ATTRIBUTE_HIDDEN);
    } else if (oldAttributes_ != INVALID_FILE_ATTRIBUTES) {
      // A saved recording keeps the attributes it had.
      SetFileAttributesW(SystemPathOf(path_).c_str(), oldAttributes_ & ~FILE_ATTRIBUTE_DIRECTORY);
    }
    return true;
  }
  std::string PendingPath() const override { return pending_; }

 private:
  std::string path_;
  std::string pending_;
  HANDLE file_;
  bool hidden_;
  DWORD oldAttributes_;
  bool failed_ = false;
  bool committed_ = false;
};

std::unique_ptr<FileWriter> BeginPendingFile(const std::string& path, bool hidden) {
  std::string pending;
  HANDLE file = INVALID_HANDLE_VALUE;
  // A working copy's pending file is hidden from its creation: the mark by
  // which a later run knows one a killed run left as the program's own.
  // Deletion is shared so that belmo-mask, ending at once, can still have
  // its partial output removed.
  const DWORD attributes = hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
  const bool made = MakeAtFreshName(path, &pending, [&](const std::string& name) {
    file = CreateFileW(SystemPathOf(name).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                       CREATE_NEW, attributes | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return file != INVALID_HANDLE_VALUE;
  });
  if (!made) return nullptr;
  return std::make_unique<PendingFile>(path, std::move(pending), file, hidden);
}

}  // namespace

bool Win32FileStore::ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) {
  HANDLE file = CreateFileW(SystemPathOf(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = ReadOpenFile(file, bytes);
  CloseHandle(file);
  return ok;
}

namespace {

// A mapped file cannot be cut short by another program while the view is
// open, and costs no memory of its own.
class MappedView : public FileView {
 public:
  MappedView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  ~MappedView() override { UnmapViewOfFile(data_); }
  const uint8_t* Data() const override { return data_; }
  size_t Size() const override { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
};

// The whole file mapped; the view keeps the mapping and the file alive.
// Null, with *opened true, for a file that opens but cannot be mapped (an
// empty one cannot): it is then read like any other.
void* MapWholeFile(const std::string& path, DWORD share, DWORD protect, DWORD access,
                   size_t* size, bool* opened) {
  HANDLE file = CreateFileW(SystemPathOf(path).c_str(), GENERIC_READ, share, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  *opened = file != INVALID_HANDLE_VALUE;
  if (!*opened) return nullptr;
  LARGE_INTEGER length;
  void* data = nullptr;
  if (GetFileSizeEx(file, &length) && length.QuadPart > 0 &&
      static_cast<unsigned long long>(length.QuadPart) <= SIZE_MAX / 2) {
    HANDLE mapping = CreateFileMappingW(file, nullptr, protect, 0, 0, nullptr);
    if (mapping != nullptr) {
      data = MapViewOfFile(mapping, access, 0, 0, 0);
      CloseHandle(mapping);
    }
    *size = static_cast<size_t>(length.QuadPart);
  }
  CloseHandle(file);
  return data;
}

// A copy-on-write view: pages are read from the file when first touched
// and copied when first written; nothing written reaches the file.
class PrivateView : public FileImage {
 public:
  PrivateView(uint8_t* data, size_t size) : data_(data), size_(size) {}
  ~PrivateView() override { UnmapViewOfFile(data_); }
  uint8_t* Data() override { return data_; }
  size_t Size() const override { return size_; }
  bool IsView() const override { return true; }

 private:
  uint8_t* data_;
  size_t size_;
};

}  // namespace

bool Win32FileStore::Rename(const std::string& from, const std::string& to) {
  return MoveFileExW(SystemPathOf(from).c_str(), SystemPathOf(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING) != 0;
}

// The system's copy has the new file carry the recording's attributes
// until it is done; it is hidden then. A leftover at the copy's name is the
// program's and goes first, as the system will not copy over a hidden file.
std::unique_ptr<FileWriter> Win32FileStore::CopyBeside(const std::string& from,
                                                       const std::string& to) {
  const std::string copy = CopyPathOf(to);
  const std::wstring wideCopy = SystemPathOf(copy);
  DeleteFileW(wideCopy.c_str());
  if (!CopyFileW(SystemPathOf(from).c_str(), wideCopy.c_str(), TRUE)) {
    DeleteFileW(wideCopy.c_str());
    return nullptr;
  }
  std::unique_ptr<FileWriter> made = CopyAwaitingRename(copy, to);
  if (!SetFileAttributesW(wideCopy.c_str(), FILE_ATTRIBUTE_HIDDEN)) return nullptr;
  return made;
}

// Shared for writing and deletion, so that the copy's patches, the
// sound device and a load's renames are not refused while the view lives.
std::unique_ptr<FileImage> Win32FileStore::OpenImage(const std::string& path) {
  size_t size = 0;
  bool opened = false;
  void* data = MapWholeFile(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            PAGE_WRITECOPY, FILE_MAP_COPY, &size, &opened);
  if (data != nullptr) return std::make_unique<PrivateView>(static_cast<uint8_t*>(data), size);
  return opened ? FileStore::OpenImage(path) : nullptr;
}

// As a save's pending file: at a fresh name beside the target, on the disk
// before it replaces it, with the attributes the target had (the copy
// comes with the working copy's, hidden).
bool Win32FileStore::ReplaceWithCopy(const std::string& path, const std::string& source) {
  const std::wstring target = SystemPathOf(path);
  const DWORD oldAttributes = GetFileAttributesW(target.c_str());
  const DWORD attributes = oldAttributes == INVALID_FILE_ATTRIBUTES
                               ? FILE_ATTRIBUTE_NORMAL
                               : oldAttributes & ~FILE_ATTRIBUTE_DIRECTORY;
  // (A read-only target is not replaced whatever the copy's attributes;
  // a read-only copy could not be removed after.)
  const DWORD copyAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
  std::string pending;
  const bool copied = MakeAtFreshName(path, &pending, [&](const std::string& name) {
    if (CopyFileW(SystemPathOf(source).c_str(), SystemPathOf(name).c_str(), TRUE)) return true;
    // The name was free, so what a failed copy left there is its own.
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      DeleteFileW(SystemPathOf(name).c_str());
    }
    SetLastError(error);
    return false;
  });
  if (!copied) return false;
  const std::wstring wide = SystemPathOf(pending);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
  if (file != INVALID_HANDLE_VALUE) ok = CloseHandle(file) && ok;
  ok = ok && SetFileAttributesW(wide.c_str(), copyAttributes ? copyAttributes : FILE_ATTRIBUTE_NORMAL) &&
       MoveFileExW(wide.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(wide.c_str());
  return ok;
}

bool Win32FileStore::WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                                bool hidden) {
  std::unique_ptr<FileWriter> writer = BeginPendingFile(path, hidden);
  return writer && writer->Append(bytes, size) && writer->Commit();
}

bool Win32FileStore::WriteAt(const std::string& path, uint64_t offset, const uint8_t* bytes,
                             size_t size) {
  HANDLE file = CreateFileW(SystemPathOf(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER length;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  bool ok = GetFileSizeEx(file, &length) && length.QuadPart >= 0 &&
            static_cast<uint64_t>(length.QuadPart) >= offset &&
            static_cast<uint64_t>(length.QuadPart) - offset >= size &&
            SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && WriteAll(file, bytes, size);
  ok = CloseHandle(file) && ok;
  return ok;
}

std::unique_ptr<FileWriter> Win32FileStore::BeginReplace(const std::string& path) {
  return BeginPendingFile(path, false);
}

std::unique_ptr<FileWriter> Win32FileStore::BeginHiddenReplace(const std::string& path) {
  return BeginPendingFile(path, true);
}

std::unique_ptr<FileView> Win32FileStore::OpenView(const std::string& path) {
  size_t size = 0;
  bool opened = false;
  const void* data = MapWholeFile(path, FILE_SHARE_READ, PAGE_READONLY, FILE_MAP_READ, &size,
                                  &opened);
  if (data != nullptr) return std::make_unique<MappedView>(static_cast<const uint8_t*>(data), size);
  return opened ? FileStore::OpenView(path) : nullptr;
}

void Win32FileStore::RemoveLeftPendingFiles(const std::string& path) {
  const std::string first = PendingPathOf(path);
  const std::string folder = path.substr(0, path.size() - FileNamePart(path).size());
  const std::string stem = FileNamePart(first);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(SystemPathOf(first + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Utf8Of(found.cFileName);
    // Exactly the names a pending file of path is given: the first, or the
    // first and a number.
    const bool pendingName =
        name.size() >= stem.size() && name.compare(0, stem.size(), stem) == 0 &&
        name.find_first_not_of("0123456789", stem.size()) == std::string::npos;
    // Hidden from creation; or empty, since where the system sets the
    // attribute a moment after making the file (Wine), a run killed in
    // that moment leaves it empty, and an empty file has nothing to lose.
    const bool empty = found.nFileSizeHigh == 0 && found.nFileSizeLow == 0;
    const bool own = ((found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0 || empty) &&
                     (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (pendingName && own) DeleteFileW(SystemPathOf(folder + name).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool Win32FileStore::Remove(const std::string& path) {
  return DeleteFileW(SystemPathOf(path).c_str()) != 0;
}

bool Win32FileStore::Exists(const std::string& path) {
  return GetFileAttributesW(SystemPathOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint32_t MciSoundDevice::Send(const std::string& command, std::string* reply) {
  // The working copy's path in the command may hold any character.
  wchar_t buffer[260] = {};
  MCIERROR error = mciSendStringW(WideOf(command).c_str(), buffer, 260, nullptr);
  if (reply) *reply = Utf8Of(buffer);
  return error;
}

std::string Recode(std::string_view text, unsigned fromCodePage, unsigned toCodePage) {
  if (text.empty() || fromCodePage == toCodePage) return std::string(text);
  const int size = static_cast<int>(std::min<size_t>(text.size(), INT32_MAX / 4));
  const int wideLength = MultiByteToWideChar(fromCodePage, 0, text.data(), size, nullptr, 0);
  if (wideLength <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(fromCodePage, 0, text.data(), size, wide.data(), wideLength);
  const int length =
      WideCharToMultiByte(toCodePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string converted(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(toCodePage, 0, wide.data(), wideLength, converted.data(), length, nullptr,
                      nullptr);
  return converted;
}

}  // namespace belmo
