// Calls into foreign code (Susie plug-ins) that may crash. A guarded call runs on the calling thread; a
// hardware exception raised while it runs (an access violation, an illegal instruction, an integer
// divide by zero, a stack overflow, ...) ends the call instead of the process. Either way the
// floating-point control state (the x87 control word and the SSE MXCSR) is as it was before the call.
#pragma once

#include <cstdint>
#include <string>

namespace zeb {

// The exception codes a guarded call reports (the system's own values).
constexpr uint32_t kAccessViolation = 0xC0000005;
constexpr uint32_t kIllegalInstruction = 0xC000001D;
constexpr uint32_t kIntegerDivideByZero = 0xC0000094;
constexpr uint32_t kStackOverflow = 0xC00000FD;
constexpr uint32_t kHeapCorruption = 0xC0000374;
// How a call run in the plug-in host can end besides (values of this program's own, no exception's).
constexpr uint32_t kCallTimedOut = 0x2A000001;  // no answer within the call's time limit
constexpr uint32_t kHostEnded = 0x2A000002;     // the host process ended during the call

// Runs Body(Context). Returns 0 when it returned, else the code of the exception that ended it. A
// crashed call is left without unwinding: Body must hold nothing that needs destroying.
uint32_t RunGuardedCall(void (*body)(void* context), void* context);

template <class F>
uint32_t RunGuarded(F& body) {
  return RunGuardedCall([](void* context) { (*static_cast<F*>(context))(); }, &body);
}

// While the calling thread runs code of ours that a guarded call called back (a plug-in's progress
// callback), a fault there is ours, not the plug-in's: the guard lets it pass on as a crash of the viewer
// instead of ending the plug-in call, and abandons none of our frames. A guarded call made inside the
// callback guards its own plug-in again until it returns.
class HostCallbackScope {
 public:
  HostCallbackScope();
  ~HostCallbackScope();
  HostCallbackScope(const HostCallbackScope&) = delete;
  HostCallbackScope& operator=(const HostCallbackScope&) = delete;
};

// Whether a fault on the calling thread now is a guarded plug-in's: inside a guarded call and outside
// any callback of ours it made.
bool GuardTakesFault();

// For the implementations of RunGuardedCall: marks the calling thread as inside a guarded call, with no
// host callback running yet, until it goes (restoring the outer call's state).
class GuardedCallScope {
 public:
  GuardedCallScope();
  ~GuardedCallScope();
  GuardedCallScope(const GuardedCallScope&) = delete;
  GuardedCallScope& operator=(const GuardedCallScope&) = delete;

 private:
  bool outerInGuardedCall_;
  int outerCallbackDepth_;
};

// A short English name of an exception code ("access violation"), or "exception 0x..." for others.
std::string CrashKindName(uint32_t code);

}  // namespace zeb
