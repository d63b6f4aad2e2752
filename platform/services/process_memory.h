// The process's own memory, as far as the viewer plans with it.
#pragma once

#include <cstdint>

namespace zeb {

// The address space the process has left (a 32-bit process has 2 GB in all, or 4 GB when it may use
// large addresses on a 64-bit system).
uint64_t FreeAddressSpace();

// Whether every heap of the process passes the system's check of its blocks: false once something wrote
// past a block or freed one twice (as far as the check can see).
bool ProcessHeapsIntact();

}  // namespace zeb
