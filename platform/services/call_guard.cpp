#include "platform/services/call_guard.h"

#include <cstdio>

namespace zeb {

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
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "exception 0x%08X", static_cast<unsigned>(code));
      return text;
    }
  }
}

}  // namespace zeb
