#include "spi/host_server.h"

#include <chrono>
#include <cstring>
#include <map>
#include <memory>

#include "platform/core/strings.h"
#include "platform/services/call_guard.h"
#include "platform/services/local_memory.h"
#include "platform/services/process_memory.h"
#include "spi/host_protocol.h"
#include "spi/kept_shared_block.h"
#include "spi/spi_module.h"

namespace zeb::spi {

namespace {

// The largest bitmap information block handed back: a header and the largest colour table, with room
// to spare for a header of a later version.
constexpr size_t kLargestInfoBlock = 4096;

// The largest pixel block kept for the next picture once the viewer has let go of it: 256 MB, a 64-megapixel
// picture at 32 bits. A larger one goes as soon as the viewer has it.
constexpr size_t kLargestReusedPixels = size_t{256} << 20;

// A call ended by a crash, or a damaged heap found after it: the host answers and ends.
struct HostEnds {
  uint32_t code;
  std::string message;
};

ModuleKind KindOf(const PluginModule& module) {
  if (dynamic_cast<const ImportModule*>(&module)) return ModuleKind::Import;
  if (dynamic_cast<const ArchiveModule*>(&module)) return ModuleKind::Archive;
  if (dynamic_cast<const XnModule*>(&module)) return ModuleKind::Xn;
  return ModuleKind::Plain;
}

// What the plug-in's progress callback works with while one picture is read.
struct ProgressLink {
  HelperPipe* pipe;
  std::chrono::steady_clock::time_point lastTold{};
  bool stopped = false;
};

// How often progress is told at most: the viewer hears that the plug-in is alive, and a stop is looked
// for, without a message per row (a small picture is read with none at all).
constexpr std::chrono::milliseconds kProgressInterval{25};

int SPI_API HostProgress(int num, int denom, intptr_t data) noexcept {
  HostCallbackScope ownCode;
  auto* link = reinterpret_cast<ProgressLink*>(data);
  const auto now = std::chrono::steady_clock::now();
  if (link->stopped || now - link->lastTold < kProgressInterval) return link->stopped ? 1 : 0;
  link->lastTold = now;
  if (!link->pipe->WriteMessage(MessageWriter(HostMessage::Progress).I32(num).I32(denom).Message()))
    link->stopped = true;
  std::vector<uint8_t> message;
  while (!link->stopped && link->pipe->HasMessage()) {
    if (!link->pipe->ReadMessage(message) || MessageReader(message).Kind() == HostMessage::Stop)
      link->stopped = true;
  }
  return link->stopped ? 1 : 0;
}

class Host {
 public:
  explicit Host(HelperPipe& pipe) : pipe_(pipe) {}

  uint32_t Serve() {
    std::vector<uint8_t> message;
    while (pipe_.ReadMessage(message)) {
      // The viewer has taken the last picture's bits once it asks again.
      bits_.ReleaseLarge(kLargestReusedPixels);
      input_.ReleaseLarge();
      try {
        MessageReader reader(message);
        Answer(reader);
      } catch (const HostEnds& end) {
        pipe_.WriteMessage(MessageWriter(HostMessage::Crashed).U32(end.code).Text(end.message).Message());
        return end.code;
      } catch (const std::exception& error) {
        pipe_.WriteMessage(MessageWriter(HostMessage::Failed).Text(error.what()).Message());
      }
    }
    return 0;
  }

 private:
  void Answer(MessageReader& r) {
    switch (r.Kind()) {
      case HostMessage::LoadModule:
        pipe_.WriteMessage(EncodeModuleFacts(Load(r.Text())));
        return;
      case HostMessage::IsSupported:
      case HostMessage::IsSupportedW: {
        PluginModule& module = Module(r.Text());
        const std::string name = r.Text();
        AnswerIsSupported(module, r.Kind() == HostMessage::IsSupportedW, name, r.Bytes());
        return;
      }
      case HostMessage::Attempt: {
        // Every field is read before the plug-in is asked anything.
        PluginModule& module = Module(r.Text());
        const bool wide = r.U8() != 0;
        const std::string name = r.Text();
        const std::vector<uint8_t> header = r.Bytes();
        const bool read = r.U8() != 0;
        const PictureInput input = read ? ReadPictureInput(r) : PictureInput{};
        const bool held = read && r.U8() != 0;
        if (AnswerIsSupported(module, wide, name, header) == 0 || !read) return;
        AnswerPictureInfo(module, input);
        if (held) bits_.ReleaseLarge(0);
        AnswerPicture(module, input);
        return;
      }
      case HostMessage::Stop:
        return;  // the picture it meant has ended already
      default:
        throw HostProtocolError("An unknown request");
    }
  }

  int AnswerIsSupported(PluginModule& module, bool wide, const std::string& name,
                        const std::vector<uint8_t>& header) {
    std::vector<uint8_t> buffer(kHeaderBufferSize, 0);
    std::memcpy(buffer.data(), header.data(), std::min(header.size(), buffer.size()));
    const auto data = reinterpret_cast<uintptr_t>(buffer.data());
    const int result = Checked([&] {
      return wide ? module.IsSupportedW(Utf8ToUtf16(name).c_str(), data)
                  : module.IsSupported(name.c_str(), data);
    });
    pipe_.WriteMessage(MessageWriter(HostMessage::Result).I32(result).Message());
    return result;
  }

  // Runs a plug-in call; a crash, or a heap left damaged, ends the host.
  template <class Call>
  int Checked(Call call) {
    int result;
    try {
      result = call();
    } catch (const PluginCrashed& crash) {
      throw HostEnds{crash.Code(), crash.what()};
    }
    if (!ProcessHeapsIntact()) throw HostEnds{kHeapCorruption, "A heap of the plug-in host is damaged"};
    return result;
  }

