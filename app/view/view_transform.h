// How the picture shown is viewed: turned by quarter turns, mirrored, and zoomed. The window fits,
// paints, titles and writes as wallpaper the picture as this transform shows it.
#pragma once

#include <cstdint>

#include "platform/graphics/canvas.h"

namespace zeb::app::view {

struct Size {
  int32_t width = 0, height = 0;
  bool operator==(const Size&) const = default;
};

enum class ZoomMode : uint8_t {
  Fit,    // the zoom that fits the picture to the room (1 when it fits already)
  Factor  // the zoom factor, whatever the room
};

struct ViewTransform {
  PictureTurn turn;  // quarter turns clockwise, after mirroring left to right
  ZoomMode zoomMode = ZoomMode::Fit;
  double zoomFactor = 1.0;  // the zoom in ZoomMode::Factor

  bool operator==(const ViewTransform&) const = default;
  // The size a picture of SIZE has once turned.
  Size Turned(Size size) const { return turn.SwapsSides() ? Size{size.height, size.width} : size; }
};

}  // namespace zeb::app::view
