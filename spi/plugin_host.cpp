#include "spi/plugin_host.h"

#include <algorithm>
#include <cstring>

#include "platform/core/strings.h"
#include "platform/services/call_guard.h"
#include "platform/services/file_system.h"
#include "platform/services/local_memory.h"
#include "spi/host_protocol.h"

namespace zeb::spi {

namespace {

// The hosts that exist, at most one per host program.
std::vector<PluginHost*>& Hosts() {
  static std::vector<PluginHost*> hosts;
  return hosts;
}

PluginHost* HostOf(const char* programName) {
  if (!programName) return nullptr;
  for (PluginHost* host : Hosts())
    if (SameTextAscii(FileNamePart(host->Program()), programName)) return host;
  return nullptr;
}

// An error reply's result for the picture calls: the plug-in could not be asked, as if it refused.
constexpr int kNotAsked = -1;
// GetPicture's result when the progress callback asked it to stop.
constexpr int kStoppedByCallback = 1;

// A block of local memory holding a copy of Size bytes at Data; nullptr when there is no room.
LocalHandle LocalCopy(const void* data, size_t size) {
  LocalHandle handle = LocalAllocate(size);
  if (!handle) return nullptr;
  std::memcpy(LocalLockHandle(handle), data, size);
  LocalUnlockHandle(handle);
  return handle;
}

// Pixels used in the host's block, which tell the host through Held when they are let go.
class HeldPixels : public SharedMemory {
 public:
  HeldPixels(std::unique_ptr<SharedMemory> block, std::shared_ptr<bool> held)
      : block_(std::move(block)), held_(std::move(held)) {
    *held_ = true;
  }
  ~HeldPixels() override { *held_ = false; }
  uint8_t* Data() override { return block_->Data(); }
  size_t Size() const override { return block_->Size(); }
  const std::string& Name() const override { return block_->Name(); }

 private:
  std::unique_ptr<SharedMemory> block_;
  std::shared_ptr<bool> held_;
};

// A plug-in loaded in the host, of the module class Kind its API version picks.
template <class Kind>
class RemoteModule : public Kind {
 public:
  RemoteModule(PluginHost& host, std::string path, const ModuleFacts& facts)
      : Kind(typename Kind::NoLoad{}), host_(host), path_(std::move(path)) {
    this->fileName_ = facts.fileName.empty() ? path_ : facts.fileName;
    this->apiVersion_ = facts.apiVersion;
    this->pluginName_ = facts.pluginName;
    this->filters_ = facts.filters;
    this->descriptions_ = facts.descriptions;
    this->isLoader_ = facts.kind == ModuleKind::Import || facts.kind == ModuleKind::Archive;
    wideNames_ = facts.wideNames;
  }

  bool HasWideNames() const override { return wideNames_; }

  int IsSupported(const char* fileName, uintptr_t data) override {
    return AskIsSupported(HostMessage::IsSupported, fileName, data);
  }
  int IsSupportedW(const char16_t* fileName, uintptr_t data) override {
    return AskIsSupported(HostMessage::IsSupportedW, Utf16ToUtf8(fileName), data);
  }

  std::unique_ptr<SharedMemory> TakeSharedBits() override { return std::move(sharedBits_); }

