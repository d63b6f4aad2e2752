// Numbered series of file names: IMG_0001.JPG, IMG_0002.JPG ... or 001.JPG, 002.JPG ...
#pragma once

#include <string>

namespace zeb::app {

// Whether the character at Position (counted from 1) is one of "0123456789"; false outside the text.
bool IsDigitAt(const std::string& text, size_t position);

}  // namespace zeb::app
