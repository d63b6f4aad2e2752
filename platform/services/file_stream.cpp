#include "platform/services/file_stream.h"

#include "platform/core/errors.h"
#include "platform/services/file_system.h"

namespace zeb {

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
  handle_ = Files().Open(fileName, mode);
}

TFileStream::~TFileStream() = default;

int64_t TFileStream::Read(void* buffer, int64_t count) { return handle_->Read(buffer, count); }

int64_t TFileStream::Write(const void* buffer, int64_t count) { return handle_->Write(buffer, count); }

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) { return handle_->Seek(offset, origin); }

void TFileStream::SetSize(int64_t size) {
  if (!handle_->Truncate(size)) throw EWriteError("Cannot change the size of " + fileName_);
}

std::string ReadWholeFile(const std::string& fileName) {
  TFileStream file(fileName, TFileMode::fmOpenRead);
  int64_t n = file.Size();
  std::string data(static_cast<size_t>(n), '\0');
  file.ReadBuffer(data.data(), n);
  return data;
}

}  // namespace zeb
