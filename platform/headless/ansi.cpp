#include "platform/services/ansi.h"

namespace zeb {

// Headless, the ANSI code page is UTF-8: every text passes unchanged.
std::string ToAnsi(const std::string& utf8, bool* lossless) {
  if (lossless) *lossless = true;
  return utf8;
}

std::string FromAnsi(const std::string& ansi) { return ansi; }

}  // namespace zeb
