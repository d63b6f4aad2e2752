// Work that runs beside the window's thread.
#pragma once

#include <functional>

namespace zeb {

// Runs Work on another thread (the Win32 build), or with the next window messages let through (the
// headless build, so that tests see each step in order). Work must catch its own errors.
void RunInBackground(std::function<void()> work);

}  // namespace zeb
