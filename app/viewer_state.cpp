// The viewer's state as every start begins with it.
#include "app/form1.h"

namespace zeb::app {

void TForm1::SetInitialState() {
  CurrentIndex = 0;
  CurrentName.clear();
  ZoomRatio = 0;
  MarkIndex = 0;
  SlideDirection = 1;
  ShowFullPath = false;
  LoopList = false;
  PlacementFlags = pfFree;
  BoxWidth = 640;
  BoxHeight = 480;
  FixedWidth = false;
  FixedHeight = false;
  TimerWasEnabled = false;
  PauseWhileLoading = false;
  WallpaperMode = false;
  WallpaperAsShown = false;
  WallpaperLayout = 3;
  EnlargeSmall = false;
  QuitAtEnd = false;
  Minimized = false;
  AbortRequested = false;
  Building = true;
}

}  // namespace zeb::app
