// Telling the user that a plug-in crashed: one message per module, the first time, once the picture's
// load has ended and no slide show runs (a show keeps the reports until it stops).
#pragma once

#include "spi/spi_manager.h"

namespace zeb::app {

// The text of the message for one report.
std::string PluginCrashText(const spi::PluginCrashReport& report);
// Shows the waiting reports, one message box each, unless a slide show is running.
void ShowPluginCrashReports(spi::PluginManager* spis, bool slideShowRunning);

}  // namespace zeb::app
