// The main window's construction and destruction, and the start that fills the first image list.
#include "app/main_window.h"

#include <cstdlib>
#include <ctime>

#include "app/blank_picture.h"
#include "app/commands/commands.h"
#include "app/dialogs/help_window.h"
#include "app/dialogs/jump_dialog.h"
#include "app/dialogs/list_window.h"
#include "app/model/random_pick.h"
#include "platform/core/strings.h"
#include "spi/spi_handlers.h"

namespace zeb::app {

MainWindow::MainWindow(ViewerModel& model, JumpDialog* jumpDialog, ListWindow* listWindow,
                       std::vector<std::string> args, FolderReadAhead* folders, ReadAhead* pictures)
    : Window(ui::BorderStyle::Single, "ImageView", 200, 200),
      picture(*this),
      slideTimer(*this),
      readAheadTimer(*this),
      blankPicture_(*this),
      model_(model),
      jumpDialog_(jumpDialog),
      listWindow_(listWindow),
      ownReadAhead_(pictures ? nullptr : std::make_unique<ReadAhead>()),
      readAhead_(pictures ? *pictures : *ownReadAhead_),
      ownFolderReadAhead_(folders ? nullptr : std::make_unique<FolderReadAhead>()),
      folderReadAhead_(folders ? *folders : *ownFolderReadAhead_) {
  if (!ui::App().MainForm) ui::App().MainForm = this;
  if (listWindow_) TheListWindow();

  SetAnySize(true);  // the window fits itself to the picture, however narrow
  blankPicture_.SetVisible(false);
  blankPicture_.Content().SetGraphic(MakeBlankPicture());
  picture.SetBounds(0, 0, 200, 200);
  picture.SetAlignClient(true);
  picture.OnProgress = [this](Image*, ProgressStage stage, uint8_t, bool, const PixelRect&,
                              const std::string&) { OnPictureProgress(stage); };
  for (ui::OpenFileDialog* dialog : {static_cast<ui::OpenFileDialog*>(&openListDialog_),
                                     static_cast<ui::OpenFileDialog*>(&saveListDialog_)}) {
    dialog->Filter = "ImageList(*.zeb)|*.zeb";
    dialog->DefaultExt = "zeb";
  }
  slideTimer.SetEnabled(false);
  slideTimer.SetInterval(2500);
  slideTimer.OnTimer = [this] { Run(Command::SlideStep); };
  readAheadTimer.SetEnabled(false);
  readAheadTimer.SetInterval(1);
  readAheadTimer.OnTimer = [this] {
    readAheadTimer.SetEnabled(false);
    ReadNextAhead();
  };
  OnKeyDown = [this](uint16_t& key, ui::ModifierKeys shift) { OnKey(key, shift); };
  OnMove = [this] { OnMoved(); };
  // On a screen of other scaling the picture keeps its zoom: one picture pixel per screen pixel at 100%.
  OnDpiChanged = [this] { OnScreenScalingChanged(); };
  OnDropFiles = [this](const std::vector<std::string>& paths, ui::ModifierKeys shift) {
    OnDroppedFiles(paths, shift);
  };

  MakePluginHost(args);
  // A picture opened from outside that a built-in reader has decoded needs no plug-in: it is shown as
  // soon as the window exists, and the plug-ins are searched once it is drawn (see SearchPlugins).
  if (!readAhead_.Path().empty() && PluginSearchMayWait(args)) {
    earlyPictureName_ = readAhead_.Path();
    earlyPicture_ = readAhead_.Take(earlyPictureName_);
  }
  heldTimer_.SetEnabled(false);
  heldTimer_.SetInterval(1);
  heldTimer_.OnTimer = [this] { RunHeld(); };
  if (earlyPicture_) {
    pluginSearchPending_ = true;
    pluginSearchTimer_.SetInterval(1);
    pluginSearchTimer_.OnTimer = [this] {
      pluginSearchTimer_.SetEnabled(false);
      SearchPlugins();
    };
  } else {
    SearchPlugins();
  }

  ui::App().Guard([this, &args] { Start(std::move(args)); });
  earlyPicture_.reset();  // not shown when the list spells its name otherwise
  // A start that an error ended before the window showed (a wallpaper that cannot be written) still
  // leaves the window shown.
  if (pluginSearchPending_ && !run.minimised && !Visible() && !ui::App().Terminated()) Show();
  if (pluginSearchPending_) pluginSearchTimer_.SetEnabled(true);
}

bool PluginSearchMayWait(const std::vector<std::string>& args) {
  // -I loads the plug-ins in process, -D lists the picture's folder by the plug-ins' extensions, and -q
  // may end before the search would report its errors: these keep the search first.
  if (PluginsInProcess(args)) return false;
  for (const std::string& arg : args) {
    const SwitchKind kind = ParseSwitch(arg).kind;
    if (kind == SwitchKind::NotASwitch || kind == SwitchKind::EndOfSwitches) break;
    if (kind == SwitchKind::OpenInFolder || kind == SwitchKind::Quit) return false;
  }
  return true;
}

bool MainWindow::Hold(std::function<void()> action, bool duringPluginCall) {
  if (!pluginSearchPending_ && !(duringPluginCall && WaitingForPlugin())) return false;
  held_.push_back(std::move(action));
  // Held during a call: run once the call is over (the search runs its own at its end).
  if (!pluginSearchPending_) heldTimer_.SetEnabled(true);
  return true;
}

void MainWindow::RunHeld() {
  // Not inside another command either (a message box it shows lets the timer tick).
  if (pluginSearchPending_ || WaitingForPlugin() || commandDepth_ > 0) {
    heldTimer_.SetEnabled(!held_.empty() && !pluginSearchPending_);  // it looks again
    return;
  }
  heldTimer_.SetEnabled(false);
  std::vector<std::function<void()>> held = std::move(held_);
  held_.clear();
  for (const std::function<void()>& action : held) {
    if (ui::App().Terminated()) break;
    ui::App().Guard(action);
  }
}

std::unique_ptr<Image> MainWindow::TakeEarlyPicture(const std::string& entry) {
  if (!earlyPicture_ || entry != earlyPictureName_) return nullptr;
  return std::move(earlyPicture_);
}

void MainWindow::SearchPlugins() {
  // The plug-in manager searches the plug-in folders and registers the extensions of the import
  // filters it keeps; only import filters are kept, and no filter may claim every extension. The
  // plug-ins load in the plug-in host, unless -I keeps them in process.
  plugins = std::make_unique<spi::PluginManager>();
  plugins->SearchOptions = spi::SearchOption(spi::kSusieFolder) | spi::SearchOption(spi::kProgramFolder);
  plugins->OnSearch = [](spi::PluginManager*, spi::PluginModule* module, bool& accept) {
    spi::AcceptImportFiltersOnly(module, accept);
  };
  plugins->OnPictureRegister = [](spi::PluginManager*, spi::ImportModule*, const std::string& extension,
                                  const std::string&, const ImageFormat*& format) {
    spi::RefuseStarExtension(extension, format);
  };
  // One bad file in a plug-in folder must not keep the viewer from starting: its error is shown once
  // and the search goes on. Searches made later report such errors to their caller.
  plugins->OnLoadError = [](spi::PluginManager*, const std::string&, const std::exception& error) {
    ui::App().ShowException(error);
  };
  if (spi::PluginHost* host = otherWidthHost)
    plugins->OtherWidthModule = [host](const std::string& fileName) { return host->CreateModule(fileName); };
  if (!pluginSearchPending_) {
    plugins->Loaded();
    plugins->OnLoadError = nullptr;
    return;
  }
  // After the first showing: the keys, clicks and drops that come meanwhile wait for the search's end,
  // then run in their order with the plug-ins' extensions known. An error that would have kept the
  // viewer from starting (a plug-in lacking an export its kind needs) ends it after its message.
  try {
    plugins->Loaded();
  } catch (const std::exception& error) {
    pluginSearchPending_ = false;
    held_.clear();
    ui::App().ShowException(error);
    pluginSearchFailed_ = true;
    ui::App().Terminate();
    return;
  }
  plugins->OnLoadError = nullptr;
  BuildExtensionList();
  pluginSearchPending_ = false;
  RunHeld();
}

MainWindow::~MainWindow() {
  slideTimer.SetEnabled(false);
  readAheadTimer.SetEnabled(false);
  pluginSearchTimer_.SetEnabled(false);
  heldTimer_.SetEnabled(false);
  plugins.reset();
  ownPluginHost_.reset();
  ownOtherWidthHost_.reset();
  if (listWindow_) listWindow_->Attach(nullptr, nullptr, nullptr);
  if (ui::App().MainForm == this) ui::App().MainForm = nullptr;
}

void MainWindow::MakePluginHost(const std::vector<std::string>& args) {
  if (!PluginsInProcess(args)) {
    pluginHost = spi::CurrentPluginHost();
    if (!pluginHost) {
      ownPluginHost_ = std::make_unique<spi::PluginHost>(PluginHostPath());
      pluginHost = ownPluginHost_.get();
    }
  }
  otherWidthHost = spi::OtherWidthPluginHost();
  if (const std::string path = spi::OtherWidthHostPath(); !otherWidthHost && !path.empty()) {
    ownOtherWidthHost_ = std::make_unique<spi::PluginHost>(path);
    otherWidthHost = ownOtherWidthHost_.get();
  }
  // The viewer stays alive while a plug-in works: its window is drawn and Escape is heard (the keys
  // are kept from every other command meanwhile, see OnKey).
  for (spi::PluginHost* host : {pluginHost, otherWidthHost}) {
    if (!host) continue;
    host->Pump = [] { ui::App().ProcessMessages(); };
    host->Abandon = [] { return ui::App().Terminated(); };
  }
}

void MainWindow::Start(std::vector<std::string> args) {
  const InCommand inCommand(commandDepth_);
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  ui::App().OnRestore = [this] { OnRestored(); };
  ui::App().OnMinimize = [this] { OnMinimised(); };
  BuildExtensionList();

  StartOptions options;
  size_t first = 0;
  for (; first < args.size(); ++first) {
    CommandSwitch sw = ParseSwitch(args[first]);
    if (sw.kind == SwitchKind::NotASwitch) break;
    if (sw.kind == SwitchKind::EndOfSwitches) {
      ++first;
      break;
    }
    ApplySwitch(sw, options);
  }

  // The window shows at once what the list holds while it is built. A picture opened from outside is
  // the list at once: the window first shows when it is fitted to it.
  const bool showWhenFitted = earlyPicture_ && !run.minimised;
  if (run.minimised)
    ui::App().Minimize();
  else if (!showWhenFitted)
    Show();
  model_.current = 0;
  if (!showWhenFitted) ShowCurrent();

  std::string lastFile;
  try {
    lastFile = AddFileArguments(args, first, options);
  } catch (const std::exception& error) {
    // A list file that cannot be read stops the adding; the error is shown and the viewer goes on
    // with what has been added, so it is never left in the building state.
    run.building = false;
    ui::App().ShowException(error);
  }
  run.building = false;
  if (run.abortRequested) {
    ui::App().Terminate();
    return;
  }
  model_.Tidy();
  if (options.openInFolder && first < args.size()) SelectFile(lastFile);
  // The switches' slide show and random start are the commands the keys run; the first picture is then
  // shown once.
  ViewerContext context = Context();
  if (options.startSlideShow) RunCommand(context, Command::ToggleSlideShow);
  if (options.randomStart) RunCommand(context, Command::Random);
  ShowCurrent();
  if (showWhenFitted) Show();
  if (model_.modes.quitAtEnd)
    ui::App().Terminate();
  else
    AcceptFiles(true);
}

}  // namespace zeb::app
