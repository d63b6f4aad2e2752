#include "app/plugin_crash_report.h"

#include "platform/core/strings.h"
#include "platform/services/call_guard.h"
#include "platform/ui/dialogs.h"

namespace zeb::app {

std::string PluginCrashText(const spi::PluginCrashReport& report) {
  const std::string picture = report.pictureFile.empty() ? "a picture" : report.pictureFile;
  return FormatText(
      "The plug-in %s crashed (%s) while reading %s.\r\n\r\nThe other plug-ins and the built-in formats were "
      "tried instead. Further crashes of this plug-in are not reported; after %s crashes it is not used "
      "again until ZEB restarts.",
      {report.pluginFile, CrashKindName(report.code), picture, IntToStr(spi::kCrashesBeforeRetiring)});
}

void ShowPluginCrashReports(spi::PluginManager* spis, bool slideShowRunning) {
  if (!spis || slideShowRunning) return;
  for (const spi::PluginCrashReport& report : spis->TakeCrashReports())
    ui::ShowMessageBox(PluginCrashText(report), ui::MessageKind::Warning, ui::MessageButtons::Ok);
}

}  // namespace zeb::app
