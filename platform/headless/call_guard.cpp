// The headless guard: a fake plug-in "crashes" by calling SimulateCrash, which leaves its code at once
// (by a marker exception only this guard catches), as a hardware exception leaves a real plug-in. The
// floating-point environment is saved and restored around every call, as on Win32.
#include <cfenv>

#include "platform/headless/headless.h"
#include "platform/services/call_guard.h"

namespace zeb {

namespace headless {

namespace {
struct SimulatedCrash {
  uint32_t code;
};
}  // namespace

void SimulateCrash(uint32_t code) { throw SimulatedCrash{code}; }

}  // namespace headless

uint32_t RunGuardedCall(void (*body)(void* context), void* context) {
  std::fenv_t environment;
  std::fegetenv(&environment);
  uint32_t code = 0;
  GuardedCallScope scope;
  try {
    body(context);
  } catch (const headless::SimulatedCrash& crash) {
    code = crash.code;
  }
  std::fesetenv(&environment);
  return code;
}

}  // namespace zeb
