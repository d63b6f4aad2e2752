// A bitmap turned as a view transform turns it, for whatever is written from the picture as it is
// viewed (the wallpaper).
#pragma once

#include <memory>

#include "platform/graphics/bitmap.h"

namespace zeb::app::view {

// A 24-bit copy of BITMAP turned by TURN (drawn over black, so a picture with alpha shows as on screen).
std::unique_ptr<Bitmap> TurnedBitmap(Bitmap& bitmap, PictureTurn turn);

}  // namespace zeb::app::view
