// The helper process on Win32: a named pipe (overlapped on the viewer's side, so that a read can wait a
// while and come back), whose other end the helper gets as its standard input and output; the shared
// blocks are named file mappings backed by the paging file.
#include "platform/services/helper_process.h"

#include <atomic>
#include <cstring>

#include "platform/win32/kill_on_close_job.h"
#include "platform/win32/utf16.h"
#include "platform/win32/windows_api.h"

namespace zeb {

namespace {

std::atomic<uint32_t> serial{0};

std::wstring UniqueName(const wchar_t* prefix) {
  return prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
}

// Whole messages cut from the bytes a pipe delivers.
bool TakeMessage(std::vector<uint8_t>& received, std::vector<uint8_t>& message, bool& broken) {
  if (received.size() < 4) return false;
  uint32_t length;
  std::memcpy(&length, received.data(), 4);
  if (length > kLargestPipeMessage) {
    broken = true;
    return false;
  }
  if (received.size() < 4 + size_t{length}) return false;
  message.assign(received.begin() + 4, received.begin() + 4 + length);
  received.erase(received.begin(), received.begin() + 4 + length);
  return true;
}

std::vector<uint8_t> Framed(const std::vector<uint8_t>& message) {
  std::vector<uint8_t> framed(4 + message.size());
  const uint32_t length = static_cast<uint32_t>(message.size());
  std::memcpy(framed.data(), &length, 4);
  if (!message.empty()) std::memcpy(framed.data() + 4, message.data(), message.size());
  return framed;
}

class Win32HelperProcess : public HelperProcess {
 public:
  Win32HelperProcess(HANDLE pipe, HANDLE process) : pipe_(pipe), process_(process) {
    readEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    writeEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~Win32HelperProcess() override {
    Kill();
    CloseHandle(readEvent_);
    CloseHandle(writeEvent_);
  }

  bool WriteMessage(const std::vector<uint8_t>& message) override {
    if (ended_) return false;
    const std::vector<uint8_t> framed = Framed(message);
    OVERLAPPED overlapped{};
    overlapped.hEvent = writeEvent_;
    DWORD written = 0;
    if (!WriteFile(pipe_, framed.data(), static_cast<DWORD>(framed.size()), nullptr, &overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
      return false;
    return GetOverlappedResult(pipe_, &overlapped, &written, TRUE) && written == framed.size();
  }

  PipeWait ReadMessage(std::vector<uint8_t>& message, std::chrono::milliseconds timeout) override {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
      bool broken = false;
      if (TakeMessage(received_, message, broken)) return PipeWait::Done;
      if (broken || ended_) return End();
      if (!pending_) {
        ZeroMemory(&readOverlapped_, sizeof readOverlapped_);
        readOverlapped_.hEvent = readEvent_;
        if (!ReadFile(pipe_, chunk_, sizeof chunk_, nullptr, &readOverlapped_) &&
            GetLastError() != ERROR_IO_PENDING)
          return End();
        pending_ = true;
      }
      const ULONGLONG now = GetTickCount64();
      const DWORD wait = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
      if (WaitForSingleObject(readEvent_, wait) != WAIT_OBJECT_0) return PipeWait::TimedOut;
      DWORD got = 0;
      pending_ = false;
      if (!GetOverlappedResult(pipe_, &readOverlapped_, &got, FALSE)) return End();
      received_.insert(received_.end(), chunk_, chunk_ + got);
    }
  }

  void Kill() override {
    if (process_) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 5000);
    }
    if (pipe_) {
      if (pending_) {
        CancelIo(pipe_);
        DWORD got;
        GetOverlappedResult(pipe_, &readOverlapped_, &got, TRUE);
        pending_ = false;
      }
      CloseHandle(pipe_);
      pipe_ = nullptr;
    }
    ended_ = true;
  }

  uint32_t ExitCode() override {
    if (!process_) return exitCode_;
    // The pipe ends as the process does; its code is there a moment later.
    WaitForSingleObject(process_, 2000);
    DWORD code = 0;
    if (GetExitCodeProcess(process_, &code) && code != STILL_ACTIVE) exitCode_ = code;
    return exitCode_;
  }

 private:
  PipeWait End() {
    ended_ = true;
    return PipeWait::Ended;
  }

