// Wallpaper mode: every picture shown also becomes the desktop wallpaper.
#include "app/form1.h"

namespace zeb::app {

// PENDING: wallpaper mode already switches and shows in the title; making the wallpaper is not built yet.
void TForm1::SetWallpaper() {}

}  // namespace zeb::app
