// The headless helper process: a registered function run on a thread of its own, with two queues of
// messages for its pipe; shared blocks are byte vectors found by name while a holder keeps them.
#include "platform/services/helper_process.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "platform/core/strings.h"
#include "platform/headless/headless.h"

namespace zeb {

namespace {

std::mutex registryMutex;
std::map<std::string, std::function<uint32_t(HelperPipe&)>>& Helpers() {
  static std::map<std::string, std::function<uint32_t(HelperPipe&)>> helpers;
  return helpers;
}

struct Channel {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::vector<uint8_t>> toHelper, toViewer;
  bool killed = false;
  bool exited = false;
  uint32_t exitCode = 0;
};

thread_local Channel* helperChannel = nullptr;

class MemoryHelperPipe : public HelperPipe {
 public:
  explicit MemoryHelperPipe(std::shared_ptr<Channel> channel) : channel_(std::move(channel)) {}
  bool ReadMessage(std::vector<uint8_t>& message) override {
    std::unique_lock lock(channel_->mutex);
    channel_->changed.wait(lock, [&] { return channel_->killed || !channel_->toHelper.empty(); });
    if (channel_->killed) return false;
    message = std::move(channel_->toHelper.front());
    channel_->toHelper.pop_front();
    return true;
  }
  bool WriteMessage(const std::vector<uint8_t>& message) override {
    std::lock_guard lock(channel_->mutex);
    if (channel_->killed) return false;
    channel_->toViewer.push_back(message);
    channel_->changed.notify_all();
    return true;
  }
  bool HasMessage() override {
    std::lock_guard lock(channel_->mutex);
    return channel_->killed || !channel_->toHelper.empty();
  }

 private:
  std::shared_ptr<Channel> channel_;
};

class MemoryHelperProcess : public HelperProcess {
 public:
  explicit MemoryHelperProcess(std::shared_ptr<Channel> channel) : channel_(std::move(channel)) {}
  ~MemoryHelperProcess() override { Kill(); }
  bool WriteMessage(const std::vector<uint8_t>& message) override {
    std::lock_guard lock(channel_->mutex);
    if (channel_->killed || channel_->exited) return false;
    channel_->toHelper.push_back(message);
    channel_->changed.notify_all();
    return true;
  }
  PipeWait ReadMessage(std::vector<uint8_t>& message, std::chrono::milliseconds timeout) override {
    std::unique_lock lock(channel_->mutex);
    const bool ready = channel_->changed.wait_for(
        lock, timeout, [&] { return channel_->killed || channel_->exited || !channel_->toViewer.empty(); });
    if (!channel_->toViewer.empty()) {
      message = std::move(channel_->toViewer.front());
      channel_->toViewer.pop_front();
      return PipeWait::Done;
    }
    return ready ? PipeWait::Ended : PipeWait::TimedOut;
  }
  void Kill() override {
    std::unique_lock lock(channel_->mutex);
    channel_->killed = true;
    channel_->changed.notify_all();
    // A helper stuck in a fake plug-in sees HelperKilled and leaves; one that does not is left behind.
    channel_->changed.wait_for(lock, std::chrono::seconds(2), [&] { return channel_->exited; });
  }
  uint32_t ExitCode() override {
    std::lock_guard lock(channel_->mutex);
    return channel_->exitCode;
  }

 private:
  std::shared_ptr<Channel> channel_;
};

std::mutex sharedMutex;
std::map<std::string, std::weak_ptr<std::vector<uint8_t>>> sharedBlocks;
std::atomic<uint32_t> sharedSerial{0};

class MemorySharedBlock : public SharedMemory {
 public:
  MemorySharedBlock(std::shared_ptr<std::vector<uint8_t>> bytes, size_t size, std::string name)
      : bytes_(std::move(bytes)), size_(size), name_(std::move(name)) {}
  uint8_t* Data() override { return bytes_->data(); }
  size_t Size() const override { return size_; }
  const std::string& Name() const override { return name_; }

 private:
  std::shared_ptr<std::vector<uint8_t>> bytes_;
  size_t size_;
  std::string name_;
};

}  // namespace

namespace headless {

void RegisterHelper(const std::string& program, std::function<uint32_t(HelperPipe&)> main) {
  std::lock_guard lock(registryMutex);
  Helpers()[program] = std::move(main);
}

bool HelperKilled() {
  if (!helperChannel) return false;
  std::lock_guard lock(helperChannel->mutex);
  return helperChannel->killed;
}

}  // namespace headless

std::unique_ptr<HelperProcess> StartHelperProcess(const std::string& program) {
  std::function<uint32_t(HelperPipe&)> main;
  {
    std::lock_guard lock(registryMutex);
    auto found = Helpers().find(FileNamePart(program));
    if (found == Helpers().end()) return nullptr;
    main = found->second;
  }
  auto channel = std::make_shared<Channel>();
  std::thread([channel, main] {
    helperChannel = channel.get();
    MemoryHelperPipe pipe(channel);
    const uint32_t code = main(pipe);
    std::lock_guard lock(channel->mutex);
    channel->exited = true;
    channel->exitCode = code;
    channel->changed.notify_all();
  }).detach();
  return std::make_unique<MemoryHelperProcess>(channel);
}

std::unique_ptr<HelperPipe> PipeToViewer() { return nullptr; }

std::unique_ptr<SharedMemory> CreateSharedMemory(size_t size) {
  auto bytes = std::make_shared<std::vector<uint8_t>>(size == 0 ? 1 : size);
  const std::string name = "shared-" + std::to_string(++sharedSerial);
  std::lock_guard lock(sharedMutex);
  sharedBlocks[name] = bytes;
  return std::make_unique<MemorySharedBlock>(std::move(bytes), size, name);
}

std::unique_ptr<SharedMemory> OpenSharedMemory(const std::string& name, size_t size) {
  std::lock_guard lock(sharedMutex);
  auto found = sharedBlocks.find(name);
  if (found == sharedBlocks.end()) return nullptr;
  std::shared_ptr<std::vector<uint8_t>> bytes = found->second.lock();
  if (!bytes || bytes->size() < size) return nullptr;
  return std::make_unique<MemorySharedBlock>(std::move(bytes), size, name);
}

}  // namespace zeb
