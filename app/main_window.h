// The main window: shows the current entry of the viewer's model, fitted to the picture, with the
// title bar as its status line. Its doors (keys, drops, the List window, the slide show's tick) run the
// commands (app/commands/), and it shows once what they changed; its own files are by concern (start-up
// and switches, the builder's progress, showing, fitting, title, wallpaper, the list-file dialogs).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/commands/command.h"
#include "app/commands/viewer_context.h"
#include "app/model/viewer_model.h"
#include "app/folder_read_ahead.h"
#include "app/list/list_builder.h"
#include "app/read_ahead.h"
#include "app/slide_show.h"
#include "app/view/fit.h"
#include "platform/graphics/graphic.h"
#include "platform/services/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "spi/plugin_host.h"
#include "spi/spi_manager.h"

namespace zeb::app {

class HelpWindow;
class JumpDialog;
class ListWindow;

// What one command-line argument is: the 16 switches, an unknown switch, or no switch.
enum class SwitchKind : uint8_t {
  Maximised,      // -f
  OpenInFolder,   // -D
  Width,          // -w
  Height,         // -h
  Placement,      // -P
  SlideShow,      // -s
  Interval,       // -i
  Loop,           // -l
  Pause,          // -t
  Wallpaper,      // -W
  Minimised,      // -H
  Enlarge,        // -S
  Random,         // -r
  Quit,           // -q
  InProcess,      // -I: plug-ins run in the viewer's process, not in the plug-in host
  EndOfSwitches,  // --
  Unknown,        // "-" with any other letter, or "-" alone
  NotASwitch,     // the first file argument
};

struct CommandSwitch {
  SwitchKind kind;
  std::string value;  // the argument from its third character on
};

// Options that matter only while the first list is built.
struct StartOptions {
  bool openInFolder = false;
  bool startSlideShow = false;
  bool randomStart = false;
};

struct ShownPicture {
  std::string name;
  double zoom = 0;
  view::ViewTransform transform;
};

// The CommandSwitch one command-line argument is.
CommandSwitch ParseSwitch(const std::string& arg);
// Whether the switches of the command line (before its first file argument) hold -I.
bool PluginsInProcess(const std::vector<std::string>& args);
// Whether the switches let the plug-in search wait until a picture opened from outside is first shown
// (the window does so when a built-in reader decoded it from the program's start).
bool PluginSearchMayWait(const std::vector<std::string>& args);
// The plug-in host program, beside the viewer's.
std::string PluginHostPath();

class MainWindow : public ui::Window, private ViewerWindow {
 public:
  // Makes the controls and the plug-in manager (which searches and registers the plug-ins), then
  // starts with these command-line arguments (the program's name not among them). An error before
  // the start leaves the constructor; one while starting goes to the application's error handler and
  // the window is still made. Folders, when given, lists folders ahead of the scans: the program
  // starts listing the command line's folders before the windows are made. Pictures, when given, reads
  // the pictures ahead: the program starts decoding a picture opened from outside before then. The Jump
  // dialog and the List window, when not given, are made when first needed.
  MainWindow(ViewerModel& model, JumpDialog* jumpDialog, ListWindow* listWindow,
             std::vector<std::string> args, FolderReadAhead* folders = nullptr,
             ReadAhead* pictures = nullptr);
  ~MainWindow() override;

  ViewerModel& Model() { return model_; }
  // Builds the model's list from arguments, folders, drops and list files.
  ListBuilder& Builder() { return builder_; }

  // Runs a command and shows once what it changed. Keys come through the window's key event (the List
  // window forwards its keys there), the slide show's ticks and the List window's clicks through here.
  void Run(Command command, const CommandInput& input = {});

  // What is shown: the name in the title (the entry's file name, or its full path once the list spans
  // folders), the zoom (1 for natural size) and how it is viewed.
  const ShownPicture& Shown() const { return shown_; }
  // How the picture shown is viewed: the identity for each picture shown. Setting it fits again.
  void SetTransform(const view::ViewTransform& transform);
  // The entry being read ahead, or "".
  std::string ReadingAhead() const { return readAhead_.Path(); }
  // The key help (F1), made when it is first asked for.
  HelpWindow* Help() const { return help_.get(); }
  // Whether the plug-in search made after the first showing met an error that ends the viewer.
  bool PluginSearchFailed() const { return pluginSearchFailed_; }

