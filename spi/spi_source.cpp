#include "spi/spi_source.h"

#include <algorithm>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/strings.h"
#include "platform/services/ansi.h"
#include "platform/services/call_guard.h"
#include "platform/services/file_stream.h"
#include "platform/services/local_memory.h"
#include "spi/dib_layout.h"
#include "spi/spi_manager.h"

namespace zeb::spi {

// ---------------------------------------------------------------------------------------------------
// PluginSource

PluginSource::PluginSource(Image* graphic, std::string fileName)
    : fileName_(std::move(fileName)), graphic_(graphic) {
  ansiFileName_ = ToAnsi(fileName_, &ansiNameLossless_);
  // A plug-in opens the file by its ANSI name, which the system takes only up to MAX_PATH (260) long: a
  // longer path is handed over as the file's bytes, as a name the code page cannot carry is.
  if (ansiFileName_.size() >= 260) ansiNameLossless_ = false;
  if (!ansiNameLossless_) {
    wideFileName_ = Utf8ToUtf16(fileName_);
    if (wideFileName_.size() >= 260) wideFileName_.clear();
  }
}

PluginSource::~PluginSource() { ReleaseData(); }

const uint8_t* PluginSource::LockBitmapInfo() {
  if (!bitmapInfo_ && bitmapInfoHandle_)
    bitmapInfo_ = static_cast<const uint8_t*>(LocalLockHandle(bitmapInfoHandle_));
  return bitmapInfo_;
}

const uint8_t* PluginSource::LockBits() {
  if (!bits_ && sharedBits_) bits_ = sharedBits_->Data();
  if (!bits_ && bitsHandle_) bits_ = static_cast<const uint8_t*>(LocalLockHandle(bitsHandle_));
  return bits_;
}

void PluginSource::DropPictureBlocks() {
  if (bitmapInfo_) {
    LocalUnlockHandle(bitmapInfoHandle_);
    bitmapInfo_ = nullptr;
  }
  if (bits_) {
    if (!sharedBits_) LocalUnlockHandle(bitsHandle_);
    bits_ = nullptr;
  }
  sharedBits_.reset();
  if (bitmapInfoHandle_) {
    LocalFreeHandle(bitmapInfoHandle_);
    bitmapInfoHandle_ = nullptr;
  }
  if (bitsHandle_) {
    LocalFreeHandle(bitsHandle_);
    bitsHandle_ = nullptr;
  }
}

void PluginSource::ReleaseData() {
  DropPictureBlocks();
  if (info_.hInfo) {
    // Only a live block is freed: a plug-in may leave anything in the record's last field.
    if (LocalHandleSize(info_.hInfo) > 0) LocalFreeHandle(info_.hInfo);
    info_.hInfo = nullptr;
  }
}

void PluginSource::DoProgress(ProgressStage stage, uint8_t percentDone, const std::string& msg) {
  if (OnProgress) OnProgress(graphic_, stage, percentDone, stage == ProgressStage::Ending, PixelRect{}, msg);
}

int SPI_API PluginSource::SPIProgress(int num, int denom, intptr_t data) noexcept {
  // What runs from here is the viewer's code: a fault in it must not pass for the plug-in's crash.
  HostCallbackScope ownCode;
  auto* source = reinterpret_cast<PluginSource*>(data);
  if (!source || !source->OnProgress) return 0;
  // A listener that already failed has ended the load; the plug-in is only asked to stop again.
  if (source->listenerError_) return 1;
  // Nothing may unwind through the plug-in's own code: errors are caught here, the plug-in is told to
  // stop, and a listener's error other than the silent abort is raised again after the call returned.
  try {
    source->DoProgress(ProgressStage::Running, static_cast<uint8_t>(MulDivInt(num, 97, denom) + 2),
                       std::string());
    return 0;
  } catch (const SilentAbort&) {
    return 1;
  } catch (...) {
    source->listenerError_ = std::current_exception();
    return 1;
  }
}

void PluginSource::RaiseListenerError() {
  if (!listenerError_) return;
  std::exception_ptr error = listenerError_;
  listenerError_ = nullptr;
  // Whatever the plug-in returned in spite of being told to stop is not kept.
  DropPictureBlocks();
  std::rethrow_exception(error);
}

void PluginSource::PluginCallReturned(ImportModule& module, int result) {
  if (result != SPI_SUCCESS) {
    bitmapInfoHandle_ = nullptr;
    bitsHandle_ = nullptr;
    return;
  }
  if (!bitsHandle_) sharedBits_ = module.TakeSharedBits();
}

void PluginSource::CheckReturnedBlocks() {
  if (IsEmpty()) return;
  // A handle that is not a live block is not the plug-in's memory to free: it is dropped as it is.
  size_t infoBlock = LocalHandleSize(bitmapInfoHandle_);
  size_t bitsBlock = sharedBits_ ? sharedBits_->Size() : LocalHandleSize(bitsHandle_);
  if (infoBlock == 0) bitmapInfoHandle_ = nullptr;
  if (!sharedBits_ && (bitsBlock == 0 || bitsHandle_ == bitmapInfoHandle_)) bitsHandle_ = nullptr;
  bool usable = !IsEmpty() && IsUsableDib(LockBitmapInfo(), infoBlock, bitsBlock);
  if (!usable) DropPictureBlocks();
}

std::vector<ImportModule*> PluginSource::GetLoaders() {
  PluginManager* manager = CurrentPluginManager();
  return manager ? manager->FindImportModules(fileName_) : std::vector<ImportModule*>();
}

void PluginSource::TryLoader(ImportModule& module, const uint8_t* buffer, int offset) {
  PictureAttempt attempt;
  attempt.ansiName = ansiFileName_.c_str();
  if (ByWideName(module)) attempt.wideName = wideFileName_.c_str();
  attempt.header = buffer + offset;
  attempt.read = HasDataAt(offset);
  attempt.input = [&] { return CallInput(module, offset); };
  attempt.info = &info_;
  attempt.hInfo = &bitmapInfoHandle_;
  attempt.hBits = &bitsHandle_;
  attempt.progress = &SPIProgress;
  attempt.userData = UserData();
  const AttemptOutcome outcome = module.Attempt(attempt);
  if (!outcome.supported || !attempt.read) return;
  PluginCallReturned(module, outcome.result);
  RaiseListenerError();
  CheckReturnedBlocks();
}

void PluginSource::ForgetCrashedCall(const PluginModule& module, uint32_t code) {
  bitmapInfoHandle_ = nullptr;
  bitsHandle_ = nullptr;
  bitmapInfo_ = nullptr;
  bits_ = nullptr;
  sharedBits_.reset();
  info_.hInfo = nullptr;
  if (PluginManager* manager = CurrentPluginManager()) manager->ModuleCrashed(module, fileName_, code);
}

void PluginSource::Decode() {
  PluginManager* manager = CurrentPluginManager();
  const bool macBinary = manager && manager->MacBinary;
  DoProgress(ProgressStage::Starting, 0, "Loading Graphic by Susie Plugin");
  try {
    ReleaseData();
    DoProgress(ProgressStage::Running, 1, "Seeking enabled Susie Plugins");
    std::vector<ImportModule*> loaders = GetLoaders();
    uint8_t header[kHeaderBufferSize];
    std::memset(header, 0, sizeof header);
    ReadHeader(header, kHeaderBufferSize);
    const int offsets[] = {0, kMacBinaryOffset};
    const int offsetCount = macBinary ? 2 : 1;
    bool found = false;
    for (ImportModule* module : loaders) {
      for (int i = 0; i < offsetCount && !found; ++i) {
        DoProgress(ProgressStage::Running, 1,
                   FormatText("Loading by [%s]", {FileNamePart(module->FileName())}));
        try {
          TryLoader(*module, header, offsets[i]);
        } catch (const PluginCrashed& crash) {
          // A failed attempt, as if the plug-in had returned an error; the next module is tried.
          ForgetCrashedCall(*module, crash.Code());
          RaiseListenerError();
          break;
        }
        found = !IsEmpty();
        if (!found) ReleaseData();
      }
      if (found) break;
    }
  } catch (...) {
    DoProgress(ProgressStage::Ending, 100, "Loaded Graphic by Susie Plugin");
    throw;
  }
  DoProgress(ProgressStage::Ending, 100, "Loaded Graphic by Susie Plugin");
}

// ---------------------------------------------------------------------------------------------------
// PluginFileSource

PluginFileSource::PluginFileSource(Image* graphic, const std::string& fileName)
    : PluginSource(graphic, fileName) {}

PluginFileSource::~PluginFileSource() = default;

void PluginFileSource::ReadHeader(uint8_t* buffer, int length) {
  try {
    FileStream file(fileName_, FileMode::OpenRead);
    fileSize_ = file.Size();
    int64_t done = 0;
    while (done < length) {
      int64_t n = file.Read(buffer + done, length - done);
      if (n <= 0) break;
      done += n;
    }
  } catch (const std::exception&) {
    // Unreadable: the buffer stays as it is and the plug-ins are asked all the same.
  }
}

MemoryStream* PluginFileSource::FileBytes() {
  if (!inMemory_) {
    try {
      auto copy = std::make_unique<MemoryStream>();
      FileStream file(fileName_, FileMode::OpenRead);
      copy->LoadFromStream(file);
      inMemory_ = std::move(copy);
    } catch (const std::exception&) {
      return nullptr;
    }
  }
  return inMemory_.get();
}

bool PluginFileSource::HasDataAt(int offset) const {
  return ansiNameLossless_ || fileSize_ < 0 || offset < fileSize_;
}

PictureCallInput PluginFileSource::CallInput(const ImportModule& module, int offset) {
  if (ByWideName(module)) return {nullptr, offset, 0, wideFileName_.c_str()};
  // The plug-in could not open this path by its ANSI name: it gets the file's bytes instead.
  if (MemoryStream* bytes = ansiNameLossless_ ? nullptr : FileBytes())
    return {reinterpret_cast<const char*>(bytes->Memory() + offset),
            static_cast<intptr_t>(bytes->Size() - offset), 1};
  return {ansiFileName_.c_str(), offset, 0};
}

// ---------------------------------------------------------------------------------------------------
// PluginStreamSource

PluginStreamSource::PluginStreamSource(Image* graphic, Stream& stream, const std::string& fileName)
    : PluginSource(graphic, fileName) {
  if (auto* memoryStream = dynamic_cast<MemoryStream*>(&stream)) {
    memory_ = memoryStream->Memory();
    size_ = memoryStream->Size();
    return;
  }
  int64_t position = stream.Position();
  ownCopy_ = std::make_unique<MemoryStream>();
  ownCopy_->LoadFromStream(stream);
  stream.SetPosition(position);
  memory_ = ownCopy_->Memory();
  size_ = ownCopy_->Size();
}

PluginStreamSource::~PluginStreamSource() { ownCopy_.reset(); }

void PluginStreamSource::ReadHeader(uint8_t* buffer, int length) {
  int64_t n = std::min<int64_t>(length, size_);
  if (n > 0) std::memcpy(buffer, memory_, static_cast<size_t>(n));
}

bool PluginStreamSource::HasDataAt(int offset) const { return offset < size_; }

PictureCallInput PluginStreamSource::CallInput(const ImportModule&, int offset) {
  return {reinterpret_cast<const char*>(memory_ + offset), static_cast<intptr_t>(size_ - offset), 1};
}

}  // namespace zeb::spi
