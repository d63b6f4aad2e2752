// The viewer's modes: how the slide show walks, what happens at the end of the list, how the window is
// placed and sized, and what wallpaper mode does. Every start begins with these defaults.
#pragma once

#include <cstdint>

namespace zeb::app {

enum class SlideDirection : uint8_t { Forward, Backward, Random };

// How the desktop lays out the wallpaper; Unchanged leaves the desktop's own setting alone.
enum class WallpaperLayout : uint8_t { Centre, Stretch, Tile, Unchanged };

struct WallpaperMode {
  bool on = false;
  bool asShown = false;  // the picture at its size on screen, not its own size
  WallpaperLayout layout = WallpaperLayout::Unchanged;
};

// Where the window goes each time it is fitted to a picture: rules that may be combined (held at the
// left and the top edges, say), or Free.
using Placement = uint8_t;
namespace placement {
constexpr Placement kFree = 0x01;
constexpr Placement kLeft = 0x02;
constexpr Placement kTop = 0x04;
constexpr Placement kRight = 0x08;
constexpr Placement kBottom = 0x10;
constexpr Placement kCentre = 0x20;
constexpr Placement kMaximised = 0x40;
}  // namespace placement

// A fixed client size for either dimension, in which pictures are fitted and centred.
struct FixedBox {
  int32_t width = 640;
  int32_t height = 480;
  bool fixedWidth = false;
  bool fixedHeight = false;
  bool Any() const { return fixedWidth || fixedHeight; }
};

struct ViewerModes {
  bool loop = false;       // a step past either end goes on at the other
  bool quitAtEnd = false;  // the end of a slide show ends the program
  SlideDirection slideDirection = SlideDirection::Forward;
  bool pauseWhileLoading = false;  // the slide show waits while a picture loads
  bool enlargeSmall = false;       // small pictures fill a fixed box or the maximised window
  WallpaperMode wallpaper;
  Placement placement = placement::kFree;
  FixedBox box;
};

}  // namespace zeb::app
