#include "app/program.h"

#include <memory>

#include "app/folder_read_ahead.h"
#include "app/main_window.h"
#include "app/model/viewer_model.h"
#include "app/read_ahead.h"
#include "platform/services/desktop.h"
#include "platform/services/file_system.h"
#include "platform/ui/forms.h"
#include "spi/spi_bitmap.h"

namespace zeb::app {

namespace {

// The screen a picture opened from outside is first decoded for: as large as most, so that the decode
// seldom begins again, and no larger, so that it holds few pixels more than a smaller screen needs.
constexpr int32_t kCommonScreenWidth = 1920, kCommonScreenHeight = 1200;

// The one name the command line gives after its switches, in full; "" when it gives none or several.
std::string OnlyName(const std::vector<std::string>& args) {
  size_t first = 0;
  for (; first < args.size(); ++first) {
    const SwitchKind kind = ParseSwitch(args[first]).kind;
    if (kind == SwitchKind::NotASwitch) break;
    if (kind == SwitchKind::EndOfSwitches) {
      ++first;
      break;
    }
  }
  return first + 1 == args.size() ? Files().ExpandFileName(args[first]) : std::string();
}

}  // namespace

int RunProgram(const std::vector<std::string>& args) {
  // The folders of the command line are listed from here on, while the window system starts and the
  // windows and plug-ins are made.
  FolderReadAhead folders;
  const std::vector<std::string> folderArguments = ListBuilder::FolderArguments(args);
  folders.Expect(folderArguments);
  // A picture opened from outside (the command line's one name) is decoded from here on too: the first
  // showing takes it (a folder, a list file or a name the walk spells otherwise is left to its step).
  // It is decoded for the whole screen, at least the room it is fitted into, so it holds no fewer
  // pixels than its own step would read. The window system can tell the screen's size only once it has
  // started (some 40 ms under Wine, while the decode could run): the decode begins for a common screen
  // and begins again for a larger one.
  ReadAhead pictures;
  if (const std::string name = OnlyName(args); !name.empty() && folderArguments.empty()) {
    pictures.Start(name, kCommonScreenWidth, kCommonScreenHeight);
    pictures.EnsureRoom(PrimaryScreenWidth(), PrimaryScreenHeight());
  }
  ui::Application& application = ui::App();
  application.SetTitle("ZEB ver.1.00β");
  // Plug-in extensions are registered with the plug-in picture class from the first window on.
  spi::InitializeSPIBitmap();
  // The plug-in hosts' processes start beside the first window, as the plug-in search needs them. When
  // a built-in reader decodes a picture opened alone, the search waits until it is shown, and the
  // hosts with it: a process started meanwhile slows the window's making.
  const bool searchFirst = pictures.Path().empty() || !PluginSearchMayWait(args);
  std::unique_ptr<spi::PluginHost> pluginHost;
  if (!PluginsInProcess(args)) {
    pluginHost = std::make_unique<spi::PluginHost>(PluginHostPath());
    if (searchFirst) pluginHost->StartBeside();
  }
  // zeb64.exe's 32-bit plug-ins run in the 32-bit host beside it, whatever runs the 64-bit ones.
  std::unique_ptr<spi::PluginHost> otherWidthHost;
  if (const std::string path = spi::OtherWidthHostPath(); !path.empty()) {
    otherWidthHost = std::make_unique<spi::PluginHost>(path);
    if (searchFirst) otherWidthHost->StartBeside();
  }
  int exitCode = 0;
  {
    // The program owns the model; the windows show it and act on it.
    ViewerModel model;
    std::unique_ptr<MainWindow> mainWindow;
    try {
      // Its construction searches the plug-ins and then starts, which builds the first list (a picture
      // opened alone that a built-in reader has decoded is shown first, the search after it).
      mainWindow = std::make_unique<MainWindow>(model, nullptr, nullptr, args, &folders, &pictures);
    } catch (const std::exception& error) {
      // An error before the main window starts (a plug-in lacking an export its kind needs) ends the
      // program after its message.
      application.ShowException(error);
      exitCode = 1;
    }
    if (mainWindow) {
      application.MainForm = mainWindow.get();
      application.Run();
      // A plug-in search made after the first showing may meet the error that ends the program.
      if (mainWindow->PluginSearchFailed()) exitCode = 1;
    }
    mainWindow.reset();
  }
  pluginHost.reset();
  otherWidthHost.reset();
  spi::FinalizeSPIBitmap();
  return exitCode;
}

}  // namespace zeb::app
