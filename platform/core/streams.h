// Streams: the abstract TStream, TMemoryStream (its memory is handed out in place) and TFileStream
// (any Unicode path, opened through the platform's file service).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zeb {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to Count bytes; returns how many were read (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes up to Count bytes; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size();
  virtual void SetSize(int64_t size);

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // Read or write exactly Count bytes, or raise EReadError / EWriteError.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies Count bytes from Source's current position (Count 0: all of Source from its start).
  int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over a block of memory that grows as it is written.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  void SetSize(int64_t size) override;

  uint8_t* Memory() { return data_; }
  const uint8_t* Memory() const { return data_; }
  void Clear();
  // Hands over the memory (from std::malloc, Size bytes; null when empty) and leaves the stream empty.
  uint8_t* Release();
  // Replaces the contents by all of Source, from its first byte.
  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& fileName);
  void SaveToStream(TStream& dest);
  void SaveToFile(const std::string& fileName);

 private:
  void Reserve(int64_t capacity);
  uint8_t* data_ = nullptr;
  int64_t size_ = 0;
  int64_t capacity_ = 0;
  int64_t position_ = 0;
};

class FileHandle;

enum class TFileMode { fmOpenRead, fmOpenReadWrite, fmCreate };

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
