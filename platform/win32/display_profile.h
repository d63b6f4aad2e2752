// The display's colour profile for the viewer's colour management (photo/colour_profile.h).
#pragma once

namespace zeb::win32 {

// Hands the screen's ICC profile, where Windows has one, to the colour conversion; without one (or when
// it cannot be read) pictures are converted to sRGB. Called once at start-up.
void UseScreenColourProfile();

}  // namespace zeb::win32
