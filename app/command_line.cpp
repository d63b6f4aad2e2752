// The command line: switches that set the viewer's state, then file, folder and list-file arguments
// that fill the first image list.
#include <algorithm>
#include <cstdint>

#include "app/main_window.h"
#include "platform/core/strings.h"
#include "platform/services/file_system.h"

namespace zeb::app {

namespace {

bool Has(const std::string& value, char letter) { return value.find(letter) != std::string::npos; }

// Reads a switch's number; a value that is no number, or one below Minimum, shows
// Message + "(" + value + ")".
bool ReadNumber(const std::string& value, const char* message, int32_t& number, int32_t minimum = INT32_MIN) {
  if (TryStrToInt(value, number) && number >= minimum) return true;
  ui::ShowMessageBox(std::string(message) + "(" + value + ")", ui::MessageKind::Error,
                     ui::MessageButtons::Ok);
  return false;
}

}  // namespace

CommandSwitch ParseSwitch(const std::string& arg) {
  if (arg.empty() || arg[0] != '-') return {SwitchKind::NotASwitch, {}};
  std::string value = arg.size() > 2 ? arg.substr(2) : std::string();
  char letter = arg.size() > 1 ? arg[1] : '\0';
  static constexpr struct {
    char letter;
    SwitchKind kind;
  } kLetters[] = {
      {'f', SwitchKind::Maximised},     {'D', SwitchKind::OpenInFolder}, {'w', SwitchKind::Width},
      {'h', SwitchKind::Height},        {'P', SwitchKind::Placement},    {'s', SwitchKind::SlideShow},
      {'i', SwitchKind::Interval},      {'l', SwitchKind::Loop},         {'t', SwitchKind::Pause},
      {'W', SwitchKind::Wallpaper},     {'H', SwitchKind::Minimised},    {'S', SwitchKind::Enlarge},
      {'r', SwitchKind::Random},        {'q', SwitchKind::Quit},         {'I', SwitchKind::InProcess},
      {'-', SwitchKind::EndOfSwitches},
  };
  for (const auto& entry : kLetters)
    if (entry.letter == letter) return {entry.kind, value};
  return {SwitchKind::Unknown, value};
}

std::string PluginHostPath() { return FolderPart(Files().ProgramFileName()) + spi::kPluginHostProgram; }

bool PluginsInProcess(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    const SwitchKind kind = ParseSwitch(arg).kind;
    if (kind == SwitchKind::InProcess) return true;
    if (kind == SwitchKind::NotASwitch || kind == SwitchKind::EndOfSwitches) return false;
  }
  return false;
}

void MainWindow::ApplySwitch(const CommandSwitch& sw, StartOptions& options) {
  const std::string& v = sw.value;
  ViewerModes& modes = model_.modes;
  int32_t number = 0;
  switch (sw.kind) {
    case SwitchKind::Maximised:
      modes.placement = placement::kMaximised;
      SetWindowState(ui::ShowState::Maximised);
      break;
    case SwitchKind::OpenInFolder:
      options.openInFolder = true;
      break;
    case SwitchKind::Width:
      modes.box.fixedWidth = true;
      if (!v.empty() && ReadNumber(v, "Width指定が異常です。", number, 1)) modes.box.width = number;
      break;
    case SwitchKind::Height:
      modes.box.fixedHeight = true;
      if (!v.empty() && ReadNumber(v, "Height指定が異常です。", number, 1)) modes.box.height = number;
      break;
    case SwitchKind::Placement:
      if (Has(v, 'r')) modes.placement = (modes.placement | placement::kRight) & ~placement::kLeft;
      if (Has(v, 'l')) modes.placement = (modes.placement | placement::kLeft) & ~placement::kRight;
      if (Has(v, 'b')) modes.placement = (modes.placement | placement::kBottom) & ~placement::kTop;
      if (Has(v, 't')) modes.placement = (modes.placement | placement::kTop) & ~placement::kBottom;
      if (Has(v, 'c')) modes.placement = placement::kCentre;
      break;
    case SwitchKind::SlideShow:
      options.startSlideShow = true;
      if (Has(v, 'f')) modes.slideDirection = SlideDirection::Forward;
      if (Has(v, 'b')) modes.slideDirection = SlideDirection::Backward;
      if (Has(v, 'r')) modes.slideDirection = SlideDirection::Random;
      break;
    case SwitchKind::Interval:
      // No range check: the timer takes the number as it is.
      if (ReadNumber(v, "Interval指定が異常です。", number))
        slideTimer.SetInterval(static_cast<uint32_t>(number));
      break;
    case SwitchKind::Loop:
      modes.loop = true;
      break;
    case SwitchKind::Pause:
      modes.pauseWhileLoading = false;
      if (Has(v, 'r')) modes.pauseWhileLoading = true;
      if (Has(v, 'n')) modes.pauseWhileLoading = false;
      break;
    case SwitchKind::Wallpaper:
      modes.wallpaper.on = true;
      if (Has(v, 's')) modes.wallpaper.asShown = true;
      if (Has(v, 'z')) modes.wallpaper.layout = WallpaperLayout::Stretch;
      if (Has(v, 't')) modes.wallpaper.layout = WallpaperLayout::Tile;
      if (Has(v, 'c')) modes.wallpaper.layout = WallpaperLayout::Centre;
      break;
    case SwitchKind::Minimised:
      run.minimised = true;
      break;
    case SwitchKind::Enlarge:
      modes.enlargeSmall = true;
      break;
    case SwitchKind::Random:
      options.randomStart = true;
      break;
    case SwitchKind::Quit:
      modes.quitAtEnd = true;
      break;
    case SwitchKind::InProcess:  // taken before the plug-ins are searched (PluginsInProcess)
    case SwitchKind::EndOfSwitches:
    case SwitchKind::Unknown:
    case SwitchKind::NotASwitch:
      break;
  }
}

std::string MainWindow::AddFileArguments(const std::vector<std::string>& args, size_t index,
                                         const StartOptions& options) {
  return builder_.AddArguments(args, index, options.openInFolder);
}

void MainWindow::SelectFile(const std::string& fileName) {
  model_.SelectEntry(Files().ExpandFileName(fileName));
}

}  // namespace zeb::app
