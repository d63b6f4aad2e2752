// The architecture's part of the guard around plug-in calls (platform/win32/call_guard.cpp): a frame
// on the calling thread's stack that the system's exception dispatch reaches after the plug-in's own
// handlers, and that ends the call there without unwinding the plug-in's frames. 32-bit Windows
// registers such frames on a chain in the thread's data (guard_frame_x86.cpp); x86-64 finds them through
// the unwind tables of the code on the stack (guard_frame_x64.cpp).
#pragma once

#include <cstdint>

namespace zeb {

// Runs Body(Context) in a guard frame. Returns 0 when it returned, else the code of the exception that
// ended it (the x87 and SSE control state are the caller's to restore).
uint32_t RunInGuardFrame(void (*body)(void* context), void* context);

}  // namespace zeb