  ModuleFacts Load(const std::string& path) {
    ModuleFacts facts;
    std::unique_ptr<PluginModule> module;
    try {
      module = LoadPluginModule(path);
    } catch (const PluginCrashed& crash) {
      // The host goes with what the crash left; the viewer tells the error as it would its own.
      throw HostEnds{crash.Code(), crash.what()};
    } catch (const PluginExportMissing& error) {
      facts.outcome = LoadOutcome::ExportMissing;
      facts.message = error.what();
      return facts;
    } catch (const std::exception& error) {
      facts.outcome = LoadOutcome::Error;
      facts.message = error.what();
      return facts;
    }
    if (!ProcessHeapsIntact()) throw HostEnds{kHeapCorruption, "A heap of the plug-in host is damaged"};
    if (!module) return facts;
    facts.outcome = LoadOutcome::Loaded;
    facts.kind = KindOf(*module);
    facts.fileName = module->FileName();
    facts.apiVersion = module->APIVersion();
    facts.pluginName = module->PluginName();
    facts.filters = module->Filters();
    facts.descriptions = module->Descriptions();
    facts.wideNames = module->HasWideNames();
    modules_[path] = std::move(module);
    return facts;
  }

  // The module loaded from Path, loaded now when this host has not loaded it yet.
  PluginModule& Module(const std::string& path) {
    auto found = modules_.find(path);
    if (found == modules_.end()) {
      Load(path);
      found = modules_.find(path);
      if (found == modules_.end())
        throw PluginOpenError(FormatText("%s:Susie Pluginがロードできませんでした", {path}));
    }
    return *found->second;
  }

  // The pointer and length (or name and offset) a call takes for Input; a wide name for the wide calls.
  struct CallInput {
    const char* buffer;
    intptr_t length;
    unsigned flag;
    std::u16string wideName;
    PictureCallInput Args() const {
      return {buffer, length, flag, wideName.empty() ? nullptr : wideName.c_str()};
    }
  };
  CallInput Open(const PictureInput& input) {
    CallInput call{input.fileOrBlock.c_str(), static_cast<intptr_t>(input.offsetOrSize), 0, {}};
    if (input.wideName) call.wideName = Utf8ToUtf16(input.fileOrBlock);
    if (!input.inMemory) return call;
    SharedMemory* block = input_.Open(input.fileOrBlock, static_cast<size_t>(input.offsetOrSize));
    if (!block) throw OutOfResources("The picture's bytes cannot be shared with the plug-in host");
    call.buffer = reinterpret_cast<const char*>(block->Data());
    call.flag = 1;
    return call;
  }

  void AnswerPictureInfo(PluginModule& module, const PictureInput& input) {
    const CallInput call = Open(input);
    PictureInfo info{};
    const int result = Checked([&] { return module.GetPictureInfoFrom(call.Args(), &info); });
    // The text block is the host's to free; the viewer never reads it.
    if (result == SPI_SUCCESS && info.hInfo && LocalHandleSize(info.hInfo) > 0) LocalFreeHandle(info.hInfo);
    pipe_.WriteMessage(MessageWriter(HostMessage::PictureInfo)
                           .I32(result)
                           .I32(info.left)
                           .I32(info.top)
                           .I32(info.width)
                           .I32(info.height)
                           .U16(info.x_density)
                           .U16(info.y_density)
                           .U16(static_cast<uint16_t>(info.colorDepth))
                           .Message());
  }

  void AnswerPicture(PluginModule& module, const PictureInput& input) {
    const CallInput call = Open(input);
    ProgressLink link{&pipe_};
    LocalHandle infoHandle = nullptr, bitsHandle = nullptr;
    const auto progressData = reinterpret_cast<intptr_t>(&link);
    const int result = Checked([&] {
      return module.GetPictureFrom(call.Args(), &infoHandle, &bitsHandle, &HostProgress, progressData);
    });
    MessageWriter reply(HostMessage::Picture);
    reply.I32(result);
    // A failed call's handles may be anything: they are left alone, as the viewer leaves them.
    const size_t infoSize = result == SPI_SUCCESS && infoHandle ? LocalHandleSize(infoHandle) : 0;
    const size_t bitsSize = result == SPI_SUCCESS && bitsHandle ? LocalHandleSize(bitsHandle) : 0;
    SharedMemory* bits =
        infoSize > 0 && bitsSize > 0 && infoHandle != bitsHandle ? bits_.Make(bitsSize) : nullptr;
    if (bits) {
      const auto* info = static_cast<const uint8_t*>(LocalLockHandle(infoHandle));
      reply.Bytes(info, std::min(infoSize, kLargestInfoBlock));
      LocalUnlockHandle(infoHandle);
      std::memcpy(bits->Data(), LocalLockHandle(bitsHandle), bitsSize);
      LocalUnlockHandle(bitsHandle);
      reply.Text(bits->Name()).U64(bitsSize);
    } else {
      reply.Bytes(nullptr, 0).Text(std::string()).U64(0);
    }
    if (infoSize > 0) LocalFreeHandle(infoHandle);
    if (bitsSize > 0 && bitsHandle != infoHandle) LocalFreeHandle(bitsHandle);
    pipe_.WriteMessage(reply.Message());
  }

  HelperPipe& pipe_;
  std::map<std::string, std::unique_ptr<PluginModule>> modules_;
  KeptSharedBlock bits_;   // the pixels of the last picture, for the viewer to copy or use in place
  KeptSharedBlock input_;  // the viewer's last picture bytes
};

}  // namespace

uint32_t ServePluginHost(HelperPipe& pipe) { return Host(pipe).Serve(); }

}  // namespace zeb::spi

uint32_t zeb::RunHelperProgram(HelperPipe& pipe) { return spi::ServePluginHost(pipe); }
