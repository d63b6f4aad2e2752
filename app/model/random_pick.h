// The viewer's one pseudo-random source (the C library's generator, seeded once at start-up): random
// pictures, random slide intervals.
#pragma once

#include <cstdint>

namespace zeb::app {

// A pseudo-random integer drawn uniformly from 0 to Count - 1 (0 when Count is below 1). Uniform also
// where the library's generator yields only 15 bits and the list is longer than that.
int32_t RandomBelow(int32_t count);

}  // namespace zeb::app
