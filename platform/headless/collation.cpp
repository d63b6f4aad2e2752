// Headless collation: simple case folding (A to Z become a to z), then byte order.
#include "platform/core/strings.h"
#include "platform/services/collation.h"

namespace zeb {

std::string CollationKey(const std::string& utf8) { return LowerAscii(utf8); }

}  // namespace zeb
