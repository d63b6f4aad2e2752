#include "platform/services/process_memory.h"

#include "platform/headless/headless.h"

namespace zeb {

uint64_t FreeAddressSpace() { return headless::Desktop().freeAddressSpace; }

}  // namespace zeb
