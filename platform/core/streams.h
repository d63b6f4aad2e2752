// Streams: the abstract Stream and MemoryStream (its memory is handed out in place). The stream over
// a file, FileStream, belongs to the file service (platform/services/file_stream.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zeb {

enum class SeekOrigin { Beginning, Current, End };

class Stream {
 public:
  virtual ~Stream() = default;
  // Reads up to Count bytes; returns how many were read (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes up to Count bytes; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size();
  virtual void SetSize(int64_t size);

  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, SeekOrigin::Beginning); }
  // Read or write exactly Count bytes, or raise ReadError / WriteError.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
};

// A stream over a block of memory that grows as it is written.
class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  ~MemoryStream() override;
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return size_; }
  void SetSize(int64_t size) override;

  uint8_t* Memory() { return data_; }
  const uint8_t* Memory() const { return data_; }
  void Clear();
  // Hands over the memory (from std::malloc, Size bytes; null when empty) and leaves the stream empty.
  uint8_t* Release();
  // Replaces the contents by all of Source, from its first byte.
  void LoadFromStream(Stream& source);

 private:
  void Reserve(int64_t capacity);
  uint8_t* data_ = nullptr;
  int64_t size_ = 0;
  int64_t capacity_ = 0;
  int64_t position_ = 0;
};

enum class FileMode { OpenRead, OpenReadWrite, Create };

}  // namespace zeb
