// The plug-in host process's work: it loads the plug-ins the viewer names and runs their calls under the
// in-process guard, one request at a time, until the viewer goes. A call that crashed, or that left a
// heap of the process damaged, is answered "crashed" and the host ends: whatever the plug-in broke goes
// with it, and the viewer starts a fresh host for the next call.
#pragma once

#include <cstdint>

#include "platform/services/helper_process.h"

namespace zeb::spi {

// Serves the viewer over Pipe; returns the process's exit code (0 when the viewer went, else the code
// of the crash that ended it).
uint32_t ServePluginHost(HelperPipe& pipe);

}  // namespace zeb::spi
