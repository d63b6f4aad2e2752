#include "platform/services/process_memory.h"

#include "platform/win32/windows_api.h"

namespace zeb {

uint64_t FreeAddressSpace() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  return GlobalMemoryStatusEx(&status) ? status.ullAvailVirtual : 0;
}

}  // namespace zeb
