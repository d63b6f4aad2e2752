#include "platform/core/streams.h"

#include <cstdlib>
#include <cstring>

#include "platform/core/errors.h"

namespace zeb {

int64_t Stream::Size() {
  int64_t pos = Seek(0, SeekOrigin::Current);
  int64_t end = Seek(0, SeekOrigin::End);
  Seek(pos, SeekOrigin::Beginning);
  return end;
}

void Stream::SetSize(int64_t) { throw StreamError("Stream size cannot be changed"); }

void Stream::ReadBuffer(void* buffer, int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw ReadError("Stream read error");
}

void Stream::WriteBuffer(const void* buffer, int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw WriteError("Stream write error");
}

MemoryStream::~MemoryStream() { std::free(data_); }

uint8_t* MemoryStream::Release() {
  uint8_t* data = data_;
  data_ = nullptr;
  size_ = capacity_ = position_ = 0;
  return data;
}

void MemoryStream::Reserve(int64_t capacity) {
  if (capacity <= capacity_) return;
  int64_t grown = capacity_ + capacity_ / 2;
  if (grown < capacity) grown = capacity;
  if (grown < 256) grown = 256;
  if (static_cast<uint64_t>(grown) > SIZE_MAX) throw OutOfResources("Out of memory");
  void* p = std::realloc(data_, static_cast<size_t>(grown));
  if (!p) throw OutOfResources("Out of memory");
  data_ = static_cast<uint8_t*>(p);
  capacity_ = grown;
}

int64_t MemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  int64_t n = size_ - position_ < count ? size_ - position_ : count;
  std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t MemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  int64_t end = position_ + count;
  if (end > capacity_) Reserve(end);
  if (position_ > size_) std::memset(data_ + size_, 0, static_cast<size_t>(position_ - size_));
  std::memcpy(data_ + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  if (end > size_) size_ = end;
  return count;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  int64_t base = origin == SeekOrigin::Beginning ? 0 : origin == SeekOrigin::Current ? position_ : size_;
  int64_t pos = base + offset;
  if (pos < 0) pos = 0;
  position_ = pos;
  return position_;
}

void MemoryStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  Reserve(size);
  if (size > size_) std::memset(data_ + size_, 0, static_cast<size_t>(size - size_));
  size_ = size;
  if (position_ > size_) position_ = size_;
}

void MemoryStream::Clear() {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = position_ = 0;
}

void MemoryStream::LoadFromStream(Stream& source) {
  source.SetPosition(0);
  int64_t n = source.Size();
  SetSize(n);
  if (n) source.ReadBuffer(data_, n);
  position_ = 0;
}

}  // namespace zeb
