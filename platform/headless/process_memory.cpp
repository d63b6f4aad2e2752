#include "platform/services/process_memory.h"

#include "platform/headless/headless.h"

namespace zeb {

uint64_t FreeAddressSpace() { return headless::Desktop().freeAddressSpace; }

namespace {
thread_local bool heapsDamaged = false;
}  // namespace

void headless::DamageHeaps() { heapsDamaged = true; }

bool ProcessHeapsIntact() { return !heapsDamaged; }

}  // namespace zeb
