#include "platform/core/streams.h"

#include <cstdlib>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/services/file_system.h"

namespace zeb {

int64_t TStream::Size() {
  int64_t pos = Seek(0, TSeekOrigin::soCurrent);
  int64_t end = Seek(0, TSeekOrigin::soEnd);
  Seek(pos, TSeekOrigin::soBeginning);
  return end;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  const int64_t chunk = 1 << 16;
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[chunk]);
  int64_t left = count;
  while (left > 0) {
    int64_t n = left < chunk ? left : chunk;
    source.ReadBuffer(buffer.get(), n);
    WriteBuffer(buffer.get(), n);
    left -= n;
  }
  return count;
}

TMemoryStream::~TMemoryStream() { std::free(data_); }

uint8_t* TMemoryStream::Release() {
  uint8_t* data = data_;
  data_ = nullptr;
  size_ = capacity_ = position_ = 0;
  return data;
}

void TMemoryStream::Reserve(int64_t capacity) {
  if (capacity <= capacity_) return;
  int64_t grown = capacity_ + capacity_ / 2;
  if (grown < capacity) grown = capacity;
  if (grown < 256) grown = 256;
  if (static_cast<uint64_t>(grown) > SIZE_MAX) throw EOutOfResources("Out of memory");
  void* p = std::realloc(data_, static_cast<size_t>(grown));
  if (!p) throw EOutOfResources("Out of memory");
  data_ = static_cast<uint8_t*>(p);
  capacity_ = grown;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  int64_t n = size_ - position_ < count ? size_ - position_ : count;
  std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  int64_t end = position_ + count;
  if (end > capacity_) Reserve(end);
  if (position_ > size_) std::memset(data_ + size_, 0, static_cast<size_t>(position_ - size_));
  std::memcpy(data_ + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  if (end > size_) size_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::soBeginning ? 0
                 : origin == TSeekOrigin::soCurrent ? position_
                                                    : size_;
  int64_t pos = base + offset;
  if (pos < 0) pos = 0;
  position_ = pos;
  return position_;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  Reserve(size);
  if (size > size_) std::memset(data_ + size_, 0, static_cast<size_t>(size - size_));
  size_ = size;
  if (position_ > size_) position_ = size_;
}

void TMemoryStream::Clear() {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  int64_t n = source.Size();
  SetSize(n);
  if (n) source.ReadBuffer(data_, n);
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, TFileMode::fmOpenRead);
  LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& dest) { dest.WriteBuffer(data_, size_); }

void TMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream file(fileName, TFileMode::fmCreate);
  SaveToStream(file);
}

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
