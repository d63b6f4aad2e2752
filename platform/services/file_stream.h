// The stream over a file: any Unicode path, opened through the platform's file service.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/streams.h"

namespace zeb {

class FileHandle;

class FileStream : public Stream {
 public:
  // Opens (FileMode::OpenRead, FileMode::OpenReadWrite) or creates and truncates (FileMode::Create) a file;
  // raises FileOpenError or FileCreateError naming the file.
  FileStream(const std::string& fileName, FileMode mode);
  ~FileStream() override;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  void SetSize(int64_t size) override;
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
  std::unique_ptr<FileHandle> handle_;
};

// Reads a whole file into memory (a convenience over FileStream).
std::string ReadWholeFile(const std::string& fileName);

}  // namespace zeb