  // The attempt in one request: the host answers IsSupported, and when the plug-in takes the picture and
  // it is to be read, goes on with GetPictureInfo and GetPicture, answering each at once. Each step has
  // its own time limit, as if it were asked alone.
  AttemptOutcome Attempt(const PictureAttempt& attempt) override {
    AttemptOutcome outcome;
    // A file handle (a value up to 0xFFFF) cannot cross to the host; the header in memory always can.
    if (reinterpret_cast<uintptr_t>(attempt.header) <= 0xFFFF) return outcome;
    const bool wide = attempt.wideName != nullptr;
    MessageWriter request(HostMessage::Attempt);
    request.Text(path_)
        .U8(wide ? 1 : 0)
        .Text(wide ? Utf16ToUtf8(attempt.wideName) : std::string(attempt.ansiName))
        .Bytes(attempt.header, 2048)
        .U8(attempt.read ? 1 : 0);
    PictureCallInput callInput;
    if (attempt.read) {
      sharedBits_.reset();
      callInput = attempt.input();
      WritePictureInput(request, callInput.wideName
                                     ? WideInput(callInput.wideName, callInput.length)
                                     : Input(callInput.buffer, callInput.length, callInput.flag));
      request.U8(host_.lastPixelsHeld && *host_.lastPixelsHeld ? 1 : 0);
    }
    // A crash of the host, or no answer in time, counts as the plug-in's crash in the step it was in.
    const char* step = wide ? "IsSupportedW" : "IsSupported";
    std::unique_ptr<PluginHost::Conversation> conversation;
    auto receive = [&](std::chrono::milliseconds limit, const std::function<int(int, int)>& onProgress) {
      try {
        if (!conversation)
          conversation = std::make_unique<PluginHost::Conversation>(host_, request.Message());
        return conversation->Receive(limit, onProgress);
      } catch (const PluginCrashed& crash) {
        throw Crashed(step, crash);
      }
    };
    outcome.supported = ReadResult(receive(host_.limits.call, nullptr)) != 0;
    if (!outcome.supported || !attempt.read) return outcome;
    step = callInput.wideName ? "GetPictureInfoW" : "GetPictureInfo";
    const std::vector<uint8_t> infoReply = receive(host_.limits.call, nullptr);
    const bool sized = ReadPictureInfo(infoReply, attempt.info) == SPI_SUCCESS;
    if (infoReply[0] == static_cast<uint8_t>(HostMessage::Failed)) return outcome;  // the host gave it up
    step = callInput.wideName ? "GetPictureW" : "GetPicture";
    PictureProgress told(attempt.progress, attempt.userData);
    // Longer for a larger picture, as far as GetPictureInfo announced one.
    const auto limit =
        PictureTimeLimit(host_.limits, sized ? attempt.info->width : 0, sized ? attempt.info->height : 0);
    const std::vector<uint8_t> reply = receive(limit, told.Callback());
    outcome.result = ReadPicture(reply, told.stopped, attempt.hInfo, attempt.hBits);
    return outcome;
  }

 private:
  int AskIsSupported(HostMessage kind, const std::string& fileName, uintptr_t data) {
    // A file handle (a value up to 0xFFFF) cannot cross to the host; the header in memory always can.
    if (data <= 0xFFFF) return 0;
    MessageWriter request(kind);
    request.Text(path_).Text(fileName).Bytes(reinterpret_cast<const void*>(data), 2048);
    const std::vector<uint8_t> reply = Ask(kind == HostMessage::IsSupported ? "IsSupported" : "IsSupportedW",
                                           request, host_.limits.call, nullptr);
    return ReadResult(reply);
  }

  // A Result reply's value; an error reply counts as a refusal.
  int ReadResult(const std::vector<uint8_t>& reply) {
    return Read(
        reply, HostMessage::Result, [](MessageReader& r) { return r.I32(); }, 0);
  }

  // The progress callback as a host call takes it. Once the callback asked to stop it is not called
  // again, and whatever the plug-in still returned is not taken: the host may have heard the stop only
  // after the plug-in had finished.
  struct PictureProgress {
    PictureProgress(ProgressCallback p, intptr_t d) : progress(p), userData(d) {}
    std::function<int(int, int)> Callback() {
      return [this](int num, int denom) {
        if (!stopped && progress && progress(num, denom, userData) != 0) stopped = true;
        return stopped ? 1 : 0;
      };
    }
    ProgressCallback progress;
    intptr_t userData;
    bool stopped = false;
  };

  int ReadPictureInfo(const std::vector<uint8_t>& reply, PictureInfo* info) {
    return Read(
        reply, HostMessage::PictureInfo,
        [&](MessageReader& r) {
          const int result = r.I32();
          PictureInfo got{};
          got.left = r.I32();
          got.top = r.I32();
          got.width = r.I32();
          got.height = r.I32();
          got.x_density = r.U16();
          got.y_density = r.U16();
          got.colorDepth = static_cast<int16_t>(r.U16());
          *info = got;
          return result;
        },
        kNotAsked);
  }

