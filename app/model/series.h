// Numbered series of file names: IMG_0001.JPG, IMG_0002.JPG ... or 001.JPG, 002.JPG ...
#pragma once

#include <string>

namespace zeb::app {

// Whether the character at Position (counted from 1) is one of "0123456789"; false outside the text.
bool IsDigitAt(const std::string& text, size_t position);

// Whether two upper-cased file names belong to one series: the same name stem whatever the numbers,
// or, for names made of numbers, numbers of the same length (plain numbers within the same hundred).
bool SameSeries(const std::string& a, const std::string& b);

}  // namespace zeb::app
