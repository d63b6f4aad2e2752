// The main window: the viewer's state, its components and every operation of the viewer. The
// operations live in files by concern (command line, folder scan, list edits, showing, sizing, title,
// keys, navigation, slide show, wallpaper).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/image_list.h"
#include "platform/graphics/graphic.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "spi/spi_manager.h"

namespace zeb::app {

class TForm1;
class TForm2;
class TForm3;

// The program-wide windows: the main window, the Jump dialog and the List window.
extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;

// Window placement rules (PlacementFlags).
enum : uint8_t {
  pfFree = 0x01,
  pfLeft = 0x02,
  pfTop = 0x04,
  pfRight = 0x08,
  pfBottom = 0x10,
  pfCentre = 0x20,
  pfMaximised = 0x40,
};
using TPlacementFlags = uint8_t;

// What one command-line argument is: the 15 switches, an unknown switch, or no switch.
enum class TSwitchKind : uint8_t {
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
  Minimized,      // -H
  Enlarge,        // -S
  Random,         // -r
  Quit,           // -q
  EndOfSwitches,  // --
  Unknown,        // "-" with any other letter, or "-" alone
  NotASwitch,     // the first file argument
};

struct TSwitch {
  TSwitchKind Kind;
  std::string Value;  // the argument from its third character on
};

// Options that matter only while the main window is created.
struct TStartOptions {
  bool OpenInFolder = false;
  bool StartSlideShow = false;
  bool RandomStart = false;
};

class TForm1 : public ui::TForm {
 public:
  // Creates the components and the plug-in manager (which searches and registers the plug-ins),
  // then runs FormCreate with these command-line arguments (the program's name not among them).
  // An error before FormCreate leaves the constructor; one inside FormCreate goes to the
  // application's error handler and the window is still made.
  explicit TForm1(std::vector<std::string> params);
  ~TForm1() override;

  // --- Start-up and the command line (command_line.cpp, viewer_state.cpp) ---
  void FormCreate();
  void FormDestroy();
  void SetInitialState();
  static TSwitch ParseSwitch(const std::string& arg);
  // Applies one switch to the state (shows the message of a bad number).
  void ApplySwitch(const TSwitch& sw, TStartOptions& options);
  // Adds the file arguments from Index on; returns the last file argument.
  std::string AddFileArguments(size_t index, const TStartOptions& options);
  void SelectFile(const std::string& fileName);

  // --- The image list (folder_scan.cpp, list_edit.cpp) ---
  TImageList& List();
  void BuildExtensionList();
  bool IsPictureExtension(const std::string& path, bool listFilesToo) const;
  void AddFolder(const std::string& folder, bool recursive);
  void AddFile(const std::string& fileName);
  void FilterPictures(std::vector<std::string>& list) const;
  void TidyList();
  void DeleteEntry(int32_t index, bool reload);
  void RemoveFolder(const std::string& folder);
  void RemoveFile(const std::string& fileName);
  void RemoveCurrentFolder();

  // --- Showing the current picture (show_picture.cpp) ---
  void LoadFromFile();
  void Image1Progress(TGraphic* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                      const TRect& r, const std::string& msg);

  // --- The plug-in manager's handlers (show_picture.cpp) ---
  void SPIs1Search(spi::TSPIs* sender, spi::TSPI* aSPI, bool& accept);
  void SPIs1PictureRegister(spi::TSPIs* sender, spi::TInSPI* aSPI, const std::string& aExtension,
                            const std::string& aDescription, TGraphicClass& aGraphicClass);

  // --- Window sizing (window_fit.cpp) ---
  void AdjustFormSize();
  void CentreWindow();
  void ToggleMaximised();
  void ToggleFixedBox();
  void AskBoxWidth();
  void AskBoxHeight();
  void AppMinimize();
  void AppRestore();
  // The main window has moved: a visible docked List window follows.
  void FormMoved();

  // --- The title-bar status line (title.cpp) ---
  void UpdateTitle();
  // Sets the caption while the list is being built: during a folder scan at most once per
  // TitleInterval.
  void ShowBuildProgress(const std::string& text);

  // --- Keys (keys.cpp) and the list walk ---
  void FormKeyDown(uint16_t& key, ui::TShiftState shift);
  void ShowFirst();
  void ShowLast();
  void StepForward(int32_t count);
  void StepBackward(int32_t count);
  void ShowRandom();
  void SetMark();
  void GoToMark();
  void SwapWithMark();
  void JumpToNumber();

  // --- Folder and series navigation ---
  void NextFolder();
  void PreviousFolder();
  void NextSeries();
  void PreviousSeries();
  void RemoveSeries();
  int32_t FindSeriesStart();
  static bool SameSeries(const std::string& a, const std::string& b);

  // --- List files, dropped files ---
  void OpenList();
  void SaveList();
  void FormDropFiles(const std::vector<std::string>& paths, ui::TShiftState shift);

  // --- Slide show, wallpaper, the List window ---
  void Timer1Timer();
  void AskInterval();
  void SetWallpaper();
  void ToggleListWindow();

  // --- Components ---
  ui::TImage ImgBlank;  // hidden: the picture shown for an empty list
  ui::TImage Image1;    // the picture shown
  ui::TOpenDialog OpenDialog1;
  ui::TSaveDialog SaveDialog1;
  ui::TTimer Timer1;
  std::unique_ptr<spi::TSPIs> SPIs1;
  // Upper-case dotted extensions of every registered picture format, ".ZEB" last.
  std::vector<std::string> PictureExtensions;

  // --- The viewer's state ---
  int32_t CurrentIndex = 0;
  std::string CurrentName;
  double ZoomRatio = 0;
  int32_t MarkIndex = 0;
  uint8_t SlideDirection = 1;  // 1 forward, 2 backward, 3 random
  bool ShowFullPath = false;
  bool LoopList = false;
  TPlacementFlags PlacementFlags = pfFree;
  int32_t BoxWidth = 640;
  int32_t BoxHeight = 480;
  bool FixedWidth = false;
  bool FixedHeight = false;
  bool TimerWasEnabled = false;
  bool PauseWhileLoading = false;
  bool WallpaperMode = false;
  bool WallpaperAsShown = false;
  uint8_t WallpaperLayout = 3;  // 0 centre, 1 stretch, 2 tile, 3 leave the desktop's style alone
  bool EnlargeSmall = false;
  bool QuitAtEnd = false;
  bool Minimized = false;
  bool AbortRequested = false;
  bool Building = true;

  // The command line, without the program's name.
  std::vector<std::string> Params;

  // How often a long scan lets window messages through and shows its progress in the title. Tests
  // set them to zero to see every step.
  std::chrono::milliseconds PumpInterval{30};
  std::chrono::milliseconds TitleInterval{100};

 private:
  // Lets window messages through when PumpInterval has passed (or Force); true when it did.
  bool PumpMessages(bool force);
  // AddFile for a path that is already full.
  void AddFullPath(const std::string& path);
  std::chrono::steady_clock::time_point lastPump_{};
  std::chrono::steady_clock::time_point scanNow_{};  // the clock as the scan last read it
  std::chrono::steady_clock::time_point lastTitle_{};
  // AddFolder's walk; MayBeLink when the folder was reported as a link (or its way is unknown).
  void WalkFolder(const std::string& folder, bool recursive, bool mayBeLink);
  // The folders being walked, outermost first, each with its identity once one was needed.
  struct TWalkStep {
    std::string folder;
    std::string identity;
  };
  std::vector<TWalkStep> walkChain_;
};

}  // namespace zeb::app
