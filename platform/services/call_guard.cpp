#include "platform/services/call_guard.h"

#include <cstdio>

namespace zeb {

namespace {
// Per thread: whether a guarded call runs, and how many host callbacks of the innermost one run now.
thread_local bool inGuardedCall = false;
thread_local int hostCallbackDepth = 0;
}  // namespace

HostCallbackScope::HostCallbackScope() { ++hostCallbackDepth; }
HostCallbackScope::~HostCallbackScope() { --hostCallbackDepth; }

bool GuardTakesFault() { return inGuardedCall && hostCallbackDepth == 0; }

GuardedCallScope::GuardedCallScope()
    : outerInGuardedCall_(inGuardedCall), outerCallbackDepth_(hostCallbackDepth) {
  inGuardedCall = true;
  hostCallbackDepth = 0;
}

GuardedCallScope::~GuardedCallScope() {
  inGuardedCall = outerInGuardedCall_;
  hostCallbackDepth = outerCallbackDepth_;
}

std::string CrashKindName(uint32_t code) {
  switch (code) {
    case kAccessViolation:
      return "access violation";
    case kIllegalInstruction:
      return "illegal instruction";
    case kIntegerDivideByZero:
      return "integer divide by zero";
    case kStackOverflow:
      return "stack overflow";
    case kHeapCorruption:
      return "heap corruption";
    case kCallTimedOut:
      return "no answer in time";
    case kHostEnded:
      return "the plug-in host ended";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "exception 0x%08X", static_cast<unsigned>(code));
      return text;
    }
  }
}

}  // namespace zeb
