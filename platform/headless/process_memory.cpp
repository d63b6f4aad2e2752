#include "platform/services/process_memory.h"

#include "platform/headless/headless.h"

namespace zeb {

uint64_t FreeAddressSpace() { return headless::Desktop().freeAddressSpace; }

bool ProcessHeapsIntact() { return !headless::Desktop().heapsDamaged; }

}  // namespace zeb
