// The guard around calls into plug-in code, on the guard frame of the architecture
// (platform/win32/guard_frame.h): what both builds do before and after the call.
#include "platform/services/call_guard.h"

#include <algorithm>

#include "platform/win32/guard_frame.h"
#include "platform/win32/windows_api.h"

namespace zeb {

namespace {

bool HasSse() {
  static const bool sse = IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE) != 0;
  return sse;
}

// The stack kept free below the guard page for the dispatch of a stack overflow. The system's own room
// (a page or two) is too little for x86-64's table-based dispatch under Wine; 32 KB is a small part of a
// thread's stack.
constexpr ULONG kStackGuarantee = 32 * 1024;

// Keeps a guard page on this thread's stack above the guaranteed room, so that a stack overflow is raised
// while that room is still free for its dispatch. The system keeps the room (SetThreadStackGuarantee) as
// the stack grows into its guard page, each fault moving the guard a page down until it reaches the room;
// a guard page already above the room is left as it is. Otherwise (a new thread under Wine, whose only
// guard page is the stack's last one, or after an overflow, which leaves none) the page just above the
// room becomes the guard: only a stack that deep ever touches it. Checked before every guarded call (a few
// queries of the stack's pages).
void ArmStackGuard() {
  ULONG guarantee = kStackGuarantee;
  SetThreadStackGuarantee(&guarantee);
  guarantee = std::max(guarantee, kStackGuarantee);
  MEMORY_BASIC_INFORMATION here;
  if (!VirtualQuery(&here, &here, sizeof here)) return;
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const uintptr_t pageSize = system.dwPageSize;
  const uintptr_t lowest = reinterpret_cast<uintptr_t>(here.AllocationBase) + 2 * pageSize + guarantee;
  const uintptr_t current = reinterpret_cast<uintptr_t>(&here) & ~(pageSize - 1);
  for (uintptr_t p = lowest; p < current;) {
    MEMORY_BASIC_INFORMATION region;
    if (!VirtualQuery(reinterpret_cast<void*>(p), &region, sizeof region)) return;
    if (region.State == MEM_COMMIT && (region.Protect & PAGE_GUARD)) return;  // guarded
    p = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  if (lowest < current)
    VirtualAlloc(reinterpret_cast<void*>(lowest), pageSize, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD);
}

}  // namespace

uint32_t RunGuardedCall(void (*body)(void* context), void* context) {
  uint16_t controlWord;
  uint32_t mxcsr = 0;
  asm volatile("fnstcw %0" : "=m"(controlWord));
  if (HasSse()) asm volatile("stmxcsr %0" : "=m"(mxcsr));
  ArmStackGuard();
  uint32_t code;
  {
    GuardedCallScope scope;
    code = RunInGuardFrame(body, context);
  }
  // A clean x87 unit (a crash may leave values on its register stack) with the caller's control word.
  asm volatile("fninit\n\tfldcw %0" : : "m"(controlWord));
  if (HasSse()) asm volatile("ldmxcsr %0" : : "m"(mxcsr));
  return code;
}

}  // namespace zeb