  ui::PictureControl picture;  // the picture shown
  ui::Timer slideTimer;
  // Fires once the window's messages are all handled after a picture was shown: then the next entry
  // is read ahead.
  ui::Timer readAheadTimer;
  // The process the plug-ins run in (the program's, or one of the window's own); none when they run in
  // the viewer's own (-I). In zeb64.exe the 32-bit plug-ins run in the 32-bit host, -I or not, when it
  // is beside the program.
  spi::PluginHost* pluginHost = nullptr;
  spi::PluginHost* otherWidthHost = nullptr;
  std::unique_ptr<spi::PluginManager> plugins;
  RunState run;
  // How often a long scan lets window messages through and shows its progress in the title. Tests
  // set both to zero to see every step.
  struct BuildPacing {
    std::chrono::milliseconds pump{30};
    std::chrono::milliseconds title{100};
  } pacing;

 private:
  void Start(std::vector<std::string> args);
  void OnKey(uint16_t& key, ui::ModifierKeys shift);
  // Shows the model's current entry; an entry that cannot be read leaves the list and the one that
  // takes its place is tried, until one loads or the list is empty.
  void ShowCurrent();
  // Runs the commands that waited while unreadable entries were being dropped, in the order they came.
  void RunWaitingCommands();
  void UpdateTitle();
  // Fits the window to the picture. KEEP_PLACE leaves the window where it is (the system has just put
  // it on a screen of its choice).
  void FitToPicture(bool keepPlace = false);
  // The window moved to a screen of other scaling: the size is fitted again, the system's place kept.
  void OnScreenScalingChanged() { FitToPicture(true); }
  // What the fit works from, as it stands now (the shell is asked for the taskbar once). A fixed box
  // larger than the room is first made the room's size in the model: the one change the fit makes.
  view::FitInputs FitInputsNow(bool keepPlace = false);
  // The room a picture is fitted into when it is first shown: upright (see Image::SetLargestDrawSize).
  view::Size PictureRoom();
  void OnDroppedFiles(const std::vector<std::string>& paths, ui::ModifierKeys shift);
  ViewerContext Context() { return {model_, builder_, slideShow_, run, *this}; }
  // Shows what commands changed: the picture (and with it the title), or the title alone; then the
  // plug-in crashes met on the way are told, outside any loop over the list.
  void Apply(Changes changes);
  // The window-side operations of the commands.
  void CloseViewer() override { Close(); }
  void ShowStatus(const std::string& text) override { SetCaption(text); }
  void MoveWindowBy(int32_t dx, int32_t dy) override;
  void Refit() override { FitToPicture(); }
  void TurnBy(int32_t quarterTurns) override;
  view::Size ShownSize() const override { return {picture.Width(), picture.Height()}; }
  void ToggleListWindow() override;
  // F1: the key help, made when it is first asked for.
  void ToggleHelp() override;
  bool AskNumber(NumberQuestion question, const std::string& preset, std::string& answer) override;
  bool ChooseListToOpen(std::string& path) override;
  bool ChooseListToSave(std::string& path) override;
  bool ConfirmOverwrite(const std::string& path) override;
  void ToggleWallpaperMode() override;
  void SetWallpaper() override;
  // Wallpaper mode's part of showing a picture.
  void SetWallpaperOfShown();
  // Loads the entry's picture, or takes it from the read-ahead. Room is the room it is fitted into,
  // asked for the first time it is needed.
  void LoadPicture(const std::string& entry, std::optional<view::Size>& room);
  // Reads ahead the entry the next step will show: in the slide show's direction while it runs (none
  // for random steps), else in the direction of the last step.
  void ReadNextAhead();
  void BuildExtensionList();
  // Applies one switch to the modes (shows the message of a bad number).
  void ApplySwitch(const CommandSwitch& sw, StartOptions& options);
  // Adds the file arguments from Index on; returns the last file argument.
  std::string AddFileArguments(const std::vector<std::string>& args, size_t index,
                               const StartOptions& options);
  void SelectFile(const std::string& fileName);
  void OnPictureProgress(ProgressStage stage);
  void OnMinimised();
  void OnRestored();
  // The window has moved: a visible docked List window follows.
  void OnMoved();
  // Sets the caption while the list is being built: during a folder scan at most once per
  // titleInterval.
  void ShowBuildProgress(const std::string& text, bool inWalk);
  // Lets window messages through when pumpInterval has passed (or Force); true when it did.
  bool PumpMessages(bool force);
  // What the builder tells the window: the title, the pumping and Escape.
  BuildProgress ProgressOfBuild();
  // Takes the program's plug-in hosts, or makes them, the own width's unless the command line runs the
  // plug-ins in process. While a plug-in call waits for the host, window messages go through, Escape ends the
  // wait and the program, and no other key, tick or click runs a command.
  void MakePluginHost(const std::vector<std::string>& args);
  bool WaitingForPlugin() const { return spi::PluginCallWaiting(); }
  // Makes the plug-in manager and searches the plug-ins (reporting their load errors); after the first
  // showing it then runs what was held meanwhile.
  void SearchPlugins();
  // Holds an action of the keys, clicks or drops until the plug-ins are searched, or (DuringPluginCall)
  // until the plug-in call that waits is over; false when it may run now.
  bool Hold(std::function<void()> action, bool duringPluginCall);
  // Runs what was held, unless the search or a plug-in call still waits.
  void RunHeld();
  // The picture decoded from the program's start, taken by the first showing of its name.
  std::unique_ptr<Image> TakeEarlyPicture(const std::string& entry);

