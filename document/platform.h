// The two platform services the document core drives: whole-file storage and
// the sound device's command-string interface. The Win32 shell supplies the
// real ones; tests and the command-line tool supply their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace belmo {

// A whole file to read from, mapped into memory where the system allows it
// (only the pages looked at are then read), else read into a block.
class FileView {
 public:
  virtual ~FileView() = default;
  virtual const uint8_t* Data() const = 0;
  virtual size_t Size() const = 0;
  // Done with bytes [offset, offset + length): a mapped view lets their
  // pages go, so a file read once through costs no lasting memory.
  virtual void Release(size_t /*offset*/, size_t /*length*/) {}
};

// A new content for a file, written front to back beside it and put in its
// place only by Commit; dropped without a Commit, the partial file is
// removed and the target is as it was.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  virtual bool Append(const uint8_t* bytes, size_t size) = 0;
  // False when the content could not be completed or put in place.
  virtual bool Commit() = 0;
  // Where the partial content lies until Commit; empty when it is not on
  // the disk yet.
  virtual std::string PendingPath() const { return std::string(); }
};

// A whole file's bytes to change in memory only: what is written to them
// never reaches the file. A view (IsView) reads pages only when they are
// touched, and while it lives the system (Windows) refuses to remove the
// file or put another in its place; the file may still be renamed, and its
// bytes written, which an untouched page then shows. Otherwise the bytes
// were read into a block.
class FileImage {
 public:
  virtual ~FileImage() = default;
  virtual uint8_t* Data() = 0;
  virtual size_t Size() const = 0;
  virtual bool IsView() const { return false; }
};

// Bytes already in memory, held as a FileImage.
std::unique_ptr<FileImage> MakeBlockImage(std::vector<uint8_t> bytes);

class FileStore {
 public:
  virtual ~FileStore() = default;
  // Reads the whole file. False when it cannot be opened or read completely.
  virtual bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) = 0;
  // Replaces the file's content with exactly these bytes. False when any
  // part of the write failed. A hidden file is one of the program's own
  // (the working copy): hidden where the system knows the attribute, and
  // left for the system to write to the disk in its own time, since the
  // file it came from is the lasting copy. Any other file reaches the disk
  // before this returns.
  virtual bool WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                          bool hidden) = 0;
  // Writes bytes over [offset, offset + size) of an existing file of at
  // least that length, changing nothing else: the working copy's patch.
  // Like a hidden file's writes, not forced to the disk. False when the
  // file is missing, shorter, or any part of the write failed. The plain
  // version reads and rewrites the whole file.
  virtual bool WriteAt(const std::string& path, uint64_t offset, const uint8_t* bytes,
                       size_t size);
  virtual bool Remove(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // Moves the file at from to the name to, replacing a file there. False
  // when that is refused; both are then as they were. The plain version
  // writes from's bytes at to as a hidden file (the working copy is the one
  // file renamed) and removes from.
  virtual bool Rename(const std::string& from, const std::string& to);
  // A copy of from, made whole beside to (at a name of the program's own,
  // see CopyPathOf) and put in to's place only by Commit; dropped without
  // a Commit, it is removed. Null when from cannot be read or the copy
  // cannot be written. The plain version reads and writes the file whole;
  // the real stores have the system copy it.
  virtual std::unique_ptr<FileWriter> CopyBeside(const std::string& from, const std::string& to);
  // Replaces path's content with a copy of source's, as WriteWhole with
  // hidden false would with its bytes: on the disk before it takes the old
  // content's place, the old file's attributes kept. False when any part
  // failed; path is then as it was. The plain version reads source whole
  // and writes it.
  virtual bool ReplaceWithCopy(const std::string& path, const std::string& source);
  // The file's bytes to change in memory only. Null when it cannot be
  // opened or read. The plain version reads it into a block.
  virtual std::unique_ptr<FileImage> OpenImage(const std::string& path);
  // For files too large to want twice in memory. The plain versions read
  // the file whole and gather the new content for one WriteWhole; the real
  // stores map and stream instead. Null when the file cannot be opened
  // (or, for a writer, created).
  virtual std::unique_ptr<FileView> OpenView(const std::string& path);
  virtual std::unique_ptr<FileWriter> BeginReplace(const std::string& path);
  // The same for a file of the program's own, written as WriteWhole writes
  // a hidden one.
  virtual std::unique_ptr<FileWriter> BeginHiddenReplace(const std::string& path);
  // Removes the pending files of path's hidden writes that a run ended
  // before their Commit (killed) left behind: only those the store marks as
  // its own from their first byte, never a file someone else put at such a
  // name. The plain version leaves nothing behind and removes nothing.
  virtual void RemoveLeftPendingFiles(const std::string& /*path*/) {}

 protected:
  // For CopyBeside: the whole copy at copy, put in target's place by
  // Commit (Rename), removed (Remove) when dropped without it.
  std::unique_ptr<FileWriter> CopyAwaitingRename(const std::string& copy,
                                                 const std::string& target);
};

// Plain C++ files: for native tools and tests. "hidden" has no meaning there.
// A path that is a symbolic link is written through it; a file replaced
// keeps its permission bits (and group, and for root its owner); the new
// content is on the disk before it takes the old one's place.
class StdFileStore : public FileStore {
 public:
  bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) override;
  bool WriteWhole(const std::string& path, const uint8_t* bytes, size_t size,
                  bool hidden) override;
  bool Remove(const std::string& path) override;
  bool Exists(const std::string& path) override;
  std::unique_ptr<FileView> OpenView(const std::string& path) override;
  std::unique_ptr<FileWriter> BeginReplace(const std::string& path) override;
};

// Where a store's writer puts the new content of path until Commit.
std::string PendingPathOf(const std::string& path);
// Where CopyBeside puts its copy for path until Commit. Only the working
// copy, a file of the program's own in its own folder, is copied so: a
// file at this name is the program's too.
std::string CopyPathOf(const std::string& path);

// One command string in, a reply text out, an error code back (0 = success),
// the shape of the multimedia command-string interface. reply is null for
// commands whose reply is not wanted.
class SoundDevice {
 public:
  virtual ~SoundDevice() = default;
  virtual uint32_t Send(const std::string& command, std::string* reply) = 0;
};

}  // namespace belmo