  int ReadPicture(const std::vector<uint8_t>& reply, bool stopped, LocalHandle* hInfo, LocalHandle* hBits) {
    return Read(
        reply, HostMessage::Picture,
        [&](MessageReader& r) {
          const int result = r.I32();
          if (stopped) return kStoppedByCallback;
          const std::vector<uint8_t> info = r.Bytes();
          const std::string bitsName = r.Text();
          const uint64_t bitsSize = r.U64();
          if (result != SPI_SUCCESS || info.empty() || bitsSize == 0 || bitsSize > SIZE_MAX) return result;
          if (bitsSize > host_.largestCopied) {
            // Used where they are: the block stays while the picture holds it.
            std::unique_ptr<SharedMemory> bits = OpenSharedMemory(bitsName, static_cast<size_t>(bitsSize));
            if (bits) {
              host_.lastPixelsHeld = std::make_shared<bool>(true);
              sharedBits_ = std::make_unique<HeldPixels>(std::move(bits), host_.lastPixelsHeld);
            }
            LocalHandle infoBlock = sharedBits_ ? LocalCopy(info.data(), info.size()) : nullptr;
            if (infoBlock)
              *hInfo = infoBlock;
            else
              sharedBits_.reset();
            return result;
          }
          // Small ones are copied out of the host's block before anything else is asked of it.
          SharedMemory* bits = host_.pixels.Open(bitsName, static_cast<size_t>(bitsSize));
          if (!bits) return result;
          LocalHandle infoBlock = LocalCopy(info.data(), info.size());
          LocalHandle bitsBlock =
              infoBlock ? LocalCopy(bits->Data(), static_cast<size_t>(bitsSize)) : nullptr;
          host_.pixels.ReleaseLarge();
          if (!bitsBlock) {
            if (infoBlock) LocalFreeHandle(infoBlock);
            return result;  // no room for the picture: the source finds it empty
          }
          *hInfo = infoBlock;
          *hBits = bitsBlock;
          return result;
        },
        kNotAsked);
  }

  // A file by its wide name, for the plug-in's wide entry points.
  static PictureInput WideInput(const char16_t* fileName, intptr_t offset) {
    PictureInput input;
    input.wideName = true;
    input.fileOrBlock = Utf16ToUtf8(fileName);
    input.offsetOrSize = offset;
    return input;
  }

  // The input as the host takes it: a file name and offset go as they are, bytes in memory are copied
  // into the host's input block.
  PictureInput Input(const char* buffer, intptr_t length, unsigned flag) {
    PictureInput input;
    input.offsetOrSize = length;
    if ((flag & 7) == 0) {
      input.fileOrBlock = buffer;
      return input;
    }
    input.inMemory = true;
    host_.input.ReleaseLarge();
    SharedMemory* shared = host_.input.Make(static_cast<size_t>(std::max<intptr_t>(length, 0)));
    if (!shared) throw OutOfResources("The picture's bytes cannot be shared with the plug-in host");
    if (length > 0) std::memcpy(shared->Data(), buffer, static_cast<size_t>(length));
    input.fileOrBlock = shared->Name();
    return input;
  }

  // Asks the host; a crash, an end of the host or a timeout counts as this plug-in's crash.
  std::vector<uint8_t> Ask(const char* call, const MessageWriter& request, std::chrono::milliseconds limit,
                           const std::function<int(int, int)>& onProgress) {
    try {
      return host_.Exchange(request.Message(), limit, onProgress);
    } catch (const PluginCrashed& crash) {
      throw Crashed(call, crash);
    }
  }

  // The host's crash during Call, counted as this plug-in's.
  PluginCrashed Crashed(const char* call, const PluginCrashed& crash) {
    ++this->crashCount_;
    return PluginCrashed(FormatText("The plug-in %s crashed in %s (%s).",
                                    {this->fileName_, call, CrashKindName(crash.Code())}),
                         crash.Code());
  }

