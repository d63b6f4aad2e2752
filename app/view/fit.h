// Fitting the window to the picture, worked out without a window: from the picture's size, the work
// area, the window's frame, the modes and the view transform come the zoom, the picture's size and
// place in the client area, and the window's size and place. The window applies the result.
#pragma once

#include <cstdint>

#include "app/model/viewer_modes.h"
#include "app/view/view_transform.h"
#include "platform/services/desktop.h"

namespace zeb::app::view {

struct FitInputs {
  Size picture;     // the picture's own size, before the transform
  ScreenRect work;  // the work area: the primary screen less the taskbar
  Size frame;       // what the window's frame and caption add to the client area
  Placement placement = placement::kFree;
  FixedBox box;  // within the room already (see BoxWithinRoom)
  bool enlargeSmall = false;
  bool minimised = false;                 // then only the zoom and the picture's size are worked out
  bool keepPlace = false;                 // the system has just put the window where it is: it stays there
  int32_t windowLeft = 0, windowTop = 0;  // where the window is now
  ViewTransform transform;
};

enum class WindowPlacing : uint8_t {
  Unchanged,  // minimised: the window is left as it is
  Maximised,  // the system sizes the window; the picture is centred in the work area
  Normal      // the window takes the client and window rectangles below
};

struct FitResult {
  double zoom = 1.0;
  Size shown;  // the picture's size on screen, turned and zoomed
  WindowPlacing placing = WindowPlacing::Unchanged;
  // Not Unchanged: the picture's place within the client area, and whether it fills it.
  int32_t pictureLeft = 0, pictureTop = 0;
  bool fillsClient = false;
  // Normal: the client area and the window's outer rectangle.
  Size client;
  int32_t windowLeft = 0, windowTop = 0;
  Size window;
};

// The room a picture is fitted into: the work area less the frame (at least a pixel each way), or,
// unless maximised, the fixed box's fixed sides.
Size PictureRoom(const FitInputs& in);
// The fixed box with any fixed side larger than the room lowered to the room's (unless maximised,
// where the box does not count); the window keeps it so.
FixedBox BoxWithinRoom(const FitInputs& in);
FitResult ComputeFit(const FitInputs& in);

}  // namespace zeb::app::view
