// Files and folders as the viewer sees them: Windows paths ("C:\pics\a.jpg") in UTF-8.
// The Win32 implementation is the real file system; the headless one is an in-memory file
// system (platform/headless/memory_file_system.h) that tests fill.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/streams.h"
#include "platform/services/file_stream.h"

namespace zeb {

enum : uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrReparsePoint = 0x400,  // a link or junction that leads elsewhere
};

struct FindData {
  std::string name;     // the entry's name as the file system spells it (long name)
  uint32_t attributes;  // fa* bits
};

// What tells one version of a file from another: its size and the time it was last written, and what
// changes when the file is replaced by another of the same size and write time (a copy that keeps the
// time): which file it is (its volume and index on the volume) and when its entry last changed.
struct FileStamp {
  int64_t size = 0;
  int64_t writeTime = 0;
  uint64_t identity = 0;
  int64_t changeTime = 0;
  bool operator==(const FileStamp&) const = default;
};

// An open file.
class FileHandle {
 public:
  virtual ~FileHandle() = default;
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual bool Truncate(int64_t size) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Lists the entries matching Pattern (a folder followed by a mask with * and ?; letters compared
  // without regard to case) in the order the file system reports them, "." and ".." included where
  // the file system reports them. Each returns false to stop the listing. A folder that cannot be
  // searched lists nothing.
  virtual void Find(const std::string& pattern, const std::function<bool(const FindData&)>& each) = 0;
  // Attributes of an existing file or folder, or false when there is none.
  virtual bool Attributes(const std::string& path, uint32_t& attributes) = 0;
  // The stamp of an existing file, or false when there is none.
  virtual bool Stamp(const std::string& path, FileStamp& stamp) = 0;
  // Path expanded to a full path against the current folder ("." and ".." resolved).
  virtual std::string ExpandFileName(const std::string& path) = 0;
  virtual std::string CurrentDirectory() = 0;
  // Opens a file; raises FileOpenError (or FileCreateError for FileMode::Create) with a message naming the
  // file.
  virtual std::unique_ptr<FileHandle> Open(const std::string& path, FileMode mode) = 0;
  // Replaces Target by Source (both in one folder) in one step; false on failure.
  virtual bool ReplaceFile(const std::string& source, const std::string& target) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // The Windows folder, the system folder and the program's own file; empty when unknown.
  virtual std::string WindowsDirectory() = 0;
  // The user's local application-data folder (where a normal user may always write); empty when unknown.
  virtual std::string LocalAppDataDirectory() = 0;
  // Makes a folder (its parent must exist); true when it exists afterwards.
  virtual bool CreateFolder(const std::string& path) = 0;
  virtual std::string SystemDirectory() = 0;
  virtual std::string ProgramFileName() = 0;

  bool FileExists(const std::string& path) {
    uint32_t a;
    return Attributes(path, a) && !(a & kAttrDirectory);
  }
  bool DirectoryExists(const std::string& path) {
    uint32_t a;
    return Attributes(path, a) && (a & kAttrDirectory);
  }
};

// The process's file system. Tests may put another in its place (nullptr restores the default).
FileSystem& Files();
void SetFiles(FileSystem* fileSystem);

// Whether Name matches a mask of * and ? (letters A to Z without regard to case; a mask "*.*" matches
// every name, also one without a dot, and a "?" at the end may match nothing, as on Windows).
bool MatchesMask(const std::string& name, const std::string& mask);

}  // namespace zeb
