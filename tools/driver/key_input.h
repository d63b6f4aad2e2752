// What the driver's parts share: the input record of one key and how often waits poll.
#pragma once

#include <windows.h>

namespace zeb::e2e {

// How often the waits look again.
constexpr int kPollMs = 10;

// A key press (or release, when UP) as SendInput takes it, with its scan code and extended flag.
INPUT KeyInput(UINT vk, bool up);

}  // namespace zeb::e2e
