// The system's text for an error code.
#pragma once

#include <cstdint>
#include <string>

namespace zeb::win32 {

// FormatMessageW's text, without the trailing line break and full stop.
std::string SystemErrorMessage(uint32_t code);

}  // namespace zeb::win32