  // The reply read by Reader when it is of kind Expected; an error reply is Refused. A reply that does
  // not read as it should means a broken host: it is ended and the call counts as a crash.
  template <class Reader>
  int Read(const std::vector<uint8_t>& reply, HostMessage expected, Reader reader, int refused) {
    try {
      MessageReader r(reply);
      if (r.Kind() == HostMessage::Failed) return refused;
      if (r.Kind() != expected) throw HostProtocolError("A reply of another kind");
      return reader(r);
    } catch (const HostProtocolError&) {
      host_.Stop();
      ++this->crashCount_;
      throw PluginCrashed(FormatText("The plug-in host answered %s nonsense.", {this->fileName_}),
                          kHostEnded);
    }
  }

  PluginHost& host_;
  std::string path_;                          // as the manager found it: the host loads it by this name
  std::unique_ptr<SharedMemory> sharedBits_;  // the last GetPicture's pixels, until taken
  bool wideNames_ = false;
};

}  // namespace

std::chrono::milliseconds PictureTimeLimit(const HostTimeLimits& limits, int64_t width, int64_t height) {
  const int64_t pixels = width > 0 && height > 0 ? std::min<int64_t>(width * height, int64_t{1} << 40) : 0;
  return limits.call + limits.perTenMegapixels * ((pixels + 9'999'999) / 10'000'000);
}

PluginHost* CurrentPluginHost() { return HostOf(kPluginHostProgram); }

PluginHost* OtherWidthPluginHost() { return HostOf(kOtherWidthHostProgram); }

bool PluginCallWaiting() {
  return std::any_of(Hosts().begin(), Hosts().end(), [](const PluginHost* host) { return host->Waiting(); });
}

std::string OtherWidthHostPath() {
  if (!kOtherWidthHostProgram) return std::string();
  const std::string path = FolderPart(Files().ProgramFileName()) + kOtherWidthHostProgram;
  return Files().FileExists(path) ? path : std::string();
}

PluginHost::PluginHost(std::string program) : program_(std::move(program)) {
  if (HostOf(FileNamePart(program_).c_str())) throw SecondPluginHost("There is a plug-in host already");
  Hosts().push_back(this);
}

PluginHost::~PluginHost() {
  Stop();
  std::erase(Hosts(), this);
}

bool PluginHost::Start() {
  if (std::shared_ptr<BackgroundJob> starting = std::move(starting_)) starting->RunHereOrWait();
  return StartNow();
}

void PluginHost::StartBeside() {
  if (process_ || starting_) return;
  starting_ = std::make_shared<BackgroundJob>([this](const CancelToken&) { StartNow(); });
  StartInBackground(starting_);
}

bool PluginHost::StartNow() {
  if (process_) return true;
  process_ = StartHelperProcess(program_);
  if (process_) ++starts_;
  return process_ != nullptr;
}

void PluginHost::Stop() {
  if (std::shared_ptr<BackgroundJob> starting = std::move(starting_)) {
    starting->Cancel();  // not begun, it never begins; begun, it is waited for
    starting->RunHereOrWait();
  }
  if (process_) process_->Kill();
  process_.reset();
}

void PluginHost::Fail(uint32_t code, const std::string& message) {
  Stop();
  throw PluginCrashed(message, code);
}

PluginHost::Conversation::Conversation(PluginHost& host, const std::vector<uint8_t>& request) : host_(host) {
  // A window message handled while a call waits must not start another call, in this host or another.
  if (PluginCallWaiting()) throw SilentAbort("The plug-in host is busy");
  if (!host_.Start()) host_.Fail(kHostEnded, "The plug-in host " + host_.program_ + " cannot be started");
  host_.waiting_ = true;
  if (!host_.process_->WriteMessage(request)) {
    host_.waiting_ = false;
    host_.Fail(kHostEnded, "The plug-in host has ended");
  }
}

PluginHost::Conversation::~Conversation() { host_.waiting_ = false; }

std::vector<uint8_t> PluginHost::Conversation::Receive(std::chrono::milliseconds limit,
                                                       const std::function<int(int, int)>& onProgress) {
  if (!host_.process_) host_.Fail(kHostEnded, "The plug-in host has ended");
  using Clock = std::chrono::steady_clock;
  Clock::time_point lastSign = Clock::now();
  std::vector<uint8_t> reply;
  for (;;) {
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastSign);
    if (waited >= limit) host_.Fail(kCallTimedOut, "The plug-in did not answer in time");
    const std::chrono::milliseconds slice =
        host_.Pump ? std::min(limit - waited, kPumpInterval) : limit - waited;
    switch (host_.process_->ReadMessage(reply, slice)) {
      case PipeWait::Done: {
        if (reply.empty()) host_.Fail(kHostEnded, "The plug-in host sent an empty message");
        MessageReader r(reply);
        if (r.Kind() == HostMessage::Progress && reply.size() == 9) {
          lastSign = Clock::now();
          const int num = r.I32(), denom = r.I32();
          if (onProgress && onProgress(num, denom) != 0 && !stopAsked_)
            stopAsked_ = host_.process_->WriteMessage(MessageWriter(HostMessage::Stop).Message());
          continue;
        }
        if (r.Kind() == HostMessage::Crashed) {
          uint32_t code = kHostEnded;
          std::string message = "The plug-in host crashed";
          try {
            code = r.U32();
            message = r.Text();
          } catch (const HostProtocolError&) {
            // the code alone, or not even that: the crash is told all the same
          }
          host_.Fail(code, message);
        }
        return reply;
      }
      case PipeWait::TimedOut:
        if (host_.Pump) host_.Pump();
        if (host_.Abandon && host_.Abandon()) {
          host_.Stop();
          throw SilentAbort("A plug-in call was abandoned");
        }
        continue;
      case PipeWait::Ended: {
        // A host that died of an exception (on a thread of the plug-in's own, say) ends with its code.
        const uint32_t code = host_.process_->ExitCode();
        host_.Fail(code >= 0xC0000000 ? code : kHostEnded, "The plug-in host has ended");
      }
    }
  }
}