  ui::PictureControl blankPicture_;  // hidden: the picture shown for an empty list
  ui::OpenFileDialog openListDialog_;
  ui::SaveFileDialog saveListDialog_;
  ViewerModel& model_;
  JumpDialog* jumpDialog_;
  std::unique_ptr<JumpDialog> ownJumpDialog_;  // when none was given, made by the first question
  ListWindow* listWindow_;
  std::unique_ptr<ListWindow> ownListWindow_;  // when none was given, made by its first showing
  // The List window, attached to this one; made when none was given.
  ListWindow& TheListWindow();
  bool ListWindowShown() const;
  ExtensionSet extensions_;
  ShownPicture shown_;
  std::unique_ptr<ReadAhead> ownReadAhead_;  // when none was given
  ReadAhead& readAhead_;
  SlideShow slideShow_{slideTimer};
  std::unique_ptr<HelpWindow> help_;

  std::chrono::steady_clock::time_point lastPump_{};
  std::chrono::steady_clock::time_point scanNow_{};  // the clock as the scan last read it
  std::chrono::steady_clock::time_point lastTitle_{};
  bool runningWaiting_ = false;
  // A picture opened from outside is shown before the plug-ins are searched: the search waits for the
  // first idle moment after it, and what the doors ask meanwhile waits for the search.
  ui::Timer pluginSearchTimer_{*this};
  bool pluginSearchPending_ = false;
  bool pluginSearchFailed_ = false;
  std::vector<std::function<void()>> held_;
  ui::Timer heldTimer_{*this};  // runs what a plug-in call's wait held
  // How many commands (keys, door commands, the start) are running, one inside another.
  int commandDepth_ = 0;
  struct InCommand {
    int& depth;
    explicit InCommand(int& d) : depth(d) { ++depth; }
    ~InCommand() { --depth; }
  };
  std::unique_ptr<Image> earlyPicture_;
  std::string earlyPictureName_;
  std::unique_ptr<FolderReadAhead> ownFolderReadAhead_;  // when none was given
  std::unique_ptr<spi::PluginHost> ownPluginHost_;       // when the program made none
  std::unique_ptr<spi::PluginHost> ownOtherWidthHost_;   // the same for the other width's
  FolderReadAhead& folderReadAhead_;
  ListBuilder builder_{model_.list, extensions_, ProgressOfBuild(), folderReadAhead_};
};

}  // namespace zeb::app
