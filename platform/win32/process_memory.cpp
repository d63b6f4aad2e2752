#include "platform/services/process_memory.h"

#include "platform/win32/windows_api.h"

namespace zeb {

uint64_t FreeAddressSpace() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  return GlobalMemoryStatusEx(&status) ? status.ullAvailVirtual : 0;
}

bool ProcessHeapsIntact() {
  HANDLE heaps[256];
  const DWORD count = GetProcessHeaps(256, heaps);
  for (DWORD i = 0; i < count && i < 256; ++i)
    if (!HeapValidate(heaps[i], 0, nullptr)) return false;
  return true;
}

}  // namespace zeb
