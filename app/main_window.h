// The main window: shows the current entry of the viewer's model, fitted to the picture, with the
// title bar as its status line, and runs the commands of the keys, drops and slide show on the model.
// The operations live in files by concern (command line, folder scan, list edits, showing, sizing,
// title, keys, navigation, slide show, wallpaper).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
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
#include "spi/spi_manager.h"

namespace zeb::app {

class HelpWindow;
class JumpDialog;
class ListWindow;

// What one command-line argument is: the 15 switches, an unknown switch, or no switch.
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

class MainWindow : public ui::Window, private ViewerWindow {
 public:
  // Makes the controls and the plug-in manager (which searches and registers the plug-ins), then
  // starts with these command-line arguments (the program's name not among them). An error before
  // the start leaves the constructor; one while starting goes to the application's error handler and
  // the window is still made. Folders, when given, lists folders ahead of the scans: the program
  // starts listing the command line's folders before the windows are made.
  MainWindow(ViewerModel& model, JumpDialog& jumpDialog, ListWindow& listWindow,
             std::vector<std::string> args, FolderReadAhead* folders = nullptr);
  ~MainWindow() override;

  ViewerModel& Model() { return model_; }

  // --- Start-up and the command line (main_window.cpp, command_line.cpp) ---
  static CommandSwitch ParseSwitch(const std::string& arg);
  // The arguments that name folders, each as the scan walks it (with a final backslash).
  static std::vector<std::string> FolderArguments(const std::vector<std::string>& args);

  // --- The image list (folder_scan.cpp: the builder's progress in the title; list_edit.cpp) ---
  // Upper-case dotted extensions of every registered picture format, ".ZEB" last.
  const std::vector<std::string>& PictureExtensions() const { return extensions_.All(); }
  // Builds the model's list from arguments, folders, drops and list files.
  ListBuilder& Builder() { return builder_; }
  void TidyList();
  void RemoveFolder(const std::string& folder);
  void RemoveFile(const std::string& fileName);

  // --- Showing the current entry (show_picture.cpp) ---
  // Shows the model's current entry; an entry that cannot be read leaves the list and the one that
  // takes its place is tried, until one loads or the list is empty.
  void ShowCurrent();
  // The name in the title: the entry's file name, or its full path once the list spans folders.
  const std::string& ShownName() const { return shownName_; }
  // The zoom of the picture shown, 1 for its natural size.
  double Zoom() const { return zoom_; }
  // The entry being read ahead, or "".
  std::string ReadingAhead() const { return readAhead_.Path(); }

  // --- Window sizing (window_fit.cpp, box_size.cpp) ---
  // KEEP_PLACE leaves the window where it is (the system has just put it on a screen of its choice).
  void FitToPicture(bool keepPlace = false);
  // The window moved to a screen of other scaling: the size is fitted again, the system's place kept.
  void OnScreenScalingChanged() { FitToPicture(true); }
  // What the fit works from, as it stands now (the shell is asked for the taskbar once). A fixed box
  // larger than the room is first made the room's size in the model: the one change the fit makes.
  view::FitInputs FitInputsNow(bool keepPlace = false);
  // The room a picture is fitted into, in the picture's own axes (see view::DecodeRoom).
  view::Size PictureRoom();
  // How the picture shown is viewed: the identity for each picture shown. Setting it fits again.
  const view::ViewTransform& Transform() const { return transform_; }
  void SetTransform(const view::ViewTransform& transform);
  void CentreWindow();
  void ToggleMaximised();
  void ToggleFixedBox();

  // --- The title-bar status line (title.cpp) ---
  void UpdateTitle();

  // --- Commands (main_window_commands.cpp): keys, the List window and the slide show's ticks run the
  // commands, and the window shows once what they changed ---
  void OnKey(uint16_t& key, ui::ModifierKeys shift);
  void Run(Command command, const CommandInput& input = {});

  // --- List files, dropped files (list_commands.cpp, drops.cpp) ---
  void OnDroppedFiles(const std::vector<std::string>& paths, ui::ModifierKeys shift);

  // --- Wallpaper, the side windows ---
  void SetWallpaper();
  HelpWindow* Help() const { return help_.get(); }

  // --- Controls ---
  ui::PictureControl blankPicture;  // hidden: the picture shown for an empty list
  ui::PictureControl picture;       // the picture shown
  ui::OpenFileDialog openListDialog;
  ui::SaveFileDialog saveListDialog;
  ui::Timer slideTimer;
  // Fires once the window's messages are all handled after a picture was shown: then the next entry
  // is read ahead.
  ui::Timer readAheadTimer;
  std::unique_ptr<spi::PluginManager> plugins;

  RunState run;

  // How often a long scan lets window messages through and shows its progress in the title. Tests
  // set them to zero to see every step.
  std::chrono::milliseconds pumpInterval{30};
  std::chrono::milliseconds titleInterval{100};

 private:
  void Start(std::vector<std::string> args);
  ViewerContext Context() { return {model_, slideShow_, jumpDialog_, run, *this}; }
  // Shows what commands changed: the picture (and with it the title), or the title alone; then the
  // plug-in crashes met on the way are told, outside any loop over the list.
  void Apply(Changes changes);
  // The window-side operations of the commands.
  void CloseViewer() override { Close(); }
  void ShowStatus(const std::string& text) override { SetCaption(text); }
  void MoveWindowBy(int32_t dx, int32_t dy) override;
  void Refit() override { FitToPicture(); }
  void AskBoxWidth() override;
  void AskBoxHeight() override;
  void ToggleListWindow() override;
  // F1: the key help, made when it is first asked for.
  void ToggleHelp() override;
  void SaveList() override;
  void OpenList() override;
  void ToggleWallpaperMode() override;
  // Wallpaper mode's part of showing a picture.
  void SetWallpaperOfShown();
  // Loads the entry's picture, or takes it from the read-ahead.
  void LoadPicture(const std::string& entry);
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

  ViewerModel& model_;
  JumpDialog& jumpDialog_;
  ListWindow& listWindow_;
  ExtensionSet extensions_;
  std::string shownName_;
  double zoom_ = 0;
  view::ViewTransform transform_;
  ReadAhead readAhead_;
  SlideShow slideShow_{slideTimer};
  std::unique_ptr<HelpWindow> help_;

  std::chrono::steady_clock::time_point lastPump_{};
  std::chrono::steady_clock::time_point scanNow_{};  // the clock as the scan last read it
  std::chrono::steady_clock::time_point lastTitle_{};
  std::unique_ptr<FolderReadAhead> ownFolderReadAhead_;  // when none was given
  FolderReadAhead& folderReadAhead_;
  ListBuilder builder_{model_.list, extensions_, ProgressOfBuild(), folderReadAhead_};
};

}  // namespace zeb::app
