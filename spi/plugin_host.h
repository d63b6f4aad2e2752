// The viewer's side of the plug-in host: plug-ins load and run in a host process of their own
// (zeb_spihost.exe), so that a plug-in that crashes, hangs or damages its heap costs at most that process.
// The modules it makes stand for plug-ins loaded in the host: the manager holds them as it holds
// modules loaded in process, and their calls go to the host and wait for its answer. There is at most one
// host per host program at a time: the host of the build's own width (CurrentPluginHost), through which
// CreatePluginModule loads while it is set, and in zeb64.exe the 32-bit host of the *.spi plug-ins
// (OtherWidthPluginHost).
//
// A call that crashes the host, leaves its heap damaged, ends it, or gives no sign of life within its
// time limit costs the picture it was for and counts as a crash of its plug-in; the host is then ended
// and started again for the next call. The waiting is done on the window's thread: Pump is called every
// kPumpInterval meanwhile, and when Abandon then answers true the call ends at once (SilentAbort).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/services/background.h"
#include "platform/services/helper_process.h"
#include "spi/kept_shared_block.h"
#include "spi/spi_module.h"

namespace zeb::spi {

ZEB_EXCEPTION(SecondPluginHost, Exception);

// The host's file name, beside the program's.
// The host of the build's own plug-ins: *.spi beside zeb.exe, *.sph beside zeb64.exe.
#if UINTPTR_MAX > 0xFFFFFFFFu
constexpr const char* kPluginHostProgram = "zeb_spihost64.exe";
#else
constexpr const char* kPluginHostProgram = "zeb_spihost.exe";
#endif
// The host of the plug-ins of the other width, beside zeb64.exe: the 32-bit host runs the *.spi plug-ins
// (kOtherWidthPluginMask). The 32-bit build has none.
#if defined(_WIN64)
constexpr const char* kOtherWidthHostProgram = "zeb_spihost.exe";
#else
constexpr const char* kOtherWidthHostProgram = nullptr;
#endif

// How long a call may go without a sign of life from the plug-in (its answer, or progress it reports).
// A call that reads a header (IsSupported, GetPictureInfo) takes milliseconds; GetPicture gets more for
// each 10 million pixels the picture's GetPictureInfo announced, as some plug-ins report no progress.
struct HostTimeLimits {
  std::chrono::milliseconds call{3000};
  std::chrono::milliseconds perTenMegapixels{1000};
};
std::chrono::milliseconds PictureTimeLimit(const HostTimeLimits& limits, int64_t width, int64_t height);

class PluginHost {
 public:
  static constexpr std::chrono::milliseconds kPumpInterval{30};

  // Program: the host's executable. Raises SecondPluginHost when a host of that program (by its file
  // name) exists.
  explicit PluginHost(std::string program);
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Starts the host process now unless it runs; false when it cannot be started.
  bool Start();
  // Starts the host process on a background job: the first call (or Start) waits for it.
  void StartBeside();
  // Loads the plug-in in the host: a module of the class its API version picks, or nullptr when the
  // file is no plug-in; raises what loading it in process raises. When the host cannot be started, the
  // first load raises an error saying so and the later ones find no plug-in.
  std::unique_ptr<PluginModule> CreateModule(const std::string& fileName);
  // How many times a host process was started.
  int Starts() const { return starts_; }
  // Whether a call is waiting for the host's answer.
  bool Waiting() const { return waiting_; }
  const std::string& Program() const { return program_; }

  HostTimeLimits limits;
  std::function<void()> Pump;
  std::function<bool()> Abandon;

  // For the modules: a request and its replies. Made, it sends the request; each Receive waits for the
  // next reply, within Limit of the last sign of life. Progress reports go to OnProgress; the first
  // non-zero answer asks the host to stop. Both raise PluginCrashed (the host is then gone), Receive
  // also SilentAbort. The host counts as waiting while the conversation lasts.
  class Conversation {
   public:
    Conversation(PluginHost& host, const std::vector<uint8_t>& request);
    ~Conversation();
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;
    std::vector<uint8_t> Receive(std::chrono::milliseconds limit,
                                 const std::function<int(int num, int denom)>& onProgress);

   private:
    PluginHost& host_;
    bool stopAsked_ = false;
  };
  // A request answered by one reply.
  std::vector<uint8_t> Exchange(const std::vector<uint8_t>& request, std::chrono::milliseconds limit,
                                const std::function<int(int num, int denom)>& onProgress);
  // Ends the host process (a call that went wrong leaves it in no state to go on).
  void Stop();
  // The blocks the modules hand picture bytes to the host in, and read the pixels from. Pixels larger
  // than LargestCopied stay in the block the host put them in, which the picture then holds.
  KeptSharedBlock input;
  KeptSharedBlock pixels;
  size_t largestCopied = KeptSharedBlock::kLargestKept;
  // Whether the last pixels used in place are still held (the host then writes the next ones elsewhere).
  std::shared_ptr<bool> lastPixelsHeld;

 private:
  [[noreturn]] void Fail(uint32_t code, const std::string& message);

  std::string program_;
  bool StartNow();

  std::unique_ptr<HelperProcess> process_;
  std::shared_ptr<BackgroundJob> starting_;
  int starts_ = 0;
  bool waiting_ = false;
  bool unavailableTold_ = false;
};

// The host of the build's own plug-ins, or nullptr (they then run in process).
PluginHost* CurrentPluginHost();
// The host of the other width's plug-ins (kOtherWidthHostProgram), or nullptr.
PluginHost* OtherWidthPluginHost();
// Whether a call waits for any host's answer (a window message handled meanwhile starts no other).
bool PluginCallWaiting();
// The other width's host program beside this program's file, when the build has one and it is there;
// empty else (the other width's plug-ins are then left out).
std::string OtherWidthHostPath();

}  // namespace zeb::spi