  HANDLE pipe_;
  HANDLE process_;
  HANDLE readEvent_;
  HANDLE writeEvent_;
  OVERLAPPED readOverlapped_{};
  bool pending_ = false;
  bool ended_ = false;
  uint32_t exitCode_ = 0;
  uint8_t chunk_[65536];
  std::vector<uint8_t> received_;
};

class Win32HelperPipe : public HelperPipe {
 public:
  Win32HelperPipe(HANDLE in, HANDLE out) : in_(in), out_(out) {}
  bool ReadMessage(std::vector<uint8_t>& message) override {
    uint32_t length = 0;
    if (!ReadAll(&length, 4) || length > kLargestPipeMessage) return false;
    message.resize(length);
    return length == 0 || ReadAll(message.data(), length);
  }
  bool WriteMessage(const std::vector<uint8_t>& message) override {
    const std::vector<uint8_t> framed = Framed(message);
    DWORD written = 0;
    return WriteFile(out_, framed.data(), static_cast<DWORD>(framed.size()), &written, nullptr) &&
           written == framed.size();
  }
  bool HasMessage() override {
    DWORD available = 0;
    return PeekNamedPipe(in_, nullptr, 0, nullptr, &available, nullptr) && available >= 4;
  }

 private:
  bool ReadAll(void* data, DWORD size) {
    auto* p = static_cast<uint8_t*>(data);
    while (size > 0) {
      DWORD got = 0;
      if (!ReadFile(in_, p, size, &got, nullptr) || got == 0) return false;
      p += got;
      size -= got;
    }
    return true;
  }
  HANDLE in_;
  HANDLE out_;
};

class Win32SharedMemory : public SharedMemory {
 public:
  Win32SharedMemory(HANDLE mapping, uint8_t* view, size_t size, std::string name)
      : mapping_(mapping), view_(view), size_(size), name_(std::move(name)) {}
  ~Win32SharedMemory() override {
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
  }
  uint8_t* Data() override { return view_; }
  size_t Size() const override { return size_; }
  const std::string& Name() const override { return name_; }

 private:
  HANDLE mapping_;
  uint8_t* view_;
  size_t size_;
  std::string name_;
};

// The job the helpers run in. Its handle is the viewer's alone, so closing it with the viewer ends the
// helpers. (Under Wine, a helper whose viewer is killed while the helper starts would otherwise wait for
// ever.) Null when the system makes none: the helpers then run as they are.
HANDLE HelpersJob() {
  static const HANDLE job = win32::MakeKillOnCloseJob();
  return job;
}

}  // namespace

std::unique_ptr<HelperProcess> StartHelperProcess(const std::string& program) {
  const std::wstring pipeName = UniqueName(L"\\\\.\\pipe\\zeb-helper-");
  HANDLE server = CreateNamedPipeW(
      pipeName.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
  if (server == INVALID_HANDLE_VALUE) return nullptr;
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE client =
      CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr);
  if (client == INVALID_HANDLE_VALUE) {
    CloseHandle(server);
    return nullptr;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = client;
  startup.hStdOutput = client;
  startup.hStdError = nullptr;
  PROCESS_INFORMATION info{};
  std::wstring path = win32::Widen(program);
  std::wstring commandLine = L"\"" + path + L"\"";
  // Started held, so that it runs only once it is in the job.
  const BOOL started = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
  // Only the helper holds its end now: the pipe breaks when the helper ends.
  CloseHandle(client);
  if (!started) {
    CloseHandle(server);
    return nullptr;
  }
  if (HANDLE job = HelpersJob()) AssignProcessToJobObject(job, info.hProcess);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  return std::make_unique<Win32HelperProcess>(server, info.hProcess);
}

std::unique_ptr<HelperPipe> PipeToViewer() {
  return std::make_unique<Win32HelperPipe>(GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE));
}

std::unique_ptr<SharedMemory> CreateSharedMemory(size_t size) {
  const std::wstring name = UniqueName(L"Local\\zeb-shared-");
  const uint64_t size64 = size == 0 ? 1 : size;
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(size64 >> 32),
                         static_cast<DWORD>(size64), name.c_str());
  if (!mapping) return nullptr;
  auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!view) {
    CloseHandle(mapping);
    return nullptr;
  }
  return std::make_unique<Win32SharedMemory>(mapping, view, size, win32::Narrow(name));
}

std::unique_ptr<SharedMemory> OpenSharedMemory(const std::string& name, size_t size) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, win32::Widen(name).c_str());
  if (!mapping) return nullptr;
  auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size == 0 ? 1 : size));
  MEMORY_BASIC_INFORMATION region{};
  if (!view || !VirtualQuery(view, &region, sizeof region) || region.RegionSize < size) {
    if (view) UnmapViewOfFile(view);
    CloseHandle(mapping);
    return nullptr;
  }
  return std::make_unique<Win32SharedMemory>(mapping, view, size, name);
}

}  // namespace zeb
