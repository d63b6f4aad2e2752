// The stream over a file: any Unicode path, opened through the platform's file service.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/streams.h"

namespace zeb {

class FileHandle;

class TFileStream : public TStream {
 public:
  // Opens (fmOpenRead, fmOpenReadWrite) or creates and truncates (fmCreate) a file;
  // raises EFOpenError or EFCreateError naming the file.
  TFileStream(const std::string& fileName, TFileMode mode);
  ~TFileStream() override;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
  std::unique_ptr<FileHandle> handle_;
};

// Reads a whole file into memory (a convenience over TFileStream).
std::string ReadWholeFile(const std::string& fileName);

}  // namespace zeb
