// The order of the image list: the platform's case-insensitive, locale-aware text order, as a sort key
// made once per text. Plain byte order of two keys is the order of their texts.
#pragma once

#include <string>

namespace zeb {

// The sort key of a UTF-8 text.
std::string CollationKey(const std::string& utf8);

}  // namespace zeb
