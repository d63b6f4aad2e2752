#include "platform/win32/system_function.h"

#include <memory>
#include <string>

#include "platform/services/background.h"

namespace zeb::win32 {

HMODULE SystemLibrary(const wchar_t* library) {
  if (HMODULE loaded = GetModuleHandleW(library)) return loaded;
  // By its full path, so that a file of that name beside the program or in the current folder is never
  // taken for it.
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, length) + L"\\" + library).c_str());
}

namespace {

std::shared_ptr<BackgroundJob>& ShellLoading() {
  static std::shared_ptr<BackgroundJob> job;
  return job;
}

}  // namespace

void StartLoadingShellLibraries() {
  std::shared_ptr<BackgroundJob>& job = ShellLoading();
  if (job) return;
  job = std::make_shared<BackgroundJob>([](const CancelToken&) { SystemLibrary(L"shell32.dll"); });
  StartInBackground(job);
}

void FinishLoadingShellLibraries() {
  if (const std::shared_ptr<BackgroundJob>& job = ShellLoading()) {
    job->Cancel();
    job->RunHereOrWait();
  }
}

}  // namespace zeb::win32