std::vector<uint8_t> PluginHost::Exchange(const std::vector<uint8_t>& request,
                                          std::chrono::milliseconds limit,
                                          const std::function<int(int, int)>& onProgress) {
  Conversation conversation(*this, request);
  return conversation.Receive(limit, onProgress);
}

std::unique_ptr<PluginModule> PluginHost::CreateModule(const std::string& fileName) {
  if (!process_ && !Start()) {
    if (unavailableTold_) return nullptr;
    unavailableTold_ = true;
    // Only the build's own plug-ins can run in ZEB itself instead.
    if (this != CurrentPluginHost())
      throw PluginOpenError(
          FormatText("The plug-in host %s cannot be started: its plug-ins cannot be used.", {program_}));
    throw PluginOpenError(
        FormatText("The plug-in host %s cannot be started: no plug-in can be used (the switch -I runs them "
                   "in ZEB itself).",
                   {program_}));
  }
  const std::vector<uint8_t> reply =
      Exchange(MessageWriter(HostMessage::LoadModule).Text(fileName).Message(), limits.call, nullptr);
  MessageReader r(reply);
  if (r.Kind() == HostMessage::Failed) throw Exception(r.Text());
  if (r.Kind() != HostMessage::Module)
    throw HostProtocolError("The plug-in host answered a load with another reply");
  const ModuleFacts facts = DecodeModuleFacts(r);
  switch (facts.outcome) {
    case LoadOutcome::NotAPlugin:
      return nullptr;
    case LoadOutcome::ExportMissing:
      throw PluginExportMissing(facts.message);
    case LoadOutcome::Error:
      throw Exception(facts.message);
    case LoadOutcome::Loaded:
      break;
  }
  switch (facts.kind) {
    case ModuleKind::Import:
      return std::make_unique<RemoteModule<ImportModule>>(*this, fileName, facts);
    case ModuleKind::Archive:
      return std::make_unique<RemoteModule<ArchiveModule>>(*this, fileName, facts);
    case ModuleKind::Xn:
      return std::make_unique<RemoteModule<XnModule>>(*this, fileName, facts);
    case ModuleKind::Plain:
      break;
  }
  return std::make_unique<RemoteModule<PluginModule>>(*this, fileName, facts);
}

}  // namespace zeb::spi
