// A picture's size read from the start of its file, without decoding it: for deciding whether to decode
// at all.
#pragma once

#include <cstdint>
#include <string_view>

namespace zeb {

// The width times the height a BMP or JPEG file's header declares; false when Head (the file's first
// bytes) holds no such header.
bool DeclaredPixelCount(std::string_view head, uint64_t& pixels);

}  // namespace zeb
