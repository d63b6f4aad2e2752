#include "platform/services/file_stream.h"

#include "platform/core/errors.h"
#include "platform/services/file_system.h"

namespace zeb {

FileStream::FileStream(const std::string& fileName, FileMode mode) : fileName_(fileName) {
  handle_ = Files().Open(fileName, mode);
}

FileStream::~FileStream() = default;

int64_t FileStream::Read(void* buffer, int64_t count) { return handle_->Read(buffer, count); }

int64_t FileStream::Write(const void* buffer, int64_t count) { return handle_->Write(buffer, count); }

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) { return handle_->Seek(offset, origin); }

void FileStream::SetSize(int64_t size) {
  if (!handle_->Truncate(size)) throw WriteError("Cannot change the size of " + fileName_);
}

std::string ReadWholeFile(const std::string& fileName) {
  FileStream file(fileName, FileMode::OpenRead);
  int64_t n = file.Size();
  std::string data(static_cast<size_t>(n), '\0');
  file.ReadBuffer(data.data(), n);
  return data;
}

}  // namespace zeb
