// Input sources: how a plug-in picture hands a file or a stream to the Susie import plug-ins. A source
// reads the first bytes for the support test, tries the modules the manager offers at each start
// offset, and keeps the two local-memory blocks (bitmap information and pixel bits) that a successful
// plug-in returns until it is released.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"
#include "spi/spi_module.h"
#include "spi/susie.h"

namespace zeb::spi {

class PluginSource {
 public:
  virtual ~PluginSource();
  PluginSource(const PluginSource&) = delete;
  PluginSource& operator=(const PluginSource&) = delete;

  // Asks the import modules in turn until one returns a usable picture. Afterwards IsEmpty tells
  // whether one did; any error other than the plain absence of a picture propagates.
  void Decode();
  bool IsEmpty() const { return !bitmapInfoHandle_ || (!bitsHandle_ && !sharedBits_); }
  // The blocks, locked on first use and kept locked until ReleaseData.
  const uint8_t* LockBitmapInfo();
  const uint8_t* LockBits();
  // Unlocks what was locked and frees both blocks and the text block, each once.
  void ReleaseData();

  LocalHandle BitmapInfoHandle() const { return bitmapInfoHandle_; }
  LocalHandle BitsHandle() const { return bitsHandle_; }
  const std::string& FileName() const { return fileName_; }
  const PictureInfo& Info() const { return info_; }

  // The progress callback handed to GetPicture; Data is the source.
  static int SPI_API SPIProgress(int num, int denom, intptr_t data) noexcept;

  ProgressHandler OnProgress;

 protected:
  PluginSource(Image* graphic, std::string fileName);

  // Copies the first bytes of the data into Buffer (failures leave it as it is).
  virtual void ReadHeader(uint8_t* buffer, int length) = 0;
  // What Module's GetPictureInfo and GetPicture read the picture at Offset from.
  virtual PictureCallInput CallInput(const ImportModule& module, int offset) = 0;
  // Whether there is data at Offset to hand over (a short stream has nothing 128 bytes in).
  virtual bool HasDataAt(int offset) const = 0;

  void DoProgress(ProgressStage stage, uint8_t percentDone, const std::string& msg);
  intptr_t UserData() { return reinterpret_cast<intptr_t>(this); }

  LocalHandle bitmapInfoHandle_ = nullptr;
  LocalHandle bitsHandle_ = nullptr;
  std::unique_ptr<SharedMemory> sharedBits_;  // the pixels instead of BitsHandle
  const uint8_t* bitmapInfo_ = nullptr;
  const uint8_t* bits_ = nullptr;
  std::string fileName_;
  std::string ansiFileName_;  // FileName in the ANSI code page, as plug-ins take it
  bool ansiNameLossless_ = true;
  // FileName in UTF-16 when the ANSI one is not lossless and the system takes it as a path; empty else.
  std::u16string wideFileName_;
  // Whether Module gets the file by its wide name (the ANSI one would not reach the file).
  bool ByWideName(const ImportModule& module) const {
    return !wideFileName_.empty() && module.HasWideNames();
  }
  PictureInfo info_{};
  Image* graphic_;

 private:
  void TryLoader(ImportModule& module, const uint8_t* buffer, int offset);
  // After GetPicture: a failed call leaves nothing behind (the handles are dropped
  // without freeing, as the plug-in may not have set them); a successful one may have left its pixels
  // in a shared block.
  void PluginCallReturned(ImportModule& module, int result);
  std::vector<ImportModule*> GetLoaders();
  // Keeps the returned blocks only when they hold a picture that can be read safely.
  void CheckReturnedBlocks();
  void DropPictureBlocks();
  // An error a progress listener raised inside a plug-in call, raised again once the call returned.
  void RaiseListenerError();
  // After a call of Module crashed: whatever it may have handed out is dropped untouched (it may be
  // garbage), and the manager hears of the crash.
  void ForgetCrashedCall(const PluginModule& module, uint32_t code);

  std::exception_ptr listenerError_;
};

// A file named by path: the plug-in reads the file itself. A path that the ANSI code page cannot carry
// reaches the plug-ins with wide entry points by its UTF-16 name; the others get the file read into
// memory and handed over as memory instead, so every file name works.
class PluginFileSource : public PluginSource {
 public:
  PluginFileSource(Image* graphic, const std::string& fileName);
  ~PluginFileSource() override;
  bool HandsOverMemory() const { return inMemory_ != nullptr; }

 protected:
  void ReadHeader(uint8_t* buffer, int length) override;
  PictureCallInput CallInput(const ImportModule& module, int offset) override;
  bool HasDataAt(int offset) const override;

 private:
  // The file's bytes, read on first need; nullptr when the file cannot be read.
  MemoryStream* FileBytes();
  std::unique_ptr<MemoryStream> inMemory_;
  int64_t fileSize_ = -1;  // -1 until known
};

// A stream: an in-memory stream is handed over in place, any other stream is copied once. The source
// covers the whole stream from its first byte, whatever its position.
class PluginStreamSource : public PluginSource {
 public:
  PluginStreamSource(Image* graphic, Stream& stream, const std::string& fileName);
  ~PluginStreamSource() override;
  const uint8_t* Memory() const { return memory_; }
  int64_t Size() const { return size_; }
  bool HasOwnCopy() const { return ownCopy_ != nullptr; }

 protected:
  void ReadHeader(uint8_t* buffer, int length) override;
  PictureCallInput CallInput(const ImportModule& module, int offset) override;
  bool HasDataAt(int offset) const override;

 private:
  const uint8_t* memory_ = nullptr;
  int64_t size_ = 0;
  std::unique_ptr<MemoryStream> ownCopy_;
};

}  // namespace zeb::spi
