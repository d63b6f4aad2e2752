#include "app/model/random_pick.h"

#include <cstdlib>

namespace zeb::app {

int32_t RandomBelow(int32_t count) {
  if (count <= 1) return 0;
  const uint64_t base = static_cast<uint64_t>(RAND_MAX) + 1;
  const uint64_t n = static_cast<uint64_t>(count);
  for (;;) {
    // Enough draws to cover Count, then the value is kept only below the largest multiple of Count,
    // so no index is favoured.
    uint64_t span = 1, value = 0;
    while (span < n) {
      value = value * base + static_cast<uint64_t>(std::rand());
      span *= base;
    }
    if (value < span - span % n) return static_cast<int32_t>(value % n);
  }
}

}  // namespace zeb::app
