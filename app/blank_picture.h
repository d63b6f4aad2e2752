// The picture shown for an empty list.
#pragma once

#include <memory>

#include "platform/graphics/bitmap.h"

namespace zeb::app {

// A 200 x 200 two-colour bitmap, black, with the words No Pictures in white across its middle.
std::unique_ptr<Bitmap> MakeBlankPicture();

}  // namespace zeb::app
