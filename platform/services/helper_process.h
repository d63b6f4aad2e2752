// A helper process the viewer starts and talks to over a pipe of its own (the plug-in host), and blocks
// of memory two processes share (the pictures it hands back). Messages go whole over the pipe: each is
// its length (4 bytes, little-endian) and then its bytes. On Win32 the helper is an executable started
// with its end of a named pipe as its standard input and output; the headless build runs a helper
// function that tests register on a thread of its own, over pipes in memory.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zeb {

// A message larger than this is taken for a broken pipe.
constexpr uint32_t kLargestPipeMessage = 64u << 20;

enum class PipeWait : uint8_t { Done, TimedOut, Ended };

// The viewer's side: the helper process and its pipe.
class HelperProcess {
 public:
  virtual ~HelperProcess() = default;
  // False when the helper has gone.
  virtual bool WriteMessage(const std::vector<uint8_t>& message) = 0;
  // Waits at most Timeout for the next whole message. Ended: the helper has gone (or broke the framing).
  virtual PipeWait ReadMessage(std::vector<uint8_t>& message, std::chrono::milliseconds timeout) = 0;
  // Ends the helper at once (when it still runs) and waits for its end.
  virtual void Kill() = 0;
  // Once the pipe has ended: the code the process ended with (an exception's code when it died of one);
  // 0 when it is not known.
  virtual uint32_t ExitCode() = 0;
};

// Starts the helper program; nullptr when it cannot be started.
std::unique_ptr<HelperProcess> StartHelperProcess(const std::string& program);

// The helper's side of its pipe to the viewer.
class HelperPipe {
 public:
  virtual ~HelperPipe() = default;
  // Waits for the next message; false once the viewer has gone.
  virtual bool ReadMessage(std::vector<uint8_t>& message) = 0;
  virtual bool WriteMessage(const std::vector<uint8_t>& message) = 0;
  // Whether a message is waiting, without waiting for one.
  virtual bool HasMessage() = 0;
};

// The helper program's pipe to the viewer that started it (its standard input and output on Win32).
std::unique_ptr<HelperPipe> PipeToViewer();
// What the helper program does with it (the plug-in host's work, in spi/); returns its exit code.
uint32_t RunHelperProgram(HelperPipe& pipe);

// A block of memory shared between processes by name.
class SharedMemory {
 public:
  virtual ~SharedMemory() = default;
  virtual uint8_t* Data() = 0;
  virtual size_t Size() const = 0;
  // The name another process opens it by.
  virtual const std::string& Name() const = 0;
};

// A new zero-filled block with a name of its own; nullptr when there is no room for it.
std::unique_ptr<SharedMemory> CreateSharedMemory(size_t size);
// The block of that name, Size bytes of it; nullptr when there is none that large.
std::unique_ptr<SharedMemory> OpenSharedMemory(const std::string& name, size_t size);

}  // namespace zeb
