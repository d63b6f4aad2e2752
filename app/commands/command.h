// The viewer's commands: every door (keys, the List window, the slide show's tick) asks for one of
// these by name, and each says what it changed so that its caller redraws once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zeb::app {

enum class Command : uint8_t {
  // The program
  StopBuild,  // Escape while a list is being read in
  Quit,
  KeyHelp,
  // Walking the list
  Next,
  Previous,
  First,
  Last,
  Random,
  Jump,  // asks for a number
  NextSeries,
  PreviousSeries,
  NextFolder,
  PreviousFolder,
  SlideStep,  // one tick of the slide show, in its direction
  ShowEntry,  // the entry of CommandInput::index (a click in the List window)
  Reload,
  // The bookmark
  SetMark,
  GoToMark,
  SwapWithMark,
  // Editing the list
  Drop,    // the paths of CommandInput, in its drop mode
  Remove,  // the entry of CommandInput::index
  RemoveSeries,
  RemoveFolder,
  SaveList,
  OpenList,
  // Modes
  SlideForward,
  SlideBackward,
  SlideRandom,
  ToggleSlideShow,
  SlideInterval,  // asks for a number
  ToggleLoop,
  ToggleQuitAtEnd,
  ToggleEnlargeSmall,
  ShowEnlarged,
  ToggleWallpaperMode,
  SetWallpaper,  // the picture shown, as wallpaper mode writes it
  ToggleWallpaperAsShown,
  WallpaperStretched,
  WallpaperTiled,
  WallpaperCentred,
  // The window
  ListWindow,
  Refit,     // fits the window to the picture again, after the modes were changed from outside
  TurnLeft,  // the picture shown, a quarter turn; the view's alone, dropped with the next picture
  TurnRight,
  MoveLeft,
  MoveRight,
  MoveUp,
  MoveDown,
  HoldLeft,
  HoldRight,
  HoldTop,
  HoldBottom,
  Centre,
  Maximise,
  FixedBox,
  BoxWidth,   // asks for a number
  BoxHeight,  // asks for a number
  Minimise,   // the last: the key help walks the commands up to it
};

// The commands that move about the list or edit it: Next up to OpenList, the enum's order (and
// ShowEnlarged, which shows the entry anew).
constexpr bool MovesOrEditsList(Command command) {
  return (command >= Command::Next && command <= Command::OpenList) || command == Command::ShowEnlarged;
}

// What a command changed. A changed picture is shown again (which rebuilds the title too).
using Changes = uint8_t;
namespace changed {
constexpr Changes kNothing = 0;
constexpr Changes kPicture = 0x01;  // the current entry: show it
constexpr Changes kTitle = 0x02;    // the modes or the list as the title shows them
constexpr Changes kRaise = 0x04;    // the window comes to the front once it shows the change
}  // namespace changed

// What files and folders dropped on the viewer do to the list.
enum class DropMode : uint8_t { Replace, Add, Remove };

// What some commands take besides their name.
struct CommandInput {
  int32_t index = -1;                   // ShowEntry, Remove: the entry
  int32_t step = 20;                    // MoveLeft/Right/Up/Down: the pixels
  std::vector<std::string> paths = {};  // Drop
  DropMode dropMode = DropMode::Replace;
};

}  // namespace zeb::app
